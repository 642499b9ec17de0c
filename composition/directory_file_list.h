// A file list over one directory, read once when it is made, as the file list reads its
// directory when the directory changes and not when the directory's content does.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "composition/name_list.h"

namespace quintorel {

class DirectoryFileList final : public NameList {
 public:
  explicit DirectoryFileList(std::filesystem::path directory);

  int count() const override { return static_cast<int>(names_.size()); }
  std::string text(int index) const override;
  int itemIndex() const override { return current_; }
  std::filesystem::path directory() const override { return directory_; }

  // Makes `index` the current item; -1 for none.
  void setItemIndex(int index) { current_ = index; }

 private:
  std::filesystem::path directory_;
  std::vector<std::string> names_;
  int current_ = -1;
};

}  // namespace quintorel
