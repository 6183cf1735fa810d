#pragma once

// The file layer's only contact with the operating system.
//
// A platform branch is one source file (FilePlatformPosix.cpp, FilePlatformWindows.cpp, chosen in
// store/CMakeLists.txt) that defines NativeFilePlatform() and a FilePlatform subclass with:
// - OpenShared: open an existing regular file for reading and writing, shared with everyone for
//   both; never create it; fail for a read-only file even where the process could write it anyway.
// - OpenForReading: open an existing regular file for reading only.
// - Examine and IdentityOf: whether a path names a file, whether that file is read-only, and an
//   identity that is equal for two paths or handles exactly when they reach the same file.
// - Length, Read, Seek and Close on an open handle.
// - The steps of an atomic replace: ReplaceTarget, CreateTempBeside (a new file in the target's
//   folder, never creating the folder), CopyAttributes, Write, Flush (to the disk), Close, Replace
//   (over the target, atomically) and Remove.
// - ListFolder and ProcessEnded, to find the temporary files of saves that never ended.
// - The steps of a write in place, where the folder refuses a replace: OpenForWriting, Reserve,
//   Write, Truncate, Flush and Close, with Length, Read and Seek to keep the old bytes.
// - LastFailure: why the last failed call of this thread failed, from errno or GetLastError.
// The file layer above holds the table of open files, the locking, the end-of-text scan and the
// refusals, so a branch needs no state of its own. Paths arrive as given: relative to the current
// directory, in the ANSI code page, '/' as separator, never empty and never with a NUL byte.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/Text.h"
#include "store/FileLayer.h"

namespace morvelin {

// Equal for two paths or handles exactly when they reach the same file (device and inode on POSIX,
// volume serial number and file index on Windows).
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t index = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

struct FileFacts {
    FileIdentity identity;
    // Not a plain file: a folder, a device, a pipe. The file layer neither reads nor replaces it.
    bool special = false;
    // The file may not be written: no write permission bit on POSIX (also for root), the
    // read-only attribute on Windows, or any other reason the process may not write it.
    bool readOnly = false;
};

enum class SeekOrigin { Start, Current, End };

class FilePlatform {
  public:
    // A file descriptor on POSIX, a HANDLE on Windows.
    using Handle = std::intptr_t;
    static constexpr Handle kNoHandle = -1;

    virtual ~FilePlatform() = default;

    // The file the path names, following symbolic links; nullopt when there is none or it cannot
    // be examined.
    virtual std::optional<FileFacts> Examine(const Text& path) = 0;

    virtual Handle OpenShared(const Text& path) = 0;
    virtual Handle OpenForReading(const Text& path) = 0;
    virtual std::optional<FileIdentity> IdentityOf(Handle file) = 0;

    // The file's length in bytes, -1 on failure.
    virtual std::int64_t Length(Handle file) = 0;
    // Reads at most `size` bytes at the current position: the count read, 0 at the end of the
    // file, -1 on failure.
    virtual std::int64_t Read(Handle file, char* buffer, std::int64_t size) = 0;
    virtual bool Seek(Handle file, std::int64_t offset, SeekOrigin origin) = 0;
    // Closes the handle in any case; false when the system reported a failure (for a file being
    // written, its content may then be incomplete).
    virtual bool Close(Handle file) = 0;

    // The path whose file a replace must swap: the path itself, or the file a symbolic link leads
    // to, so that the link survives. Empty when nothing may be written there.
    virtual Text ReplaceTarget(const Text& path) = 0;
    // A new, empty file with a unique name in the folder of `target`, open for writing, with the
    // permissions a plain create would give; its path goes to `tempPath`.
    virtual Handle CreateTempBeside(const Text& target, Text& tempPath) = 0;
    // Gives the new file the permissions (and, where allowed, the owner) of the existing file at
    // `target`; does nothing when there is none.
    virtual bool CopyAttributes(Handle file, const Text& target) = 0;
    // Writes all of `bytes` at the current position.
    virtual bool Write(Handle file, std::string_view bytes) = 0;
    // Returns once the content is on the disk.
    virtual bool Flush(Handle file) = 0;
    // Puts the closed file at `from` in the place of `target` in one step: a reader sees either
    // the old file or the new one.
    virtual bool Replace(const Text& from, const Text& target) = 0;
    virtual void Remove(const Text& path) = 0;

    // The names of the plain files in a folder, neither folders nor links; empty when it cannot be
    // read.
    virtual std::vector<Text> ListFolder(const Text& folder) = 0;
    // True only when no process with this id runs any more.
    virtual bool ProcessEnded(std::uint64_t processId) = 0;
    // Opens an existing regular file for writing, and for reading where that is allowed too, at
    // its start; never creates it. On Windows nobody else may have it open, as for the plain
    // write.
    virtual Handle OpenForWriting(const Text& path) = 0;
    // Sets aside disk room for `size` bytes from the start of the file without changing its
    // length or content, so that a full disk shows before a byte is overwritten. True where the
    // file system cannot reserve room.
    virtual bool Reserve(Handle file, std::int64_t size) = 0;
    // Cuts or extends the file to `size` bytes.
    virtual bool Truncate(Handle file, std::int64_t size) = 0;

    // Why the last call of this thread that failed did so, read right after it.
    virtual WriteFailure LastFailure() = 0;
};

// The platform's own implementation, defined by the platform branch.
FilePlatform& NativeFilePlatform();

// The implementation the file layer uses now: the native one unless a test put another in place.
FilePlatform& CurrentFilePlatform();

// Puts `platform` in place (nullptr: the native one again) and gives the one it replaces (nullptr
// for the native one). For tests; call it while no file operation runs.
FilePlatform* UseFilePlatform(FilePlatform* platform);

}  // namespace morvelin
