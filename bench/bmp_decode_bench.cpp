// Time to decode a 640 x 480 picture in each common BMP format; the 24-bit one must take
// well under a millisecond. Prints one line per format; exits 1 when the target is missed.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/bitmap.h"
#include "platform/little_endian.h"

namespace {

using quintorel::Bitmap;
using quintorel::DeviceBitmap;
namespace le = quintorel::le;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr double kTarget24BitMs = 1.0;

// A whole file: 40-byte header, colour table of `colours` entries, then `rows` as stored.
std::vector<std::uint8_t> makeFile(int bitCount, std::uint32_t compression, int colours,
                                   const std::vector<std::uint8_t>& rows) {
  std::vector<std::uint8_t> file(54 + 4 * colours, 0);
  file[0] = 'B';
  file[1] = 'M';
  le::put32(&file[10], static_cast<std::uint32_t>(file.size()));
  le::put32(&file[14], 40);
  le::put32(&file[18], kWidth);
  le::put32(&file[22], kHeight);
  le::put16(&file[26], 1);
  le::put16(&file[28], static_cast<std::uint16_t>(bitCount));
  le::put32(&file[30], compression);
  for (int i = 0; i < colours; ++i) {
    file[54 + 4 * i] = static_cast<std::uint8_t>(i);
    file[55 + 4 * i] = static_cast<std::uint8_t>(255 - i);
    file[56 + 4 * i] = static_cast<std::uint8_t>(i * 7);
  }
  file.insert(file.end(), rows.begin(), rows.end());
  le::put32(&file[2], static_cast<std::uint32_t>(file.size()));
  return file;
}

std::vector<std::uint8_t> uncompressedRows(int bitCount) {
  const std::size_t stride = (static_cast<std::size_t>(kWidth) * bitCount + 31) / 32 * 4;
  std::vector<std::uint8_t> rows(stride * kHeight);
  for (std::size_t i = 0; i < rows.size(); ++i)
    rows[i] = static_cast<std::uint8_t>(i * 13 + i / 640);
  return rows;
}

// Runs of 1 to 8 pixels of one index, each row ended by an end-of-line code.
std::vector<std::uint8_t> rle8Rows() {
  std::vector<std::uint8_t> codes;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth;) {
      const int run = std::min(1 + (x + y) % 8, kWidth - x);
      codes.push_back(static_cast<std::uint8_t>(run));
      codes.push_back(static_cast<std::uint8_t>(x ^ y));
      x += run;
    }
    codes.push_back(0);
    codes.push_back(0);
  }
  codes.push_back(0);
  codes.push_back(1);
  return codes;
}

// The fastest of several rounds, each the mean of many decodes, in milliseconds.
double millisecondsPerDecode(const Bitmap& bitmap) {
  DeviceBitmap out;
  bitmap.decodeInto(out);
  double best = 1e9;
  for (int round = 0; round < 5; ++round) {
    constexpr int kDecodes = 100;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kDecodes; ++i) bitmap.decodeInto(out);
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    best = std::min(best, elapsed.count() / kDecodes);
  }
  return best;
}

}  // namespace

int main() {
  struct Format {
    const char* name;
    std::vector<std::uint8_t> file;
    bool hasTarget = false;
  };
  const Format formats[] = {
      {"24-bit", makeFile(24, 0, 0, uncompressedRows(24)), true},
      {"32-bit", makeFile(32, 0, 0, uncompressedRows(32))},
      {"16-bit", makeFile(16, 0, 0, uncompressedRows(16))},
      {"8-bit", makeFile(8, 0, 256, uncompressedRows(8))},
      {"4-bit", makeFile(4, 0, 16, uncompressedRows(4))},
      {"1-bit", makeFile(1, 0, 2, uncompressedRows(1))},
      {"8-bit RLE", makeFile(8, 1, 256, rle8Rows())},
  };
  bool met = true;
  for (const Format& format : formats) {
    const double ms = millisecondsPerDecode(Bitmap::loadFromBytes(format.file, format.name));
    std::printf("decode %dx%d %-10s %.3f ms\n", kWidth, kHeight, format.name, ms);
    if (format.hasTarget && ms >= kTarget24BitMs) met = false;
  }
  if (!met) std::printf("24-bit decoding misses its target of %.1f ms\n", kTarget24BitMs);
  return met ? 0 : 1;
}
