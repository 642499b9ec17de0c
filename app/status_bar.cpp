// The status bar StatusBar1.
#include "app/status_bar.h"

#include <algorithm>
#include <utility>

namespace quintorel {

namespace {

constexpr int kGap = 2;  // between two panels, and above them

}  // namespace

StatusBar::StatusBar(QWidget* parent, std::vector<int> widths)
    : QWidget(parent), widths_(std::move(widths)) {
  for (std::size_t i = 0; i < widths_.size(); ++i) {
    auto* panel = new QLabel(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panel->setIndent(2);
    panel->setTextFormat(Qt::PlainText);
    panels_.push_back(panel);
  }
}

void StatusBar::resizeEvent(QResizeEvent*) {
  int left = 0;
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    const bool last = i + 1 == panels_.size();
    const int width = last ? std::max(0, this->width() - left) : widths_[i];
    panels_[i]->setGeometry(left, kGap, width, height() - kGap);
    left += widths_[i] + kGap;
  }
}

}  // namespace quintorel
