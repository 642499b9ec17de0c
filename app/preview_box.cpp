// The preview BitmapImage.
#include "app/preview_box.h"

#include <QPainter>

namespace quintorel {

PreviewBox::PreviewBox(QWidget* parent) : QWidget(parent) {}

void PreviewBox::setPicture(const Bitmap& picture) {
  picture_ = picture;
  decoded_ = false;
  image_ = QImage();
  pixels_ = DeviceBitmap();
  update();
}

void PreviewBox::setStretch(bool stretch) {
  stretch_ = stretch;
  update();
}

const QImage& PreviewBox::image() {
  if (decoded_) return image_;
  decoded_ = true;
  if (picture_.empty()) return image_;
  try {
    picture_.decodeInto(pixels_);
  } catch (const std::exception&) {
    // A picture that passed the checks of adding can still be cut short; it shows nothing.
    return image_;
  }
  // Qt reads the top byte of a Format_RGB32 pixel in some paths; the device bitmap leaves it 0.
  for (std::uint32_t& pixel : pixels_.pixels) pixel |= 0xFF000000u;
  image_ = QImage(reinterpret_cast<const uchar*>(pixels_.pixels.data()), pixels_.width,
                  pixels_.height, pixels_.width * 4, QImage::Format_RGB32);
  return image_;
}

void PreviewBox::paintEvent(QPaintEvent*) {
  const QImage& picture = image();
  if (picture.isNull()) return;
  QPainter painter(this);
  // Without smoothing: stretching repeats or drops whole rows and columns.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  if (stretch_)
    painter.drawImage(rect(), picture);
  else
    painter.drawImage(QPoint(0, 0), picture);
}

}  // namespace quintorel
