// Decoding the run-length encoded rows of 4- and 8-bit BMP files (BI_RLE4, BI_RLE8).
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace quintorel {

// The colour table, each entry 0x00RRGGBB; entries past the file's table are black.
using BmpColourTable = std::array<std::uint32_t, 256>;

// Writes the pixels that `codes` describe into `pixels` (width * height, top row first), the
// codes' first row being the picture's bottom row. Pixels that no code writes keep what
// `pixels` held. Runs and deltas that leave the picture are clipped, never written outside.
// Returns false when the codes end before the end-of-bitmap code while rows remain.
[[nodiscard]] bool decodeBmpRle(std::span<const std::uint8_t> codes, int bitCount,
                                std::int32_t width, std::int32_t height,
                                const BmpColourTable& colours, std::span<std::uint32_t> pixels);

}  // namespace quintorel
