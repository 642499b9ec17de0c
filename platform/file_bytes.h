// A block of bytes that holds a whole file's content, shared by every copy of a picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace quintorel {

class FileBytes {
 public:
  // Uninitialised room for `size` bytes. Throws std::bad_alloc when there is none.
  static std::shared_ptr<FileBytes> allocate(std::size_t size);

  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;
  ~FileBytes();

  std::span<std::uint8_t> bytes() { return {data_, size_}; }
  std::span<const std::uint8_t> bytes() const { return {data_, size_}; }

 private:
  FileBytes(std::uint8_t* data, std::size_t size, bool mapped)
      : data_(data), size_(size), mapped_(mapped) {}

  std::uint8_t* data_;
  std::size_t size_;
  bool mapped_;  // from mmap (given back with munmap), else from new[]
};

}  // namespace quintorel
