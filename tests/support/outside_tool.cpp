// Running outside tools through the shell and capturing what they print.
#include "tests/support/outside_tool.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

namespace quintorel::test {

ToolResult runTool(const std::string& command) {
  ToolResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  std::array<char, 4096> buffer{};
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.output.append(buffer.data(), n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

bool haveTool(const std::string& program) {
  return runTool("command -v " + shellQuote(program) + " >/dev/null 2>&1").status == 0;
}

std::string shellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') quoted += "'\\''";
    else quoted += c;
  }
  return quoted + "'";
}

}  // namespace quintorel::test
