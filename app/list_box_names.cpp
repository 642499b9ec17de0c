// The file list's names for the add operations.
#include "app/list_box_names.h"

#include <string>

#include "platform/error.h"
#include "platform/messages.h"

namespace quintorel {

std::string ListBoxNames::text(int index) const {
  if (index < 0 || index >= count()) throw Error(std::string(messages::kListIndex));
  return box_.name(index);
}

}  // namespace quintorel
