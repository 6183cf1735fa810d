#include "store/ProgramFolder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cstddef>
#include <string>

#include "store/PathNames.h"

namespace morvelin {

Text ProgramFolder(std::string_view programPath) {
    const std::size_t lastBackslash =
        LastSeparator(programPath, PathBytes::DoubleByte, Separators::Backslash);
    if (lastBackslash == std::string_view::npos) {
        return {};
    }
    // The backslash of a root stays: "C:" alone would name the drive's current directory, and ""
    // no folder at all.
    const auto drive = static_cast<unsigned char>(programPath[0]) | 0x20;
    const bool driveRoot =
        lastBackslash == 2 && drive >= 'a' && drive <= 'z' && programPath[1] == ':';
    const bool root = driveRoot || lastBackslash == 0;
    return Text(programPath.substr(0, root ? lastBackslash + 1 : lastBackslash));
}

Text PosixProgramFolder(std::string_view programPath) {
    const std::size_t slash = LastSeparator(programPath, PathBytes::Plain, Separators::Slash);
    if (slash == std::string_view::npos) {
        return {};
    }
    return Text(programPath.substr(0, slash == 0 ? 1 : slash));
}

#ifdef _WIN32
bool EnterProgramFolder() {
    // Long paths need a bigger buffer than MAX_PATH; a full buffer means the path was cut.
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return false;
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 32768) {
            return false;
        }
        path.resize(path.size() * 2);
    }
    const Text folder = ProgramFolder(path);
    return !folder.empty() && SetCurrentDirectoryA(folder.c_str()) != 0;
}
#else
bool EnterProgramFolder() {
    // The link's bytes as the kernel keeps them; a full buffer may mean the path was cut.
    std::string path(4096, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
        if (length <= 0) {
            return false;
        }
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            break;
        }
        if (path.size() >= (1u << 20)) {
            return false;
        }
        path.resize(path.size() * 2);
    }
    const Text folder = PosixProgramFolder(path);
    return !folder.empty() && ::chdir(folder.c_str()) == 0;
}
#endif

}  // namespace morvelin
