// A status-bar panel as the operations write their text into it.
#pragma once

#include <QLabel>

#include "composition/status_text.h"

namespace quintorel {

class PanelText final : public StatusText {
 public:
  explicit PanelText(QLabel* panel) : panel_(panel) {}
  void setText(const std::string& text) override;

 private:
  QLabel* panel_;  // owned by the status bar
};

}  // namespace quintorel
