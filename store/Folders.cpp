#include "store/Folders.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace morvelin {

bool MakeFolder(const Text& path) {
    if (path.empty()) {
        return false;
    }
#ifdef _WIN32
    CreateDirectoryA(path.c_str(), nullptr);
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
#else
    mkdir(path.c_str(), 0777);
    struct stat facts {};
    return stat(path.c_str(), &facts) == 0 && S_ISDIR(facts.st_mode);
#endif
}

}  // namespace morvelin
