// The program's pictures, built in as Qt resources: speed-button glyphs and MAINICON.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace quintorel {

// The glyph `name` ("add", "delete", "create", "exit", "about"), its bottom-left pixel's colour
// made transparent. A glyph twice as wide as high is a strip of two images: the first is the
// normal one, the second the one shown while the button is disabled.
[[nodiscard]] QIcon loadGlyph(const QString& name);
// The glyph's first image alone.
[[nodiscard]] QPixmap glyphPixmap(const QString& name);
// MAINICON: 32 x 32, 16 colours with its transparency mask.
[[nodiscard]] QIcon mainIcon();

}  // namespace quintorel
