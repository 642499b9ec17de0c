// CaptureFrameBits: one bitmap into the caller's two blocks.
#include "video/capture_frame_bits.h"

#include "platform/bitmap_info_header.h"
#include "platform/dib_conversion.h"
#include "video/frame_header.h"

namespace quintorel {

bool CaptureFrameBits(const DeviceBitmap& bitmap, const Palette* palette,
                      std::span<std::uint8_t> headerBlock, std::span<std::uint8_t> pixelBlock,
                      std::int32_t colourCount, bool dither) {
  if (headerBlock.size() < BitmapInfoHeader::kSize) return false;
  // At an unknown colour count the bit count the block held already stays, so start from it.
  BitmapInfoHeader header = BitmapInfoHeader::readFrom(headerBlock);
  FillFrameHeader(bitmap, header, colourCount);
  header.writeTo(headerBlock);
  return getDIBits(bitmap, palette, 0, header.biHeight, pixelBlock, headerBlock, dither);
}

}  // namespace quintorel
