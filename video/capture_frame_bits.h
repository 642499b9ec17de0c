// Filling the two blocks of a frame (header with colour table, pixel rows) from a bitmap.
#pragma once

#include <cstdint>
#include <span>

#include "platform/device_bitmap.h"
#include "platform/palette.h"

namespace quintorel {

// Rewrites the header at the start of `headerBlock` for `bitmap`, then converts every row into
// `pixelBlock` and writes the colour table behind the header: the given palette's colours
// when `palette` is not null, otherwise the fixed palette; `dither` spreads each pixel's
// error over its neighbours. Returns false when the conversion fails, also when a block is too
// small for this bitmap (nothing is then written past either block).
[[nodiscard]] bool CaptureFrameBits(const DeviceBitmap& bitmap, const Palette* palette,
                                    std::span<std::uint8_t> headerBlock,
                                    std::span<std::uint8_t> pixelBlock,
                                    std::int32_t colourCount, bool dither = false);

}  // namespace quintorel
