// quintorel-cli: the batch front end on the same core as the window.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/single_file_list.h"
#include "cli/terminal_progress.h"
#include "composition/directory_file_list.h"
#include "composition/entry_list.h"
#include "composition/operations.h"
#include "platform/error.h"
#include "platform/messages.h"
#include "video/create_video.h"

namespace {

// The command line has no frame-count panel; the operations still write one.
class NoStatus final : public quintorel::StatusText {
 public:
  void setText(const std::string&) override {}
};

void run(const quintorel::cli::CommandLine& line) {
  // Each picture is wanted once in the run, so none is held: the files are read again as the
  // clip is made, and a file changed in the meantime is refused.
  quintorel::EntryList list;
  NoStatus status;
  for (const std::string& input : line.inputs) {
    std::error_code ignored;
    if (std::filesystem::is_directory(input, ignored)) {
      quintorel::addAll(quintorel::DirectoryFileList(input), list, status,
                      quintorel::Loading::OnUse);
    } else {
      quintorel::addOne(quintorel::cli::SingleFileList(input), list, status,
                      quintorel::Loading::OnUse);
    }
  }
  quintorel::CreationSettings settings;
  settings.rate = line.rate;
  settings.dither = line.dither;
  quintorel::cli::TerminalProgress progress;
  if (isatty(STDERR_FILENO)) settings.progress = &progress;
  quintorel::createVideo(list, line.output, settings);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const auto line = quintorel::cli::parseCommandLine(args, error);
  if (!line) {
    std::cerr << "quintorel-cli: " << error << "\n" << quintorel::cli::usageText();
    return 2;
  }
  if (line->action == quintorel::cli::CommandLine::Action::Help) {
    std::cout << quintorel::cli::usageText();
    return 0;
  }
  if (line->action == quintorel::cli::CommandLine::Action::Version) {
    std::cout << "quintorel-cli " << QUINTOREL_VERSION << "\n";
    return 0;
  }
  try {
    run(*line);
  } catch (const quintorel::Error& e) {
    // As the error box shows it: the message, then ".".
    std::cerr << e.what() << ".\n";
    return 1;
  } catch (const std::bad_alloc&) {
    std::cerr << quintorel::messages::kOutOfMemory << ".\n";
    return 1;
  }
  return 0;
}
