// A small RIFF walker for asserting the structure of the AVI files we write, and the three
// ways a reader finds the samples in them: the 'movi' chunks, idx1 and the OpenDML indexes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quintorel::test {

struct RiffChunk {
  std::uint32_t id = 0;
  std::uint32_t type = 0;    // the list type of a RIFF or LIST chunk, 0 for others
  std::uint64_t offset = 0;  // of the fourcc, from the start of the file
  std::uint32_t size = 0;    // as stored: the pad byte not counted
  std::vector<RiffChunk> children;

  bool isList() const { return type != 0; }
  // Where the content starts: past the list type for lists.
  std::uint64_t data() const { return offset + (isList() ? 12 : 8); }
  // The first child with `id` (and list type `type` when given), or null.
  const RiffChunk* find(std::uint32_t id, std::uint32_t type = 0) const;
  std::vector<const RiffChunk*> findAll(std::uint32_t id) const;
};

// Parses the whole file into its top-level chunks. Throws std::runtime_error when a chunk
// overruns its parent or the file, or when a pad byte is missing.
std::vector<RiffChunk> parseRiff(std::span<const std::uint8_t> file);

// "vids" for streamtypeVIDEO; for messages.
std::string fourccText(std::uint32_t fourcc);

// Little-endian fields of the file.
std::uint16_t field16(std::span<const std::uint8_t> file, std::uint64_t offset);
std::uint32_t field32(std::span<const std::uint8_t> file, std::uint64_t offset);
std::uint64_t field64(std::span<const std::uint8_t> file, std::uint64_t offset);

struct FoundSample {
  std::vector<std::uint8_t> bytes;
  bool keyFrame = false;
};

// The '00db' chunks of every 'movi' list, in file order.
std::vector<FoundSample> samplesInMovi(std::span<const std::uint8_t> file,
                                       const std::vector<RiffChunk>& chunks);
// The samples that idx1 lists, its offsets taken from the first 'movi' fourcc.
std::vector<FoundSample> samplesThroughIdx1(std::span<const std::uint8_t> file,
                                            const std::vector<RiffChunk>& chunks);
// The samples that the super index reaches through each part's standard index.
std::vector<FoundSample> samplesThroughSuperIndex(std::span<const std::uint8_t> file,
                                                  const std::vector<RiffChunk>& chunks);

// FNV-1a, 64 bits: a fingerprint for golden files.
std::uint64_t fnv1a(std::span<const std::uint8_t> bytes);

}  // namespace quintorel::test
