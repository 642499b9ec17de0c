// The file browser of the main window: the drive selector, the directory list with the
// path from the root and the subdirectories, the file list, and the current directory they
// keep equal to the one shown.
#include <QStorageInfo>
#include <QTest>
#include <filesystem>
#include <memory>

#include "app/about1.h"
#include "app/application_setup.h"
#include "app/tform1.h"
#include "tests/app/support/window_test.h"
#include "tests/support/bmp_fixture.h"
#include "tests/support/temp_dir.h"

using quintorel::Form1;
using quintorel::test::clickItem;
using quintorel::test::doubleClickItem;
using quintorel::test::ErrorBoxRecorder;
using quintorel::test::itemTexts;
namespace fs = std::filesystem;

class FileBrowserTest : public QObject {
  Q_OBJECT

 private:
  fs::path startDirectory_;
  std::unique_ptr<quintorel::test::TempDir> dir_;
  fs::path top_;  // <temp>/top, shown at start; holds alpha/ and Zeta/

  // The directory list's rows for `directory`: every step from the root, then `subdirectories`.
  static QStringList pathRows(const fs::path& directory, const QStringList& subdirectories) {
    QStringList rows;
    for (const auto& step : directory) rows << QString::fromStdString(step.string());
    return rows + subdirectories;
  }
  int rowOf(const QString& name) const {
    const QStringList rows = itemTexts(Form1->DirectoryListBox1);
    return static_cast<int>(rows.lastIndexOf(name));
  }

 private slots:
  void initTestCase() {
    quintorel::test::dropPlatformNoise();
    quintorel::setUpApplication(*qApp);
    startDirectory_ = fs::current_path();
  }

  void init() {
    dir_ = std::make_unique<quintorel::test::TempDir>();
    top_ = fs::canonical(dir_->path()) / "top";
    for (const char* sub : {"alpha", "Zeta", ".hidden", "alpha/inner"})
      fs::create_directories(top_ / sub);
    quintorel::test::writeSolidBmp(top_ / "top.bmp", 2, 2, 0);
    quintorel::test::writeSolidBmp(top_ / "alpha" / "a1.bmp", 2, 2, 0);
    quintorel::test::writeSolidBmp(top_ / "alpha" / "a2.bmp", 2, 2, 0);
    fs::current_path(top_);
    Form1 = new quintorel::TForm1;
    quintorel::AboutBox = new quintorel::TAboutBox(Form1);
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
  }

  void cleanup() {
    quintorel::test::destroyWindows();
    fs::current_path(startDirectory_);
    dir_.reset();
  }

  void startsInTheCurrentDirectory() {
    QCOMPARE(itemTexts(Form1->DirectoryListBox1), pathRows(top_, {"alpha", "Zeta"}));
    QCOMPARE(Form1->DirectoryListBox1->itemIndex(), rowOf("top"));
    QCOMPARE(itemTexts(Form1->filelistbox1), QStringList{"top.bmp"});
    QCOMPARE(Form1->DriveComboBox1->itemText(0), QString("/"));
    QCOMPARE(Form1->DriveComboBox1->currentText(),
             QStorageInfo(QString::fromStdString(top_.string())).rootPath());
  }

  void openingASubdirectoryMakesItCurrent_data() {
    QTest::addColumn<bool>("byEnter");
    QTest::newRow("double-click") << false;
    QTest::newRow("Enter") << true;
  }
  void openingASubdirectoryMakesItCurrent() {
    QFETCH(bool, byEnter);
    const int alpha = rowOf("alpha");
    if (byEnter) {
      clickItem(Form1->DirectoryListBox1, alpha);
      QTest::keyClick(Form1->DirectoryListBox1, Qt::Key_Return);
    } else {
      doubleClickItem(Form1->DirectoryListBox1, alpha);
    }
    QCOMPARE(fs::current_path(), top_ / "alpha");
    QCOMPARE(itemTexts(Form1->DirectoryListBox1), pathRows(top_ / "alpha", {"inner"}));
    QCOMPARE(itemTexts(Form1->filelistbox1), (QStringList{"a1.bmp", "a2.bmp"}));
  }

  void openingAStepOfThePathGoesUp() {
    doubleClickItem(Form1->DirectoryListBox1, rowOf("top") - 1);
    QCOMPARE(fs::current_path(), top_.parent_path());
    QCOMPARE(itemTexts(Form1->filelistbox1), QStringList());
  }

  void selectingAloneChangesNothing() {
    clickItem(Form1->DirectoryListBox1, rowOf("alpha"));
    QCOMPARE(fs::current_path(), top_);
    QCOMPARE(itemTexts(Form1->filelistbox1), QStringList{"top.bmp"});
  }

  void addsFromTheDirectoryShown() {
    doubleClickItem(Form1->DirectoryListBox1, rowOf("alpha"));
    // Current directory moved elsewhere behind the browser's back, as a save dialog may.
    fs::current_path(top_ / "Zeta");
    QTest::mouseClick(Form1->SpeedButton1, Qt::LeftButton);
    QCOMPARE(itemTexts(Form1->BitmapListBox), (QStringList{"a1.bmp", "a2.bmp"}));
  }

  void aDirectoryThatCannotBeReadKeepsTheOneShown() {
    fs::remove_all(top_ / "alpha");  // gone since the list was read
    ErrorBoxRecorder boxes;
    doubleClickItem(Form1->DirectoryListBox1, rowOf("alpha"));
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(
        boxes.texts[0].startsWith("Could not read directory ") && boxes.texts[0].endsWith(u'.'),
        qPrintable(boxes.texts[0]));
    QCOMPARE(fs::current_path(), top_);
    QCOMPARE(itemTexts(Form1->DirectoryListBox1), pathRows(top_, {"alpha", "Zeta"}));
    QCOMPARE(itemTexts(Form1->filelistbox1), QStringList{"top.bmp"});
  }

  void aVolumeThatCannotBeReadKeepsTheDirectoryShown() {
    const QString volume = Form1->DriveComboBox1->currentText();
    ErrorBoxRecorder boxes;
    // What the selector reports when the user picks a volume whose directory is gone.
    emit Form1->DriveComboBox1->driveChosen(
        QString::fromStdString((top_ / "no such directory").string()));
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts[0].startsWith("Could not read directory "), qPrintable(boxes.texts[0]));
    QCOMPARE(fs::current_path(), top_);
    QCOMPARE(Form1->DirectoryListBox1->directory(), top_);
    QCOMPARE(itemTexts(Form1->filelistbox1), QStringList{"top.bmp"});
    QCOMPARE(Form1->DriveComboBox1->currentText(), volume);
  }
};

QTEST_MAIN(FileBrowserTest)
#include "file_browser_test.moc"
