// Turning the bytes of a BMP file into a device bitmap, and reading its stated size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/device_bitmap.h"

namespace quintorel {

inline constexpr std::size_t kBmpFileHeaderSize = 14;
inline constexpr std::uint32_t kBmpCoreHeaderSize = 12;  // BITMAPCOREHEADER
inline constexpr std::uint32_t kBmpInfoHeaderSize = 40;  // BITMAPINFOHEADER

// Pictures larger than this on either side are refused. It keeps the pixel count and the size
// of the picture's 8-bit frame (rows padded to 4 bytes) within a signed 32-bit number, which
// the frames of the video need, and is far beyond any frame a video is made of.
inline constexpr std::int64_t kMaxBmpSide = 32768;

struct BmpDimensions {
  std::int32_t width = 0;   // as stated, possibly 0 or negative
  std::int32_t height = 0;  // made positive; a top-down picture states it negative
};

// The size that the info header at the start of `content` (the file behind its 14-byte
// header) states; 0 x 0 when the content is too short to hold those fields.
BmpDimensions readBmpDimensions(std::span<const std::uint8_t> content);

// Rows of a picture counted from the top: `first`, then every `step`-th after it.
struct RowSelection {
  std::int64_t first = 0;
  std::int64_t step = 1;
};

// Decodes `file`, a whole BMP file with its 14-byte file header, into `out`, reusing the
// storage of out.pixels. Only the rows of `rows` need be filled (those of a run-length encoded
// picture all are); the others hold whatever they held. Every check is made all the same. Throws Error "Could not decode picture <name>: <reason>" when the
// file is cut short, of a format not handled, or too large; `out` is then left 0 x 0.
// Reads nothing outside `file`.
void decodeBmp(std::span<const std::uint8_t> file, const std::string& name, DeviceBitmap& out,
               RowSelection rows = {});

}  // namespace quintorel
