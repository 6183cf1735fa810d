#include "win32/ScintillaPane.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace morvelin::win32 {
namespace {

constexpr int kPaneId = 100;

// A hidden top-level window that hands the pane its change notifications, as the main window
// does.
class PaneHost {
  public:
    PaneHost() {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        ScintillaPane::RegisterClasses(instance);
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = L"MorvelinPaneTestHost";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 400,
                                  400, nullptr, nullptr, instance, this);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        pane_ = std::make_unique<ScintillaPane>(window_, kPaneId, RECT{1, 20, 151, 420},
                                                ScintillaPane::Style{});
        pane_->OnChanged([this] {
            ++changes_;
            texts_.push_back(pane_->Text());
        });
    }
    ~PaneHost() {
        pane_.reset();
        DestroyWindow(window_);
    }

    ScintillaPane& Pane() { return *pane_; }
    int Changes() const { return changes_; }
    const std::vector<std::string>& Texts() const { return texts_; }

    // A message to the control as the window system delivers it.
    void Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        SendMessageW(pane_->Handle(), message, wParam, lParam);
    }

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* host = reinterpret_cast<PaneHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_COMMAND && host != nullptr && host->pane_ &&
            host->pane_->HandleCommand(wParam, lParam)) {
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    std::unique_ptr<ScintillaPane> pane_;
    int changes_ = 0;
    std::vector<std::string> texts_;
};

TEST(ScintillaPane, SetsAndReadsBackEveryByte) {
    PaneHost host;
    ASSERT_NE(host.Pane().Handle(), nullptr);
    // 中文, an emoji, CR LF, a lone LF, a tab, a last line without a break.
    const std::string text = "\xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80\r\nb\nc\td";
    host.Pane().SetText(text);
    EXPECT_EQ(host.Pane().Text(), text);
    EXPECT_EQ(host.Changes(), 1);
    EXPECT_FALSE(host.Pane().CanUndo()) << "a set is no edit of the user's";
}

TEST(ScintillaPane, EveryChangeIsReportedOnceWhenComplete) {
    PaneHost host;
    host.Pane().SetText("ab");
    host.Pane().SetText("ab");
    EXPECT_EQ(host.Changes(), 2) << "a set of the same text is a change too";

    host.Send(SCI_GOTOPOS, 2);
    host.Send(WM_CHAR, 'c');
    EXPECT_EQ(host.Changes(), 3);
    EXPECT_EQ(host.Texts().back(), "abc");

    // Typing over a selection is a delete and an insert inside the control: one change.
    host.Send(SCI_SELECTALL);
    host.Send(WM_CHAR, 'x');
    EXPECT_EQ(host.Changes(), 4);
    EXPECT_EQ(host.Texts().back(), "x");

    host.Send(SCI_UNDO);
    EXPECT_EQ(host.Changes(), 5);
    EXPECT_EQ(host.Texts().back(), "abc");

    // Moving the caret or selecting changes nothing.
    host.Send(SCI_SELECTALL);
    host.Send(WM_KEYDOWN, VK_LEFT);
    EXPECT_EQ(host.Changes(), 5);
}

TEST(ScintillaPane, ReplaceAllIsOneEditThatUndoTakesBack) {
    PaneHost host;
    host.Pane().SetText("a\r\na\r\nb\r\n");
    host.Pane().ReplaceAllAsEdit("a\r\nb\r\n");
    EXPECT_EQ(host.Changes(), 2);
    EXPECT_EQ(host.Pane().Text(), "a\r\nb\r\n");
    ASSERT_TRUE(host.Pane().CanUndo());
    host.Send(SCI_UNDO);
    EXPECT_EQ(host.Changes(), 3);
    EXPECT_EQ(host.Pane().Text(), "a\r\na\r\nb\r\n");
    EXPECT_FALSE(host.Pane().CanUndo());
}

TEST(ScintillaPane, ReadOnlyKeepsTheUserOutButNotTheProgram) {
    PaneHost host;
    host.Pane().SetReadOnly(true);
    host.Pane().SetText("kept");
    EXPECT_EQ(host.Pane().Text(), "kept");
    host.Send(WM_CHAR, 'x');
    EXPECT_EQ(host.Pane().Text(), "kept");
    EXPECT_EQ(host.Changes(), 1);
    EXPECT_TRUE(host.Pane().ReadOnly());
}

TEST(ScintillaPane, TakesALargeTextWhole) {
    PaneHost host;
    std::string text;
    for (int line = 0; line < 100000; ++line) {
        text += "\xE7\xBA\xA2\xE8\x89\xB2 dress " + std::to_string(line) + "\r\n";
    }
    host.Pane().SetText(text);
    EXPECT_EQ(host.Pane().Text(), text);
    EXPECT_EQ(host.Pane().Call(SCI_GETLINECOUNT), 100001);
}

}  // namespace
}  // namespace morvelin::win32
