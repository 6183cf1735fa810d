#pragma once

#include <windows.h>

#include <Scintilla.h>

#include <functional>
#include <string>
#include <string_view>

namespace morvelin::win32 {

// One text pane of the Windows program, on a Scintilla control: plain UTF-8 text, no margins, no
// folding, no menu of Scintilla's own. Every call goes through Scintilla's direct function.
//
// Every change of the text is reported exactly once, after it is complete: a typed character, a
// paste, an undo, a typed character that replaces a selection (which Scintilla makes of a delete
// and an insert), and every set by the program, also one that sets the text the pane holds
// already. For that the pane sees each message that reaches the control and reports the changes
// it made once the message is handled; the parent hands it Scintilla's change notifications
// (HandleCommand). An input-method composition stays in the input method's own window until it is
// committed, so it is no change of the text.
class ScintillaPane {
  public:
    struct Style {
        bool wrap = false;  // lines wrap at the pane's width (vertical scroll bar only)
        COLORREF background = RGB(255, 255, 255);
        const char* fontName = "SimSun";  // UTF-8
        int pointSize = 9;
    };

    // Makes Scintilla's window class known to the process; once, before the first pane.
    static bool RegisterClasses(HINSTANCE instance);

    // A child control of `parent` with the given id, place and look. Check Handle() for failure.
    ScintillaPane(HWND parent, int controlId, const RECT& place, const Style& style);
    ~ScintillaPane();
    ScintillaPane(const ScintillaPane&) = delete;
    ScintillaPane& operator=(const ScintillaPane&) = delete;

    HWND Handle() const { return hwnd_; }

    // The whole text as the pane holds it.
    std::string Text() const;
    // Replaces the whole text. It stays out of the undo history, which starts anew: a set is where
    // the user's own edits begin, as after a load. Works on a read-only pane too.
    void SetText(std::string_view utf8);
    // Replaces the whole text as one edit of the user's: one step that 撤销 (undo) takes back.
    void ReplaceAllAsEdit(std::string_view utf8);

    // Only the user is kept from editing; the program's sets still work.
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const;

    bool CanUndo() const;
    bool CanRedo() const;
    bool HasSelection() const;

    // Called once per change of the text.
    void OnChanged(std::function<void()> handler) { changed_ = std::move(handler); }

    // The parent's WM_COMMAND from this pane; true when it was the pane's change notification.
    bool HandleCommand(WPARAM wParam, LPARAM lParam);

    // Any Scintilla message, through the direct function.
    sptr_t Call(unsigned message, uptr_t wParam = 0, sptr_t lParam = 0) const;

  private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR data);
    // Runs `work`, which may change the text in several steps, and reports what it changed once.
    template <typename Work>
    void AsOneChange(Work&& work, bool reportAlways);
    void Report();

    HWND hwnd_ = nullptr;
    SciFnDirect direct_ = nullptr;
    sptr_t directPointer_ = 0;
    std::function<void()> changed_;
    // Inside a message of the control or a set: changes wait to be reported at its end.
    int depth_ = 0;
    bool pending_ = false;
};

}  // namespace morvelin::win32
