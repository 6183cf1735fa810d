#include "store/FileLayer.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <vector>

#include "store/FilePlatform.h"

namespace morvelin {
namespace {

std::atomic<FilePlatform*> installedPlatform{nullptr};

struct OpenFile {
    FileNumber number = 0;
    FilePlatform::Handle handle = FilePlatform::kNoHandle;
    // Taken at the open, so that a write by any spelling of the same path finds the entry.
    FileIdentity identity;
};

// The loads of the UI thread and the final close of a generation worker meet here; one lock
// around each whole operation keeps them apart, and a hold around a whole load.
class OpenFileTable {
  public:
    // Waits while another thread holds the table.
    std::unique_lock<std::mutex> Lock() {
        std::unique_lock lock(mutex_);
        const auto free = [this] {
            return holdDepth_ == 0 || holder_ == std::this_thread::get_id();
        };
        if (!free()) {
            ++waiters_;
            holdEnded_.wait(lock, free);
            --waiters_;
        }
        return lock;
    }

    std::size_t Waiters() {
        std::lock_guard lock(mutex_);
        return waiters_;
    }

    void Hold() {
        auto lock = Lock();
        holder_ = std::this_thread::get_id();
        ++holdDepth_;
    }

    void Release() {
        {
            std::lock_guard lock(mutex_);
            if (--holdDepth_ > 0) {
                return;
            }
            holder_ = {};
        }
        holdEnded_.notify_all();
    }

    FileNumber Add(FilePlatform::Handle handle, FileIdentity identity) {
        const FileNumber number = NextFreeNumber();
        entries_.push_back({number, handle, identity});
        return number;
    }

    const OpenFile* Find(FileNumber number) const {
        for (const OpenFile& entry : entries_) {
            if (entry.number == number) {
                return &entry;
            }
        }
        return nullptr;
    }

    bool Holds(const FileIdentity& identity) const {
        for (const OpenFile& entry : entries_) {
            if (entry.identity == identity) {
                return true;
            }
        }
        return false;
    }

    void CloseAll(FilePlatform& platform) {
        for (const OpenFile& entry : entries_) {
            platform.Close(entry.handle);
        }
        entries_.clear();
    }

  private:
    FileNumber NextFreeNumber() {
        // Counting on from the last number keeps a stale number of a closed entry from naming a
        // new one for a long time; after a wrap the live entries are skipped.
        do {
            next_ = next_ == INT32_MAX ? 1 : next_ + 1;
        } while (Find(next_) != nullptr);
        return next_;
    }

    std::mutex mutex_;
    std::condition_variable holdEnded_;
    std::thread::id holder_;
    int holdDepth_ = 0;
    std::size_t waiters_ = 0;
    std::vector<OpenFile> entries_;
    FileNumber next_ = 0;
};

OpenFileTable& Table() {
    static OpenFileTable table;
    return table;
}

// A path with a NUL byte would reach the system cut short, naming another file.
bool IsUsablePath(const Text& path) {
    return !path.empty() && path.find('\0') == Text::npos;
}

struct TextEnd {
    std::size_t length = 0;               // bytes that belong to the text
    std::optional<std::size_t> stopByte;  // the 0x00 or 0x1A that ended it, if one did
};

// A byte of 0x80 or more starts a two-byte character whose second byte is never tested, except
// that a NUL there ends the text before the character. A lead byte with no byte after it stays.
TextEnd FindTextEnd(const char* bytes, std::size_t count) {
    std::size_t p = 0;
    while (p < count) {
        const auto byte = static_cast<unsigned char>(bytes[p]);
        if (byte == 0x00 || byte == 0x1A) {
            return {p, p};
        }
        if (byte < 0x80) {
            ++p;
        } else if (p + 1 == count) {
            ++p;
        } else if (bytes[p + 1] == '\0') {
            return {p, p + 1};
        } else {
            p += 2;
        }
    }
    return {count, std::nullopt};
}

// Reads from the current position: one buffer of the file's length, filled until it is full or
// the file ends. Leaves the position at the byte that ended the text, or at the end of the file.
Text ReadTextAtPosition(FilePlatform& platform, FilePlatform::Handle file) {
    const std::int64_t length = platform.Length(file);
    if (length <= 0 || static_cast<std::uint64_t>(length) > kMaxTextBytes) {
        return {};
    }
    Text buffer;
    try {
        buffer.resize(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        platform.Seek(file, 0, SeekOrigin::End);
        return {};
    }
    std::size_t count = 0;
    while (count < buffer.size()) {
        const std::int64_t got = platform.Read(file, buffer.data() + count,
                                               static_cast<std::int64_t>(buffer.size() - count));
        if (got < 0) {
            platform.Seek(file, 0, SeekOrigin::End);
            return {};
        }
        if (got == 0) {
            break;
        }
        count += static_cast<std::size_t>(got);
    }
    const TextEnd end = FindTextEnd(buffer.data(), count);
    if (end.stopByte) {
        platform.Seek(file, -static_cast<std::int64_t>(count - *end.stopByte), SeekOrigin::Current);
    }
    if (end.length == buffer.size()) {
        return buffer;
    }
    // A fresh copy, so that a short text does not keep the whole file's buffer alive.
    return Text(buffer.data(), end.length);
}

// Every byte from the current position to the end, which must come where the file's length
// says: a file that grows or fails meanwhile gives ReadError.
FileLoad ReadAllBytes(FilePlatform& platform, FilePlatform::Handle file) {
    const std::int64_t length = platform.Length(file);
    if (length < 0) {
        return {LoadProblem::ReadError, {}};
    }
    if (static_cast<std::uint64_t>(length) > kMaxTextBytes) {
        return {LoadProblem::TooLarge, {}};
    }
    FileLoad load;
    try {
        load.bytes.resize(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        return {LoadProblem::OutOfMemory, {}};
    }
    std::size_t count = 0;
    for (;;) {
        char extra;
        const bool full = count == load.bytes.size();
        const std::int64_t got =
            full ? platform.Read(file, &extra, 1)
                 : platform.Read(file, load.bytes.data() + count,
                                 static_cast<std::int64_t>(load.bytes.size() - count));
        if (got < 0 || (full && got > 0)) {
            return {LoadProblem::ReadError, {}};
        }
        if (got == 0) {
            break;
        }
        count += static_cast<std::size_t>(got);
    }
    load.bytes.resize(count);
    return load;
}

bool FolderExists(const Text& path) {
    const auto slash = path.rfind('/');
    if (slash == Text::npos) {
        return true;
    }
    const std::optional<FileFacts> facts =
        CurrentFilePlatform().Examine(slash == 0 ? Text("/") : path.substr(0, slash));
    return facts && facts->special;
}

// A temporary file of a save: "." + a category's file name + "." + process + "-" + counter + "-"
// + salt + ".tmp", as the platform branches' TempName make them. Gives the process.
std::optional<std::uint64_t> TempFileProcess(std::string_view name) {
    const auto takeNumber = [&name](char end) -> std::optional<std::uint64_t> {
        std::uint64_t number = 0;
        std::size_t digits = 0;
        while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9' && digits < 19) {
            number = number * 10 + static_cast<std::uint64_t>(name[digits] - '0');
            ++digits;
        }
        if (digits == 0 || digits == name.size() || name[digits] != end) {
            return std::nullopt;
        }
        name.remove_prefix(digits + 1);
        return number;
    };
    // ".a-1.txt."
    if (name.size() < 9 || name[0] != '.' || name[1] < 'a' || name[1] > 'z' || name[2] != '-' ||
        name[3] < '1' || name[3] > '0' + kPaneCount || name.substr(4, 5) != ".txt.") {
        return std::nullopt;
    }
    name.remove_prefix(9);
    const std::optional<std::uint64_t> process = takeNumber('-');
    if (!process || !takeNumber('-') || !takeNumber('.') || name != "tmp") {
        return std::nullopt;
    }
    return process;
}

WriteResult Failed(WriteFailure failure) {
    // A call that failed without saying why still failed.
    return {failure == WriteFailure::None ? WriteFailure::Other : failure};
}

// The atomic replace: a new file beside the target, written and flushed, renamed over it.
WriteResult ReplaceWhole(FilePlatform& platform, const Text& target, std::string_view content) {
    Text tempPath;
    const FilePlatform::Handle temp = platform.CreateTempBeside(target, tempPath);
    if (temp == FilePlatform::kNoHandle) {
        return Failed(platform.LastFailure());
    }
    WriteFailure failure = WriteFailure::None;
    if (!platform.CopyAttributes(temp, target) || !platform.Write(temp, content) ||
        !platform.Flush(temp)) {
        failure = Failed(platform.LastFailure()).failure;
    }
    if (!platform.Close(temp) && failure == WriteFailure::None) {
        failure = Failed(platform.LastFailure()).failure;
    }
    if (failure == WriteFailure::None && !platform.Replace(tempPath, target)) {
        failure = Failed(platform.LastFailure()).failure;
    }
    if (failure != WriteFailure::None) {
        platform.Remove(tempPath);
    }
    return {failure};
}

// The whole content of an open file from its start; nullopt where it cannot be read or held.
std::optional<Text> ReadAll(FilePlatform& platform, FilePlatform::Handle file) {
    const std::int64_t length = platform.Length(file);
    if (length < 0 || static_cast<std::uint64_t>(length) > kMaxTextBytes) {
        return std::nullopt;
    }
    Text bytes;
    try {
        bytes.resize(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    std::size_t count = 0;
    while (count < bytes.size()) {
        const std::int64_t got = platform.Read(file, bytes.data() + count,
                                               static_cast<std::int64_t>(bytes.size() - count));
        if (got <= 0) {
            return std::nullopt;
        }
        count += static_cast<std::size_t>(got);
    }
    return bytes;
}

// Overwrites the open file from its start with `content` and cuts it to that length.
bool Overwrite(FilePlatform& platform, FilePlatform::Handle file, std::string_view content) {
    const auto size = static_cast<std::int64_t>(content.size());
    return platform.Seek(file, 0, SeekOrigin::Start) && platform.Write(file, content) &&
           platform.Truncate(file, size) && platform.Flush(file);
}

// The write in place, for a file whose folder refuses a replace. Not atomic: a crash in the middle
// leaves a mix of old and new bytes. A failure that the program sees puts the old bytes back,
// which needs no more room than they had.
WriteResult WriteInPlace(FilePlatform& platform, const Text& target, std::string_view content) {
    const FilePlatform::Handle file = platform.OpenForWriting(target);
    if (file == FilePlatform::kNoHandle) {
        return Failed(platform.LastFailure());
    }
    const std::optional<Text> old = ReadAll(platform, file);
    WriteFailure failure = WriteFailure::None;
    bool touched = false;
    if (!platform.Reserve(file, static_cast<std::int64_t>(content.size()))) {
        failure = Failed(platform.LastFailure()).failure;
    } else {
        touched = true;
        if (!Overwrite(platform, file, content)) {
            failure = Failed(platform.LastFailure()).failure;
        }
    }
    if (failure != WriteFailure::None && touched && old) {
        Overwrite(platform, file, *old);
    }
    if (!platform.Close(file) && failure == WriteFailure::None) {
        failure = Failed(platform.LastFailure()).failure;
    }
    return {failure};
}

}  // namespace

FilePlatform& CurrentFilePlatform() {
    FilePlatform* platform = installedPlatform.load();
    return platform != nullptr ? *platform : NativeFilePlatform();
}

FilePlatform* UseFilePlatform(FilePlatform* platform) {
    return installedPlatform.exchange(platform);
}

std::size_t OpenFileTableWaiters() {
    return Table().Waiters();
}

OpenFileTableHold::OpenFileTableHold() {
    Table().Hold();
}

OpenFileTableHold::~OpenFileTableHold() {
    Table().Release();
}

FileNumber OpenShared(const Text& path) {
    if (!IsUsablePath(path)) {
        return 0;
    }
    FilePlatform& platform = CurrentFilePlatform();
    OpenFileTable& table = Table();
    const auto lock = table.Lock();
    const FilePlatform::Handle handle = platform.OpenShared(path);
    if (handle == FilePlatform::kNoHandle) {
        return 0;
    }
    const std::optional<FileIdentity> identity = platform.IdentityOf(handle);
    if (!identity) {
        platform.Close(handle);
        return 0;
    }
    return table.Add(handle, *identity);
}

std::size_t TextLength(std::string_view bytes) {
    return FindTextEnd(bytes.data(), bytes.size()).length;
}

Text ReadWholeText(FileNumber file) {
    OpenFileTable& table = Table();
    const auto lock = table.Lock();
    const OpenFile* entry = table.Find(file);
    if (file == 0 || entry == nullptr) {
        return {};
    }
    return ReadTextAtPosition(CurrentFilePlatform(), entry->handle);
}

void CloseAllFiles() {
    OpenFileTable& table = Table();
    const auto lock = table.Lock();
    table.CloseAll(CurrentFilePlatform());
}

WriteResult WriteWholeFile(const Text& path, std::string_view content) {
    if (!IsUsablePath(path)) {
        return Failed(WriteFailure::Other);
    }
    FilePlatform& platform = CurrentFilePlatform();
    OpenFileTable& table = Table();
    // Held to the rename, so that no load can open the old file between the checks and the swap.
    const auto lock = table.Lock();
    const Text target = platform.ReplaceTarget(path);
    if (!IsUsablePath(target)) {
        return Failed(WriteFailure::Other);
    }
    // A rename would replace a read-only file as easily as any other: the refusals of a plain
    // exclusive write have to be checked first.
    const std::optional<FileFacts> facts = platform.Examine(target);
    if (facts) {
        if (facts->special) {
            return Failed(WriteFailure::NotAPlainFile);
        }
        if (facts->readOnly) {
            return Failed(WriteFailure::ReadOnlyFile);
        }
        if (table.Holds(facts->identity)) {
            return Failed(WriteFailure::InUse);
        }
    }
    const WriteResult replaced = ReplaceWhole(platform, target, content);
    // The folder refused what a write into the file itself never needs: the file may take it.
    if (replaced.failure == WriteFailure::NoPermission && facts) {
        return WriteInPlace(platform, target, content);
    }
    return replaced;
}

WriteResult CheckFolderTakesSaves(const Text& folder) {
    if (!IsUsablePath(folder)) {
        return Failed(WriteFailure::Other);
    }
    FilePlatform& platform = CurrentFilePlatform();
    const std::optional<FileFacts> facts = platform.Examine(folder);
    if (!facts) {
        return Failed(WriteFailure::FolderMissing);
    }
    Text probePath;
    const FilePlatform::Handle probe =
        platform.CreateTempBeside(folder + "/.save-check", probePath);
    if (probe == FilePlatform::kNoHandle) {
        return Failed(platform.LastFailure());
    }
    // A few bytes need a block of the disk, where an empty file would not.
    WriteFailure failure = WriteFailure::None;
    if (!platform.Write(probe, "check\r\n") || !platform.Flush(probe)) {
        failure = platform.LastFailure();
    }
    if (!platform.Close(probe) && failure == WriteFailure::None) {
        failure = platform.LastFailure();
    }
    platform.Remove(probePath);
    return {failure};
}

bool IsReadOnlyFile(const Text& path) {
    if (!IsUsablePath(path)) {
        return false;
    }
    const std::optional<FileFacts> facts = CurrentFilePlatform().Examine(path);
    return facts && !facts->special && facts->readOnly;
}

Text ReadReadOnlyFile(const Text& path) {
    if (!IsUsablePath(path)) {
        return {};
    }
    FilePlatform& platform = CurrentFilePlatform();
    const FilePlatform::Handle file = platform.OpenForReading(path);
    if (file == FilePlatform::kNoHandle) {
        return {};
    }
    Text text = ReadTextAtPosition(platform, file);
    platform.Close(file);
    return text;
}

}  // namespace morvelin

namespace morvelin {

FileLoad LoadWholeFile(const Text& path) {
    if (!IsUsablePath(path)) {
        return {};
    }
    FilePlatform& platform = CurrentFilePlatform();
    FileNumber file = OpenShared(path);
    if (file == 0) {
        const std::optional<FileFacts> facts = platform.Examine(path);
        if (!facts) {
            // Missing, or a link that leads nowhere, where the write refuses to make a file.
            if (!WriteWholeFile(path, {})) {
                return {FolderExists(path) ? LoadProblem::CannotCreate : LoadProblem::NoFolder, {}};
            }
            file = OpenShared(path);
            return {file == 0 ? LoadProblem::Unreadable : LoadProblem::None, {}};
        }
        if (facts->special) {
            return {LoadProblem::NotPlainFile, {}};
        }
        const FilePlatform::Handle handle = platform.OpenForReading(path);
        if (handle == FilePlatform::kNoHandle) {
            return {LoadProblem::Unreadable, {}};
        }
        FileLoad load = ReadAllBytes(platform, handle);
        platform.Close(handle);
        if (load.problem == LoadProblem::None) {
            load.problem = facts->readOnly ? LoadProblem::ReadOnlyFile : LoadProblem::InUse;
        }
        return load;
    }
    OpenFileTable& table = Table();
    const auto lock = table.Lock();
    const OpenFile* entry = table.Find(file);
    if (entry == nullptr) {
        return {LoadProblem::ReadError, {}};
    }
    return ReadAllBytes(platform, entry->handle);
}

void RemoveStaleTempFiles(const Text& folder) {
    if (!IsUsablePath(folder)) {
        return;
    }
    FilePlatform& platform = CurrentFilePlatform();
    for (const Text& name : platform.ListFolder(folder)) {
        const std::optional<std::uint64_t> process = TempFileProcess(name);
        if (!process || !platform.ProcessEnded(*process)) {
            continue;
        }
        platform.Remove(folder + "/" + name);
    }
}

}  // namespace morvelin
