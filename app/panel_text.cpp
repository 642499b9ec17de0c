// A status-bar panel as the operations write their text into it.
#include "app/panel_text.h"

namespace quintorel {

void PanelText::setText(const std::string& text) {
  panel_->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace quintorel
