// What the add operations need of the file list: its names, its current item and the
// directory whose files it lists.
#pragma once

#include <filesystem>
#include <string>

namespace quintorel {

class NameList {
 public:
  virtual ~NameList() = default;
  virtual int count() const = 0;
  // Throws Error with the list-index message outside 0 .. count() - 1.
  virtual std::string text(int index) const = 0;
  // The current item, or -1 when there is none.
  virtual int itemIndex() const = 0;
  // The directory the names are opened in.
  virtual std::filesystem::path directory() const = 0;
};

}  // namespace quintorel
