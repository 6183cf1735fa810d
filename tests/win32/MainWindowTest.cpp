#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "behaviour/Layout.h"
#include "behaviour/Texts.h"
#include "tests/win32/Win32Fixture.h"
#include "win32/WideText.h"

namespace morvelin::win32::testing {
namespace {

// 中文, an emoji (a four-byte GB18030 character) and CR LF, in GB18030.
const std::string kChinese = "\xD6\xD0\xCE\xC4 \x94\x39\xFC\x36\r\nx\r\n";

RECT ClientPlace(HWND parent, HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

using BuiltWindow = ProgramFixture;

TEST_F(BuiltWindow, EveryControlStandsWhereTheTablesSay) {
    const HWND main = window_->Handle();
    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, morvelin::MainWindowLayout().clientWidth);
    EXPECT_EQ(client.bottom, morvelin::MainWindowLayout().clientHeight);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(main, GWL_STYLE));
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0u) << "a fixed frame, no maximise button";
    EXPECT_NE(style & WS_MINIMIZEBOX, 0u);
    EXPECT_EQ(style & WS_CLIPCHILDREN, 0u) << "group boxes would stay black inside";

    for (const ControlLayout& control : ControlLayouts()) {
        if (control.kind == ControlKind::GroupBox || control.kind == ControlKind::BalloonTips) {
            continue;
        }
        SCOPED_TRACE(control.formName);
        const HWND hwnd = window_->Control(control.id);
        ASSERT_NE(hwnd, nullptr);
        EXPECT_EQ(GetParent(hwnd), main);
        int x = control.x;
        int y = control.y;
        if (control.parent != ControlId::Window) {
            x += LayoutOf(control.parent).x;
            y += LayoutOf(control.parent).y;
        }
        const RECT place = ClientPlace(main, hwnd);
        EXPECT_EQ(place.left, x);
        EXPECT_EQ(place.top, y);
        EXPECT_EQ(place.right - place.left, control.width);
        EXPECT_EQ(place.bottom - place.top, control.height);
    }
    // 标签3 lies over the left end of 超级链接框6.
    EXPECT_EQ(GetWindow(window_->Control(ControlId::Label3), GW_HWNDNEXT),
              window_->Control(ControlId::Link10));
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        EXPECT_EQ(SendMessageW(window_->Control(CategoryControl(letter)), BM_GETCHECK, 0, 0),
                  letter == 'a' ? BST_CHECKED : BST_UNCHECKED);
    }
    ASSERT_NE(window_->Label(ControlId::Label5), nullptr);
    EXPECT_EQ(window_->Label(ControlId::Label5)->Text(), Wide(kDescriptionText));
}

TEST(MainWindowPlace, IsCentredFromTheOuterSizeAlsoOnASmallScreen) {
    const struct {
        const char* name;
        int width, height, x, y;
    } rows[] = {
        {"1024 x 768", 1024, 768, 68, 56},
        {"800 x 600: off the screen", 800, 600, -44, -28},
        {"odd sizes truncate", 1025, 769, 68, 56},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const POINT start = MainWindow::StartPosition(row.width, row.height);
        EXPECT_EQ(start.x, row.x);
        EXPECT_EQ(start.y, row.y);
    }
}

using Panes = ProgramFixture;

TEST_F(Panes, ASetReadsBackItsBytesSavesThemAndIsOneChange) {
    const struct {
        const char* name;
        std::string set, read;
        bool readOnly;
    } rows[] = {
        {"Chinese, an emoji, CR LF", kChinese, kChinese, false},
        {"a lone LF and a lone CR become CR LF", "a\nb\rc", "a\r\nb\r\nc", false},
        {"the text ends at its first NUL", std::string("ab\0cd", 5), "ab", false},
        {"the empty text", "", "", false},
        {"bytes that are no GB18030 come back whole, read-only", "ok \x81\x20 \xFF",
         "ok \x81\x20 \xFF", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ResetSaves();
        window_->SetPaneText(3, row.set);
        EXPECT_EQ(Saves(3), 1);
        EXPECT_EQ(window_->GetPaneText(3), row.read);
        EXPECT_EQ(ReadFile("data/a-3.txt"), row.read);
        EXPECT_EQ(window_->Pane(3).ReadOnly(), row.readOnly);
        window_->SetPaneText(3, row.set);
        EXPECT_EQ(Saves(3), 2) << "a set of the same text is a change too";
    }
}

TEST_F(Panes, ATypedCharacterIsOneChangeAndIsSaved) {
    const HWND pane = window_->Pane(2).Handle();
    SendMessageW(pane, WM_CHAR, 0x4E2D, 0);  // 中
    SendMessageW(pane, WM_CHAR, 'x', 0);
    EXPECT_EQ(Saves(2), 2);
    EXPECT_EQ(ReadFile("data/a-2.txt"), "\xD6\xD0x");
    SendMessageW(pane, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(Saves(2), 3);
    EXPECT_EQ(ReadFile("data/a-2.txt"), "\xD6\xD0x\r\n") << "Enter makes CR LF";
}

TEST_F(Panes, ANulOrSubInThePaneNeverReachesTheFileAndCostsNothingElse) {
    // As an input of the user's reaches the control: one message, one change.
    SendMessageW(window_->Pane(1).Handle(), SCI_APPENDTEXT, 7,
                 reinterpret_cast<LPARAM>("a\0b\x1A\r\nc"));
    EXPECT_EQ(Saves(1), 1);
    EXPECT_EQ(ReadFile("data/a-1.txt"), "ab\r\nc");
}

TEST_F(Panes, AWorkersCallsRunOnTheUiThreadAndItsSetIsSavedBeforeItReturns) {
    std::string text;
    for (int line = 0; line < 20000; ++line) {
        text += "\xB3\xC4\xC9\xC0 " + std::to_string(line) + "\r\n";
    }
    bool done = false;
    std::string readBack;
    std::string savedWhenSetReturned;
    std::thread worker([&] {
        window_->SetPaneText(5, text);
        savedWhenSetReturned = ReadFile("data/a-5.txt");
        readBack = window_->GetPaneText(5);
        done = true;
        PostThreadMessageW(0, 0, 0, 0);
    });
    PumpUntil([&] { return done; });
    worker.join();
    EXPECT_EQ(savedWhenSetReturned, text);
    EXPECT_EQ(readBack, text);
    EXPECT_EQ(Saves(5), 1);
}

TEST_F(Panes, ARunLocksEditingAndTheButtonsAndGivesEachPaneItsFileStateBack) {
    window_->SetPaneFileReadOnly(1, true);
    window_->SetRunLocked(true);
    EXPECT_FALSE(IsWindowEnabled(window_->Control(ControlId::GenerateButton)));
    EXPECT_FALSE(IsWindowEnabled(window_->Control(CategoryControl('q'))));
    for (int pane = 1; pane <= 5; ++pane) {
        EXPECT_TRUE(window_->Pane(pane).ReadOnly()) << pane;
    }
    window_->ShowProgress(42);
    wchar_t caption[64];
    GetWindowTextW(window_->Control(ControlId::GenerateButton), caption, 64);
    EXPECT_EQ(std::wstring(caption), L"生成中 42%");
    window_->SetRunLocked(false);
    window_->ShowProgress(-1);
    GetWindowTextW(window_->Control(ControlId::GenerateButton), caption, 64);
    EXPECT_EQ(std::wstring(caption), L"一 键 生 成");
    EXPECT_TRUE(IsWindowEnabled(window_->Control(CategoryControl('q'))));
    EXPECT_TRUE(window_->Pane(1).ReadOnly()) << "its file cannot be saved over";
    EXPECT_FALSE(window_->Pane(2).ReadOnly());
}

using Handlers = ProgramFixture;

TEST_F(Handlers, ACategoryClickMarksOnlyItsButtonAndLoadsItsFiles) {
    WriteFile("data/c-1.txt", kChinese);
    SendMessageW(window_->Control(CategoryControl('c')), BM_CLICK, 0, 0);
    EXPECT_EQ(window_->GetPaneText(1), kChinese);
    EXPECT_EQ(SendMessageW(window_->Control(CategoryControl('c')), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(window_->Control(ControlId::CategoryA), BM_GETCHECK, 0, 0),
              BST_UNCHECKED);
    EXPECT_EQ(ReadFile("data/c-1.txt"), kChinese) << "a selection rewrites no file";
    EXPECT_EQ(GetFileAttributesW(L"data\\c-5.txt") != INVALID_FILE_ATTRIBUTES, true);
}

TEST_F(Handlers, TheGenerateButtonFillsAndSavesBothOutputs) {
    window_->SetPaneText(1, "\xB3\xC4\xC9\xC0\r\n\xC1\xAC\xD2\xC2\xC8\xB9\r\n");  // 衬衫 连衣裙
    window_->SetPaneText(2, "\xBA\xEC\xC9\xAB");                                  // 红色
    window_->SetPaneText(3, "\xC5\xAE\xD7\xB0");                                  // 女装
    bool finished = false;
    controller_->OnRunFinished([&](GenerationOutcome) { finished = true; });
    SendMessageW(window_->Control(ControlId::GenerateButton), BM_CLICK, 0, 0);
    PumpUntil([&] { return finished; });
    EXPECT_EQ(ReadFile("data/a-4.txt"),
              "\xB3\xC4\xC9\xC0 \xBA\xEC\xC9\xAB\r\n"
              "\xC1\xAC\xD2\xC2\xC8\xB9 \xBA\xEC\xC9\xAB\r\n");
    EXPECT_EQ(ReadFile("data/a-5.txt"),
              "\xB3\xC4\xC9\xC0 \xBA\xEC\xC9\xAB \xC5\xAE\xD7\xB0\r\n"
              "\xC1\xAC\xD2\xC2\xC8\xB9 \xBA\xEC\xC9\xAB "
              "\xC5\xAE\xD7\xB0\r\n");
    EXPECT_TRUE(IsWindowEnabled(window_->Control(ControlId::GenerateButton)));
}

TEST_F(Handlers, ADoubleClickCopiesAnOutputPaneOnlyAndSaysSo) {
    const struct {
        const char* name;
        int pane;
        bool copies;
    } rows[] = {{"pane 4", 4, true}, {"pane 5", 5, true}, {"pane 1 only selects", 1, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        desktop_.clipboard.clear();
        desktop_.boxes.clear();
        window_->SetPaneText(row.pane, kChinese);
        const HWND pane = window_->Pane(row.pane).Handle();
        const LPARAM at = MAKELPARAM(5, 5);
        for (int press = 0; press < 2; ++press) {
            SendMessageW(pane, WM_LBUTTONDOWN, MK_LBUTTON, at);
            SendMessageW(pane, WM_LBUTTONUP, 0, at);
        }
        Pump();
        EXPECT_TRUE(window_->Pane(row.pane).HasSelection()) << "the word is selected";
        if (!row.copies) {
            EXPECT_TRUE(desktop_.clipboard.empty());
            EXPECT_TRUE(desktop_.boxes.empty());
            continue;
        }
        ASSERT_EQ(desktop_.clipboard.size(), 1u);
        EXPECT_EQ(desktop_.clipboard[0], kChinese);
        ASSERT_EQ(desktop_.boxes.size(), 1u);
        EXPECT_EQ(desktop_.boxes[0].text, kCopiedText);
        EXPECT_EQ(desktop_.boxes[0].caption, kCopiedCaption);
        // The real clipboard holds both forms.
        ASSERT_TRUE(OpenClipboard(nullptr));
        const auto* bytes = static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT)));
        EXPECT_EQ(std::string(bytes != nullptr ? bytes : ""), kChinese);
        GlobalUnlock(GetClipboardData(CF_TEXT));
        const auto* wide =
            static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
        EXPECT_EQ(std::wstring(wide != nullptr ? wide : L""), L"中文 \U0001F600\r\nx\r\n");
        GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
        CloseClipboard();
    }
}

TEST_F(Handlers, EscInAPaneClosesTheWindowAndOpensTheMakersPageOnce) {
    PostMessageW(window_->Pane(2).Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    MSG quit{};
    PumpUntil([&] { return PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE; });
    EXPECT_EQ(quit.wParam, 0u);
    EXPECT_EQ(window_->Handle(), nullptr);
    EXPECT_EQ(desktop_.opened, std::vector<std::string>{kMakersPageUrl});
    EXPECT_TRUE(controller_->EventsBlocked());
}

TEST_F(Handlers, TabMovesTheFocusAndNeverReachesAPane) {
    const HWND pane = window_->Pane(1).Handle();
    ShowWindow(window_->Handle(), SW_SHOW);
    SetFocus(pane);
    PostMessageW(pane, WM_KEYDOWN, VK_TAB, 0);
    Pump();
    EXPECT_EQ(window_->GetPaneText(1), "");
    EXPECT_NE(GetFocus(), pane);
}

using Links = ProgramFixture;

TEST_F(Links, HoverAndAPressThatOpensOrFailsGiveTheirColours) {
    const LinkLayout& link = LinkOf(ControlId::Link9);
    const HWND hwnd = window_->Control(ControlId::Link9);
    const auto colour = [&] { return window_->LinkColour(ControlId::Link9); };
    EXPECT_EQ(colour(), ColorOf(link.normal));
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(colour(), ColorOf(link.hover));
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(desktop_.opened, std::vector<std::string>{link.url});
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(-5, 3));
    EXPECT_EQ(colour(), ColorOf(link.visited));
    desktop_.openSucceeds = false;
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(-5, 3));
    EXPECT_EQ(colour(), ColorOf(link.normal)) << "a failed press clears the visited mark";
}

}  // namespace
}  // namespace morvelin::win32::testing
