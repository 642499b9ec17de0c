// The exact nearest-colour map: cells of 64 colours pointing at blocks of answers, filled a
// cell at a time from short candidate lists.
#include "platform/colour_map.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace quintorel {

namespace {

constexpr int kCellBits = 6;    // 64 cells a side, 4 values wide
constexpr int kRegionBits = 4;  // 16 regions a side, 16 values wide

int channel(std::uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

int distance(const Rgb& c, int r, int g, int b) {
  return (c.red - r) * (c.red - r) + (c.green - g) * (c.green - g) + (c.blue - b) * (c.blue - b);
}

// The colours a cell or region covers: lo to hi inclusive on each channel (red, green, blue).
struct Box {
  int lo[3];
  int hi[3];
};

// The box of values that cell or region `index` covers, at `bits` bits a side.
Box boxOf(std::uint32_t index, int bits) {
  const int width = 256 >> bits;
  const std::uint32_t mask = (1u << bits) - 1;
  const int r = static_cast<int>((index >> (2 * bits)) & mask) * width;
  const int g = static_cast<int>((index >> bits) & mask) * width;
  const int b = static_cast<int>(index & mask) * width;
  return {{r, g, b}, {r + width - 1, g + width - 1, b + width - 1}};
}

// Copies to `kept` the entries of `from` (at least one) that can be nearest to some colour of
// `box`, and returns how many. The entry nearest the box's centre rules out every entry that
// is farther than it from each colour of the box: the difference of two squared distances is
// linear in the colour, so its least value over the box lies at a corner. An entry that ties
// somewhere stays unless it loses the tie by its higher index, so a search among the
// survivors still finds the lowest index.
std::size_t keepCandidates(const Box& box, const Palette& palette, const std::uint16_t* from,
                           std::size_t count, std::uint16_t* kept) {
  const int centre[3] = {box.lo[0] + box.hi[0], box.lo[1] + box.hi[1], box.lo[2] + box.hi[2]};
  std::uint16_t best = from[0];
  int bestDistance = std::numeric_limits<int>::max();
  for (std::size_t i = 0; i < count; ++i) {
    const Rgb& c = palette.entries[from[i]];
    const int d = (2 * c.red - centre[0]) * (2 * c.red - centre[0]) +
                  (2 * c.green - centre[1]) * (2 * c.green - centre[1]) +
                  (2 * c.blue - centre[2]) * (2 * c.blue - centre[2]);
    if (d < bestDistance) bestDistance = d, best = from[i];
  }
  const Rgb& f = palette.entries[best];
  const int fv[3] = {f.red, f.green, f.blue};
  const int fNorm = fv[0] * fv[0] + fv[1] * fv[1] + fv[2] * fv[2];
  std::size_t n = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const Rgb& e = palette.entries[from[i]];
    const int ev[3] = {e.red, e.green, e.blue};
    // The least over the box of |p - e|^2 - |p - f|^2 = |e|^2 - |f|^2 - 2 p.(e - f).
    int least = ev[0] * ev[0] + ev[1] * ev[1] + ev[2] * ev[2] - fNorm;
    for (int axis = 0; axis < 3; ++axis) {
      const int towards = ev[axis] - fv[axis];
      least -= 2 * towards * (towards > 0 ? box.hi[axis] : box.lo[axis]);
    }
    const bool ruledOut = from[i] != best && (least > 0 || (least == 0 && best < from[i]));
    if (!ruledOut) kept[n++] = from[i];
  }
  return n;
}

}  // namespace

ColourMap::ColourMap(const Palette& palette)
    : palette_(palette),
      cells_(std::size_t{1} << (3 * kCellBits), kUnfilled),
      regions_(std::size_t{1} << (3 * kRegionBits), kUnfilled) {
  palette_.count = std::min<std::uint32_t>(palette.count, 256);
  for (std::uint32_t i = 0; i < palette_.count; ++i) {
    const bool seen = std::any_of(distinct_.begin(), distinct_.end(), [&](std::uint16_t j) {
      return palette_.entries[j] == palette_.entries[i];
    });
    if (!seen) distinct_.push_back(static_cast<std::uint16_t>(i));
  }
  if (distinct_.empty()) distinct_.push_back(0);  // nothing to choose from: everything is 0
  // Room for a block per cell, so blocks never move; pages are only taken as blocks are made.
  blocks_.reserve((256 + cells_.size()) * kCellColours);
  blocks_.resize(256 * kCellColours);
  for (std::size_t i = 0; i < 256; ++i)
    std::memset(blocks_.data() + i * kCellColours, static_cast<int>(i), kCellColours);
}

void ColourMap::mapRow(const std::uint32_t* pixels, std::uint8_t* indices, std::size_t count) const {
  // Cells and places are worked out for a run of pixels first: that loop has no branch and a
  // fixed length, so the compiler turns it into vector code.
  constexpr std::size_t kRun = 256;
  std::uint32_t cellRun[kRun], placeRun[kRun];
  const std::uint32_t* cells = cells_.data();
  const std::uint8_t* blocks = blocks_.data();
  for (std::size_t start = 0; start < count; start += kRun) {
    const std::uint32_t* in = pixels + start;
    std::size_t n = count - start;
    if (n >= kRun) {
      n = kRun;
      for (std::size_t i = 0; i < kRun; ++i) {
        cellRun[i] = cellOf(in[i]);
        placeRun[i] = placeInCell(in[i]);
      }
    } else {
      for (std::size_t i = 0; i < n; ++i) {
        cellRun[i] = cellOf(in[i]);
        placeRun[i] = placeInCell(in[i]);
      }
    }
    std::uint8_t* out = indices + start;
    for (std::size_t i = 0; i < n; ++i) {
      std::uint32_t block = cells[cellRun[i]];
      if (block == kUnfilled) block = fillCell(cellRun[i]);
      out[i] = blocks[block * kCellColours + placeRun[i]];
    }
  }
}

std::uint32_t ColourMap::regionCandidates(std::uint32_t region) const {
  if (regions_[region] != kUnfilled) return regions_[region];
  std::uint16_t kept[256];
  const std::size_t n = keepCandidates(boxOf(region, kRegionBits), palette_, distinct_.data(),
                                       distinct_.size(), kept);
  const auto offset = static_cast<std::uint32_t>(lists_.size());
  lists_.push_back(static_cast<std::uint16_t>(n));
  lists_.insert(lists_.end(), kept, kept + n);
  regions_[region] = offset;
  return offset;
}

std::uint32_t ColourMap::fillCell(std::uint32_t cell) const {
  constexpr int shift = kCellBits - kRegionBits;
  constexpr std::uint32_t mask = (1u << kRegionBits) - 1;
  const std::uint32_t region = (((cell >> (2 * kCellBits + shift)) & mask) << (2 * kRegionBits)) |
                               (((cell >> (kCellBits + shift)) & mask) << kRegionBits) |
                               ((cell >> shift) & mask);
  const std::uint32_t offset = regionCandidates(region);  // may move lists_
  const std::uint16_t* list = lists_.data() + offset;
  std::uint16_t kept[256];
  const Box box = boxOf(cell, kCellBits);
  const std::size_t n = keepCandidates(box, palette_, list + 1, list[0], kept);
  if (n == 1) return cells_[cell] = kept[0];

  const auto block = static_cast<std::uint32_t>(blocks_.size() / kCellColours);
  blocks_.resize(blocks_.size() + kCellColours);
  // Candidate by candidate, over all 64 colours at once: a distance is the sum of one term
  // per channel, and the loops over places turn into vector code. Candidates come in index
  // order and only a strictly nearer one replaces the best, so ties keep the lowest index.
  std::int32_t bestDistance[kCellColours], best[kCellColours];
  std::fill(std::begin(bestDistance), std::end(bestDistance), std::numeric_limits<std::int32_t>::max());
  std::fill(std::begin(best), std::end(best), 0);
  for (std::size_t k = 0; k < n; ++k) {
    const Rgb& c = palette_.entries[kept[k]];
    std::int32_t red[4], green[4], blue[4];
    for (int i = 0; i < 4; ++i) {
      red[i] = (box.lo[0] + i - c.red) * (box.lo[0] + i - c.red);
      green[i] = (box.lo[1] + i - c.green) * (box.lo[1] + i - c.green);
      blue[i] = (box.lo[2] + i - c.blue) * (box.lo[2] + i - c.blue);
    }
    const std::int32_t index = kept[k];
    for (int rg = 0; rg < 16; ++rg) {
      const std::int32_t base = red[rg >> 2] + green[rg & 3];
      std::int32_t* bestRow = bestDistance + 4 * rg;
      std::int32_t* answerRow = best + 4 * rg;
      for (int b = 0; b < 4; ++b) {
        const std::int32_t d = base + blue[b];
        const bool nearer = d < bestRow[b];
        bestRow[b] = nearer ? d : bestRow[b];
        answerRow[b] = nearer ? index : answerRow[b];
      }
    }
  }
  std::uint8_t* answers = blocks_.data() + std::size_t{block} * kCellColours;
  for (std::size_t place = 0; place < kCellColours; ++place) answers[place] = static_cast<std::uint8_t>(best[place]);
  return cells_[cell] = block;
}

std::uint8_t nearestEntry(const Palette& palette, std::uint32_t rgb) {
  const int r = channel(rgb, 16), g = channel(rgb, 8), b = channel(rgb, 0);
  const std::uint32_t count = std::min<std::uint32_t>(palette.count, 256);
  std::uint32_t best = 0;
  int bestDistance = std::numeric_limits<int>::max();
  for (std::uint32_t i = 0; i < count; ++i) {
    const int d = distance(palette.entries[i], r, g, b);
    if (d < bestDistance) bestDistance = d, best = i;
  }
  return static_cast<std::uint8_t>(best);
}

bool samePalette(const Palette& a, const Palette& b) {
  return a.count == b.count &&
         std::equal(a.entries.begin(), a.entries.begin() + std::min<std::uint32_t>(a.count, 256),
                    b.entries.begin());
}

}  // namespace quintorel
