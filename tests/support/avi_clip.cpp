// Clip fixtures for the AVI writer's tests.
#include "tests/support/avi_clip.h"

#include "platform/bitmap_info_header.h"

namespace quintorel::test {

std::size_t clipRowBytes(int width) { return (static_cast<std::size_t>(width) + 3) / 4 * 4; }

std::array<std::uint8_t, 3> clipColour(int index) {
  return {static_cast<std::uint8_t>(index), static_cast<std::uint8_t>(255 - index),
          static_cast<std::uint8_t>(index * 37)};
}

std::vector<std::uint8_t> clipFormat(int width, int height) {
  std::vector<std::uint8_t> format(BitmapInfoHeader::kSize + 256 * kRgbQuadSize);
  BitmapInfoHeader header;
  header.biSize = BitmapInfoHeader::kSize;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 8;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<std::uint32_t>(clipRowBytes(width) * static_cast<std::size_t>(height));
  header.biClrUsed = 256;
  header.writeTo(format);
  for (int i = 0; i < 256; ++i) {
    const auto [red, green, blue] = clipColour(i);
    std::uint8_t* quad = format.data() + BitmapInfoHeader::kSize + i * kRgbQuadSize;
    quad[0] = blue;
    quad[1] = green;
    quad[2] = red;
  }
  return format;
}

std::vector<std::uint8_t> clipFrame(int width, int height, int index) {
  const std::size_t stride = clipRowBytes(width);
  std::vector<std::uint8_t> frame(stride * static_cast<std::size_t>(height), 0xEE);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      frame[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x)] =
          static_cast<std::uint8_t>(x + 3 * y + 7 * index);
    }
  }
  return frame;
}

AviStreamInfo clipStreamInfo(const ClipSpec& clip) {
  AviStreamInfo info;
  info.fccType = streamtypeVIDEO;
  info.fccHandler = 0;
  info.dwScale = 1;
  info.dwRate = clip.rate;
  info.dwSuggestedBufferSize = static_cast<std::uint32_t>(clipRowBytes(clip.width) * static_cast<std::size_t>(clip.height));
  info.rcFrame = {0, 0, clip.width, clip.height};
  return info;
}

void writeClip(const std::filesystem::path& path, const ClipSpec& clip, FileOps* ops) {
  AviFileOptions options;
  options.riffLimit = clip.riffLimit;
  options.ops = ops;
  AviFile file = AviFile::open(path, options);
  file.createStream(clipStreamInfo(clip));
  file.setFormat(clipFormat(clip.width, clip.height));
  for (int i = 0; i < clip.frames; ++i) file.write(i, clipFrame(clip.width, clip.height, i), AVIIF_KEYFRAME);
  file.finish();
}

}  // namespace quintorel::test
