// The application's title, taken from the executable's file name.
#pragma once

#include <QString>

namespace quintorel {

// The file name without its directory, cut at its first full stop, its first character in
// upper case and every later one in lower case: "FRAMES.EXE" and "frames" both give "Frames".
[[nodiscard]] QString applicationTitleFor(const QString& executablePath);

}  // namespace quintorel
