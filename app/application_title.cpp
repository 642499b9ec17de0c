// The application's title from the executable's file name.
#include "app/application_title.h"

namespace quintorel {

QString applicationTitleFor(const QString& executablePath) {
  QString name = executablePath.mid(executablePath.lastIndexOf(u'/') + 1);
  name.truncate(name.indexOf(u'.') < 0 ? name.size() : name.indexOf(u'.'));
  if (name.isEmpty()) return name;
  // Linux names are mostly lower case where Windows ones were upper case; the first letter
  // is raised so that "quintorel" gives the same title as "QUINTOREL.EXE" would.
  const qsizetype first = name.at(0).isHighSurrogate() && name.size() > 1 ? 2 : 1;
  return name.left(first).toUpper() + name.mid(first).toLower();
}

}  // namespace quintorel
