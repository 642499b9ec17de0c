// The save dialog SaveAVIDialog: asks for the clip's file name and remembers the last one
// confirmed as the next start.
#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace quintorel {

class SaveDialog {
 public:
  // Runs a dialog that starts at `fileName` (empty the first time) and returns the chosen
  // path, or nothing when the user cancelled.
  using Runner = std::function<std::optional<QString>(QWidget* parent, const QString& fileName)>;

  SaveDialog();

  // True when the user confirmed a name, which fileName() then holds; cancelling leaves
  // fileName() alone.
  [[nodiscard]] bool execute(QWidget* parent);
  [[nodiscard]] const QString& fileName() const { return fileName_; }

  // Tests put a runner in place of the real dialog, so that nothing waits for a user.
  void setRunner(Runner runner) { runner_ = std::move(runner); }

  // Qt's save dialog with one filter "AVIファイル(*.avi)", the default suffix avi, no question
  // when the file exists, modal to the whole application.
  static std::optional<QString> runFileDialog(QWidget* parent, const QString& fileName);

 private:
  Runner runner_;
  QString fileName_;
};

}  // namespace quintorel
