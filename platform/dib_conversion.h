// The platform's conversion of a device bitmap into a device-independent one of 1, 4, 8 or
// 24 bits per pixel: the stand-in for GetDIBits.
#pragma once

#include <cstdint>
#include <span>

#include "platform/device_bitmap.h"
#include "platform/palette.h"

namespace quintorel {

// Converts `lines` rows of `bitmap`, from row `startScan` counted from the bottom, into the
// format that the BitmapInfoHeader at the start of `info` describes (BI_RGB, 1, 4, 8 or 24
// bits). Writes the colour table behind the header (2^n entries at n <= 8 bits) and the rows,
// bottom-up and padded to 4 bytes, into `bits`.
//
// At 8 bits and below the colours come from `palette` when one is given (each pixel maps to
// its nearest entry; unused table entries are black), otherwise from a fixed palette that
// covers the colour cube evenly. Pixels are mapped through a lookup table. With `dither`,
// each pixel's error against its entry is spread over its unconverted neighbours
// (Floyd-Steinberg, rows in alternating directions); a pixel whose colour is in the table still
// gets that entry while no error reaches it.
//
// Returns false, writing no row, when the header asks for a format it cannot produce, when
// its width or height disagrees with the bitmap's, or when either block is too small.
[[nodiscard]] bool getDIBits(const DeviceBitmap& bitmap, const Palette* palette,
                             std::int32_t startScan, std::int32_t lines,
                             std::span<std::uint8_t> bits, std::span<std::uint8_t> info,
                             bool dither = false);

}  // namespace quintorel
