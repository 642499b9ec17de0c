// Writing small 24-bit BMP files for the tests.
#include "tests/support/bmp_fixture.h"

#include "platform/little_endian.h"
#include "tests/support/temp_dir.h"

namespace quintorel::test {

std::vector<std::uint8_t> makeBmp24(int width, int height, const PixelFunction& pixel) {
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  const std::size_t imageSize = stride * static_cast<std::size_t>(height);
  std::vector<std::uint8_t> file(54 + imageSize, 0);
  std::uint8_t* p = file.data();
  p[0] = 'B';
  p[1] = 'M';
  le::put32(p + 2, static_cast<std::uint32_t>(file.size()));
  le::put32(p + 10, 54);
  le::put32(p + 14, 40);
  le::put32(p + 18, static_cast<std::uint32_t>(width));
  le::put32(p + 22, static_cast<std::uint32_t>(height));
  le::put16(p + 26, 1);
  le::put16(p + 28, 24);
  le::put32(p + 34, static_cast<std::uint32_t>(imageSize));
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = p + 54 + stride * static_cast<std::size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t rgb = pixel(x, y);
      row[3 * x + 0] = static_cast<std::uint8_t>(rgb);
      row[3 * x + 1] = static_cast<std::uint8_t>(rgb >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(rgb >> 16);
    }
  }
  return file;
}

void writeBmp24(const std::filesystem::path& path, int width, int height,
                const PixelFunction& pixel) {
  writeFile(path, makeBmp24(width, height, pixel));
}

void writeSolidBmp(const std::filesystem::path& path, int width, int height, std::uint32_t rgb) {
  writeBmp24(path, width, height, [rgb](int, int) { return rgb; });
}

}  // namespace quintorel::test
