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

}  // namespace

bool fileNameLess(const std::string& a, const std::string& b) {
  const bool folded = std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return foldCase(static_cast<unsigned char>(x)) < foldCase(static_cast<unsigned char>(y));
      });
  if (folded) return true;
  const bool foldedReverse = std::lexicographical_compare(
      b.begin(), b.end(), a.begin(), a.end(), [](char x, char y) {
        return foldCase(static_cast<unsigned char>(x)) < foldCase(static_cast<unsigned char>(y));
      });
  // Names equal but for letter case still need a fixed order, or a listing could change
  // between two reads of the same directory.
  return !foldedReverse && a < b;
}

std::vector<std::string> listFileNames(const std::filesystem::path& directory) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator it(directory, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name.front() == '.') continue;
    std::error_code statError;
    // Special files stand in for the system files the list leaves out; a FIFO would also block
    // the reader that opens it.
    if (!it->is_regular_file(statError)) continue;
    names.push_back(name);
  }
  if (error) {
    throw Error("Could not read directory " + directory.string() + ": " + error.message());
  }
  std::sort(names.begin(), names.end(), fileNameLess);
  return names;
}

}  // namespace quintorel
