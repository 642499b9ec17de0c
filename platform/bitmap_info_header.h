// The 40-byte device-independent bitmap header and the colour-table entry, as stored on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace quintorel {

inline constexpr std::uint32_t BI_RGB = 0;
inline constexpr std::uint32_t BI_RLE8 = 1;
inline constexpr std::uint32_t BI_RLE4 = 2;
inline constexpr std::uint32_t BI_BITFIELDS = 3;

struct BitmapInfoHeader {
  static constexpr std::size_t kSize = 40;

  std::uint32_t biSize = 0;
  std::int32_t biWidth = 0;
  std::int32_t biHeight = 0;
  std::uint16_t biPlanes = 0;
  std::uint16_t biBitCount = 0;
  std::uint32_t biCompression = 0;
  std::uint32_t biSizeImage = 0;
  std::int32_t biXPelsPerMeter = 0;
  std::int32_t biYPelsPerMeter = 0;
  std::uint32_t biClrUsed = 0;
  std::uint32_t biClrImportant = 0;

  // `out` must hold at least kSize bytes.
  void writeTo(std::span<std::uint8_t> out) const;
  // `in` must hold at least kSize bytes.
  static BitmapInfoHeader readFrom(std::span<const std::uint8_t> in);

  friend bool operator==(const BitmapInfoHeader&, const BitmapInfoHeader&) = default;
};

// One colour-table entry, in its on-disk byte order.
struct RgbQuad {
  std::uint8_t rgbBlue = 0;
  std::uint8_t rgbGreen = 0;
  std::uint8_t rgbRed = 0;
  std::uint8_t rgbReserved = 0;
};
inline constexpr std::size_t kRgbQuadSize = 4;

}  // namespace quintorel
