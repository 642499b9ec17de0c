// Mapping pixels to the nearest entry of a given palette: exactly, at the cost of a table
// look-up for most pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/palette.h"

namespace quintorel {

// Every answer equals an exhaustive search: the entry at the least squared RGB distance, the
// lowest index among equals. The colour cube is cut into cells of 4 x 4 x 4 colours, and each
// cell points at a block of 64 answers, one per colour: a cell whose colours all have the same
// nearest entry shares that entry's constant block, any other gets a block of its own, worked
// out among the few entries that can be nearest somewhere in the cell. Cells are filled when a
// pixel first falls into them, so a map costs little up front and only the cells a clip
// touches take memory. The look-up state changes under const methods: a map must not be
// shared between threads.
class ColourMap {
 public:
  explicit ColourMap(const Palette& palette);

  const Palette& palette() const { return palette_; }
  // The index of the entry nearest to `rgb` (0x00RRGGBB; the top byte is ignored). A palette
  // without entries maps everything to 0.
  std::uint8_t index(std::uint32_t rgb) const {
    const std::uint32_t cell = cellOf(rgb);
    std::uint32_t block = cells_[cell];
    if (block == kUnfilled) block = fillCell(cell);
    return blocks_[block * kCellColours + placeInCell(rgb)];
  }
  void mapRow(const std::uint32_t* pixels, std::uint8_t* indices, std::size_t count) const;

 private:
  static constexpr std::uint32_t kUnfilled = 0xFFFFFFFF;
  static constexpr std::size_t kCellColours = 64;
  // The top six bits of red, green and blue.
  static std::uint32_t cellOf(std::uint32_t rgb) {
    return ((rgb >> 6) & 0x3F000) | ((rgb >> 4) & 0xFC0) | ((rgb >> 2) & 0x3F);
  }
  // The bottom two bits of red, green and blue: the colour's place within its cell.
  static std::uint32_t placeInCell(std::uint32_t rgb) {
    return ((rgb >> 12) & 0x30) | ((rgb >> 6) & 0xC) | (rgb & 0x3);
  }
  std::uint32_t fillCell(std::uint32_t cell) const;
  std::uint32_t regionCandidates(std::uint32_t region) const;

  Palette palette_;
  // Entries that can ever be nearest: the first of each colour, in index order.
  std::vector<std::uint16_t> distinct_;
  // Per cell of 64 x 64 x 64: kUnfilled or the number of its block in blocks_.
  mutable std::vector<std::uint32_t> cells_;
  // Blocks of 64 answers, a colour's place in its cell (red, green, blue, two bits each)
  // picking one. Block i < 256 answers i everywhere.
  mutable std::vector<std::uint8_t> blocks_;
  // Per region of 16 x 16 x 16 values (16 regions a side): kUnfilled or the offset in lists_
  // of the entries that can be nearest somewhere in it. A cell picks its candidates from these.
  mutable std::vector<std::uint32_t> regions_;
  // Candidate lists one after another: a count, then that many entry indices, ascending.
  mutable std::vector<std::uint16_t> lists_;
};

// The nearest entry by exhaustive search over the palette's first `count` entries (0 for an
// empty palette): what ColourMap must always agree with.
std::uint8_t nearestEntry(const Palette& palette, std::uint32_t rgb);

// True when both palettes hold the same colours in the same order.
bool samePalette(const Palette& a, const Palette& b);

}  // namespace quintorel
