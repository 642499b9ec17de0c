// The temporary file beside the target: exclusive creation, complete writes, commit by rename.
#include "platform/replacing_file.h"

#include <fcntl.h>

#include <cerrno>
#include <random>
#include <string>
#include <system_error>
#include <utility>

namespace quintorel {
namespace {

[[noreturn]] void throwErrno(int error) { throw std::system_error(error, std::generic_category()); }

// Hands `data` to `call` (a write of what is left, returning its count) until all of it is
// taken: interrupted calls are retried and short ones continued.
template <typename Call>
void writeAll(std::span<const std::uint8_t> data, Call call) {
  while (!data.empty()) {
    const ssize_t n = call(data);
    if (n < 0) {
      if (errno == EINTR) continue;
      throwErrno(errno);
    }
    // A regular file that takes nothing will take nothing on a retry either.
    if (n == 0) throwErrno(ENOSPC);
    data = data.subspan(static_cast<std::size_t>(n));
  }
}

// Six letters or digits, different for every call even within one process.
std::string uniqueSuffix() {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::mt19937_64 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  std::string suffix(6, '\0');
  for (char& c : suffix) c = kAlphabet[pick(generator)];
  return suffix;
}

// Keeps the temporary name within the usual 255-byte limit of one name even when the
// target's own name is near it.
constexpr std::size_t kMaxStemBytes = 200;

// A clip is flushed to the disk before it replaces the target. Handing the disk each stretch as
// soon as it is written lets that happen while later frames are still being made, instead of
// all of it at the end.
constexpr std::uint64_t kWritebackStretch = 8 << 20;

}  // namespace

ReplacingFile::ReplacingFile(std::filesystem::path target, FileOps& ops)
    : ops_(&ops), target_(std::move(target)) {
  std::string stem = target_.filename().string().substr(0, kMaxStemBytes);
  // A clash with a leftover of another writer is possible, if unlikely: draw another name.
  constexpr int kAttempts = 100;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::filesystem::path candidate = target_.parent_path() / ("." + stem + "." + uniqueSuffix() + ".tmp");
    int fd;
    do {
      fd = ops_->open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
      fd_ = fd;
      temporary_ = std::move(candidate);
      present_ = true;
      return;
    }
    if (errno != EEXIST) throwErrno(errno);
  }
  throwErrno(EEXIST);
}

ReplacingFile::ReplacingFile(ReplacingFile&& other) noexcept
    : ops_(other.ops_),
      target_(std::move(other.target_)),
      temporary_(std::move(other.temporary_)),
      fd_(std::exchange(other.fd_, -1)),
      present_(std::exchange(other.present_, false)),
      end_(other.end_),
      handedToDisk_(other.handedToDisk_) {}

ReplacingFile& ReplacingFile::operator=(ReplacingFile&& other) noexcept {
  if (this != &other) {
    discard();
    ops_ = other.ops_;
    target_ = std::move(other.target_);
    temporary_ = std::move(other.temporary_);
    fd_ = std::exchange(other.fd_, -1);
    present_ = std::exchange(other.present_, false);
    end_ = other.end_;
    handedToDisk_ = other.handedToDisk_;
  }
  return *this;
}

ReplacingFile::~ReplacingFile() { discard(); }

void ReplacingFile::write(std::span<const std::uint8_t> data) {
  if (fd_ < 0) throwErrno(EBADF);
  writeAll(data, [this](std::span<const std::uint8_t> rest) {
    const ssize_t n = ops_->write(fd_, rest.data(), rest.size());
    if (n > 0) end_ += static_cast<std::uint64_t>(n);
    return n;
  });
  if (end_ - handedToDisk_ >= kWritebackStretch) {
    // Only a head start: whatever fails here, the flush before the rename reports.
    ops_->startWriteback(fd_, static_cast<off_t>(handedToDisk_), static_cast<off_t>(end_ - handedToDisk_));
    handedToDisk_ = end_;
  }
}

void ReplacingFile::writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) {
  if (fd_ < 0) throwErrno(EBADF);
  writeAll(data, [this, &offset](std::span<const std::uint8_t> rest) {
    const ssize_t n = ops_->pwrite(fd_, rest.data(), rest.size(), static_cast<off_t>(offset));
    if (n > 0) offset += static_cast<std::uint64_t>(n);
    return n;
  });
}

void ReplacingFile::commit() {
  if (fd_ < 0) throwErrno(EBADF);
  int result;
  do {
    result = ops_->fsync(fd_);
  } while (result < 0 && errno == EINTR);
  if (result < 0) {
    const int error = errno;
    discard();
    throwErrno(error);
  }
  // The descriptor is gone after close() whatever it reports, and an interrupted close has
  // still released it on Linux: only a real error counts.
  result = ops_->close(std::exchange(fd_, -1));
  if (result < 0 && errno != EINTR) {
    const int error = errno;
    discard();
    throwErrno(error);
  }
  do {
    result = ops_->rename(temporary_.c_str(), target_.c_str());
  } while (result < 0 && errno == EINTR);
  if (result < 0) {
    const int error = errno;
    discard();
    throwErrno(error);
  }
  present_ = false;
}

void ReplacingFile::discard() noexcept {
  const int savedErrno = errno;
  if (fd_ >= 0) ops_->close(std::exchange(fd_, -1));
  if (present_) {
    ops_->unlink(temporary_.c_str());
    present_ = false;
  }
  errno = savedErrno;
}

}  // namespace quintorel
