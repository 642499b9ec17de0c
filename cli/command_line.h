// What quintorel-cli was asked to do, read from its arguments.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quintorel::cli {

struct CommandLine {
  enum class Action { Create, Help, Version };
  Action action = Action::Create;
  std::int32_t rate = 10;  // the rate field's start value
  bool dither = false;
  std::string output;               // with ".avi" added when it had no extension
  std::vector<std::string> inputs;  // files and directories, in the order given
};

// Reads `args` (without the program name). On a usage error returns nothing and puts the
// reason in `error`.
std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args, std::string& error);

// The short usage text printed with --help and after a usage error.
std::string usageText();

}  // namespace quintorel::cli
