// The status bar StatusBar1: text panels side by side, each with a lowered bevel.
#pragma once

#include <QLabel>
#include <QWidget>
#include <vector>

namespace quintorel {

class StatusBar : public QWidget {
  Q_OBJECT
 public:
  // One panel per width; the last panel runs to the right end whatever its width.
  StatusBar(QWidget* parent, std::vector<int> widths);

  [[nodiscard]] QLabel* panel(int index) const {
    return panels_.at(static_cast<std::size_t>(index));
  }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::vector<int> widths_;
  std::vector<QLabel*> panels_;
};

}  // namespace quintorel
