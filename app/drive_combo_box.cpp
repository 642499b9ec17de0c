// The drive selector DriveComboBox1.
#include "app/drive_combo_box.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

namespace quintorel {

namespace {

QString toQString(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

}  // namespace

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent) {
  readVolumes();
  connect(this, &QComboBox::activated, this,
          [this](int index) { emit driveChosen(toQString(directoryFor(index))); });
}

void DriveComboBox::readVolumes() {
  QStringList roots;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    // Containers mount single files too (/etc/hosts); only directories can be shown.
    const QString root = volume.rootPath();
    if (volume.isValid() && QFileInfo(root).isDir() && !roots.contains(root)) roots << root;
  }
  if (!roots.contains(QStringLiteral("/"))) roots << QStringLiteral("/");
  std::sort(roots.begin(), roots.end(), [](const QString& a, const QString& b) {
    // The root first, then by path.
    if ((a == u'/') != (b == u'/')) return a == u'/';
    return a < b;
  });
  clear();
  for (const QString& root : roots) addItem(root, root);
}

void DriveComboBox::showDirectory(const std::filesystem::path& directory) {
  const QString path = toQString(directory);
  const QString root = QStorageInfo(path).rootPath();
  int index = findData(root);
  if (index < 0) {
    readVolumes();
    index = findData(root);
  }
  if (index < 0) return;
  setCurrentIndex(index);
  lastDirectory_[root] = path;
}

std::filesystem::path DriveComboBox::directoryFor(int index) const {
  const QString root = itemData(index).toString();
  return QFile::encodeName(lastDirectory_.value(root, root)).toStdString();
}

}  // namespace quintorel
