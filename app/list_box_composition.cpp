// The composition list over the list box BitmapListBox.
#include "app/list_box_composition.h"

#include <limits>
#include <string>

#include "platform/error.h"
#include "platform/messages.h"

namespace quintorel {

void ListBoxComposition::checkIndex(int index) const {
  if (index < 0 || index >= count()) throw Error(std::string(messages::kListIndex));
}

std::string ListBoxComposition::text(int index) const {
  checkIndex(index);
  return box_.name(index);
}

const Bitmap& ListBoxComposition::object(int index) const {
  checkIndex(index);
  return pictures_[static_cast<std::size_t>(index)];
}

void ListBoxComposition::append(const std::string& text, Bitmap picture) {
  // A row count must stay an int; past that, or without memory for the item, the list box
  // refuses the line, and the picture goes with this call.
  if (count() == std::numeric_limits<int>::max())
    throw Error(std::string(messages::kCannotInsertLine));
  try {
    pictures_.push_back(std::move(picture));
  } catch (const std::bad_alloc&) {
    throw Error(std::string(messages::kCannotInsertLine));
  }
  try {
    box_.appendName(text);
  } catch (const std::bad_alloc&) {
    pictures_.pop_back();
    throw Error(std::string(messages::kCannotInsertLine));
  }
}

void ListBoxComposition::remove(int index) {
  checkIndex(index);
  const bool wasSelected = selected(index);
  delete box_.takeItem(index);
  pictures_.erase(pictures_.begin() + index);
  // Qt would move the selection to a neighbour; the system list box leaves none.
  if (wasSelected) {
    box_.clearSelection();
    box_.setCurrentRow(-1);
  }
}

bool ListBoxComposition::selected(int index) const {
  return index >= 0 && index < count() && box_.item(index)->isSelected();
}

}  // namespace quintorel
