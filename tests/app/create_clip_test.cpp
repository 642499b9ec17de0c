// The create button SpeedButton3: the save dialog, the rate read from SpinEdit1 as typed,
// the errors of a creation in the error box, and clips that ffprobe reads back.
#include <QFileDialog>
#include <QMap>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/about1.h"
#include "app/application_setup.h"
#include "app/tform1.h"
#include "platform/file_ops.h"
#include "tests/app/support/window_test.h"
#include "tests/support/bmp_fixture.h"
#include "tests/support/outside_tool.h"
#include "tests/support/temp_dir.h"

using quintorel::Form1;
using quintorel::test::ErrorBoxRecorder;
namespace fs = std::filesystem;

namespace {

// The first video stream as ffprobe reads it, frames counted by decoding them.
QMap<QString, QString> probe(const fs::path& clip) {
  const quintorel::test::ToolResult result = quintorel::test::runTool(
      "ffprobe -v error -select_streams v:0 -count_frames -show_entries "
      "stream=codec_type,codec_name,pix_fmt,width,height,r_frame_rate,nb_read_frames "
      "-of default=noprint_wrappers=1 " +
      quintorel::test::shellQuote(clip.string()));
  QMap<QString, QString> fields;
  if (result.status != 0) return fields;
  for (const QString& line : QString::fromStdString(result.output).split(u'\n', Qt::SkipEmptyParts))
    fields.insert(line.section(u'=', 0, 0), line.section(u'=', 1));
  return fields;
}

// Every write to the clip fails, as on a full disk.
class FullDisk : public quintorel::FileOps {
 public:
  ssize_t write(int, const void*, std::size_t) override {
    errno = ENOSPC;
    return -1;
  }
  ssize_t pwrite(int, const void*, std::size_t, off_t) override {
    errno = ENOSPC;
    return -1;
  }
};

bool isEmptyDirectory(const fs::path& directory) { return fs::is_empty(directory); }

}  // namespace

class CreateClipTest : public QObject {
  Q_OBJECT

 private:
  fs::path startDirectory_;
  std::unique_ptr<quintorel::test::TempDir> dir_;
  fs::path frames_, out_;
  QStringList dialogStarts_;             // the name each run of the dialog started with
  std::optional<QString> dialogAnswer_;  // what the injected dialog returns

  void open(const fs::path& directory) {
    fs::current_path(directory);
    Form1 = new quintorel::TForm1;
    quintorel::AboutBox = new quintorel::TAboutBox(Form1);
    Form1->SaveAVIDialog.setRunner([this](QWidget*, const QString& start) {
      dialogStarts_ << start;
      return dialogAnswer_;
    });
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
  }

  // `count` frames of `width` x `height` in the frame directory, added with the add button.
  void addFrames(int count, int width, int height) {
    for (int i = 0; i < count; ++i) {
      quintorel::test::writeBmp24(
          frames_ / ("f" + std::to_string(i) + ".bmp"), width, height,
          [i](int x, int y) { return std::uint32_t((x * 4) << 16 | (y * 4) << 8 | i * 60); });
    }
    open(frames_);
    QTest::mouseClick(Form1->SpeedButton1, Qt::LeftButton);
    QCOMPARE(Form1->BitmapListBox->count(), count);
  }

  void create() { QTest::mouseClick(Form1->SpeedButton3, Qt::LeftButton); }
  QString outPath(const char* name) const { return QString::fromStdString((out_ / name).string()); }

 private slots:
  void initTestCase() {
    quintorel::test::dropPlatformNoise();
    quintorel::setUpApplication(*qApp);
    startDirectory_ = fs::current_path();
    QVERIFY2(quintorel::test::haveTool("ffprobe"),
             "ffprobe is needed; scripts/setup.sh installs it");
  }

  void init() {
    dir_ = std::make_unique<quintorel::test::TempDir>();
    frames_ = dir_->path() / "frames";
    out_ = dir_->path() / "out";
    fs::create_directories(frames_);
    fs::create_directories(out_);
    dialogStarts_.clear();
    dialogAnswer_ = outPath("clip.avi");
  }

  void cleanup() {
    quintorel::test::destroyWindows();
    fs::current_path(startDirectory_);
    dir_.reset();
  }

  void cancelTouchesNothing() {
    addFrames(3, 8, 8);
    dialogAnswer_.reset();
    ErrorBoxRecorder boxes;
    create();
    QCOMPARE(dialogStarts_.size(), 1);
    QVERIFY(isEmptyDirectory(out_));
    QVERIFY(boxes.texts.isEmpty());
    QCOMPARE(Form1->SaveAVIDialog.fileName(), QString());
  }

  void emptyListShowsTheListIndexError() {
    open(frames_);
    ErrorBoxRecorder boxes;
    create();
    QCOMPARE(dialogStarts_.size(), 1);  // the dialog still opens
    QCOMPARE(boxes.texts, QStringList{QString::fromUtf8("ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています.")});
    QVERIFY(isEmptyDirectory(out_));
  }

  void rateIsReadFromTheTextAsTyped_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("rate");
    QTest::newRow("25") << "25"
                        << "25/1";
    QTest::newRow("120") << "120"
                         << "120/1";
    QTest::newRow("500 not yet left, brought into range by the creation") << "500"
                                                                          << "120/1";
    QTest::newRow("empty reads as 1") << ""
                                      << "1/1";
    QTest::newRow("lone minus reads as 1") << "-"
                                           << "1/1";
    QTest::newRow("decimal separator reads as 1") << "2.5"
                                                  << "1/1";
  }
  void rateIsReadFromTheTextAsTyped() {
    QFETCH(QString, typed);
    QFETCH(QString, rate);
    addFrames(3, 64, 48);
    Form1->SpinEdit1->setText(QString());
    QTest::keyClicks(Form1->SpinEdit1, typed);
    QCOMPARE(Form1->SpinEdit1->text(), typed);
    ErrorBoxRecorder boxes;
    create();
    QVERIFY(boxes.texts.isEmpty());
    const QMap<QString, QString> stream = probe(out_ / "clip.avi");
    QCOMPARE(stream.value("codec_type"), QString("video"));
    QCOMPARE(stream.value("codec_name"), QString("rawvideo"));
    QCOMPARE(stream.value("pix_fmt"), QString("pal8"));
    QCOMPARE(stream.value("width"), QString("64"));
    QCOMPARE(stream.value("height"), QString("48"));
    QCOMPARE(stream.value("nb_read_frames"), QString("3"));
    QCOMPARE(stream.value("r_frame_rate"), rate);
  }

  void secondCreationStartsWithTheFirstPathAndReplacesTheClip() {
    addFrames(3, 16, 16);
    create();
    QCOMPARE(probe(out_ / "clip.avi").value("nb_read_frames"), QString("3"));
    QTest::mouseClick(Form1->SpeedButton2, Qt::LeftButton);  // nothing selected: no change
    quintorel::test::clickItem(Form1->BitmapListBox, 0);
    QTest::mouseClick(Form1->SpeedButton2, Qt::LeftButton);
    create();
    QCOMPARE(dialogStarts_, (QStringList{QString(), outPath("clip.avi")}));
    QCOMPARE(probe(out_ / "clip.avi").value("nb_read_frames"), QString("2"));
  }

  void failedWriteShowsCouldNotAddFrame() {
    // Frames larger than the writer's buffer, so the first frames reach the disk at once.
    addFrames(4, 200, 150);
    FullDisk disk;
    Form1->creationSettings().file.ops = &disk;
    ErrorBoxRecorder boxes;
    create();
    QCOMPARE(boxes.texts, QStringList{"Could not add frame."});
    QCOMPARE(boxes.titles, QStringList{"Create_clip_test"});
    QVERIFY(isEmptyDirectory(out_));
  }

  void saveDialogAddsTheSuffixAndAsksNoQuestion() {
    open(frames_);
    quintorel::test::writeFile(out_ / "clip.avi", std::string("an older file"));
    QStringList filters;
    QString suffix;
    bool confirms = true;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      filters = dialog->nameFilters();
      suffix = dialog->defaultSuffix();
      confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
      dialog->setDirectory(QString::fromStdString(out_.string()));
      dialog->selectFile("clip");
      QMetaObject::invokeMethod(dialog, "accept");  // as the Save button does
      // An overwrite question would be a second modal window; close it so the test ends.
      QTimer::singleShot(500, [] {
        if (auto* question = QApplication::activeModalWidget();
            question && !qobject_cast<QFileDialog*>(question))
          question->close();
      });
    });
    const std::optional<QString> chosen = quintorel::SaveDialog::runFileDialog(Form1, QString());
    QCOMPARE(filters, QStringList{QString::fromUtf8("AVIファイル(*.avi)")});
    QCOMPARE(suffix, QString("avi"));
    QVERIFY(!confirms);
    QCOMPARE(chosen, std::optional<QString>(outPath("clip.avi")));

    // The next run starts with that path; Cancel returns nothing.
    QStringList startsWith;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      startsWith = dialog->selectedFiles();
      dialog->reject();
    });
    QCOMPARE(quintorel::SaveDialog::runFileDialog(Form1, outPath("clip.avi")),
             std::optional<QString>());
    QCOMPARE(startsWith, QStringList{outPath("clip.avi")});
  }

  void samplesToAClip() {
    open(fs::path(QUINTOREL_SOURCE_DIR) / "samples");
    dialogAnswer_ = outPath("samples.avi");
    ErrorBoxRecorder boxes;
    QTest::mouseClick(Form1->SpeedButton1, Qt::LeftButton);
    QCOMPARE(Form1->BitmapListBox->count(), 12);
    create();
    QVERIFY2(boxes.texts.isEmpty(), qPrintable(boxes.texts.join(u'\n')));
    const QMap<QString, QString> stream = probe(out_ / "samples.avi");
    QCOMPARE(stream.value("codec_name"), QString("rawvideo"));
    QCOMPARE(stream.value("pix_fmt"), QString("pal8"));
    QCOMPARE(stream.value("width"), QString("96"));
    QCOMPARE(stream.value("height"), QString("72"));
    QCOMPARE(stream.value("nb_read_frames"), QString("12"));
    QCOMPARE(stream.value("r_frame_rate"), QString("10/1"));
  }
};

QTEST_MAIN(CreateClipTest)
#include "create_clip_test.moc"
