// Loading a picture: which files are accepted and refused with which message, the size read
// from the header, and the content read once and shared by copies.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/little_endian.h"
#include "platform/messages.h"
#include "tests/support/bmp_fixture.h"
#include "tests/support/expect_error.h"
#include "tests/support/temp_dir.h"

namespace quintorel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// "BM", a file header of zeros, then `content`.
Bytes bmpWith(const Bytes& content) {
  Bytes file(14, 0);
  file[0] = 'B';
  file[1] = 'M';
  file.insert(file.end(), content.begin(), content.end());
  return file;
}

// An info header of `size` bytes stating `width` x `height`, nothing behind it.
Bytes infoHeader(std::uint32_t size, std::int32_t width, std::int32_t height) {
  Bytes header(size, 0);
  le::put32(header.data(), size);
  if (size == 12) {
    le::put16(&header[4], static_cast<std::uint16_t>(width));
    le::put16(&header[6], static_cast<std::uint16_t>(height));
  } else {
    le::put32(&header[4], static_cast<std::uint32_t>(width));
    le::put32(&header[8], static_cast<std::uint32_t>(height));
  }
  return header;
}

struct LoadCase {
  const char* name;
  Bytes file;
  std::optional<std::string_view> error;  // the message, or none when the file is accepted
  std::int32_t width = 0;
  std::int32_t height = 0;
};
void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

const LoadCase kLoadCases[] = {
    {"zero_length_is_an_empty_picture", {}, std::nullopt},
    {"1_byte", {'B'}, messages::kStreamRead},
    {"13_bytes", Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, messages::kStreamRead},
    {"14_bytes_not_bm", Bytes(14, 'X'), messages::kInvalidBitmap},
    {"bm_without_content", bmpWith({}), messages::kInvalidBitmap},
    {"bm_with_3_bytes_of_content", bmpWith({12, 0, 0}), messages::kInvalidBitmap},
    {"header_size_0", bmpWith({0, 0, 0, 0, 5, 0, 0, 0}), messages::kInvalidBitmap},
    {"header_size_108", bmpWith(infoHeader(108, 5, 3)), messages::kInvalidBitmap},
    {"header_size_124", bmpWith(infoHeader(124, 5, 3)), messages::kInvalidBitmap},
    {"header_size_12_alone", bmpWith({12, 0, 0, 0}), std::nullopt},
    {"header_size_40_alone", bmpWith({40, 0, 0, 0}), std::nullopt},
    {"header_size_40_without_height", bmpWith({40, 0, 0, 0, 5, 0, 0, 0}), std::nullopt},
    {"core_header_7_by_2", bmpWith(infoHeader(12, 7, 2)), std::nullopt, 7, 2},
    {"info_header_5_by_3", bmpWith(infoHeader(40, 5, 3)), std::nullopt, 5, 3},
    {"top_down_height_made_positive", bmpWith(infoHeader(40, 5, -3)), std::nullopt, 5, 3},
    {"lowercase_bm", Bytes{'b', 'm', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 0, 0, 0},
     messages::kInvalidBitmap},
};

class LoadTest : public ::testing::TestWithParam<LoadCase> {};

// From a file, whole or on use, and from the same bytes in memory alike.
TEST_P(LoadTest, acceptsOrRefusesWithTheMessage) {
  const LoadCase& c = GetParam();
  const test::TempDir dir;
  test::writeFile(dir / "f.bmp", c.file);
  struct Loader {
    const char* how;
    std::function<Bitmap()> load;
    bool holdsContent;
  };
  const Loader loaders[] = {
      {"whole", [&] { return Bitmap::loadFromFile(dir.path(), "f.bmp"); }, true},
      {"on use", [&] { return Bitmap::loadFromFile(dir.path(), "f.bmp", Loading::OnUse); }, false},
      {"bytes", [&] { return Bitmap::loadFromBytes(c.file, "f.bmp"); }, true},
  };
  for (const Loader& loader : loaders) {
    SCOPED_TRACE(loader.how);
    if (c.error) {
      EXPECT_ERROR((void)loader.load(), std::string(*c.error));
      continue;
    }
    const Bitmap bitmap = loader.load();
    EXPECT_EQ(bitmap.empty(), c.file.empty());
    EXPECT_EQ(bitmap.name(), "f.bmp");
    EXPECT_EQ(bitmap.width(), c.width);
    EXPECT_EQ(bitmap.height(), c.height);
    EXPECT_EQ(bitmap.content().size(), !loader.holdsContent || c.file.empty() ? 0 : c.file.size() - 14);
  }
}

INSTANTIATE_TEST_SUITE_P(Files, LoadTest, ::testing::ValuesIn(kLoadCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct UnopenableCase {
  const char* name;
  std::function<void(const fs::path& file)> make;
};
void PrintTo(const UnopenableCase& c, std::ostream* os) { *os << c.name; }

const UnopenableCase kUnopenableCases[] = {
    {"missing", [](const fs::path&) {}},
    {"directory", [](const fs::path& file) { fs::create_directory(file); }},
    // Opening a pipe for reading would wait for a writer forever.
    {"named_pipe", [](const fs::path& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); }},
    {"without_read_permission",
     [](const fs::path& file) {
       test::writeFile(file, test::makeBmp24(1, 1, [](int, int) { return 0u; }));
       fs::permissions(file, fs::perms::none);
     }},
};

class UnopenableTest : public ::testing::TestWithParam<UnopenableCase> {};

TEST_P(UnopenableTest, failsNamingTheBareName) {
  const UnopenableCase& c = GetParam();
  if (std::string(c.name) == "without_read_permission" && ::geteuid() == 0) {
    GTEST_SKIP() << "root reads files without read permission";
  }
  const test::TempDir dir;
  c.make(dir / "pic.bmp");
  EXPECT_ERROR((void)Bitmap::loadFromFile(dir.path(), "pic.bmp"),
               messages::cannotOpenFile("pic.bmp"));
  EXPECT_ERROR((void)Bitmap::loadFromFile(dir.path(), "pic.bmp", Loading::OnUse),
               messages::cannotOpenFile("pic.bmp"));
}

INSTANTIATE_TEST_SUITE_P(Files, UnopenableTest, ::testing::ValuesIn(kUnopenableCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BitmapLoadTest, keepsTheContentReadWhenLoaded) {
  const test::TempDir dir;
  const auto red = [](int, int) { return 0xFF0000u; };
  test::writeBmp24(dir / "a.bmp", 3, 2, red);
  const Bitmap bitmap = Bitmap::loadFromFile(dir.path(), "a.bmp");

  test::writeSolidBmp(dir / "a.bmp", 5, 5, 0x0000FF);
  DeviceBitmap out;
  bitmap.decodeInto(out);
  EXPECT_EQ(out.pixels, std::vector<std::uint32_t>(6, 0xFF0000));

  fs::remove(dir / "a.bmp");
  bitmap.decodeInto(out);
  EXPECT_EQ(out.pixels, std::vector<std::uint32_t>(6, 0xFF0000));
  EXPECT_EQ(bitmap.width(), 3);
  EXPECT_EQ(bitmap.height(), 2);
}

TEST(BitmapLoadTest, onUseReadsTheFileAtEachDecodingAndDecodesAsWhole) {
  const test::TempDir dir;
  const Bytes file = test::makeBmp24(7, 5, [](int x, int y) { return 0x030507u * (x + 7 * y); });
  test::writeFile(dir / "a.bmp", file);
  const Bitmap onUse = Bitmap::loadFromFile(dir.path(), "a.bmp", Loading::OnUse);
  DeviceBitmap fromFile, fromMemory;
  onUse.decodeInto(fromFile);
  Bitmap::loadFromBytes(file, "a.bmp").decodeInto(fromMemory);
  EXPECT_EQ(fromFile.pixels, fromMemory.pixels);
  EXPECT_EQ(fromFile.width, 7);
  // Again, into a buffer of the caller's that held a larger file before.
  ReadBuffer buffer;
  test::writeFile(dir / "big.bmp", test::makeBmp24(40, 40, [](int, int) { return 0u; }));
  Bitmap::loadFromFile(dir.path(), "big.bmp", Loading::OnUse).decodeInto(fromFile, buffer);
  onUse.decodeInto(fromFile, buffer);
  EXPECT_EQ(fromFile.pixels, fromMemory.pixels);
}

// A picture loaded on use is the file as it was checked, or nothing.
TEST(BitmapLoadTest, onUseRefusesAFileChangedOrGoneSinceItWasLoaded) {
  const std::string changed = "Could not decode picture a.bmp: the file changed after it was added";
  const auto blue = [](int, int) { return 0x0000FFu; };
  struct Change {
    const char* name;
    std::function<void(const fs::path& file)> make;
    std::string error;
  };
  const Change changes[] = {
      {"rewritten_larger", [&](const fs::path& f) { test::writeBmp24(f, 4, 4, blue); }, changed},
      {"cut_short",
       [&](const fs::path& f) {
         fs::resize_file(f, 20);
       },
       changed},
      {"same_size_touched_later",
       [&](const fs::path& f) {
         test::writeBmp24(f, 3, 2, blue);
         const auto later = fs::last_write_time(f) + std::chrono::seconds(5);
         fs::last_write_time(f, later);
       },
       changed},
      {"replaced_by_another_file",
       [&](const fs::path& f) {
         test::writeBmp24(f.parent_path() / "other.bmp", 3, 2, blue);
         fs::rename(f.parent_path() / "other.bmp", f);
       },
       changed},
      {"removed", [](const fs::path& f) { fs::remove(f); }, messages::cannotOpenFile("a.bmp")},
      {"made_a_directory",
       [](const fs::path& f) {
         fs::remove(f);
         fs::create_directory(f);
       },
       messages::cannotOpenFile("a.bmp")},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.name);
    const test::TempDir dir;
    test::writeBmp24(dir / "a.bmp", 3, 2, [](int, int) { return 0xFF0000u; });
    const Bitmap bitmap = Bitmap::loadFromFile(dir.path(), "a.bmp", Loading::OnUse);
    change.make(dir / "a.bmp");
    DeviceBitmap out;
    EXPECT_ERROR(bitmap.decodeInto(out), change.error);
  }
}

TEST(BitmapLoadTest, copiesShareTheContent) {
  const Bytes file = test::makeBmp24(3, 2, [](int x, int y) { return 0x010101u * (x + 3 * y); });
  const Bitmap original = Bitmap::loadFromBytes(file, "a.bmp");
  const Bitmap copy = original;  // NOLINT(performance-unnecessary-copy-initialization)
  EXPECT_EQ(copy.content().data(), original.content().data());
  EXPECT_EQ(copy.name(), "a.bmp");
  // The content is what follows the file header, byte for byte.
  EXPECT_TRUE(
      std::equal(copy.content().begin(), copy.content().end(), file.begin() + 14, file.end()));
}

}  // namespace
}  // namespace quintorel
