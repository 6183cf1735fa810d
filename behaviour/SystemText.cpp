#include "behaviour/SystemText.h"

#include <algorithm>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include <climits>
#endif

#include "store/Gb18030.h"

namespace morvelin {

std::string PathForDisplay(const Text& path) {
#ifdef _WIN32
    std::string native = path;
    std::replace(native.begin(), native.end(), '/', '\\');
    const int wide =
        MultiByteToWideChar(CP_ACP, 0, native.data(), static_cast<int>(native.size()), nullptr, 0);
    if (wide <= 0) {
        return native;
    }
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, native.data(), static_cast<int>(native.size()), utf16.data(),
                        wide);
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(std::max(bytes, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
#else
    std::string shown;
    for (std::size_t p = 0; p < path.size();) {
        const std::size_t length = Utf8CharacterLength(path, p);
        if (length == 0) {
            shown += "\xEF\xBF\xBD";
            ++p;
        } else {
            shown.append(path, p, length);
            p += length;
        }
    }
    return shown;
#endif
}

std::string CurrentFolderForDisplay(const Text& child) {
    Text folder;
#ifdef _WIN32
    const DWORD length = GetCurrentDirectoryA(0, nullptr);
    if (length > 0) {
        folder.resize(length);
        folder.resize(GetCurrentDirectoryA(length, folder.data()));
    }
#else
    std::vector<char> buffer(PATH_MAX);
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
        folder = buffer.data();
    }
#endif
    if (!child.empty()) {
        if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') {
            folder += '/';
        }
        folder += child;
    }
    return PathForDisplay(folder);
}

}  // namespace morvelin
