// Creating a clip from the composition list: what the file holds, read back by ffprobe,
// ffmpeg and from its own headers, and the refusals that leave everything as it was.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "composition/entry_list.h"
#include "platform/bitmap_info_header.h"
#include "platform/fixed_palette.h"
#include "platform/messages.h"
#include "tests/support/bmp_fixture.h"
#include "tests/support/clip_probe.h"
#include "tests/support/expect_error.h"
#include "tests/support/outside_tool.h"
#include "tests/support/temp_dir.h"
#include "video/create_video.h"

namespace quintorel {
namespace {

using test::TempDir;

class CreateVideo : public testing::Test {
 public:
  // Writes a picture and appends it to the list as its name.
  void add(const std::string& name, int width, int height, const test::PixelFunction& pixel) {
    test::writeBmp24(dir / name, width, height, pixel);
    list.append(name, Bitmap::loadFromFile(dir.path(), name));
  }
  void addSolid(const std::string& name, int width, int height, std::uint32_t rgb = 0x336699) {
    add(name, width, height, [rgb](int, int) { return rgb; });
  }
  // A 4 x 4 picture whose last ten bytes are missing.
  void addCutShort(const std::string& name) {
    auto bytes = test::makeBmp24(4, 4, [](int, int) { return 0u; });
    bytes.resize(bytes.size() - 10);
    test::writeFile(dir / name, bytes);
    list.append(name, Bitmap::loadFromFile(dir.path(), name));
  }
  // A black 4 x 4 picture, loaded as the command line loads it.
  void addOnUse(const std::string& name) {
    test::writeBmp24(dir / name, 4, 4, [](int, int) { return 0u; });
    list.append(name, Bitmap::loadFromFile(dir.path(), name, Loading::OnUse));
  }
  void create(int rate = 10) {
    CreationSettings settings;
    settings.rate = rate;
    createVideo(list, out.path() / "clip.avi", settings);
  }
  std::filesystem::path clip() const { return out.path() / "clip.avi"; }

  TempDir dir, out;
  EntryList list;
};

TEST_F(CreateVideo, ThreeEntriesOf64x48AtRate25) {
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) addSolid(name, 64, 48);
  create(25);

  const test::StoredStream stored = test::readStoredStream(clip());
  EXPECT_EQ(stored.fccType, 0x73646976u);  // "vids"
  EXPECT_EQ(stored.fccHandler, 0u);
  EXPECT_EQ(stored.scale, 1u);
  EXPECT_EQ(stored.rate, 25u);
  EXPECT_EQ(stored.length, 3u);
  EXPECT_EQ(stored.suggestedBufferSize, 3072u);
  EXPECT_EQ(std::vector<int>(stored.frame, stored.frame + 4), (std::vector<int>{0, 0, 64, 48}));
  ASSERT_EQ(stored.format.size(), 1064u);
  const BitmapInfoHeader h = BitmapInfoHeader::readFrom(stored.format);
  EXPECT_EQ(h.biWidth, 64);
  EXPECT_EQ(h.biHeight, 48);
  EXPECT_EQ(h.biBitCount, 8);
  EXPECT_EQ(h.biClrUsed, 256u);

  const test::ProbedStream probed = test::probeStream(clip());
  EXPECT_EQ(probed.codec, "rawvideo");
  EXPECT_EQ(probed.pixelFormat, "pal8");
  EXPECT_EQ(probed.width, 64);
  EXPECT_EQ(probed.height, 48);
  EXPECT_EQ(probed.frameRate, "25/1");
  EXPECT_EQ(probed.frames, 3);
  const auto packets = test::probePackets(clip());
  ASSERT_EQ(packets.size(), 3u);
  for (const auto& p : packets) {
    EXPECT_EQ(p.size, 3072);
    EXPECT_TRUE(p.key);
  }
}

TEST_F(CreateVideo, RowsOf101PixelsArePaddedTo104Bytes) {
  addSolid("a.bmp", 101, 3);
  addSolid("b.bmp", 101, 3);
  create();
  EXPECT_EQ(test::readStoredStream(clip()).suggestedBufferSize, 312u);
  const auto packets = test::probePackets(clip());
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[0].size, 312);
  EXPECT_EQ(test::probeStream(clip()).width, 101);
}

TEST_F(CreateVideo, OneEntryGivesOneKeyFrame) {
  addSolid("a.bmp", 1, 1);
  create();
  const auto packets = test::probePackets(clip());
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_TRUE(packets[0].key);
  EXPECT_EQ(packets[0].size, 4);
}

// Colours the palette holds come back exactly, in the order of the list, whatever each frame
// holds: the stored table serves every frame.
TEST_F(CreateVideo, FramesDecodeToTheirSourcesWhenTheirColoursFitThePalette) {
  const Palette& fixed = fixedPalette();
  auto colour = [&](int i) {
    const Rgb& c = fixed.entries[static_cast<std::size_t>(i) % 256];
    return static_cast<std::uint32_t>(c.red << 16 | c.green << 8 | c.blue);
  };
  add("f1.bmp", 37, 23, [&](int x, int y) { return colour(x + 37 * y); });
  add("f2.bmp", 37, 23, [&](int x, int y) { return colour(255 - x - y); });
  add("f3.bmp", 37, 23, [&](int x, int) { return colour(x % 2 ? 0 : 251); });
  create();
  const auto decoded = test::decodeRgb24(test::shellQuote(clip().string()));
  const auto sources = test::decodeRgb24("'" + dir.path().string() + "/f%d.bmp'");
  ASSERT_EQ(sources.size(), 3u * 37 * 23 * 3);
  EXPECT_TRUE(decoded == sources);
}

TEST_F(CreateVideo, RatesOutsideOneTo120AreBroughtToTheNearerLimit) {
  addSolid("a.bmp", 4, 4);
  for (const auto& [given, stored] : std::vector<std::pair<int, unsigned>>{
           {0, 1}, {-7, 1}, {1, 1}, {120, 120}, {121, 120}, {500, 120}}) {
    create(given);
    EXPECT_EQ(test::readStoredStream(clip()).rate, stored) << "rate " << given;
  }
}

TEST_F(CreateVideo, ReplacesAnExistingFileWithoutLeavingAnythingElse) {
  test::writeFile(clip(), std::string("an older clip"));
  addSolid("a.bmp", 8, 8);
  create();
  EXPECT_EQ(test::probeStream(clip()).frames, 1);
  EXPECT_EQ(test::filesIn(out.path()), std::vector<std::string>{"clip.avi"});
}

// Each refusal comes before the target is touched: the old file stays byte for byte and no
// temporary file is left beside it.
struct RefusalCase {
  const char* name;
  std::function<void(CreateVideo&)> setUp;
  std::string message;
};

class CreateVideoRefusal : public CreateVideo, public testing::WithParamInterface<RefusalCase> {};

TEST_P(CreateVideoRefusal, LeavesTheExistingFileAndNoTemporaryFile) {
  const std::string old = "an older clip";
  test::writeFile(clip(), old);
  GetParam().setUp(*this);
  EXPECT_ERROR(create(), GetParam().message);
  EXPECT_EQ(test::readFile(clip()), std::vector<std::uint8_t>(old.begin(), old.end()));
  EXPECT_EQ(test::filesIn(out.path()), std::vector<std::string>{"clip.avi"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CreateVideoRefusal,
    testing::Values(
        RefusalCase{"empty_list", [](CreateVideo&) {}, std::string(messages::kListIndex)},
        RefusalCase{"a_later_entry_of_another_size",
                    [](CreateVideo& t) {
                      t.addSolid("a.bmp", 64, 48);
                      t.addSolid("b.bmp", 64, 48);
                      t.addSolid("c.bmp", 32, 32);
                      t.addSolid("d.bmp", 10, 10);
                    },
                    "Cannot use entry 3 (c.bmp): it is 32 x 32 pixels, but entry 1 (a.bmp) is "
                    "64 x 48; every frame must have the size of the first"},
        RefusalCase{"an_empty_picture",
                    [](CreateVideo& t) {
                      t.addSolid("a.bmp", 4, 4);
                      test::writeFile(t.dir / "empty.bmp", std::string());
                      t.list.append("empty.bmp", Bitmap::loadFromFile(t.dir.path(), "empty.bmp"));
                    },
                    "Cannot use entry 2 (empty.bmp): the picture is empty"},
        RefusalCase{"a_picture_cut_short",
                    [](CreateVideo& t) {
                      t.addSolid("a.bmp", 4, 4);
                      t.addCutShort("cut.bmp");
                    },
                    "Could not decode picture cut.bmp: cut short"},
        // Frames are decoded on several threads, yet the first entry in the list's order that
        // fails is the one named.
        RefusalCase{"the_first_of_several_failing_entries",
                    [](CreateVideo& t) {
                      for (int i = 0; i < 9; ++i) t.addSolid("f" + std::to_string(i) + ".bmp", 4, 4);
                      t.addCutShort("cut.bmp");
                      t.addSolid("wide.bmp", 8, 4);
                      t.addSolid("g.bmp", 4, 4);
                    },
                    "Could not decode picture cut.bmp: cut short"},
        // The command line names its pictures and reads them as the clip is made: one changed
        // or gone since it was added is refused.
        RefusalCase{"a_picture_loaded_on_use_changed_since",
                    [](CreateVideo& t) {
                      t.addSolid("a.bmp", 4, 4);
                      t.addOnUse("b.bmp");
                      test::writeBmp24(t.dir / "b.bmp", 4, 5, [](int, int) { return 0u; });
                    },
                    "Could not decode picture b.bmp: the file changed after it was added"},
        RefusalCase{"a_picture_loaded_on_use_gone_since",
                    [](CreateVideo& t) {
                      t.addSolid("a.bmp", 4, 4);
                      t.addOnUse("b.bmp");
                      std::filesystem::remove(t.dir / "b.bmp");
                    },
                    messages::cannotOpenFile("b.bmp")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CreateVideo, AFileThatCannotBeCreatedIsAnErrorNamingItAndTheReason) {
  addSolid("a.bmp", 4, 4);
  const auto target = out.path() / "missing" / "clip.avi";
  EXPECT_ERROR(createVideo(list, target, {}),
               "Could not create file " + target.string() + ": No such file or directory");
  EXPECT_TRUE(test::filesIn(out.path()).empty());
}

// Fails every write to a file once `remaining` writes have gone through.
class FailingWrites final : public FileOps {
 public:
  explicit FailingWrites(int remaining) : remaining_(remaining) {}
  ssize_t write(int fd, const void* data, std::size_t size) override {
    if (remaining_-- <= 0) return errno = ENOSPC, -1;
    return FileOps::write(fd, data, size);
  }
  ssize_t pwrite(int fd, const void* data, std::size_t size, off_t offset) override {
    if (remaining_-- <= 0) return errno = ENOSPC, -1;
    return FileOps::pwrite(fd, data, size, offset);
  }

 private:
  int remaining_;
};

TEST_F(CreateVideo, AFullDiskWhileWritingFramesIsCouldNotAddFrameAndLosesNothing) {
  test::writeFile(clip(), std::string("an older clip"));
  for (int i = 0; i < 12; ++i) addSolid("f" + std::to_string(i) + ".bmp", 320, 240);
  FailingWrites fullDisk(8);
  CreationSettings settings;
  settings.file.ops = &fullDisk;
  EXPECT_ERROR(createVideo(list, clip(), settings), std::string(messages::kCouldNotAddFrame));
  EXPECT_EQ(test::readFile(clip()).size(), std::string("an older clip").size());
  EXPECT_EQ(test::filesIn(out.path()), std::vector<std::string>{"clip.avi"});
}

}  // namespace
}  // namespace quintorel
