// A file list showing one file, current, so that a file named on the command line is added
// exactly as a double-click in the file list adds it.
#pragma once

#include <filesystem>
#include <string>

#include "composition/name_list.h"
#include "platform/error.h"
#include "platform/messages.h"

namespace quintorel::cli {

class SingleFileList final : public NameList {
 public:
  explicit SingleFileList(const std::filesystem::path& file)
      : directory_(file.has_parent_path() ? file.parent_path() : std::filesystem::path(".")),
        name_(file.filename().string()) {}

  int count() const override { return 1; }
  std::string text(int index) const override {
    if (index != 0) throw Error(std::string(messages::kListIndex));
    return name_;
  }
  int itemIndex() const override { return 0; }
  std::filesystem::path directory() const override { return directory_; }

 private:
  std::filesystem::path directory_;
  std::string name_;
};

}  // namespace quintorel::cli
