// BMP decoding: the 12- and 40-byte info headers, colour tables, uncompressed rows of 1 to 32
// bits, bit-field masks and run-length encoded rows, into 32-bit pixels.
#include "platform/bmp_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <limits>
#include <new>
#include <string>
#include <utility>

#include "platform/bitmap_info_header.h"
#include "platform/bmp_rle.h"
#include "platform/error.h"
#include "platform/little_endian.h"

namespace quintorel {

namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

// A run-length picture may code a whole picture in a few bytes (end of line, delta, end of
// bitmap), so its stated size alone would choose the allocation. Beyond this many pixels it
// must bring at least one byte of codes per kMaxRlePixelsPerByte pixels.
constexpr std::int64_t kRlePixelsWithoutCheck = std::int64_t{1} << 24;
constexpr std::int64_t kMaxRlePixelsPerByte = 256;

// Thrown inside this file only; decodeBmp() turns it into the Error that names the file.
struct DecodeFailure {
  std::string reason;
};

[[noreturn]] void fail(std::string reason) { throw DecodeFailure{std::move(reason)}; }

// The fields of either info header that decoding needs, in one form.
struct Layout {
  std::uint32_t headerSize = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;  // made positive
  bool topDown = false;
  std::uint16_t bitCount = 0;
  std::uint32_t compression = BI_RGB;
  std::uint32_t coloursUsed = 0;
  std::size_t colourEntrySize = 4;  // RGBQUAD; the core header's table holds RGBTRIPLEs
};

Layout readLayout(std::span<const std::uint8_t> content) {
  const std::uint8_t* p = content.data();
  Layout layout;
  layout.headerSize = le::get32(p);
  if (layout.headerSize == kBmpCoreHeaderSize) {
    layout.width = le::get16(p + 4);      // bcWidth
    layout.height = le::get16(p + 6);     // bcHeight
    layout.bitCount = le::get16(p + 10);  // bcBitCount
    layout.colourEntrySize = 3;
  } else {
    const BitmapInfoHeader header = BitmapInfoHeader::readFrom(content);
    layout.width = header.biWidth;
    layout.topDown = header.biHeight < 0;
    layout.height = std::abs(static_cast<std::int64_t>(header.biHeight));
    layout.bitCount = header.biBitCount;
    layout.compression = header.biCompression;
    layout.coloursUsed = header.biClrUsed;
  }
  return layout;
}

void checkFormat(const Layout& layout) {
  const int bits = layout.bitCount;
  const bool core = layout.headerSize == kBmpCoreHeaderSize;
  bool supported = false;
  switch (layout.compression) {
    case BI_RGB:
      supported = bits == 1 || bits == 4 || bits == 8 || bits == 24 ||
                  (!core && (bits == 16 || bits == 32));
      break;
    case BI_RLE8: supported = bits == 8; break;
    case BI_RLE4: supported = bits == 4; break;
    case BI_BITFIELDS: supported = bits == 16 || bits == 32; break;
    default: fail("unsupported compression " + std::to_string(layout.compression));
  }
  if (!supported) {
    std::string reason = "unsupported bit count " + std::to_string(bits);
    if (layout.compression != BI_RGB) {
      reason += " with compression " + std::to_string(layout.compression);
    }
    fail(reason);
  }
  if (layout.topDown && layout.compression != BI_RGB && layout.compression != BI_BITFIELDS) {
    fail("unsupported top-down compression " + std::to_string(layout.compression));
  }
}

void checkSize(const Layout& layout) {
  if (layout.width <= 0 || layout.height <= 0) {
    fail("invalid size " + std::to_string(layout.width) + " x " + std::to_string(layout.height));
  }
  if (layout.width > kMaxBmpSide || layout.height > kMaxBmpSide) fail("too large");
  // Also what the side limit already implies, kept so that a larger limit stays safe.
  const std::int64_t stride8 = (layout.width + 3) / 4 * 4;
  if (stride8 * layout.height > kInt32Max || layout.width * layout.height > kInt32Max) {
    fail("too large");
  }
}

// One colour channel of a bit-field pixel, scaled to 8 bits by repeating its bits, so that
// the channel's maximum becomes 255 and its zero stays 0.
class Channel {
 public:
  explicit Channel(std::uint32_t mask) {
    if (mask == 0) return;  // a channel without bits reads 0
    shift_ = static_cast<unsigned>(std::countr_zero(mask));
    unsigned bits = static_cast<unsigned>(std::bit_width(mask)) - shift_;
    if (bits > 8) {  // only the top 8 bits matter at 8 bits per channel
      shift_ += bits - 8;
      bits = 8;
    }
    max_ = (1u << bits) - 1;
    for (std::uint32_t v = 0; v <= max_; ++v) {
      std::uint32_t repeated = 0;
      unsigned filled = 0;
      while (filled < 8) {
        repeated = (repeated << bits) | v;
        filled += bits;
      }
      scale_[v] = static_cast<std::uint8_t>(repeated >> (filled - 8));
    }
  }
  std::uint32_t operator()(std::uint32_t pixel) const { return scale_[(pixel >> shift_) & max_]; }

 private:
  unsigned shift_ = 0;
  std::uint32_t max_ = 0;
  std::array<std::uint8_t, 256> scale_{};
};

struct Masks {
  std::uint32_t red = 0;
  std::uint32_t green = 0;
  std::uint32_t blue = 0;
};

// Calls row(src, dst) for each selected output row from the top, `src` being its row in the
// file.
template <typename RowFunction>
void forEachRow(const Layout& layout, const std::uint8_t* data, std::size_t stride,
                DeviceBitmap& out, RowSelection rows, RowFunction row) {
  const auto width = static_cast<std::size_t>(layout.width);
  const auto height = static_cast<std::size_t>(layout.height);
  const auto step = static_cast<std::size_t>(std::max<std::int64_t>(rows.step, 1));
  for (auto y = static_cast<std::size_t>(std::max<std::int64_t>(rows.first, 0)); y < height; y += step) {
    const std::size_t fileRow = layout.topDown ? y : height - 1 - y;
    row(data + fileRow * stride, out.pixels.data() + y * width);
  }
}

void decodeUncompressed(const Layout& layout, std::span<const std::uint8_t> data,
                        const BmpColourTable& colours, const Masks& masks, DeviceBitmap& out,
                        RowSelection rows) {
  const std::int64_t rowBits = layout.width * layout.bitCount;
  const std::int64_t stride = (rowBits + 31) / 32 * 4;
  // The last row's padding may be missing: only the bytes that hold pixels must be there.
  const std::int64_t needed = stride * (layout.height - 1) + (rowBits + 7) / 8;
  if (static_cast<std::int64_t>(data.size()) < needed) fail("cut short");

  out.pixels.resize(static_cast<std::size_t>(layout.width * layout.height));
  const auto width = static_cast<std::size_t>(layout.width);
  const auto rowStride = static_cast<std::size_t>(stride);
  switch (layout.bitCount) {
    case 1:
      forEachRow(layout, data.data(), rowStride, out, rows, [&](const std::uint8_t* s, std::uint32_t* d) {
        for (std::size_t x = 0; x < width; ++x) d[x] = colours[(s[x >> 3] >> (7 - (x & 7))) & 1];
      });
      break;
    case 4:
      forEachRow(layout, data.data(), rowStride, out, rows, [&](const std::uint8_t* s, std::uint32_t* d) {
        for (std::size_t x = 0; x < width; ++x) {
          d[x] = colours[(x & 1) ? (s[x >> 1] & 0x0F) : (s[x >> 1] >> 4)];
        }
      });
      break;
    case 8:
      forEachRow(layout, data.data(), rowStride, out, rows, [&](const std::uint8_t* s, std::uint32_t* d) {
        for (std::size_t x = 0; x < width; ++x) d[x] = colours[s[x]];
      });
      break;
    case 16: {
      const Channel red(masks.red), green(masks.green), blue(masks.blue);
      forEachRow(layout, data.data(), rowStride, out, rows, [&](const std::uint8_t* s, std::uint32_t* d) {
        for (std::size_t x = 0; x < width; ++x) {
          const std::uint32_t v = le::get16(s + 2 * x);
          d[x] = red(v) << 16 | green(v) << 8 | blue(v);
        }
      });
      break;
    }
    case 24:
      forEachRow(layout, data.data(), rowStride, out, rows, [&](const std::uint8_t* s, std::uint32_t* d) {
        // Four pixels are twelve bytes, three whole words: the compiler makes vector code of
        // this where byte-by-byte assembly stays scalar, and decoding twice as fast matters
        // when every frame of a clip goes through here.
        std::size_t x = 0;
        for (; x + 4 <= width; x += 4, s += 12) {
          const std::uint32_t w0 = le::get32(s), w1 = le::get32(s + 4), w2 = le::get32(s + 8);
          d[x] = w0 & 0xFFFFFF;
          d[x + 1] = w0 >> 24 | (w1 & 0xFFFF) << 8;
          d[x + 2] = w1 >> 16 | (w2 & 0xFF) << 16;
          d[x + 3] = w2 >> 8;
        }
        for (; x < width; ++x, s += 3) d[x] = std::uint32_t{s[2]} << 16 | std::uint32_t{s[1]} << 8 | s[0];
      });
      break;
    case 32:
      if (layout.compression == BI_RGB) {
        // B, G, R and an unused byte.
        forEachRow(layout, data.data(), rowStride, out, rows,
                   [&](const std::uint8_t* s, std::uint32_t* d) {
                     for (std::size_t x = 0; x < width; ++x) {
                       d[x] = le::get32(s + 4 * x) & 0x00FFFFFF;
                     }
                   });
      } else {
        const Channel red(masks.red), green(masks.green), blue(masks.blue);
        forEachRow(layout, data.data(), rowStride, out, rows,
                   [&](const std::uint8_t* s, std::uint32_t* d) {
                     for (std::size_t x = 0; x < width; ++x) {
                       const std::uint32_t v = le::get32(s + 4 * x);
                       d[x] = red(v) << 16 | green(v) << 8 | blue(v);
                     }
                   });
      }
      break;
  }
}

void decodeRle(const Layout& layout, std::span<const std::uint8_t> data,
               const BmpColourTable& colours, DeviceBitmap& out) {
  const std::int64_t count = layout.width * layout.height;
  if (count > kRlePixelsWithoutCheck &&
      count / kMaxRlePixelsPerByte > static_cast<std::int64_t>(data.size())) {
    fail("too large");
  }
  // Pixels that no code writes show colour-table entry 0, as ffmpeg shows them.
  out.pixels.assign(static_cast<std::size_t>(count), colours[0]);
  if (!decodeBmpRle(data, layout.bitCount, static_cast<std::int32_t>(layout.width),
                    static_cast<std::int32_t>(layout.height), colours, out.pixels)) {
    fail("cut short");
  }
}

void decode(std::span<const std::uint8_t> file, DeviceBitmap& out, RowSelection rows) {
  if (file.empty()) fail("empty picture");
  if (file.size() < kBmpFileHeaderSize + 4) fail("cut short");
  const std::span<const std::uint8_t> content = file.subspan(kBmpFileHeaderSize);
  const std::uint32_t headerSize = le::get32(content.data());
  if (headerSize != kBmpCoreHeaderSize && headerSize != kBmpInfoHeaderSize) {
    fail("unsupported header size " + std::to_string(headerSize));
  }
  if (content.size() < headerSize) fail("cut short");
  const Layout layout = readLayout(content);
  checkFormat(layout);
  checkSize(layout);

  std::size_t tableStart = headerSize;
  Masks masks;
  if (layout.compression == BI_BITFIELDS) {
    if (content.size() < tableStart + 12) fail("cut short");
    masks = {le::get32(&content[tableStart]), le::get32(&content[tableStart + 4]),
             le::get32(&content[tableStart + 8])};
    tableStart += 12;
  } else if (layout.bitCount == 16) {
    masks = {0x7C00, 0x03E0, 0x001F};
  }

  // At 8 bits and below a table shorter than 2^n may be given; its missing entries are
  // black. Above 8 bits a table is optional and unused, only skipped.
  const std::uint64_t maxEntries = layout.bitCount <= 8 ? std::uint64_t{1} << layout.bitCount : 0;
  const std::uint64_t usedEntries =
      layout.coloursUsed == 0 || layout.coloursUsed > maxEntries ? maxEntries : layout.coloursUsed;
  const std::uint64_t statedEntries = layout.bitCount <= 8 ? usedEntries : layout.coloursUsed;
  const std::uint64_t tableEnd = tableStart + usedEntries * layout.colourEntrySize;
  if (tableEnd > content.size()) fail("cut short");
  BmpColourTable colours{};
  for (std::size_t i = 0; i < usedEntries; ++i) {
    const std::uint8_t* e = &content[tableStart + i * layout.colourEntrySize];
    colours[i] = std::uint32_t{e[2]} << 16 | std::uint32_t{e[1]} << 8 | e[0];
  }

  // bfOffBits counts from the start of the file. Some writers state it wrongly; it is
  // believed only where it can be right, else the rows follow the table.
  const std::int64_t offBits = static_cast<std::int64_t>(le::get32(file.data() + 10)) -
                               static_cast<std::int64_t>(kBmpFileHeaderSize);
  const auto contentSize = static_cast<std::int64_t>(content.size());
  std::int64_t pixelStart =
      static_cast<std::int64_t>(tableStart + statedEntries * layout.colourEntrySize);
  if (offBits >= static_cast<std::int64_t>(tableEnd) && offBits < contentSize) pixelStart = offBits;
  if (pixelStart > contentSize) fail("cut short");
  const std::span<const std::uint8_t> data = content.subspan(static_cast<std::size_t>(pixelStart));

  if (layout.compression == BI_RLE8 || layout.compression == BI_RLE4) {
    decodeRle(layout, data, colours, out);
  } else {
    decodeUncompressed(layout, data, colours, masks, out, rows);
  }
  out.width = static_cast<std::int32_t>(layout.width);
  out.height = static_cast<std::int32_t>(layout.height);
  out.planes = 1;
  out.bitsPixel = 32;
}

}  // namespace

BmpDimensions readBmpDimensions(std::span<const std::uint8_t> content) {
  BmpDimensions dimensions;
  if (content.size() < 4) return dimensions;
  const std::uint32_t headerSize = le::get32(content.data());
  if (headerSize == kBmpCoreHeaderSize && content.size() >= 8) {
    dimensions.width = le::get16(content.data() + 4);
    dimensions.height = le::get16(content.data() + 6);
  } else if (headerSize == kBmpInfoHeaderSize && content.size() >= 12) {
    dimensions.width = le::getSigned32(content.data() + 4);
    const std::int64_t height =
        std::abs(static_cast<std::int64_t>(le::getSigned32(content.data() + 8)));
    dimensions.height = static_cast<std::int32_t>(std::min(height, kInt32Max));
  }
  return dimensions;
}

void decodeBmp(std::span<const std::uint8_t> file, const std::string& name, DeviceBitmap& out,
               RowSelection rows) {
  try {
    try {
      decode(file, out, rows);
    } catch (const std::bad_alloc&) {
      fail("out of memory");
    }
  } catch (DecodeFailure& failure) {
    out.width = 0;
    out.height = 0;
    out.pixels.clear();  // keeps the storage for the next picture
    throw Error("Could not decode picture " + name + ": " + failure.reason);
  }
}

}  // namespace quintorel
