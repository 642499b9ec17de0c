// The save dialog SaveAVIDialog.
#include "app/save_dialog.h"

#include <QFileDialog>

namespace quintorel {

SaveDialog::SaveDialog() : runner_(&SaveDialog::runFileDialog) {}

bool SaveDialog::execute(QWidget* parent) {
  const std::optional<QString> chosen = runner_(parent, fileName_);
  if (!chosen) return false;
  fileName_ = *chosen;
  return true;
}

std::optional<QString> SaveDialog::runFileDialog(QWidget* parent, const QString& fileName) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QString::fromUtf8("AVIファイル(*.avi)"));
  dialog.setDefaultSuffix(QStringLiteral("avi"));
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setWindowModality(Qt::ApplicationModal);
  if (!fileName.isEmpty()) dialog.selectFile(fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

}  // namespace quintorel
