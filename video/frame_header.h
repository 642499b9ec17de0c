// Describing a bitmap as an eight-bit (or other depth) frame: its header and the sizes of the
// two blocks a frame needs.
#pragma once

#include <cstdint>

#include "platform/bitmap_info_header.h"
#include "platform/device_bitmap.h"

namespace quintorel {

// Writes every field of `header` for `bitmap` at `colourCount` (0, 2, 16 or 256; any other
// count keeps the bit count the header held).
void FillFrameHeader(const DeviceBitmap& bitmap, BitmapInfoHeader& header,
                     std::int32_t colourCount);

// The header-block size (header plus colour table) and the image size, in bytes.
void FrameBufferSizes(const DeviceBitmap& bitmap, std::int32_t& headerSize,
                      std::int32_t& imageSize, std::int32_t colourCount);

}  // namespace quintorel
