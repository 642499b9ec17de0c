// The bitmap object: loading a BMP file's content once, with the checks adding makes, and
// decoding it on request.
#include "platform/bitmap.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <new>

#include "platform/bmp_decoder.h"
#include "platform/error.h"
#include "platform/file_descriptor.h"
#include "platform/little_endian.h"
#include "platform/messages.h"

namespace quintorel {

namespace {

void checkSignature(std::span<const std::uint8_t> fileHeader) {
  if (le::get16(fileHeader.data()) != 0x4D42) throw Error(std::string(messages::kInvalidBitmap));
}

void checkInfoHeaderSize(std::span<const std::uint8_t> content) {
  if (content.size() < 4) throw Error(std::string(messages::kInvalidBitmap));
  const std::uint32_t size = le::get32(content.data());
  if (size != kBmpCoreHeaderSize && size != kBmpInfoHeaderSize) {
    throw Error(std::string(messages::kInvalidBitmap));
  }
}

}  // namespace

// content_ holds the whole file, its 14-byte file header included: decoding needs the file
// header's bfOffBits to find the rows. content() shows only what follows that header.
std::span<const std::uint8_t> Bitmap::content() const {
  if (!content_) return {};
  return content_->bytes().subspan(kBmpFileHeaderSize);
}

Bitmap Bitmap::loadFromFile(const std::filesystem::path& directory, const std::string& name,
                            Loading loading) {
  const std::filesystem::path path = directory / name;
  // O_NONBLOCK only keeps a named pipe from blocking the open; it is refused below.
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat status {};
  // A directory, a pipe or a device is not a file that can be opened as a picture.
  if (!file.valid() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
    throw Error(messages::cannotOpenFile(name));
  }

  Bitmap bitmap;
  bitmap.name_ = name;
  if (status.st_size == 0) return bitmap;

  // The file header comes first on its own, so a large file that is no BMP is never read whole.
  std::array<std::uint8_t, kBmpFileHeaderSize> fileHeader{};
  if (!readFully(file.get(), fileHeader.data(), fileHeader.size())) {
    throw Error(std::string(messages::kStreamRead));
  }
  checkSignature(fileHeader);

  const auto length = static_cast<std::uint64_t>(status.st_size);
  if (loading == Loading::OnUse) {
    // The checks need no more than the info header's first fields.
    std::array<std::uint8_t, kBmpInfoHeaderSize> head{};
    const auto wanted = static_cast<std::size_t>(
        std::min<std::uint64_t>(length - kBmpFileHeaderSize, head.size()));
    if (!readFully(file.get(), head.data(), wanted)) throw Error(std::string(messages::kStreamRead));
    const std::span<const std::uint8_t> start(head.data(), wanted);
    checkInfoHeaderSize(start);
    const BmpDimensions dimensions = readBmpDimensions(start);
    bitmap.width_ = dimensions.width;
    bitmap.height_ = dimensions.height;
    bitmap.file_ = std::make_shared<const FileReference>(path, status);
    return bitmap;
  }

  std::shared_ptr<FileBytes> whole;
  try {
    if (length > SIZE_MAX / 2) throw std::bad_alloc();
    whole = FileBytes::allocate(static_cast<std::size_t>(length));
  } catch (const std::bad_alloc&) {
    throw Error(std::string(messages::kOutOfMemory));
  }
  const std::span<std::uint8_t> bytes = whole->bytes();
  std::copy(fileHeader.begin(), fileHeader.end(), bytes.begin());
  if (!readFully(file.get(), bytes.data() + kBmpFileHeaderSize, bytes.size() - kBmpFileHeaderSize)) {
    throw Error(std::string(messages::kStreamRead));
  }
  const std::span<const std::uint8_t> content = bytes.subspan(kBmpFileHeaderSize);
  checkInfoHeaderSize(content);

  const BmpDimensions dimensions = readBmpDimensions(content);
  bitmap.width_ = dimensions.width;
  bitmap.height_ = dimensions.height;
  bitmap.content_ = std::move(whole);
  return bitmap;
}

Bitmap Bitmap::loadFromBytes(std::span<const std::uint8_t> file, const std::string& name) {
  Bitmap bitmap;
  bitmap.name_ = name;
  if (file.empty()) return bitmap;
  if (file.size() < kBmpFileHeaderSize) throw Error(std::string(messages::kStreamRead));
  checkSignature(file);
  const std::span<const std::uint8_t> content = file.subspan(kBmpFileHeaderSize);
  checkInfoHeaderSize(content);

  const BmpDimensions dimensions = readBmpDimensions(content);
  bitmap.width_ = dimensions.width;
  bitmap.height_ = dimensions.height;
  try {
    auto whole = FileBytes::allocate(file.size());
    std::copy(file.begin(), file.end(), whole->bytes().begin());
    bitmap.content_ = std::move(whole);
  } catch (const std::bad_alloc&) {
    throw Error(std::string(messages::kOutOfMemory));
  }
  return bitmap;
}

void Bitmap::decodeInto(DeviceBitmap& out) const {
  // Each thread reads into room of its own, kept for the next picture: fresh memory for every
  // frame would cost more than reading it.
  thread_local ReadBuffer buffer;
  decodeInto(out, buffer);
}

void Bitmap::decodeInto(DeviceBitmap& out, ReadBuffer& buffer, RowSelection rows) const {
  if (file_) {
    decodeBmp(file_->read(buffer, name_), name_, out, rows);
    return;
  }
  // An empty picture has no bytes: the decoder refuses it as it refuses every failure.
  decodeBmp(content_ ? content_->bytes() : std::span<const std::uint8_t>(), name_, out, rows);
}

}  // namespace quintorel
