#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "core/PaneTools.h"

namespace morvelin {

// The context menu of a pane, the same in every window system: the usual editing commands, a line
// that tells the pane's size, and the tools that clean up a keyword list. Captions are UTF-8.

enum class PaneCommand {
    Undo,
    Redo,
    Cut,
    Copy,
    Paste,
    Delete,
    SelectAll,
    Facts,  // a line that only informs: lines and longest line
    TrimBlankLines,
    DropDuplicates,
    KeepUpToLength,      // asks for the length first
    DropLinesWithWords,  // asks for the words first
};

struct PaneMenuEntry {
    PaneCommand command;
    const char* caption;   // empty for the facts line, whose caption is made from the pane's text
    const char* shortcut;  // in the common "Ctrl+Z" form; empty for none
    bool separatorBefore;
    // Bit n - 1 set: the entry is in the menu of pane n.
    unsigned panes;
};

// In menu order.
std::span<const PaneMenuEntry> PaneMenuEntries();

// Whether pane n's menu has the entry.
bool PaneMenuHas(const PaneMenuEntry& entry, int pane);

// What the window system knows of a pane when its menu opens.
struct PaneMenuState {
    int pane = 1;
    bool editable = true;  // neither read-only (its file) nor locked (a run)
    bool runActive = false;
    bool canUndo = false;
    bool canRedo = false;
    bool hasSelection = false;
    bool canPaste = false;  // the clipboard holds text
    bool empty = true;
};

bool PaneCommandEnabled(PaneCommand command, const PaneMenuState& state);

// "共 36,000 行，最长 58 字节"
std::string PaneFactsCaption(const PaneTextFacts& facts);

// What a tool that changes the pane did, for the user: "已删除 1,204 行" and the like.
std::string PaneToolReport(const PaneToolResult& result);

// The tools' questions, captions and defaults.
struct PaneToolQuestion {
    const char* title;
    const char* prompt;
};
PaneToolQuestion LengthQuestion();
PaneToolQuestion WordsQuestion();
inline constexpr int kDefaultTitleLength = 60;
inline constexpr int kMaxTitleLength = 100000;

// Runs the tool of `command` (one of the tools that change the pane) on a pane's text;
// `length` and `words` are the answers to its question where it asks one.
PaneToolResult RunPaneTool(PaneCommand command, std::string_view text, std::size_t length = 0,
                           std::string_view words = {});

// True for the commands that run a tool on the pane's whole text.
bool IsPaneTool(PaneCommand command);

// 1204 -> "1,204"
std::string GroupedNumber(std::size_t n);

}  // namespace morvelin
