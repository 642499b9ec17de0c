// Where the time of a creation goes on a directory of BMP frames: adding them as the command
// line does and creating the clip, the same for pictures loaded whole as the window does, then
// the colour pass, the palette and the conversion pass on one thread, each in wall and CPU time; and the colour map
// against an exhaustive nearest-colour search (speed, and PSNR lost, which must stay under
// 0.3 dB). Usage: palette_bench DIR [CLIP.avi]. Exits 1 when the map loses 0.3 dB or more.
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "composition/entry_list.h"
#include "platform/bitmap.h"
#include "platform/colour_map.h"
#include "video/capture_frame_bits.h"
#include "video/clip_palette.h"
#include "video/create_video.h"
#include "video/frame_header.h"
#include "video/frames_in_order.h"

namespace {

using namespace quintorel;

double seconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Wall and CPU time since construction, printed as a table row.
class Phase {
 public:
  explicit Phase(const char* name) : name_(name) {}
  void done(const std::string& note = "") const {
    std::printf("| %s | %.3f s | %.3f s | %s |\n", name_, seconds(CLOCK_MONOTONIC) - wall_,
                seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu_, note.c_str());
  }

 private:
  const char* name_;
  double wall_ = seconds(CLOCK_MONOTONIC);
  double cpu_ = seconds(CLOCK_PROCESS_CPUTIME_ID);
};

double squaredError(const Palette& palette, std::uint8_t index, std::uint32_t rgb) {
  const Rgb& c = palette.entries[index];
  const double r = static_cast<int>((rgb >> 16) & 0xFF) - c.red;
  const double g = static_cast<int>((rgb >> 8) & 0xFF) - c.green;
  const double b = static_cast<int>(rgb & 0xFF) - c.blue;
  return r * r + g * g + b * b;
}

double psnr(double squares, double pixels) {
  return 10 * std::log10(255.0 * 255.0 / (squares / (3 * pixels)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: palette_bench DIR [CLIP.avi]\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  const std::filesystem::path clip = argc > 2 ? argv[2] : std::filesystem::temp_directory_path() / "palette_bench.avi";
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    if (e.path().extension() == ".bmp") names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());

  std::printf("| phase | wall | CPU | |\n|---|---|---|---|\n");
  // As the command line adds pictures: checked, named, read again as the clip is made.
  EntryList list;
  {
    const Phase phase("adding the files on use (command line)");
    for (const std::string& name : names) list.append(name, Bitmap::loadFromFile(dir, name, Loading::OnUse));
    phase.done(std::to_string(names.size()) + " files");
  }
  {
    const Phase phase("createVideo over them");
    createVideo(list, clip, CreationSettings{});
    phase.done(std::to_string(frameThreads()) + " frame threads");
  }
  // As the window adds them: each file read whole into memory.
  {
    EntryList whole;
    {
      const Phase phase("loading the files whole (window)");
      for (const std::string& name : names) whole.append(name, Bitmap::loadFromFile(dir, name));
      phase.done();
    }
    const Phase phase("createVideo over them");
    createVideo(whole, clip, CreationSettings{});
    phase.done();
  }

  // The creation's passes one by one.
  DeviceBitmap frame;
  ClipPalette colours;
  {
    const Phase phase("one thread: colour pass (read, decode, gather colours)");
    for (int i = 0; i < list.count(); ++i) {
      list.object(i).decodeInto(frame);
      colours.addFrame(frame);
    }
    phase.done(colours.exact() ? "at most 256 colours" : "more than 256 colours");
  }
  Palette palette;
  {
    const Phase phase("one thread: palette (libimagequant, refinement)");
    palette = colours.palette();
    phase.done(std::to_string(palette.count) + " entries");
  }
  std::int32_t headerSize = 0, imageSize = 0;
  FrameBufferSizes(frame, headerSize, imageSize, 256);
  std::vector<std::uint8_t> header(static_cast<std::size_t>(headerSize)), pixels(static_cast<std::size_t>(imageSize));
  {
    const Phase phase("one thread: conversion pass (read, decode, map)");
    for (int i = 0; i < list.count(); ++i) {
      list.object(i).decodeInto(frame);
      if (!CaptureFrameBits(frame, &palette, header, pixels, 256)) return 1;
    }
    phase.done();
  }

  // The map against an exhaustive search, on every tenth frame.
  const ColourMap map(palette);
  double mapSeconds = 0, searchSeconds = 0, mapSquares = 0, searchSquares = 0, count = 0;
  std::vector<std::uint8_t> indices;
  for (int i = 0; i < list.count(); i += 10) {
    list.object(i).decodeInto(frame);
    indices.resize(frame.pixels.size());
    double start = seconds(CLOCK_PROCESS_CPUTIME_ID);
    map.mapRow(frame.pixels.data(), indices.data(), frame.pixels.size());
    mapSeconds += seconds(CLOCK_PROCESS_CPUTIME_ID) - start;
    for (std::size_t p = 0; p < frame.pixels.size(); ++p) mapSquares += squaredError(palette, indices[p], frame.pixels[p]);
    start = seconds(CLOCK_PROCESS_CPUTIME_ID);
    for (std::size_t p = 0; p < frame.pixels.size(); ++p) indices[p] = nearestEntry(palette, frame.pixels[p]);
    searchSeconds += seconds(CLOCK_PROCESS_CPUTIME_ID) - start;
    for (std::size_t p = 0; p < frame.pixels.size(); ++p) searchSquares += squaredError(palette, indices[p], frame.pixels[p]);
    count += static_cast<double>(frame.pixels.size());
  }
  const double loss = psnr(searchSquares, count) - psnr(mapSquares, count);
  std::printf("\ncolour map: %.2f ns a pixel (the cells filled on the way included), PSNR %.3f dB\n"
              "exhaustive search: %.2f ns a pixel, PSNR %.3f dB\nloss: %.3f dB (limit 0.3)\n",
              mapSeconds / count * 1e9, psnr(mapSquares, count), searchSeconds / count * 1e9,
              psnr(searchSquares, count), loss);
  std::filesystem::remove(clip);
  return loss < 0.3 ? 0 : 1;
}
