// A 32 x 32 x 32 lookup table filled with each cell centre's nearest palette entry.
#include "platform/colour_map.h"

#include <algorithm>
#include <limits>

namespace quintorel {

ColourMap::ColourMap(const Palette& palette) : palette_(palette), table_(32 * 32 * 32, 0) {
  const int count = static_cast<int>(std::min<std::uint32_t>(palette.count, 256));
  if (count == 0) return;
  for (int cell = 0; cell < 32 * 32 * 32; ++cell) {
    const int r = ((cell >> 10) & 31) * 8 + 4, g = ((cell >> 5) & 31) * 8 + 4, b = (cell & 31) * 8 + 4;
    int best = 0, bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < count; ++i) {
      const Rgb& c = palette.entries[i];
      const int d = (c.red - r) * (c.red - r) + (c.green - g) * (c.green - g) + (c.blue - b) * (c.blue - b);
      if (d < bestDistance) bestDistance = d, best = i;
    }
    table_[cell] = static_cast<std::uint8_t>(best);
  }
}

std::uint8_t ColourMap::index(std::uint32_t rgb) const {
  return table_[((rgb >> 9) & 0x7C00) | ((rgb >> 6) & 0x03E0) | ((rgb >> 3) & 0x001F)];
}

void ColourMap::mapRow(const std::uint32_t* pixels, std::uint8_t* indices, std::size_t count) const {
  for (std::size_t i = 0; i < count; ++i) indices[i] = index(pixels[i]);
}

bool samePalette(const Palette& a, const Palette& b) {
  return a.count == b.count &&
         std::equal(a.entries.begin(), a.entries.begin() + std::min<std::uint32_t>(a.count, 256),
                    b.entries.begin());
}

}  // namespace quintorel
