// The application's error box.
#include "app/error_box.h"

#include <QApplication>
#include <QMessageBox>
#include <utility>

namespace quintorel {

namespace {

ErrorBoxHook& hook() {
  static ErrorBoxHook instance;
  return instance;
}

}  // namespace

void showErrorBox(const std::string& message) {
  // Always a full stop, even behind a message that ends in one.
  const QString text =
      QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())) + u'.';
  const QString title = QCoreApplication::applicationName();
  if (hook()) {
    hook()(text, title);
    return;
  }
  QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok,
                  QApplication::activeWindow());
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

ErrorBoxHook setErrorBoxHook(ErrorBoxHook replacement) {
  return std::exchange(hook(), std::move(replacement));
}

}  // namespace quintorel
