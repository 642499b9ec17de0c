// The directory list DirectoryListBox1: the path from the root down to the directory it
// shows, then that directory's subdirectories. Opening an entry makes it the directory.
#pragma once

#include <filesystem>

#include "app/list_box.h"

namespace quintorel {

class FileListBox;

class DirectoryListBox : public ListBox {
  Q_OBJECT
 public:
  explicit DirectoryListBox(QWidget* parent);

  // The file list that shows the files of this list's directory (the link the form makes).
  void setFileList(FileListBox* fileList) { fileList_ = fileList; }

  // Reads `directory`, makes it the current directory and shows it here and in the file
  // list. Throws Error, leaving both lists and the current directory alone, when it cannot
  // be read or entered.
  void setDirectory(const std::filesystem::path& directory);
  const std::filesystem::path& directory() const { return directory_; }

 signals:
  void directoryChanged(const QString& directory);

 private:
  // Double-click or Enter: the selected entry becomes the directory; an error is shown.
  void openSelected();

  FileListBox* fileList_ = nullptr;
  std::filesystem::path directory_;
};

}  // namespace quintorel
