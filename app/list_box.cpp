// A list box with fixed item height and the events the handlers need.
#include "app/list_box.h"

#include <QByteArray>
#include <QFile>
#include <QKeyEvent>
#include <QStyledItemDelegate>

namespace quintorel {

namespace {

constexpr int kNameRole = Qt::UserRole;
constexpr int kIndentRole = Qt::UserRole + 1;
constexpr int kIndentStep = 8;  // pixels per level, as a directory list steps its names in

class FixedHeightDelegate : public QStyledItemDelegate {
 public:
  FixedHeightDelegate(QObject* parent, int height) : QStyledItemDelegate(parent), height_(height) {}

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const int indent = index.data(kIndentRole).toInt() * kIndentStep;
    return {QStyledItemDelegate::sizeHint(option, index).width() + indent, height_};
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem shifted(option);
    shifted.rect.setLeft(option.rect.left() + index.data(kIndentRole).toInt() * kIndentStep);
    QStyledItemDelegate::paint(painter, shifted, index);
  }

 private:
  int height_;
};

}  // namespace

ListBox::ListBox(QWidget* parent, int itemHeight) : QListWidget(parent) {
  setItemDelegate(new FixedHeightDelegate(this, itemHeight));
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFrameShadow(QFrame::Sunken);
}

void ListBox::appendName(const std::string& name, int indent) {
  const QByteArray bytes(name.data(), static_cast<qsizetype>(name.size()));
  auto* item = new QListWidgetItem(QFile::decodeName(bytes));
  item->setData(kNameRole, bytes);
  if (indent) item->setData(kIndentRole, indent);
  addItem(item);
}

std::string ListBox::name(int row) const {
  return item(row)->data(kNameRole).toByteArray().toStdString();
}

int ListBox::itemIndex() const {
  const QList<QListWidgetItem*> chosen = selectedItems();
  return chosen.isEmpty() ? -1 : row(chosen.front());
}

void ListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  QListWidget::mouseDoubleClickEvent(event);
  emit dblClick();
}

void ListBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    emit enterPressed();
    return;
  }
  const int before = itemIndex();
  QListWidget::keyPressEvent(event);
  if (itemIndex() != before) emit selectionMovedByKey();
}

}  // namespace quintorel
