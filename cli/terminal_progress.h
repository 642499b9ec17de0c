// Frames written and the rate, on standard error, for a person watching a terminal.
#pragma once

#include <chrono>

#include "video/create_video.h"

namespace quintorel::cli {

class TerminalProgress final : public CreationProgress {
 public:
  TerminalProgress();
  void framesWritten(int written, int total) override;

 private:
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastShown_;
};

}  // namespace quintorel::cli
