// Run-length decoding of BMP rows: encoded runs, end of line, end of bitmap, delta and
// absolute runs with their padding to a 16-bit boundary.
#include "platform/bmp_rle.h"

#include <algorithm>
#include <cstddef>

namespace quintorel {

namespace {

// Codes after a zero byte; any larger count starts an absolute run.
constexpr std::uint8_t kEndOfLine = 0;
constexpr std::uint8_t kEndOfBitmap = 1;
constexpr std::uint8_t kDelta = 2;

class RleReader {
 public:
  explicit RleReader(std::span<const std::uint8_t> codes) : codes_(codes) {}
  bool has(std::size_t n) const { return codes_.size() - pos_ >= n; }
  std::uint8_t next() { return codes_[pos_++]; }
  const std::uint8_t* take(std::size_t n) {
    const std::uint8_t* p = codes_.data() + pos_;
    pos_ += n;
    return p;
  }
  // An absolute run is padded to an even length; a missing pad byte at the very end is
  // forgiven, as nothing would follow it anyway.
  void skipPad(std::size_t runBytes) {
    if (runBytes % 2 != 0 && has(1)) ++pos_;
  }

 private:
  std::span<const std::uint8_t> codes_;
  std::size_t pos_ = 0;
};

class RleCanvas {
 public:
  RleCanvas(std::int32_t width, std::int32_t height, std::span<std::uint32_t> pixels)
      : width_(width), height_(height), pixels_(pixels) {}

  bool pastEnd() const { return y_ >= height_; }
  bool finished() const { return y_ >= height_ || (y_ == height_ - 1 && x_ >= width_); }
  void endLine() {
    x_ = 0;
    ++y_;
  }
  void move(std::uint8_t dx, std::uint8_t dy) {
    x_ += dx;
    y_ += dy;
  }
  // How many of the next `count` pixels land inside the row; the position advances by all.
  std::int64_t visible(std::int64_t count) const {
    if (y_ >= height_ || x_ >= width_) return 0;
    return std::min<std::int64_t>(count, width_ - x_);
  }
  // Only inside the picture, where visible() is positive.
  std::uint32_t* at() {
    // Rows are coded from the bottom up.
    const std::int64_t row = height_ - 1 - y_;
    return pixels_.data() + row * width_ + x_;
  }
  void advance(std::int64_t count) { x_ += count; }

 private:
  std::int64_t width_;
  std::int64_t height_;
  std::span<std::uint32_t> pixels_;
  std::int64_t x_ = 0;
  std::int64_t y_ = 0;  // counted from the bottom row
};

void encodedRun(RleCanvas& canvas, int bitCount, std::uint8_t count, std::uint8_t value,
                const BmpColourTable& colours) {
  const std::int64_t n = canvas.visible(count);
  std::uint32_t* out = n > 0 ? canvas.at() : nullptr;
  if (bitCount == 8) {
    std::fill_n(out, n, colours[value]);
  } else {
    // The byte holds two indices used in turn, high nibble first.
    const std::uint32_t pair[2] = {colours[value >> 4], colours[value & 0x0F]};
    for (std::int64_t i = 0; i < n; ++i) out[i] = pair[i & 1];
  }
  canvas.advance(count);
}

// Returns false when the codes end inside the run.
bool absoluteRun(RleReader& reader, RleCanvas& canvas, int bitCount, std::uint8_t count,
                 const BmpColourTable& colours) {
  const std::size_t bytes = bitCount == 8 ? count : (count + 1u) / 2;
  if (!reader.has(bytes)) return false;
  const std::uint8_t* in = reader.take(bytes);
  const std::int64_t n = canvas.visible(count);
  std::uint32_t* out = n > 0 ? canvas.at() : nullptr;
  if (bitCount == 8) {
    for (std::int64_t i = 0; i < n; ++i) out[i] = colours[in[i]];
  } else {
    for (std::int64_t i = 0; i < n; ++i) {
      const std::uint8_t b = in[i >> 1];
      out[i] = colours[(i & 1) ? (b & 0x0F) : (b >> 4)];
    }
  }
  canvas.advance(count);
  reader.skipPad(bytes);
  return true;
}

}  // namespace

bool decodeBmpRle(std::span<const std::uint8_t> codes, int bitCount, std::int32_t width,
                  std::int32_t height, const BmpColourTable& colours,
                  std::span<std::uint32_t> pixels) {
  RleReader reader(codes);
  RleCanvas canvas(width, height, pixels);
  // Nothing can be drawn once the position has left the top of the picture.
  while (!canvas.pastEnd()) {
    if (!reader.has(2)) return canvas.finished();
    const std::uint8_t count = reader.next();
    const std::uint8_t value = reader.next();
    if (count > 0) {
      encodedRun(canvas, bitCount, count, value, colours);
    } else if (value == kEndOfLine) {
      canvas.endLine();
    } else if (value == kEndOfBitmap) {
      return true;
    } else if (value == kDelta) {
      if (!reader.has(2)) return canvas.finished();
      const std::uint8_t dx = reader.next();
      const std::uint8_t dy = reader.next();
      canvas.move(dx, dy);
    } else if (!absoluteRun(reader, canvas, bitCount, value, colours)) {
      return false;
    }
  }
  return true;
}

}  // namespace quintorel
