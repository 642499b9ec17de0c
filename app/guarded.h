// Running a handler's body so that no exception reaches Qt's event loop.
#pragma once

#include <exception>
#include <new>
#include <string>
#include <utility>

#include "app/error_box.h"
#include "platform/error.h"
#include "platform/messages.h"

namespace quintorel {

// Runs `body`; an error it raises ends it and is shown in the error box, and the event loop
// goes on. Nothing is undone.
template <typename Body>
void guarded(Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
  } catch (const Error& error) {
    showErrorBox(error.what());
  } catch (const std::bad_alloc&) {
    showErrorBox(std::string(messages::kOutOfMemory));
  } catch (const std::exception& error) {
    showErrorBox(error.what());
  }
}

}  // namespace quintorel
