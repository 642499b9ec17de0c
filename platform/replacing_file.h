// A new file written under a temporary name beside its target and renamed over the target
// only when it is complete.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "platform/file_ops.h"

namespace quintorel {

// Move-only owner of the temporary file. Every failure throws std::system_error carrying the
// errno of the call that failed; the caller turns it into its own message. Interrupted calls
// are retried and short writes continued here, so FileOps stays a plain image of the system.
class ReplacingFile {
 public:
  // Creates ".<name>.XXXXXX.tmp" in the target's directory, exclusively and with mode 0666
  // under the umask, so that the renamed file gets the permissions of any new file.
  ReplacingFile(std::filesystem::path target, FileOps& ops);
  ReplacingFile(ReplacingFile&& other) noexcept;
  ReplacingFile& operator=(ReplacingFile&& other) noexcept;
  // Closes and removes the temporary file unless commit() succeeded; never throws.
  ~ReplacingFile();

  // Appends all of `data` at the current end.
  void write(std::span<const std::uint8_t> data);
  // Overwrites bytes already written, at `offset` from the start.
  void writeAt(std::uint64_t offset, std::span<const std::uint8_t> data);
  // Flushes to the disk, closes and renames over the target. On failure the temporary file is
  // removed and the target left as it was.
  void commit();
  // Closes and removes the temporary file now; the object is finished with.
  void discard() noexcept;

  const std::filesystem::path& target() const { return target_; }
  const std::filesystem::path& temporaryPath() const { return temporary_; }

 private:
  FileOps* ops_;
  std::filesystem::path target_;
  std::filesystem::path temporary_;
  int fd_ = -1;
  bool present_ = false;  // the temporary file exists and is ours to remove
  std::uint64_t end_ = 0;           // bytes appended so far
  std::uint64_t handedToDisk_ = 0;  // of those, how many the disk has been told to write
};

}  // namespace quintorel
