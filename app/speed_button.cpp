// Speed buttons.
#include "app/speed_button.h"

#include "app/glyphs.h"
#include "app/hints.h"

namespace quintorel {

QToolButton* makeSpeedButton(QWidget* parent, const QRect& geometry, const QString& glyph,
                             const QString& hint) {
  auto* button = new QToolButton(parent);
  button->setGeometry(geometry);
  const QIcon icon = loadGlyph(glyph);
  button->setIcon(icon);
  const QList<QSize> sizes = icon.availableSizes();
  if (!sizes.isEmpty()) button->setIconSize(sizes.constFirst());
  button->setToolButtonStyle(Qt::ToolButtonIconOnly);
  button->setFocusPolicy(Qt::NoFocus);
  button->setAutoRaise(false);
  if (!hint.isEmpty()) setHint(button, hint);
  return button;
}

}  // namespace quintorel
