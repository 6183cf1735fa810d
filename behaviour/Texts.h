#pragma once

#include <span>

#include "behaviour/Layout.h"

namespace morvelin {

// The program's fixed texts, UTF-8, the same in every window system. Line breaks are CR LF.

// What 标签5 shows from the start.
extern const char* const kDescriptionText;

// A balloon tip and the control it belongs to; a tip of two lines has an empty line between them.
struct TipText {
    ControlId control;
    const char* text;
};
// In the order they are attached at start-up.
std::span<const TipText> TipTexts();

// The box after a double-click has copied an output pane.
extern const char* const kCopiedText;
extern const char* const kCopiedCaption;

}  // namespace morvelin
