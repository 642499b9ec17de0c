// Entering a directory for the file browser.
#include "app/directory_contents.h"

#include <system_error>

#include "composition/file_listing.h"
#include "platform/error.h"

namespace quintorel {

DirectoryContents enterDirectory(const std::filesystem::path& directory) {
  DirectoryContents contents;
  contents.directory = std::filesystem::absolute(directory).lexically_normal();
  if (contents.directory.has_relative_path() && !contents.directory.has_filename())
    contents.directory = contents.directory.parent_path();  // "/a/b/" names the same as "/a/b"
  contents.files = listFileNames(contents.directory);
  contents.subdirectories = listSubdirectoryNames(contents.directory);
  std::error_code error;
  std::filesystem::current_path(contents.directory, error);
  if (error) {
    throw Error("Could not change to directory " + contents.directory.string() + ": " +
                error.message());
  }
  return contents;
}

}  // namespace quintorel
