// The file list filelistbox1.
#include "app/file_list_box.h"

namespace quintorel {

void FileListBox::showNames(const std::filesystem::path& directory,
                            const std::vector<std::string>& names) {
  clear();
  for (const std::string& name : names) appendName(name);
  directory_ = directory;
}

}  // namespace quintorel
