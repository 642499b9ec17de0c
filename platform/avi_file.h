// The AVI file library: one file with one stream of samples, written as RIFF AVI and
// continued as OpenDML (AVI 2.0) past the first gibibyte.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "platform/file_ops.h"

namespace quintorel {

constexpr std::uint32_t fourcc(char a, char b, char c, char d) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(a)) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(b)) << 8) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(c)) << 16) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(d)) << 24);
}

inline constexpr std::uint32_t streamtypeVIDEO = fourcc('v', 'i', 'd', 's');
inline constexpr std::uint32_t AVIIF_KEYFRAME = 0x10;

struct AviRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

// What describes a stream when it is created; every field the caller leaves alone is 0.
struct AviStreamInfo {
  std::uint32_t fccType = 0;
  std::uint32_t fccHandler = 0;
  std::uint32_t dwFlags = 0;
  std::uint32_t dwCaps = 0;
  std::uint16_t wPriority = 0;
  std::uint16_t wLanguage = 0;
  std::uint32_t dwScale = 0;
  std::uint32_t dwRate = 0;
  std::uint32_t dwStart = 0;
  std::uint32_t dwLength = 0;  // the writer records the number of samples written
  std::uint32_t dwInitialFrames = 0;
  std::uint32_t dwSuggestedBufferSize = 0;
  std::uint32_t dwQuality = 0;
  std::uint32_t dwSampleSize = 0;
  AviRect rcFrame;
  std::uint32_t dwEditCount = 0;
  std::uint32_t dwFormatChangeCount = 0;
  std::string szName;
};

struct AviFileOptions {
  // Where a RIFF part is closed and the next (AVIX) one begins. Smaller values let tests reach
  // the OpenDML layout with small clips.
  std::uint64_t riffLimit = std::uint64_t{1} << 30;
  // The system calls to go through; null means FileOps::system().
  FileOps* ops = nullptr;
};

// Move-only. Lifecycle as the file reads: open, createStream, setFormat, write each sample,
// finish. Until finish() succeeds, the clip lives in a temporary file beside the target; the
// destructor of an unfinished file closes and removes it, so a failure never leaves a partial
// file and never touches an existing file at the target.
class AviFile {
 public:
  // Throws Error "Could not create file <path>: <reason>" when the temporary file cannot be made.
  static AviFile open(const std::filesystem::path& path, const AviFileOptions& options = {});

  AviFile(AviFile&&) noexcept;
  AviFile& operator=(AviFile&&) noexcept;
  ~AviFile();

  // One stream per file. Throws Error when a stream exists already.
  void createStream(const AviStreamInfo& info);
  // The stream format (for video a BITMAPINFOHEADER with its colour table), set once.
  void setFormat(std::span<const std::uint8_t> format);
  // Appends sample `start`, which must be the number of samples written so far.
  // Throws Error "Could not add frame" when it cannot be stored.
  void write(std::int32_t start, std::span<const std::uint8_t> sample, std::uint32_t flags);
  // Writes the indexes and the final header fields, closes the file and renames it over the
  // target. Throws Error "Could not write file <path>: <reason>" on failure.
  void finish();

 private:
  class Impl;
  explicit AviFile(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace quintorel
