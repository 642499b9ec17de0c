// The program's application object: a QApplication that shows what escapes a handler.
#pragma once

#include <QApplication>

namespace quintorel {

class Application : public QApplication {
  Q_OBJECT
 public:
  Application(int& argc, char** argv);

  // The last net under the guarded handlers: an exception thrown while an event is
  // delivered is shown in the error box instead of crossing the event loop.
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace quintorel
