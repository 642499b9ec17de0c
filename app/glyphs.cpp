// Loading the program's pictures from the built-in resources.
#include "app/glyphs.h"

#include <QBitmap>
#include <QImage>

// Outside any namespace, as Qt's resource initialiser must be named.
static void initResources() { Q_INIT_RESOURCE(resources); }

namespace quintorel {

namespace {

void ensureResources() {
  static const bool initialised = (initResources(), true);
  (void)initialised;
}

QImage glyphImage(const QString& name) {
  ensureResources();
  return QImage(QStringLiteral(":/glyphs/%1.bmp").arg(name));
}

// The bitmaps have no alpha: the colour of the bottom-left pixel marks the ground.
QPixmap transparentPart(const QImage& glyph, int x, int width) {
  const QImage part = glyph.copy(x, 0, width, glyph.height());
  QPixmap pixmap = QPixmap::fromImage(part);
  const QColor ground = QColor::fromRgb(glyph.pixel(0, glyph.height() - 1));
  pixmap.setMask(pixmap.createMaskFromColor(ground, Qt::MaskInColor));
  return pixmap;
}

}  // namespace

QIcon loadGlyph(const QString& name) {
  const QImage glyph = glyphImage(name);
  QIcon icon;
  if (glyph.isNull()) return icon;
  const int h = glyph.height();
  if (glyph.width() == 2 * h) {
    icon.addPixmap(transparentPart(glyph, 0, h), QIcon::Normal);
    icon.addPixmap(transparentPart(glyph, h, h), QIcon::Disabled);
  } else {
    icon.addPixmap(transparentPart(glyph, 0, glyph.width()), QIcon::Normal);
  }
  return icon;
}

QPixmap glyphPixmap(const QString& name) {
  const QImage glyph = glyphImage(name);
  if (glyph.isNull()) return {};
  const int width = glyph.width() == 2 * glyph.height() ? glyph.height() : glyph.width();
  return transparentPart(glyph, 0, width);
}

QIcon mainIcon() {
  ensureResources();
  // The ICO carries the mask itself; the PNG is the same picture for when no ICO reader is
  // installed.
  QIcon icon(QStringLiteral(":/icons/mainicon.ico"));
  if (icon.availableSizes().isEmpty()) icon = QIcon(QStringLiteral(":/icons/mainicon.png"));
  return icon;
}

}  // namespace quintorel
