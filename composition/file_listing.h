// The names a file list shows for a directory: its files that are not hidden, without
// directory, sorted by name with letter case ignored.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quintorel {

// Lists the regular files of `directory` (following symbolic links) whose names do not start
// with "."; subdirectories and special files are left out. Names are compared character by
// character with ASCII letter case ignored, so "frame10.bmp" comes before "frame2.bmp".
// Throws Error naming the directory when it cannot be read.
std::vector<std::string> listFileNames(const std::filesystem::path& directory);

// The subdirectories of `directory` (following symbolic links) whose names do not start with
// ".", in the same order, for the directory list beside the file list.
std::vector<std::string> listSubdirectoryNames(const std::filesystem::path& directory);

}  // namespace quintorel
