// The one error type of the core: it carries the exact text the error box or the CLI shows.
#pragma once

#include <stdexcept>
#include <string>

namespace quintorel {

// The message is shown as it stands, with "." appended by whoever displays it.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace quintorel
