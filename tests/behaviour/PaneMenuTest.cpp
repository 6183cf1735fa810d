#include "behaviour/PaneMenu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvelin {
namespace {

std::vector<std::string> CaptionsOf(int pane) {
    std::vector<std::string> captions;
    for (const PaneMenuEntry& entry : PaneMenuEntries()) {
        if (PaneMenuHas(entry, pane)) {
            captions.emplace_back(entry.command == PaneCommand::Facts ? "<facts>" : entry.caption);
        }
    }
    return captions;
}

TEST(PaneMenuTest, EachPaneHasItsTools) {
    const std::vector<std::string> editing = {"撤销", "重做", "剪切", "复制",
                                              "粘贴", "删除", "全选", "<facts>"};
    std::vector<std::string> input = editing;
    input.insert(input.end(), {"清理空行和首尾空格", "去除重复行"});
    std::vector<std::string> output = editing;
    output.insert(output.end(), {"去除重复行", "按标题长度筛选…", "排除含有以下词的行…"});
    for (int pane = 1; pane <= 3; ++pane) {
        EXPECT_EQ(CaptionsOf(pane), input) << "pane " << pane;
    }
    for (int pane = 4; pane <= 5; ++pane) {
        EXPECT_EQ(CaptionsOf(pane), output) << "pane " << pane;
    }
    EXPECT_TRUE(CaptionsOf(0).empty());
    EXPECT_TRUE(CaptionsOf(6).empty());
}

TEST(PaneMenuTest, EnabledAsThePaneAllows) {
    PaneMenuState writable;
    writable.canUndo = writable.canRedo = writable.hasSelection = writable.canPaste = true;
    writable.empty = false;
    PaneMenuState readOnly = writable;
    readOnly.editable = false;
    PaneMenuState running = writable;
    running.runActive = true;
    PaneMenuState emptyPane;

    struct Row {
        PaneCommand command;
        bool writable, readOnly, running, emptyPane;
    };
    const Row rows[] = {
        {PaneCommand::Undo, true, false, false, false},
        {PaneCommand::Redo, true, false, false, false},
        {PaneCommand::Cut, true, false, false, false},
        {PaneCommand::Copy, true, true, true, false},
        {PaneCommand::Paste, true, false, false, false},
        {PaneCommand::Delete, true, false, false, false},
        {PaneCommand::SelectAll, true, true, true, false},
        {PaneCommand::Facts, false, false, false, false},
        {PaneCommand::TrimBlankLines, true, false, false, false},
        {PaneCommand::DropDuplicates, true, false, false, false},
        {PaneCommand::KeepUpToLength, true, false, false, false},
        {PaneCommand::DropLinesWithWords, true, false, false, false},
    };
    for (const Row& row : rows) {
        const int c = static_cast<int>(row.command);
        EXPECT_EQ(PaneCommandEnabled(row.command, writable), row.writable) << "command " << c;
        EXPECT_EQ(PaneCommandEnabled(row.command, readOnly), row.readOnly) << "command " << c;
        EXPECT_EQ(PaneCommandEnabled(row.command, running), row.running) << "command " << c;
        EXPECT_EQ(PaneCommandEnabled(row.command, emptyPane), row.emptyPane) << "command " << c;
    }
}

TEST(PaneMenuTest, SaysWhatHappened) {
    EXPECT_EQ(GroupedNumber(0), "0");
    EXPECT_EQ(GroupedNumber(999), "999");
    EXPECT_EQ(GroupedNumber(1204), "1,204");
    EXPECT_EQ(GroupedNumber(1000000), "1,000,000");
    EXPECT_EQ(PaneFactsCaption({36000, 58}), "共 36,000 行，最长 58 字节");
    EXPECT_EQ(PaneToolReport({"", 1204, 0, true}), "已删除 1,204 行");
    EXPECT_EQ(PaneToolReport({"", 3, 2, true}), "已删除 3 行，修剪 2 行");
    EXPECT_EQ(PaneToolReport({"", 0, 2, true}), "已修剪 2 行");
    EXPECT_EQ(PaneToolReport({"x", 0, 0, false}), "没有需要改动的行");
}

TEST(PaneMenuTest, RunsEachTool) {
    const std::string text = "b \r\nb\r\n\r\nlonger line\r\nb\r\n";
    EXPECT_EQ(RunPaneTool(PaneCommand::TrimBlankLines, text).text,
              "b\r\nb\r\nlonger line\r\nb\r\n");
    EXPECT_EQ(RunPaneTool(PaneCommand::DropDuplicates, text).text,
              "b \r\nb\r\n\r\nlonger line\r\n");
    EXPECT_EQ(RunPaneTool(PaneCommand::KeepUpToLength, text, 2).text, "b \r\nb\r\n\r\nb\r\n");
    EXPECT_EQ(RunPaneTool(PaneCommand::DropLinesWithWords, text, 0, "line").text,
              "b \r\nb\r\n\r\nb\r\n");
    EXPECT_FALSE(RunPaneTool(PaneCommand::Copy, text).changed);
}

}  // namespace
}  // namespace morvelin
