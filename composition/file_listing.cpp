// Listing a directory as the file list shows it.
#include "composition/file_listing.h"

#include <algorithm>
#include <system_error>

#include "platform/error.h"

namespace quintorel {

namespace {

unsigned char foldCase(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool foldedLess(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return foldCase(static_cast<unsigned char>(x)) < foldCase(static_cast<unsigned char>(y));
  });
}

// Names equal but for letter case still need a fixed order, or a listing could change between
// two reads of the same directory.
bool fileNameLess(const std::string& a, const std::string& b) {
  return foldedLess(a, b) || (!foldedLess(b, a) && a < b);
}

// The names in `directory`, not hidden, of the entries `keep` accepts, in the list's order.
template <typename Keep>
std::vector<std::string> listNames(const std::filesystem::path& directory, Keep keep) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator it(directory, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name.front() == '.' || !keep(*it)) continue;
    names.push_back(name);
  }
  if (error) {
    throw Error("Could not read directory " + directory.string() + ": " + error.message());
  }
  std::sort(names.begin(), names.end(), fileNameLess);
  return names;
}

}  // namespace

std::vector<std::string> listFileNames(const std::filesystem::path& directory) {
  // Special files stand in for the system files the list leaves out; a FIFO would also block
  // the reader that opens it.
  return listNames(directory, [](const std::filesystem::directory_entry& entry) {
    std::error_code statError;
    return entry.is_regular_file(statError);
  });
}

std::vector<std::string> listSubdirectoryNames(const std::filesystem::path& directory) {
  return listNames(directory, [](const std::filesystem::directory_entry& entry) {
    std::error_code statError;
    return entry.is_directory(statError);
  });
}

}  // namespace quintorel
