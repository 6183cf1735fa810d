#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "behaviour/Layout.h"
#include "core/PaneAccess.h"
#include "core/Text.h"

namespace morvelin {

// What a window system gives the program's controller (ProgramController). The controller holds
// the program's behaviour, the same on every system: it is told of the window's events and drives
// the window through these ports. Each window system (Qt on Linux, Win32 on Windows) implements
// them thinly, with its own widgets, painting, fonts and event loop.
//
// Texts: pane texts and the clipboard carry Texts (GB18030 bytes, CR LF line breaks); the
// program's own captions, labels, tips and messages are UTF-8. Every call is made on the UI
// thread, except the PaneAccess operations, which a generation worker calls too.

enum class BoxIcon { None, Error };

// The main window as the controller sees it. Controls are named by their ids in the layout tables.
class WindowView : public PaneAccess {
  public:
    // PaneAccess: GetPaneText and SetPaneText may be called on any thread; a call from another
    // thread is carried out on the UI thread while the caller waits (through the UiCallChannel
    // that the controller hands the window system), and a set raises the pane's text-changed
    // event there, once, before it returns. CloseAllFiles is the file layer's.

    // Shows `utf8` in a label; false when there is no such label.
    virtual bool SetLabelText(ControlId label, std::string_view utf8) = 0;
    // Gives a control a balloon tip, CR LF starting a new line; false when that failed.
    virtual bool AttachTip(ControlId control, std::string_view utf8) = 0;

    // The pane's data file cannot be saved over: the pane shows its text and takes no edits.
    virtual void SetPaneFileReadOnly(int pane, bool readOnly) = 0;
    // While a generation runs, the generate and category buttons and all editing are off; each
    // pane keeps its own file's read-only state underneath.
    virtual void SetRunLocked(bool locked) = 0;
    // A run's progress on the generate button; a negative value brings its caption back.
    virtual void ShowProgress(int percent) = 0;
    // The window's title bar.
    virtual void SetTitle(std::string_view utf8) = 0;

    // Replaces the whole text of pane n as one edit of the user's: the pane's text-changed event
    // once, and one step that 撤销 (undo) takes back.
    virtual void ReplacePaneTextAsEdit(int pane, const Text& text) = 0;
    // A short note at pane n of what the program just did there, shown for a moment without
    // taking the user's input (a balloon at the pane).
    virtual void ShowPaneNote(int pane, std::string_view utf8) = 0;
};

// The rest of the desktop: boxes, the clipboard and the browser. Tests put a recording fake here,
// so that no test waits on a real box or opens a real browser.
class DesktopPort {
  public:
    virtual ~DesktopPort() = default;
    // A box with one OK button and no owner window that keeps the main window from input while it
    // is open; returns when it is closed.
    virtual void ShowMessageBox(std::string_view utf8Text, std::string_view utf8Caption,
                                BoxIcon icon) = 0;
    // Plain text on the clipboard; false when the clipboard could not be set. The empty text
    // leaves an empty text there.
    virtual bool SetClipboardText(const Text& text) = 0;
    // Opens the address in the default browser, by the desktop's own means and its fallback;
    // false when nothing could open it. Returns at once.
    virtual bool OpenWebPage(std::string_view url) = 0;

    // A small modal dialog with the question's title and prompt and a field holding `initial`
    // (UTF-8): one line of digits, or several lines of text. The answer, or nothing when the user
    // cancelled.
    virtual std::optional<std::string> AskText(std::string_view utf8Title,
                                               std::string_view utf8Prompt,
                                               std::string_view utf8Initial, bool multiline) = 0;
};

// The UI thread's event loop.
class UiLoop {
  public:
    virtual ~UiLoop() = default;
    // Runs `task` on the UI thread, later, between its other events. Any thread may call it.
    virtual void Post(std::function<void()> task) = 0;
    // Runs `task` once on the UI thread after `milliseconds`, unless the returned timer is
    // stopped first. UI thread only.
    using TimerId = int;
    virtual TimerId StartTimer(int milliseconds, std::function<void()> task) = 0;
    virtual void StopTimer(TimerId timer) = 0;
};

}  // namespace morvelin
