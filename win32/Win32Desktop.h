#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "behaviour/Ports.h"

namespace morvelin::win32 {

// The Windows desktop behind the program's DesktopPort: task-modal boxes, the clipboard and the
// default browser.
class Win32Desktop : public DesktopPort {
  public:
    // The window that owns what the program puts on the clipboard (a clipboard emptied without an
    // owner window takes no data).
    void SetClipboardOwner(HWND owner) { clipboardOwner_ = owner; }

    void ShowMessageBox(std::string_view utf8Text, std::string_view utf8Caption,
                        BoxIcon icon) override;
    // CF_UNICODETEXT with the text as it shows, and CF_TEXT with the Text's own bytes.
    bool SetClipboardText(const Text& text) override;
    // The shell's "open"; where the shell refuses, the command line registered for ".htm" pages.
    bool OpenWebPage(std::string_view url) override;
    // The question in a small modal dialog over the clipboard owner, the main window.
    std::optional<std::string> AskText(std::string_view utf8Title, std::string_view utf8Prompt,
                                       std::string_view utf8Initial, bool multiline) override;

    // The command line that opens `url` with the program registered for ".htm" pages, made from
    // that program's registered command: cut at its first "%1" in quotes, or else at its first
    // %1, then a space and the address. Empty without a registered command.
    static std::wstring HtmCommandLine(std::wstring_view command, std::wstring_view url);

  private:
    HWND clipboardOwner_ = nullptr;
};

}  // namespace morvelin::win32
