// RIFF chunks on top of a ReplacingFile: opened with a placeholder size, closed with the pad
// byte and the size patched in, plus a small write buffer for the many little header fields.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/replacing_file.h"

namespace quintorel {

// Offsets are bytes from the start of the file. Failures throw std::system_error (see
// ReplacingFile); after one the writer's content is undefined and the file should be discarded.
class RiffWriter {
 public:
  explicit RiffWriter(ReplacingFile& file);

  // Where the next byte goes.
  [[nodiscard]] std::uint64_t position() const { return flushed_ + buffer_.size(); }

  void put8(std::uint8_t value);
  void put16(std::uint16_t value);
  void put32(std::uint32_t value);
  void put64(std::uint64_t value);
  void putFourcc(std::uint32_t value) { put32(value); }
  void putZeros(std::size_t count);
  void put(std::span<const std::uint8_t> bytes);

  // Writes the fourcc and a placeholder size; returns the chunk's offset for endChunk().
  [[nodiscard]] std::uint64_t beginChunk(std::uint32_t id);
  // Writes "RIFF" or "LIST" with a placeholder size and the list's type.
  [[nodiscard]] std::uint64_t beginList(std::uint32_t id, std::uint32_t type);
  // Pads the chunk to an even length and patches its size (the pad byte not counted).
  void endChunk(std::uint64_t chunk);
  // A whole chunk whose payload is known: header, payload and pad. Large payloads go to the
  // file as they are, without a copy.
  void putChunk(std::uint32_t id, std::span<const std::uint8_t> payload);

  // Overwrites bytes written earlier, whether still buffered or already in the file.
  void patch(std::uint64_t offset, std::span<const std::uint8_t> bytes);
  void patch32(std::uint64_t offset, std::uint32_t value);

  // Hands everything buffered to the file.
  void flush();

 private:
  ReplacingFile* file_;
  std::vector<std::uint8_t> buffer_;  // bytes from offset flushed_ on, not yet written
  std::uint64_t flushed_ = 0;         // bytes already handed to the file
};

}  // namespace quintorel
