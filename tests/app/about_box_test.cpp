// The about box TAboutBox: its texts, first-show centring and remembered place, the keys
// and the close box that hide it, one instance for every showing.
#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include "app/about1.h"
#include "app/application_setup.h"
#include "app/tform1.h"
#include "tests/app/support/window_test.h"

using quintorel::AboutBox;
using quintorel::Form1;

class AboutBoxTest : public QObject {
  Q_OBJECT

 private:
  void showBox() {
    QTest::mouseClick(Form1->SpeedButton4, Qt::LeftButton);
    // qWaitForWindowActive() counts the main window's activity for its dialog too.
    QTRY_COMPARE(QApplication::activeWindow(), AboutBox);
  }

 private slots:
  void initTestCase() {
    quintorel::test::dropPlatformNoise();
    quintorel::setUpApplication(*qApp);
  }

  void init() {
    Form1 = new quintorel::TForm1;
    AboutBox = new quintorel::TAboutBox(Form1);
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
  }

  void cleanup() {
    quintorel::test::destroyWindows();
  }

  void textsAndFrame() {
    QCOMPARE(AboutBox->windowTitle(), QString::fromUtf8("ﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(AboutBox->ProductName->text(), QString("Quintorel "));
    QCOMPARE(AboutBox->Version->text(), QString("Version : 1.00"));
    QCOMPARE(AboutBox->size(), QSize(294, 149));
    QCOMPARE(AboutBox->minimumSize(), AboutBox->maximumSize());
    const Qt::WindowFlags flags = AboutBox->windowFlags();
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(AboutBox->OKButton->isDefault());
    QVERIFY(!AboutBox->isVisible());  // made hidden
  }

  void firstShowingCentresThenTheBoxStaysWhereItWasLeft() {
    showBox();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect frame = AboutBox->frameGeometry();
    QCOMPARE(frame.topLeft(),
             QPoint((screen.width() - frame.width()) / 2, (screen.height() - frame.height()) / 2));
    AboutBox->move(30, 40);
    QTest::mouseClick(AboutBox->OKButton, Qt::LeftButton);
    QVERIFY(!AboutBox->isVisible());
    showBox();
    QCOMPARE(AboutBox->pos(), QPoint(30, 40));
  }

  void keys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("shown");
    QTest::newRow("Enter closes") << int(Qt::Key_Return) << false;
    QTest::newRow("keypad Enter closes") << int(Qt::Key_Enter) << false;
    QTest::newRow("Space on the focused OK button closes") << int(Qt::Key_Space) << false;
    QTest::newRow("Escape does nothing") << int(Qt::Key_Escape) << true;
  }
  void keys() {
    QFETCH(int, key);
    QFETCH(bool, shown);
    showBox();
    QCOMPARE(QApplication::focusWidget(), AboutBox->OKButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QCOMPARE(AboutBox->isVisible(), shown);
  }

  void closeBoxHidesTheSameBoxThatComesBack() {
    showBox();
    QPointer<quintorel::TAboutBox> box = AboutBox;
    QVERIFY(AboutBox->close());
    QVERIFY(box);
    QVERIFY(!box->isVisible());
    showBox();
    QCOMPARE(AboutBox, box.data());
    QVERIFY(box->isVisible());
  }

  void pictureButtonChangesNothing() {
    showBox();
    QTest::mouseClick(AboutBox->SpeedButton1, Qt::LeftButton);
    QVERIFY(AboutBox->isVisible());
    QCOMPARE(QApplication::focusWidget(), AboutBox->OKButton);
  }

  void mainWindowStaysUsable() {
    showBox();
    QVERIFY(!AboutBox->isModal());
    QTest::mouseClick(Form1->SpeedButton2, Qt::LeftButton);  // the delete button's refresh
    QCOMPARE(Form1->StatusBar1->panel(0)->text(), QString::fromUtf8("フレーム数0"));
    QVERIFY(AboutBox->isVisible());
  }
};

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
