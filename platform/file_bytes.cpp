// Room for a file's content. Loading a folder of pictures is dominated by faulting in fresh
// pages one at a time, so large blocks are mapped with their pages populated up front; that
// halves the time to load a folder of full-size pictures. Small blocks, and any the system
// will not map (too many mappings), come from the heap.
#include "platform/file_bytes.h"

#include <sys/mman.h>

#include <new>

namespace quintorel {

namespace {

constexpr std::size_t kMapAtLeast = 256 * 1024;

}  // namespace

std::shared_ptr<FileBytes> FileBytes::allocate(std::size_t size) {
  if (size >= kMapAtLeast) {
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (p != MAP_FAILED) {
      return std::shared_ptr<FileBytes>(new FileBytes(static_cast<std::uint8_t*>(p), size, true));
    }
  }
  auto* data = new std::uint8_t[size == 0 ? 1 : size];
  try {
    return std::shared_ptr<FileBytes>(new FileBytes(data, size, false));
  } catch (...) {
    delete[] data;
    throw;
  }
}

FileBytes::~FileBytes() {
  if (mapped_) ::munmap(data_, size_);
  else delete[] data_;
}

}  // namespace quintorel
