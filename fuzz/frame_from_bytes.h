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
#include "video/clip_palette.h"
#include "video/frame_header.h"

namespace quintorel::fuzz {

// Loads `file` as a picture, decodes it (also only the rows a clip samples, which must give the
// same samples) and converts it at 256 colours into blocks sized by
// FrameBufferSizes: once with the fixed palette, once with the palette a clip of this one
// frame gets, dithered when the file's length is odd. A refusal throws quintorel::Error,
// which is fine. Returns an empty text when every promise held, else what broke: a promise
// the creation relies on that no sanitizer would see.
//
// A few bytes of run-length codes make a picture of up to 16 Mi pixels; dithering one takes
// over ten seconds under the fuzzer's instrumentation (well under one without), which would
// count as a hang. Pictures above 4 Mi pixels are therefore not dithered here: they run the
// same code as smaller ones, only longer.
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
  // A creation's checking pass may decode only the rows a clip's colours are sampled from:
  // those rows must come out as a whole decoding gives them, so the samples are the same.
  {
    const std::uint64_t number = file.size();
    DeviceBitmap some;
    ReadBuffer unused;
    bitmap.decodeInto(some, unused, ClipPalette::sampledRows(frame.width, frame.height, number));
    ClipPalette::FrameColours whole, sampled;
    ClipPalette::gather(frame, number, false, whole);
    ClipPalette::gather(some, number, false, sampled);
    if (some.width != frame.width || some.height != frame.height || whole.samples != sampled.samples) {
      return "decoding the sampled rows only gave other samples";
    }
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
    return "the conversion with the fixed palette failed into blocks of its own sizes";
  }
  ClipPalette colours;
  colours.addFrame(frame);
  const Palette palette = colours.palette();
  if (palette.count == 0 || palette.count > 256) {
    return "a clip palette of " + std::to_string(palette.count) + " colours";
  }
  const bool dither = file.size() % 2 != 0 && frame.pixels.size() <= (std::size_t{1} << 22);
  if (!CaptureFrameBits(frame, &palette, headerBlock, pixelBlock, 256, dither)) {
    return "the conversion with the clip's palette failed into blocks of its own sizes";
  }
  return {};
}

}  // namespace quintorel::fuzz
