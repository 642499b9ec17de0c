// Small clips of eight-bit frames written through AviFile the way a creation writes them,
// with frames that differ from each other so that readers' order can be checked.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/avi_file.h"

namespace quintorel::test {

struct ClipSpec {
  std::string name;  // names the case in a table
  int width = 0;
  int height = 0;
  int frames = 0;
  std::uint32_t rate = 0;
  std::uint64_t riffLimit = std::uint64_t{1} << 30;
};

// Bytes of one stored row: one per pixel, padded to a multiple of 4.
std::size_t clipRowBytes(int width);
// The colour of palette entry `index` as red, green, blue; every entry differs.
std::array<std::uint8_t, 3> clipColour(int index);
// The stream format: a BITMAPINFOHEADER of 8 bits and 256 colours and the palette, 1,064 bytes.
std::vector<std::uint8_t> clipFormat(int width, int height);
// Frame `index`: bottom-up rows of palette indexes, the row padding filled with 0xEE.
std::vector<std::uint8_t> clipFrame(int width, int height, int index);
// The stream description a creation gives: vids, handler 0, scale 1, the rate, the image
// size as suggested buffer and the frame rectangle.
AviStreamInfo clipStreamInfo(const ClipSpec& clip);
// Writes the clip to `path`, every frame a key frame.
void writeClip(const std::filesystem::path& path, const ClipSpec& clip, FileOps* ops = nullptr);

}  // namespace quintorel::test
