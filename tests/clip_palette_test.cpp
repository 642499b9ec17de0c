// The clip palette: the clip's own colours when it has at most 256, a chosen 256 otherwise,
// always fitting every frame; and clips written under it, read back by ffmpeg.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "composition/entry_list.h"
#include "platform/colour_map.h"
#include "tests/support/bmp_fixture.h"
#include "tests/support/clip_probe.h"
#include "tests/support/outside_tool.h"
#include "tests/support/temp_dir.h"
#include "video/capture_frame_bits.h"
#include "video/clip_palette.h"
#include "video/create_video.h"

namespace quintorel {
namespace {

using test::TempDir;

DeviceBitmap frameOf(std::int32_t width, std::int32_t height,
                     const std::function<std::uint32_t(int x, int y)>& pixel) {
  DeviceBitmap b;
  b.width = width;
  b.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) b.pixels.push_back(pixel(x, y));
  return b;
}

std::uint32_t rgbOf(const Rgb& c) {
  return static_cast<std::uint32_t>(c.red << 16 | c.green << 8 | c.blue);
}

std::vector<std::uint32_t> coloursOf(const Palette& p) {
  std::vector<std::uint32_t> colours;
  for (std::uint32_t i = 0; i < p.count; ++i) colours.push_back(rgbOf(p.entries[i]));
  return colours;
}

// Peak signal-to-noise ratio over red, green and blue of `frame` stored under `palette`.
double psnrUnder(const Palette& palette, const DeviceBitmap& frame) {
  const ColourMap map(palette);
  double squares = 0;
  for (std::uint32_t rgb : frame.pixels) {
    const Rgb& got = palette.entries[map.index(rgb)];
    for (int shift : {16, 8, 0}) {
      const int channel = (shift == 16 ? got.red : shift == 8 ? got.green : got.blue);
      const double d = static_cast<int>((rgb >> shift) & 0xFF) - channel;
      squares += d * d;
    }
  }
  const double mse = squares / (3.0 * static_cast<double>(frame.pixels.size()));
  return mse == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mse);
}

// A ramp through many shades of one hue: 1,024 colours.
DeviceBitmap rampOf(std::uint32_t hue) {
  return frameOf(64, 16, [hue](int x, int y) {
    const auto level = static_cast<std::uint32_t>(x * 4);
    const auto shade = static_cast<std::uint32_t>(y * 4);
    return (hue == 0 ? level << 16 | shade << 8 : shade << 8 | level) | shade;
  });
}

TEST(ClipPalette, IsTheClipsOwnColoursInTheOrderFirstSeen) {
  ClipPalette colours;
  colours.addFrame(frameOf(2, 2, [](int x, int y) { return x == y ? 0x102030u : 0xFFFFFFu; }));
  colours.addFrame(frameOf(3, 1, [](int x, int) { return x == 0 ? 0x000001u : 0xFFFFFFu; }));
  EXPECT_TRUE(colours.exact());
  EXPECT_EQ(coloursOf(colours.palette()), (std::vector<std::uint32_t>{0x102030, 0xFFFFFF, 0x000001}));
}

// Every pixel of every frame counts, not a sample: one pixel of a 257th colour in the last
// frame ends the exact palette. Chosen from the histogram, 256 entries still serve 257
// colours all but exactly.
TEST(ClipPalette, StaysExactUpTo256ColoursAcrossFrames) {
  for (const bool oneMore : {false, true}) {
    const DeviceBitmap blues = frameOf(128, 1, [](int x, int) { return static_cast<std::uint32_t>(x); });
    const DeviceBitmap greens = frameOf(128, 100, [oneMore](int x, int y) {
      if (oneMore && x == 127 && y == 99) return 0xABCDEFu;
      return static_cast<std::uint32_t>(128 + x) << 8;
    });
    ClipPalette colours;
    colours.addFrame(blues);
    colours.addFrame(greens);
    const Palette p = colours.palette();
    EXPECT_EQ(colours.exact(), !oneMore);
    EXPECT_EQ(p.count, 256u);
    if (oneMore) {
      EXPECT_GT(psnrUnder(p, blues), 50.0);
      EXPECT_GT(psnrUnder(p, greens), 50.0);
    } else {
      EXPECT_EQ(rgbOf(p.entries[255]), 0x00FF00u);
    }
  }
}

TEST(ClipPalette, IsEmptyBeforeAnyFrame) {
  EXPECT_EQ(ClipPalette().palette().count, 0u);
}

// Chosen from the colours of all frames, the palette fits the last frame as well as the
// first; one made from the first frame alone leaves the second without its hue.
TEST(ClipPalette, FitsEveryFrameOfAClipOfManyColours) {
  const DeviceBitmap reds = rampOf(0), blues = rampOf(1);
  ClipPalette clip;
  clip.addFrame(reds);
  clip.addFrame(blues);
  EXPECT_FALSE(clip.exact());
  const Palette both = clip.palette();
  EXPECT_EQ(both.count, 256u);
  EXPECT_GT(psnrUnder(both, reds), 34.0);
  EXPECT_GT(psnrUnder(both, blues), 34.0);

  ClipPalette firstOnly;
  firstOnly.addFrame(reds);
  EXPECT_LT(psnrUnder(firstOnly.palette(), blues), 20.0);
}

// Dithering at the conversion, under a palette given: where the palette has no colour for a
// flat area or a slow ramp, plain mapping gives bands of the nearest entries, and error
// diffusion mixes entries so that every patch averages out to its source.
struct DitherCase {
  const char* name;
  std::vector<Rgb> palette;
  std::function<std::uint32_t(int x, int y)> pixel;
  friend void PrintTo(const DitherCase& c, std::ostream* os) { *os << c.name; }
};

class Dithering : public testing::TestWithParam<DitherCase> {};

TEST_P(Dithering, KeepsTheTableAndBringsEveryPatchToItsSourcesAverage) {
  const DitherCase& c = GetParam();
  Palette palette;
  palette.count = static_cast<std::uint32_t>(c.palette.size());
  std::copy(c.palette.begin(), c.palette.end(), palette.entries.begin());
  constexpr int kWidth = 256, kHeight = 32;
  const DeviceBitmap frame = frameOf(kWidth, kHeight, c.pixel);
  std::vector<std::uint8_t> plainHeader(1064), ditheredHeader(1064);
  std::vector<std::uint8_t> plain(kWidth * kHeight), dithered(kWidth * kHeight);
  ASSERT_TRUE(CaptureFrameBits(frame, &palette, plainHeader, plain, 256));
  ASSERT_TRUE(CaptureFrameBits(frame, &palette, ditheredHeader, dithered, 256, true));
  EXPECT_EQ(ditheredHeader, plainHeader);

  // The mean distance, over 16 x 16 patches and channels, of the patch's average colour from
  // its source's. Rows are stored bottom-up.
  auto patchError = [&](const std::vector<std::uint8_t>& indices) {
    double total = 0;
    for (int py = 0; py < kHeight; py += 16)
      for (int px = 0; px < kWidth; px += 16)
        for (int shift : {16, 8, 0}) {
          double sum = 0;
          for (int y = py; y < py + 16; ++y)
            for (int x = px; x < px + 16; ++x) {
              const Rgb& got = palette.entries[indices[static_cast<std::size_t>((kHeight - 1 - y) * kWidth + x)]];
              const int stored = shift == 16 ? got.red : shift == 8 ? got.green : got.blue;
              sum += stored - static_cast<int>((c.pixel(x, y) >> shift) & 0xFF);
            }
          total += std::abs(sum / 256);
        }
    return total / (3 * (kWidth / 16) * (kHeight / 16));
  };
  const double plainError = patchError(plain), ditheredError = patchError(dithered);
  EXPECT_GT(plainError, 5.0);  // the case needs dithering at all
  EXPECT_LT(ditheredError, plainError / 20);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Dithering,
    testing::Values(
        DitherCase{"grey_from_black_and_white", {{0, 0, 0}, {255, 255, 255}},
                   [](int, int) { return 0x808080u; }},
        DitherCase{"ramp_over_six_greys",
                   {{0, 0, 0}, {51, 51, 51}, {102, 102, 102}, {153, 153, 153}, {204, 204, 204}, {255, 255, 255}},
                   [](int x, int) { return static_cast<std::uint32_t>(x) * 0x010101u; }},
        DitherCase{"orange_from_primaries",
                   {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {255, 255, 255}},
                   [](int, int y) { return 0xE08020u + static_cast<std::uint32_t>(y / 16); }}),
    [](const auto& info) { return std::string(info.param.name); });

// Through the creation and back through ffmpeg.
class ClipColours : public testing::Test {
 public:
  void add(const std::string& name, int width, int height, const test::PixelFunction& pixel) {
    test::writeBmp24(dir / name, width, height, pixel);
    list.append(name, Bitmap::loadFromFile(dir.path(), name));
  }
  // Frames made by ffmpeg itself: `source` is a lavfi source description.
  void addFromFfmpeg(const std::string& source, int frames) {
    ASSERT_EQ(test::runTool("ffmpeg -v error -f lavfi -i " + source + " -frames:v " +
                            std::to_string(frames) + " " + test::shellQuote((dir / "f%d.bmp").string()))
                  .status,
              0);
    for (int i = 1; i <= frames; ++i) {
      const std::string name = "f" + std::to_string(i) + ".bmp";
      list.append(name, Bitmap::loadFromFile(dir.path(), name));
    }
  }
  std::vector<std::uint8_t> create(const std::string& name, bool dither = false) {
    CreationSettings settings;
    settings.dither = dither;
    createVideo(list, out / name, settings);
    return test::decodeRgb24(test::shellQuote((out / name).string()));
  }
  std::vector<std::uint8_t> sources() const {
    return test::decodeRgb24(test::shellQuote((dir / "f%d.bmp").string()));
  }

  TempDir dir, out;
  EntryList list;
};

double psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  double squares = 0;
  for (std::size_t i = 0; i < a.size(); ++i) squares += (a[i] - b[i]) * (a[i] - b[i]);
  return 10 * std::log10(255.0 * 255.0 / (squares / static_cast<double>(a.size())));
}

// The second frame has colours the first lacks: under a table made for the first frame they
// would come back as the first frame's colours.
TEST_F(ClipColours, AClipOfAtMost256ColoursComesBackExactly) {
  add("f1.bmp", 33, 7, [](int x, int y) { return static_cast<std::uint32_t>((x + 33 * y) % 100) * 0x020101u; });
  add("f2.bmp", 33, 7, [](int x, int y) { return 0x00FF00u | static_cast<std::uint32_t>((x * y) % 150); });
  add("f3.bmp", 33, 7, [](int x, int) { return x % 2 ? 0x00FF00u : 0x000000u; });
  const auto decoded = create("clip.avi");
  const auto expected = sources();
  ASSERT_EQ(expected.size(), 3u * 33 * 7 * 3);
  EXPECT_TRUE(decoded == expected);
}

TEST_F(ClipColours, EveryFrameOfAClipOfManyColoursKeepsItsColours) {
  add("f1.bmp", 64, 16, [](int x, int y) { return static_cast<std::uint32_t>(x * 4) << 16 | static_cast<std::uint32_t>(y * 4) * 0x0101u; });
  add("f2.bmp", 64, 16, [](int x, int y) { return static_cast<std::uint32_t>(x * 4) | static_cast<std::uint32_t>(y * 4) * 0x010100u; });
  const auto decoded = create("clip.avi");
  const auto expected = sources();
  const std::size_t frame = 64 * 16 * 3;
  ASSERT_EQ(decoded.size(), 2 * frame);
  ASSERT_EQ(expected.size(), 2 * frame);
  for (std::size_t i = 0; i < 2; ++i) {
    const std::vector<std::uint8_t> got(decoded.begin() + i * frame, decoded.begin() + (i + 1) * frame);
    const std::vector<std::uint8_t> want(expected.begin() + i * frame, expected.begin() + (i + 1) * frame);
    EXPECT_GT(psnr(got, want), 34.0) << "frame " << i + 1;
  }
}

// Smooth 24-bit pictures from ffmpeg: no single frame and no fixed palette would do.
TEST_F(ClipColours, ASyntheticClipFromFfmpegComesBackClose) {
  addFromFfmpeg("testsrc2=size=96x64:rate=25", 8);
  const auto decoded = create("clip.avi");
  const auto expected = sources();
  ASSERT_EQ(decoded.size(), expected.size());
  ASSERT_EQ(expected.size(), 8u * 96 * 64 * 3);
  EXPECT_GT(psnr(decoded, expected), 30.0);
}

// The creation decodes frames on several threads; its table is still the one that showing
// the frames to a ClipPalette in their order gives, both for a clip of at most 256 colours
// (where the order they are first seen in is the table's order) and for one of many.
TEST_F(ClipColours, TheTableIsTheOneTheFramesInTheirOrderGive) {
  const auto tableOf = [](const std::vector<std::uint8_t>& format) {
    std::vector<std::uint32_t> table;
    for (std::size_t i = 40; i + 3 < format.size(); i += 4) {
      table.push_back(std::uint32_t{format[i + 2]} << 16 | std::uint32_t{format[i + 1]} << 8 | format[i]);
    }
    return table;
  };
  const auto expectedTable = [&] {
    ClipPalette colours;
    DeviceBitmap frame;
    for (int i = 0; i < list.count(); ++i) {
      list.object(i).decodeInto(frame);
      colours.addFrame(frame);
    }
    const Palette palette = colours.palette();
    std::vector<std::uint32_t> table(256, 0);
    for (std::uint32_t i = 0; i < palette.count; ++i) {
      const Rgb c = palette.entries[i];
      table[i] = std::uint32_t{c.red} << 16 | std::uint32_t{c.green} << 8 | c.blue;
    }
    return table;
  };

  for (int i = 0; i < 40; ++i) {
    add("f" + std::to_string(i + 1) + ".bmp", 8, 4, [i](int x, int y) {
      return static_cast<std::uint32_t>(250 - i * 6 - (x + y) % 6) * 0x010301u;
    });
  }
  (void)create("few.avi");
  EXPECT_EQ(tableOf(test::readStoredStream(out / "few.avi").format), expectedTable());

  list = EntryList();
  std::filesystem::remove_all(dir.path());
  std::filesystem::create_directory(dir.path());
  // Frames of more pixels than are sampled, so that after the first only sampled rows are
  // decoded.
  addFromFfmpeg("testsrc2=size=320x240:rate=25", 24);
  (void)create("many.avi");
  EXPECT_EQ(tableOf(test::readStoredStream(out / "many.avi").format), expectedTable());
}

// Through the creation, dithering keeps the table the plain clip gets, and changes pixels.
TEST_F(ClipColours, DitheringKeepsTheClipsPalette) {
  add("f1.bmp", 128, 64, [](int x, int y) {
    return static_cast<std::uint32_t>(x * 2) << 16 | static_cast<std::uint32_t>(y * 4) << 8 | 0x40u;
  });
  const auto plain = create("plain.avi");
  const auto dithered = create("dithered.avi", true);
  ASSERT_EQ(plain.size(), 128u * 64 * 3);
  ASSERT_EQ(dithered.size(), plain.size());
  EXPECT_EQ(test::readStoredStream(out / "dithered.avi").format,
            test::readStoredStream(out / "plain.avi").format);
  EXPECT_NE(plain, dithered);
}

// A colour of the palette stays itself under dithering as long as no error reaches it.
TEST_F(ClipColours, DitheringLeavesAClipOfAtMost256ColoursExact) {
  add("f1.bmp", 40, 9, [](int x, int y) { return static_cast<std::uint32_t>((x * 7 + y * 3) % 200) * 0x010203u; });
  const auto dithered = create("clip.avi", true);
  EXPECT_TRUE(dithered == sources());
}

}  // namespace
}  // namespace quintorel
