// Reading back our clips with ffprobe and ffmpeg, and the stream header straight from the file.
#include "tests/support/clip_probe.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "platform/avi_file.h"
#include "tests/support/avi_reader.h"
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
  const std::vector<RiffChunk> chunks = parseRiff(bytes);
  auto need = [](const RiffChunk* chunk, const char* what) {
    if (!chunk) throw std::runtime_error(std::string("no ") + what);
    return chunk;
  };
  const RiffChunk* avi = need(chunks.empty() ? nullptr : &chunks.front(), "RIFF");
  const RiffChunk* hdrl = need(avi->find(fourcc('L', 'I', 'S', 'T'), fourcc('h', 'd', 'r', 'l')), "hdrl");
  const RiffChunk* strl = need(hdrl->find(fourcc('L', 'I', 'S', 'T'), fourcc('s', 't', 'r', 'l')), "strl");
  const std::uint64_t strh = need(strl->find(fourcc('s', 't', 'r', 'h')), "strh")->data();
  const RiffChunk* strf = need(strl->find(fourcc('s', 't', 'r', 'f')), "strf");
  StoredStream s;
  s.fccType = field32(bytes, strh + 0);
  s.fccHandler = field32(bytes, strh + 4);
  s.scale = field32(bytes, strh + 20);
  s.rate = field32(bytes, strh + 24);
  s.length = field32(bytes, strh + 32);
  s.suggestedBufferSize = field32(bytes, strh + 36);
  for (int i = 0; i < 4; ++i) s.frame[i] = static_cast<std::int16_t>(field16(bytes, strh + 48 + 2 * i));
  s.format.assign(bytes.begin() + static_cast<std::ptrdiff_t>(strf->data()),
                  bytes.begin() + static_cast<std::ptrdiff_t>(strf->data() + strf->size));
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
