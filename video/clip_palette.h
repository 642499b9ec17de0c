// The one palette every frame of a clip is stored under, made from the colours of all frames.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/bmp_decoder.h"
#include "platform/device_bitmap.h"
#include "platform/palette.h"

namespace quintorel {

// Shown every frame of a clip in turn, keeps what the palette needs of it: whether the clip
// has at most 256 colours (which then are the palette, so the clip is stored losslessly), and
// a histogram of a sample of its pixels to choose 256 colours from otherwise: of the exact
// colours while there are at most 16 Ki of them, of 2^18 buckets after. Holds at most 4 MiB
// whatever the number and size of the frames; keeps no frame.
class ClipPalette {
 public:
  // What the palette takes from one frame, gathered apart from the palette so that frames can
  // be gathered on several threads and added in their order on one: the result is the same.
  struct FrameColours {
    // The frame's colours in the order first seen, while it has at most 256 and they were
    // wanted; `many` when it has more.
    std::vector<std::uint32_t> distinct;
    bool many = false;
    // About 16 Ki pixels, spread over the frame and shifted from frame to frame.
    std::vector<std::uint32_t> samples;
  };
  // `number` counts the frames from 1. The frame's own colours are looked for only when
  // `wantDistinct` (see wantsDistinct()).
  // Only the rows of sampledRows() are read when `wantDistinct` is false.
  static void gather(const DeviceBitmap& frame, std::uint64_t number, bool wantDistinct,
                     FrameColours& out);
  // The rows the samples of frame `number` (from 1) of `width` x `height` come from.
  static RowSelection sampledRows(std::int64_t width, std::int64_t height, std::uint64_t number);

  ClipPalette();

  // Every pixel counts towards the clip's own colours; the samples go into the histogram.
  // Frames of no pixels are passed over.
  void addFrame(const DeviceBitmap& frame);
  // The same for a frame gathered as the next one, number frameCount() + 1.
  void add(const FrameColours& colours);
  std::uint64_t frameCount() const { return frames_; }
  // Whether the frames still to come may make a clip of at most 256 colours.
  bool wantsDistinct() const { return !overflowed_; }

  // True while the frames shown so far have at most 256 colours in all.
  bool exact() const { return !overflowed_; }

  // The clip's own colours, in the order first seen, when it has at most 256; otherwise the
  // 256 colours libimagequant chooses from the histogram. An empty palette before any frame.
  // Throws std::bad_alloc when libimagequant runs out of memory.
  [[nodiscard]] Palette palette() const;

 private:
  void addSample(std::uint32_t rgb);
  void toBuckets();

  // The clip's colours while there are at most 256: an open-addressing set and the same
  // colours in the order first seen.
  std::vector<std::uint32_t> set_;
  std::vector<std::uint32_t> seen_;
  bool overflowed_ = false;

  // The sampled colours and their counts while there are few: open addressing, by colour.
  struct Counted {
    std::uint32_t rgb;
    std::uint32_t count;
  };
  std::vector<Counted> counted_;
  std::size_t countedColours_ = 0;

  // Per bucket of 64 x 64 x 64 (the top six bits of red, green and blue): how many samples
  // fell in, and the sums of their bottom two bits per channel, so that the bucket's mean
  // colour is exact. Made when the sampled colours become too many to count one by one.
  struct Bucket {
    std::uint32_t count;
    std::uint32_t red, green, blue;
  };
  struct Free {
    void operator()(Bucket* b) const { std::free(b); }
  };
  // Allocated zeroed by the system, so buckets no sample reaches take no memory.
  std::unique_ptr<Bucket[], Free> buckets_;
  std::uint64_t frames_ = 0;
};

}  // namespace quintorel
