// The application's error box: where every error raised in a handler ends up.
#pragma once

#include <QString>
#include <functional>
#include <string>

namespace quintorel {

// Shows an application-modal message box with the error icon and one OK button, the
// message with "." appended as its text and the application's name as its title. Returns
// when the user has pressed OK.
void showErrorBox(const std::string& message);

// Tests replace the box with a function that receives the text and the title the box would
// show. An empty function restores the box. Returns the function in place before.
using ErrorBoxHook = std::function<void(const QString& text, const QString& title)>;
ErrorBoxHook setErrorBoxHook(ErrorBoxHook hook);

}  // namespace quintorel
