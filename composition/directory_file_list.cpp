// A file list over one directory.
#include "composition/directory_file_list.h"

#include <utility>

#include "composition/file_listing.h"
#include "platform/error.h"
#include "platform/messages.h"

namespace quintorel {

DirectoryFileList::DirectoryFileList(std::filesystem::path directory)
    : directory_(std::move(directory)), names_(listFileNames(directory_)) {}

std::string DirectoryFileList::text(int index) const {
  if (index < 0 || index >= count()) throw Error(std::string(messages::kListIndex));
  return names_[static_cast<std::size_t>(index)];
}

}  // namespace quintorel
