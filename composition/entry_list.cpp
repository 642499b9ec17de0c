// The in-memory composition list.
#include "composition/entry_list.h"

#include <utility>

#include "platform/error.h"
#include "platform/messages.h"

namespace quintorel {

void EntryList::checkIndex(int index) const {
  if (index < 0 || index >= count()) throw Error(std::string(messages::kListIndex));
}

std::string EntryList::text(int index) const {
  checkIndex(index);
  return entries_[static_cast<std::size_t>(index)].name;
}

const Bitmap& EntryList::object(int index) const {
  checkIndex(index);
  return entries_[static_cast<std::size_t>(index)].picture;
}

void EntryList::append(const std::string& text, Bitmap picture) {
  if (entries_.size() >= capacity_) throw Error(std::string(messages::kCannotInsertLine));
  entries_.push_back({text, std::move(picture)});
}

void EntryList::remove(int index) {
  checkIndex(index);
  entries_.erase(entries_.begin() + index);
  if (selected_ == index) selected_ = -1;
  else if (selected_ > index) --selected_;
}

void EntryList::select(int index) {
  if (index != -1) checkIndex(index);
  selected_ = index;
}

}  // namespace quintorel
