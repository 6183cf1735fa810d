#include "win32/Win32Desktop.h"

#include <shellapi.h>

#include <cstring>
#include <optional>
#include <vector>

#include "win32/PaneCodec.h"
#include "win32/PaneContextMenu.h"
#include "win32/WideText.h"

namespace morvelin::win32 {

namespace {

// Puts `size` bytes and a zero terminator of `unitSize` bytes on the open clipboard.
bool PutOnClipboard(UINT format, const void* data, std::size_t size, std::size_t unitSize) {
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size + unitSize);
    if (block == nullptr) {
        return false;
    }
    void* target = GlobalLock(block);
    if (target == nullptr) {
        GlobalFree(block);
        return false;
    }
    if (size > 0) {
        std::memcpy(target, data, size);
    }
    GlobalUnlock(block);
    if (SetClipboardData(format, block) == nullptr) {
        GlobalFree(block);
        return false;
    }
    return true;
}

std::optional<std::wstring> RegistryDefault(const std::wstring& key) {
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr,
                     &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::vector<wchar_t> value(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value.data(),
                     &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(value.data());
}

}  // namespace

void Win32Desktop::ShowMessageBox(std::string_view utf8Text, std::string_view utf8Caption,
                                  BoxIcon icon) {
    // Task-modal without an owner: every window of the program takes no input while it is open.
    const UINT style = MB_OK | MB_TASKMODAL | (icon == BoxIcon::Error ? MB_ICONERROR : 0u);
    // A box without an owner gives the activation to no one in particular when it closes: the
    // window and control that had the keyboard get it back, so that Esc and typing go on.
    const HWND active = GetActiveWindow();
    const HWND focus = GetFocus();
    MessageBoxW(nullptr, Wide(utf8Text).c_str(), Wide(utf8Caption).c_str(), style);
    if (active != nullptr && IsWindow(active)) {
        SetActiveWindow(active);
        if (focus != nullptr && IsWindow(focus) && IsChild(active, focus)) {
            SetFocus(focus);
        }
    }
}

bool Win32Desktop::SetClipboardText(const Text& text) {
    const std::optional<std::string> utf8 = Gb18030ToUtf8(text);
    const std::wstring wide = Wide(utf8 ? *utf8 : Gb18030ToUtf8Lossy(text));
    if (!OpenClipboard(clipboardOwner_)) {
        return false;
    }
    EmptyClipboard();
    const bool unicode =
        PutOnClipboard(CF_UNICODETEXT, wide.data(), wide.size() * sizeof(wchar_t), sizeof(wchar_t));
    const bool bytes = PutOnClipboard(CF_TEXT, text.data(), text.size(), 1);
    CloseClipboard();
    return unicode && bytes;
}

std::wstring Win32Desktop::HtmCommandLine(std::wstring_view command, std::wstring_view url) {
    if (command.empty()) {
        return {};
    }
    std::size_t cut = command.find(L"\"%1\"");
    if (cut == std::wstring_view::npos) {
        cut = command.find(L"%1");
    }
    std::wstring line(command.substr(0, cut));
    line += L' ';
    line += url;
    return line;
}

bool Win32Desktop::OpenWebPage(std::string_view url) {
    const std::wstring address = Wide(url);
    const HWND owner = FindWindowExW(nullptr, nullptr, nullptr, L"Microsoft Internet Explorer");
    const auto opened = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (opened > 32) {
        return true;
    }
    const std::optional<std::wstring> htmClass = RegistryDefault(L".htm");
    if (!htmClass) {
        return false;
    }
    const std::optional<std::wstring> command =
        RegistryDefault(*htmClass + L"\\shell\\open\\command");
    std::wstring line = HtmCommandLine(command.value_or(L""), address);
    if (line.empty()) {
        return false;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

std::optional<std::string> Win32Desktop::AskText(std::string_view utf8Title,
                                                 std::string_view utf8Prompt,
                                                 std::string_view utf8Initial, bool multiline) {
    const std::string title(utf8Title);
    const std::string prompt(utf8Prompt);
    const std::optional<std::wstring> answer =
        AskQuestion(clipboardOwner_, PaneToolQuestion{title.c_str(), prompt.c_str()},
                    Wide(utf8Initial), multiline);
    return answer ? std::optional<std::string>(Utf8(*answer)) : std::nullopt;
}

}  // namespace morvelin::win32
