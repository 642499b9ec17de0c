// The preview box: a picture of its own, drawn at natural size or stretched to fit.
#pragma once

#include "platform/bitmap.h"

namespace quintorel {

class Preview {
 public:
  virtual ~Preview() = default;
  // Takes a copy that shares the picture's content, drops the one it held, and redraws.
  virtual void setPicture(const Bitmap& picture) = 0;
  // Redraws at once with the new fit setting.
  virtual void setStretch(bool stretch) = 0;
};

}  // namespace quintorel
