// Reading a named picture file again, and knowing it for the same file.
#include "platform/file_reference.h"

#include <fcntl.h>

#include <new>
#include <utility>

#include "platform/error.h"
#include "platform/file_descriptor.h"
#include "platform/messages.h"

namespace quintorel {

std::uint8_t* ReadBuffer::reserve(std::size_t size) {
  if (size > capacity_) {
    // The old bytes are not wanted: give them back before asking for more.
    data_.reset();
    capacity_ = 0;
    data_.reset(new std::uint8_t[size]);
    capacity_ = size;
  }
  return data_.get();
}

FileReference::FileReference(std::filesystem::path path, const struct stat& status)
    : path_(std::move(path)), device_(status.st_dev), inode_(status.st_ino), size_(status.st_size),
      modified_(status.st_mtim) {}

std::span<const std::uint8_t> FileReference::read(ReadBuffer& buffer, const std::string& name) const {
  const FileDescriptor file(::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat status {};
  if (!file.valid() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
    throw Error(messages::cannotOpenFile(name));
  }
  // A picture rewritten since it was checked could have another size or none: its frame would
  // not be the one the user added, so it is refused rather than read.
  const auto changed = [&name] {
    return Error("Could not decode picture " + name + ": the file changed after it was added");
  };
  if (status.st_dev != device_ || status.st_ino != inode_ || status.st_size != size_ ||
      status.st_mtim.tv_sec != modified_.tv_sec || status.st_mtim.tv_nsec != modified_.tv_nsec) {
    throw changed();
  }
  const auto size = static_cast<std::size_t>(size_);
  std::uint8_t* data = nullptr;
  try {
    data = buffer.reserve(size);
  } catch (const std::bad_alloc&) {
    throw Error(std::string(messages::kOutOfMemory));
  }
  if (!readFully(file.get(), data, size)) throw changed();
  return {data, size};
}

}  // namespace quintorel
