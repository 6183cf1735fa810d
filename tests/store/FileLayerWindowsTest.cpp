// What the file layer owes to Windows' own rules: sharing modes, the read-only attribute, file
// attributes and ANSI paths with double-byte characters.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "store/FileLayer.h"
#include "store/FilePlatform.h"
#include "tests/store/FaultyFilePlatform.h"
#include "tests/store/StoreTestSupport.h"

namespace morvelin::testing {
namespace {

// In code page 936 the second byte of this character is the backslash byte.
#define KANJI_5C "\x81\x5C"

class FileLayerWindowsTest : public TempFolderTest {};

HANDLE OpenHere(const char* path, DWORD access, DWORD share) {
    return CreateFileA(path, access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The names in a folder, by the system's own listing, so that double-byte names stay bytes.
std::set<std::string> NamesIn(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") {
            names.insert(name);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// Writes `content` to a new temporary file beside `target` and hands over its path, as a save
// does before its replace.
Text PrepareReplacement(const Text& target, std::string_view content) {
    FilePlatform& native = NativeFilePlatform();
    Text tempPath;
    const FilePlatform::Handle temp = native.CreateTempBeside(target, tempPath);
    EXPECT_NE(temp, FilePlatform::kNoHandle);
    if (temp != FilePlatform::kNoHandle) {
        EXPECT_TRUE(native.Write(temp, content));
        EXPECT_TRUE(native.Close(temp));
    }
    return tempPath;
}

TEST_F(FileLayerWindowsTest, TableEntriesShareReadingAndWritingButKeepOutAnExclusiveOpen) {
    MakeDataFolder();
    WriteBytes("data/a-1.txt", "old");
    ASSERT_NE(OpenShared("data/a-1.txt"), 0);

    const HANDLE sharer =
        OpenHere("data/a-1.txt", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_NE(sharer, INVALID_HANDLE_VALUE) << GetLastError();
    CloseHandle(sharer);

    // An exclusive open for writing, the test a save makes before it replaces the file.
    const HANDLE exclusive = OpenHere("data/a-1.txt", GENERIC_WRITE, 0);
    const DWORD error = GetLastError();
    EXPECT_EQ(exclusive, INVALID_HANDLE_VALUE);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    if (exclusive != INVALID_HANDLE_VALUE) {
        CloseHandle(exclusive);
    }
}

// The platform's replace refuses held and read-only files by itself, so that this holds even
// where the checks above it do not look (another process's table, for one).
TEST_F(FileLayerWindowsTest, PlatformReplaceRefusesHeldAndReadOnlyFiles) {
    const struct {
        const char* name;
        // Makes the situation and gives the handle to close afterwards, if any.
        HANDLE (*prepare)();
    } cases[] = {
        {"entry of the table",
         [] {
             EXPECT_NE(OpenShared("data/a-1.txt"), 0);
             return INVALID_HANDLE_VALUE;
         }},
        {"held by another program, sharing everything",
         [] {
             return OpenHere("data/a-1.txt", GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
         }},
        {"read-only attribute",
         [] {
             EXPECT_NE(SetFileAttributesA("data/a-1.txt", FILE_ATTRIBUTE_READONLY), 0);
             return INVALID_HANDLE_VALUE;
         }},
    };
    MakeDataFolder();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetFileAttributesA("data/a-1.txt", FILE_ATTRIBUTE_NORMAL);
        WriteBytes("data/a-1.txt", "old");
        const HANDLE holder = c.prepare();
        const Text temp = PrepareReplacement("data/a-1.txt", "new");

        EXPECT_FALSE(NativeFilePlatform().Replace(temp, "data/a-1.txt"));

        NativeFilePlatform().Remove(temp);
        if (holder != INVALID_HANDLE_VALUE) {
            CloseHandle(holder);
        }
        CloseAllFiles();
        EXPECT_EQ(ReadBytes("data/a-1.txt"), "old");
        EXPECT_EQ(NamesIn("data"), std::set<std::string>{"a-1.txt"});
    }
}

TEST_F(FileLayerWindowsTest, WriteFailsTouchingNothingWhileAnotherProgramHoldsTheFile) {
    const struct {
        const char* name;
        DWORD share;
    } holders[] = {
        {"exclusively", 0},
        {"sharing reading", FILE_SHARE_READ},
        {"sharing reading and writing, as a loading copy of the program does",
         FILE_SHARE_READ | FILE_SHARE_WRITE},
        {"sharing everything", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
    };
    MakeDataFolder();
    // Replaced, or written in place where the folder refuses new files: both refuse alike.
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "in place" : "replaced");
        WriteBytes("data/a-1.txt", "old\r\ncontent");
        FaultyFilePlatform faulty;
        if (inPlace) {
            faulty.FailAlways(Step::CreateTemp, WriteFailure::NoPermission);
        }
        const UsingPlatform using_(faulty);
        for (const auto& h : holders) {
            SCOPED_TRACE(h.name);
            const HANDLE holder = OpenHere("data/a-1.txt", GENERIC_READ, h.share);
            ASSERT_NE(holder, INVALID_HANDLE_VALUE) << GetLastError();

            EXPECT_EQ(WriteWholeFile("data/a-1.txt", "new").failure, WriteFailure::InUse);

            CloseHandle(holder);
            EXPECT_EQ(ReadBytes("data/a-1.txt"), "old\r\ncontent");
            EXPECT_EQ(NamesIn("data"), std::set<std::string>{"a-1.txt"});
        }
        EXPECT_TRUE(WriteWholeFile("data/a-1.txt", "new"));
        EXPECT_EQ(ReadBytes("data/a-1.txt"), "new");
    }
}

TEST(WindowsFilePlatform, MapsTheSystemsReasonsToWriteFailures) {
    const struct {
        DWORD error;
        WriteFailure failure;
    } cases[] = {
        {ERROR_DISK_FULL, WriteFailure::DiskFull},
        {ERROR_HANDLE_DISK_FULL, WriteFailure::DiskFull},
        {ERROR_ACCESS_DENIED, WriteFailure::NoPermission},
        {ERROR_WRITE_PROTECT, WriteFailure::NoPermission},
        {ERROR_SHARING_VIOLATION, WriteFailure::InUse},
        {ERROR_LOCK_VIOLATION, WriteFailure::InUse},
        {ERROR_PATH_NOT_FOUND, WriteFailure::FolderMissing},
        {ERROR_FILE_READ_ONLY, WriteFailure::ReadOnlyFile},
        {ERROR_DIRECTORY, WriteFailure::NotAPlainFile},
        {ERROR_GEN_FAILURE, WriteFailure::Other},
    };
    for (const auto& c : cases) {
        SetLastError(c.error);
        EXPECT_EQ(NativeFilePlatform().LastFailure(), c.failure) << c.error;
    }
}

// The write in place keeps what the replace keeps: the read-only attribute's refusal and the
// hidden attribute; the file stays the same file.
TEST_F(FileLayerWindowsTest, WriteInPlaceKeepsTheFilesAttributesAndRefusals) {
    MakeDataFolder();
    WriteBytes("data/a-1.txt", "old content, longer than the new");
    ASSERT_TRUE(SetFileAttributesA("data/a-1.txt", FILE_ATTRIBUTE_HIDDEN));
    const auto identity = Snapshot("data/a-1.txt").identity;
    FaultyFilePlatform faulty;
    faulty.FailAlways(Step::CreateTemp, WriteFailure::NoPermission);
    const UsingPlatform using_(faulty);

    EXPECT_TRUE(WriteWholeFile("data/a-1.txt", "new"));
    EXPECT_EQ(ReadBytes("data/a-1.txt"), "new");
    EXPECT_EQ(Snapshot("data/a-1.txt").identity, identity);
    EXPECT_NE(GetFileAttributesA("data/a-1.txt") & FILE_ATTRIBUTE_HIDDEN, 0u);

    ASSERT_TRUE(SetFileAttributesA("data/a-1.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(WriteWholeFile("data/a-1.txt", "refused").failure, WriteFailure::ReadOnlyFile);
    // The platform's own open refuses as well, where the checks above it do not look.
    EXPECT_EQ(NativeFilePlatform().OpenForWriting("data/a-1.txt"), FilePlatform::kNoHandle);
    EXPECT_EQ(NativeFilePlatform().LastFailure(), WriteFailure::ReadOnlyFile);
    SetFileAttributesA("data/a-1.txt", FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes("data/a-1.txt"), "new");
}

TEST_F(FileLayerWindowsTest, ReadOnlyAttributeShowsTheContentAndKeepsIt) {
    MakeDataFolder();
    WriteBytes("data/a-1.txt", "kept");
    ASSERT_NE(SetFileAttributesA("data/a-1.txt", FILE_ATTRIBUTE_READONLY), 0);

    EXPECT_TRUE(IsReadOnlyFile("data/a-1.txt"));
    EXPECT_EQ(OpenShared("data/a-1.txt"), 0);
    EXPECT_FALSE(WriteWholeFile("data/a-1.txt", "new"));
    EXPECT_EQ(ReadReadOnlyFile("data/a-1.txt"), "kept");
    EXPECT_EQ(ReadBytes("data/a-1.txt"), "kept");
    EXPECT_EQ(GetFileAttributesA("data/a-1.txt") & FILE_ATTRIBUTE_READONLY,
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(NamesIn("data"), std::set<std::string>{"a-1.txt"});
}

TEST_F(FileLayerWindowsTest, ReplacedFileKeepsItsHiddenAttribute) {
    MakeDataFolder();
    WriteBytes("data/a-1.txt", "old");
    ASSERT_NE(SetFileAttributesA("data/a-1.txt", FILE_ATTRIBUTE_HIDDEN), 0);

    ASSERT_TRUE(WriteWholeFile("data/a-1.txt", "new"));

    EXPECT_EQ(ReadBytes("data/a-1.txt"), "new");
    EXPECT_NE(GetFileAttributesA("data/a-1.txt") & FILE_ATTRIBUTE_HIDDEN, 0u);
}

// Double-byte names whose trail byte is the backslash byte, with either separator: saves land in
// the right file, refuse while it is held, and leave no temporary file behind.
TEST_F(FileLayerWindowsTest, DoubleByteNamesWithABackslashTrailByte) {
    const std::string folder = "m" KANJI_5C;
    ASSERT_NE(CreateDirectoryA(folder.c_str(), nullptr), 0) << GetLastError();
    for (const char* separator : {"\\", "/"}) {
        SCOPED_TRACE(separator);
        const Text path = folder + separator + "a" KANJI_5C ".txt";

        ASSERT_TRUE(WriteWholeFile(path, "\xD6\xD0\r\n"));
        ASSERT_TRUE(WriteWholeFile(path, "\xD6\xD0" KANJI_5C "\r\n"));
        const FileNumber file = OpenShared(path);
        ASSERT_NE(file, 0);
        EXPECT_EQ(ReadWholeText(file), "\xD6\xD0" KANJI_5C "\r\n");
        EXPECT_FALSE(WriteWholeFile(path, "refused while held"));
        CloseAllFiles();
        EXPECT_EQ(NamesIn(folder), std::set<std::string>{"a" KANJI_5C ".txt"});
    }
}

}  // namespace
}  // namespace morvelin::testing
