#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "behaviour/PaneMenu.h"

namespace morvelin::win32 {

// The context menu of pane n, from the program's menu table: the entries that pane has, each
// enabled as the pane's state allows, with its shortcut; the facts line made from `facts`. An
// entry's menu id is 1 + its place in the table.
HMENU MakePaneMenu(int pane, const PaneMenuState& state, const PaneTextFacts& facts);
std::optional<PaneCommand> CommandOfMenuId(UINT id);

// A pane tool's question in a small modal dialog over `owner`: the prompt, an edit field holding
// `initial` (one line, digits only, or several lines), OK and 取消. The answer, or nothing when
// cancelled.
std::optional<std::wstring> AskQuestion(HWND owner, const PaneToolQuestion& question,
                                        const std::wstring& initial, bool multiline);

}  // namespace morvelin::win32
