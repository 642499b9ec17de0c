// Mapping pixels to the nearest entry of a given palette through a lookup table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/palette.h"

namespace quintorel {

class ColourMap {
 public:
  explicit ColourMap(const Palette& palette);

  const Palette& palette() const { return palette_; }
  // The index of the entry nearest to `rgb` (0x00RRGGBB).
  std::uint8_t index(std::uint32_t rgb) const;
  void mapRow(const std::uint32_t* pixels, std::uint8_t* indices, std::size_t count) const;

 private:
  Palette palette_;
  std::vector<std::uint8_t> table_;  // 32 x 32 x 32 cells, red major
};

// True when both palettes hold the same colours in the same order.
bool samePalette(const Palette& a, const Palette& b);

}  // namespace quintorel
