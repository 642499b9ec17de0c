// A logical palette of up to 256 colours, as handed to the conversion to 8 bits.
#pragma once

#include <array>
#include <cstdint>

namespace quintorel {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Palette {
  std::uint32_t count = 0;  // entries[0, count) are in use
  std::array<Rgb, 256> entries{};
};

}  // namespace quintorel
