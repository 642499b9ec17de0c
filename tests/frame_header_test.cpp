// FillFrameHeader, FrameBufferSizes and CaptureFrameBits: headers, block sizes and what a
// conversion writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/bitmap_info_header.h"
#include "platform/fixed_palette.h"
#include "video/capture_frame_bits.h"
#include "video/frame_header.h"

namespace quintorel {
namespace {

DeviceBitmap bitmapOf(std::int32_t width, std::int32_t height, std::uint16_t bitsPixel = 32,
                      std::uint16_t planes = 1) {
  DeviceBitmap b;
  b.width = width;
  b.height = height;
  b.bitsPixel = bitsPixel;
  b.planes = planes;
  b.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  return b;
}

struct HeaderCase {
  const char* name;
  std::int32_t width, height;
  std::uint16_t bitsPixel;
  std::int32_t colourCount;
  std::uint16_t bitCount;
  std::uint32_t clrUsed;
  std::int32_t headerSize;
  std::int32_t imageSize;
};

class FrameHeader : public testing::TestWithParam<HeaderCase> {};

TEST_P(FrameHeader, DescribesTheBitmapAtTheColourCount) {
  const HeaderCase& c = GetParam();
  BitmapInfoHeader h;
  FillFrameHeader(bitmapOf(c.width, c.height, c.bitsPixel), h, c.colourCount);
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biWidth, c.width);
  EXPECT_EQ(h.biHeight, c.height);
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, c.bitCount);
  EXPECT_EQ(h.biCompression, BI_RGB);
  EXPECT_EQ(h.biSizeImage, static_cast<std::uint32_t>(c.imageSize));
  EXPECT_EQ(h.biXPelsPerMeter, 0);
  EXPECT_EQ(h.biYPelsPerMeter, 0);
  EXPECT_EQ(h.biClrUsed, c.clrUsed);
  EXPECT_EQ(h.biClrImportant, 0u);
  std::int32_t headerSize = -1, imageSize = -1;
  FrameBufferSizes(bitmapOf(c.width, c.height, c.bitsPixel), headerSize, imageSize, c.colourCount);
  EXPECT_EQ(headerSize, c.headerSize);
  EXPECT_EQ(imageSize, c.imageSize);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FrameHeader,
    testing::Values(
        // Worked sizes at 256 colours.
        HeaderCase{"w100_h50", 100, 50, 32, 256, 8, 256, 1064, 5000},
        HeaderCase{"w101_h3", 101, 3, 32, 256, 8, 256, 1064, 312},
        HeaderCase{"w33_h10", 33, 10, 32, 256, 8, 256, 1064, 360},
        HeaderCase{"w1_h1", 1, 1, 32, 256, 8, 256, 1064, 4},
        HeaderCase{"w640_h480", 640, 480, 32, 256, 8, 256, 1064, 307200},
        // Whatever the display's depth, 256 colours is 8 bits.
        HeaderCase{"display24_at256", 101, 3, 24, 256, 8, 256, 1064, 312},
        HeaderCase{"display16_at256", 101, 3, 16, 256, 8, 256, 1064, 312},
        // Colour count 0: the bitmap's own depth, 16 and 32 becoming 24.
        HeaderCase{"display32_at0", 101, 2, 32, 0, 24, 0, 40, 608},
        HeaderCase{"display16_at0", 101, 2, 16, 0, 24, 0, 40, 608},
        HeaderCase{"display8_at0", 10, 2, 8, 0, 8, 0, 1064, 24},
        HeaderCase{"monochrome_at0", 100, 1, 1, 0, 1, 0, 48, 16},
        // Two and sixteen colours.
        HeaderCase{"w100_at2", 100, 1, 32, 2, 1, 2, 48, 16},
        HeaderCase{"w100_at16", 100, 1, 32, 16, 4, 16, 104, 52}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FrameHeader, AnOtherColourCountKeepsTheHeldBitCountThroughTheLaterSteps) {
  BitmapInfoHeader h;
  h.biBitCount = 32;
  FillFrameHeader(bitmapOf(101, 2), h, 5);
  EXPECT_EQ(h.biBitCount, 24);
  EXPECT_EQ(h.biClrUsed, 0u);
  EXPECT_EQ(h.biSizeImage, 608u);
  h.biBitCount = 8;
  FillFrameHeader(bitmapOf(101, 2), h, 5);
  EXPECT_EQ(h.biBitCount, 8);
  EXPECT_EQ(h.biClrUsed, 5u);
}

TEST(FrameHeader, PlanesMultiplyTheBitsAtColourCountZero) {
  BitmapInfoHeader h;
  FillFrameHeader(bitmapOf(4, 1, 4, 2), h, 0);
  EXPECT_EQ(h.biBitCount, 8);
}

struct Blocks {
  std::vector<std::uint8_t> header, pixels;
  Blocks(std::size_t headerSize, std::size_t imageSize, std::uint8_t fill = 0xEE)
      : header(headerSize, fill), pixels(imageSize, fill) {}
};

TEST(CaptureFrameBits, WritesTheHeaderTheFixedTableAndBottomUpRows) {
  DeviceBitmap b = bitmapOf(3, 2);
  b.pixels = {0xFF0000, 0x00FF00, 0x0000FF,   // top row
              0x000000, 0xFFFFFF, 0xFF0000};  // bottom row
  Blocks blocks(1064, 8);
  ASSERT_TRUE(CaptureFrameBits(b, nullptr, blocks.header, blocks.pixels, 256));
  const BitmapInfoHeader h = BitmapInfoHeader::readFrom(blocks.header);
  EXPECT_EQ(h.biWidth, 3);
  EXPECT_EQ(h.biHeight, 2);
  EXPECT_EQ(h.biSizeImage, 8u);
  const Palette& fixed = fixedPalette();
  for (std::size_t i = 0; i < 256; ++i) {
    const std::uint8_t* q = blocks.header.data() + 40 + 4 * i;
    ASSERT_EQ((Rgb{q[2], q[1], q[0]}), fixed.entries[i]) << "entry " << i;
    ASSERT_EQ(q[3], 0);
  }
  auto colourAt = [&](std::size_t offset) { return fixed.entries[blocks.pixels[offset]]; };
  EXPECT_EQ(colourAt(0), (Rgb{0, 0, 0}));        // bottom row first
  EXPECT_EQ(colourAt(1), (Rgb{255, 255, 255}));
  EXPECT_EQ(colourAt(4), (Rgb{255, 0, 0}));      // then the top row
  EXPECT_EQ(colourAt(6), (Rgb{0, 0, 255}));
  EXPECT_EQ(blocks.pixels[3], 0);  // row padding carries no pixel
}

TEST(CaptureFrameBits, EveryFixedPaletteColourMapsToItself) {
  const Palette& fixed = fixedPalette();
  DeviceBitmap b = bitmapOf(256, 1);
  for (int i = 0; i < 256; ++i) {
    const Rgb& c = fixed.entries[i];
    b.pixels[i] = static_cast<std::uint32_t>(c.red << 16 | c.green << 8 | c.blue);
  }
  Blocks blocks(1064, 256);
  ASSERT_TRUE(CaptureFrameBits(b, nullptr, blocks.header, blocks.pixels, 256));
  for (int i = 0; i < 256; ++i) EXPECT_EQ(fixed.entries[blocks.pixels[i]], fixed.entries[i]) << i;
}

TEST(CaptureFrameBits, WithAPaletteWritesItsColoursAndMapsToThem) {
  Palette palette;
  palette.count = 3;
  palette.entries[0] = {10, 20, 30};
  palette.entries[1] = {200, 100, 0};
  palette.entries[2] = {0, 250, 250};
  DeviceBitmap b = bitmapOf(3, 1);
  b.pixels = {0x00FAFA, 0x0A141E, 0xC86400};
  Blocks blocks(1064, 4);
  ASSERT_TRUE(CaptureFrameBits(b, &palette, blocks.header, blocks.pixels, 256));
  EXPECT_EQ(blocks.pixels[0], 2);
  EXPECT_EQ(blocks.pixels[1], 0);
  EXPECT_EQ(blocks.pixels[2], 1);
  EXPECT_EQ(blocks.header[40 + 4 * 1 + 2], 200);     // red of entry 1
  EXPECT_EQ(blocks.header[40 + 4 * 3 + 2], 0);       // unused entries are black
}

TEST(CaptureFrameBits, ASmallerBitmapRewritesTheHeaderAndOnlyItsImageSize) {
  Blocks blocks(1064, 5000);
  ASSERT_TRUE(CaptureFrameBits(bitmapOf(100, 50), nullptr, blocks.header, blocks.pixels, 256));
  std::fill(blocks.pixels.begin(), blocks.pixels.end(), 0xEE);
  ASSERT_TRUE(CaptureFrameBits(bitmapOf(33, 10), nullptr, blocks.header, blocks.pixels, 256));
  const BitmapInfoHeader h = BitmapInfoHeader::readFrom(blocks.header);
  EXPECT_EQ(h.biWidth, 33);
  EXPECT_EQ(h.biSizeImage, 360u);
  EXPECT_EQ(blocks.pixels[359], 0);
  EXPECT_EQ(blocks.pixels[360], 0xEE);
}

TEST(CaptureFrameBits, TheSameBitmapTwiceGivesTheSameBlocks) {
  DeviceBitmap b = bitmapOf(5, 4);
  for (std::size_t i = 0; i < b.pixels.size(); ++i) b.pixels[i] = static_cast<std::uint32_t>(i * 0x030507);
  Blocks first(1064, 32), second(1064, 32, 0x11);
  ASSERT_TRUE(CaptureFrameBits(b, nullptr, first.header, first.pixels, 256));
  ASSERT_TRUE(CaptureFrameBits(b, nullptr, second.header, second.pixels, 256));
  EXPECT_EQ(first.header, second.header);
  EXPECT_EQ(first.pixels, second.pixels);
}

TEST(CaptureFrameBits, RefusesBlocksTooSmallWithoutWritingPastThem) {
  struct Case {
    const char* name;
    std::size_t headerSize, imageSize;
  };
  for (const Case& c : {Case{"pixel block one byte short", 1064, 311},
                        Case{"header block without room for the table", 1063, 312},
                        Case{"header block without room for the header", 39, 312}}) {
    // Guard bytes behind each block show a write past its end.
    std::vector<std::uint8_t> header(c.headerSize + 16, 0xEE), pixels(c.imageSize + 16, 0xEE);
    EXPECT_FALSE(CaptureFrameBits(bitmapOf(101, 3), nullptr,
                                  std::span(header.data(), c.headerSize),
                                  std::span(pixels.data(), c.imageSize), 256))
        << c.name;
    EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](auto v) { return v == 0xEE; })) << c.name;
    EXPECT_TRUE(std::all_of(header.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(c.headerSize, 40)),
                            header.end(), [](auto v) { return v == 0xEE; }))
        << c.name;
  }
}

TEST(CaptureFrameBits, PacksOneAndFourBitRowsAndWritesTwentyFourBitOnesAsTheyAre) {
  DeviceBitmap b = bitmapOf(3, 1);
  b.pixels = {0xFFFFFF, 0x000000, 0xFF0000};
  Blocks mono(48, 4);
  ASSERT_TRUE(CaptureFrameBits(b, nullptr, mono.header, mono.pixels, 2));
  EXPECT_EQ(mono.pixels[0], 0b10000000);  // white, black, and red, which is nearer black
  Blocks sixteen(104, 4);
  ASSERT_TRUE(CaptureFrameBits(b, nullptr, sixteen.header, sixteen.pixels, 16));
  EXPECT_EQ(sixteen.pixels[0], 0xF0);  // white (15), black (0)
  EXPECT_EQ(sixteen.pixels[1], 0x90);  // red (9)
  Blocks full(40, 12);
  ASSERT_TRUE(CaptureFrameBits(b, nullptr, full.header, full.pixels, 0));
  EXPECT_EQ(std::vector<std::uint8_t>(full.pixels.begin(), full.pixels.begin() + 9),
            (std::vector<std::uint8_t>{255, 255, 255, 0, 0, 0, 0, 0, 255}));
}

}  // namespace
}  // namespace quintorel
