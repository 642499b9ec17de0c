// Control hints and the long hint under the pointer.
#include "app/hints.h"

#include <QVariant>
#include <QWidget>

namespace quintorel {

namespace {

// A property of our own rather than the tool tip, so that Qt never pops the hint up.
constexpr const char* kHintProperty = "quintorelHint";

}  // namespace

void setHint(QWidget* control, const QString& hint) { control->setProperty(kHintProperty, hint); }

QString hintOf(const QWidget* control) { return control->property(kHintProperty).toString(); }

QString longHint(const QString& hint) {
  const qsizetype bar = hint.indexOf(u'|');
  return bar < 0 ? hint : hint.mid(bar + 1);
}

QString hintUnder(const QWidget* control) {
  for (const QWidget* w = control; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
    const QString hint = hintOf(w);
    if (!hint.isEmpty()) return longHint(hint);
  }
  return {};
}

}  // namespace quintorel
