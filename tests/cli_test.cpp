// quintorel-cli as a user runs it: exit codes, what it prints, and the clip it writes.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/bmp_fixture.h"
#include "tests/support/clip_probe.h"
#include "tests/support/outside_tool.h"
#include "tests/support/temp_dir.h"

namespace quintorel {
namespace {

using test::TempDir;

struct CliRun {
  int status;
  std::string out, err;
};

CliRun runCli(const std::string& args, const TempDir& scratch) {
  const auto errFile = scratch / "stderr.txt";
  const test::ToolResult r = test::runTool("cd " + test::shellQuote(scratch.path().string()) + " && " +
                                           test::shellQuote(QUINTOREL_CLI) + " " + args + " 2>" +
                                           test::shellQuote(errFile.string()));
  CliRun run{r.status, r.output, ""};
  const auto err = test::readFile(errFile);
  run.err.assign(err.begin(), err.end());
  std::filesystem::remove(errFile);
  return run;
}

struct UsageCase {
  const char* name;
  std::string args;
};

class CliUsage : public testing::TestWithParam<UsageCase> {};

TEST_P(CliUsage, IsRefusedWithExitStatusTwoAndTheUsage) {
  TempDir scratch;
  const CliRun run = runCli(GetParam().args, scratch);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("usage: quintorel-cli"), std::string::npos) << run.err;
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(test::filesIn(scratch.path()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliUsage,
    testing::Values(UsageCase{"no_output", "a.bmp"}, UsageCase{"rate_zero", "-r 0 -o x.avi a.bmp"},
                    UsageCase{"rate_121", "--rate 121 -o x.avi a.bmp"},
                    UsageCase{"rate_with_decimals", "--rate=2.5 -o x.avi a.bmp"},
                    UsageCase{"rate_not_a_number", "-r fast -o x.avi a.bmp"},
                    UsageCase{"rate_without_value", "-o x.avi a.bmp -r"},
                    UsageCase{"unknown_option", "--colour -o x.avi a.bmp"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Cli, HelpAndVersionGoToStandardOutput) {
  TempDir scratch;
  const CliRun help = runCli("--help", scratch);
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: quintorel-cli", 0), 0u);
  const CliRun version = runCli("--version", scratch);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "quintorel-cli 1.0.0\n");
}

TEST(Cli, AMissingFileIsReportedAsItsEntryWouldBeNamedWithAFullStop) {
  TempDir scratch;
  test::writeSolidBmp(scratch / "a.bmp", 4, 4, 0);
  const CliRun run = runCli("-o out.avi a.bmp sub/missing.bmp", scratch);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "ﾌｧｲﾙ missing.bmp は開けません.\n");
  EXPECT_FALSE(std::filesystem::exists(scratch / "out.avi"));
}

TEST(Cli, AddsDirectoriesInListOrderAndFilesAsGivenThenWritesSilently) {
  TempDir scratch;
  std::filesystem::create_directory(scratch / "frames");
  // Colours 0x000000 and 0xFFFFFF are in every palette; the order shows in the frames.
  test::writeSolidBmp(scratch / "frames" / "B.bmp", 8, 8, 0xFFFFFF);
  test::writeSolidBmp(scratch / "frames" / "a.bmp", 8, 8, 0x000000);
  test::writeSolidBmp(scratch / "last.bmp", 8, 8, 0x000000);
  const CliRun run = runCli("-r 24 -o clip frames last.bmp", scratch);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.out.empty());
  EXPECT_TRUE(run.err.empty());
  const auto clip = scratch / "clip.avi";
  const test::ProbedStream probed = test::probeStream(clip);
  EXPECT_EQ(probed.frames, 3);
  EXPECT_EQ(probed.frameRate, "24/1");
  const auto pixels = test::decodeRgb24(test::shellQuote(clip.string()));
  ASSERT_EQ(pixels.size(), 3u * 8 * 8 * 3);
  EXPECT_EQ(pixels[0], 0x00);          // a.bmp
  EXPECT_EQ(pixels[8 * 8 * 3], 0xFF);  // B.bmp
  EXPECT_EQ(pixels[2 * 8 * 8 * 3], 0x00);
}

TEST(Cli, AnErrorOfTheCoreExitsWithStatusOne) {
  TempDir scratch;
  std::filesystem::create_directory(scratch / "none");
  const CliRun run = runCli("-o out.avi none", scratch);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています.\n");
}

}  // namespace
}  // namespace quintorel
