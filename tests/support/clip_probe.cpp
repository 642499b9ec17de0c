// Reading back our clips with ffprobe and ffmpeg, and the stream header straight from the file.
#include "tests/support/clip_probe.h"

#include <algorithm>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "platform/little_endian.h"
#include "tests/support/outside_tool.h"
#include "tests/support/temp_dir.h"

namespace quintorel::test {

ProbedStream probeStream(const std::filesystem::path& clip) {
  const ToolResult r = runTool(
      "ffprobe -v error -select_streams v:0 -count_frames -show_entries "
      "stream=codec_name,pix_fmt,width,height,r_frame_rate,nb_read_frames -of default=nw=1 " +
      shellQuote(clip.string()));
  ProbedStream s;
  std::istringstream lines(r.output);
  std::string line;
  while (std::getline(lines, line)) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "codec_name") s.codec = value;
    else if (key == "pix_fmt") s.pixelFormat = value;
    else if (key == "width") s.width = std::stoi(value);
    else if (key == "height") s.height = std::stoi(value);
    else if (key == "r_frame_rate") s.frameRate = value;
    else if (key == "nb_read_frames") s.frames = std::stoi(value);
  }
  return s;
}

std::vector<ProbedPacket> probePackets(const std::filesystem::path& clip) {
  const ToolResult r = runTool("ffprobe -v error -select_streams v:0 -show_entries packet=size,flags "
                               "-of csv=p=0 " + shellQuote(clip.string()));
  std::vector<ProbedPacket> packets;
  std::istringstream lines(r.output);
  std::string line;
  while (std::getline(lines, line)) {
    const auto comma = line.find(',');
    if (comma == std::string::npos) continue;
    packets.push_back({std::stoi(line.substr(0, comma)), line.find('K', comma) != std::string::npos});
  }
  return packets;
}

std::vector<std::uint8_t> decodeRgb24(const std::string& ffmpegInput) {
  const ToolResult r =
      runTool("ffmpeg -v error -i " + ffmpegInput + " -f rawvideo -pix_fmt rgb24 -");
  return {r.output.begin(), r.output.end()};
}

StoredStream readStoredStream(const std::filesystem::path& clip) {
  const std::vector<std::uint8_t> bytes = readFile(clip);
  auto find = [&](const char* fourcc) -> const std::uint8_t* {
    const auto it = std::search(bytes.begin(), bytes.end(), fourcc, fourcc + 4);
    if (it == bytes.end() || bytes.end() - it < 8) throw std::runtime_error(std::string("no ") + fourcc);
    return &*it;
  };
  StoredStream s;
  const std::uint8_t* strh = find("strh") + 8;
  s.fccType = le::get32(strh + 0);
  s.fccHandler = le::get32(strh + 4);
  s.scale = le::get32(strh + 20);
  s.rate = le::get32(strh + 24);
  s.length = le::get32(strh + 32);
  s.suggestedBufferSize = le::get32(strh + 36);
  for (int i = 0; i < 4; ++i) s.frame[i] = static_cast<std::int16_t>(le::get16(strh + 48 + 2 * i));
  const std::uint8_t* strf = find("strf");
  const std::uint32_t size = le::get32(strf + 4);
  s.format.assign(strf + 8, strf + 8 + size);
  return s;
}

std::vector<std::string> filesIn(const std::filesystem::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace quintorel::test
