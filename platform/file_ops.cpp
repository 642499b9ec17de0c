// The system's own file calls behind FileOps.
#include "platform/file_ops.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace quintorel {

int FileOps::open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

ssize_t FileOps::write(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }

ssize_t FileOps::pwrite(int fd, const void* data, std::size_t size, off_t offset) {
  return ::pwrite(fd, data, size, offset);
}

int FileOps::fsync(int fd) { return ::fsync(fd); }
int FileOps::startWriteback(int fd, off_t offset, off_t size) {
  return ::sync_file_range(fd, offset, size, SYNC_FILE_RANGE_WRITE);
}

int FileOps::close(int fd) { return ::close(fd); }

int FileOps::rename(const char* from, const char* to) { return std::rename(from, to); }

int FileOps::unlink(const char* path) { return ::unlink(path); }

FileOps& FileOps::system() {
  static FileOps ops;
  return ops;
}

}  // namespace quintorel
