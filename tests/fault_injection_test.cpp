// Failing each system call under the AVI writer in turn, and filling a real small file system:
// the message shown, nothing left beside the target, an existing clip kept byte for byte,
// every descriptor closed.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>
#include <ostream>
#include <string>
#include <vector>

#include "composition/entry_list.h"
#include "platform/error.h"
#include "platform/messages.h"
#include "tests/support/bmp_fixture.h"
#include "tests/support/clip_probe.h"
#include "tests/support/temp_dir.h"
#include "video/create_video.h"

namespace quintorel {
namespace {

using test::TempDir;

// The calls the writer makes; a write and a pwrite are both writes.
enum class Call { Open, Write, Fsync, Close, Rename };

const char* callName(Call call) {
  switch (call) {
    case Call::Open: return "open";
    case Call::Write: return "write";
    case Call::Fsync: return "fsync";
    case Call::Close: return "close";
    case Call::Rename: return "rename";
  }
  return "?";
}

// How the chosen call fails.
struct Fault {
  Call call = Call::Write;
  int nth = 0;         // 1 for the first call of that kind; 0 fails nothing
  int error = 0;       // the errno it fails with
  bool takesNothing = false;  // a write that returns 0 instead of -1
};

// Counts every call, fails the one the fault names and keeps track of open descriptors.
// `framesWritten` tells, at the moment of the failure, whether the creation was still
// writing frames or finishing the file.
class InjectingOps final : public FileOps {
 public:
  InjectingOps(Fault fault, const int& framesWritten) : fault_(fault), framesWritten_(framesWritten) {}

  int open(const char* path, int flags, mode_t mode) override {
    if (failHere(Call::Open)) return -1;
    const int fd = FileOps::open(path, flags, mode);
    if (fd >= 0) open_.insert(fd);
    return fd;
  }
  ssize_t write(int fd, const void* data, std::size_t size) override {
    if (failHere(Call::Write)) return fault_.takesNothing ? 0 : -1;
    return FileOps::write(fd, data, size);
  }
  ssize_t pwrite(int fd, const void* data, std::size_t size, off_t offset) override {
    if (failHere(Call::Write)) return fault_.takesNothing ? 0 : -1;
    return FileOps::pwrite(fd, data, size, offset);
  }
  int fsync(int fd) override { return failHere(Call::Fsync) ? -1 : FileOps::fsync(fd); }
  int close(int fd) override {
    open_.erase(fd);
    // As on Linux, a close that reports an error has released the descriptor all the same.
    const int result = FileOps::close(fd);
    return failHere(Call::Close) ? -1 : result;
  }
  int rename(const char* from, const char* to) override {
    return failHere(Call::Rename) ? -1 : FileOps::rename(from, to);
  }

  int calls(Call call) const {
    const auto it = counts_.find(call);
    return it == counts_.end() ? 0 : it->second;
  }
  bool injected() const { return framesAtFailure_ >= 0; }
  int framesAtFailure() const { return framesAtFailure_; }
  const std::set<int>& openDescriptors() const { return open_; }

 private:
  bool failHere(Call call) {
    if (++counts_[call] != fault_.nth || call != fault_.call) return false;
    framesAtFailure_ = framesWritten_;
    errno = fault_.error;
    return true;
  }

  Fault fault_;
  const int& framesWritten_;
  std::map<Call, int> counts_;
  std::set<int> open_;
  int framesAtFailure_ = -1;
};

class FrameCounter final : public CreationProgress {
 public:
  void framesWritten(int written, int) override { written_ = written; }
  int written_ = 0;
};

struct ClipCase {
  const char* name;
  int frames, width, height;
  std::uint64_t riffLimit;  // 0 for the writer's own
  bool manyParts;           // the clip must come out as OpenDML, several RIFF parts
};

// Names the case in test names and failure messages.
void PrintTo(const ClipCase& c, std::ostream* os) { *os << c.name; }

// 64 x 48 frames gather in the writer's buffer and reach the file only when it is finished;
// 160 x 120 frames are written one by one; a small RIFF limit splits the clip into AVIX parts
// with their own indexes.
const ClipCase kClips[] = {
    {"three_buffered_frames_64x48", 3, 64, 48, 0, false},
    {"three_direct_frames_160x120", 3, 160, 120, 0, false},
    {"opendml_one_frame_a_part", 3, 160, 120, 30000, true},
};

const std::string kOldClip = "an older clip, to be kept";

class FaultInjection : public testing::TestWithParam<ClipCase> {
 public:
  void SetUp() override {
    const ClipCase& clip = GetParam();
    for (int i = 0; i < clip.frames; ++i) {
      const std::string name = "f" + std::to_string(i) + ".bmp";
      test::writeBmp24(pictures / name, clip.width, clip.height,
                       [i](int x, int y) { return static_cast<std::uint32_t>((x * 5 + y * 3 + i * 40) % 256 * 0x010101); });
      list.append(name, Bitmap::loadFromFile(pictures.path(), name));
    }
  }

  // Creates the clip at out/clip.avi through `ops`; returns the message, empty on success.
  std::string create(const TempDir& out, FileOps& ops, FrameCounter& counter) {
    CreationSettings settings;
    settings.progress = &counter;
    settings.file.ops = &ops;
    if (GetParam().riffLimit != 0) settings.file.riffLimit = GetParam().riffLimit;
    try {
      createVideo(list, out / "clip.avi", settings);
    } catch (const Error& e) {
      return e.what();
    }
    return {};
  }

  TempDir pictures;
  EntryList list;
};

TEST_P(FaultInjection, EveryFailingCallGivesItsMessageAndLosesNothing) {
  // A run without faults counts the calls and shows the clip is sound.
  std::map<Call, int> counts;
  {
    TempDir out;
    FrameCounter counter;
    InjectingOps ops(Fault{}, counter.written_);
    ASSERT_EQ(create(out, ops, counter), "");
    for (Call call : {Call::Open, Call::Write, Call::Fsync, Call::Close, Call::Rename}) counts[call] = ops.calls(call);
    EXPECT_TRUE(ops.openDescriptors().empty());
    EXPECT_EQ(test::probeStream(out / "clip.avi").frames, GetParam().frames);
    const auto bytes = test::readFile(out / "clip.avi");
    const bool manyParts = std::search(bytes.begin(), bytes.end(), std::begin("AVIX"), std::end("AVIX") - 1) != bytes.end();
    EXPECT_EQ(manyParts, GetParam().manyParts);
  }
  EXPECT_EQ(counts[Call::Open], 1);
  EXPECT_EQ(counts[Call::Fsync], 1);
  EXPECT_EQ(counts[Call::Close], 1);
  EXPECT_EQ(counts[Call::Rename], 1);

  std::vector<Fault> faults;
  for (int k = 1; k <= counts[Call::Write]; ++k) {
    faults.push_back({Call::Write, k, ENOSPC});
    faults.push_back({Call::Write, k, 0, true});
  }
  faults.push_back({Call::Open, 1, EACCES});
  faults.push_back({Call::Fsync, 1, EIO});
  faults.push_back({Call::Close, 1, EIO});
  faults.push_back({Call::Rename, 1, EXDEV});
  const std::map<int, std::string> reasons = {{ENOSPC, "No space left on device"},
                                              {EACCES, "Permission denied"},
                                              {EIO, "Input/output error"},
                                              {EXDEV, "Invalid cross-device link"}};

  for (const Fault& fault : faults) {
    for (const bool existing : {true, false}) {
      SCOPED_TRACE(std::string(callName(fault.call)) + " #" + std::to_string(fault.nth) +
                   (fault.takesNothing ? " taking nothing" : " failing") +
                   (existing ? ", over an existing clip" : ", no clip before"));
      TempDir out;
      const auto target = out / "clip.avi";
      if (existing) test::writeFile(target, kOldClip);
      FrameCounter counter;
      InjectingOps ops(fault, counter.written_);
      const std::string message = create(out, ops, counter);
      ASSERT_TRUE(ops.injected());

      const std::string reason = reasons.at(fault.takesNothing ? ENOSPC : fault.error);
      std::string expected;
      if (fault.call == Call::Open) {
        expected = "Could not create file " + target.string() + ": " + reason;
      } else if (fault.call == Call::Write && ops.framesAtFailure() < GetParam().frames) {
        expected = std::string(messages::kCouldNotAddFrame);
      } else {
        expected = "Could not write file " + target.string() + ": " + reason;
      }
      EXPECT_EQ(message, expected) << "after " << ops.framesAtFailure() << " frames";
      EXPECT_TRUE(ops.openDescriptors().empty());
      if (existing) {
        EXPECT_EQ(test::filesIn(out.path()), std::vector<std::string>{"clip.avi"});
        EXPECT_EQ(test::readFile(target), std::vector<std::uint8_t>(kOldClip.begin(), kOldClip.end()));
      } else {
        EXPECT_EQ(test::filesIn(out.path()), std::vector<std::string>{});
      }
    }
  }
}

// Interrupted calls, writes that take only part of what they are given and a temporary name
// already taken are not failures: the clip comes out byte for byte as through the plain calls.
class InterruptedAndShortOps final : public FileOps {
 public:
  int open(const char* path, int flags, mode_t mode) override {
    // The first name drawn is taken, as by another writer's leftover: another is drawn.
    if (!clashed_) {
      clashed_ = true;
      errno = EEXIST;
      return -1;
    }
    if (interrupt()) return -1;
    return FileOps::open(path, flags, mode);
  }
  ssize_t write(int fd, const void* data, std::size_t size) override {
    if (interrupt()) return -1;
    return FileOps::write(fd, data, shortened(size));
  }
  ssize_t pwrite(int fd, const void* data, std::size_t size, off_t offset) override {
    if (interrupt()) return -1;
    return FileOps::pwrite(fd, data, shortened(size), offset);
  }
  int fsync(int fd) override { return interrupt() ? -1 : FileOps::fsync(fd); }
  int close(int fd) override {
    // Linux releases the descriptor even when close() reports an interruption.
    const int result = FileOps::close(fd);
    return interrupt() ? -1 : result;
  }
  int rename(const char* from, const char* to) override {
    return interrupt() ? -1 : FileOps::rename(from, to);
  }

 private:
  // Every other call is interrupted before it does anything.
  bool interrupt() {
    if (++calls_ % 2 == 0) return false;
    errno = EINTR;
    return true;
  }
  static std::size_t shortened(std::size_t size) { return size > 1 ? size / 2 + 1 : size; }
  bool clashed_ = false;
  int calls_ = 0;
};

TEST_P(FaultInjection, InterruptedCallsAndShortWritesStillGiveTheSameClip) {
  TempDir plain, flaky;
  FrameCounter counter;
  InjectingOps system(Fault{}, counter.written_);
  ASSERT_EQ(create(plain, system, counter), "");
  InterruptedAndShortOps ops;
  ASSERT_EQ(create(flaky, ops, counter), "");
  EXPECT_TRUE(test::readFile(flaky / "clip.avi") == test::readFile(plain / "clip.avi"));
  EXPECT_EQ(test::filesIn(flaky.path()), std::vector<std::string>{"clip.avi"});
}

INSTANTIATE_TEST_SUITE_P(Clips, FaultInjection, testing::ValuesIn(kClips),
                         [](const auto& info) { return std::string(info.param.name); });

// A tmpfs of 256 KiB, mounted for the test; needs root (or CAP_SYS_ADMIN).
class SmallFileSystem {
 public:
  explicit SmallFileSystem(const std::filesystem::path& where) : where_(where) {
    if (::mount("tmpfs", where.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k") == 0) {
      mounted_ = true;
    } else {
      error_ = std::strerror(errno);
    }
  }
  ~SmallFileSystem() {
    if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
  }
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& error() const { return error_; }

 private:
  std::filesystem::path where_;
  bool mounted_ = false;
  std::string error_;
};

TEST(FullFileSystem, AClipTooLargeForItFailsAndLeavesTheOldClipAlone) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
  TempDir pictures, mountPoint;
  SmallFileSystem disk(mountPoint.path());
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.error();

  // 24 frames of 19,200 bytes: about 450 KiB of samples for 256 KiB of room.
  EntryList list;
  for (int i = 0; i < 24; ++i) {
    const std::string name = "f" + std::to_string(i) + ".bmp";
    test::writeBmp24(pictures / name, 160, 120, [i](int x, int y) { return static_cast<std::uint32_t>(x * y + i); });
    list.append(name, Bitmap::loadFromFile(pictures.path(), name));
  }
  const auto target = mountPoint / "clip.avi";
  test::writeFile(target, kOldClip);

  try {
    createVideo(list, target, {});
    FAIL() << "a clip of 450 KiB fit into 256 KiB";
  } catch (const Error& e) {
    const std::string message = e.what();
    EXPECT_TRUE(message == messages::kCouldNotAddFrame ||
                message == "Could not write file " + target.string() + ": No space left on device")
        << message;
  }
  EXPECT_EQ(test::filesIn(mountPoint.path()), std::vector<std::string>{"clip.avi"});
  EXPECT_EQ(test::readFile(target), std::vector<std::uint8_t>(kOldClip.begin(), kOldClip.end()));
}

}  // namespace
}  // namespace quintorel
