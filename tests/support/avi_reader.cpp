// Walking RIFF chunks and following AVI indexes, independently of the writer's code.
#include "tests/support/avi_reader.h"

#include <stdexcept>

namespace quintorel::test {
namespace {

constexpr std::uint32_t id(const char (&text)[5]) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[0])) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[1])) << 8) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[2])) << 16) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[3])) << 24);
}

void parseInto(std::span<const std::uint8_t> file, std::uint64_t begin, std::uint64_t end,
               std::vector<RiffChunk>& out) {
  std::uint64_t at = begin;
  while (at < end) {
    if (at % 2 != 0) throw std::runtime_error("chunk at odd offset " + std::to_string(at));
    if (end - at < 8) throw std::runtime_error("truncated chunk header at " + std::to_string(at));
    RiffChunk chunk;
    chunk.id = field32(file, at);
    chunk.size = field32(file, at + 4);
    chunk.offset = at;
    const std::uint64_t next = at + 8 + chunk.size + chunk.size % 2;
    if (next > end) {
      throw std::runtime_error(fourccText(chunk.id) + " at " + std::to_string(at) + " overruns its parent");
    }
    if (chunk.id == id("RIFF") || chunk.id == id("LIST")) {
      if (chunk.size < 4) throw std::runtime_error("list without a type at " + std::to_string(at));
      chunk.type = field32(file, at + 8);
      parseInto(file, at + 12, at + 8 + chunk.size, chunk.children);
    }
    out.push_back(std::move(chunk));
    at = next;
  }
}

const RiffChunk& need(const RiffChunk* chunk, const char* what) {
  if (!chunk) throw std::runtime_error(std::string("no ") + what);
  return *chunk;
}

FoundSample sampleAt(std::span<const std::uint8_t> file, std::uint64_t data, std::uint32_t size,
                     bool keyFrame) {
  if (data + size > file.size()) throw std::runtime_error("index points past the end");
  FoundSample sample;
  sample.bytes.assign(file.begin() + static_cast<std::ptrdiff_t>(data),
                      file.begin() + static_cast<std::ptrdiff_t>(data + size));
  sample.keyFrame = keyFrame;
  return sample;
}

}  // namespace

const RiffChunk* RiffChunk::find(std::uint32_t wanted, std::uint32_t wantedType) const {
  for (const RiffChunk& child : children) {
    if (child.id == wanted && (wantedType == 0 || child.type == wantedType)) return &child;
  }
  return nullptr;
}

std::vector<const RiffChunk*> RiffChunk::findAll(std::uint32_t wanted) const {
  std::vector<const RiffChunk*> found;
  for (const RiffChunk& child : children) {
    if (child.id == wanted) found.push_back(&child);
  }
  return found;
}

std::vector<RiffChunk> parseRiff(std::span<const std::uint8_t> file) {
  std::vector<RiffChunk> chunks;
  parseInto(file, 0, file.size(), chunks);
  return chunks;
}

std::string fourccText(std::uint32_t fourcc) {
  std::string text;
  for (int i = 0; i < 4; ++i) text += static_cast<char>((fourcc >> (8 * i)) & 0xFF);
  return text;
}

std::uint16_t field16(std::span<const std::uint8_t> file, std::uint64_t offset) {
  if (offset + 2 > file.size()) throw std::runtime_error("field past the end");
  return static_cast<std::uint16_t>(file[offset] | (file[offset + 1] << 8));
}

std::uint32_t field32(std::span<const std::uint8_t> file, std::uint64_t offset) {
  return field16(file, offset) | (static_cast<std::uint32_t>(field16(file, offset + 2)) << 16);
}

std::uint64_t field64(std::span<const std::uint8_t> file, std::uint64_t offset) {
  return field32(file, offset) | (static_cast<std::uint64_t>(field32(file, offset + 4)) << 32);
}

std::vector<FoundSample> samplesInMovi(std::span<const std::uint8_t> file,
                                       const std::vector<RiffChunk>& chunks) {
  std::vector<FoundSample> samples;
  for (const RiffChunk& riff : chunks) {
    for (const RiffChunk& list : riff.children) {
      if (list.id != id("LIST") || list.type != id("movi")) continue;
      for (const RiffChunk& chunk : list.children) {
        if (chunk.id == id("00db")) samples.push_back(sampleAt(file, chunk.offset + 8, chunk.size, true));
      }
    }
  }
  return samples;
}

std::vector<FoundSample> samplesThroughIdx1(std::span<const std::uint8_t> file,
                                            const std::vector<RiffChunk>& chunks) {
  const RiffChunk& riff = need(chunks.empty() ? nullptr : &chunks.front(), "RIFF");
  const RiffChunk& movi = need(riff.find(id("LIST"), id("movi")), "movi");
  const RiffChunk& idx1 = need(riff.find(id("idx1")), "idx1");
  const std::uint64_t base = movi.offset + 8;
  std::vector<FoundSample> samples;
  for (std::uint64_t at = idx1.data(); at < idx1.data() + idx1.size; at += 16) {
    const std::uint64_t chunk = base + field32(file, at + 8);
    const std::uint32_t size = field32(file, at + 12);
    if (field32(file, chunk) != field32(file, at)) throw std::runtime_error("idx1 entry misses its chunk");
    if (field32(file, chunk + 4) != size) throw std::runtime_error("idx1 size differs from the chunk's");
    samples.push_back(sampleAt(file, chunk + 8, size, (field32(file, at + 4) & 0x10) != 0));
  }
  return samples;
}

std::vector<FoundSample> samplesThroughSuperIndex(std::span<const std::uint8_t> file,
                                                  const std::vector<RiffChunk>& chunks) {
  const RiffChunk& riff = need(chunks.empty() ? nullptr : &chunks.front(), "RIFF");
  const RiffChunk& hdrl = need(riff.find(id("LIST"), id("hdrl")), "hdrl");
  const RiffChunk& strl = need(hdrl.find(id("LIST"), id("strl")), "strl");
  const RiffChunk& indx = need(strl.find(id("indx")), "indx");
  const std::uint64_t p = indx.data();
  if (field16(file, p) != 4 || file[p + 3] != 0x00) throw std::runtime_error("indx is no index of indexes");
  const std::uint32_t parts = field32(file, p + 4);
  std::vector<FoundSample> samples;
  for (std::uint32_t i = 0; i < parts; ++i) {
    const std::uint64_t entry = p + 24 + 16 * std::uint64_t{i};
    const std::uint64_t ix = field64(file, entry);
    if (field32(file, ix) != id("ix00")) throw std::runtime_error("super index entry misses its ix00");
    if (field32(file, entry + 8) != field32(file, ix + 4) + 8) throw std::runtime_error("super index size differs");
    const std::uint64_t q = ix + 8;
    if (field16(file, q) != 2 || file[q + 3] != 0x01) throw std::runtime_error("ix00 is no index of chunks");
    const std::uint32_t count = field32(file, q + 4);
    if (count != field32(file, entry + 12)) throw std::runtime_error("super index duration differs");
    const std::uint64_t base = field64(file, q + 12);
    for (std::uint32_t j = 0; j < count; ++j) {
      const std::uint64_t data = base + field32(file, q + 24 + 8 * std::uint64_t{j});
      const std::uint32_t sizeField = field32(file, q + 28 + 8 * std::uint64_t{j});
      const std::uint32_t size = sizeField & 0x7FFFFFFF;
      if (field32(file, data - 8) != field32(file, indx.data() + 8) || field32(file, data - 4) != size) {
        throw std::runtime_error("ix00 entry misses its chunk");
      }
      samples.push_back(sampleAt(file, data, size, (sizeField & 0x80000000) == 0));
    }
  }
  return samples;
}

std::uint64_t fnv1a(std::span<const std::uint8_t> bytes) {
  std::uint64_t hash = 0xcbf29ce484222325;
  for (std::uint8_t b : bytes) {
    hash ^= b;
    hash *= 0x100000001b3;
  }
  return hash;
}

}  // namespace quintorel::test
