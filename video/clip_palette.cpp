// Collecting a clip's colours and choosing its palette with libimagequant.
#include "video/clip_palette.h"

#include <dlfcn.h>
#include <libimagequant.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <utility>

#include "platform/colour_map.h"
#include "platform/fixed_palette.h"

namespace quintorel {

namespace {

constexpr std::size_t kBuckets = std::size_t{1} << 18;
constexpr std::size_t kSetSlots = 512;  // twice the colours it ever holds
constexpr std::size_t kCountedColours = 16384;
constexpr std::size_t kCountedSlots = 2 * kCountedColours;
constexpr std::uint32_t kEmpty = 0xFFFFFFFF;  // never a pixel: pixels are 24-bit
// More samples than this per frame changed no palette's quality in trials on photographs.
constexpr std::int64_t kSamplesPerFrame = 16384;
// Halving every count there keeps the weights and a bucket's sums within 32 bits.
constexpr std::uint32_t kCountLimit = std::uint32_t{1} << 30;

// A hash of a colour, `bits` wide.
std::size_t slotOf(std::uint32_t rgb, int bits) { return (rgb * 0x9E3779B1u) >> (32 - bits); }

std::uint32_t bucketOf(std::uint32_t rgb) {
  return ((rgb >> 6) & 0x3F000) | ((rgb >> 4) & 0xFC0) | ((rgb >> 2) & 0x3F);
}

// Puts `rgb` into `set` (open addressing, kSetSlots slots) and, when it is new, at the end of
// `order`. False, changing nothing, when it is new and `order` already holds 256 colours.
bool addColour(std::uint32_t* set, std::vector<std::uint32_t>& order, std::uint32_t rgb) {
  std::size_t slot = slotOf(rgb, 9);
  while (set[slot] != kEmpty && set[slot] != rgb) slot = (slot + 1) % kSetSlots;
  if (set[slot] == rgb) return true;
  if (order.size() == 256) return false;
  set[slot] = rgb;
  order.push_back(rgb);
  return true;
}

struct AttrDeleter {
  void operator()(liq_attr* p) const { liq_attr_destroy(p); }
};
struct HistogramDeleter {
  void operator()(liq_histogram* p) const { liq_histogram_destroy(p); }
};
struct ResultDeleter {
  void operator()(liq_result* p) const { liq_result_destroy(p); }
};

// libimagequant may be built with OpenMP and would then quantize on every core; the program
// keeps to one thread. Its runtime is only there when libimagequant brought it in.
class OneThread {
 public:
  OneThread()
      : get_(reinterpret_cast<int (*)()>(dlsym(RTLD_DEFAULT, "omp_get_max_threads"))),
        set_(reinterpret_cast<void (*)(int)>(dlsym(RTLD_DEFAULT, "omp_set_num_threads"))) {
    if (get_ && set_) {
      before_ = get_();
      set_(1);
    }
  }
  ~OneThread() {
    if (get_ && set_) set_(before_);
  }
  OneThread(const OneThread&) = delete;
  OneThread& operator=(const OneThread&) = delete;

 private:
  int (*get_)();
  void (*set_)(int);
  int before_ = 1;
};

void check(liq_error error) {
  if (error == LIQ_OUT_OF_MEMORY) throw std::bad_alloc();
}

// A few rounds of Lloyd's algorithm over the histogram in plain RGB: libimagequant chooses its
// colours for its own perceptual measure, and these rounds move them to the centres of the
// colours each one serves, which lowers the squared error the clip is judged by.
void refine(Palette& palette, const std::vector<liq_histogram_entry>& histogram, int rounds) {
  for (int round = 0; round < rounds; ++round) {
    const ColourMap map(palette);
    std::array<std::array<double, 4>, 256> sums{};
    for (const liq_histogram_entry& e : histogram) {
      auto& s = sums[map.index(static_cast<std::uint32_t>(e.color.r << 16 | e.color.g << 8 | e.color.b))];
      s[0] += e.count;
      s[1] += static_cast<double>(e.count) * e.color.r;
      s[2] += static_cast<double>(e.count) * e.color.g;
      s[3] += static_cast<double>(e.count) * e.color.b;
    }
    for (std::uint32_t i = 0; i < palette.count; ++i) {
      const auto& s = sums[i];
      if (s[0] == 0) continue;
      palette.entries[i] = {static_cast<std::uint8_t>(std::lround(s[1] / s[0])),
                            static_cast<std::uint8_t>(std::lround(s[2] / s[0])),
                            static_cast<std::uint8_t>(std::lround(s[3] / s[0]))};
    }
  }
}

// libimagequant merges colours it deems too close to keep apart, and may return fewer than
// 256 of them. The entries left over go to the histogram's colours that the palette serves
// worst, by their count times their squared distance to the nearest entry.
void topUp(Palette& palette, const std::vector<liq_histogram_entry>& histogram) {
  if (palette.count >= 256 || palette.count == 0) return;
  const ColourMap map(palette);
  std::vector<std::pair<double, std::uint32_t>> misses;
  for (const liq_histogram_entry& e : histogram) {
    const std::uint32_t rgb = static_cast<std::uint32_t>(e.color.r << 16 | e.color.g << 8 | e.color.b);
    const Rgb& got = palette.entries[map.index(rgb)];
    const int dr = e.color.r - got.red, dg = e.color.g - got.green, db = e.color.b - got.blue;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance > 0) misses.emplace_back(static_cast<double>(e.count) * distance, rgb);
  }
  const std::size_t room = std::min<std::size_t>(256 - palette.count, misses.size());
  std::partial_sort(misses.begin(), misses.begin() + static_cast<std::ptrdiff_t>(room), misses.end(),
                    [](const auto& a, const auto& b) { return a.first > b.first; });
  for (std::size_t i = 0; i < room; ++i) {
    const std::uint32_t rgb = misses[i].second;
    palette.entries[palette.count++] = {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                                        static_cast<std::uint8_t>(rgb)};
  }
}

}  // namespace

ClipPalette::ClipPalette() : set_(kSetSlots, kEmpty), counted_(kCountedSlots, Counted{kEmpty, 0}) {
  seen_.reserve(256);
}

void ClipPalette::gather(const DeviceBitmap& frame, std::uint64_t number, bool wantDistinct,
                         FrameColours& out) {
  out.distinct.clear();
  out.many = false;
  out.samples.clear();
  const std::int64_t width = frame.width, height = frame.height;
  if (width <= 0 || height <= 0) return;

  if (wantDistinct) {
    // An open-addressing set of at most 256 colours; the 257th ends the search.
    std::array<std::uint32_t, kSetSlots> set;
    set.fill(kEmpty);
    std::uint32_t last = kEmpty;
    for (const std::uint32_t pixel : frame.pixels) {
      const std::uint32_t rgb = pixel & 0xFFFFFF;
      if (rgb == last) continue;
      last = rgb;
      if (!addColour(set.data(), out.distinct, rgb)) {
        out.many = true;
        out.distinct.clear();
        break;
      }
    }
  } else {
    out.many = true;
  }

  const RowSelection rows = sampledRows(width, height, number);
  const std::int64_t step = rows.step;
  const std::int64_t phase = static_cast<std::int64_t>(number % static_cast<std::uint64_t>(step * step));
  for (std::int64_t y = rows.first; y < height; y += step) {
    const std::uint32_t* row = frame.pixels.data() + y * width;
    for (std::int64_t x = (phase + y / step) % step; x < width; x += step) out.samples.push_back(row[x] & 0xFFFFFF);
  }
}

// One pixel in step x step; each frame starts elsewhere in the step's square so that a still
// part of the picture is seen at every place over a few frames.
RowSelection ClipPalette::sampledRows(std::int64_t width, std::int64_t height, std::uint64_t number) {
  const auto step = std::max<std::int64_t>(
      1, static_cast<std::int64_t>(std::ceil(std::sqrt(static_cast<double>(width * height) / kSamplesPerFrame))));
  const std::int64_t phase = static_cast<std::int64_t>(number % static_cast<std::uint64_t>(step * step));
  return {phase / step, step};
}

void ClipPalette::addFrame(const DeviceBitmap& frame) {
  if (frame.width <= 0 || frame.height <= 0) return;
  FrameColours colours;
  gather(frame, frames_ + 1, wantsDistinct(), colours);
  add(colours);
}

void ClipPalette::add(const FrameColours& colours) {
  ++frames_;
  if (!overflowed_) {
    const bool fits = !colours.many && std::all_of(colours.distinct.begin(), colours.distinct.end(),
                                                   [this](std::uint32_t rgb) { return addColour(set_.data(), seen_, rgb); });
    if (!fits) {
      overflowed_ = true;
      // Nothing of it is needed any more.
      std::vector<std::uint32_t>().swap(set_);
      std::vector<std::uint32_t>().swap(seen_);
    }
  }
  for (const std::uint32_t rgb : colours.samples) addSample(rgb);
}

void ClipPalette::addSample(std::uint32_t rgb) {
  if (buckets_) {
    Bucket* b = &buckets_[bucketOf(rgb)];
    if (b->count == kCountLimit) {
      for (std::size_t i = 0; i < kBuckets; ++i) {
        Bucket& h = buckets_[i];
        h = {h.count / 2, h.red / 2, h.green / 2, h.blue / 2};
      }
    }
    ++b->count;
    b->red += (rgb >> 16) & 3;
    b->green += (rgb >> 8) & 3;
    b->blue += rgb & 3;
    return;
  }
  std::size_t slot = slotOf(rgb, 15);
  while (counted_[slot].rgb != kEmpty && counted_[slot].rgb != rgb) slot = (slot + 1) % kCountedSlots;
  Counted& c = counted_[slot];
  if (c.rgb == kEmpty) {
    c.rgb = rgb;
    if (++countedColours_ > kCountedColours) {
      c.count = 1;
      toBuckets();
      return;
    }
  }
  if (c.count == kCountLimit) {
    for (Counted& other : counted_) other.count /= 2;
  }
  ++c.count;
}

void ClipPalette::toBuckets() {
  buckets_.reset(static_cast<Bucket*>(std::calloc(kBuckets, sizeof(Bucket))));
  if (!buckets_) throw std::bad_alloc();
  for (const Counted& c : counted_) {
    if (c.rgb == kEmpty) continue;
    Bucket& b = buckets_[bucketOf(c.rgb)];
    b.count += c.count;
    b.red += ((c.rgb >> 16) & 3) * c.count;
    b.green += ((c.rgb >> 8) & 3) * c.count;
    b.blue += (c.rgb & 3) * c.count;
  }
  std::vector<Counted>().swap(counted_);
}

Palette ClipPalette::palette() const {
  Palette result;
  if (frames_ == 0) return result;
  if (!overflowed_) {
    result.count = static_cast<std::uint32_t>(seen_.size());
    for (std::size_t i = 0; i < seen_.size(); ++i) {
      result.entries[i] = {static_cast<std::uint8_t>(seen_[i] >> 16),
                           static_cast<std::uint8_t>(seen_[i] >> 8), static_cast<std::uint8_t>(seen_[i])};
    }
    return result;
  }

  std::vector<liq_histogram_entry> entries;
  if (buckets_) {
    for (std::uint32_t i = 0; i < kBuckets; ++i) {
      const Bucket& b = buckets_[i];
      if (b.count == 0) continue;
      const auto mean = [&](std::uint32_t top, std::uint32_t sum) {
        return static_cast<unsigned char>(top * 4 + (sum + b.count / 2) / b.count);
      };
      entries.push_back({{mean(i >> 12, b.red), mean((i >> 6) & 63, b.green), mean(i & 63, b.blue), 255},
                         b.count});
    }
  } else {
    for (const Counted& c : counted_) {
      if (c.rgb == kEmpty || c.count == 0) continue;
      entries.push_back({{static_cast<unsigned char>(c.rgb >> 16), static_cast<unsigned char>(c.rgb >> 8),
                          static_cast<unsigned char>(c.rgb), 255},
                         c.count});
    }
  }

  OneThread oneThread;
  const std::unique_ptr<liq_attr, AttrDeleter> attr(liq_attr_create());
  if (!attr) throw std::bad_alloc();
  check(liq_set_max_colors(attr.get(), 256));
  // One step faster than its default: the rounds of refinement below make up what it gives
  // up, in less time (measured on photographs by bench/palette_bench and the palette bench).
  check(liq_set_speed(attr.get(), 5));
  const std::unique_ptr<liq_histogram, HistogramDeleter> histogram(liq_histogram_create(attr.get()));
  if (!histogram) throw std::bad_alloc();
  check(liq_histogram_add_colors(histogram.get(), attr.get(), entries.data(),
                                 static_cast<int>(entries.size()), 0));
  liq_result* raw = nullptr;
  const liq_error error = liq_histogram_quantize(histogram.get(), attr.get(), &raw);
  const std::unique_ptr<liq_result, ResultDeleter> quantized(raw);
  check(error);
  // Nothing but memory can fail at these settings; should it all the same, the clip is still
  // written, under the fixed palette.
  if (error != LIQ_OK || !quantized) return fixedPalette();
  const liq_palette* chosen = liq_get_palette(quantized.get());
  result.count = std::min(chosen->count, 256u);
  for (std::uint32_t i = 0; i < result.count; ++i)
    result.entries[i] = {chosen->entries[i].r, chosen->entries[i].g, chosen->entries[i].b};
  topUp(result, entries);
  refine(result, entries, 3);
  return result;
}

}  // namespace quintorel
