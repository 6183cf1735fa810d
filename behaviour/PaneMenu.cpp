#include "behaviour/PaneMenu.h"

#include <array>

namespace morvelin {

namespace {

constexpr unsigned kAllPanes = 0b11111;
constexpr unsigned kInputPanes = 0b00111;
constexpr unsigned kOutputPanes = 0b11000;

constexpr std::array kEntries = {
    PaneMenuEntry{PaneCommand::Undo, "撤销", "Ctrl+Z", false, kAllPanes},
    PaneMenuEntry{PaneCommand::Redo, "重做", "Ctrl+Y", false, kAllPanes},
    PaneMenuEntry{PaneCommand::Cut, "剪切", "Ctrl+X", true, kAllPanes},
    PaneMenuEntry{PaneCommand::Copy, "复制", "Ctrl+C", false, kAllPanes},
    PaneMenuEntry{PaneCommand::Paste, "粘贴", "Ctrl+V", false, kAllPanes},
    PaneMenuEntry{PaneCommand::Delete, "删除", "Del", false, kAllPanes},
    PaneMenuEntry{PaneCommand::SelectAll, "全选", "Ctrl+A", true, kAllPanes},
    PaneMenuEntry{PaneCommand::Facts, "", "", true, kAllPanes},
    PaneMenuEntry{PaneCommand::TrimBlankLines, "清理空行和首尾空格", "", true, kInputPanes},
    PaneMenuEntry{PaneCommand::DropDuplicates, "去除重复行", "", false, kAllPanes},
    PaneMenuEntry{PaneCommand::KeepUpToLength, "按标题长度筛选…", "", false, kOutputPanes},
    PaneMenuEntry{PaneCommand::DropLinesWithWords, "排除含有以下词的行…", "", false, kOutputPanes},
};

}  // namespace

std::span<const PaneMenuEntry> PaneMenuEntries() {
    return kEntries;
}

bool PaneMenuHas(const PaneMenuEntry& entry, int pane) {
    return pane >= 1 && pane <= kPaneCount && (entry.panes & (1u << (pane - 1))) != 0;
}

bool IsPaneTool(PaneCommand command) {
    switch (command) {
        case PaneCommand::TrimBlankLines:
        case PaneCommand::DropDuplicates:
        case PaneCommand::KeepUpToLength:
        case PaneCommand::DropLinesWithWords:
            return true;
        default:
            return false;
    }
}

bool PaneCommandEnabled(PaneCommand command, const PaneMenuState& state) {
    // A run has the panes to itself: nothing may change them, whatever the pane's own state.
    const bool mayChange = state.editable && !state.runActive;
    switch (command) {
        case PaneCommand::Undo:
            return mayChange && state.canUndo;
        case PaneCommand::Redo:
            return mayChange && state.canRedo;
        case PaneCommand::Cut:
        case PaneCommand::Delete:
            return mayChange && state.hasSelection;
        case PaneCommand::Copy:
            return state.hasSelection;
        case PaneCommand::Paste:
            return mayChange && state.canPaste;
        case PaneCommand::SelectAll:
            return !state.empty;
        case PaneCommand::Facts:
            return false;  // it only informs
        case PaneCommand::TrimBlankLines:
        case PaneCommand::DropDuplicates:
        case PaneCommand::KeepUpToLength:
        case PaneCommand::DropLinesWithWords:
            return mayChange && !state.empty;
    }
    return false;
}

std::string GroupedNumber(std::size_t n) {
    std::string digits = std::to_string(n);
    std::string grouped;
    for (std::size_t k = 0; k < digits.size(); ++k) {
        if (k > 0 && (digits.size() - k) % 3 == 0) {
            grouped += ',';
        }
        grouped += digits[k];
    }
    return grouped;
}

std::string PaneFactsCaption(const PaneTextFacts& facts) {
    return "共 " + GroupedNumber(facts.lines) + " 行，最长 " + GroupedNumber(facts.longestLine) +
           " 字节";
}

std::string PaneToolReport(const PaneToolResult& result) {
    if (result.removedLines > 0 && result.trimmedLines > 0) {
        return "已删除 " + GroupedNumber(result.removedLines) + " 行，修剪 " +
               GroupedNumber(result.trimmedLines) + " 行";
    }
    if (result.removedLines > 0) {
        return "已删除 " + GroupedNumber(result.removedLines) + " 行";
    }
    if (result.trimmedLines > 0) {
        return "已修剪 " + GroupedNumber(result.trimmedLines) + " 行";
    }
    return "没有需要改动的行";
}

PaneToolQuestion LengthQuestion() {
    return {"按标题长度筛选",
            "只保留标题长度不超过多少字节的行？\n（一个汉字算 2 字节，字母和数字算 1 字节）"};
}

PaneToolQuestion WordsQuestion() {
    return {"排除含有以下词的行", "每行输入一个词，含有其中任何一个词的行都将被删除："};
}

PaneToolResult RunPaneTool(PaneCommand command, std::string_view text, std::size_t length,
                           std::string_view words) {
    switch (command) {
        case PaneCommand::TrimBlankLines:
            return TrimAndDropBlankLines(text);
        case PaneCommand::DropDuplicates:
            return DropDuplicateLines(text);
        case PaneCommand::KeepUpToLength:
            return KeepLinesUpToLength(text, length);
        case PaneCommand::DropLinesWithWords:
            return DropLinesContaining(text, words);
        default:
            return {Text(text), 0, 0, false};
    }
}

}  // namespace morvelin
