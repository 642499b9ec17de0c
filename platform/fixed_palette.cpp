// The fixed 256-colour palette and its lookup-table mapping.
#include "platform/fixed_palette.h"

#include <array>
#include <cstdlib>

namespace quintorel {

namespace {

// Green gets the seventh level because the eye tells green steps apart best.
constexpr int kRedLevels = 6;
constexpr int kGreenLevels = 7;
constexpr int kBlueLevels = 6;
constexpr int kCubeSize = kRedLevels * kGreenLevels * kBlueLevels;  // 252
// True greys the cube lacks (its green levels fall between the red and blue ones).
constexpr std::array<std::uint8_t, 4> kGreys = {51, 102, 153, 204};

std::uint8_t level(int index, int levels) {
  return static_cast<std::uint8_t>((index * 255 + (levels - 1) / 2) / (levels - 1));
}

struct Tables {
  Palette palette;
  // Per channel value: the nearest level's index, already multiplied by its place in the cube.
  std::array<std::uint8_t, 256> red{}, green{}, blue{};
  // Per channel value: the nearest of the extra greys.
  std::array<std::uint8_t, 256> grey{};

  Tables() {
    palette.count = 256;
    int i = 0;
    for (int r = 0; r < kRedLevels; ++r)
      for (int g = 0; g < kGreenLevels; ++g)
        for (int b = 0; b < kBlueLevels; ++b)
          palette.entries[i++] = {level(r, kRedLevels), level(g, kGreenLevels), level(b, kBlueLevels)};
    for (std::uint8_t v : kGreys) palette.entries[i++] = {v, v, v};
    for (int v = 0; v < 256; ++v) {
      red[v] = static_cast<std::uint8_t>(nearestLevel(v, kRedLevels) * kGreenLevels * kBlueLevels);
      green[v] = static_cast<std::uint8_t>(nearestLevel(v, kGreenLevels) * kBlueLevels);
      blue[v] = static_cast<std::uint8_t>(nearestLevel(v, kBlueLevels));
      int best = 0;
      for (int k = 1; k < static_cast<int>(kGreys.size()); ++k)
        if (std::abs(v - kGreys[k]) < std::abs(v - kGreys[best])) best = k;
      grey[v] = static_cast<std::uint8_t>(kCubeSize + best);
    }
  }

  static int nearestLevel(int value, int levels) {
    return (value * (levels - 1) + 127) / 255;
  }
};

const Tables& tables() {
  static const Tables instance;
  return instance;
}

int distance(const Rgb& c, int r, int g, int b) {
  return (c.red - r) * (c.red - r) + (c.green - g) * (c.green - g) + (c.blue - b) * (c.blue - b);
}

}  // namespace

const Palette& fixedPalette() { return tables().palette; }

std::uint8_t fixedPaletteIndex(std::uint32_t rgb) {
  const Tables& t = tables();
  const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  const std::uint8_t cube = static_cast<std::uint8_t>(t.red[r] + t.green[g] + t.blue[b]);
  // Only a near-grey pixel can be closer to one of the extra greys than to its cube colour.
  if (std::abs(r - g) > 64 || std::abs(g - b) > 64) return cube;
  const std::uint8_t grey = t.grey[(r + g + b) / 3];
  return distance(t.palette.entries[grey], r, g, b) < distance(t.palette.entries[cube], r, g, b)
             ? grey
             : cube;
}

}  // namespace quintorel
