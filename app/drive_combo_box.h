// The drive selector DriveComboBox1: the mounted volumes, the root first, Linux having no
// drive letters. It remembers the last directory shown on each volume, as a drive keeps its
// own current directory.
#pragma once

#include <QComboBox>
#include <QHash>
#include <filesystem>

namespace quintorel {

class DriveComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit DriveComboBox(QWidget* parent);

  // Reads the mounted volumes again.
  void readVolumes();
  // Selects the volume that holds `directory` and remembers it as that volume's directory.
  void showDirectory(const std::filesystem::path& directory);
  // The directory to show for the volume at `index`: the last one shown there, else its root.
  [[nodiscard]] std::filesystem::path directoryFor(int index) const;

 signals:
  // The user chose a volume; `directory` is directoryFor() that volume.
  void driveChosen(const QString& directory);

 private:
  QHash<QString, QString> lastDirectory_;  // volume root -> last directory shown on it
};

}  // namespace quintorel
