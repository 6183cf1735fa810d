#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "store/FilePlatform.h"
#include "store/PathNames.h"

namespace morvelin {
namespace {

constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

int Fd(FilePlatform::Handle file) {
    return static_cast<int>(file);
}

FileIdentity IdentityFrom(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// Opens an existing regular file; O_NONBLOCK keeps an open of a pipe from waiting for a writer.
int OpenRegular(const Text& path, int access, struct stat& st) {
    int fd;
    do {
        fd = ::open(path.c_str(), access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

WriteFailure FailureFromErrno(int error) {
    switch (error) {
        case 0:
            return WriteFailure::None;
        case ENOSPC:
        case EDQUOT:
            return WriteFailure::DiskFull;
        case EACCES:
        case EPERM:
        case EROFS:
            return WriteFailure::NoPermission;
        case EBUSY:
        case ETXTBSY:
        case EWOULDBLOCK:
            return WriteFailure::InUse;
        case ENOENT:
        case ENOTDIR:
            return WriteFailure::FolderMissing;
        case EISDIR:
            return WriteFailure::NotAPlainFile;
        default:
            return WriteFailure::Other;
    }
}

class PosixFilePlatform final : public FilePlatform {
  public:
    std::optional<FileFacts> Examine(const Text& path) override {
        struct stat st;
        if (::stat(path.c_str(), &st) != 0) {
            return std::nullopt;
        }
        FileFacts facts;
        facts.identity = IdentityFrom(st);
        facts.special = !S_ISREG(st.st_mode);
        // Root may write anything, so the bits alone decide for it; the access check adds what
        // stops this process in particular (another owner, a read-only mount).
        facts.readOnly = (st.st_mode & kAnyWriteBit) == 0 ||
                         ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
        return facts;
    }

    Handle OpenShared(const Text& path) override {
        struct stat st;
        const int fd = OpenRegular(path, O_RDWR, st);
        if (fd < 0) {
            return kNoHandle;
        }
        if ((st.st_mode & kAnyWriteBit) == 0) {
            ::close(fd);
            return kNoHandle;
        }
        return fd;
    }

    Handle OpenForReading(const Text& path) override {
        struct stat st;
        const int fd = OpenRegular(path, O_RDONLY, st);
        return fd < 0 ? kNoHandle : fd;
    }

    std::optional<FileIdentity> IdentityOf(Handle file) override {
        struct stat st;
        if (::fstat(Fd(file), &st) != 0) {
            return std::nullopt;
        }
        return IdentityFrom(st);
    }

    std::int64_t Length(Handle file) override {
        struct stat st;
        if (::fstat(Fd(file), &st) != 0) {
            return -1;
        }
        return static_cast<std::int64_t>(st.st_size);
    }

    std::int64_t Read(Handle file, char* buffer, std::int64_t size) override {
        // One call never asks for more than Linux hands out at once anyway.
        const auto count = static_cast<size_t>(std::min<std::int64_t>(size, 0x7FFFF000));
        ssize_t got;
        do {
            got = ::read(Fd(file), buffer, count);
        } while (got < 0 && errno == EINTR);
        return got;
    }

    bool Seek(Handle file, std::int64_t offset, SeekOrigin origin) override {
        const int whence = origin == SeekOrigin::Start     ? SEEK_SET
                           : origin == SeekOrigin::Current ? SEEK_CUR
                                                           : SEEK_END;
        return ::lseek(Fd(file), static_cast<off_t>(offset), whence) >= 0;
    }

    bool Close(Handle file) override {
        // Linux releases the descriptor even when close reports EINTR: never close it twice.
        return ::close(Fd(file)) == 0;
    }

    Text ReplaceTarget(const Text& path) override {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return path;
        }
        // A link that leads nowhere names no file of ours, and writing through it would make one
        // elsewhere: nothing.
        char* resolved = ::realpath(path.c_str(), nullptr);
        if (resolved == nullptr) {
            return {};
        }
        Text target(resolved);
        std::free(resolved);
        return target;
    }

    Handle CreateTempBeside(const Text& target, Text& tempPath) override {
        // Not mkstemp: its 0600 would need the umask, which a process can only read by changing
        // it. A create with 0666 gets the same permissions as a plain create of the data file.
        for (int attempt = 0; attempt < 16; ++attempt) {
            Text candidate =
                TempName(target, PathBytes::Plain, static_cast<std::uint64_t>(::getpid()));
            int fd;
            do {
                fd = ::open(candidate.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0666);
            } while (fd < 0 && errno == EINTR);
            if (fd >= 0) {
                tempPath = std::move(candidate);
                return fd;
            }
            if (errno != EEXIST) {
                return kNoHandle;
            }
        }
        return kNoHandle;
    }

    bool CopyAttributes(Handle file, const Text& target) override {
        struct stat st;
        if (::stat(target.c_str(), &st) != 0) {
            return errno == ENOENT;
        }
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
            // Only root, or a member of the group, may give the file away; without it the new
            // file is ours, which changes no one's access to its content.
            (void)::fchown(Fd(file), st.st_uid, st.st_gid);
        }
        // After the chown, which may clear set-id bits.
        return ::fchmod(Fd(file), st.st_mode & 07777) == 0;
    }

    bool Write(Handle file, std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t written = ::write(Fd(file), bytes.data(), bytes.size());
            if (written < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return false;
            }
            bytes.remove_prefix(static_cast<size_t>(written));
        }
        return true;
    }

    bool Flush(Handle file) override {
        // The folder is not synced after the rename: a crash may then bring back the old file,
        // but never a part of either.
        int result;
        do {
            result = ::fsync(Fd(file));
        } while (result != 0 && errno == EINTR);
        return result == 0;
    }

    bool Replace(const Text& from, const Text& target) override {
        return ::rename(from.c_str(), target.c_str()) == 0;
    }

    std::vector<Text> ListFolder(const Text& folder) override {
        std::vector<Text> names;
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr) {
            return names;
        }
        while (const dirent* entry = ::readdir(dir)) {
            struct stat st;
            if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISREG(st.st_mode)) {
                names.emplace_back(entry->d_name);
            }
        }
        ::closedir(dir);
        return names;
    }

    bool ProcessEnded(std::uint64_t processId) override {
        // No process has an id beyond pid_t. One of another user answers EPERM: it runs.
        const auto pid = static_cast<pid_t>(processId);
        if (processId == 0 || static_cast<std::uint64_t>(pid) != processId || pid < 0) {
            return processId != 0;
        }
        return ::kill(pid, 0) != 0 && errno == ESRCH;
    }

    void Remove(const Text& path) override {
        // Keeps the failure of the step before for LastFailure.
        const int saved = errno;
        ::unlink(path.c_str());
        errno = saved;
    }

    Handle OpenForWriting(const Text& path) override {
        struct stat st;
        int fd = OpenRegular(path, O_RDWR, st);
        if (fd < 0 && errno == EACCES) {
            // A file we may write but not read: written all the same, without the old bytes.
            fd = OpenRegular(path, O_WRONLY, st);
        }
        if (fd < 0) {
            return kNoHandle;
        }
        // Back to blocking writes: O_NONBLOCK only kept the open itself from waiting.
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
            ::close(fd);
            return kNoHandle;
        }
        return fd;
    }

    bool Reserve(Handle file, std::int64_t size) override {
#ifdef __linux__
        if (size <= 0) {
            return true;
        }
        int result;
        do {
            result = ::fallocate(Fd(file), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size));
        } while (result != 0 && errno == EINTR);
        return result == 0 || errno == EOPNOTSUPP || errno == ENOSYS;
#else
        (void)file;
        (void)size;
        return true;
#endif
    }

    bool Truncate(Handle file, std::int64_t size) override {
        int result;
        do {
            result = ::ftruncate(Fd(file), static_cast<off_t>(size));
        } while (result != 0 && errno == EINTR);
        return result == 0;
    }

    WriteFailure LastFailure() override {
        return FailureFromErrno(errno);
    }
};

}  // namespace

FilePlatform& NativeFilePlatform() {
    static PosixFilePlatform platform;
    return platform;
}

}  // namespace morvelin
