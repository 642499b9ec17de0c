// Start-up's work on the application (title, font, Qt's Japanese texts) and the error box
// that every handler's error reaches.
#include "app/application.h"

#include <QDialogButtonBox>
#include <QFontInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "app/application_setup.h"
#include "app/application_title.h"
#include "app/error_box.h"
#include "app/form_font.h"
#include "app/guarded.h"
#include "platform/error.h"
#include "tests/app/support/window_test.h"

using quintorel::test::ErrorBoxRecorder;

namespace {

// An object whose event handling throws, as a handler without its guard would.
class Thrower : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::User) throw quintorel::Error("escaped");
    return QObject::event(event);
  }
};

}  // namespace

class ApplicationTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    quintorel::test::dropPlatformNoise();
    quintorel::setUpApplication(*qApp);
  }

  void titleComesFromTheFileName_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("upper-case Windows name") << "FRAMES.EXE"
                                             << "Frames";
    QTest::newRow("installed program") << "/usr/bin/quintorel"
                                       << "Quintorel";
    QTest::newRow("cut at the first full stop") << "./my.tool.bin"
                                                << "My";
    QTest::newRow("mixed case") << "qUINTOREL"
                                << "Quintorel";
    QTest::newRow("non-ASCII letters")
        << QString::fromUtf8("/opt/éCLAIR") << QString::fromUtf8("Éclair");
    QTest::newRow("name that starts with a full stop") << "/tmp/.hidden"
                                                       << "";
  }
  void titleComesFromTheFileName() {
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(quintorel::applicationTitleFor(path), title);
  }

  void startUpTitlesThisProgram() {
    QCOMPARE(QCoreApplication::applicationName(), QString("Application_test"));
  }

  void formFontIsAJapaneseFont() {
    // Without the substitution the family would fall back to a font without kana.
    const QFontInfo info(quintorel::formFont());
    QCOMPARE(info.family(), QString("IPAPGothic"));
    QCOMPARE(info.pixelSize(), 12);
  }

  void qtButtonsAreJapanese() {
    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("キャンセル"));
  }

  void errorBoxIsAModalErrorWithOneOk() {
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    Qt::WindowModality modality = Qt::NonModal;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box);
      text = box->text();
      title = box->windowTitle();
      icon = box->icon();
      buttons = box->standardButtons();
      modality = box->windowModality();
      box->button(QMessageBox::Ok)->click();
    });
    quintorel::showErrorBox("ends in a full stop.");
    // The full stop is added even behind one.
    QCOMPARE(text, QString("ends in a full stop.."));
    QCOMPARE(title, QString("Application_test"));
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(modality, Qt::ApplicationModal);
  }

  void guardedShowsTheErrorAndStops_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("error of the core") << 0 << "Could not add frame.";
    QTest::newRow("out of memory") << 1 << QString::fromUtf8("ﾒﾓﾘが足りません.");
    QTest::newRow("other standard exception") << 2 << "bad thing.";
  }
  void guardedShowsTheErrorAndStops() {
    QFETCH(int, kind);
    QFETCH(QString, text);
    ErrorBoxRecorder boxes;
    bool rest = false;
    quintorel::guarded([&] {
      if (kind == 0) throw quintorel::Error("Could not add frame");
      if (kind == 1) throw std::bad_alloc();
      throw std::runtime_error("bad thing");
      rest = true;
    });
    QCOMPARE(boxes.texts, QStringList{text});
    QVERIFY(!rest);
  }

  void exceptionFromAnEventIsShownAndTheLoopGoesOn() {
    ErrorBoxRecorder boxes;
    Thrower thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    bool later = false;
    QTimer::singleShot(0, [&] { later = true; });
    QCoreApplication::processEvents();
    QTRY_VERIFY(later);
    QCOMPARE(boxes.texts, QStringList{"escaped."});
  }
};

// The program's own application object, so that its notify() is the one events go through.
int main(int argc, char** argv) {
  quintorel::Application application(argc, argv);
  QTEST_SET_MAIN_SOURCE_PATH
  ApplicationTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "application_test.moc"
