// The names of the file list filelistbox1, as the add operations read them.
#pragma once

#include "app/file_list_box.h"
#include "composition/name_list.h"

namespace quintorel {

class ListBoxNames final : public NameList {
 public:
  explicit ListBoxNames(const FileListBox& box) : box_(box) {}

  int count() const override { return box_.count(); }
  std::string text(int index) const override;
  int itemIndex() const override { return box_.itemIndex(); }
  std::filesystem::path directory() const override { return box_.directory(); }

 private:
  const FileListBox& box_;
};

}  // namespace quintorel
