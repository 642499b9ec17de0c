// Small BMP files made in the test: 24-bit pictures from a pixel function.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace quintorel::test {

// 0x00RRGGBB for the pixel at (x, y), y counted from the top.
using PixelFunction = std::function<std::uint32_t(int x, int y)>;

// A whole 24-bit BI_RGB BMP file (bottom-up rows, 40-byte info header).
std::vector<std::uint8_t> makeBmp24(int width, int height, const PixelFunction& pixel);
// The same written to `path`.
void writeBmp24(const std::filesystem::path& path, int width, int height,
                const PixelFunction& pixel);
// A solid picture of one colour.
void writeSolidBmp(const std::filesystem::path& path, int width, int height, std::uint32_t rgb);

}  // namespace quintorel::test
