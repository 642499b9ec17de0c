// The windows' font.
#include "app/form_font.h"

#include <QStringList>

namespace quintorel {

QFont formFont(int pixelHeight) {
  QFont font(QString::fromUtf8(kFormFontFamily));
  font.setPixelSize(pixelHeight);
  return font;
}

void substituteFormFont() {
  // Both names fontconfig knows the proportional IPA Gothic by.
  QFont::insertSubstitutions(QString::fromUtf8(kFormFontFamily),
                             {QStringLiteral("IPAPGothic"), QString::fromUtf8("IPA Pゴシック")});
}

}  // namespace quintorel
