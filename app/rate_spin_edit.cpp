// The rate field SpinEdit1.
#include "app/rate_spin_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <algorithm>

#include "app/spin_edit_value.h"

namespace quintorel {

RateSpinEdit::RateSpinEdit(QWidget* parent, std::int32_t minValue, std::int32_t maxValue,
                           std::int32_t value)
    : QAbstractSpinBox(parent),
      minValue_(minValue),
      maxValue_(maxValue),
      beep_(&QApplication::beep) {
  // A plain QAbstractSpinBox never rewrites its text by itself; only this class does.
  setValue(value);
  setAccelerated(false);
}

std::int32_t RateSpinEdit::value() const {
  return readSpinEditValue(text().toStdString(), minValue_);
}

void RateSpinEdit::setValue(std::int32_t value) { setText(QString::number(value)); }

void RateSpinEdit::setText(const QString& text) { lineEdit()->setText(text); }

std::int32_t RateSpinEdit::clamped(std::int64_t value) const {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, minValue_, maxValue_));
}

void RateSpinEdit::stepBy(int steps) { setValue(clamped(std::int64_t{value()} + steps)); }

QAbstractSpinBox::StepEnabled RateSpinEdit::stepEnabled() const {
  // The buttons are never disabled; a step beyond a limit changes nothing.
  return StepUpEnabled | StepDownEnabled;
}

void RateSpinEdit::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      beep_();
      return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      return;  // the field steps by 1 only
    default:
      break;
  }
  const QString typed = event->text();
  if (!typed.isEmpty() && typed.front() >= u' ' && typed.front() != QChar(0x7F)) {
    const QString decimal = QLocale().decimalPoint();
    const bool allowed = std::all_of(typed.begin(), typed.end(), [&](QChar c) {
      return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || decimal.contains(c);
    });
    if (!allowed) {
      beep_();
      return;
    }
  }
  QAbstractSpinBox::keyPressEvent(event);
}

void RateSpinEdit::focusOutEvent(QFocusEvent* event) {
  // Only a number outside the range is rewritten; any other text stays as typed and still
  // reads as the minimum.
  const std::int32_t typed = value();
  if (clamped(typed) != typed) setValue(clamped(typed));
  QAbstractSpinBox::focusOutEvent(event);
}

}  // namespace quintorel
