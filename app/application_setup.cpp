// What start-up does to the application before the windows are made.
#include "app/application_setup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QStringList>
#include <QStyle>
#include <QStyleFactory>
#include <QTranslator>

#include "app/application_title.h"
#include "app/form_font.h"
#include "app/glyphs.h"

namespace quintorel {

void setUpApplication(QApplication& application) {
  substituteFormFont();
  // The layout is fixed to the pixel; the classic style draws its bevels, group frames and
  // spin buttons in the sizes it was made for, whatever the desktop's theme.
  if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows")))
    QApplication::setStyle(classic);

  // The texts of Qt's own dialogs and buttons in Japanese, whatever the user's language:
  // every other text of the program is Japanese too.
  auto* translator = new QTranslator(&application);
  if (translator->load(QStringLiteral("qtbase_ja"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(translator);

  // The name the program was started by, so that a copy or link named otherwise titles its
  // error boxes after itself. The display name is left alone: Qt would append it to every
  // window title.
  const QStringList arguments = QApplication::arguments();
  const QString executable =
      arguments.isEmpty() ? QApplication::applicationFilePath() : arguments.front();
  QApplication::setApplicationName(applicationTitleFor(executable));

  QApplication::setWindowIcon(mainIcon());
}

}  // namespace quintorel
