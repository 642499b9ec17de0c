// The preview BitmapImage: natural size from the top-left corner, or stretched to fill the
// box without smoothing; an empty or undecodable picture draws nothing.
#include <QImage>
#include <QSet>
#include <QTest>
#include <memory>

#include "app/application_setup.h"
#include "app/preview_box.h"
#include "platform/bitmap.h"
#include "tests/app/support/window_test.h"
#include "tests/support/temp_dir.h"

using quintorel::Bitmap;
using quintorel::PreviewBox;

namespace {

constexpr QRgb kRed = 0xFF0000, kLime = 0x00FF00, kBlue = 0x0000FF, kYellow = 0xFFFF00;
constexpr QRgb kBackground = 1;  // in a table: whatever an empty preview shows there

}  // namespace

class PreviewTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<quintorel::test::TempDir> dir_;
  QImage empty_;  // the preview with no picture

  QImage draw(const Bitmap& picture, bool stretch) {
    PreviewBox box(nullptr);
    box.resize(129, 105);
    box.setPicture(picture);
    box.setStretch(stretch);
    return box.grab().toImage();
  }

 private slots:
  void initTestCase() {
    quintorel::test::dropPlatformNoise();
    quintorel::setUpApplication(*qApp);
    dir_ = std::make_unique<quintorel::test::TempDir>();
    using quintorel::test::writeBmpWithImageMagick;
    // Four quadrants of 320 x 240, red, lime / blue, yellow.
    QVERIFY(writeBmpWithImageMagick(*dir_ / "quadrants.bmp",
                                    "\\( -size 320x240 xc:red xc:lime +append \\) "
                                    "\\( -size 320x240 xc:blue xc:yellow +append \\) -append"));
    QVERIFY(writeBmpWithImageMagick(*dir_ / "small.bmp", "-size 50x50 xc:blue"));
    QVERIFY(writeBmpWithImageMagick(*dir_ / "halves.bmp", "-size 1x1 xc:black xc:white +append"));
    PreviewBox box(nullptr);
    box.resize(129, 105);
    empty_ = box.grab().toImage();
    QCOMPARE(empty_.size(), QSize(129, 105));
  }

  void drawsAtNaturalSizeOrStretched_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("stretch");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QRgb>("colour");
    // 640 x 480 at natural size: only the top-left 129 x 105 pixels show, all red.
    QTest::newRow("large, natural, top left") << "quadrants.bmp" << false << QPoint(0, 0) << kRed;
    QTest::newRow("large, natural, bottom right")
        << "quadrants.bmp" << false << QPoint(128, 104) << kRed;
    // Scaled down to 129 x 105: each corner shows its quadrant.
    QTest::newRow("large, fit, top left") << "quadrants.bmp" << true << QPoint(0, 0) << kRed;
    QTest::newRow("large, fit, top right") << "quadrants.bmp" << true << QPoint(128, 0) << kLime;
    QTest::newRow("large, fit, bottom left") << "quadrants.bmp" << true << QPoint(0, 104) << kBlue;
    QTest::newRow("large, fit, bottom right")
        << "quadrants.bmp" << true << QPoint(128, 104) << kYellow;
    // 50 x 50 at natural size in the top-left corner, the rest left alone.
    QTest::newRow("small, natural, last pixel") << "small.bmp" << false << QPoint(49, 49) << kBlue;
    QTest::newRow("small, natural, right of it")
        << "small.bmp" << false << QPoint(50, 10) << kBackground;
    QTest::newRow("small, natural, below it")
        << "small.bmp" << false << QPoint(10, 50) << kBackground;
    // Stretched to the whole box.
    QTest::newRow("small, fit, bottom right") << "small.bmp" << true << QPoint(128, 104) << kBlue;
  }
  void drawsAtNaturalSizeOrStretched() {
    QFETCH(QString, file);
    QFETCH(bool, stretch);
    QFETCH(QPoint, at);
    QFETCH(QRgb, colour);
    const QImage shot = draw(Bitmap::loadFromFile(dir_->path(), file.toStdString()), stretch);
    const QRgb expected = colour == kBackground ? empty_.pixel(at) : colour;
    QCOMPARE(shot.pixel(at) & 0xFFFFFF, expected & 0xFFFFFF);
  }

  void stretchingDoesNotSmooth() {
    // A black and a white pixel stretched to 129 pixels: smoothing would make greys.
    const QImage shot = draw(Bitmap::loadFromFile(dir_->path(), "halves.bmp"), true);
    QSet<QRgb> colours;
    for (int x = 0; x < shot.width(); ++x) colours.insert(shot.pixel(x, 52) & 0xFFFFFF);
    QCOMPARE(colours, (QSet<QRgb>{0x000000, 0xFFFFFF}));
  }

  void nothingDrawnForAnEmptyOrBrokenPicture_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("zero-length file") << QByteArray();
    // Passes the checks of adding (BM, a 40-byte header) but holds no pixels.
    QByteArray cutShort(14 + 40, '\0');
    cutShort[0] = 'B';
    cutShort[1] = 'M';
    cutShort[14] = 40;
    cutShort[18] = 100;  // biWidth
    cutShort[22] = 100;  // biHeight
    cutShort[26] = 1;    // biPlanes
    cutShort[28] = 24;   // biBitCount
    QTest::newRow("cut short") << cutShort;
  }
  void nothingDrawnForAnEmptyOrBrokenPicture() {
    QFETCH(QByteArray, content);
    quintorel::test::writeFile(*dir_ / "picture.bmp", content.toStdString());
    for (bool stretch : {false, true})
      QCOMPARE(draw(Bitmap::loadFromFile(dir_->path(), "picture.bmp"), stretch), empty_);
  }
};

QTEST_MAIN(PreviewTest)
#include "preview_test.moc"
