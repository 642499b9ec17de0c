// ColourMap: every answer equals an exhaustive nearest-colour search, ties and repeated
// entries included, on palettes chosen to stress its cells and candidate lists.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/colour_map.h"

namespace quintorel {
namespace {

std::uint32_t rgbOf(const Rgb& c) {
  return static_cast<std::uint32_t>(c.red << 16 | c.green << 8 | c.blue);
}

Palette paletteOf(const std::vector<Rgb>& colours) {
  Palette p;
  p.count = static_cast<std::uint32_t>(colours.size());
  std::copy(colours.begin(), colours.end(), p.entries.begin());
  return p;
}

// A fixed pseudo-random sequence, so a failure names the same colours on every run.
class Lcg {
 public:
  std::uint32_t next() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(state_ >> 33);
  }
  std::uint8_t byte() { return static_cast<std::uint8_t>(next() >> 8); }

 private:
  std::uint64_t state_ = 12345;
};

struct MapCase {
  const char* name;
  Palette palette;
  friend void PrintTo(const MapCase& c, std::ostream* os) { *os << c.name; }
};

std::vector<MapCase> mapCases() {
  std::vector<MapCase> cases;
  Lcg lcg;
  {
    Palette p;
    p.count = 256;
    for (Rgb& c : p.entries) c = {lcg.byte(), lcg.byte(), lcg.byte()};
    cases.push_back({"scattered", p});
  }
  {
    // 256 entries within 8 values of each other: long candidate lists, every cell ambiguous.
    Palette p;
    p.count = 256;
    for (std::uint32_t i = 0; i < 256; ++i)
      p.entries[i] = {static_cast<std::uint8_t>(100 + (i >> 5)), static_cast<std::uint8_t>(100 + ((i >> 2) & 7)),
                      static_cast<std::uint8_t>(100 + (i & 3) * 2)};
    cases.push_back({"dense_cluster", p});
  }
  {
    Palette p;
    p.count = 256;
    for (std::uint32_t i = 0; i < 256; ++i) p.entries[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i)};
    cases.push_back({"greys", p});
  }
  // Entries on both sides of cell edges (multiples of 4) and of region edges (multiples of
  // 16), repeated entries, and pairs an odd distance apart whose midpoints tie, some listed
  // higher index first.
  cases.push_back({"ties_and_repeats", paletteOf({{2, 0, 0}, {0, 0, 0}, {0, 0, 0}, {3, 3, 3}, {4, 4, 4},
                                                   {130, 128, 128}, {128, 128, 128}, {15, 200, 16},
                                                   {16, 200, 15}, {255, 255, 255}, {2, 0, 0},
                                                   {63, 64, 63}, {64, 63, 64}, {201, 9, 77}})});
  cases.push_back({"black_and_white", paletteOf({{0, 0, 0}, {255, 255, 255}})});
  cases.push_back({"one_colour", paletteOf({{10, 20, 30}})});
  {
    // Entries past the count are not part of the palette, however near they are.
    Palette p = paletteOf({{0, 0, 0}, {255, 0, 0}, {0, 0, 255}});
    for (std::uint32_t i = 3; i < 256; ++i) p.entries[i] = {static_cast<std::uint8_t>(i), 128, static_cast<std::uint8_t>(i)};
    cases.push_back({"entries_past_the_count", p});
  }
  cases.push_back({"no_entries", Palette{}});
  return cases;
}

// A lattice through the whole cube, both edges of every cell near each entry, and random
// colours.
std::vector<std::uint32_t> probeColours(const Palette& palette) {
  std::vector<std::uint32_t> colours;
  for (int r = 0; r < 256; r += 5)
    for (int g = 1; g < 256; g += 6)
      for (int b = 2; b < 256; b += 7) colours.push_back(static_cast<std::uint32_t>(r << 16 | g << 8 | b));
  for (std::uint32_t i = 0; i < palette.count; ++i) {
    const Rgb& c = palette.entries[i];
    for (int d = -4; d <= 4; ++d) {
      auto at = [&](int v) { return static_cast<std::uint32_t>(std::clamp(v + d, 0, 255)); };
      colours.push_back(at(c.red) << 16 | at(c.green) << 8 | at(c.blue));
      colours.push_back(at(c.red) << 16 | static_cast<std::uint32_t>(c.green) << 8 | at(c.blue));
    }
  }
  Lcg lcg;
  for (int i = 0; i < 50000; ++i) colours.push_back(lcg.next() & 0xFFFFFF);
  return colours;
}

class ColourMapCase : public testing::TestWithParam<MapCase> {};

TEST_P(ColourMapCase, AgreesWithAnExhaustiveSearch) {
  const Palette& palette = GetParam().palette;
  const ColourMap map(palette);
  const std::vector<std::uint32_t> colours = probeColours(palette);
  std::vector<std::uint8_t> rowAnswers(colours.size());
  map.mapRow(colours.data(), rowAnswers.data(), colours.size());
  int wrong = 0;
  for (std::size_t i = 0; i < colours.size() && wrong < 10; ++i) {
    const std::uint8_t expected = nearestEntry(palette, colours[i]);
    if (map.index(colours[i]) != expected || rowAnswers[i] != expected) {
      ++wrong;
      ADD_FAILURE() << "colour " << std::hex << colours[i] << std::dec << ": exhaustive "
                    << int(expected) << ", index() " << int(map.index(colours[i]))
                    << ", mapRow() " << int(rowAnswers[i]);
    }
  }
}

TEST_P(ColourMapCase, AnEntrysOwnColourMapsToItsFirstOccurrence) {
  const Palette& palette = GetParam().palette;
  const ColourMap map(palette);
  for (std::uint32_t i = 0; i < palette.count; ++i) {
    std::uint32_t first = 0;
    while (!(palette.entries[first] == palette.entries[i])) ++first;
    EXPECT_EQ(map.index(rgbOf(palette.entries[i])), first) << "entry " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Palettes, ColourMapCase, testing::ValuesIn(mapCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// The reference itself, on answers worked out by hand.
TEST(NearestEntry, PicksTheLowestIndexAmongEqualDistances) {
  const Palette p = paletteOf({{2, 0, 0}, {0, 0, 0}, {0, 0, 0}});
  EXPECT_EQ(nearestEntry(p, 0x010000), 0);  // 1 from each entry
  EXPECT_EQ(nearestEntry(p, 0x000000), 1);  // entry 2 repeats entry 1
  const Palette q = paletteOf({{100, 100, 100}, {0, 0, 0}});
  EXPECT_EQ(nearestEntry(q, 0x323232), 0);  // 50, 50, 50: halfway
  EXPECT_EQ(nearestEntry(q, 0x313232), 1);
  EXPECT_EQ(nearestEntry(Palette{}, 0xABCDEF), 0);
}

// Pixels carry a byte above blue, green and red that is no part of the colour.
TEST(ColourMap, IgnoresTheTopByteOfAPixel) {
  const Palette p = paletteOf({{0, 0, 0}, {255, 255, 255}});
  const ColourMap map(p);
  EXPECT_EQ(map.index(0xFF000000), 0);
  EXPECT_EQ(map.index(0x00FFFFFF), 1);
  EXPECT_EQ(map.index(0x7FFFFFFF), 1);
}

}  // namespace
}  // namespace quintorel
