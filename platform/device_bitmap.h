// A decoded picture in the display's pixel format: what the bitmap object hands out to be
// drawn or converted.
#pragma once

#include <cstdint>
#include <vector>

namespace quintorel {

struct DeviceBitmap {
  std::int32_t width = 0;
  std::int32_t height = 0;  // always positive; a device bitmap has no row direction of its own
  // What the platform reports of the bitmap's format. Every decoded picture is 32 bits per
  // pixel on one plane, as a true-colour display's bitmap would be; tests set other values to
  // describe other displays.
  std::uint16_t planes = 1;
  std::uint16_t bitsPixel = 32;
  // width * height pixels, top row first, each 0x00RRGGBB (bytes B, G, R, 0 in memory).
  std::vector<std::uint32_t> pixels;

  std::uint32_t pixel(std::int32_t x, std::int32_t y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

}  // namespace quintorel
