// A helper of the end-to-end test, run under Wine beside the program:
//   e2e_probe origin          prints where the main window's client area starts on the screen
//   e2e_probe clipboard FILE  writes the clipboard's CF_TEXT bytes to FILE, and its CF_UNICODETEXT
//                             as UTF-8 to FILE.utf8
#include <windows.h>

#include <cstdio>
#include <string>

#include "win32/WideText.h"

namespace {

bool WriteBytes(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

std::string ClipboardBytes(UINT format) {
    const HANDLE data = GetClipboardData(format);
    const void* locked = data != nullptr ? GlobalLock(data) : nullptr;
    if (locked == nullptr) {
        return {};
    }
    std::string bytes;
    if (format == CF_UNICODETEXT) {
        bytes = morvelin::win32::Utf8(static_cast<const wchar_t*>(locked));
    } else {
        bytes = static_cast<const char*>(locked);
    }
    GlobalUnlock(data);
    return bytes;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "origin") {
        const HWND window = FindWindowW(L"MorvelinMainWindow", nullptr);
        POINT origin{0, 0};
        if (window == nullptr || !ClientToScreen(window, &origin)) {
            return 1;
        }
        std::printf("%ld %ld\n", origin.x, origin.y);
        return 0;
    }
    if (command == "clipboard" && argc > 2) {
        if (!OpenClipboard(nullptr)) {
            return 1;
        }
        const std::string text = ClipboardBytes(CF_TEXT);
        const std::string unicode = ClipboardBytes(CF_UNICODETEXT);
        CloseClipboard();
        return WriteBytes(argv[2], text) && WriteBytes(std::string(argv[2]) + ".utf8", unicode) ? 0
                                                                                                : 1;
    }
    return 2;
}
