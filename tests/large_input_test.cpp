// Large inputs: pictures whose headers claim huge sizes in small files are refused without
// allocating for the claim, and a composition list of 10,000 entries adds, counts and writes.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "composition/directory_file_list.h"
#include "composition/entry_list.h"
#include "composition/operations.h"
#include "platform/bitmap_info_header.h"
#include "platform/error.h"
#include "platform/little_endian.h"
#include "tests/support/bmp_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/clip_probe.h"
#include "tests/support/outside_tool.h"
#include "tests/support/temp_dir.h"
#include "video/create_video.h"

#if defined(__SANITIZE_ADDRESS__)
#define QUINTOREL_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUINTOREL_UNDER_ASAN 1
#endif
#endif

namespace quintorel {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// A whole BMP file of a 40-byte header claiming `width` x `height`, a colour table for up to
// 8 bits, and `pixelBytes` zero bytes of rows (or codes).
std::vector<std::uint8_t> claimingBmp(std::int32_t width, std::int32_t height, std::uint16_t bitCount,
                                      std::uint32_t compression, std::size_t pixelBytes) {
  const std::size_t table = bitCount <= 8 ? (std::size_t{4} << bitCount) : 0;
  std::vector<std::uint8_t> file(14 + 40 + table, 0);
  file[0] = 'B';
  file[1] = 'M';
  le::put32(&file[10], static_cast<std::uint32_t>(file.size()));
  BitmapInfoHeader header;
  header.biSize = 40;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = bitCount;
  header.biCompression = compression;
  header.writeTo(std::span(file).subspan(14));
  file.resize(file.size() + pixelBytes, 0);
  le::put32(&file[2], static_cast<std::uint32_t>(file.size()));
  return file;
}

// The same claim in a 12-byte core header, which holds 16-bit sides.
std::vector<std::uint8_t> claimingCoreBmp(std::uint16_t width, std::uint16_t height) {
  std::vector<std::uint8_t> file(14 + 12 + 64, 0);
  file[0] = 'B';
  file[1] = 'M';
  le::put32(&file[2], static_cast<std::uint32_t>(file.size()));
  le::put32(&file[10], 26);
  le::put32(&file[14], 12);
  le::put16(&file[18], width);
  le::put16(&file[20], height);
  le::put16(&file[22], 1);
  le::put16(&file[24], 24);
  return file;
}

struct Claim {
  const char* label;
  std::vector<std::uint8_t> file;
  std::string reason;
};

// Names the case in test names and failure messages.
void PrintTo(const Claim& c, std::ostream* os) { *os << c.label; }

// Each claim is gigabytes of pixels once decoded: 4 bytes a pixel, and the 8-bit frame again.
const Claim kClaims[] = {
    {"rgb24_100000_square", claimingBmp(100000, 100000, 24, BI_RGB, 300), "too large"},
    {"rgb24_100000_square_top_down", claimingBmp(100000, -100000, 24, BI_RGB, 300), "too large"},
    {"rle8_100000_square", claimingBmp(100000, 100000, 8, BI_RLE8, 64), "too large"},
    // A few end-of-line codes draw a whole picture of table entry 0: the claim must be weighed
    // against the few bytes that carry it.
    {"rle8_32768_square_in_4_kib", claimingBmp(32768, 32768, 8, BI_RLE8, 4096), "too large"},
    {"rle4_32768_square", claimingBmp(32768, 32768, 4, BI_RLE4, 64), "too large"},
    {"rgb32_32767_square", claimingBmp(32767, 32767, 32, BI_RGB, 4096), "cut short"},
    {"rgb8_1_by_2147483647", claimingBmp(1, 0x7FFFFFFF, 8, BI_RGB, 64), "too large"},
    {"core_65535_square", claimingCoreBmp(65535, 65535), "too large"},
};

class HugeClaims : public testing::TestWithParam<Claim> {};

// Runs `body` in a child process and returns what it printed. Without AddressSanitizer the
// child's address space is capped at 1 GiB, so that any allocation of the claimed size fails
// there and shows in the message (ASan reserves terabytes of address space for itself and
// cannot run under such a cap). In both builds the child's peak resident size is added.
std::string inBoundedChild(const std::function<std::string()>& body) {
  return test::runInChild([&] {
#ifndef QUINTOREL_UNDER_ASAN
    const rlimit cap{rlim_t{1} << 30, rlim_t{1} << 30};
    ::setrlimit(RLIMIT_AS, &cap);
#endif
    std::string result = body();
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    result += '|';
    result += std::to_string(usage.ru_maxrss / 1024);  // MiB
    return result;
  });
}

TEST_P(HugeClaims, AreAddedButRefusedWhenDecodedWithoutAllocatingForTheClaim) {
  TempDir dir, out;
  test::writeFile(dir / "big.bmp", GetParam().file);
  const std::string expected = "Could not decode picture big.bmp: " + GetParam().reason;

  const std::string result = inBoundedChild([&] {
    std::string messages;
    try {
      // Adding looks only at the header's size field, as the list accepts such a file.
      const Bitmap bitmap = Bitmap::loadFromFile(dir.path(), "big.bmp");
      DeviceBitmap frame;
      bitmap.decodeInto(frame);
      messages += "decoded";
    } catch (const Error& e) {
      messages += e.what();
    }
    try {
      EntryList list;
      list.append("big.bmp", Bitmap::loadFromFile(dir.path(), "big.bmp"));
      createVideo(list, out / "clip.avi", {});
      messages += ";created";
    } catch (const Error& e) {
      messages += std::string(";") + e.what();
    }
    return messages;
  });
  const auto bar = result.rfind('|');
  ASSERT_NE(bar, std::string::npos) << result;
  EXPECT_EQ(result.substr(0, bar), expected + ";" + expected);
  // Far below the gigabytes claimed; ASan's own bookkeeping included.
  EXPECT_LT(std::stoi(result.substr(bar + 1)), 512) << "MiB at peak";
  EXPECT_TRUE(test::filesIn(out.path()).empty());

  const test::ToolResult cli = test::runTool("cd " + test::shellQuote(dir.path().string()) + " && " +
                                             test::shellQuote(QUINTOREL_CLI) + " -o clip.avi big.bmp 2>&1");
  EXPECT_EQ(cli.status, 1);
  EXPECT_EQ(cli.output, expected + ".\n");
  EXPECT_EQ(test::filesIn(dir.path()), std::vector<std::string>{"big.bmp"});
}

INSTANTIATE_TEST_SUITE_P(Cases, HugeClaims, testing::ValuesIn(kClaims),
                         [](const auto& info) { return std::string(info.param.label); });

struct CountingStatus final : StatusText {
  std::string text;
  void setText(const std::string& t) override { text = t; }
};

TEST(TenThousandEntries, AreAddedCountedAndWrittenInOrder) {
  constexpr int kEntries = 10000;
  TempDir dir, out;
  // Black and white alternate, every 7th picture white as well, so that an entry out of
  // place shows in the frames.
  auto white = [](int i) { return i % 2 == 0 || i % 7 == 0; };
  const auto black = test::makeBmp24(2, 2, [](int, int) { return 0x000000u; });
  const auto whitePicture = test::makeBmp24(2, 2, [](int, int) { return 0xFFFFFFu; });
  for (int i = 0; i < kEntries; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "frame%05d.bmp", i);
    test::writeFile(dir / name, white(i) ? whitePicture : black);
  }

  EntryList list;
  CountingStatus status;
  addAll(DirectoryFileList(dir.path()), list, status);
  EXPECT_EQ(list.count(), kEntries);
  EXPECT_EQ(status.text, "フレーム数10000");
  EXPECT_EQ(list.text(kEntries - 1), "frame09999.bmp");

  createVideo(list, out / "clip.avi", {});
  EXPECT_EQ(test::probeStream(out / "clip.avi").frames, kEntries);
  const auto pixels = test::decodeRgb24(test::shellQuote((out / "clip.avi").string()));
  ASSERT_EQ(pixels.size(), std::size_t{kEntries} * 2 * 2 * 3);
  int misplaced = 0;
  for (int i = 0; i < kEntries; ++i) {
    if (pixels[static_cast<std::size_t>(i) * 12] != (white(i) ? 0xFF : 0x00)) ++misplaced;
  }
  EXPECT_EQ(misplaced, 0);
}

}  // namespace
}  // namespace quintorel
