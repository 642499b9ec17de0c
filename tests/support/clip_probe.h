// What outside readers and the file's own headers say of an AVI clip we wrote.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quintorel::test {

// ffprobe's view of the first video stream, frames counted by decoding.
struct ProbedStream {
  std::string codec;        // codec_name
  std::string pixelFormat;  // pix_fmt
  int width = 0;
  int height = 0;
  std::string frameRate;  // r_frame_rate, e.g. "25/1"
  int frames = 0;         // nb_read_frames
};
ProbedStream probeStream(const std::filesystem::path& clip);

// ffprobe's packets: size and whether each is a key frame.
struct ProbedPacket {
  int size = 0;
  bool key = false;
};
std::vector<ProbedPacket> probePackets(const std::filesystem::path& clip);

// Every frame decoded by ffmpeg as packed RGB24, all frames one after another.
std::vector<std::uint8_t> decodeRgb24(const std::string& ffmpegInput);

// The stream header and the stream format as stored in the file.
struct StoredStream {
  std::uint32_t fccType = 0, fccHandler = 0, scale = 0, rate = 0, length = 0,
                suggestedBufferSize = 0;
  std::int16_t frame[4] = {};          // rcFrame: left, top, right, bottom
  std::vector<std::uint8_t> format;    // strf data
};
StoredStream readStoredStream(const std::filesystem::path& clip);

// The files in `directory`, by name, sorted.
std::vector<std::string> filesIn(const std::filesystem::path& directory);

}  // namespace quintorel::test
