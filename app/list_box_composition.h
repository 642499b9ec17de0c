// The composition list kept by the list box BitmapListBox: its items are the entries' names,
// and the pictures are kept here, row for row.
#pragma once

#include <vector>

#include "app/list_box.h"
#include "composition/composition_list.h"

namespace quintorel {

class ListBoxComposition final : public CompositionList {
 public:
  explicit ListBoxComposition(ListBox& box) : box_(box) {}

  int count() const override { return box_.count(); }
  std::string text(int index) const override;
  const Bitmap& object(int index) const override;
  void append(const std::string& text, Bitmap picture) override;
  void remove(int index) override;
  bool selected(int index) const override;
  int itemIndex() const override { return box_.itemIndex(); }

 private:
  void checkIndex(int index) const;

  ListBox& box_;
  // pictures_[i] belongs to the box's row i; only this adapter adds or takes rows.
  std::vector<Bitmap> pictures_;
};

}  // namespace quintorel
