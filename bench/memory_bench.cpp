// Peak memory of quintorel-cli making a clip of N entries of the same picture, beside the
// pictures' own bytes. The command line holds no picture and a creation keeps a few frames'
// blocks whatever the number of entries, so the peak is flat in N but for the entries' names.
//
// Usage: memory_bench QUINTOREL-CLI [N...]   (default N: 100 1000 10000)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A 24-bit picture with a different colour at every pixel, as a BMP file's bytes.
std::vector<char> gradientBmp(int width, int height) {
  const int stride = (width * 3 + 3) / 4 * 4;
  std::vector<char> file(54 + static_cast<std::size_t>(stride) * height, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<std::uint32_t>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  put32(26, 1 | 24 << 16);  // biPlanes, biBitCount
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      char* p = &file[54 + static_cast<std::size_t>(y) * stride + 3 * x];
      p[0] = static_cast<char>(x * 255 / width);
      p[1] = static_cast<char>(y * 255 / height);
      p[2] = static_cast<char>((x + y) * 7);
    }
  }
  return file;
}

// Runs the CLI on `input` and returns its peak resident size in KiB, or -1 when it failed.
long peakKib(const std::string& cli, const fs::path& input, const fs::path& output) {
  const pid_t child = fork();
  if (child == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execl(cli.c_str(), cli.c_str(), "-o", output.c_str(), input.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s QUINTOREL-CLI [N...]\n", argv[0]);
    return 2;
  }
  const std::string cli = argv[1];
  std::vector<int> counts;
  for (int i = 2; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {100, 1000, 10000};

  char pattern[] = "/tmp/quintorel-memory-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const fs::path work = pattern;

  std::printf("%-9s %7s %12s %12s\n", "picture", "entries", "files MiB", "peak MiB");
  const struct { int width, height; } sizes[] = {{32, 24}, {160, 120}};
  for (const auto& size : sizes) {
    const std::vector<char> bmp = gradientBmp(size.width, size.height);
    for (const int n : counts) {
      const fs::path pictures = work / "pictures";
      fs::create_directory(pictures);
      std::ofstream(pictures / "p0000000.bmp", std::ios::binary).write(bmp.data(), static_cast<std::streamsize>(bmp.size()));
      // Hard links: N names to read, one file on disk.
      for (int i = 1; i < n; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "p%07d.bmp", i);
        fs::create_hard_link(pictures / "p0000000.bmp", pictures / name);
      }
      const long kib = peakKib(cli, pictures, work / "clip.avi");
      const double files = static_cast<double>(bmp.size()) * n / (1024.0 * 1024.0);
      const std::string picture = std::to_string(size.width) + "x" + std::to_string(size.height);
      if (kib < 0) {
        std::printf("%-9s %7d  quintorel-cli failed\n", picture.c_str(), n);
      } else {
        std::printf("%-9s %7d %12.1f %12.1f\n", picture.c_str(), n, files, kib / 1024.0);
      }
      std::fflush(stdout);
      fs::remove_all(pictures);
      fs::remove(work / "clip.avi");
    }
  }
  fs::remove_all(work);
  return 0;
}
