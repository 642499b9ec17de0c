// The windows' font: "ＭＳ Ｐゴシック", mapped to a Japanese font that Linux has.
#pragma once

#include <QFont>

namespace quintorel {

inline constexpr const char* kFormFontFamily = "ＭＳ Ｐゴシック";

// The form font with a character height of `pixelHeight` pixels.
[[nodiscard]] QFont formFont(int pixelHeight = 12);

// Maps the form font's family to IPA P Gothic (Debian's fonts-ipafont-gothic).
void substituteFormFont();

}  // namespace quintorel
