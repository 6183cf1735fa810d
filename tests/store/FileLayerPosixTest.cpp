#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

#include "store/FileLayer.h"
#include "store/FilePlatform.h"
#include "tests/store/FaultyFilePlatform.h"
#include "tests/store/StoreTestSupport.h"

namespace morvelin::testing {
namespace {

class FileLayerPosixTest : public TempFolderTest {};

mode_t ModeOf(const char* path) {
    struct stat st {};
    EXPECT_EQ(::stat(path, &st), 0) << path;
    return st.st_mode & 07777;
}

std::size_t OpenDescriptors() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

TEST_F(FileLayerPosixTest, NewFileGetsTheUmaskModeAndAReplacedFileKeepsItsMode) {
    MakeDataFolder();
    const mode_t previous = ::umask(027);
    const bool created = static_cast<bool>(WriteWholeFile("data/a-1.txt", "new"));
    ::umask(previous);
    ASSERT_TRUE(created);
    EXPECT_EQ(ModeOf("data/a-1.txt"), 0640u);

    WriteBytes("data/a-2.txt", "old");
    ASSERT_EQ(::chmod("data/a-2.txt", 0604), 0);
    ASSERT_TRUE(WriteWholeFile("data/a-2.txt", "replaced"));
    EXPECT_EQ(ModeOf("data/a-2.txt"), 0604u);
    EXPECT_EQ(ReadBytes("data/a-2.txt"), "replaced");
}

TEST_F(FileLayerPosixTest, ReadOnlyMeansNoWriteBitAtAllEvenForRoot) {
    MakeDataFolder();
    const bool root = ::geteuid() == 0;
    const struct {
        mode_t mode;
        bool readOnlyForRoot;
    } cases[] = {{0444, true}, {0000, true}, {0644, false}, {0464, false}, {0446, false}};
    for (const auto& c : cases) {
        // Anybody else is stopped by the missing owner bit as well.
        const bool readOnly = root ? c.readOnlyForRoot : (c.mode & S_IWUSR) == 0;
        WriteBytes("data/a-1.txt", "content");
        ASSERT_EQ(::chmod("data/a-1.txt", c.mode), 0);

        EXPECT_EQ(IsReadOnlyFile("data/a-1.txt"), readOnly) << std::oct << c.mode;
        EXPECT_EQ(OpenShared("data/a-1.txt") == 0, readOnly) << std::oct << c.mode;
        CloseAllFiles();
        EXPECT_EQ(static_cast<bool>(WriteWholeFile("data/a-1.txt", "new")), !readOnly)
            << std::oct << c.mode;

        ASSERT_EQ(::unlink("data/a-1.txt"), 0);
    }
}

TEST_F(FileLayerPosixTest, WriteThroughASymbolicLinkReplacesTheFileItLeadsTo) {
    MakeDataFolder();
    fs::create_directory("elsewhere");
    WriteBytes("elsewhere/real.txt", "old");
    fs::create_symlink("../elsewhere/real.txt", "data/a-1.txt");
    fs::create_symlink("../elsewhere/none.txt", "data/a-2.txt");

    ASSERT_TRUE(WriteWholeFile("data/a-1.txt", "new"));
    EXPECT_TRUE(fs::is_symlink("data/a-1.txt"));
    EXPECT_EQ(ReadBytes("elsewhere/real.txt"), "new");

    // A link to nothing is left alone rather than writing somewhere unexpected.
    EXPECT_FALSE(WriteWholeFile("data/a-2.txt", "new"));
    EXPECT_FALSE(fs::exists("elsewhere/none.txt"));
}

TEST_F(FileLayerPosixTest, LengthBeyondTheFormatsLimitReadsAsEmpty) {
    MakeDataFolder();
    WriteBytes("data/a-1.txt", "abc");
    // Sparse: no disk space is used.
    ASSERT_EQ(::truncate("data/a-1.txt", static_cast<off_t>(kMaxTextBytes) + 1), 0);

    const FileNumber file = OpenShared("data/a-1.txt");
    ASSERT_NE(file, 0);
    EXPECT_EQ(ReadWholeText(file), "");
}

TEST_F(FileLayerPosixTest, NoOperationLeavesADescriptorOpen) {
    MakeDataFolder();
    WriteBytes("data/a-1.txt", "one");
    WriteBytes("data/ro.txt", "two");
    MakeReadOnly("data/ro.txt");
    const std::size_t before = OpenDescriptors();

    ASSERT_NE(OpenShared("data/a-1.txt"), 0);
    ASSERT_NE(OpenShared("data/a-1.txt"), 0);
    EXPECT_EQ(OpenShared("data/ro.txt"), 0);
    EXPECT_FALSE(WriteWholeFile("data/a-1.txt", "refused"));
    CloseAllFiles();
    EXPECT_EQ(ReadReadOnlyFile("data/ro.txt"), "two");
    EXPECT_TRUE(WriteWholeFile("data/a-1.txt", "written"));

    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(PosixFilePlatform, MapsTheSystemsReasonsToWriteFailures) {
    const struct {
        int error;
        WriteFailure failure;
    } cases[] = {
        {ENOSPC, WriteFailure::DiskFull},      {EDQUOT, WriteFailure::DiskFull},
        {EACCES, WriteFailure::NoPermission},  {EPERM, WriteFailure::NoPermission},
        {EROFS, WriteFailure::NoPermission},   {ETXTBSY, WriteFailure::InUse},
        {ENOENT, WriteFailure::FolderMissing}, {ENOTDIR, WriteFailure::FolderMissing},
        {EISDIR, WriteFailure::NotAPlainFile}, {EIO, WriteFailure::Other},
    };
    for (const auto& c : cases) {
        errno = c.error;
        EXPECT_EQ(NativeFilePlatform().LastFailure(), c.failure) << c.error;
    }
}

// Runs `body` as an ordinary user: root passes every permission check, so a forked child takes
// the uid and gid of nobody for it. Its result is the child's exit code.
int AsOrdinaryUser(const std::function<int()>& body) {
    if (::geteuid() != 0) {
        return body();
    }
    const pid_t child = ::fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(100);
        }
        ::_exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return 101;
    }
    return WEXITSTATUS(status);
}

// Real folders that refuse the replace while the file itself may be written: the file is written
// in place, and stays the same file with its hard links.
TEST_F(FileLayerPosixTest, FolderThatRefusesTheReplaceStillSavesAWritableFile) {
    const struct {
        const char* name;
        mode_t folderMode;
        // The owner of the data file, in the sticky folder another user than the writer.
        uid_t fileOwner;
        // Whether a file the folder does not hold yet can be made.
        bool newFileMade;
    } cases[] = {
        {"read-only folder", 0555, 0, false},
        {"sticky folder, another user's file", 01777, 65533, true},
    };
    const bool root = ::geteuid() == 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!root && c.fileOwner != ::geteuid()) {
            continue;  // only root can hand the file to another user
        }
        MakeDataFolder();
        WriteBytes("data/a-1.txt", "old content");
        ASSERT_EQ(::chmod("data/a-1.txt", 0666), 0);
        ASSERT_EQ(::link("data/a-1.txt", "data/link.txt"), 0);
        if (root) {
            ASSERT_EQ(::chown("data/a-1.txt", c.fileOwner, c.fileOwner), 0);
        }
        ASSERT_EQ(::chmod("data", c.folderMode), 0);

        const int code = AsOrdinaryUser([&] {
            const bool saved = static_cast<bool>(WriteWholeFile("data/a-1.txt", "new"));
            const WriteResult made = WriteWholeFile("data/a-2.txt", "x");
            const bool madeAsExpected = c.newFileMade ? static_cast<bool>(made)
                                                      : made.failure == WriteFailure::NoPermission;
            return (saved ? 0 : 1) | (madeAsExpected ? 0 : 2);
        });

        EXPECT_EQ(code, 0) << "1: not saved in place, 2: the new file's outcome";
        EXPECT_EQ(ReadBytes("data/a-1.txt"), "new");
        EXPECT_EQ(ReadBytes("data/link.txt"), "new") << "the hard link stays";
        struct stat st {};
        ASSERT_EQ(::stat("data/a-1.txt", &st), 0);
        EXPECT_EQ(st.st_uid, root ? c.fileOwner : ::geteuid()) << "the owner stays";
        EXPECT_EQ(st.st_mode & 07777, 0666u);
        ASSERT_EQ(::chmod("data", 0755), 0);
        fs::remove_all("data");
    }
}

}  // namespace
}  // namespace morvelin::testing
