// A picture file that is named rather than held: read again whenever it is wanted, and refused
// once it is no longer the file that was checked when it was added.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

namespace quintorel {

// Room that successive reads reuse, grown to the largest file read so far.
class ReadBuffer {
 public:
  std::uint8_t* reserve(std::size_t size);

 private:
  std::unique_ptr<std::uint8_t[]> data_;
  std::size_t capacity_ = 0;
};

class FileReference {
 public:
  // `status` is the file's as it was checked.
  FileReference(std::filesystem::path path, const struct stat& status);

  // The whole file, read into `buffer`. Throws Error "ﾌｧｲﾙ <name> は開けません" when it cannot
  // be opened, or "Could not decode picture <name>: the file changed after it was added" when
  // another file has taken its name or its size or modification time differ from the checked
  // one's, or it ends early; "ﾒﾓﾘが足りません" when there is no room for it.
  std::span<const std::uint8_t> read(ReadBuffer& buffer, const std::string& name) const;

 private:
  std::filesystem::path path_;
  dev_t device_;
  ino_t inode_;
  off_t size_;
  struct timespec modified_;
};

}  // namespace quintorel
