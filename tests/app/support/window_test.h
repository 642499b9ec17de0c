// Helpers for the window tests: watching the error box, letting the event loop go idle,
// clicking list items, and pictures written by ImageMagick.
#pragma once

#include <QListWidget>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <string>

#include "app/error_box.h"

namespace quintorel::test {

// Catches what the error box would show while it lives, so that no box waits for a user.
class ErrorBoxRecorder {
 public:
  ErrorBoxRecorder();
  ~ErrorBoxRecorder();
  ErrorBoxRecorder(const ErrorBoxRecorder&) = delete;
  ErrorBoxRecorder& operator=(const ErrorBoxRecorder&) = delete;

  QStringList texts;
  QStringList titles;

 private:
  ErrorBoxHook previous_;
};

// Keeps the offscreen platform's notes about what it cannot do (raise, size hints) out of
// the test logs; every other message passes. Call from initTestCase.
void dropPlatformNoise();

// Deletes the main window, and with it the about box it owns, and clears both global
// references, so the next test starts without windows.
void destroyWindows();

// Runs the event loop until it has nothing left to do and is about to wait, the moment the
// application updates its hint.
void runUntilIdle();

// A click on the item at `row`, and a double-click there preceded by that click, as a user
// makes them.
void clickItem(QListWidget* list, int row);
void doubleClickItem(QListWidget* list, int row);
// The rows' texts in order.
QStringList itemTexts(const QListWidget* list);

// Writes a BMP file (40-byte info header, 24 bits) with ImageMagick's convert from the
// picture `source`, e.g. "-size 8x8 xc:red" (a shell word list). False when convert fails.
[[nodiscard]] bool writeBmpWithImageMagick(const std::filesystem::path& path,
                                           const std::string& source);

}  // namespace quintorel::test
