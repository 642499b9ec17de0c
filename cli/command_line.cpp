// Reading quintorel-cli's arguments.
#include "cli/command_line.h"

#include <charconv>
#include <filesystem>

namespace quintorel::cli {

namespace {

bool parseRate(const std::string& text, std::int32_t& rate) {
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty() || value < 1 || value > 120) return false;
  rate = value;
  return true;
}

}  // namespace

std::string usageText() {
  return "usage: quintorel-cli [-r RATE] [--dither] -o OUTPUT INPUT...\n"
         "Writes the BMP pictures INPUT... (a directory adds all its listed files, sorted by name)\n"
         "as one AVI clip of 8-bit key frames.\n"
         "  -r, --rate RATE      frames per second, 1 to 120 (default 10)\n"
         "  -o, --output OUTPUT  the AVI file to write (\".avi\" is added to a name without extension)\n"
         "      --dither         diffuse the colour error instead of mapping to the nearest colour\n"
         "      --help           show this text\n"
         "      --version        show the version\n";
}

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args, std::string& error) {
  CommandLine line;
  bool haveOutput = false;
  bool onlyInputs = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    // Both "-r 25" and "--rate=25" forms.
    auto value = [&](const std::string& shortName, const std::string& longName,
                     std::string& out) -> bool {
      if (arg == shortName || arg == longName) {
        if (i + 1 >= args.size()) {
          error = "option " + arg + " needs a value";
          return false;
        }
        out = args[++i];
        return true;
      }
      if (arg.rfind(longName + "=", 0) == 0) {
        out = arg.substr(longName.size() + 1);
        return true;
      }
      return false;
    };
    std::string text;
    if (onlyInputs || arg == "-" || arg.empty() || arg[0] != '-') {
      line.inputs.push_back(arg);
    } else if (arg == "--") {
      onlyInputs = true;
    } else if (arg == "--help" || arg == "-h") {
      line.action = CommandLine::Action::Help;
      return line;
    } else if (arg == "--version") {
      line.action = CommandLine::Action::Version;
      return line;
    } else if (arg == "--dither") {
      line.dither = true;
    } else if (value("-r", "--rate", text)) {
      if (!parseRate(text, line.rate)) {
        error = "the rate must be a whole number from 1 to 120, not \"" + text + "\"";
        return std::nullopt;
      }
    } else if (value("-o", "--output", text)) {
      if (text.empty()) {
        error = "the output name is empty";
        return std::nullopt;
      }
      line.output = text;
      haveOutput = true;
    } else {
      if (error.empty()) error = "unknown option " + arg;
      return std::nullopt;
    }
  }
  if (!haveOutput) {
    error = "no output file given (-o OUTPUT)";
    return std::nullopt;
  }
  if (!std::filesystem::path(line.output).has_extension()) line.output += ".avi";
  return line;
}

}  // namespace quintorel::cli
