#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "store/Gb18030.h"

namespace morvelin::win32 {

// Where a pane's text crosses between the program's Texts (GB18030 bytes) and the panes, which
// hold UTF-8: the program's own strict codec (store/Gb18030.h: Gb18030ToUtf8, Utf8ToGb18030), the
// one its data files are read and written with, the same on every Windows (Wine has no code page
// 54936); and, for what that codec refuses, the two lossy forms below. Any thread.

// For showing bytes that are not well-formed GB18030: each such byte becomes U+FFFD. A pane that
// shows such a text keeps the bytes themselves for its reads and takes no edits.
std::string Gb18030ToUtf8Lossy(std::string_view gb18030);
// For saving what a pane holds: a character without a GB18030 code becomes '?' rather than cost
// the rest of the text. Nothing for ill-formed UTF-8.
std::optional<std::string> Utf8ToGb18030Lossy(std::string_view utf8);

}  // namespace morvelin::win32
