// The path a picture takes from a file's bytes to an eight-bit frame, as a creation takes
// entry 0: shared by the fuzz target and the test that replays what it found.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/device_bitmap.h"
#include "video/capture_frame_bits.h"
#include "video/frame_header.h"

namespace quintorel::fuzz {

// Loads `file` as a picture, decodes it and converts it at 256 colours into blocks sized by
// FrameBufferSizes. A refusal throws quintorel::Error, which is fine. Returns an empty text
// when every promise held, else what broke: a promise the creation relies on that no
// sanitizer would see.
inline std::string frameFromBytes(std::span<const std::uint8_t> file) {
  const Bitmap bitmap = Bitmap::loadFromBytes(file, "fuzz.bmp");
  DeviceBitmap frame;
  bitmap.decodeInto(frame);
  // A creation compares entries by the size stated at loading and sizes the blocks from the
  // decoded picture: the two must agree.
  if (frame.width != bitmap.width() || frame.height != bitmap.height()) {
    return "decoded " + std::to_string(frame.width) + " x " + std::to_string(frame.height) +
           ", stated " + std::to_string(bitmap.width()) + " x " + std::to_string(bitmap.height());
  }
  if (frame.pixels.size() != static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height)) {
    return "decoded " + std::to_string(frame.pixels.size()) + " pixels";
  }
  std::int32_t headerSize = 0;
  std::int32_t imageSize = 0;
  FrameBufferSizes(frame, headerSize, imageSize, 256);
  if (headerSize != 1064 || imageSize <= 0) {
    return "block sizes " + std::to_string(headerSize) + " and " + std::to_string(imageSize);
  }
  std::vector<std::uint8_t> headerBlock(static_cast<std::size_t>(headerSize));
  std::vector<std::uint8_t> pixelBlock(static_cast<std::size_t>(imageSize));
  if (!CaptureFrameBits(frame, nullptr, headerBlock, pixelBlock, 256)) {
    return "the conversion failed into blocks of its own sizes";
  }
  return {};
}

}  // namespace quintorel::fuzz
