// The AVI writer's own checks: the layout it writes, read back with our RIFF walker, and how
// it behaves when the caller or the system gets something wrong.
#include "platform/avi_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <functional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "tests/support/avi_clip.h"
#include "tests/support/avi_reader.h"
#include "tests/support/expect_error.h"
#include "tests/support/temp_dir.h"

namespace quintorel {
namespace {

using test::ClipSpec;
using test::field16;
using test::field32;
using test::FoundSample;
using test::readFile;
using test::RiffChunk;
using test::TempDir;

constexpr std::uint32_t id(const char (&text)[5]) { return fourcc(text[0], text[1], text[2], text[3]); }

using test::errorFrom;

std::vector<std::string> namesIn(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

// Frames `first` .. `first + found.size() - 1` of `clip`, every one a key frame.
void expectClipFrames(const std::vector<FoundSample>& found, const ClipSpec& clip, int first = 0) {
  for (std::size_t i = 0; i < found.size(); ++i) {
    SCOPED_TRACE("sample " + std::to_string(first + static_cast<int>(i)));
    EXPECT_EQ(found[i].bytes, test::clipFrame(clip.width, clip.height, first + static_cast<int>(i)));
    EXPECT_TRUE(found[i].keyFrame);
  }
}

int framesIn(const RiffChunk& riff) {
  const RiffChunk* movi = riff.find(id("LIST"), id("movi"));
  return movi ? static_cast<int>(movi->findAll(id("00db")).size()) : 0;
}

const ClipSpec kWorkedCase{"three frames of 64x48 at 25", 64, 48, 3, 25};

TEST(AviFileLayout, three_frames_of_64x48_at_25) {
  TempDir dir;
  test::writeClip(dir / "clip.avi", kWorkedCase);
  const std::vector<std::uint8_t> file = readFile(dir / "clip.avi");
  const std::vector<RiffChunk> chunks = test::parseRiff(file);

  ASSERT_EQ(chunks.size(), 1u);
  const RiffChunk& riff = chunks[0];
  EXPECT_EQ(riff.id, id("RIFF"));
  EXPECT_EQ(riff.type, id("AVI "));
  const RiffChunk* hdrl = riff.find(id("LIST"), id("hdrl"));
  ASSERT_NE(hdrl, nullptr);

  const RiffChunk* avih = hdrl->find(id("avih"));
  ASSERT_NE(avih, nullptr);
  ASSERT_EQ(avih->size, 56u);
  EXPECT_EQ(field32(file, avih->data() + 0), 40000u);     // dwMicroSecPerFrame
  EXPECT_EQ(field32(file, avih->data() + 12) & 0x10, 0x10u);  // dwFlags: AVIF_HASINDEX
  EXPECT_EQ(field32(file, avih->data() + 16), 3u);        // dwTotalFrames
  EXPECT_EQ(field32(file, avih->data() + 24), 1u);        // dwStreams
  EXPECT_EQ(field32(file, avih->data() + 28), 3072u);     // dwSuggestedBufferSize
  EXPECT_EQ(field32(file, avih->data() + 32), 64u);       // dwWidth
  EXPECT_EQ(field32(file, avih->data() + 36), 48u);       // dwHeight

  const RiffChunk* strl = hdrl->find(id("LIST"), id("strl"));
  ASSERT_NE(strl, nullptr);
  const RiffChunk* strh = strl->find(id("strh"));
  ASSERT_NE(strh, nullptr);
  ASSERT_EQ(strh->size, 56u);
  const std::uint64_t s = strh->data();
  EXPECT_EQ(test::fourccText(field32(file, s + 0)), "vids");  // fccType
  EXPECT_EQ(field32(file, s + 4), 0u);                   // fccHandler
  EXPECT_EQ(field32(file, s + 8), 0u);                   // dwFlags
  EXPECT_EQ(field32(file, s + 12), 0u);                  // wPriority, wLanguage
  EXPECT_EQ(field32(file, s + 16), 0u);                  // dwInitialFrames
  EXPECT_EQ(field32(file, s + 20), 1u);                  // dwScale
  EXPECT_EQ(field32(file, s + 24), 25u);                 // dwRate
  EXPECT_EQ(field32(file, s + 28), 0u);                  // dwStart
  EXPECT_EQ(field32(file, s + 32), 3u);                  // dwLength
  EXPECT_EQ(field32(file, s + 36), 3072u);               // dwSuggestedBufferSize
  EXPECT_EQ(field32(file, s + 40), 0u);                  // dwQuality
  EXPECT_EQ(field32(file, s + 44), 0u);                  // dwSampleSize
  EXPECT_EQ(field16(file, s + 48), 0u);                  // rcFrame
  EXPECT_EQ(field16(file, s + 50), 0u);
  EXPECT_EQ(field16(file, s + 52), 64u);
  EXPECT_EQ(field16(file, s + 54), 48u);

  const RiffChunk* strf = strl->find(id("strf"));
  ASSERT_NE(strf, nullptr);
  ASSERT_EQ(strf->size, 1064u);
  EXPECT_TRUE(std::equal(file.begin() + static_cast<std::ptrdiff_t>(strf->data()),
                         file.begin() + static_cast<std::ptrdiff_t>(strf->data() + strf->size),
                         test::clipFormat(64, 48).begin()));
  EXPECT_EQ(strl->find(id("strn")), nullptr);

  const RiffChunk* odml = hdrl->find(id("LIST"), id("odml"));
  ASSERT_NE(odml, nullptr);
  ASSERT_NE(odml->find(id("dmlh")), nullptr);
  EXPECT_EQ(field32(file, odml->find(id("dmlh"))->data()), 3u);  // dwTotalFrames

  const RiffChunk* movi = riff.find(id("LIST"), id("movi"));
  ASSERT_NE(movi, nullptr);
  std::vector<std::string> moviChunks;
  for (const RiffChunk& chunk : movi->children) moviChunks.push_back(test::fourccText(chunk.id) + ":" + std::to_string(chunk.size));
  EXPECT_EQ(moviChunks, (std::vector<std::string>{"00db:3072", "00db:3072", "00db:3072", "ix00:48"}));
  ASSERT_NE(riff.find(id("idx1")), nullptr);
  EXPECT_EQ(riff.find(id("idx1"))->size, 3u * 16);

  // Every way a reader finds the samples leads to the same three frames, in order.
  for (const auto& [way, found] : {std::pair{"movi", test::samplesInMovi(file, chunks)},
                                   std::pair{"idx1", test::samplesThroughIdx1(file, chunks)},
                                   std::pair{"indx", test::samplesThroughSuperIndex(file, chunks)}}) {
    SCOPED_TRACE(way);
    EXPECT_EQ(found.size(), 3u);
    expectClipFrames(found, kWorkedCase);
  }
}

// Any change of layout shows here first; check the new file with the outside readers and the
// walker above before taking its figures.
TEST(AviFileLayout, golden_file_of_three_frames) {
  TempDir dir;
  test::writeClip(dir / "clip.avi", kWorkedCase);
  const std::vector<std::uint8_t> file = readFile(dir / "clip.avi");
  EXPECT_EQ(file.size(), 14996u);
  EXPECT_EQ(test::fnv1a(file), 0x2ae4f613e41587d5u);
}

TEST(AviFileLayout, clip_past_the_riff_limit_continues_in_avix_parts) {
  const ClipSpec clip{"OpenDML", 160, 120, 40, 25, 200'000};
  TempDir dir;
  test::writeClip(dir / "clip.avi", clip);
  const std::vector<std::uint8_t> file = readFile(dir / "clip.avi");
  const std::vector<RiffChunk> chunks = test::parseRiff(file);

  ASSERT_GE(chunks.size(), 3u);
  int frames = 0;
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    SCOPED_TRACE("part " + std::to_string(i));
    EXPECT_EQ(chunks[i].id, id("RIFF"));
    EXPECT_EQ(chunks[i].type, i == 0 ? id("AVI ") : id("AVIX"));
    EXPECT_LE(chunks[i].size + 8, clip.riffLimit);
    const RiffChunk* movi = chunks[i].find(id("LIST"), id("movi"));
    ASSERT_NE(movi, nullptr);
    ASSERT_FALSE(movi->children.empty());
    EXPECT_EQ(movi->children.back().id, id("ix00"));
    EXPECT_EQ(chunks[i].find(id("idx1")) != nullptr, i == 0);
    if (i > 0) {
      EXPECT_EQ(chunks[i].children.size(), 1u);
    }
    EXPECT_GT(framesIn(chunks[i]), 0);
    frames += framesIn(chunks[i]);
  }
  EXPECT_EQ(frames, clip.frames);

  const RiffChunk* hdrl = chunks[0].find(id("LIST"), id("hdrl"));
  ASSERT_NE(hdrl, nullptr);
  const int firstPart = framesIn(chunks[0]);
  EXPECT_EQ(field32(file, hdrl->find(id("avih"))->data() + 16), static_cast<std::uint32_t>(firstPart));  // dwTotalFrames
  EXPECT_EQ(field32(file, hdrl->find(id("LIST"), id("strl"))->find(id("strh"))->data() + 32), 40u);      // dwLength
  EXPECT_EQ(field32(file, hdrl->find(id("LIST"), id("odml"))->find(id("dmlh"))->data()), 40u);          // dwTotalFrames
  const RiffChunk* indx = hdrl->find(id("LIST"), id("strl"))->find(id("indx"));
  ASSERT_NE(indx, nullptr);
  EXPECT_EQ(field32(file, indx->data() + 4), chunks.size());  // nEntriesInUse

  const std::vector<FoundSample> indexed = test::samplesThroughSuperIndex(file, chunks);
  EXPECT_EQ(indexed.size(), 40u);
  expectClipFrames(indexed, clip);
  const std::vector<FoundSample> firstIndexed = test::samplesThroughIdx1(file, chunks);
  EXPECT_EQ(firstIndexed.size(), static_cast<std::size_t>(firstPart));
  expectClipFrames(firstIndexed, clip);
}

TEST(AviFileLayout, clip_stops_cleanly_when_the_super_index_is_full) {
  // A limit of one byte puts every sample in a part of its own; the super index has room
  // for 256 parts.
  const ClipSpec clip{"one frame a part", 2, 2, 257, 25, 1};
  TempDir dir;
  AviFileOptions options;
  options.riffLimit = clip.riffLimit;
  AviFile avi = AviFile::open(dir / "clip.avi", options);
  avi.createStream(test::clipStreamInfo(clip));
  avi.setFormat(test::clipFormat(clip.width, clip.height));
  for (int i = 0; i < 256; ++i) avi.write(i, test::clipFrame(clip.width, clip.height, i), AVIIF_KEYFRAME);
  EXPECT_EQ(errorFrom([&] { avi.write(256, test::clipFrame(clip.width, clip.height, 256), AVIIF_KEYFRAME); }),
            "Could not add frame");
  avi.finish();

  const std::vector<std::uint8_t> file = readFile(dir / "clip.avi");
  const std::vector<RiffChunk> chunks = test::parseRiff(file);
  EXPECT_EQ(chunks.size(), 256u);
  const std::vector<FoundSample> found = test::samplesThroughSuperIndex(file, chunks);
  EXPECT_EQ(found.size(), 256u);
  expectClipFrames(found, clip);
}

TEST(AviFileLayout, odd_sized_and_delta_samples_are_padded_and_flagged) {
  const std::vector<std::vector<std::uint8_t>> samples{{1, 2, 3}, {}, {4}, {5, 6, 7, 8}};
  const std::vector<bool> keyFrames{true, false, true, false};
  TempDir dir;
  AviFile avi = AviFile::open(dir / "clip.avi");
  avi.createStream(test::clipStreamInfo({"tiny", 2, 2, 4, 25}));
  avi.setFormat(test::clipFormat(2, 2));
  for (std::size_t i = 0; i < samples.size(); ++i) {
    avi.write(static_cast<std::int32_t>(i), samples[i], keyFrames[i] ? AVIIF_KEYFRAME : 0);
  }
  avi.finish();

  const std::vector<std::uint8_t> file = readFile(dir / "clip.avi");
  const std::vector<RiffChunk> chunks = test::parseRiff(file);  // throws on a missing pad byte
  for (const auto& [way, found] : {std::pair{"idx1", test::samplesThroughIdx1(file, chunks)},
                                   std::pair{"indx", test::samplesThroughSuperIndex(file, chunks)}}) {
    SCOPED_TRACE(way);
    ASSERT_EQ(found.size(), samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
      EXPECT_EQ(found[i].bytes, samples[i]);
      EXPECT_EQ(found[i].keyFrame, keyFrames[i]);
    }
  }
}

TEST(AviFileLayout, named_stream_carries_its_name) {
  TempDir dir;
  AviStreamInfo info = test::clipStreamInfo(kWorkedCase);
  info.szName = "clip";
  AviFile avi = AviFile::open(dir / "clip.avi");
  avi.createStream(info);
  avi.setFormat(test::clipFormat(64, 48));
  avi.write(0, test::clipFrame(64, 48, 0), AVIIF_KEYFRAME);
  avi.finish();

  const std::vector<std::uint8_t> file = readFile(dir / "clip.avi");
  const std::vector<RiffChunk> chunks = test::parseRiff(file);
  const RiffChunk* strn = chunks.at(0).find(id("LIST"), id("hdrl"))->find(id("LIST"), id("strl"))->find(id("strn"));
  ASSERT_NE(strn, nullptr);
  EXPECT_EQ(std::string(file.begin() + static_cast<std::ptrdiff_t>(strn->data()),
                        file.begin() + static_cast<std::ptrdiff_t>(strn->data() + strn->size)),
            std::string("clip", 5));
}

TEST(AviFileLifecycle, existing_target_is_replaced_only_by_finish) {
  TempDir dir;
  const std::filesystem::path target = dir / "clip.avi";
  test::writeFile(target, "old");
  AviFile avi = AviFile::open(target);
  avi.createStream(test::clipStreamInfo(kWorkedCase));
  avi.setFormat(test::clipFormat(64, 48));
  for (int i = 0; i < 2; ++i) avi.write(i, test::clipFrame(64, 48, i), AVIIF_KEYFRAME);

  EXPECT_EQ(readFile(target), bytesOf("old"));
  const std::vector<std::string> during = namesIn(dir.path());
  ASSERT_EQ(during.size(), 2u);
  EXPECT_TRUE(std::regex_match(during[0], std::regex(R"(\.clip\.avi\.[A-Za-z0-9]{6}\.tmp)"))) << during[0];

  avi.finish();
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"clip.avi"});
  const std::vector<std::uint8_t> file = readFile(target);
  EXPECT_EQ(test::samplesThroughSuperIndex(file, test::parseRiff(file)).size(), 2u);
}

TEST(AviFileLifecycle, unfinished_file_leaves_nothing_behind) {
  for (const bool existing : {false, true}) {
    SCOPED_TRACE(existing ? "existing target" : "no target");
    TempDir dir;
    const std::filesystem::path target = dir / "clip.avi";
    if (existing) test::writeFile(target, "old");
    {
      AviFile avi = AviFile::open(target);
      avi.createStream(test::clipStreamInfo(kWorkedCase));
      avi.setFormat(test::clipFormat(64, 48));
      for (int i = 0; i < 2; ++i) avi.write(i, test::clipFrame(64, 48, i), AVIIF_KEYFRAME);
    }
    EXPECT_EQ(namesIn(dir.path()), existing ? std::vector<std::string>{"clip.avi"} : std::vector<std::string>{});
    if (existing) {
      EXPECT_EQ(readFile(target), bytesOf("old"));
    }
  }
}

TEST(AviFileLifecycle, finished_file_has_the_permissions_of_a_new_file) {
  TempDir dir;
  const mode_t previous = umask(027);
  test::writeClip(dir / "clip.avi", kWorkedCase);
  umask(previous);
  struct stat status {};
  ASSERT_EQ(stat((dir / "clip.avi").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST(AviFileLifecycle, open_names_the_target_and_the_reason) {
  TempDir dir;
  test::writeFile(dir / "plain", "not a directory");
  const struct {
    const char* name;
    std::filesystem::path target;
    const char* reason;
  } cases[] = {
      {"missing directory", dir / "missing" / "clip.avi", "No such file or directory"},
      {"regular file as directory", dir / "plain" / "clip.avi", "Not a directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(errorFrom([&] { (void)AviFile::open(c.target); }),
              "Could not create file " + c.target.string() + ": " + c.reason);
  }
}

TEST(AviFileLifecycle, open_in_a_read_only_directory_is_refused) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories";
  TempDir dir;
  std::filesystem::create_directory(dir / "locked");
  std::filesystem::permissions(dir / "locked", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const std::filesystem::path target = dir / "locked" / "clip.avi";
  EXPECT_EQ(errorFrom([&] { (void)AviFile::open(target); }),
            "Could not create file " + target.string() + ": Permission denied");
}

TEST(AviFileLifecycle, move_assignment_discards_the_file_it_replaces) {
  TempDir dir;
  AviFile first = AviFile::open(dir / "first.avi");
  AviFile second = AviFile::open(dir / "second.avi");
  ASSERT_EQ(namesIn(dir.path()).size(), 2u);
  first = std::move(second);
  first.createStream(test::clipStreamInfo(kWorkedCase));
  first.setFormat(test::clipFormat(64, 48));
  first.write(0, test::clipFrame(64, 48, 0), AVIIF_KEYFRAME);
  first.finish();
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"second.avi"});
}

TEST(AviFileCalls, out_of_order_calls_are_refused) {
  const auto frame = test::clipFrame(64, 48, 0);
  const auto info = test::clipStreamInfo(kWorkedCase);
  const auto format = test::clipFormat(64, 48);
  const struct {
    const char* name;
    std::function<void(AviFile&)> before;
    std::function<void(AviFile&)> refused;
    const char* message;
  } cases[] = {
      {"second stream", [&](AviFile& f) { f.createStream(info); },
       [&](AviFile& f) { f.createStream(info); }, "The AVI file has a stream already"},
      {"format before stream", [](AviFile&) {},
       [&](AviFile& f) { f.setFormat(format); }, "The AVI file has no stream"},
      {"second format", [&](AviFile& f) { f.createStream(info); f.setFormat(format); },
       [&](AviFile& f) { f.setFormat(format); }, "The stream format is set already"},
      {"frame before format", [&](AviFile& f) { f.createStream(info); },
       [&](AviFile& f) { f.write(0, frame, AVIIF_KEYFRAME); }, "Could not add frame"},
      {"frame skipping ahead", [&](AviFile& f) { f.createStream(info); f.setFormat(format); f.write(0, frame, AVIIF_KEYFRAME); },
       [&](AviFile& f) { f.write(2, frame, AVIIF_KEYFRAME); }, "Could not add frame"},
      {"frame repeated", [&](AviFile& f) { f.createStream(info); f.setFormat(format); f.write(0, frame, AVIIF_KEYFRAME); },
       [&](AviFile& f) { f.write(0, frame, AVIIF_KEYFRAME); }, "Could not add frame"},
      {"negative position", [&](AviFile& f) { f.createStream(info); f.setFormat(format); },
       [&](AviFile& f) { f.write(-1, frame, AVIIF_KEYFRAME); }, "Could not add frame"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    AviFile avi = AviFile::open(dir / "clip.avi");
    ASSERT_NO_THROW(c.before(avi));
    EXPECT_EQ(errorFrom([&] { c.refused(avi); }), c.message);
  }
}

TEST(AviFileCalls, refused_frame_leaves_the_clip_intact) {
  TempDir dir;
  AviFile avi = AviFile::open(dir / "clip.avi");
  avi.createStream(test::clipStreamInfo(kWorkedCase));
  avi.setFormat(test::clipFormat(64, 48));
  avi.write(0, test::clipFrame(64, 48, 0), AVIIF_KEYFRAME);
  EXPECT_EQ(errorFrom([&] { avi.write(5, test::clipFrame(64, 48, 5), AVIIF_KEYFRAME); }), "Could not add frame");
  avi.write(1, test::clipFrame(64, 48, 1), AVIIF_KEYFRAME);
  avi.finish();
  const std::vector<std::uint8_t> file = readFile(dir / "clip.avi");
  const std::vector<FoundSample> found = test::samplesThroughSuperIndex(file, test::parseRiff(file));
  EXPECT_EQ(found.size(), 2u);
  expectClipFrames(found, kWorkedCase);
}

TEST(AviFileCalls, finish_without_a_format_writes_nothing) {
  TempDir dir;
  const std::filesystem::path target = dir / "clip.avi";
  AviFile avi = AviFile::open(target);
  avi.createStream(test::clipStreamInfo(kWorkedCase));
  EXPECT_EQ(errorFrom([&] { avi.finish(); }), "Could not write file " + target.string() + ": Invalid argument");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{});
}

// The system calls of one clip, any of which a test can make fail.
class FaultyOps : public FileOps {
 public:
  int writes = 0;          // write and pwrite calls so far
  int failWrite = 0;       // the write or pwrite call to fail, counted from 1; 0 for none
  bool failFsync = false;
  bool failClose = false;
  bool failRename = false;
  int failure = ENOSPC;    // errno of the failing call
  bool interrupt = false;  // every call is first interrupted once
  std::size_t maxWrite = SIZE_MAX;  // bytes a write or pwrite takes at most
  std::vector<std::pair<off_t, off_t>> handedToDisk;  // startWriteback's ranges
  bool refuseWriteback = false;

  int open(const char* path, int flags, mode_t mode) override {
    if (interrupted()) return -1;
    return FileOps::open(path, flags, mode);
  }
  ssize_t write(int fd, const void* data, std::size_t size) override {
    if (interrupted() || failing()) return -1;
    return FileOps::write(fd, data, std::min(size, maxWrite));
  }
  ssize_t pwrite(int fd, const void* data, std::size_t size, off_t offset) override {
    if (interrupted() || failing()) return -1;
    return FileOps::pwrite(fd, data, std::min(size, maxWrite), offset);
  }
  int fsync(int fd) override {
    if (interrupted()) return -1;
    if (failFsync) return fail();
    return FileOps::fsync(fd);
  }
  int startWriteback(int fd, off_t offset, off_t size) override {
    handedToDisk.emplace_back(offset, size);
    if (refuseWriteback) return fail();
    return FileOps::startWriteback(fd, offset, size);
  }
  int close(int fd) override {
    // Linux releases the descriptor even when close() reports an interruption.
    const int result = FileOps::close(fd);
    if (interrupted()) return -1;
    if (failClose) return fail();
    return result;
  }
  int rename(const char* from, const char* to) override {
    if (interrupted()) return -1;
    if (failRename) return fail();
    return FileOps::rename(from, to);
  }

 private:
  bool interrupted() {
    if (!interrupt) return false;
    pending_ = !pending_;
    if (pending_) errno = EINTR;
    return pending_;
  }
  bool failing() {
    if (++writes != failWrite) return false;
    errno = failure;
    return true;
  }
  int fail() {
    errno = failure;
    return -1;
  }
  bool pending_ = false;
};

// Large enough that samples go to the file as they come, not gathered until finish().
const ClipSpec kLargeFrames{"four frames of 160x120", 160, 120, 4, 25};

struct Attempt {
  std::string error = "(no error)";
  int writesBeforeFinish = -1;  // -1 when a frame was refused
};

// Writes kLargeFrames through `ops`; after a refused frame, finish() must refuse as well.
Attempt attemptClip(const std::filesystem::path& target, FaultyOps& ops) {
  Attempt attempt;
  AviFileOptions options;
  options.ops = &ops;
  AviFile avi = AviFile::open(target, options);
  avi.createStream(test::clipStreamInfo(kLargeFrames));
  avi.setFormat(test::clipFormat(kLargeFrames.width, kLargeFrames.height));
  for (int i = 0; i < kLargeFrames.frames; ++i) {
    attempt.error = errorFrom([&] { avi.write(i, test::clipFrame(kLargeFrames.width, kLargeFrames.height, i), AVIIF_KEYFRAME); });
    if (attempt.error != "(no error)") {
      EXPECT_EQ(errorFrom([&] { avi.write(i + 1, test::clipFrame(kLargeFrames.width, kLargeFrames.height, i + 1), AVIIF_KEYFRAME); }),
                "Could not add frame");
      EXPECT_EQ(errorFrom([&] { avi.finish(); }).rfind("Could not write file " + target.string() + ": ", 0), 0u);
      return attempt;
    }
  }
  attempt.writesBeforeFinish = ops.writes;
  attempt.error = errorFrom([&] { avi.finish(); });
  return attempt;
}

TEST(AviFileFailures, every_failing_write_is_reported_and_cleaned_up) {
  TempDir counting;
  FaultyOps countingOps;
  const Attempt clean = attemptClip(counting / "clip.avi", countingOps);
  ASSERT_EQ(clean.error, "(no error)");
  const int total = countingOps.writes;
  // The samples reach the file while they are written, not all at the end.
  ASSERT_GE(clean.writesBeforeFinish, kLargeFrames.frames);
  ASSERT_GT(total, clean.writesBeforeFinish);

  for (int k = 1; k <= total; ++k) {
    SCOPED_TRACE("failing write " + std::to_string(k) + " of " + std::to_string(total));
    TempDir dir;
    const std::filesystem::path target = dir / "clip.avi";
    test::writeFile(target, "old");
    FaultyOps ops;
    ops.failWrite = k;
    const Attempt attempt = attemptClip(target, ops);
    EXPECT_EQ(attempt.error, k <= clean.writesBeforeFinish
                                 ? std::string("Could not add frame")
                                 : "Could not write file " + target.string() + ": No space left on device");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"clip.avi"});
    EXPECT_EQ(readFile(target), bytesOf("old"));
  }
}

TEST(AviFileFailures, failing_system_calls_in_finish_are_reported_and_cleaned_up) {
  const struct {
    const char* name;
    std::function<void(FaultyOps&)> arrange;
    const char* reason;
  } cases[] = {
      {"fsync", [](FaultyOps& ops) { ops.failFsync = true; }, "Input/output error"},
      {"close", [](FaultyOps& ops) { ops.failClose = true; }, "Input/output error"},
      {"rename", [](FaultyOps& ops) { ops.failRename = true; ops.failure = EXDEV; }, "Invalid cross-device link"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::filesystem::path target = dir / "clip.avi";
    test::writeFile(target, "old");
    FaultyOps ops;
    ops.failure = EIO;
    c.arrange(ops);
    EXPECT_EQ(attemptClip(target, ops).error, "Could not write file " + target.string() + ": " + c.reason);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"clip.avi"});
    EXPECT_EQ(readFile(target), bytesOf("old"));
  }
}

TEST(AviFileFailures, interrupted_calls_and_short_writes_are_carried_on) {
  TempDir plainDir;
  FaultyOps plainOps;
  ASSERT_EQ(attemptClip(plainDir / "clip.avi", plainOps).error, "(no error)");
  const std::vector<std::uint8_t> expected = readFile(plainDir / "clip.avi");

  const struct {
    const char* name;
    std::function<void(FaultyOps&)> arrange;
  } cases[] = {
      {"interrupted calls", [](FaultyOps& ops) { ops.interrupt = true; }},
      {"short writes", [](FaultyOps& ops) { ops.maxWrite = 1000; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    FaultyOps ops;
    c.arrange(ops);
    EXPECT_EQ(attemptClip(dir / "clip.avi", ops).error, "(no error)");
    EXPECT_EQ(readFile(dir / "clip.avi"), expected);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"clip.avi"});
  }
}

// Each stretch of 8 MiB goes to the disk as soon as it is written, so that the flush before the
// rename has little left to do; the disk refusing that head start is no failure.
TEST(AviFileWriteback, the_disk_is_handed_each_stretch_once_in_order) {
  const ClipSpec large{"70 frames of 640x480", 640, 480, 70, 25};
  std::vector<std::uint8_t> first;
  for (const bool refuse : {false, true}) {
    SCOPED_TRACE(refuse ? "refused" : "taken");
    TempDir dir;
    FaultyOps ops;
    ops.refuseWriteback = refuse;
    ops.failure = EIO;
    AviFileOptions options;
    options.ops = &ops;
    AviFile avi = AviFile::open(dir / "clip.avi", options);
    avi.createStream(test::clipStreamInfo(large));
    avi.setFormat(test::clipFormat(large.width, large.height));
    for (int i = 0; i < large.frames; ++i) avi.write(i, test::clipFrame(large.width, large.height, i), AVIIF_KEYFRAME);
    avi.finish();

    const std::vector<std::uint8_t> clip = readFile(dir / "clip.avi");
    if (first.empty()) first = clip;
    EXPECT_EQ(clip, first);
    ASSERT_GE(ops.handedToDisk.size(), 2u);
    off_t next = 0;
    for (const auto& [offset, size] : ops.handedToDisk) {
      EXPECT_EQ(offset, next);
      EXPECT_GE(size, off_t{8} << 20);
      next = offset + size;
    }
    EXPECT_LE(next, static_cast<off_t>(clip.size()));
  }
}

TEST(AviFileFailures, short_write_then_a_full_disk_is_a_failure) {
  TempDir dir;
  FaultyOps ops;
  ops.maxWrite = 1000;
  ops.failWrite = 3;  // the header goes out in several short writes; the third fails
  EXPECT_EQ(attemptClip(dir / "clip.avi", ops).error, "Could not add frame");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace quintorel
