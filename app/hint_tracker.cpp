// The application's current hint.
#include "app/hint_tracker.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QWidget>

#include "app/guarded.h"
#include "app/hints.h"

namespace quintorel {

HintTracker& HintTracker::instance() {
  static HintTracker tracker;
  return tracker;
}

HintTracker::HintTracker() {
  // aboutToBlock is Qt's moment of an empty queue: the dispatcher is about to wait.
  QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                   qApp, [this] { guarded([this] { update(); }); });
}

void HintTracker::setHandler(std::function<void()> handler) {
  handler_ = std::move(handler);
  hint_.clear();
}

void HintTracker::update() {
  const QString hint = hintUnder(QApplication::widgetAt(QCursor::pos()));
  if (hint == hint_) return;
  hint_ = hint;
  if (handler_) handler_();
}

}  // namespace quintorel
