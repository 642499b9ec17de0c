// The file list filelistbox1: the names of one directory's files, as listFileNames gives them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/list_box.h"

namespace quintorel {

class FileListBox : public ListBox {
  Q_OBJECT
 public:
  explicit FileListBox(QWidget* parent) : ListBox(parent, 12) {}

  // Shows `names`, the files of `directory` that were just read.
  void showNames(const std::filesystem::path& directory, const std::vector<std::string>& names);
  const std::filesystem::path& directory() const { return directory_; }

 private:
  std::filesystem::path directory_;
};

}  // namespace quintorel
