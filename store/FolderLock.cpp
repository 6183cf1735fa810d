#include "store/FolderLock.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace morvelin {

#ifdef _WIN32

namespace {

// The folder's own name, the same for every spelling that reaches it; its full path where the
// folder cannot be opened for that.
Text CanonicalFolder(const Text& path) {
    const HANDLE folder = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder != INVALID_HANDLE_VALUE) {
        Text name(MAX_PATH, '\0');
        DWORD length =
            GetFinalPathNameByHandleA(folder, name.data(), static_cast<DWORD>(name.size()), 0);
        if (length >= name.size()) {
            name.resize(length);
            length =
                GetFinalPathNameByHandleA(folder, name.data(), static_cast<DWORD>(name.size()), 0);
        }
        CloseHandle(folder);
        if (length > 0 && length < name.size()) {
            name.resize(length);
            return name;
        }
    }
    Text full(MAX_PATH, '\0');
    DWORD length =
        GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length);
        length =
            GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    if (length == 0 || length >= full.size()) {
        return {};
    }
    full.resize(length);
    return full;
}

}  // namespace

FolderLock::~FolderLock() {
    if (handle_ != -1) {
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    }
}

FolderLock::Outcome FolderLock::Take(const Text& path) {
    if (handle_ != -1 || path.empty()) {
        return Outcome::Unavailable;
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return Outcome::Unavailable;
    }
    Text folder = CanonicalFolder(path);
    if (folder.empty()) {
        return Outcome::Unavailable;
    }
    // Windows' names ignore case; a mutex name may not hold a backslash and is kept short, so
    // the lock is named by a hash of the folder's name.
    CharUpperBuffA(folder.data(), static_cast<DWORD>(folder.size()));
    std::uint64_t hash = 14695981039346656037ull;
    for (const char byte : folder) {
        hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211ull;
    }
    char name[64];
    std::snprintf(name, sizeof name, "Local\\Morvelin-data-%016llx",
                  static_cast<unsigned long long>(hash));
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    if (mutex == nullptr) {
        return GetLastError() == ERROR_ACCESS_DENIED ? Outcome::TakenElsewhere
                                                     : Outcome::Unavailable;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return Outcome::TakenElsewhere;
    }
    handle_ = reinterpret_cast<std::intptr_t>(mutex);
    return Outcome::Taken;
}

#else

FolderLock::~FolderLock() {
    if (handle_ != -1) {
        ::close(static_cast<int>(handle_));
    }
}

FolderLock::Outcome FolderLock::Take(const Text& path) {
    if (handle_ != -1 || path.empty()) {
        return Outcome::Unavailable;
    }
    // A lock on the folder itself: it needs no file in it and no write permission, and flock
    // locks belong to the open folder, so they end with the process that holds them.
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return Outcome::Unavailable;
    }
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const bool elsewhere = errno == EWOULDBLOCK;
        ::close(fd);
        return elsewhere ? Outcome::TakenElsewhere : Outcome::Unavailable;
    }
    handle_ = fd;
    return Outcome::Taken;
}

#endif

}  // namespace morvelin
