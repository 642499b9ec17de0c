// Writes an OpenDML clip of more than 4 GiB (640 x 480 eight-bit key frames, each one
// different) into the directory given and prints the rate: the AVI writer should keep up
// with the disk and hold no more memory at the last frame than at the first.
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/avi_file.h"
#include "platform/bitmap_info_header.h"
#include "platform/error.h"

namespace {

using quintorel::AviFile;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kDefaultFrames = 14'000;  // 4.0 GiB of samples: past four RIFF parts
constexpr std::size_t kImageSize = static_cast<std::size_t>(kWidth) * kHeight;

std::vector<std::uint8_t> format() {
  std::vector<std::uint8_t> block(quintorel::BitmapInfoHeader::kSize + 256 * quintorel::kRgbQuadSize, 0);
  quintorel::BitmapInfoHeader header;
  header.biSize = quintorel::BitmapInfoHeader::kSize;
  header.biWidth = kWidth;
  header.biHeight = kHeight;
  header.biPlanes = 1;
  header.biBitCount = 8;
  header.biSizeImage = static_cast<std::uint32_t>(kImageSize);
  header.biClrUsed = 256;
  header.writeTo(block);
  for (int i = 0; i < 256; ++i) {
    std::uint8_t* quad = &block[quintorel::BitmapInfoHeader::kSize + 4 * static_cast<std::size_t>(i)];
    quad[0] = quad[1] = quad[2] = static_cast<std::uint8_t>(i);
  }
  return block;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long peakKib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY [FRAMES]\n", argv[0]);
    return 2;
  }
  const std::filesystem::path target = std::filesystem::path(argv[1]) / "opendml.avi";
  const int frames = argc > 2 ? std::atoi(argv[2]) : kDefaultFrames;

  quintorel::AviStreamInfo info;
  info.fccType = quintorel::streamtypeVIDEO;
  info.dwScale = 1;
  info.dwRate = 30;
  info.dwSuggestedBufferSize = static_cast<std::uint32_t>(kImageSize);
  info.rcFrame = {0, 0, kWidth, kHeight};

  std::vector<std::uint8_t> pixels(kImageSize);
  for (std::size_t i = 0; i < kImageSize; ++i) pixels[i] = static_cast<std::uint8_t>(i % 251);

  try {
    const auto start = std::chrono::steady_clock::now();
    AviFile file = AviFile::open(target);
    file.createStream(info);
    file.setFormat(format());
    long peakAfterFirst = 0;
    for (int i = 0; i < frames; ++i) {
      // The frame number in the first row makes every frame different at no cost.
      for (int b = 0; b < 4; ++b) pixels[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(i >> (8 * b));
      file.write(i, pixels, quintorel::AVIIF_KEYFRAME);
      if (i == 0) peakAfterFirst = peakKib();
    }
    const double writing = secondsSince(start);
    file.finish();
    const double total = secondsSince(start);

    const double bytes = static_cast<double>(std::filesystem::file_size(target));
    std::printf("file     %s\n", target.c_str());
    std::printf("frames   %d\n", frames);
    std::printf("bytes    %.0f (%.2f GiB)\n", bytes, bytes / (1024.0 * 1024 * 1024));
    std::printf("time     %.2f s (frames %.2f s, finish with fsync %.2f s)\n", total, writing, total - writing);
    std::printf("rate     %.1f MB/s, %.0f frames/s\n", bytes / total / 1e6, frames / total);
    std::printf("memory   peak %ld KiB after the first frame, %ld KiB at the end\n", peakAfterFirst, peakKib());
  } catch (const quintorel::Error& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
