#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <optional>

#include "store/FileLayer.h"
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
    const bool created = WriteWholeFile("data/a-1.txt", "new");
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
        EXPECT_EQ(WriteWholeFile("data/a-1.txt", "new"), !readOnly) << std::oct << c.mode;

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

}  // namespace
}  // namespace morvelin::testing
