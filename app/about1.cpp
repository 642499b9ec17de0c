// The about box TAboutBox.
#include "app/about1.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <algorithm>
#include <utility>

#include "app/form_font.h"
#include "app/guarded.h"
#include "app/speed_button.h"

namespace quintorel {

TAboutBox* AboutBox = nullptr;

namespace {

QLabel* makeLabel(QWidget* parent, const QString& caption, int left, int top) {
  auto* label = new QLabel(caption, parent);
  label->move(left, top);
  label->adjustSize();
  return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(QString::fromUtf8("ﾊﾞｰｼﾞｮﾝ情報"));
  setFont(formFont());
  setFixedSize(294, 149);
  setModal(false);

  Panel1 = new QFrame(this);
  Panel1->setGeometry(8, 8, 277, 113);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setLineWidth(1);
  ProductName = makeLabel(Panel1, QStringLiteral("Quintorel "), 86, 16);
  Version = makeLabel(Panel1, QStringLiteral("Version : 1.00"), 86, 39);
  Copyright = makeLabel(Panel1, QStringLiteral("Copyright (C) Marovek"), 8, 78);
  SpeedButton1 = makeSpeedButton(Panel1, {8, 8, 49, 49}, QStringLiteral("create"), QString());

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setGeometry(168, 127, 118, 18);
  OKButton->setDefault(true);
  OKButton->setAutoDefault(true);
  connect(OKButton, &QPushButton::clicked, this, [this] {
    setResult(QDialog::Accepted);
    OKButtonClick(OKButton);
  });
  OKButton->setFocus();

  setObjectName(QStringLiteral("AboutBox"));
  const std::pair<QObject*, const char*> names[] = {
      {Panel1, "Panel1"},   {OKButton, "OKButton"},   {ProductName, "ProductName"},
      {Version, "Version"}, {Copyright, "Copyright"}, {SpeedButton1, "SpeedButton1"}};
  for (const auto& [component, name] : names) component->setObjectName(QString::fromLatin1(name));
}

void TAboutBox::OKButtonClick(QObject*) {
  guarded([] { AboutBox->close(); });
}

void TAboutBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (placed_) return;
  placed_ = true;
  // Centred on the whole screen, frame included, before it first becomes visible; a
  // position of our own also stops Qt from centring it over the main window.
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->geometry();
  const QSize outer = frameGeometry().size();
  move(area.x() + std::max(0, (area.width() - outer.width()) / 2),
       area.y() + std::max(0, (area.height() - outer.height()) / 2));
}

void TAboutBox::keyPressEvent(QKeyEvent* event) {
  // No button of the box has the cancel role, so Escape closes nothing.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TAboutBox::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) OKButton->setFocus();
}

}  // namespace quintorel
