// What start-up does to the application before the windows are made.
#pragma once

class QApplication;

namespace quintorel {

// Maps the form font, installs Qt's own Japanese texts (qtbase_ja), takes the application's
// title from the executable's file name and sets the icon MAINICON.
void setUpApplication(QApplication& application);

}  // namespace quintorel
