// The program's application object.
#include "app/application.h"

#include "app/guarded.h"

namespace quintorel {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  guarded([&] { handled = QApplication::notify(receiver, event); });
  return handled;
}

}  // namespace quintorel
