// Entering a directory for the file browser.
#include "app/directory_contents.h"

#include <algorithm>
#include <system_error>

#include "composition/file_listing.h"
#include "platform/error.h"

namespace quintorel {

namespace {

std::vector<std::string> listSubdirectories(const std::filesystem::path& directory) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator it(directory, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    const std::string name = it->path().filename().string();
    std::error_code statError;
    if (name.empty() || name.front() == '.' || !it->is_directory(statError)) continue;
    names.push_back(name);
  }
  if (error) throw Error("Could not read directory " + directory.string() + ": " + error.message());
  std::sort(names.begin(), names.end(), fileNameLess);
  return names;
}

}  // namespace

DirectoryContents enterDirectory(const std::filesystem::path& directory) {
  DirectoryContents contents;
  contents.directory = std::filesystem::absolute(directory).lexically_normal();
  if (contents.directory.has_relative_path() && !contents.directory.has_filename())
    contents.directory = contents.directory.parent_path();  // "/a/b/" names the same as "/a/b"
  contents.files = listFileNames(contents.directory);
  contents.subdirectories = listSubdirectories(contents.directory);
  std::error_code error;
  std::filesystem::current_path(contents.directory, error);
  if (error) {
    throw Error("Could not change to directory " + contents.directory.string() + ": " +
                error.message());
  }
  return contents;
}

}  // namespace quintorel
