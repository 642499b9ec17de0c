// The about box TAboutBox: product name, version, the maker's notice and the product's
// picture, shown modelessly and hidden again, one instance for the whole run.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace quintorel {

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  // Made hidden. With the main window as `parent` it is that window's dialog: the window
  // manager keeps it in front of the main window and minimises it along with it.
  explicit TAboutBox(QWidget* parent);

  QFrame* Panel1;
  QPushButton* OKButton;
  QLabel* ProductName;
  QLabel* Version;
  QLabel* Copyright;
  QToolButton* SpeedButton1;

  void OKButtonClick(QObject* sender);

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  bool placed_ = false;  // centred once, at the first showing; afterwards it stays where it was
};

// The one about box, set at start-up and valid until the program ends.
extern TAboutBox* AboutBox;

}  // namespace quintorel
