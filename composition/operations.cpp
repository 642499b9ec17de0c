// The composition list's operations, written against the small list, status and preview
// interfaces so the window, the command line and the tests share them.
#include "composition/operations.h"

#include "platform/bitmap.h"
#include "platform/error.h"
#include "platform/messages.h"

namespace quintorel {

namespace {

void refreshFrameCount(const CompositionList& list, StatusText& frameCount) {
  frameCount.setText(frameCountText(list.count()));
}

// The picture is loaded before the entry is made, so a file that fails leaves no entry.
void addFile(const NameList& files, const std::string& name, CompositionList& list,
             Loading loading) {
  list.append(name, Bitmap::loadFromFile(files.directory(), name, loading));
}

}  // namespace

std::string frameCountText(int count) { return "フレーム数" + std::to_string(count); }

void addAll(const NameList& files, CompositionList& list, StatusText& frameCount,
            Loading loading) {
  const int n = files.count();
  for (int i = 0; i < n; ++i) addFile(files, files.text(i), list, loading);
  refreshFrameCount(list, frameCount);
}

void addOne(const NameList& files, CompositionList& list, StatusText& frameCount,
            Loading loading) {
  addFile(files, files.text(files.itemIndex()), list, loading);
  refreshFrameCount(list, frameCount);
}

void removeSelected(CompositionList& list, StatusText& frameCount) {
  // From the last entry down, so a deletion never shifts an entry still to be visited.
  for (int i = list.count() - 1; i >= 0; --i) {
    if (list.selected(i)) list.remove(i);
  }
  refreshFrameCount(list, frameCount);
}

void showCurrent(const CompositionList& list, Preview& preview, StatusText& frameCount) {
  preview.setPicture(list.object(list.itemIndex()));
  refreshFrameCount(list, frameCount);
}

void fitToBox(bool ticked, Preview& preview) { preview.setStretch(ticked); }

}  // namespace quintorel
