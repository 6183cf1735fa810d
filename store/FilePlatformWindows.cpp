// The file layer's platform branch on Windows. Paths stay bytes of the ANSI code page and go to the
// ...A calls as they are: MinGW's std::filesystem::path widens a narrow string byte by byte instead
// of through the code page, so it has no place here.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "store/FilePlatform.h"
#include "store/PathNames.h"

namespace morvelin {
namespace {

constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Attributes a replaced file keeps. Read-only never gets this far: such a file is not replaced.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

HANDLE Native(FilePlatform::Handle file) {
    return reinterpret_cast<HANDLE>(file);
}

FilePlatform::Handle Wrap(HANDLE file) {
    return file == INVALID_HANDLE_VALUE ? FilePlatform::kNoHandle
                                        : reinterpret_cast<FilePlatform::Handle>(file);
}

// A handle of a disk file; a console, a pipe or a device such as "con" reached through a path
// counts as no file.
HANDLE OpenDiskFile(const Text& path, DWORD access, DWORD share) {
    const HANDLE file = CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE && GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

std::optional<BY_HANDLE_FILE_INFORMATION> InformationOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info)) {
        return std::nullopt;
    }
    return info;
}

FileIdentity IdentityFrom(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber,
            (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

WriteFailure FailureFromError(DWORD error) {
    switch (error) {
        case ERROR_SUCCESS:
            return WriteFailure::None;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return WriteFailure::DiskFull;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_PRIVILEGE_NOT_HELD:
            return WriteFailure::NoPermission;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            return WriteFailure::InUse;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_FILE_NOT_FOUND:
            return WriteFailure::FolderMissing;
        case ERROR_FILE_READ_ONLY:
            return WriteFailure::ReadOnlyFile;
        case ERROR_DIRECTORY:
            return WriteFailure::NotAPlainFile;
        default:
            return WriteFailure::Other;
    }
}

class WindowsFilePlatform final : public FilePlatform {
  public:
    std::optional<FileFacts> Examine(const Text& path) override {
        // Attribute access alone passes every sharing mode, so a file held exclusively elsewhere
        // is still examined. Backup semantics let a folder be opened too.
        const HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return std::nullopt;
        }
        const std::optional<BY_HANDLE_FILE_INFORMATION> info = InformationOf(file);
        const DWORD type = GetFileType(file);
        CloseHandle(file);
        if (!info) {
            return std::nullopt;
        }
        FileFacts facts;
        facts.identity = IdentityFrom(*info);
        facts.special =
            type != FILE_TYPE_DISK || (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        facts.readOnly = (info->dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 ||
                         (!facts.special && !MayWrite(path));
        return facts;
    }

    Handle OpenShared(const Text& path) override {
        const HANDLE file = OpenDiskFile(path, GENERIC_READ | GENERIC_WRITE, kShareReadWrite);
        if (file != INVALID_HANDLE_VALUE && IsReadOnly(file)) {
            CloseHandle(file);
            return kNoHandle;
        }
        return Wrap(file);
    }

    Handle OpenForReading(const Text& path) override {
        return Wrap(OpenDiskFile(path, GENERIC_READ, kShareReadWrite));
    }

    std::optional<FileIdentity> IdentityOf(Handle file) override {
        const std::optional<BY_HANDLE_FILE_INFORMATION> info = InformationOf(Native(file));
        if (!info) {
            return std::nullopt;
        }
        return IdentityFrom(*info);
    }

    std::int64_t Length(Handle file) override {
        LARGE_INTEGER size;
        if (!GetFileSizeEx(Native(file), &size)) {
            return -1;
        }
        return size.QuadPart;
    }

    std::int64_t Read(Handle file, char* buffer, std::int64_t size) override {
        const auto count = static_cast<DWORD>(std::min<std::int64_t>(size, 0x7FFFF000));
        DWORD got = 0;
        if (!ReadFile(Native(file), buffer, count, &got, nullptr)) {
            return -1;
        }
        return got;
    }

    bool Seek(Handle file, std::int64_t offset, SeekOrigin origin) override {
        LARGE_INTEGER distance;
        distance.QuadPart = offset;
        const DWORD method = origin == SeekOrigin::Start     ? FILE_BEGIN
                             : origin == SeekOrigin::Current ? FILE_CURRENT
                                                             : FILE_END;
        return SetFilePointerEx(Native(file), distance, nullptr, method) != 0;
    }

    bool Close(Handle file) override { return CloseHandle(Native(file)) != 0; }

    Text ReplaceTarget(const Text& path) override {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            return path;
        }
        // A link: replace the file it leads to, so that the link stays. A link that leads
        // nowhere names no file of ours, and writing through it would make one elsewhere: nothing.
        const HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return {};
        }
        Text target(MAX_PATH, '\0');
        DWORD length =
            GetFinalPathNameByHandleA(file, target.data(), static_cast<DWORD>(target.size()), 0);
        if (length >= target.size()) {
            target.resize(length);
            length = GetFinalPathNameByHandleA(file, target.data(),
                                               static_cast<DWORD>(target.size()), 0);
        }
        CloseHandle(file);
        if (length == 0 || length >= target.size()) {
            return {};
        }
        target.resize(length);
        return target;
    }

    Handle CreateTempBeside(const Text& target, Text& tempPath) override {
        for (int attempt = 0; attempt < 16; ++attempt) {
            Text candidate = TempName(target, PathBytes::DoubleByte, GetCurrentProcessId());
            // CREATE_NEW never creates the folder and never opens a file that is already there.
            const HANDLE file = CreateFileA(candidate.c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                tempPath = std::move(candidate);
                return Wrap(file);
            }
            if (GetLastError() != ERROR_FILE_EXISTS) {
                return kNoHandle;
            }
        }
        return kNoHandle;
    }

    bool CopyAttributes(Handle file, const Text& target) override {
        const DWORD attributes = GetFileAttributesA(target.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        }
        const DWORD kept = attributes & kKeptAttributes;
        if (kept == 0) {
            return true;
        }
        // Zero times leave the new file's times as they are.
        FILE_BASIC_INFO info = {};
        info.FileAttributes = kept;
        return SetFileInformationByHandle(Native(file), FileBasicInfo, &info, sizeof info) != 0;
    }

    bool Write(Handle file, std::string_view bytes) override {
        while (!bytes.empty()) {
            const auto count = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 0x7FFFF000));
            DWORD written = 0;
            if (!WriteFile(Native(file), bytes.data(), count, &written, nullptr) || written == 0) {
                return false;
            }
            bytes.remove_prefix(written);
        }
        return true;
    }

    bool Flush(Handle file) override { return FlushFileBuffers(Native(file)) != 0; }

    bool Replace(const Text& from, const Text& target) override {
        // A save must fail while the file is open anywhere, the table's entries included, and for
        // a file that may not be written: an exclusive open for writing, closed again at once,
        // refuses exactly those; a rename
        // alone needs only the right to delete, and whether it refuses a file held open with
        // FILE_SHARE_DELETE depends on the Windows version.
        const HANDLE existing = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (existing == INVALID_HANDLE_VALUE) {
            if (GetLastError() != ERROR_FILE_NOT_FOUND) {
                return false;
            }
        } else {
            const bool readOnly = IsReadOnly(existing);
            CloseHandle(existing);
            if (readOnly) {
                SetLastError(ERROR_FILE_READ_ONLY);
                return false;
            }
        }
        return MoveFileExA(from.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }

    void Remove(const Text& path) override {
        // Keeps the failure of the step before for LastFailure.
        const DWORD saved = GetLastError();
        DeleteFileA(path.c_str());
        SetLastError(saved);
    }

    Handle OpenForWriting(const Text& path) override {
        // Exclusive, as the replace checks it: refused while anyone has the file open.
        HANDLE file = OpenDiskFile(path, GENERIC_READ | GENERIC_WRITE, 0);
        if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
            file = OpenDiskFile(path, GENERIC_WRITE, 0);
        }
        if (file != INVALID_HANDLE_VALUE && IsReadOnly(file)) {
            CloseHandle(file);
            SetLastError(ERROR_FILE_READ_ONLY);
            return kNoHandle;
        }
        return Wrap(file);
    }

    bool Reserve(Handle file, std::int64_t size) override {
        LARGE_INTEGER length;
        if (!GetFileSizeEx(Native(file), &length)) {
            return false;
        }
        if (size <= length.QuadPart) {
            return true;
        }
        // Room beyond the end, the file's length unchanged; not every file system keeps it.
        FILE_ALLOCATION_INFO info = {};
        info.AllocationSize.QuadPart = size;
        if (SetFileInformationByHandle(Native(file), FileAllocationInfo, &info, sizeof info)) {
            return true;
        }
        const DWORD error = GetLastError();
        return error != ERROR_DISK_FULL && error != ERROR_HANDLE_DISK_FULL;
    }

    bool Truncate(Handle file, std::int64_t size) override {
        LARGE_INTEGER distance;
        distance.QuadPart = size;
        return SetFilePointerEx(Native(file), distance, nullptr, FILE_BEGIN) != 0 &&
               SetEndOfFile(Native(file)) != 0;
    }

    WriteFailure LastFailure() override { return FailureFromError(GetLastError()); }

    std::vector<Text> ListFolder(const Text& folder) override {
        std::vector<Text> names;
        WIN32_FIND_DATAA found;
        const HANDLE search = FindFirstFileA((folder + "/*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return names;
        }
        constexpr DWORD kNotPlain =
            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
        do {
            if ((found.dwFileAttributes & kNotPlain) == 0) {
                names.emplace_back(found.cFileName);
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }

    bool ProcessEnded(std::uint64_t processId) override {
        // No process has an id beyond a DWORD.
        if (processId == 0 || processId > MAXDWORD) {
            return processId != 0;
        }
        const HANDLE process =
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(processId));
        if (process == nullptr) {
            // Another user's process refuses the query: it runs.
            return GetLastError() == ERROR_INVALID_PARAMETER;
        }
        DWORD code = 0;
        const bool ended = GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
        CloseHandle(process);
        return ended;
    }

  private:
    // Windows itself refuses write access to a file with the read-only attribute, but Wine run by
    // root goes by the Unix permissions, which root passes: ask the attribute ourselves.
    static bool IsReadOnly(HANDLE file) {
        const std::optional<BY_HANDLE_FILE_INFORMATION> info = InformationOf(file);
        return !info || (info->dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    }

    // Whether this process may open the file for writing; a sharing refusal says nothing
    // about that.
    static bool MayWrite(const Text& path) {
        const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return GetLastError() != ERROR_ACCESS_DENIED;
        }
        CloseHandle(file);
        return true;
    }
};

}  // namespace

FilePlatform& NativeFilePlatform() {
    static WindowsFilePlatform platform;
    return platform;
}

}  // namespace morvelin
