// Renders the main window and the about box to PNG files for the documentation: the main
// window with the sample frames added and one of them previewed.
//
//   quintorel-render-windows OUTPUT_DIR [SUFFIX]
//
// On the offscreen platform the windows' contents are drawn; on a real display the screen
// is grabbed where each window stands, window manager's frame included.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <cstdio>

#include "app/about1.h"
#include "app/application_setup.h"
#include "app/tform1.h"

namespace {

bool save(QWidget* window, const QString& path) {
  window->raise();
  window->activateWindow();
  // Time for the window manager to frame and map the window and for it to paint; without a
  // window manager the frame never comes.
  QTest::qWait(QGuiApplication::platformName() == u"offscreen" ? 50 : 500);
  if (QGuiApplication::platformName() != u"offscreen" &&
      !QTest::qWaitFor([window] { return window->frameGeometry() != window->geometry(); }, 3000))
    std::fprintf(stderr, "render-windows: no window frame came; grabbing the window alone\n");
  QPixmap picture;
  if (QGuiApplication::platformName() == u"offscreen") {
    picture = window->grab();
  } else {
    const QRect frame = window->frameGeometry();
    picture = window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
  }
  if (picture.isNull() || !picture.save(path)) {
    std::fprintf(stderr, "render-windows: could not write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: quintorel-render-windows OUTPUT_DIR [SUFFIX]\n");
    return 2;
  }
  const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  const QString suffix = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
  QDir::setCurrent(QStringLiteral(QUINTOREL_SOURCE_DIR "/samples"));
  quintorel::setUpApplication(application);

  using quintorel::AboutBox;
  using quintorel::Form1;
  Form1 = new quintorel::TForm1;
  AboutBox = new quintorel::TAboutBox(Form1);
  Form1->show();
  Form1->SpeedButton1Click(Form1->SpeedButton1);
  Form1->BitmapListBox->setCurrentRow(3);
  Form1->BitmapListBoxClick(Form1->BitmapListBox);
  Form1->filelistbox1->setCurrentRow(3);
  bool ok = save(Form1, out + "/main-window" + suffix + ".png");

  Form1->SpeedButton4Click(Form1->SpeedButton4);
  ok = save(AboutBox, out + "/about-box" + suffix + ".png") && ok;
  delete Form1;
  return ok ? 0 : 1;
}
