// The directory list DirectoryListBox1.
#include "app/directory_list_box.h"

#include <QApplication>
#include <QFile>
#include <QStyle>

#include "app/directory_contents.h"
#include "app/file_list_box.h"
#include "app/guarded.h"

namespace quintorel {

namespace {

constexpr int kPathRole = Qt::UserRole + 2;

}  // namespace

DirectoryListBox::DirectoryListBox(QWidget* parent) : ListBox(parent, 16) {
  setIconSize({16, 16});
  connect(this, &ListBox::dblClick, this, &DirectoryListBox::openSelected);
  connect(this, &ListBox::enterPressed, this, &DirectoryListBox::openSelected);
}

void DirectoryListBox::setDirectory(const std::filesystem::path& directory) {
  const DirectoryContents contents = enterDirectory(directory);
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

  clear();
  int level = 0;
  std::filesystem::path reached;
  auto add = [&](const std::string& name, const std::filesystem::path& path, const QIcon& icon) {
    appendName(name, level);
    QListWidgetItem* entry = item(count() - 1);
    entry->setIcon(icon);
    const std::string bytes = path.string();
    entry->setData(kPathRole, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  };
  for (const auto& step : contents.directory) {
    reached /= step;
    add(step.string(), reached, open);
    ++level;
  }
  setCurrentRow(count() - 1);
  for (const std::string& name : contents.subdirectories)
    add(name, contents.directory / name, closed);

  directory_ = contents.directory;
  if (fileList_) fileList_->showNames(contents.directory, contents.files);
  emit directoryChanged(QFile::decodeName(QByteArray::fromStdString(contents.directory.string())));
}

void DirectoryListBox::openSelected() {
  const int row = itemIndex();
  if (row < 0) return;
  const QByteArray path = item(row)->data(kPathRole).toByteArray();
  guarded([&] { setDirectory(path.toStdString()); });
}

}  // namespace quintorel
