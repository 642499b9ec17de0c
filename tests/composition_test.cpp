// The composition list's operations: adding, removing, showing and the frame-count text.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "composition/directory_file_list.h"
#include "composition/entry_list.h"
#include "composition/file_listing.h"
#include "composition/operations.h"
#include "platform/error.h"
#include "platform/messages.h"
#include "tests/support/bmp_fixture.h"
#include "tests/support/expect_error.h"
#include "tests/support/temp_dir.h"

namespace quintorel {
namespace {

using test::TempDir;

struct RecordingStatus final : StatusText {
  std::string text = kInitialFrameCountText;
  int writes = 0;
  void setText(const std::string& t) override { text = t, ++writes; }
};

struct RecordingPreview final : Preview {
  Bitmap picture;
  bool stretch = false;
  void setPicture(const Bitmap& p) override { picture = p; }
  void setStretch(bool s) override { stretch = s; }
};

std::vector<std::string> names(const CompositionList& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.count(); ++i) out.push_back(list.text(i));
  return out;
}

TEST(FrameCountText, IsTheWordAndTheCountWithoutSpaceOrColon) {
  EXPECT_EQ(frameCountText(0), "フレーム数0");
  EXPECT_EQ(frameCountText(12), "フレーム数12");
  EXPECT_EQ(frameCountText(10000), "フレーム数10000");
  EXPECT_STREQ(kInitialFrameCountText, "フレーム数　：");
}

struct ListingCase {
  const char* name;
  std::vector<std::string> files;
  std::vector<std::string> expected;
};

class FileListing : public testing::TestWithParam<ListingCase> {};

TEST_P(FileListing, ListsFilesInCaseInsensitiveCharacterOrder) {
  TempDir dir;
  for (const std::string& f : GetParam().files) test::writeFile(dir / f, std::string("x"));
  EXPECT_EQ(listFileNames(dir.path()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileListing,
    testing::Values(
        ListingCase{"letter_case_ignored", {"b.bmp", "A.bmp", "c.bmp"}, {"A.bmp", "b.bmp", "c.bmp"}},
        ListingCase{"characters_not_numbers", {"frame2.bmp", "frame10.bmp", "frame1.bmp"},
                    {"frame1.bmp", "frame10.bmp", "frame2.bmp"}},
        ListingCase{"hidden_files_left_out", {".hidden.bmp", "a.bmp"}, {"a.bmp"}},
        ListingCase{"names_equal_but_for_case_in_a_fixed_order", {"a.bmp", "A.bmp"}, {"A.bmp", "a.bmp"}},
        ListingCase{"empty_directory", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileListing, LeavesOutDirectoriesAndSpecialFilesButFollowsLinksToFiles) {
  TempDir dir;
  test::writeFile(dir / "a.bmp", std::string("x"));
  std::filesystem::create_directory(dir / "sub.bmp");
  std::filesystem::create_symlink(dir / "a.bmp", dir / "link.bmp");
  std::filesystem::create_symlink(dir / "missing", dir / "dangling.bmp");
  ASSERT_EQ(mkfifo((dir / "pipe.bmp").c_str(), 0600), 0);
  EXPECT_EQ(listFileNames(dir.path()), (std::vector<std::string>{"a.bmp", "link.bmp"}));
}

TEST(FileListing, AnUnreadableDirectoryIsAnErrorNamingIt) {
  TempDir dir;
  const auto missing = dir / "gone";
  EXPECT_ERROR(listFileNames(missing), "Could not read directory " + missing.string() + ": No such file or directory");
}

class AddAll : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"c.bmp", "A.bmp", "b.bmp"}) test::writeSolidBmp(dir / name, 4, 3, 0x112233);
  }
  TempDir dir;
  EntryList list;
  RecordingStatus status;
};

TEST_F(AddAll, AppendsEveryListedFileInListOrderAndCounts) {
  addAll(DirectoryFileList(dir.path()), list, status);
  EXPECT_EQ(names(list), (std::vector<std::string>{"A.bmp", "b.bmp", "c.bmp"}));
  EXPECT_EQ(status.text, "フレーム数3");
  EXPECT_EQ(list.object(0).width(), 4);
}

TEST_F(AddAll, TwiceAppendsEveryFileAgainAfterTheFirstRun) {
  const DirectoryFileList files(dir.path());
  addAll(files, list, status);
  addAll(files, list, status);
  EXPECT_EQ(names(list), (std::vector<std::string>{"A.bmp", "b.bmp", "c.bmp", "A.bmp", "b.bmp", "c.bmp"}));
  EXPECT_EQ(status.text, "フレーム数6");
}

TEST_F(AddAll, OnADirectoryWithoutFilesAppendsNothingButRefreshes) {
  TempDir empty;
  std::filesystem::create_directory(empty / "sub");
  addAll(DirectoryFileList(empty.path()), list, status);
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(status.text, "フレーム数0");
}

TEST(AddAllFailure, StopsAtTheFirstBadFileKeepingWhatCameBeforeAndTheOldCount) {
  TempDir dir;
  test::writeSolidBmp(dir / "a.bmp", 2, 2, 0);
  test::writeFile(dir / "b.txt", std::string("plain text, not a picture at all"));
  test::writeSolidBmp(dir / "c.bmp", 2, 2, 0);
  EntryList list;
  RecordingStatus status;
  EXPECT_ERROR(addAll(DirectoryFileList(dir.path()), list, status), std::string(messages::kInvalidBitmap));
  EXPECT_EQ(names(list), std::vector<std::string>{"a.bmp"});
  EXPECT_EQ(status.text, "フレーム数　：");
  list.select(0);
  RecordingPreview preview;
  showCurrent(list, preview, status);
  EXPECT_EQ(status.text, "フレーム数1");
}

TEST(AddAllFailure, AFileThatVanishedSinceListingIsNamedBare) {
  TempDir dir;
  test::writeSolidBmp(dir / "a.bmp", 2, 2, 0);
  const DirectoryFileList files(dir.path());
  std::filesystem::remove(dir / "a.bmp");
  EntryList list;
  RecordingStatus status;
  EXPECT_ERROR(addAll(files, list, status), messages::cannotOpenFile("a.bmp"));
  EXPECT_EQ(list.count(), 0);
}

TEST(AddAllFailure, AListThatRefusesAnItemStopsWithItsMessage) {
  TempDir dir;
  for (const char* name : {"a.bmp", "b.bmp"}) test::writeSolidBmp(dir / name, 2, 2, 0);
  EntryList list(1);
  RecordingStatus status;
  EXPECT_ERROR(addAll(DirectoryFileList(dir.path()), list, status), std::string(messages::kCannotInsertLine));
  EXPECT_EQ(names(list), std::vector<std::string>{"a.bmp"});
}

TEST(AddOne, AppendsTheCurrentFileEachTimeAndAZeroLengthFileAsAnEmptyPicture) {
  TempDir dir;
  test::writeFile(dir / "empty.bmp", std::string());
  test::writeSolidBmp(dir / "x.bmp", 2, 2, 0);
  DirectoryFileList files(dir.path());
  EntryList list;
  RecordingStatus status;
  files.setItemIndex(1);
  addOne(files, list, status);
  addOne(files, list, status);
  files.setItemIndex(0);
  addOne(files, list, status);
  EXPECT_EQ(names(list), (std::vector<std::string>{"x.bmp", "x.bmp", "empty.bmp"}));
  EXPECT_TRUE(list.object(2).empty());
  EXPECT_EQ(status.text, "フレーム数3");
}

TEST(AddOne, WithoutACurrentItemIsTheListIndexError) {
  TempDir dir;
  test::writeSolidBmp(dir / "x.bmp", 2, 2, 0);
  EntryList list;
  RecordingStatus status;
  EXPECT_ERROR(addOne(DirectoryFileList(dir.path()), list, status), std::string(messages::kListIndex));
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(status.writes, 0);
}

class FiveEntries : public testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 5; ++i) {
      const std::string name = "f" + std::to_string(i) + ".bmp";
      test::writeSolidBmp(dir / name, 1 + i, 1, 0);
      list.append(name, Bitmap::loadFromFile(dir.path(), name));
    }
  }
  TempDir dir;
  EntryList list;
  RecordingStatus status;
  RecordingPreview preview;
};

TEST_F(FiveEntries, RemovingTheSelectedThirdKeepsTheOthersInOrderAndThePreview) {
  list.select(2);
  showCurrent(list, preview, status);
  removeSelected(list, status);
  EXPECT_EQ(names(list), (std::vector<std::string>{"f0.bmp", "f1.bmp", "f3.bmp", "f4.bmp"}));
  EXPECT_EQ(status.text, "フレーム数4");
  EXPECT_EQ(list.itemIndex(), -1);
  EXPECT_EQ(preview.picture.width(), 3);  // the removed entry's picture stays shown
}

TEST_F(FiveEntries, RemovingWithNothingSelectedChangesNothingButRefreshes) {
  removeSelected(list, status);
  EXPECT_EQ(list.count(), 5);
  EXPECT_EQ(status.text, "フレーム数5");
}

TEST_F(FiveEntries, RemovingEveryEntryLeavesTheLastShownPicture) {
  for (int i = 4; i >= 0; --i) {
    list.select(i);
    showCurrent(list, preview, status);
    removeSelected(list, status);
  }
  EXPECT_EQ(status.text, "フレーム数0");
  EXPECT_EQ(preview.picture.width(), 1);
}

TEST_F(FiveEntries, ShowCurrentWithoutACurrentEntryFailsAndChangesNothing) {
  EXPECT_ERROR(showCurrent(list, preview, status), std::string(messages::kListIndex));
  EXPECT_TRUE(preview.picture.empty());
  EXPECT_EQ(status.writes, 0);
}

TEST_F(FiveEntries, ShowCurrentSharesThePictureAndFitSetsTheStretch) {
  list.select(4);
  showCurrent(list, preview, status);
  EXPECT_EQ(preview.picture.content().data(), list.object(4).content().data());
  EXPECT_EQ(status.text, "フレーム数5");
  fitToBox(true, preview);
  EXPECT_TRUE(preview.stretch);
  fitToBox(false, preview);
  EXPECT_FALSE(preview.stretch);
  EXPECT_EQ(status.writes, 1);
}

TEST(EntryList, AsksOutsideTheListAreTheListIndexError) {
  EntryList list;
  for (int index : {-1, 0, 1}) {
    EXPECT_ERROR(list.text(index), std::string(messages::kListIndex));
    EXPECT_ERROR(list.object(index), std::string(messages::kListIndex));
  }
}

}  // namespace
}  // namespace quintorel
