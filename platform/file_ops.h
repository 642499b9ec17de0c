// The system calls under the AVI writer's output file, gathered in one replaceable object so
// that tests can make any one of them fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

namespace quintorel {

// Each call behaves as the POSIX call of the same name: -1 (or a short count) with errno set
// on failure. The default implementation is the system's; a test overrides what it wants to fail.
class FileOps {
 public:
  virtual ~FileOps() = default;
  virtual int open(const char* path, int flags, mode_t mode);
  virtual ssize_t write(int fd, const void* data, std::size_t size);
  virtual ssize_t pwrite(int fd, const void* data, std::size_t size, off_t offset);
  virtual int fsync(int fd);
  // sync_file_range(2) with SYNC_FILE_RANGE_WRITE: starts writing the range to the disk and
  // returns without waiting for it.
  virtual int startWriteback(int fd, off_t offset, off_t size);
  virtual int close(int fd);
  virtual int rename(const char* from, const char* to);
  virtual int unlink(const char* path);

  // The process-wide instance that calls the system.
  static FileOps& system();
};

}  // namespace quintorel
