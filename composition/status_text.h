// The status-bar panel an operation writes its text into.
#pragma once

#include <string>

namespace quintorel {

class StatusText {
 public:
  virtual ~StatusText() = default;
  virtual void setText(const std::string& text) = 0;
};

}  // namespace quintorel
