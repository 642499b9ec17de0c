// Decoding BMP files: files that ffmpeg and ImageMagick write, compared with ffmpeg's own
// reading of them; pictures built byte by byte where no tool writes the variant; cut-short,
// unsupported and oversized files.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/bitmap_info_header.h"
#include "platform/error.h"
#include "platform/little_endian.h"
#include "tests/support/bmp_fixture.h"
#include "tests/support/outside_tool.h"
#include "tests/support/temp_dir.h"

namespace quintorel {
namespace {

namespace fs = std::filesystem;
using test::haveTool;
using test::runTool;
using test::shellQuote;
using Pixels = std::vector<std::uint32_t>;

const char* const kConvert = "/usr/bin/convert";  // ImageMagick 6 itself, not a stand-in

bool haveConvert() { return fs::exists(kConvert); }

DeviceBitmap decode(const Bitmap& bitmap) {
  DeviceBitmap out;
  bitmap.decodeInto(out);
  return out;
}

// ffmpeg's reading of `file` as 0x00RRGGBB pixels, top row first; empty when ffmpeg fails.
Pixels ffmpegPixels(const fs::path& file) {
  const test::ToolResult result =
      runTool("ffmpeg -v error -i " + shellQuote(file.string()) + " -f rawvideo -pix_fmt bgra -");
  if (result.status != 0) return {};
  Pixels pixels(result.output.size() / 4);
  const auto* p = reinterpret_cast<const std::uint8_t*>(result.output.data());
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = std::uint32_t{p[4 * i + 2]} << 16 | std::uint32_t{p[4 * i + 1]} << 8 | p[4 * i];
  }
  return pixels;
}

// The first pixel that differs, for a readable failure instead of thousands of lines. Only
// the top `bitsPerChannel` bits of each channel are compared.
::testing::AssertionResult samePixels(const DeviceBitmap& decoded, const Pixels& expected,
                                      int bitsPerChannel = 8) {
  const std::uint32_t channel = (0xFFu << (8 - bitsPerChannel)) & 0xFFu;
  const std::uint32_t mask = channel << 16 | channel << 8 | channel;
  const auto count =
      static_cast<std::size_t>(decoded.width) * static_cast<std::size_t>(decoded.height);
  if (decoded.pixels.size() != count || expected.size() != count) {
    return ::testing::AssertionFailure()
           << "decoded " << decoded.pixels.size() << " pixels for " << decoded.width << " x "
           << decoded.height << ", expected " << expected.size();
  }
  for (std::size_t i = 0; i < count; ++i) {
    if ((decoded.pixels[i] & mask) != (expected[i] & mask)) {
      return ::testing::AssertionFailure()
             << "pixel (" << i % decoded.width << ", " << i / decoded.width << ") is " << std::hex
             << decoded.pixels[i] << ", expected " << expected[i];
    }
  }
  return ::testing::AssertionSuccess();
}

std::string decodeError(const std::vector<std::uint8_t>& file, const std::string& name) {
  DeviceBitmap out;
  out.width = out.height = 2;
  out.pixels.assign(4, 0xABCDEF);
  try {
    Bitmap::loadFromBytes(file, name).decodeInto(out);
  } catch (const Error& e) {
    if (out.width != 0 || out.height != 0 || !out.pixels.empty()) return "failed, leaving pixels";
    return e.what();
  }
  return "no error";
}

// Files written by outside tools.

struct WrittenVariant {
  const char* name;
  bool byConvert;       // else by ffmpeg
  const char* options;  // ffmpeg's output options, or ImageMagick's options and output format
  // What the writer is expected to produce from the 37 x 23 source; smaller sources with
  // few colours may make ImageMagick choose fewer bits.
  std::uint32_t headerSize;
  std::uint16_t bitCount;
  std::uint32_t compression;
  // ffmpeg widens 4-bit channels by shifting (0xF becomes 0xF0) where we repeat the bits
  // (0xFF): only the bits read from the file are compared.
  int bitsPerChannel = 8;
};
void PrintTo(const WrittenVariant& c, std::ostream* os) { *os << c.name; }

const WrittenVariant kWrittenVariants[] = {
    {"ffmpeg_bgr24", false, "-pix_fmt bgr24", 40, 24, BI_RGB},
    {"ffmpeg_bgra", false, "-pix_fmt bgra", 40, 32, BI_RGB},
    {"ffmpeg_rgb565le", false, "-pix_fmt rgb565le", 40, 16, BI_BITFIELDS},
    {"ffmpeg_rgb444le", false, "-pix_fmt rgb444le", 40, 16, BI_BITFIELDS, 4},
    {"ffmpeg_rgb555le", false, "-pix_fmt rgb555le", 40, 16, BI_RGB},
    {"ffmpeg_pal8", false, "-pix_fmt pal8", 40, 8, BI_RGB},
    {"ffmpeg_rgb8", false, "-pix_fmt rgb8", 40, 8, BI_RGB},
    {"ffmpeg_gray", false, "-pix_fmt gray", 40, 8, BI_RGB},
    {"ffmpeg_monob", false, "-pix_fmt monob", 40, 1, BI_RGB},
    {"convert_24", true, "BMP3:", 40, 24, BI_RGB},
    {"convert_8", true, "-type Palette -compress None BMP3:", 40, 8, BI_RGB},
    {"convert_8_rle", true, "-type Palette -compress RLE BMP3:", 40, 8, BI_RLE8},
    {"convert_4", true, "-colors 16 -type Palette BMP3:", 40, 4, BI_RGB},
    {"convert_1", true, "-colors 2 -type Palette BMP3:", 40, 1, BI_RGB},
    {"convert_core_24", true, "BMP2:", 12, 24, BI_RGB},
    {"convert_core_8", true, "-type Palette BMP2:", 12, 8, BI_RGB},
    {"convert_core_4", true, "-colors 16 -type Palette BMP2:", 12, 4, BI_RGB},
    {"convert_core_1", true, "-colors 2 -type Palette BMP2:", 12, 1, BI_RGB},
};

// Odd widths exercise row padding; 1 x 1 is the smallest picture.
const char* const kSizes[] = {"37x23", "101x3", "1x1"};

class WrittenFiles {
 public:
  static WrittenFiles& instance() {
    static WrittenFiles files;
    return files;
  }

  // A picture of many colours, every channel running through low and high bits, written by
  // the test fixture; the tools read it to write the variants.
  fs::path source(const std::string& size) {
    const fs::path bmp = dir_ / ("source-" + size + ".bmp");
    if (!fs::exists(bmp)) {
      const int width = std::stoi(size);
      const int height = std::stoi(size.substr(size.find('x') + 1));
      test::writeBmp24(bmp, width, height, [](int x, int y) {
        return static_cast<std::uint32_t>((7 * x + 3 * y) % 256 << 16 | (11 * y + x) % 256 << 8 |
                                          (5 * x * y) % 256);
      });
    }
    return bmp;
  }

  // The variant written from the source of `size`; a path that does not exist when the
  // writer failed.
  fs::path written(const WrittenVariant& variant, const std::string& size) {
    const fs::path bmp = dir_ / (std::string(variant.name) + "-" + size + ".bmp");
    if (fs::exists(bmp)) return bmp;
    const std::string in = shellQuote(source(size).string());
    // ImageMagick's options end in the output format ("BMP3:"), which prefixes the name.
    const std::string command =
        variant.byConvert
            ? std::string(kConvert) + " " + in + " " + variant.options + shellQuote(bmp.string())
            : "ffmpeg -v error -y -i " + in + " " + variant.options + " " +
                  shellQuote(bmp.string());
    runTool(command);
    return bmp;
  }

 private:
  test::TempDir dir_;
};

bool haveWriters(const WrittenVariant& variant) {
  return haveTool("ffmpeg") && (!variant.byConvert || haveConvert());
}

class WrittenFileTest : public ::testing::TestWithParam<std::tuple<WrittenVariant, const char*>> {};

TEST_P(WrittenFileTest, decodesAsFfmpegReadsIt) {
  const auto& [variant, size] = GetParam();
  if (!haveWriters(variant)) GTEST_SKIP() << "ffmpeg or /usr/bin/convert is missing";
  const fs::path file = WrittenFiles::instance().written(variant, size);
  ASSERT_TRUE(fs::exists(file)) << "the writer failed";
  const Bitmap bitmap = Bitmap::loadFromFile(file.parent_path(), file.filename().string());

  if (std::string(size) == "37x23") {
    // Make sure the writer produced the variant this case is about.
    const std::span<const std::uint8_t> content = bitmap.content();
    ASSERT_GE(content.size(), 20u);
    const bool core = le::get32(content.data()) == 12;
    EXPECT_EQ(le::get32(content.data()), variant.headerSize);
    EXPECT_EQ(le::get16(content.data() + (core ? 10 : 14)), variant.bitCount);
    EXPECT_EQ(core ? BI_RGB : le::get32(content.data() + 16), variant.compression);
  }
  const DeviceBitmap decoded = decode(bitmap);
  EXPECT_EQ(std::to_string(decoded.width) + "x" + std::to_string(decoded.height), size);
  EXPECT_EQ(decoded.width, bitmap.width());
  EXPECT_EQ(decoded.height, bitmap.height());
  EXPECT_EQ(decoded.planes, 1);
  EXPECT_EQ(decoded.bitsPixel, 32);
  EXPECT_TRUE(samePixels(decoded, ffmpegPixels(file), variant.bitsPerChannel));

  // Decoding some rows only fills those rows as decoding all of them does.
  for (const RowSelection rows : {RowSelection{0, 2}, RowSelection{2, 5}, RowSelection{1, 100}}) {
    DeviceBitmap some;
    ReadBuffer buffer;
    bitmap.decodeInto(some, buffer, rows);
    ASSERT_EQ(some.pixels.size(), decoded.pixels.size());
    for (std::int64_t y = rows.first; y < decoded.height; y += rows.step) {
      for (std::int32_t x = 0; x < decoded.width; ++x) {
        ASSERT_EQ(some.pixel(x, static_cast<std::int32_t>(y)), decoded.pixel(x, static_cast<std::int32_t>(y)))
            << "row " << y << " of every " << rows.step << " from " << rows.first;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Writers, WrittenFileTest,
                         ::testing::Combine(::testing::ValuesIn(kWrittenVariants),
                                            ::testing::ValuesIn(kSizes)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  std::get<1>(info.param);
                         });

class WrittenFileCutShortTest : public ::testing::TestWithParam<WrittenVariant> {};

// Any prefix of a file either still holds every pixel (only the last row's padding or the
// end-of-bitmap code is missing) and decodes whole, or fails as cut short.
TEST_P(WrittenFileCutShortTest, everyPrefixDecodesWholeOrFailsCutShort) {
  const WrittenVariant& variant = GetParam();
  if (!haveWriters(variant)) GTEST_SKIP() << "ffmpeg or /usr/bin/convert is missing";
  const fs::path file = WrittenFiles::instance().written(variant, "37x23");
  ASSERT_TRUE(fs::exists(file)) << "the writer failed";
  const std::vector<std::uint8_t> bytes = test::readFile(file);
  const DeviceBitmap whole = decode(Bitmap::loadFromBytes(bytes, "whole.bmp"));
  const std::size_t rowsMiddle = (le::get32(bytes.data() + 10) + bytes.size()) / 2;

  DeviceBitmap out;
  // From the first prefix that holds the header's size field, which is all that loading checks.
  for (std::size_t length = 18; length < bytes.size(); ++length) {
    SCOPED_TRACE("cut to " + std::to_string(length) + " of " + std::to_string(bytes.size()) +
                 " bytes");
    const Bitmap cut = Bitmap::loadFromBytes(std::span(bytes).first(length), "cut.bmp");
    try {
      cut.decodeInto(out);
    } catch (const Error& e) {
      ASSERT_STREQ(e.what(), "Could not decode picture cut.bmp: cut short");
      continue;
    }
    ASSERT_GT(length, rowsMiddle) << "decoded with half the rows missing";
    ASSERT_TRUE(samePixels(out, whole.pixels));
  }
}

INSTANTIATE_TEST_SUITE_P(Writers, WrittenFileCutShortTest, ::testing::ValuesIn(kWrittenVariants),
                         [](const auto& info) { return std::string(info.param.name); });

// Pictures built byte by byte, for what no tool here writes.

struct BmpFields {
  std::uint32_t headerSize = 40;
  std::int32_t width = 1;
  std::int32_t height = 1;  // negative for top-down rows
  std::uint16_t bitCount = 24;
  std::uint32_t compression = BI_RGB;
  std::uint32_t coloursUsed = 0;
  Pixels colours{};                        // RGBQUADs, or RGBTRIPLEs behind a 12-byte header
  std::vector<std::uint32_t> masks{};      // behind the header
  std::vector<std::uint8_t> rows{};        // the pixel bytes as stored
  std::optional<std::uint32_t> offBits{};  // bfOffBits; by default where `rows` start
};

std::vector<std::uint8_t> makeBmp(const BmpFields& f) {
  std::vector<std::uint8_t> file(14 + f.headerSize, 0);
  if (f.headerSize == 12) {
    le::put32(&file[14], 12);
    le::put16(&file[18], static_cast<std::uint16_t>(f.width));
    le::put16(&file[20], static_cast<std::uint16_t>(f.height));
    le::put16(&file[22], 1);
    le::put16(&file[24], f.bitCount);
  } else {
    BitmapInfoHeader header;
    header.biSize = f.headerSize;
    header.biWidth = f.width;
    header.biHeight = f.height;
    header.biPlanes = 1;
    header.biBitCount = f.bitCount;
    header.biCompression = f.compression;
    header.biClrUsed = f.coloursUsed;
    header.writeTo(std::span(file).subspan(14));
  }
  for (std::uint32_t mask : f.masks) {
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<std::uint8_t>(mask >> (8 * i)));
  }
  for (std::uint32_t rgb : f.colours) {
    file.insert(file.end(), {static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(rgb >> 8),
                             static_cast<std::uint8_t>(rgb >> 16)});
    if (f.headerSize != 12) file.push_back(0);
  }
  const auto rowsStart = static_cast<std::uint32_t>(file.size());
  file.insert(file.end(), f.rows.begin(), f.rows.end());
  file[0] = 'B';
  file[1] = 'M';
  le::put32(&file[2], static_cast<std::uint32_t>(file.size()));
  le::put32(&file[10], f.offBits.value_or(rowsStart));
  return file;
}

// Colours of the small colour tables; entry 0 is not black, so that it shows where it is used.
constexpr std::uint32_t c0 = 0x102030, c1 = 0xFF0000, c2 = 0x00FF00, c3 = 0x0000FF, c4 = 0xFFFF00,
                        c5 = 0x00FFFF;
const Pixels kTable{c0, c1, c2, c3, c4, c5};

struct BuiltCase {
  const char* name;
  BmpFields fields;
  Pixels expected;  // top row first
  bool ffmpegReadsItSo;
};
void PrintTo(const BuiltCase& c, std::ostream* os) { *os << c.name; }

const BuiltCase kBuiltCases[] = {
    {"top_down_24_bit",
     {.width = 2,
      .height = -2,
      .rows = {0, 0, 0xFF, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0}},
     {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF},
     true},
    {"top_down_8_bit",
     {.width = 3,
      .height = -2,
      .bitCount = 8,
      .coloursUsed = 4,
      .colours = {c0, c1, c2, c3},
      .rows = {1, 2, 3, 0, 0, 1, 2, 0}},
     {c1, c2, c3, c0, c1, c2},
     true},
    {"top_down_16_bit_fields",
     {.width = 1,
      .height = -2,
      .bitCount = 16,
      .compression = BI_BITFIELDS,
      .masks = {0xF800, 0x07E0, 0x001F},
      .rows = {0x00, 0xF8, 0, 0, 0x1F, 0x00, 0, 0}},
     {0xFF0000, 0x0000FF},
     true},
    {"table_of_2_at_8_bits_past_end_is_black",
     {.width = 4, .bitCount = 8, .coloursUsed = 2, .colours = {c1, c2}, .rows = {0, 1, 2, 255}},
     {c1, c2, 0, 0},
     true},
    {"table_of_3_at_4_bits_past_end_is_black",
     {.width = 4,
      .bitCount = 4,
      .coloursUsed = 3,
      .colours = {c1, c2, c3},
      .rows = {0x12, 0x3F, 0, 0}},
     {c2, c3, 0, 0},
     true},
    {"table_of_1_at_1_bit_past_end_is_black",
     {.width = 2, .bitCount = 1, .coloursUsed = 1, .colours = {c1}, .rows = {0x40, 0, 0, 0}},
     {c1, 0},
     true},
    {"16_bit_rgb_is_555_top_bit_ignored",
     {.width = 4, .bitCount = 16, .rows = {0xFF, 0xFF, 0x00, 0x80, 0x00, 0x7C, 0x01, 0x00}},
     {0xFFFFFF, 0x000000, 0xFF0000, 0x000008},
     true},
    {"32_bit_fields_of_10_bits_keep_the_top_8",
     {.width = 2,
      .bitCount = 32,
      .compression = BI_BITFIELDS,
      .masks = {0x3FF00000, 0x000FFC00, 0x000003FF},
      .rows = {0x00, 0x00, 0xF0, 0xFF, 0x01, 0xFC, 0x2F, 0x20}},
     {0xFF0000, 0x80FF00},
     false},
    {"16_bit_fields_of_1_6_and_9_bits",
     {.width = 4,
      .bitCount = 16,
      .compression = BI_BITFIELDS,
      .masks = {0x8000, 0x7E00, 0x01FF},
      .rows = {0x00, 0x80, 0x00, 0x02, 0xFF, 0x01, 0x00, 0x01}},
     {0xFF0000, 0x000400, 0x0000FF, 0x000080},
     false},
    {"16_bit_fields_without_blue_bits",
     {.width = 2,
      .bitCount = 16,
      .compression = BI_BITFIELDS,
      .masks = {0xF000, 0x0F00, 0},
      .rows = {0xFF, 0xFF, 0x34, 0x12}},
     {0xFFFF00, 0x112200},
     false},
    {"bfoffbits_past_a_gap_is_honoured",
     {.rows = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 1, 2, 3, 0}, .offBits = 54 + 6},
     {0x030201},
     true},
    {"bfoffbits_zero_rows_follow_the_header",
     {.rows = {1, 2, 3, 0}, .offBits = 0},
     {0x030201},
     false},
    {"bfoffbits_inside_the_table_rows_follow_it",
     {.bitCount = 8,
      .coloursUsed = 2,
      .colours = {c1, c2},
      .rows = {1, 0, 0, 0},
      .offBits = 14 + 40 + 4},
     {c2},
     false},
    {"bfoffbits_past_the_end_rows_follow_the_table",
     {.rows = {1, 2, 3, 0}, .offBits = 1000},
     {0x030201},
     false},
    {"rle8_runs_absolute_runs_padding_end_of_line",
     {.width = 5,
      .height = 2,
      .bitCount = 8,
      .compression = BI_RLE8,
      .coloursUsed = 6,
      .colours = kTable,
      .rows = {2, 1,              // bottom row: 2 x entry 1
               0, 3, 2, 3, 4, 0,  // absolute 2 3 4, padded to even
               0, 0,              // end of line
               0, 4, 1, 2, 3, 4,  // absolute 1 2 3 4
               1, 5,              // 1 x entry 5
               0, 1}},
     {c1, c2, c3, c4, c5, c1, c1, c2, c3, c4},
     true},
    {"rle8_delta_and_early_end_leave_entry_0",
     {.width = 4,
      .height = 3,
      .bitCount = 8,
      .compression = BI_RLE8,
      .coloursUsed = 6,
      .colours = kTable,
      .rows = {0, 2, 1, 1,  // delta right 1, up 1
               2, 3,        // 2 x entry 3
               0, 1}},
     {c0, c0, c0, c0, c0, c3, c3, c0, c0, c0, c0, c0},
     true},
    {"rle8_runs_past_the_row_end_are_clipped",
     {.width = 3,
      .height = 2,
      .bitCount = 8,
      .compression = BI_RLE8,
      .coloursUsed = 6,
      .colours = kTable,
      .rows = {5, 1,              // bottom row: 5 x entry 1 on a row of 3
               1, 2,              // nothing left of the row
               0, 0,              // end of line
               0, 4, 2, 3, 2, 3,  // absolute 2 3 2 3, one too many
               0, 1}},
     {c2, c3, c2, c1, c1, c1},
     true},
    {"rle8_delta_past_the_top_ends_the_picture",
     {.width = 2,
      .height = 2,
      .bitCount = 8,
      .compression = BI_RLE8,
      .coloursUsed = 6,
      .colours = kTable,
      .rows = {2, 1,        // bottom row: 2 x entry 1
               0, 2, 0, 5,  // delta up 5, past the top
               2, 2}},
     {c0, c0, c1, c1},
     true},
    {"rle8_without_end_of_bitmap_after_the_last_row",
     {.width = 2,
      .height = 2,
      .bitCount = 8,
      .compression = BI_RLE8,
      .coloursUsed = 6,
      .colours = kTable,
      .rows = {2, 1,  // bottom row: 2 x entry 1
               0, 0,  // end of line
               2, 2}},
     {c2, c2, c1, c1},
     true},
    {"rle4_nibbles_alternate_absolute_runs_padded",
     {.width = 6,
      .height = 2,
      .bitCount = 4,
      .compression = BI_RLE4,
      .coloursUsed = 6,
      .colours = kTable,
      .rows = {0, 5, 0x12, 0x34, 0x50, 0,  // bottom row: absolute 1 2 3 4 5, padded to even
               1, 0x40,                    // 1 x entry 4
               0, 0,                       // end of line
               3, 0x12,                    // 3 x entries 1 and 2 in turn
               0, 3, 0x34, 0x50,           // absolute 3 4 5
               0, 1}},
     {c1, c2, c1, c3, c4, c5, c1, c2, c3, c4, c5, c4},
     true},
};

class BuiltFileTest : public ::testing::TestWithParam<BuiltCase> {};

TEST_P(BuiltFileTest, decodesToTheExpectedPixels) {
  const BuiltCase& c = GetParam();
  const std::vector<std::uint8_t> bytes = makeBmp(c.fields);
  const DeviceBitmap decoded = decode(Bitmap::loadFromBytes(bytes, "built.bmp"));
  EXPECT_EQ(decoded.width, c.fields.width);
  EXPECT_EQ(decoded.height, std::abs(c.fields.height));
  EXPECT_TRUE(samePixels(decoded, c.expected));

  // Where ffmpeg reads the file the same way, its reading confirms the expected pixels.
  if (c.ffmpegReadsItSo && haveTool("ffmpeg")) {
    const test::TempDir dir;
    test::writeFile(dir / "built.bmp", bytes);
    EXPECT_TRUE(samePixels(decoded, ffmpegPixels(dir / "built.bmp")))
        << "ffmpeg reads it otherwise";
  }
}

INSTANTIATE_TEST_SUITE_P(Built, BuiltFileTest, ::testing::ValuesIn(kBuiltCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Files that cannot be decoded.

struct FailingCase {
  const char* name;
  std::vector<std::uint8_t> file;
  const char* reason;
};
void PrintTo(const FailingCase& c, std::ostream* os) { *os << c.name; }

std::vector<std::uint8_t> cut(std::vector<std::uint8_t> file, std::size_t length) {
  file.resize(length);
  return file;
}

const FailingCase kFailingCases[] = {
    {"empty_picture", {}, "empty picture"},
    {"jpeg_compression", makeBmp({.bitCount = 0, .compression = 4, .rows = {0xFF, 0xD8}}),
     "unsupported compression 4"},
    {"png_compression", makeBmp({.bitCount = 0, .compression = 5, .rows = {0x89, 'P'}}),
     "unsupported compression 5"},
    {"2_bits", makeBmp({.bitCount = 2, .coloursUsed = 1, .colours = {c1}, .rows = {0, 0, 0, 0}}),
     "unsupported bit count 2"},
    {"16_bits_in_a_core_header", makeBmp({.headerSize = 12, .bitCount = 16, .rows = {0, 0, 0, 0}}),
     "unsupported bit count 16"},
    {"rle8_at_4_bits", makeBmp({.bitCount = 4, .compression = BI_RLE8, .rows = {0, 1}}),
     "unsupported bit count 4 with compression 1"},
    {"bit_fields_at_24_bits",
     makeBmp(
         {.compression = BI_BITFIELDS, .masks = {0xFF0000, 0xFF00, 0xFF}, .rows = {0, 0, 0, 0}}),
     "unsupported bit count 24 with compression 3"},
    {"top_down_rle8",
     makeBmp({.height = -1, .bitCount = 8, .compression = BI_RLE8, .rows = {0, 1}}),
     "unsupported top-down compression 1"},
    {"width_0", makeBmp({.width = 0}), "invalid size 0 x 1"},
    {"negative_width", makeBmp({.width = -3, .rows = {0, 0, 0, 0}}), "invalid size -3 x 1"},
    {"height_0", makeBmp({.height = 0}), "invalid size 1 x 0"},
    {"100000_by_100000_in_a_small_file",
     makeBmp({.width = 100000, .height = 100000, .rows = {0, 0}}), "too large"},
    {"32769_wide", makeBmp({.width = 32769, .rows = {0, 0}}), "too large"},
    {"32768_by_32768_in_a_small_file", makeBmp({.width = 32768, .height = -32768, .rows = {0, 0}}),
     "cut short"},
    {"16384_by_16384_rle8_of_one_code",
     makeBmp({.width = 16384,
              .height = 16384,
              .bitCount = 8,
              .compression = BI_RLE8,
              .coloursUsed = 1,
              .colours = {c0},
              .rows = {0, 1}}),
     "too large"},
    {"header_cut_short", cut(makeBmp({}), 14 + 20), "cut short"},
    {"header_without_rows", makeBmp({.width = 2, .height = 2}), "cut short"},
    {"colour_table_cut_short",
     cut(makeBmp({.bitCount = 8, .coloursUsed = 4, .colours = {c0, c1, c2, c3}}), 14 + 40 + 10),
     "cut short"},
    {"masks_cut_short",
     cut(makeBmp({.bitCount = 16, .compression = BI_BITFIELDS, .masks = {0xF800, 0x7E0, 0x1F}}),
         14 + 44),
     "cut short"},
    {"rle8_absolute_run_cut_short",
     makeBmp({.width = 8, .bitCount = 8, .compression = BI_RLE8, .rows = {0, 6, 1, 2, 3}}),
     "cut short"},
    {"rle8_ending_before_the_last_row",
     makeBmp(
         {.width = 2, .height = 3, .bitCount = 8, .compression = BI_RLE8, .rows = {2, 0, 0, 0}}),
     "cut short"},
    {"rle4_absolute_run_cut_short",
     makeBmp({.width = 8, .bitCount = 4, .compression = BI_RLE4, .rows = {0, 7, 0x12, 0x34}}),
     "cut short"},
};

class FailingFileTest : public ::testing::TestWithParam<FailingCase> {};

TEST_P(FailingFileTest, failsNamingTheFileAndLeavesNoPicture) {
  const FailingCase& c = GetParam();
  EXPECT_EQ(decodeError(c.file, "x.bmp"),
            std::string("Could not decode picture x.bmp: ") + c.reason);
}

INSTANTIATE_TEST_SUITE_P(Failing, FailingFileTest, ::testing::ValuesIn(kFailingCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BmpDecodeTest, reusesTheStorageOfTheDevicePixels) {
  DeviceBitmap out;
  Bitmap::loadFromBytes(makeBmp({.width = 4, .height = 4, .rows = std::vector<std::uint8_t>(48)}),
                        "big.bmp")
      .decodeInto(out);
  const std::uint32_t* storage = out.pixels.data();
  Bitmap::loadFromBytes(makeBmp({.rows = {1, 2, 3, 0}}), "small.bmp").decodeInto(out);
  EXPECT_EQ(out.pixels.data(), storage);
  EXPECT_EQ(out.pixels, Pixels{0x030201});
}

}  // namespace
}  // namespace quintorel
