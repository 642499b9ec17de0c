// Entering a directory for the file browser: reading what the directory list and the file
// list show, and making it the process's current directory.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quintorel {

struct DirectoryContents {
  std::filesystem::path directory;          // absolute, without "." or ".." steps
  std::vector<std::string> subdirectories;  // not hidden, sorted as the file list sorts
  std::vector<std::string> files;           // what the file list shows (listFileNames)
};

// Reads `directory` and then makes it the current directory. Throws Error, with nothing
// changed, when it cannot be read or entered.
[[nodiscard]] DirectoryContents enterDirectory(const std::filesystem::path& directory);

}  // namespace quintorel
