// The application's current hint, brought up to date whenever the event queue runs empty.
#pragma once

#include <QString>
#include <functional>

namespace quintorel {

class HintTracker {
 public:
  // The one tracker of the running application, made on first use.
  static HintTracker& instance();

  // The hint-changed handler, run when the current hint takes a new value. Setting it starts
  // again from an empty current hint.
  void setHandler(std::function<void()> handler);
  const QString& hint() const { return hint_; }

  // Looks at the control under the pointer (disabled ones included) and takes its long hint;
  // runs the handler when that differs from the current hint.
  void update();

 private:
  HintTracker();

  QString hint_;
  std::function<void()> handler_;
};

}  // namespace quintorel
