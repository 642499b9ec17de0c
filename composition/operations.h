// The operations behind the composition list's handlers: add all, add one, remove selected,
// show current, fit to box, and the frame-count text they refresh.
#pragma once

#include <string>

#include "composition/composition_list.h"
#include "composition/name_list.h"
#include "composition/preview.h"
#include "composition/status_text.h"
#include "platform/bitmap.h"

namespace quintorel {

// "フレーム数" followed by the count in decimal digits.
std::string frameCountText(int count);
// The panel's text before its first refresh.
inline constexpr const char* kInitialFrameCountText = "フレーム数　：";

// Each operation raises Error on failure and then leaves the rest undone: entries appended
// before the failure stay and the frame-count text is not refreshed. Adding loads pictures
// whole unless told otherwise (see Loading).
void addAll(const NameList& files, CompositionList& list, StatusText& frameCount,
            Loading loading = Loading::Whole);
void addOne(const NameList& files, CompositionList& list, StatusText& frameCount,
            Loading loading = Loading::Whole);
void removeSelected(CompositionList& list, StatusText& frameCount);
void showCurrent(const CompositionList& list, Preview& preview, StatusText& frameCount);
void fitToBox(bool ticked, Preview& preview);

}  // namespace quintorel
