// Odd and hostile file names and paths, through the composition operations, the creation and
// quintorel-cli: each gives the system's message or a clear one of ours, and nothing is lost.
#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/single_file_list.h"
#include "composition/directory_file_list.h"
#include "composition/entry_list.h"
#include "composition/operations.h"
#include "platform/error.h"
#include "platform/messages.h"
#include "tests/support/bmp_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/clip_probe.h"
#include "tests/support/expect_error.h"
#include "tests/support/outside_tool.h"
#include "tests/support/temp_dir.h"
#include "video/create_video.h"

namespace quintorel {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

struct NoStatus final : StatusText {
  std::string text;
  void setText(const std::string& t) override { text = t; }
};

struct CliRun {
  int status = -1;
  std::string err;
};

// Runs quintorel-cli in `cwd` with `args`, each passed as it is, bytes and all.
CliRun runCli(const std::vector<std::string>& args, const fs::path& cwd) {
  TempDir scratch;
  const fs::path errFile = scratch / "stderr.txt";
  std::string command = "cd " + test::shellQuote(cwd.string()) + " && " + test::shellQuote(QUINTOREL_CLI);
  for (const std::string& arg : args) command.append(" ").append(test::shellQuote(arg));
  const test::ToolResult r = test::runTool(command + " 2>" + test::shellQuote(errFile.string()));
  const auto err = test::readFile(errFile);
  return {r.status, std::string(err.begin(), err.end())};
}


// Runs `body` as someone whom the permissions bind. Root reads and writes whatever the
// permissions say, so as root `body` runs in a child process switched to the user nobody,
// with `dir` opened to it for searching; its result comes back through a pipe.
std::string asUnprivileged(const fs::path& dir, const std::function<std::string()>& body) {
  if (::geteuid() != 0) return body();
  fs::permissions(dir, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  return test::runInChild([&] {
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
      return std::string("could not switch to nobody");
    return body();
  });
}

std::vector<std::string> names(const CompositionList& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.count(); ++i) out.push_back(list.text(i));
  return out;
}

// Names as a directory may hold them: bytes that are no UTF-8, Shift_JIS as the system the
// program addresses writes them, characters the shell or a printf-style format would take in.
struct OddName {
  const char* label;
  std::string name;
};

// Names the case in test names and failure messages.
void PrintTo(const OddName& c, std::ostream* os) { *os << c.label; }

const OddName kOddNames[] = {
    {"spaces", "frame  one .bmp"},
    {"japanese", "フレーム１ 画像.bmp"},
    {"shift_jis_bytes", "\x83\x74\x83\x8c\x81\x5b\x83\x80.bmp"},
    {"invalid_utf8", "\xff\xfe\x80 frame.bmp"},
    {"format_and_shell_characters", "100%s %n $(x) `y` 'q' \"d\" \\ ;&|*?.bmp"},
    {"newline", "two\nlines.bmp"},
    {"leading_dash", "-r 5.bmp"},
};

class OddNames : public testing::TestWithParam<OddName> {};

TEST_P(OddNames, AreListedAddedWrittenAndNamedInMessagesByteForByte) {
  const std::string& name = GetParam().name;
  TempDir pictures, out;
  test::writeSolidBmp(pictures / name, 6, 4, 0xFFFFFF);

  const DirectoryFileList files(pictures.path());
  ASSERT_EQ(files.count(), 1);
  EXPECT_EQ(files.text(0), name);
  EntryList list;
  NoStatus status;
  addAll(files, list, status);
  EXPECT_EQ(names(list), std::vector<std::string>{name});
  EXPECT_EQ(status.text, "フレーム数1");

  // The clip may bear such a name as well.
  const fs::path clip = out / (name + ".avi");
  createVideo(list, clip, {});
  EXPECT_EQ(test::probeStream(clip).frames, 1);
  EXPECT_EQ(test::filesIn(out.path()), std::vector<std::string>{name + ".avi"});

  fs::remove(pictures / name);
  EXPECT_ERROR(addOne(cli::SingleFileList(pictures / name), list, status), messages::cannotOpenFile(name));
}

TEST_P(OddNames, GoThroughTheCommandLine) {
  const std::string& name = GetParam().name;
  TempDir cwd;
  test::writeSolidBmp(cwd / name, 6, 4, 0xFFFFFF);
  // "--" keeps a name that starts with a dash from being read as an option.
  const CliRun run = runCli({"-o", name + ".avi", "--", name}, cwd.path());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::probeStream(cwd / (name + ".avi")).frames, 1);

  const CliRun missing = runCli({"-o", "x.avi", "--", "missing " + name}, cwd.path());
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, messages::cannotOpenFile("missing " + name) + ".\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, OddNames, testing::ValuesIn(kOddNames),
                         [](const auto& info) { return std::string(info.param.label); });

// Names that are there but cannot be opened as a file: each is the open error naming it, and
// none of them blocks (a named pipe with no writer would block a plain open).
struct Unopenable {
  const char* label;
  std::function<void(const fs::path&)> make;
};

void PrintTo(const Unopenable& c, std::ostream* os) { *os << c.label; }

const Unopenable kUnopenable[] = {
    {"directory", [](const fs::path& p) { fs::create_directory(p); }},
    {"named_pipe", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }},
    {"dangling_link", [](const fs::path& p) { fs::create_symlink("nowhere.bmp", p); }},
    {"link_loop", [](const fs::path& p) { fs::create_symlink(p.filename(), p); }},
};

class UnopenableNames : public testing::TestWithParam<Unopenable> {};

TEST_P(UnopenableNames, AreTheOpenErrorAndAddNothing) {
  TempDir dir;
  test::writeSolidBmp(dir / "first.bmp", 2, 2, 0);
  GetParam().make(dir / "x.bmp");
  EntryList list;
  NoStatus status;
  addOne(cli::SingleFileList(dir / "first.bmp"), list, status);
  EXPECT_ERROR(addOne(cli::SingleFileList(dir / "x.bmp"), list, status), messages::cannotOpenFile("x.bmp"));
  EXPECT_EQ(names(list), std::vector<std::string>{"first.bmp"});
  EXPECT_EQ(status.text, "フレーム数1");

  // A directory given to the command line adds its files instead.
  if (std::string(GetParam().label) != "directory") {
    const CliRun run = runCli({"-o", "out.avi", "first.bmp", "x.bmp"}, dir.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, messages::cannotOpenFile("x.bmp") + ".\n");
    EXPECT_FALSE(fs::exists(dir / "out.avi"));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, UnopenableNames, testing::ValuesIn(kUnopenable),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(Permissions, AnUnreadableFileIsTheOpenError) {
  TempDir dir;
  test::writeSolidBmp(dir / "secret.bmp", 2, 2, 0);
  fs::permissions(dir / "secret.bmp", fs::perms::none);
  const std::string core = asUnprivileged(dir.path(), [&] {
    EntryList list;
    NoStatus status;
    return test::errorFrom([&] { addOne(cli::SingleFileList(dir / "secret.bmp"), list, status); });
  });
  EXPECT_EQ(core, messages::cannotOpenFile("secret.bmp"));
  const std::string cli = asUnprivileged(dir.path(), [&] {
    const CliRun run = runCli({"-o", "x.avi", "secret.bmp"}, dir.path());
    return std::to_string(run.status) + " " + run.err;
  });
  EXPECT_EQ(cli, "1 " + messages::cannotOpenFile("secret.bmp") + ".\n");
}

TEST(Permissions, AReadOnlyOutputDirectoryIsCouldNotCreateAndLeavesNothing) {
  TempDir pictures, out;
  test::writeSolidBmp(pictures / "a.bmp", 2, 2, 0);
  fs::permissions(pictures.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  fs::permissions(pictures / "a.bmp", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  // Read-only for its owner, and root owns it when the test runs as root.
  fs::permissions(out.path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_exec |
                                  fs::perms::others_exec);
  const fs::path clip = out / "clip.avi";
  const std::string core = asUnprivileged(out.path(), [&] {
    EntryList list;
    list.append("a.bmp", Bitmap::loadFromFile(pictures.path(), "a.bmp"));
    return test::errorFrom([&] { createVideo(list, clip, {}); });
  });
  EXPECT_EQ(core, "Could not create file " + clip.string() + ": Permission denied");
  const std::string cli = asUnprivileged(out.path(), [&] {
    const CliRun run = runCli({"-o", clip.string(), (pictures / "a.bmp").string()}, "/");
    return std::to_string(run.status) + " " + run.err;
  });
  EXPECT_EQ(cli, "1 Could not create file " + clip.string() + ": Permission denied.\n");
  EXPECT_TRUE(test::filesIn(out.path()).empty());
}

// Outputs whose directory is missing or not a directory, or that are a directory themselves.
struct BadOutput {
  const char* label;
  std::string output;  // relative to a directory holding a.bmp and the directory sub.avi
  std::string message;
};

void PrintTo(const BadOutput& c, std::ostream* os) { *os << c.label; }

const BadOutput kBadOutputs[] = {
    {"directory_missing", "missing/clip.avi", "Could not create file missing/clip.avi: No such file or directory"},
    {"through_a_file", "a.bmp/clip.avi", "Could not create file a.bmp/clip.avi: Not a directory"},
    {"a_directory", "sub.avi", "Could not write file sub.avi: Is a directory"},
};

class BadOutputs : public testing::TestWithParam<BadOutput> {};

TEST_P(BadOutputs, AreRefusedWithTheReasonAndLeaveTheDirectoryAsItWas) {
  TempDir dir;
  test::writeSolidBmp(dir / "a.bmp", 2, 2, 0);
  fs::create_directory(dir / "sub.avi");
  test::writeFile(dir / "sub.avi" / "keep.txt", std::string("kept"));
  const auto before = test::readFile(dir / "a.bmp");

  const CliRun run = runCli({"-o", GetParam().output, "a.bmp"}, dir.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, GetParam().message + ".\n");

  EntryList list;
  list.append("a.bmp", Bitmap::loadFromFile(dir.path(), "a.bmp"));
  const fs::path output = dir / GetParam().output;
  std::string expected = GetParam().message;
  expected.replace(expected.find(GetParam().output), GetParam().output.size(), output.string());
  EXPECT_ERROR(createVideo(list, output, {}), expected);

  EXPECT_EQ(test::filesIn(dir.path()), (std::vector<std::string>{"a.bmp", "sub.avi"}));
  EXPECT_EQ(test::filesIn(dir / "sub.avi"), std::vector<std::string>{"keep.txt"});
  EXPECT_EQ(test::readFile(dir / "a.bmp"), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, BadOutputs, testing::ValuesIn(kBadOutputs),
                         [](const auto& info) { return std::string(info.param.label); });

// Writing the clip over one of its own pictures is allowed, as the save dialog allows any
// name: every picture was read when it was added, and the file is replaced only by a whole
// clip. A creation that fails leaves the picture as it was.
TEST(OutputEqualToAnInput, ReplacesThePictureOnlyWithAWholeClipAndTheEntryKeepsWhatWasRead) {
  TempDir dir;
  test::writeSolidBmp(dir / "a.bmp", 8, 8, 0xFFFFFF);
  test::writeSolidBmp(dir / "b.bmp", 4, 4, 0x000000);
  const auto picture = test::readFile(dir / "a.bmp");

  const CliRun refused = runCli({"-o", "a.bmp", "a.bmp", "b.bmp"}, dir.path());
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(test::readFile(dir / "a.bmp"), picture);
  EXPECT_EQ(test::filesIn(dir.path()), (std::vector<std::string>{"a.bmp", "b.bmp"}));

  EntryList list;
  list.append("a.bmp", Bitmap::loadFromFile(dir.path(), "a.bmp"));
  createVideo(list, dir / "a.bmp", {});
  EXPECT_EQ(test::probeStream(dir / "a.bmp").frames, 1);
  // The entry still holds the picture: a second clip from it is the same picture.
  createVideo(list, dir / "again.avi", {});
  EXPECT_EQ(test::decodeRgb24(test::shellQuote((dir / "again.avi").string())),
            std::vector<std::uint8_t>(8 * 8 * 3, 0xFF));

  test::writeSolidBmp(dir / "c.bmp", 8, 8, 0xFFFFFF);
  const CliRun run = runCli({"-o", "c.bmp", "c.bmp", "c.bmp"}, dir.path());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::probeStream(dir / "c.bmp").frames, 2);
}

// What happens to a file between the listing of its directory and its adding is what the
// adding reads; what happens after it no longer matters to its entry.
struct Change {
  const char* label;
  std::function<void(const fs::path&)> change;
  std::string message;  // empty when the file is added
  int width;            // of the entry when it is added
};

void PrintTo(const Change& c, std::ostream* os) { *os << c.label; }

const Change kChanges[] = {
    {"grown_and_recoloured", [](const fs::path& p) { test::writeSolidBmp(p, 8, 6, 0x000000); }, "", 8},
    {"emptied", [](const fs::path& p) { test::writeFile(p, std::string()); }, "", 0},
    {"cut_to_five_bytes", [](const fs::path& p) { fs::resize_file(p, 5); }, std::string(messages::kStreamRead), 0},
    {"replaced_by_text", [](const fs::path& p) { test::writeFile(p, std::string("no picture, just text")); },
     std::string(messages::kInvalidBitmap), 0},
    {"replaced_by_a_directory", [](const fs::path& p) {
       fs::remove(p);
       fs::create_directory(p);
     },
     messages::cannotOpenFile("b.bmp"), 0},
};

class ChangedAfterListing : public testing::TestWithParam<Change> {};

TEST_P(ChangedAfterListing, AddsWhatIsThereWhenAdding) {
  TempDir dir;
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) test::writeSolidBmp(dir / name, 4, 4, 0xFFFFFF);
  const DirectoryFileList files(dir.path());
  GetParam().change(dir / "b.bmp");
  EntryList list;
  NoStatus status;
  if (GetParam().message.empty()) {
    addAll(files, list, status);
    EXPECT_EQ(names(list), (std::vector<std::string>{"a.bmp", "b.bmp", "c.bmp"}));
    EXPECT_EQ(list.object(1).width(), GetParam().width);
  } else {
    EXPECT_ERROR(addAll(files, list, status), GetParam().message);
    EXPECT_EQ(names(list), std::vector<std::string>{"a.bmp"});
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ChangedAfterListing, testing::ValuesIn(kChanges),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(ChangedAfterAdding, TheClipIsMadeFromWhatWasReadEvenWhenTheFilesAreGone) {
  TempDir dir, out;
  test::writeSolidBmp(dir / "a.bmp", 4, 4, 0xFFFFFF);
  test::writeSolidBmp(dir / "b.bmp", 4, 4, 0x000000);
  EntryList list;
  NoStatus status;
  addAll(DirectoryFileList(dir.path()), list, status);
  test::writeSolidBmp(dir / "a.bmp", 9, 9, 0x000000);
  fs::remove(dir / "b.bmp");
  createVideo(list, out / "clip.avi", {});
  // a.bmp white, then b.bmp black, as they were when added.
  std::vector<std::uint8_t> expected(2 * 4 * 4 * 3, 0x00);
  std::fill_n(expected.begin(), 4 * 4 * 3, 0xFF);
  EXPECT_EQ(test::decodeRgb24(test::shellQuote((out / "clip.avi").string())), expected);
}

}  // namespace
}  // namespace quintorel
