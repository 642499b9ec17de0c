// Outside readers (ffprobe and ffmpeg, mediainfo, GStreamer) reading the clips the AVI writer
// makes: the stream they report, and every frame, in order.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/avi_clip.h"
#include "tests/support/outside_tool.h"
#include "tests/support/temp_dir.h"

namespace quintorel {
namespace test {

// Names the clip in gtest's messages instead of dumping its bytes.
void PrintTo(const ClipSpec& clip, std::ostream* out) { *out << clip.name; }

}  // namespace test
namespace {

using test::ClipSpec;

const ClipSpec kClips[] = {
    {"one_frame", 64, 48, 1, 25},
    {"three_frames_of_64x48_at_25", 64, 48, 3, 25},
    {"rows_of_101_pixels", 101, 3, 5, 10},
    {"rate_1", 32, 16, 4, 1},
    {"rate_120", 32, 16, 10, 120},
    // About 10 frames a part: one 'AVI ' part and three 'AVIX' parts.
    {"OpenDML_parts", 160, 120, 40, 25, 200'000},
};

std::map<std::string, std::string> keyValues(const std::string& text) {
  std::map<std::string, std::string> values;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const auto equals = line.find('=');
    if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

// The index of the first frame where `actual` differs from `expected`, or -1.
int firstDifferentFrame(const std::string& actual, const std::string& expected, std::size_t frameBytes) {
  for (std::size_t at = 0; at < expected.size(); at += frameBytes) {
    if (actual.compare(at, frameBytes, expected, at, frameBytes) != 0) return static_cast<int>(at / frameBytes);
  }
  return actual.size() == expected.size() ? -1 : static_cast<int>(expected.size() / frameBytes);
}

class AviReaders : public ::testing::TestWithParam<ClipSpec> {
 protected:
  void SetUp() override {
    path_ = dir_ / "clip.avi";
    test::writeClip(path_, GetParam());
  }
  std::string quotedPath() const { return test::shellQuote(path_.string()); }

  test::TempDir dir_;
  std::filesystem::path path_;
};

TEST_P(AviReaders, ffprobe_reports_the_stream_and_counts_every_frame) {
  ASSERT_TRUE(test::haveTool("ffprobe"));
  const ClipSpec& clip = GetParam();
  const test::ToolResult probe = test::runTool(
      "ffprobe -v error -select_streams v:0 -count_frames -show_entries "
      "format=format_name:stream=codec_name,pix_fmt,width,height,r_frame_rate,nb_read_frames "
      "-of default=noprint_wrappers=1 " + quotedPath());
  ASSERT_EQ(probe.status, 0);
  const auto values = keyValues(probe.output);
  EXPECT_EQ(values.at("format_name"), "avi");
  EXPECT_EQ(values.at("codec_name"), "rawvideo");
  EXPECT_EQ(values.at("pix_fmt"), "pal8");
  EXPECT_EQ(values.at("width"), std::to_string(clip.width));
  EXPECT_EQ(values.at("height"), std::to_string(clip.height));
  EXPECT_EQ(values.at("r_frame_rate"), std::to_string(clip.rate) + "/1");
  EXPECT_EQ(values.at("nb_read_frames"), std::to_string(clip.frames));
}

TEST_P(AviReaders, ffmpeg_decodes_every_frame_in_order) {
  ASSERT_TRUE(test::haveTool("ffmpeg"));
  const ClipSpec& clip = GetParam();
  // Our own expansion through the palette, top row first as ffmpeg hands out pictures.
  std::string expected;
  const std::size_t stride = test::clipRowBytes(clip.width);
  for (int i = 0; i < clip.frames; ++i) {
    const std::vector<std::uint8_t> frame = test::clipFrame(clip.width, clip.height, i);
    for (int y = clip.height - 1; y >= 0; --y) {
      for (int x = 0; x < clip.width; ++x) {
        for (std::uint8_t channel : test::clipColour(frame[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x)])) {
          expected += static_cast<char>(channel);
        }
      }
    }
  }
  const test::ToolResult decoded =
      test::runTool("ffmpeg -v error -i " + quotedPath() + " -f rawvideo -pix_fmt rgb24 -");
  ASSERT_EQ(decoded.status, 0);
  EXPECT_EQ(decoded.output.size(), expected.size());
  EXPECT_EQ(firstDifferentFrame(decoded.output, expected, static_cast<std::size_t>(clip.width * clip.height * 3)), -1);
}

TEST_P(AviReaders, mediainfo_reports_the_stream) {
  ASSERT_TRUE(test::haveTool("mediainfo"));
  const ClipSpec& clip = GetParam();
  const std::filesystem::path templateFile = dir_ / "template.txt";
  test::writeFile(templateFile, std::string("General;%Format%|\nVideo;%Width%|%Height%|%FrameRate%|%FrameCount%\n"));
  const test::ToolResult info =
      test::runTool("mediainfo " + test::shellQuote("--Inform=file://" + templateFile.string()) + " " + quotedPath());
  ASSERT_EQ(info.status, 0);
  char rate[32];
  std::snprintf(rate, sizeof rate, "%.3f", static_cast<double>(clip.rate));
  std::string reported = info.output;
  while (!reported.empty() && (reported.back() == '\n' || reported.back() == '\r')) reported.pop_back();
  EXPECT_EQ(reported, "AVI|" + std::to_string(clip.width) + "|" + std::to_string(clip.height) + "|" + rate + "|" +
                          std::to_string(clip.frames));
}

TEST_P(AviReaders, gstreamer_demuxes_every_frame_in_order) {
  ASSERT_TRUE(test::haveTool("gst-launch-1.0"));
  const ClipSpec& clip = GetParam();
  // avidemux hands out each 8-bit frame top row first, rows still padded to 4 bytes, with the
  // stream's palette behind the picture.
  const std::vector<std::uint8_t> format = test::clipFormat(clip.width, clip.height);
  const std::string palette(format.begin() + 40, format.end());
  const std::size_t stride = test::clipRowBytes(clip.width);
  std::string expected;
  for (int i = 0; i < clip.frames; ++i) {
    const std::vector<std::uint8_t> frame = test::clipFrame(clip.width, clip.height, i);
    for (int y = clip.height - 1; y >= 0; --y) {
      expected.append(frame.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * stride),
                      frame.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y + 1) * stride));
    }
    expected += palette;
  }
  const std::filesystem::path demuxed = dir_ / "demuxed.raw";
  // A reader that cannot make sense of a file may wait forever instead of failing.
  const test::ToolResult run = test::runTool("timeout 120 gst-launch-1.0 -q filesrc " +
                                             test::shellQuote("location=" + path_.string()) + " ! avidemux ! filesink " +
                                             test::shellQuote("location=" + demuxed.string()));
  ASSERT_EQ(run.status, 0);
  const std::vector<std::uint8_t> bytes = test::readFile(demuxed);
  const std::string output(bytes.begin(), bytes.end());
  EXPECT_EQ(output.size(), expected.size());
  EXPECT_EQ(firstDifferentFrame(output, expected, stride * static_cast<std::size_t>(clip.height) + palette.size()), -1);
}

INSTANTIATE_TEST_SUITE_P(Clips, AviReaders, ::testing::ValuesIn(kClips),
                         [](const ::testing::TestParamInfo<ClipSpec>& info) { return info.param.name; });

}  // namespace
}  // namespace quintorel
