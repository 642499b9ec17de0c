// Running the outside tools (ffprobe, ffmpeg, mediainfo, gst-launch-1.0, ImageMagick) that
// check what we write and write what we read.
#pragma once

#include <string>

namespace quintorel::test {

struct ToolResult {
  int status = -1;     // the exit status, or -1 when the command could not run
  std::string output;  // standard output; standard error goes to the test's log
};

// Runs `command` through the shell.
ToolResult runTool(const std::string& command);
// True when `program` is on the PATH.
bool haveTool(const std::string& program);
// Quotes `text` for the shell.
std::string shellQuote(const std::string& text);

}  // namespace quintorel::test
