// A pane is saved over its data file only when it shows everything the file holds, in the file's
// own encoding: each row puts bytes on disk, loads them through the real store and codec, acts as
// the user would and compares the exact bytes on disk afterwards.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <array>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "core/PaneAccess.h"
#include "store/CategoryStore.h"
#include "store/FileLayer.h"
#include "tests/store/StoreTestSupport.h"

namespace morvelin::testing {
namespace {

using namespace std::string_literals;

const std::string kPath = "data/a-1.txt";

// Five panes in memory whose every set or typed change saves the pane, as the window's do. They
// take typing even when the load locked them: the store alone must keep the file.
class Panes final : public PaneAccess {
  public:
    explicit Panes()
        : store(*this, [this](const CategoryStore::LoadNotice& n) { notices.push_back(n); }) {}

    Text GetPaneText(int pane) override { return texts[pane - 1]; }
    void SetPaneText(int pane, Text text) override {
        texts[pane - 1] = std::move(text);
        store.SavePane(pane);
    }
    void CloseAllFiles() override { morvelin::CloseAllFiles(); }

    void Load() {
        notices.clear();
        store.SelectCategory('a');
    }
    const CategoryStore::LoadNotice& Notice() const { return notices.at(0); }

    std::array<Text, kPaneCount> texts;
    std::vector<CategoryStore::LoadNotice> notices;
    CategoryStore store;
};

enum class Action {
    Load,       // load only
    Keystroke,  // load, then an "x" typed at the end of pane 1
    // load, paste NUL and SUB between "(" and ")" at the end, start again, load, type "k"
    PasteEndBytesRestartKeystroke,
};

struct PaneFileCase {
    const char* name;
    std::string disk;
    Action action;
    std::string after;
    // What pane 1 shows after the first load.
    std::string shown;
    LoadProblem problem;
};

void PrintTo(const PaneFileCase& c, std::ostream* out) {
    *out << c.name;
}

// Text bytes: GB18030 "中文" and "衬衫", and the same words in other encodings.
#define ZHONGWEN_GB "\xD6\xD0\xCE\xC4"
#define ZHONGWEN_UTF8 "\xE4\xB8\xAD\xE6\x96\x87"
#define ZHONGWEN_UTF16LE "\x2D\x4E\x87\x65"
#define ZHONGWEN_UTF16BE "\x4E\x2D\x65\x87"
#define CHENSHAN_GB "\xB3\xC4\xC9\xC0"
#define CHENSHAN_UTF8 "\xE8\xA1\xAC\xE8\xA1\xAB"
#define GRINNING_GB "\x94\x39\xFC\x36"  // U+1F600, a four-byte character
#define EURO_GB "\xA2\xE3"

const PaneFileCase kCases[] = {
    // Files this program writes: GB18030, kept byte for byte.
    {"Gb18030Kept", CHENSHAN_GB "\r\n" GRINNING_GB, Action::Keystroke,
     CHENSHAN_GB "\r\n" GRINNING_GB "x", CHENSHAN_GB "\r\n" GRINNING_GB, LoadProblem::None},
    {"EmptyFile", "", Action::Keystroke, "x", "", LoadProblem::None},
    {"LoadRewritesNothing", "a\nb\rc", Action::Load, "a\nb\rc", "a\nb\rc", LoadProblem::None},
    // UTF-8 files, with and without a byte order mark, stay UTF-8.
    {"Utf8WithBom", "\xEF\xBB\xBF" ZHONGWEN_UTF8 "\r\n", Action::Keystroke,
     "\xEF\xBB\xBF" ZHONGWEN_UTF8 "\r\nx", ZHONGWEN_GB "\r\n", LoadProblem::None},
    {"Utf8WithBomOnly", "\xEF\xBB\xBF", Action::Keystroke, "\xEF\xBB\xBFx", "", LoadProblem::None},
    {"Utf8", ZHONGWEN_UTF8 "\xE4\xB8\xAD\r\n", Action::Keystroke, ZHONGWEN_UTF8 "\xE4\xB8\xAD\r\nx",
     ZHONGWEN_GB "\xD6\xD0\r\n", LoadProblem::None},
    // Valid GB18030 as well: shown as GB18030 characters, the bytes stay all the same.
    {"Utf8ThatIsAlsoGb18030", CHENSHAN_UTF8, Action::Keystroke, CHENSHAN_UTF8 "x", CHENSHAN_UTF8,
     LoadProblem::None},
    // UTF-16 with a byte order mark, either order.
    {"Utf16LittleEndian", "\xFF\xFE" ZHONGWEN_UTF16LE "\r\0\n\0"s, Action::Keystroke,
     "\xFF\xFE" ZHONGWEN_UTF16LE "\r\0\n\0x\0"s, ZHONGWEN_GB "\r\n", LoadProblem::None},
    {"Utf16BigEndian", "\xFE\xFF" ZHONGWEN_UTF16BE "\0\r\0\n"s, Action::Keystroke,
     "\xFE\xFF" ZHONGWEN_UTF16BE "\0\r\0\n\0x"s, ZHONGWEN_GB "\r\n", LoadProblem::None},
    // 0x80 is code page 936's euro sign: a euro typed or kept is saved back as 0x80.
    {"Cp936Euro",
     "\x80"
     "5\r\n" CHENSHAN_GB "\x80",
     Action::Keystroke,
     "\x80"
     "5\r\n" CHENSHAN_GB "\x80x",
     EURO_GB "5\r\n" CHENSHAN_GB EURO_GB, LoadProblem::None},
    // Bytes no encoding keeps: shown as they are, never saved over.
    {"EuroByteBesideGb18030Euro", "\x80" EURO_GB, Action::Keystroke, "\x80" EURO_GB, "\x80" EURO_GB,
     LoadProblem::UnknownEncoding},
    {"Latin1", "caf\xE9\r\n", Action::Keystroke, "caf\xE9\r\n", "caf\xE9\r\n",
     LoadProblem::UnknownEncoding},
    {"LoneFF",
     "a\xFF"
     "b",
     Action::Keystroke,
     "a\xFF"
     "b",
     "a\xFF"
     "b",
     LoadProblem::UnknownEncoding},
    {"LastLeadByte", "ab\xB0", Action::Keystroke, "ab\xB0", "ab\xB0", LoadProblem::UnknownEncoding},
    {"UnassignedFourByte", "a\x84\x31\xA5\x30", Action::Keystroke, "a\x84\x31\xA5\x30",
     "a\x84\x31\xA5\x30", LoadProblem::UnknownEncoding},
    {"Utf8BomBeforeInvalidUtf8", "\xEF\xBB\xBF\xFF", Action::Keystroke, "\xEF\xBB\xBF\xFF",
     "\xEF\xBB\xBF\xFF", LoadProblem::UnknownEncoding},
    {"Utf16LoneSurrogate",
     "\xFF\xFE\x00\xD8"
     "a\0"s,
     Action::Keystroke,
     "\xFF\xFE\x00\xD8"
     "a\0"s,
     "\xFF\xFE", LoadProblem::UnknownEncoding},
    {"Utf16OddLength",
     "\xFF\xFE"
     "a\0b"s,
     Action::Keystroke,
     "\xFF\xFE"
     "a\0b"s,
     "\xFF\xFE"
     "a",
     LoadProblem::UnknownEncoding},
    // A NUL or SUB with bytes after it would end the text there.
    {"NulInTheMiddle", "ab\0cd"s, Action::Keystroke, "ab\0cd"s, "ab", LoadProblem::CutShort},
    {"SubInTheMiddle",
     "ab\x1a"
     "cd",
     Action::Keystroke,
     "ab\x1a"
     "cd",
     "ab", LoadProblem::CutShort},
    {"LeadByteBeforeNulAtTheEnd", "ab\x81\0"s, Action::Keystroke, "ab\x81\0"s, "ab",
     LoadProblem::UnknownEncoding},
    {"Utf16NulInTheMiddle", "\xFF\xFE" ZHONGWEN_UTF16LE "\0\0a\0"s, Action::Keystroke,
     "\xFF\xFE" ZHONGWEN_UTF16LE "\0\0a\0"s, ZHONGWEN_GB, LoadProblem::CutShort},
    // A single end mark as the very last byte hides nothing.
    {"SubAsLastByte", "ab\x1a", Action::Keystroke, "abx", "ab", LoadProblem::None},
    {"SubAsSecondByteOfCharacter", "\x81\x1a", Action::Keystroke, "\x81\x1a", "\x81\x1a",
     LoadProblem::UnknownEncoding},
    // What is saved is what will load: pasted NUL and SUB never reach the file.
    {"PastedEndBytes", "ab", Action::PasteEndBytesRestartKeystroke, "ab()k", "ab",
     LoadProblem::None},
    {"PastedEndBytesUtf8", ZHONGWEN_UTF8 "\xE4\xB8\xAD", Action::PasteEndBytesRestartKeystroke,
     ZHONGWEN_UTF8 "\xE4\xB8\xAD()k", ZHONGWEN_GB "\xD6\xD0", LoadProblem::None},
    {"PastedEndBytesUtf16", "\xFF\xFE" ZHONGWEN_UTF16LE ""s, Action::PasteEndBytesRestartKeystroke,
     "\xFF\xFE" ZHONGWEN_UTF16LE "(\0)\0k\0"s, ZHONGWEN_GB, LoadProblem::None},
};

class PaneFileTest : public TempFolderTest, public ::testing::WithParamInterface<PaneFileCase> {};

TEST_P(PaneFileTest, SavesOnlyWhatKeepsEveryByte) {
    const PaneFileCase& c = GetParam();
    MakeDataFolder();
    WriteBytes(kPath, c.disk);
    {
        Panes panes;
        panes.Load();
        EXPECT_EQ(panes.texts[0], c.shown);
        EXPECT_EQ(panes.Notice().readOnly, c.problem != LoadProblem::None);
        EXPECT_EQ(panes.Notice().reason, c.problem);
        EXPECT_EQ(panes.Notice().path, kPath);
        if (c.action == Action::Keystroke) {
            panes.SetPaneText(1, panes.texts[0] + "x");
        } else if (c.action == Action::PasteEndBytesRestartKeystroke) {
            panes.SetPaneText(1, panes.texts[0] + "(\0\x1a\0)"s);
        }
    }
    if (c.action == Action::PasteEndBytesRestartKeystroke) {
        Panes panes;
        panes.Load();
        panes.SetPaneText(1, panes.texts[0] + "k");
    }
    EXPECT_EQ(ReadBytes(kPath), c.after);
}

INSTANTIATE_TEST_SUITE_P(Bytes, PaneFileTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Files that cannot be read whole, or are no plain file ----

// The native platform, except that opens of data files or their reads fail, as for a file
// without read permission (which root could read anyway) or a disk that fails.
class RefusingPlatform final : public FilePlatform {
  public:
    bool refuseOpens = false;
    bool failReads = false;
    bool refuseCreates = false;

    std::optional<FileFacts> Examine(const Text& path) override { return native_.Examine(path); }
    Handle OpenShared(const Text& path) override {
        return refuseOpens ? kNoHandle : native_.OpenShared(path);
    }
    Handle OpenForReading(const Text& path) override {
        return refuseOpens ? kNoHandle : native_.OpenForReading(path);
    }
    std::optional<FileIdentity> IdentityOf(Handle file) override {
        return native_.IdentityOf(file);
    }
    std::int64_t Length(Handle file) override { return native_.Length(file); }
    std::int64_t Read(Handle file, char* buffer, std::int64_t size) override {
        return failReads ? -1 : native_.Read(file, buffer, size);
    }
    bool Seek(Handle file, std::int64_t offset, SeekOrigin origin) override {
        return native_.Seek(file, offset, origin);
    }
    bool Close(Handle file) override { return native_.Close(file); }
    Text ReplaceTarget(const Text& path) override { return native_.ReplaceTarget(path); }
    Handle CreateTempBeside(const Text& target, Text& tempPath) override {
        return refuseCreates ? kNoHandle : native_.CreateTempBeside(target, tempPath);
    }
    bool CopyAttributes(Handle file, const Text& target) override {
        return native_.CopyAttributes(file, target);
    }
    bool Write(Handle file, std::string_view bytes) override { return native_.Write(file, bytes); }
    bool Flush(Handle file) override { return native_.Flush(file); }
    bool Replace(const Text& from, const Text& target) override {
        return native_.Replace(from, target);
    }
    void Remove(const Text& path) override { native_.Remove(path); }
    std::vector<Text> ListFolder(const Text& folder) override { return native_.ListFolder(folder); }
    bool ProcessEnded(std::uint64_t processId) override { return native_.ProcessEnded(processId); }
    Handle OpenForWriting(const Text& path) override { return native_.OpenForWriting(path); }
    bool Reserve(Handle file, std::int64_t size) override { return native_.Reserve(file, size); }
    bool Truncate(Handle file, std::int64_t size) override { return native_.Truncate(file, size); }
    WriteFailure LastFailure() override {
        return refuseCreates ? WriteFailure::Other : native_.LastFailure();
    }

  private:
    FilePlatform& native_ = NativeFilePlatform();
};

struct FileKindCase {
    const char* name;
    // Makes data/a-1.txt, or not; may set faults of the platform.
    std::function<void(RefusingPlatform&)> make;
    LoadProblem problem;
};

void PrintTo(const FileKindCase& c, std::ostream* out) {
    *out << c.name;
}

const FileKindCase kKinds[] = {
    {"ReadOnlyFile",
     [](RefusingPlatform&) {
         fs::create_directory("data");
         WriteBytes(kPath, "kept");
         MakeReadOnly(kPath);
     },
     LoadProblem::ReadOnlyFile},
    {"Unreadable",
     [](RefusingPlatform& platform) {
         fs::create_directory("data");
         WriteBytes(kPath, "kept");
         platform.refuseOpens = true;
     },
     LoadProblem::Unreadable},
    {"ReadFails",
     [](RefusingPlatform& platform) {
         fs::create_directory("data");
         WriteBytes(kPath, "kept");
         platform.failReads = true;
     },
     LoadProblem::ReadError},
    // Sparse: nothing of it is ever read.
    {"Over2GiB",
     [](RefusingPlatform&) {
         fs::create_directory("data");
         WriteBytes(kPath, "kept");
         fs::resize_file(kPath, kMaxTextBytes + 1);
     },
     LoadProblem::TooLarge},
    {"Folder", [](RefusingPlatform&) { fs::create_directories(kPath); }, LoadProblem::NotPlainFile},
    {"NoDataFolder", [](RefusingPlatform&) {}, LoadProblem::NoFolder},
    {"MissingWhereNoFileCanBeMade",
     [](RefusingPlatform& platform) {
         fs::create_directory("data");
         platform.refuseCreates = true;
     },
     LoadProblem::CannotCreate},
#ifndef _WIN32
    {"Fifo",
     [](RefusingPlatform&) {
         fs::create_directory("data");
         ASSERT_EQ(::mkfifo(kPath.c_str(), 0666), 0);
     },
     LoadProblem::NotPlainFile},
    {"LinkLeadingNowhere",
     [](RefusingPlatform&) {
         fs::create_directory("data");
         fs::create_symlink("gone.txt", kPath);
     },
     LoadProblem::CannotCreate},
#endif
};

class FileKindTest : public TempFolderTest, public ::testing::WithParamInterface<FileKindCase> {
  protected:
    void TearDown() override {
        UseFilePlatform(nullptr);
        TempFolderTest::TearDown();
    }
};

// What a save over the file would change: the entry's kind, size, identity and time, and the
// bytes of a small plain file.
struct Entry {
    fs::file_type type;
    std::uintmax_t size;
    FileSnapshot snapshot;
    friend bool operator==(const Entry&, const Entry&) = default;
};

Entry EntryOf(const fs::path& path) {
    std::error_code ignored;
    const fs::file_type type = fs::symlink_status(path, ignored).type();
    const std::uintmax_t size = type == fs::file_type::regular ? fs::file_size(path) : 0;
    FileSnapshot snapshot;
    if (type == fs::file_type::regular && size < 1024) {
        snapshot = Snapshot(path);
    } else if (const auto facts = NativeFilePlatform().Examine(path.generic_string())) {
        snapshot.identity = facts->identity;
        snapshot.modified = fs::last_write_time(path, ignored);
    }
    return {type, size, snapshot};
}

void PrintTo(const Entry& entry, std::ostream* out) {
    *out << "type " << static_cast<int>(entry.type) << " size " << entry.size << " ";
    PrintTo(entry.snapshot, out);
}

TEST_P(FileKindTest, LoadsReadOnlyAndKeepsTheFileThroughTyping) {
    const FileKindCase& c = GetParam();
    RefusingPlatform platform;
    c.make(platform);
    const Entry before = EntryOf(kPath);
    UseFilePlatform(&platform);

    Panes panes;
    panes.Load();
    panes.SetPaneText(1, panes.texts[0] + "x");
    UseFilePlatform(nullptr);

    EXPECT_TRUE(panes.Notice().readOnly);
    EXPECT_EQ(panes.Notice().reason, c.problem);
    EXPECT_EQ(EntryOf(kPath), before);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FileKindTest, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

// A read-only output pane still gets the generator's set; its save must not reach the file, on the
// worker's own write either.
TEST_F(TempFolderTest, WritesReachOnlyTheFileTheLoadAllowed) {
    MakeDataFolder();
    WriteBytes(kPath, "ab\0cd"s);
    WriteBytes("data/a-2.txt", "\xEF\xBB\xBF");
    Panes panes;
    panes.Load();

    panes.store.WritePaneFile(1, kPath, "new");
    panes.store.WritePaneFile(2, kPath, "new");  // another pane's file
    panes.store.WritePaneFile(2, "data/b-2.txt", "new");
    panes.store.WritePaneFile(2, "data/a-2.txt", ZHONGWEN_GB);

    EXPECT_EQ(ReadBytes(kPath), "ab\0cd"s);
    EXPECT_EQ(ReadBytes("data/b-2.txt"), std::nullopt);
    EXPECT_EQ(ReadBytes("data/a-2.txt"), "\xEF\xBB\xBF" ZHONGWEN_UTF8);
}

// ---- Temporary files of saves that never ended ----

std::string OwnProcess() {
#ifdef _WIN32
    return std::to_string(GetCurrentProcessId());
#else
    return std::to_string(::getpid());
#endif
}

TEST_F(TempFolderTest, StartRemovesOnlyTheSavesOwnTempFilesOfEndedProcesses) {
    MakeDataFolder();
    // Beyond the process ids Linux and Windows hand out, but a valid pid_t and DWORD.
    const std::string ended = "2147483000";
    const std::vector<std::string> stale = {
        ".a-1.txt." + ended + "-0-12345.tmp",
        ".z-5.txt." + ended + "-17-0.tmp",
    };
    const std::vector<std::string> kept = {
        ".a-1.txt." + OwnProcess() + "-0-12345.tmp",  // a process that runs
        ".a-1.txt." + ended + "-0-12345.tmp.bak",
        ".a-1.txt." + ended + "-0-12345",
        ".a-6.txt." + ended + "-0-1.tmp",
        ".A-1.txt." + ended + "-0-1.tmp",
        ".a-1.txt." + ended + "-0-.tmp",
        ".a-1.txt." + ended + "-x-1.tmp",
        "a-1.txt." + ended + "-0-1.tmp",
        ".notes.txt." + ended + "-0-1.tmp",
        "a-1.txt",
    };
    for (const std::string& name : stale) {
        WriteBytes("data/" + name, "half");
    }
    for (const std::string& name : kept) {
        WriteBytes("data/" + name, "mine");
    }
    const std::string folderName = ".b-1.txt." + ended + "-0-1.tmp";
    fs::create_directory("data/" + folderName);

    RemoveStaleTempFiles("data");

    for (const std::string& name : stale) {
        EXPECT_FALSE(fs::exists("data/" + name)) << name;
    }
    for (const std::string& name : kept) {
        EXPECT_EQ(ReadBytes("data/" + name), "mine") << name;
    }
    EXPECT_TRUE(fs::is_directory("data/" + folderName));
}

}  // namespace
}  // namespace morvelin::testing
