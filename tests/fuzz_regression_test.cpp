// Replays the fuzzer's seed corpus and every input it found trouble with through the same path
// as the fuzz target: load, decode, convert to an eight-bit frame. In the sanitizer build this
// also checks that none of them reads outside its bytes or leaks.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/frame_from_bytes.h"
#include "platform/error.h"
#include "tests/support/temp_dir.h"

namespace quintorel {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> filesUnder(const fs::path& directory) {
  std::vector<fs::path> files;
  if (!fs::exists(directory)) return files;
  for (const auto& entry : fs::directory_iterator(directory)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// What happened to one input: "converted", the message it was refused with, or what broke.
std::string outcome(const fs::path& file) {
  // An exact-size copy on the heap, so that AddressSanitizer sees a read one byte too far.
  const std::vector<std::uint8_t> bytes = test::readFile(file);
  try {
    const std::string broken = fuzz::frameFromBytes(bytes);
    return broken.empty() ? "converted" : "broken promise: " + broken;
  } catch (const Error& e) {
    return e.what();
  }
}

TEST(FuzzSeeds, EveryVariantOfTheSeedCorpusConverts) {
  const auto seeds = filesUnder(fs::path(QUINTOREL_SOURCE_DIR) / "fuzz" / "corpus");
  ASSERT_FALSE(seeds.empty());
  for (const fs::path& seed : seeds) EXPECT_EQ(outcome(seed), "converted") << seed.filename();
}

// Each file is named after what it exercised; it must be refused with a message or converted,
// never crash, hang or break a promise.
TEST(FuzzFindings, AreRefusedWithAMessageOrConverted) {
  for (const fs::path& finding : filesUnder(fs::path(QUINTOREL_SOURCE_DIR) / "tests" / "data" / "fuzz")) {
    const std::string result = outcome(finding);
    EXPECT_TRUE(result == "converted" || result.rfind("Could not decode picture fuzz.bmp: ", 0) == 0 ||
                result.rfind("ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です", 0) == 0 || result == "ｽﾄﾘｰﾑからの読み込みｴﾗｰ")
        << finding.filename() << ": " << result;
  }
}

}  // namespace
}  // namespace quintorel
