// A fresh directory for one test, removed with everything in it when the test ends.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace quintorel::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
void writeFile(const std::filesystem::path& path, const std::string& text);
std::vector<std::uint8_t> readFile(const std::filesystem::path& path);

}  // namespace quintorel::test
