#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/PaneTools.h"
#include "tests/win32/Win32Fixture.h"
#include "win32/PaneContextMenu.h"
#include "win32/WideText.h"

namespace morvelin::win32::testing {
namespace {

std::vector<std::wstring> MenuCaptions(HMENU menu, std::vector<bool>* enabled = nullptr) {
    std::vector<std::wstring> captions;
    for (int item = 0; item < GetMenuItemCount(menu); ++item) {
        wchar_t caption[128] = {};
        GetMenuStringW(menu, static_cast<UINT>(item), caption, 128, MF_BYPOSITION);
        captions.emplace_back(caption);
        if (enabled != nullptr) {
            enabled->push_back(
                (GetMenuState(menu, static_cast<UINT>(item), MF_BYPOSITION) & MF_GRAYED) == 0);
        }
    }
    return captions;
}

using PaneMenu = ProgramFixture;

TEST_F(PaneMenu, EachPaneHasItsEntriesEnabledAsItsStateAllows) {
    window_->SetPaneText(1, "a\r\nbb\r\n");
    const struct {
        const char* name;
        int pane;
        bool hasTrim, hasLength;
    } rows[] = {{"an input pane", 1, true, false}, {"an output pane", 4, false, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const PaneMenuState state = window_->MenuState(row.pane);
        const HMENU menu =
            MakePaneMenu(row.pane, state, CountPaneText(window_->GetPaneText(row.pane)));
        std::vector<bool> enabled;
        const auto captions = MenuCaptions(menu, &enabled);
        DestroyMenu(menu);
        const auto has = [&](const wchar_t* caption) {
            for (const auto& c : captions) {
                if (c == caption) {
                    return true;
                }
            }
            return false;
        };
        EXPECT_TRUE(has(L"撤销\tCtrl+Z"));
        EXPECT_EQ(has(L"清理空行和首尾空格"), row.hasTrim);
        EXPECT_EQ(has(L"按标题长度筛选…"), row.hasLength);
        EXPECT_EQ(has(L"共 2 行，最长 2 字节"), row.pane == 1) << "the facts line";
        for (std::size_t i = 0; i < captions.size(); ++i) {
            if (captions[i] == L"去除重复行") {
                EXPECT_EQ(enabled[i], row.pane == 1) << "a tool needs a text";
            }
        }
    }
    window_->SetRunLocked(true);
    EXPECT_FALSE(window_->MenuState(1).editable);
}

TEST_F(PaneMenu, AToolIsOneSavedEditThatUndoTakesBack) {
    const std::string text = "a\r\nb\r\na\r\nb\r\n";
    window_->SetPaneText(1, text);
    ResetSaves();
    window_->RunPaneCommand(1, PaneCommand::DropDuplicates);
    EXPECT_EQ(window_->GetPaneText(1), "a\r\nb\r\n");
    EXPECT_EQ(ReadFile("data/a-1.txt"), "a\r\nb\r\n");
    EXPECT_EQ(Saves(1), 1);
    EXPECT_TRUE(desktop_.boxes.empty()) << "the note is a balloon at the pane, not a box";
    window_->RunPaneCommand(1, PaneCommand::Undo);
    EXPECT_EQ(ReadFile("data/a-1.txt"), text);
    EXPECT_EQ(Saves(1), 2);
}

TEST_F(PaneMenu, AToolThatAsksTakesTheAnswerAndACancelChangesNothing) {
    // 衬衫 (4 bytes), abcdef (6 bytes)
    const std::string text = "\xB3\xC4\xC9\xC0\r\nabcdef\r\n";
    window_->SetPaneText(4, text);
    ResetSaves();
    window_->RunPaneCommand(4, PaneCommand::KeepUpToLength);
    EXPECT_EQ(desktop_.asked, std::vector<std::string>{"按标题长度筛选|60"});
    EXPECT_EQ(window_->GetPaneText(4), text);
    EXPECT_EQ(Saves(4), 0);
    EXPECT_TRUE(desktop_.boxes.empty());

    desktop_.answerer = [](bool) { return std::optional<std::string>("5"); };
    window_->RunPaneCommand(4, PaneCommand::KeepUpToLength);
    EXPECT_EQ(ReadFile("data/a-4.txt"), "\xB3\xC4\xC9\xC0\r\n");

    window_->SetPaneText(4, text);
    desktop_.answerer = [](bool multiline) {
        return multiline ? std::optional<std::string>("\xE8\xA1\xAC") : std::nullopt;  // 衬
    };
    window_->RunPaneCommand(4, PaneCommand::DropLinesWithWords);
    EXPECT_EQ(ReadFile("data/a-4.txt"), "abcdef\r\n");
}

}  // namespace
}  // namespace morvelin::win32::testing
