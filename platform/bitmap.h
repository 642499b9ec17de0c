// The bitmap object: the whole content of a BMP file as read when it was loaded, turned into
// pixels only when it is drawn or converted; or, for a program that uses each picture once in
// a run, the checked file itself, read again when the picture is wanted.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/bmp_decoder.h"
#include "platform/device_bitmap.h"
#include "platform/file_bytes.h"
#include "platform/file_reference.h"

namespace quintorel {

// Whether loading keeps the file's whole content, or only checks the file and names it.
enum class Loading {
  // The picture stays as it was read, whatever becomes of the file: what a list the user
  // edits for as long as the window is open needs.
  Whole,
  // Memory holds no picture: each decoding reads the file again, and refuses it if it has
  // changed since it was checked. For a batch run, which decodes each picture in turn.
  OnUse,
};

class Bitmap {
 public:
  // An empty picture, 0 x 0 pixels, as a zero-length file yields.
  Bitmap() = default;

  // Loads the file `name` in `directory`. Accepts an empty file, or one that starts with "BM"
  // and has an info header of 12 or 40 bytes; anything else throws Error with the system's
  // message ("ﾌｧｲﾙ %s は開けません" naming `name`, "ｽﾄﾘｰﾑからの読み込みｴﾗｰ",
  // "ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です"). The file is read once and closed on every way out; with
  // Loading::OnUse only its headers are read now.
  static Bitmap loadFromFile(const std::filesystem::path& directory, const std::string& name,
                             Loading loading = Loading::Whole);

  // The same checks on a whole file's bytes already in memory; `name` is used in messages.
  static Bitmap loadFromBytes(std::span<const std::uint8_t> file, const std::string& name);

  // Copies share the content: a copy costs no pixels.
  Bitmap(const Bitmap&) = default;
  Bitmap& operator=(const Bitmap&) = default;
  Bitmap(Bitmap&&) noexcept = default;
  Bitmap& operator=(Bitmap&&) noexcept = default;

  // True for the picture of a zero-length file.
  bool empty() const { return !content_ && !file_; }
  // The name given when loading, for messages.
  const std::string& name() const { return name_; }
  // Bytes of the file behind the 14-byte file header; empty for an empty picture and for one
  // loaded on use.
  std::span<const std::uint8_t> content() const;

  // Width and height (height made positive) as the info header states them, without decoding.
  // 0 x 0 for an empty picture.
  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }

  // Decodes the content into `out` (its storage is reused). Throws Error naming the file when
  // the picture is empty, cut short, of an unsupported format or too large to decode, and for
  // a picture loaded on use when its file cannot be opened or has changed. Never reads outside
  // the content. Pictures loaded on use may be decoded on several threads at once.
  void decodeInto(DeviceBitmap& out) const;
  // The same, a picture loaded on use being read into `buffer`, which may then be reused.
  // Only the rows of `rows` need be filled (see decodeBmp()).
  void decodeInto(DeviceBitmap& out, ReadBuffer& buffer, RowSelection rows = {}) const;

 private:
  std::shared_ptr<const FileBytes> content_;  // the whole file, shared by copies
  std::shared_ptr<const FileReference> file_;  // instead, the file loaded on use
  std::string name_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
};

}  // namespace quintorel
