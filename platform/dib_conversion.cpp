// Converting a device bitmap into device-independent rows of 1, 4, 8 or 24 bits.
#include "platform/dib_conversion.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "platform/bitmap_info_header.h"
#include "platform/colour_map.h"
#include "platform/fixed_palette.h"

namespace quintorel {

namespace {

// The 16 colours a 4-bit display conversion uses when no palette is given.
const Palette& sixteenColours() {
  static const Palette palette = [] {
    Palette p;
    const Rgb colours[16] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                             {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                             {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                             {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    p.count = 16;
    std::copy(std::begin(colours), std::end(colours), p.entries.begin());
    return p;
  }();
  return palette;
}

const Palette& twoColours() {
  static const Palette palette = [] {
    Palette p;
    p.count = 2;
    p.entries[1] = {255, 255, 255};
    return p;
  }();
  return palette;
}

// The table a conversion writes: the given palette's first 2^n colours, or the platform's own.
Palette tableFor(const Palette* palette, unsigned bitCount) {
  const std::uint32_t size = 1u << bitCount;
  Palette table;
  if (palette) {
    table = *palette;
    table.count = std::min(palette->count, size);
    for (std::uint32_t i = table.count; i < 256; ++i) table.entries[i] = {};
  } else {
    table = bitCount == 8 ? fixedPalette() : bitCount == 4 ? sixteenColours() : twoColours();
  }
  return table;
}

// Building a map costs far more than one frame; a clip converts every frame with one palette.
const ColourMap& mapFor(const Palette& table) {
  thread_local std::unique_ptr<ColourMap> cached;
  if (!cached || !samePalette(cached->palette(), table)) cached = std::make_unique<ColourMap>(table);
  return *cached;
}

void writeColourTable(const Palette& table, unsigned bitCount, std::uint8_t* out) {
  const std::uint32_t size = 1u << bitCount;
  for (std::uint32_t i = 0; i < size; ++i) {
    const Rgb c = i < table.count ? table.entries[i] : Rgb{};
    out[4 * i + 0] = c.blue;
    out[4 * i + 1] = c.green;
    out[4 * i + 2] = c.red;
    out[4 * i + 3] = 0;
  }
}

// Floyd-Steinberg error diffusion over the rows of one conversion, alternating direction from
// row to row so that the error does not drift one way. Errors are kept in sixteenths.
class Ditherer {
 public:
  Ditherer(const ColourMap& map, std::int32_t width)
      : map_(map), width_(width), current_(3 * (static_cast<std::size_t>(width) + 2)),
        next_(current_.size()) {}

  void mapRow(const std::uint32_t* in, std::uint8_t* out) {
    const Palette& table = map_.palette();
    const int step = leftToRight_ ? 1 : -1;
    std::int32_t x = leftToRight_ ? 0 : width_ - 1;
    for (std::int32_t n = 0; n < width_; ++n, x += step) {
      // Column x keeps its errors at 3 * (x + 1), leaving a spare column on either side.
      int* here = current_.data() + 3 * (x + 1);
      int* below = next_.data() + 3 * (x + 1);
      int wanted[3];
      for (int c = 0; c < 3; ++c) {
        const int source = static_cast<int>((in[x] >> (16 - 8 * c)) & 0xFF);
        wanted[c] = std::clamp(source + ((here[c] + 8) >> 4), 0, 255);
      }
      const std::uint8_t index = map_.index(static_cast<std::uint32_t>(wanted[0] << 16 | wanted[1] << 8 | wanted[2]));
      out[x] = index;
      const Rgb& got = table.entries[index];
      const int error[3] = {wanted[0] - got.red, wanted[1] - got.green, wanted[2] - got.blue};
      for (int c = 0; c < 3; ++c) {
        here[3 * step + c] += 7 * error[c];
        below[-3 * step + c] += 3 * error[c];
        below[c] += 5 * error[c];
        below[3 * step + c] += error[c];
      }
    }
    current_.swap(next_);
    std::fill(next_.begin(), next_.end(), 0);
    leftToRight_ = !leftToRight_;
  }

 private:
  const ColourMap& map_;
  std::int32_t width_;
  std::vector<int> current_, next_;
  bool leftToRight_ = true;
};

void packRow(const std::uint8_t* indices, std::int32_t width, unsigned bitCount, std::uint8_t* out) {
  const unsigned perByte = 8 / bitCount;
  for (std::int32_t x = 0; x < width; ++x) {
    const unsigned shift = 8 - bitCount * (x % perByte + 1);
    out[x / perByte] = static_cast<std::uint8_t>(out[x / perByte] | (indices[x] << shift));
  }
}

}  // namespace

bool getDIBits(const DeviceBitmap& bitmap, const Palette* palette, std::int32_t startScan,
               std::int32_t lines, std::span<std::uint8_t> bits, std::span<std::uint8_t> info,
               bool dither) {
  if (info.size() < BitmapInfoHeader::kSize) return false;
  const BitmapInfoHeader header = BitmapInfoHeader::readFrom(info);
  const unsigned bitCount = header.biBitCount;
  if (header.biCompression != BI_RGB) return false;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) return false;
  const bool topDown = header.biHeight < 0;
  const std::int64_t height = topDown ? -static_cast<std::int64_t>(header.biHeight) : header.biHeight;
  if (header.biWidth != bitmap.width || height != bitmap.height || bitmap.width <= 0) return false;
  if (bitmap.pixels.size() != static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height))
    return false;
  if (startScan < 0 || lines < 0 || static_cast<std::int64_t>(startScan) + lines > height) return false;

  const std::size_t stride = (static_cast<std::size_t>(bitmap.width) * bitCount + 31) / 32 * 4;
  if (bits.size() / stride < static_cast<std::size_t>(lines)) return false;
  const std::size_t tableBytes = bitCount <= 8 ? std::size_t{4} << bitCount : 0;
  if (info.size() - BitmapInfoHeader::kSize < tableBytes) return false;

  Palette table;
  const ColourMap* map = nullptr;
  if (bitCount <= 8) {
    table = tableFor(palette, bitCount);
    writeColourTable(table, bitCount, info.data() + BitmapInfoHeader::kSize);
    if (palette || bitCount != 8 || dither) map = &mapFor(table);
  }
  std::optional<Ditherer> ditherer;
  if (map && dither) ditherer.emplace(*map, bitmap.width);

  std::vector<std::uint8_t> indices(bitCount < 8 ? static_cast<std::size_t>(bitmap.width) : 0);
  for (std::int32_t line = 0; line < lines; ++line) {
    const std::int64_t scan = startScan + line;  // counted from the bottom in a bottom-up DIB
    const std::int64_t y = topDown ? scan : height - 1 - scan;
    const std::uint32_t* in = bitmap.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(bitmap.width);
    std::uint8_t* out = bits.data() + static_cast<std::size_t>(line) * stride;
    // Rows of fewer than 8 bits a pixel are assembled into zeros; others only need their
    // padding cleared, every pixel byte being written below.
    const std::size_t pixelBytes = bitCount >= 8 ? static_cast<std::size_t>(bitmap.width) * (bitCount / 8) : 0;
    std::memset(out + pixelBytes, 0, stride - pixelBytes);
    if (bitCount == 24) {
      for (std::int32_t x = 0; x < bitmap.width; ++x) {
        out[3 * x + 0] = static_cast<std::uint8_t>(in[x]);
        out[3 * x + 1] = static_cast<std::uint8_t>(in[x] >> 8);
        out[3 * x + 2] = static_cast<std::uint8_t>(in[x] >> 16);
      }
    } else if (bitCount == 8) {
      if (ditherer) ditherer->mapRow(in, out);
      else if (map) map->mapRow(in, out, static_cast<std::size_t>(bitmap.width));
      else for (std::int32_t x = 0; x < bitmap.width; ++x) out[x] = fixedPaletteIndex(in[x]);
    } else {
      if (ditherer) ditherer->mapRow(in, indices.data());
      else map->mapRow(in, indices.data(), indices.size());
      packRow(indices.data(), bitmap.width, bitCount, out);
    }
  }
  return true;
}

}  // namespace quintorel
