// FillFrameHeader and FrameBufferSizes: the header and the block sizes of a frame.
#include "video/frame_header.h"

namespace quintorel {

namespace {

// The header stores 32-bit signed fields; a product that overflows wraps as the stored
// field would, instead of being undefined.
std::int32_t wrap32(std::int64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

}  // namespace

void FillFrameHeader(const DeviceBitmap& bitmap, BitmapInfoHeader& header,
                     std::int32_t colourCount) {
  header.biSize = BitmapInfoHeader::kSize;
  header.biWidth = bitmap.width;
  header.biHeight = bitmap.height;
  switch (colourCount) {
    case 0:
      header.biBitCount = static_cast<std::uint16_t>(bitmap.bitsPixel * bitmap.planes);
      break;
    case 2: header.biBitCount = 1; break;
    case 16: header.biBitCount = 4; break;
    case 256: header.biBitCount = 8; break;
    default: break;  // any other count keeps the bit count the header held
  }
  header.biPlanes = 1;
  header.biXPelsPerMeter = 0;
  header.biYPelsPerMeter = 0;
  header.biClrUsed = header.biBitCount <= 8 ? static_cast<std::uint32_t>(colourCount) : 0;
  header.biClrImportant = 0;
  header.biCompression = BI_RGB;
  if (header.biBitCount == 16 || header.biBitCount == 32) header.biBitCount = 24;
  const std::int32_t stride =
      wrap32((static_cast<std::int64_t>(header.biWidth) * header.biBitCount + 31) / 32 * 4);
  header.biSizeImage =
      static_cast<std::uint32_t>(wrap32(static_cast<std::int64_t>(stride) * header.biHeight));
}

void FrameBufferSizes(const DeviceBitmap& bitmap, std::int32_t& headerSize,
                      std::int32_t& imageSize, std::int32_t colourCount) {
  BitmapInfoHeader header;
  FillFrameHeader(bitmap, header, colourCount);
  // Only 1, 4, 8 and 24 bits come out of FillFrameHeader at the counts it knows; any larger
  // count has no colour table.
  headerSize = header.biBitCount <= 8
                   ? static_cast<std::int32_t>(BitmapInfoHeader::kSize + 4 * (1u << header.biBitCount))
                   : static_cast<std::int32_t>(BitmapInfoHeader::kSize);
  imageSize = static_cast<std::int32_t>(header.biSizeImage);
}

}  // namespace quintorel
