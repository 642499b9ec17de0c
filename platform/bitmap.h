// The bitmap object: the whole content of a BMP file as read when it was loaded, turned into
// pixels only when it is drawn or converted.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/device_bitmap.h"
#include "platform/file_bytes.h"

namespace quintorel {

class Bitmap {
 public:
  // An empty picture, 0 x 0 pixels, as a zero-length file yields.
  Bitmap() = default;

  // Loads the file `name` in `directory`. Accepts an empty file, or one that starts with "BM"
  // and has an info header of 12 or 40 bytes; anything else throws Error with the system's
  // message ("ﾌｧｲﾙ %s は開けません" naming `name`, "ｽﾄﾘｰﾑからの読み込みｴﾗｰ",
  // "ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です"). The file is read once and closed on every way out.
  static Bitmap loadFromFile(const std::filesystem::path& directory, const std::string& name);

  // The same checks on a whole file's bytes already in memory; `name` is used in messages.
  static Bitmap loadFromBytes(std::span<const std::uint8_t> file, const std::string& name);

  // Copies share the content: a copy costs no pixels.
  Bitmap(const Bitmap&) = default;
  Bitmap& operator=(const Bitmap&) = default;
  Bitmap(Bitmap&&) noexcept = default;
  Bitmap& operator=(Bitmap&&) noexcept = default;

  // True for the picture of a zero-length file.
  bool empty() const { return !content_; }
  // The name given when loading, for messages.
  const std::string& name() const { return name_; }
  // Bytes of the file behind the 14-byte file header; empty for an empty picture.
  std::span<const std::uint8_t> content() const;

  // Width and height (height made positive) as the info header states them, without decoding.
  // 0 x 0 for an empty picture.
  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }

  // Decodes the content into `out` (its storage is reused). Throws Error naming the file when
  // the picture is empty, cut short, of an unsupported format or too large to decode. Never
  // reads outside the content.
  void decodeInto(DeviceBitmap& out) const;

 private:
  std::shared_ptr<const FileBytes> content_;  // the whole file, shared by copies
  std::string name_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
};

}  // namespace quintorel
