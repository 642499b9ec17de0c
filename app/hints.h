// Control hints: "short part|long part", kept with the control, never shown as pop-ups.
#pragma once

#include <QString>

class QWidget;

namespace quintorel {

void setHint(QWidget* control, const QString& hint);
[[nodiscard]] QString hintOf(const QWidget* control);

// The text after the first "|"; a hint without "|" is its own long hint.
[[nodiscard]] QString longHint(const QString& hint);

// The long hint for the control under the pointer: the first non-empty hint on the way from
// `control` up through its parents within its window; empty when there is none or when
// `control` is null.
[[nodiscard]] QString hintUnder(const QWidget* control);

}  // namespace quintorel
