// The preview BitmapImage: a picture of its own, drawn at natural size from the top-left
// corner or stretched to fill the box without smoothing.
#pragma once

#include <QImage>
#include <QWidget>

#include "composition/preview.h"
#include "platform/bitmap.h"
#include "platform/device_bitmap.h"

namespace quintorel {

class PreviewBox : public QWidget, public Preview {
  Q_OBJECT
 public:
  explicit PreviewBox(QWidget* parent);

  void setPicture(const Bitmap& picture) override;
  void setStretch(bool stretch) override;
  [[nodiscard]] bool stretch() const { return stretch_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // The picture's pixels, decoded when first drawn; null for an empty picture or one the
  // bitmap object cannot decode.
  const QImage& image();

  Bitmap picture_;  // shares the entry's content; stays when the entry is removed
  bool stretch_ = false;
  bool decoded_ = false;
  DeviceBitmap pixels_;
  QImage image_;  // a view of pixels_
};

}  // namespace quintorel
