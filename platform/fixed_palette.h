// The palette used when a conversion to 8 bits is given none: 6 x 7 x 6 levels of red, green
// and blue, plus four greys, with a mapping that needs no search.
#pragma once

#include <cstdint>

#include "platform/palette.h"

namespace quintorel {

const Palette& fixedPalette();

// The index of the fixed palette's entry nearest to `rgb` (0x00RRGGBB).
std::uint8_t fixedPaletteIndex(std::uint32_t rgb);

}  // namespace quintorel
