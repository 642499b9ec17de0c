// A list box as the windows use it: fixed item height, one selected item at most, items
// that keep the name's bytes behind the text they show, and the events the handlers need.
#pragma once

#include <QListWidget>
#include <string>

namespace quintorel {

class ListBox : public QListWidget {
  Q_OBJECT
 public:
  ListBox(QWidget* parent, int itemHeight);

  // Appends an item showing `name` (bytes of a file name) drawn `indent` steps in.
  void appendName(const std::string& name, int indent = 0);
  // The bytes given when the item at `row` was appended; `row` must be valid.
  [[nodiscard]] std::string name(int row) const;
  // The selected item's row, or -1: the current item as a system list box counts it, where
  // Qt's focus frame alone does not make an item current.
  [[nodiscard]] int itemIndex() const;

 signals:
  // A double-click anywhere in the list, after Qt has handled it as a press when it fell
  // on another item than the press before.
  void dblClick();
  // Enter or Return.
  void enterPressed();
  // The user moved the selection with the keys.
  void selectionMovedByKey();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace quintorel
