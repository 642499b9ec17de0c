// A composition list held in memory, for the command line and the tests.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "composition/composition_list.h"

namespace quintorel {

class EntryList final : public CompositionList {
 public:
  // `capacity` is how many entries the list accepts before it refuses one.
  explicit EntryList(std::size_t capacity = std::numeric_limits<int>::max())
      : capacity_(capacity) {}

  int count() const override { return static_cast<int>(entries_.size()); }
  std::string text(int index) const override;
  const Bitmap& object(int index) const override;
  void append(const std::string& text, Bitmap picture) override;
  void remove(int index) override;
  bool selected(int index) const override { return index >= 0 && index == selected_; }
  int itemIndex() const override { return selected_; }

  // Makes `index` the current (and selected) entry; -1 for none.
  void select(int index);

 private:
  struct Entry {
    std::string name;
    Bitmap picture;
  };
  void checkIndex(int index) const;

  std::vector<Entry> entries_;
  std::size_t capacity_;
  int selected_ = -1;
};

}  // namespace quintorel
