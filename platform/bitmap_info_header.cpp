// Serialisation of the 40-byte bitmap header.
#include "platform/bitmap_info_header.h"

#include <cassert>

#include "platform/little_endian.h"

namespace quintorel {

void BitmapInfoHeader::writeTo(std::span<std::uint8_t> out) const {
  assert(out.size() >= kSize);
  std::uint8_t* p = out.data();
  le::put32(p + 0, biSize);
  le::put32(p + 4, static_cast<std::uint32_t>(biWidth));
  le::put32(p + 8, static_cast<std::uint32_t>(biHeight));
  le::put16(p + 12, biPlanes);
  le::put16(p + 14, biBitCount);
  le::put32(p + 16, biCompression);
  le::put32(p + 20, biSizeImage);
  le::put32(p + 24, static_cast<std::uint32_t>(biXPelsPerMeter));
  le::put32(p + 28, static_cast<std::uint32_t>(biYPelsPerMeter));
  le::put32(p + 32, biClrUsed);
  le::put32(p + 36, biClrImportant);
}

BitmapInfoHeader BitmapInfoHeader::readFrom(std::span<const std::uint8_t> in) {
  assert(in.size() >= kSize);
  const std::uint8_t* p = in.data();
  BitmapInfoHeader h;
  h.biSize = le::get32(p + 0);
  h.biWidth = le::getSigned32(p + 4);
  h.biHeight = le::getSigned32(p + 8);
  h.biPlanes = le::get16(p + 12);
  h.biBitCount = le::get16(p + 14);
  h.biCompression = le::get32(p + 16);
  h.biSizeImage = le::get32(p + 20);
  h.biXPelsPerMeter = le::getSigned32(p + 24);
  h.biYPelsPerMeter = le::getSigned32(p + 28);
  h.biClrUsed = le::get32(p + 32);
  h.biClrImportant = le::get32(p + 36);
  return h;
}

}  // namespace quintorel
