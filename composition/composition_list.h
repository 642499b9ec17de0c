// What the operations need of the list control that holds the composition list: entries of a
// name and the picture loaded for it, in appending order.
#pragma once

#include <string>

#include "platform/bitmap.h"

namespace quintorel {

class CompositionList {
 public:
  virtual ~CompositionList() = default;
  virtual int count() const = 0;
  // Both throw Error with the list-index message outside 0 .. count() - 1.
  virtual std::string text(int index) const = 0;
  virtual const Bitmap& object(int index) const = 0;
  // Appends at the end. Throws Error "行を挿入できません" when the control refuses the item;
  // the picture is then released and nothing is appended.
  virtual void append(const std::string& text, Bitmap picture) = 0;
  // Deletes the entry at `index`, releasing its picture. Removing the selected entry leaves
  // no entry selected.
  virtual void remove(int index) = 0;
  virtual bool selected(int index) const = 0;
  // The current entry, or -1 when there is none.
  virtual int itemIndex() const = 0;
};

}  // namespace quintorel
