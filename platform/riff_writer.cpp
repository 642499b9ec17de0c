// RIFF chunk primitives and the buffered output under them.
#include "platform/riff_writer.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>

#include "platform/little_endian.h"

namespace quintorel {
namespace {

// Big enough to gather a whole header or index in one write.
constexpr std::size_t kBufferCapacity = 64 * 1024;
// Payloads from this size on are written straight from the caller's memory; smaller ones are
// cheaper to copy than to give a system call of their own.
constexpr std::size_t kDirectWriteThreshold = 16 * 1024;

}  // namespace

RiffWriter::RiffWriter(ReplacingFile& file) : file_(&file) { buffer_.reserve(kBufferCapacity); }

void RiffWriter::put(std::span<const std::uint8_t> bytes) {
  if (bytes.size() >= kDirectWriteThreshold) {
    flush();
    file_->write(bytes);
    flushed_ += bytes.size();
    return;
  }
  if (buffer_.size() + bytes.size() > kBufferCapacity) flush();
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

void RiffWriter::put8(std::uint8_t value) { put(std::span(&value, 1)); }

void RiffWriter::put16(std::uint16_t value) {
  std::array<std::uint8_t, 2> bytes;
  le::put16(bytes.data(), value);
  put(bytes);
}

void RiffWriter::put32(std::uint32_t value) {
  std::array<std::uint8_t, 4> bytes;
  le::put32(bytes.data(), value);
  put(bytes);
}

void RiffWriter::put64(std::uint64_t value) {
  std::array<std::uint8_t, 8> bytes;
  le::put64(bytes.data(), value);
  put(bytes);
}

void RiffWriter::putZeros(std::size_t count) {
  static constexpr std::array<std::uint8_t, 4096> kZeros{};
  while (count > 0) {
    const std::size_t n = std::min(count, kZeros.size());
    put(std::span(kZeros.data(), n));
    count -= n;
  }
}

std::uint64_t RiffWriter::beginChunk(std::uint32_t id) {
  const std::uint64_t chunk = position();
  putFourcc(id);
  put32(0);  // the size, patched by endChunk()
  return chunk;
}

std::uint64_t RiffWriter::beginList(std::uint32_t id, std::uint32_t type) {
  const std::uint64_t chunk = beginChunk(id);
  putFourcc(type);
  return chunk;
}

void RiffWriter::endChunk(std::uint64_t chunk) {
  const std::uint64_t size = position() - chunk - 8;
  if (size % 2 != 0) put8(0);
  patch32(chunk + 4, static_cast<std::uint32_t>(size));
}

void RiffWriter::putChunk(std::uint32_t id, std::span<const std::uint8_t> payload) {
  putFourcc(id);
  put32(static_cast<std::uint32_t>(payload.size()));
  put(payload);
  if (payload.size() % 2 != 0) put8(0);
}

void RiffWriter::patch(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  assert(offset + bytes.size() <= position());
  if (offset < flushed_) {
    const std::size_t inFile = static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), flushed_ - offset));
    file_->writeAt(offset, bytes.first(inFile));
    bytes = bytes.subspan(inFile);
    offset += inFile;
  }
  if (!bytes.empty()) std::memcpy(buffer_.data() + (offset - flushed_), bytes.data(), bytes.size());
}

void RiffWriter::patch32(std::uint64_t offset, std::uint32_t value) {
  std::array<std::uint8_t, 4> bytes;
  le::put32(bytes.data(), value);
  patch(offset, bytes);
}

void RiffWriter::flush() {
  if (buffer_.empty()) return;
  file_->write(buffer_);
  flushed_ += buffer_.size();
  buffer_.clear();
}

}  // namespace quintorel
