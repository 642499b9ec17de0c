// The rate field SpinEdit1: how its text is read, what typing it refuses, and when it brings
// its text into 1 .. 120.
#include <QLineEdit>
#include <QLocale>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

#include "app/application_setup.h"
#include "app/rate_spin_edit.h"
#include "app/spin_edit_value.h"
#include "tests/app/support/window_test.h"

using quintorel::RateSpinEdit;

class RateFieldTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QWidget> window_;
  RateSpinEdit* field_ = nullptr;
  QLineEdit* elsewhere_ = nullptr;  // somewhere for the focus to go
  int beeps_ = 0;

  // Types `text` key by key; characters without a key of their own arrive as text alone, as
  // an input method delivers them.
  void type(const QString& text) {
    for (QChar c : text) {
      if (c.unicode() < 0x80)
        QTest::keyClick(field_, c.toLatin1());
      else
        QTest::sendKeyEvent(QTest::Click, field_, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }

  void focusField() {
    field_->setFocus();
    QTRY_VERIFY(field_->hasFocus());
  }

 private slots:
  void initTestCase() {
    quintorel::test::dropPlatformNoise();
    quintorel::setUpApplication(*qApp);
  }

  void init() {
    window_ = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window_.get());
    field_ = new RateSpinEdit(window_.get(), 1, 120, 10);
    elsewhere_ = new QLineEdit(window_.get());
    layout->addWidget(field_);
    layout->addWidget(elsewhere_);
    beeps_ = 0;
    field_->setBeep([this] { ++beeps_; });
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    focusField();
  }

  void cleanup() { window_.reset(); }

  void textIsReadAsAWholeNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("in range") << "120" << 120;
    QTest::newRow("leading spaces and plus sign") << "  +42" << 42;
    QTest::newRow("zero is read, not clamped") << "0" << 0;
    QTest::newRow("negative is read, not clamped") << "-3" << -3;
    QTest::newRow("beyond the maximum is read") << "500" << 500;
    QTest::newRow("hexadecimal after a dollar") << "$1F" << 31;
    QTest::newRow("signed hexadecimal") << "-$10" << -16;
    QTest::newRow("largest int32") << "2147483647" << 2147483647;
    QTest::newRow("smallest int32") << "-2147483648" << int(-2147483647 - 1);
    QTest::newRow("past int32 gives the minimum") << "2147483648" << 1;
    QTest::newRow("empty gives the minimum") << "" << 1;
    QTest::newRow("lone minus gives the minimum") << "-" << 1;
    QTest::newRow("lone dollar gives the minimum") << "$" << 1;
    QTest::newRow("decimal separator gives the minimum") << "2.5" << 1;
    QTest::newRow("trailing space gives the minimum") << "12 " << 1;
    QTest::newRow("letters behind gives the minimum") << "12a" << 1;
    QTest::newRow("space after the sign gives the minimum") << "- 5" << 1;
    QTest::newRow("tab is not a space") << "\t5" << 1;
    QTest::newRow("full-width digits give the minimum") << QString::fromUtf8("１２") << 1;
  }
  void textIsReadAsAWholeNumber() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(quintorel::readSpinEditValue(text.toStdString(), 1), value);
  }

  void typingRefusesWithABeep_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("beeps");
    const QString point = QLocale().decimalPoint();
    QTest::newRow("digits") << "42"
                            << "42" << 0;
    QTest::newRow("signs and the decimal separator") << "+-" + point << "+-" + point << 0;
    QTest::newRow("a letter") << "4x2"
                              << "42" << 1;
    QTest::newRow("a space") << "1 2"
                             << "12" << 1;
    QTest::newRow("a dollar sign") << "$1"
                                   << "1" << 1;
    QTest::newRow("a full-width digit") << QString::fromUtf8("１") << "" << 1;
  }
  void typingRefusesWithABeep() {
    QFETCH(QString, typed);
    QFETCH(QString, text);
    QFETCH(int, beeps);
    field_->setText(QString());
    type(typed);
    QCOMPARE(field_->text(), text);
    QCOMPARE(beeps_, beeps);
  }

  void backspaceEdits() {
    QTest::keyClick(field_, Qt::Key_End);
    QTest::keyClick(field_, Qt::Key_Backspace);
    QCOMPARE(field_->text(), QString("1"));
    QCOMPARE(beeps_, 0);
  }

  void enterIsRefusedAndCommitsNothing() {
    field_->setText(QString());
    QTest::keyClicks(field_, "500");
    QTest::keyClick(field_, Qt::Key_Return);
    QTest::keyClick(field_, Qt::Key_Enter);
    QCOMPARE(field_->text(), QString("500"));
    QCOMPARE(beeps_, 2);
  }

  void leavingBringsANumberIntoRange_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("left");
    QTest::newRow("0 becomes 1") << "0"
                                 << "1";
    QTest::newRow("500 becomes 120") << "500"
                                     << "120";
    QTest::newRow("negative becomes 1") << "-7"
                                        << "1";
    QTest::newRow("in range stays") << "55"
                                    << "55";
    QTest::newRow("in range stays as typed") << " +55"
                                             << " +55";
    QTest::newRow("hexadecimal beyond the maximum") << "$FF"
                                                    << "120";
    // Not a number: it reads as the minimum, which is in range, so nothing is rewritten.
    QTest::newRow("not a number stays") << "2.5"
                                        << "2.5";
    QTest::newRow("empty stays") << ""
                                 << "";
  }
  void leavingBringsANumberIntoRange() {
    QFETCH(QString, text);
    QFETCH(QString, left);
    field_->setText(text);
    QCOMPARE(field_->text(), text);  // nothing happens while the field keeps the focus
    QTest::keyClick(field_, Qt::Key_Tab);
    QTRY_VERIFY(elsewhere_->hasFocus());
    QCOMPARE(field_->text(), left);
  }

  void steppingStaysInRange_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("stepped");
    QTest::newRow("up from 10") << "10" << int(Qt::Key_Up) << "11";
    QTest::newRow("down from 10") << "10" << int(Qt::Key_Down) << "9";
    QTest::newRow("up at 120 changes nothing") << "120" << int(Qt::Key_Up) << "120";
    QTest::newRow("down at 1 changes nothing") << "1" << int(Qt::Key_Down) << "1";
    QTest::newRow("up from a typed 500") << "500" << int(Qt::Key_Up) << "120";
    QTest::newRow("down from a typed 0") << "0" << int(Qt::Key_Down) << "1";
    QTest::newRow("up from text that reads as 1") << "abc" << int(Qt::Key_Up) << "2";
    QTest::newRow("page up steps by 1 at most") << "10" << int(Qt::Key_PageUp) << "10";
  }
  void steppingStaysInRange() {
    QFETCH(QString, text);
    QFETCH(int, key);
    QFETCH(QString, stepped);
    field_->setText(text);
    QTest::keyClick(field_, Qt::Key(key));
    QCOMPARE(field_->text(), stepped);
    QCOMPARE(beeps_, 0);
  }

  void buttonsStepByOne() {
    QStyleOptionSpinBox option;
    option.initFrom(field_);
    option.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
    option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
    option.frame = true;
    const QRect up =
        field_->style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, field_);
    const QRect down = field_->style()->subControlRect(QStyle::CC_SpinBox, &option,
                                                       QStyle::SC_SpinBoxDown, field_);

    field_->setText("119");
    for (int i = 0; i < 3; ++i) QTest::mouseClick(field_, Qt::LeftButton, {}, up.center());
    QCOMPARE(field_->text(), QString("120"));
    QTest::mouseClick(field_, Qt::LeftButton, {}, down.center());
    QCOMPARE(field_->text(), QString("119"));
  }
};

QTEST_MAIN(RateFieldTest)
#include "rate_field_test.moc"
