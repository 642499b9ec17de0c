// Helpers for the window tests.
#include "tests/app/support/window_test.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "app/about1.h"
#include "app/tform1.h"
#include "tests/support/outside_tool.h"

namespace quintorel::test {

ErrorBoxRecorder::ErrorBoxRecorder() {
  previous_ = setErrorBoxHook([this](const QString& text, const QString& title) {
    texts << text;
    titles << title;
  });
}

ErrorBoxRecorder::~ErrorBoxRecorder() { setErrorBoxHook(std::move(previous_)); }

namespace {

QtMessageHandler previousHandler = nullptr;

void filterPlatformNoise(QtMsgType type, const QMessageLogContext& context,
                         const QString& message) {
  if (type == QtWarningMsg && message.startsWith(QStringLiteral("This plugin does not support")))
    return;
  if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

void destroyWindows() {
  delete Form1;
  Form1 = nullptr;
  AboutBox = nullptr;
}

void dropPlatformNoise() { previousHandler = qInstallMessageHandler(filterPlatformNoise); }

void runUntilIdle() {
  // processEvents() never waits, so it never announces an idle moment; a loop that may
  // wait does, and a zero timer ends it once the queue is empty.
  QCoreApplication::processEvents();
  QEventLoop loop;
  bool blocked = false;
  auto connection =
      QObject::connect(QAbstractEventDispatcher::instance(),
                       &QAbstractEventDispatcher::aboutToBlock, &loop, [&] { blocked = true; });
  QTimer::singleShot(0, &loop, &QEventLoop::quit);
  loop.exec();
  QObject::disconnect(connection);
  if (!blocked) throw std::runtime_error("the event loop never went idle");
}

void clickItem(QListWidget* list, int row) {
  const QPoint centre = list->visualItemRect(list->item(row)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
}

void doubleClickItem(QListWidget* list, int row) {
  const QPoint centre = list->visualItemRect(list->item(row)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
}

QStringList itemTexts(const QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

bool writeBmpWithImageMagick(const std::filesystem::path& path, const std::string& source) {
  return runTool("/usr/bin/convert " + source +
                 " -type TrueColor BMP3:" + shellQuote(path.string()))
             .status == 0;
}

}  // namespace quintorel::test
