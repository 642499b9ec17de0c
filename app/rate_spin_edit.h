// The rate field SpinEdit1: an edit with up and down buttons whose value is its text read as
// a whole number. The text is brought into range only when stepped or left, so a number
// typed just before the create button is clicked is read as typed.
#pragma once

#include <QAbstractSpinBox>
#include <cstdint>
#include <functional>

namespace quintorel {

class RateSpinEdit : public QAbstractSpinBox {
  Q_OBJECT
 public:
  RateSpinEdit(QWidget* parent, std::int32_t minValue, std::int32_t maxValue, std::int32_t value);

  std::int32_t minValue() const { return minValue_; }
  std::int32_t maxValue() const { return maxValue_; }
  // The text read as a whole number (readSpinEditValue), not brought into range.
  [[nodiscard]] std::int32_t value() const;
  void setValue(std::int32_t value);
  // Puts `text` in the field as a paste would, refusing nothing and rewriting nothing.
  void setText(const QString& text);

  // What a refused key sounds like; QApplication::beep unless a test listens.
  void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }

  void stepBy(int steps) override;

 protected:
  StepEnabled stepEnabled() const override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  std::int32_t clamped(std::int64_t value) const;

  std::int32_t minValue_;
  std::int32_t maxValue_;
  std::function<void()> beep_;
};

}  // namespace quintorel
