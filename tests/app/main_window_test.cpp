// The main window TForm1 driven through its controls: start-up state, the composition
// list's handlers by clicks and double-clicks, the error box, the hint panel, the tab order
// and the about button.
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "app/about1.h"
#include "app/application_setup.h"
#include "app/tform1.h"
#include "tests/app/support/window_test.h"
#include "tests/support/bmp_fixture.h"
#include "tests/support/temp_dir.h"

using quintorel::AboutBox;
using quintorel::Form1;
using quintorel::TAboutBox;
using quintorel::TForm1;
using quintorel::test::clickItem;
using quintorel::test::doubleClickItem;
using quintorel::test::ErrorBoxRecorder;
using quintorel::test::itemTexts;
using quintorel::test::writeSolidBmp;

namespace {

const QString kInitialCount = QString::fromUtf8("フレーム数　：");
QString count(int n) { return QString::fromUtf8("フレーム数%1").arg(n); }

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  std::filesystem::path startDirectory_;
  std::unique_ptr<quintorel::test::TempDir> dir_;

  // Makes the two windows as start-up does, in `directory`, and shows the main window.
  TForm1* open(const std::filesystem::path& directory) {
    std::filesystem::current_path(directory);
    Form1 = new TForm1;
    AboutBox = new TAboutBox(Form1);
    Form1->show();
    if (!QTest::qWaitForWindowExposed(Form1)) qFatal("the main window was never shown");
    return Form1;
  }
  TForm1* open() { return open(dir_->path()); }

  QString panel(int index) const { return Form1->StatusBar1->panel(index)->text(); }
  QRgb previewColour() const { return Form1->BitmapImage->grab().toImage().pixel(2, 2) & 0xFFFFFF; }
  void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }

  // Five 8 x 8 pictures of different colours, c1.bmp .. c5.bmp.
  void writeFiveColours() {
    const QRgb colours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF};
    for (int i = 0; i < 5; ++i)
      writeSolidBmp(*dir_ / ("c" + std::to_string(i + 1) + ".bmp"), 8, 8, colours[i]);
  }

 private slots:
  void initTestCase() {
    quintorel::test::dropPlatformNoise();
    quintorel::setUpApplication(*qApp);
    startDirectory_ = std::filesystem::current_path();
  }

  void init() { dir_ = std::make_unique<quintorel::test::TempDir>(); }

  void cleanup() {
    quintorel::test::destroyWindows();
    std::filesystem::current_path(startDirectory_);
    dir_.reset();
  }

  void startUpState() {
    writeSolidBmp(*dir_ / "one.bmp", 4, 4, 0);
    open();
    QCOMPARE(Form1->windowTitle(), QString("Quintorel ver.1.00  by Marovek"));
    QCOMPARE(Form1->size(), QSize(505, 350));
    QCOMPARE(Form1->minimumSize(), Form1->maximumSize());
    QVERIFY(!(Form1->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(Form1->windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(Form1->pos(), QPoint(202, 232));
    QCOMPARE(panel(0), kInitialCount);
    QCOMPARE(panel(1), QString::fromUtf8("ヒント"));
    QCOMPARE(Form1->SpinEdit1->text(), QString("10"));
    QVERIFY(!Form1->CheckBox1->isChecked());
    QCOMPARE(Form1->BitmapListBox->count(), 0);
    QCOMPARE(itemTexts(Form1->filelistbox1), QStringList{"one.bmp"});
    QCOMPARE(Form1->focusWidget(), Form1->DriveComboBox1);
    QVERIFY(!AboutBox->isVisible());
    // Hints live apart from Qt's tool tips, so no control can pop one up.
    for (const QWidget* window : {static_cast<QWidget*>(Form1), static_cast<QWidget*>(AboutBox)})
      for (const QWidget* control : window->findChildren<QWidget*>())
        QVERIFY2(control->toolTip().isEmpty(), qPrintable(control->objectName()));
  }

  void tabWalksTheSixControls() {
    open();
    QVERIFY(QTest::qWaitForWindowActive(Form1));
    QCOMPARE(QApplication::focusWidget(), Form1->DriveComboBox1);
    const QList<QWidget*> walk = {Form1->DirectoryListBox1, Form1->filelistbox1,
                                  Form1->BitmapListBox,     Form1->CheckBox1,
                                  Form1->SpinEdit1,         Form1->DriveComboBox1};
    for (QWidget* next : walk) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), next);
    }
  }

  void addAllAppendsInFileListOrder() {
    for (const char* name : {"b.bmp", "A.bmp", "c.bmp", "frame2.bmp", "frame10.bmp", ".hidden.bmp"})
      writeSolidBmp(*dir_ / name, 2, 2, 0x808080);
    std::filesystem::create_directory(*dir_ / "sub.bmp");
    open();
    const QStringList order = {"A.bmp", "b.bmp", "c.bmp", "frame10.bmp", "frame2.bmp"};
    QCOMPARE(itemTexts(Form1->filelistbox1), order);

    click(Form1->SpeedButton1);
    QCOMPARE(itemTexts(Form1->BitmapListBox), order);
    QCOMPARE(panel(0), count(5));
    // A second run appends the same files again, after the first run's.
    click(Form1->SpeedButton1);
    QCOMPARE(itemTexts(Form1->BitmapListBox), order + order);
    QCOMPARE(panel(0), count(10));
  }

  void addAllWithoutFilesStillRefreshes() {
    std::filesystem::create_directory(*dir_ / "only a directory");
    open();
    ErrorBoxRecorder boxes;
    click(Form1->SpeedButton1);
    QCOMPARE(Form1->BitmapListBox->count(), 0);
    QCOMPARE(panel(0), count(0));
    QVERIFY(boxes.texts.isEmpty());
  }

  void addAllStopsAtTheFirstFileThatFails() {
    writeSolidBmp(*dir_ / "a.bmp", 2, 2, 0xFF0000);
    quintorel::test::writeFile(*dir_ / "b.txt", std::string("this is no bitmap at all"));
    writeSolidBmp(*dir_ / "c.bmp", 2, 2, 0x00FF00);
    open();
    ErrorBoxRecorder boxes;
    click(Form1->SpeedButton1);
    QCOMPARE(boxes.texts, QStringList{QString::fromUtf8("ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です.")});
    QCOMPARE(boxes.titles, QStringList{"Main_window_test"});
    QCOMPARE(itemTexts(Form1->BitmapListBox), QStringList{"a.bmp"});
    QCOMPARE(panel(0), kInitialCount);  // the failing add never refreshed it
    clickItem(Form1->BitmapListBox, 0);
    QCOMPARE(panel(0), count(1));
  }

  void addOneByDoubleClick() {
    writeSolidBmp(*dir_ / "first.bmp", 2, 2, 0);
    writeSolidBmp(*dir_ / "second.bmp", 2, 2, 0);
    open();
    doubleClickItem(Form1->filelistbox1, 1);
    doubleClickItem(Form1->filelistbox1, 1);
    QCOMPARE(itemTexts(Form1->BitmapListBox), (QStringList{"second.bmp", "second.bmp"}));
    QCOMPARE(panel(0), count(2));
  }

  void addOneWithoutACurrentFile() {
    writeSolidBmp(*dir_ / "only.bmp", 2, 2, 0);
    open();
    ErrorBoxRecorder boxes;
    // Below the one item: the double-click selects nothing.
    QTest::mouseDClick(Form1->filelistbox1->viewport(), Qt::LeftButton, {}, QPoint(20, 100));
    QCOMPARE(boxes.texts, QStringList{QString::fromUtf8("ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています.")});
    QCOMPARE(Form1->BitmapListBox->count(), 0);
    QCOMPARE(panel(0), kInitialCount);
  }

  void addedFileKeepsItsContentWhenTheFileChanges() {
    writeSolidBmp(*dir_ / "frame.bmp", 8, 8, 0xFF0000);
    open();
    click(Form1->SpeedButton1);
    writeSolidBmp(*dir_ / "frame.bmp", 8, 8, 0x0000FF);
    clickItem(Form1->BitmapListBox, 0);
    QCOMPARE(previewColour(), QRgb(0xFF0000));
  }

  void deleteButtonRemovesTheSelectedEntry() {
    writeFiveColours();
    open();
    click(Form1->SpeedButton1);
    clickItem(Form1->BitmapListBox, 2);
    QCOMPARE(previewColour(), QRgb(0x0000FF));
    click(Form1->SpeedButton2);
    QCOMPARE(itemTexts(Form1->BitmapListBox),
             (QStringList{"c1.bmp", "c2.bmp", "c4.bmp", "c5.bmp"}));
    QCOMPARE(panel(0), count(4));
    QVERIFY(Form1->BitmapListBox->selectedItems().isEmpty());
    QCOMPARE(previewColour(), QRgb(0x0000FF));  // the removed entry's picture stays
    // With nothing selected the button removes nothing, and still refreshes the count.
    Form1->StatusBar1->panel(0)->clear();
    click(Form1->SpeedButton2);
    QCOMPARE(Form1->BitmapListBox->count(), 4);
    QCOMPARE(panel(0), count(4));
  }

  void deleteButtonOnAnEmptyListRefreshes() {
    open();
    click(Form1->SpeedButton2);
    QCOMPARE(panel(0), count(0));
  }

  void doubleClickOnAnEntryShowsThenRemovesIt() {
    writeFiveColours();
    open();
    click(Form1->SpeedButton1);
    doubleClickItem(Form1->BitmapListBox, 1);
    QCOMPARE(previewColour(), QRgb(0x00FF00));
    QCOMPARE(itemTexts(Form1->BitmapListBox),
             (QStringList{"c1.bmp", "c3.bmp", "c4.bmp", "c5.bmp"}));
    QCOMPARE(panel(0), count(4));
    // Removing every entry leaves the last one shown in the preview.
    while (Form1->BitmapListBox->count() > 0) doubleClickItem(Form1->BitmapListBox, 0);
    QCOMPARE(panel(0), count(0));
    QCOMPARE(previewColour(), QRgb(0x00FFFF));
  }

  void arrowKeysShowTheEntry() {
    writeFiveColours();
    open();
    click(Form1->SpeedButton1);
    clickItem(Form1->BitmapListBox, 0);
    QTest::keyClick(Form1->BitmapListBox, Qt::Key_Down);
    QCOMPARE(previewColour(), QRgb(0x00FF00));
  }

  void checkBoxStretchesThePreview() {
    writeSolidBmp(*dir_ / "small.bmp", 50, 50, 0xFF0000);
    open();
    click(Form1->SpeedButton1);
    clickItem(Form1->BitmapListBox, 0);
    auto corner = [] { return Form1->BitmapImage->grab().toImage().pixel(128, 104) & 0xFFFFFF; };
    QVERIFY(corner() != 0xFF0000);
    QTest::mouseClick(Form1->CheckBox1, Qt::LeftButton, {}, QPoint(6, 8));
    QVERIFY(Form1->CheckBox1->isChecked());
    QCOMPARE(corner(), QRgb(0xFF0000));
    QTest::mouseClick(Form1->CheckBox1, Qt::LeftButton, {}, QPoint(6, 8));
    QVERIFY(corner() != 0xFF0000);
    QCOMPARE(panel(0), count(1));  // fitting touches neither the list nor the count
  }

  // Each step moves the pointer to a control ("Name", or "Name@x,y" for a point in it,
  // "screen@x,y" for a point on the screen) and lets the application go idle; the hint
  // panel then reads the step's text.
  void hintPanelFollowsThePointer_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("panels");
    const QString exit = QString::fromUtf8("終了"), about = QString::fromUtf8("バージョン情報");
    const QString add = QString::fromUtf8("構成ファイル一覧にビットマップファイルを追加");
    const QString remove = QString::fromUtf8("選択されている構成ファイルを削除");
    const QString create = QString::fromUtf8("AVIファイル作成"), hint = QString::fromUtf8("ヒント");
    QTest::newRow("along the tool strip")
        << QStringList{"SpeedButton5", "SpeedButton4", "Panel1@120,30", "SpeedButton1"}
        << QStringList{exit, about, "", add};
    QTest::newRow("from buttons onto group boxes, a list, the status bar")
        << QStringList{"SpeedButton2",  "GroupBox1",    "SpeedButton3",
                       "BitmapListBox", "SpeedButton4", "StatusBar1"}
        << QStringList{remove, "", create, "", about, ""};
    QTest::newRow("nothing with a hint keeps the first text")
        << QStringList{"GroupBox2", "filelistbox1", "SpinEdit1", "Bevel1@3,30"}
        << QStringList{hint, hint, hint, hint};
    QTest::newRow("off the windows")
        << QStringList{"SpeedButton5", "screen@790,590", "SpeedButton5"}
        << QStringList{exit, "", exit};
  }
  void hintPanelFollowsThePointer() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, panels);
    open();
    QTest::mouseMove(Form1->GroupBox3);
    quintorel::test::runUntilIdle();
    for (qsizetype i = 0; i < steps.size(); ++i) {
      const QStringList parts = steps[i].split(u'@');
      QPoint at;
      if (parts.size() == 2)
        at = QPoint(parts[1].section(u',', 0, 0).toInt(), parts[1].section(u',', 1, 1).toInt());
      if (parts[0] == u"screen") {
        QCursor::setPos(at);
      } else {
        auto* control = Form1->findChild<QWidget*>(parts[0]);
        QVERIFY2(control, qPrintable(parts[0]));
        QTest::mouseMove(control, parts.size() == 2 ? at : control->rect().center());
      }
      quintorel::test::runUntilIdle();
      QCOMPARE(panel(1), panels[i]);
    }
  }

  void hintPanelIsEmptyOverTheAboutBox() {
    open();
    click(Form1->SpeedButton4);
    AboutBox->move(0, 0);  // clear of the main window
    QVERIFY(QTest::qWaitForWindowExposed(AboutBox));
    QTest::mouseMove(Form1->SpeedButton1);
    quintorel::test::runUntilIdle();
    QCOMPARE(panel(1), QString::fromUtf8("構成ファイル一覧にビットマップファイルを追加"));
    QTest::mouseMove(AboutBox->SpeedButton1);
    quintorel::test::runUntilIdle();
    QCOMPARE(panel(1), QString());
  }

  void aboutButtonTwiceShowsOneBox() {
    open();
    click(Form1->SpeedButton4);
    click(Form1->SpeedButton4);
    QVERIFY(AboutBox->isVisible());
    int boxes = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
      boxes += qobject_cast<TAboutBox*>(window) ? 1 : 0;
    QCOMPARE(boxes, 1);
  }

  void exitButtonEndsTheProgramWithTheAboutBoxShown() {
    open();
    click(Form1->SpeedButton4);
    QTimer::singleShot(0, [] { QTest::mouseClick(Form1->SpeedButton5, Qt::LeftButton); });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });
    // The event loop ends when the main window closes, although the about box is shown.
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!Form1->isVisible());
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
