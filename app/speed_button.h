// A speed button: a tool-strip button with a glyph and no caption that never takes the focus.
#pragma once

#include <QRect>
#include <QString>
#include <QToolButton>

namespace quintorel {

// A button at `geometry` in `parent` showing the glyph `glyph` (see loadGlyph) centred, with
// the hint `hint` ("short|long"; empty for none).
QToolButton* makeSpeedButton(QWidget* parent, const QRect& geometry, const QString& glyph,
                             const QString& hint);

}  // namespace quintorel
