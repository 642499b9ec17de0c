// Progress on a terminal, redrawn in place at most a few times a second.
#include "cli/terminal_progress.h"

#include <cstdio>

namespace quintorel::cli {

TerminalProgress::TerminalProgress() : start_(std::chrono::steady_clock::now()), lastShown_(start_) {}

void TerminalProgress::framesWritten(int written, int total) {
  const auto now = std::chrono::steady_clock::now();
  if (written != total && now - lastShown_ < std::chrono::milliseconds(100)) return;
  lastShown_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double fps = seconds > 0 ? written / seconds : 0.0;
  std::fprintf(stderr, "\r%d/%d frames, %.1f frames/s", written, total, fps);
  if (written == total) std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace quintorel::cli
