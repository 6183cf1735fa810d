#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <set>
#include <string>

#include "store/FileLayer.h"
#include "store/FilePlatform.h"
#include "tests/store/StoreTestSupport.h"

namespace morvelin::testing {
namespace {

using namespace std::string_literals;

class FileLayerTest : public TempFolderTest {};

// ---- Reading: the end of the text, and where a read leaves the position ----

struct ReadCase {
    const char* name;
    std::string fileBytes;
    std::string text;
};

const ReadCase kReadCases[] = {
    {"EmptyFile", "", ""},
    {"LineBreakBytesKept", "a\r\nb\rc\nd\r\n\te", "a\r\nb\rc\nd\r\n\te"},
    {"NulEndsText", "abc\0def"s, "abc"},
    {"SubEndsText",
     "abc\x1a"
     "def",
     "abc"},
    {"NulAsFirstByte", "\0abc"s, ""},
    {"SubAsSecondByteOfCharacterKept", "\x81\x1az", "\x81\x1az"},
    {"LeadByteBeforeNulDropped", "ab\x81\0cd"s, "ab"},
    {"LeadByteAsLastByteKept", "ab\xb0", "ab\xb0"},
    {"SubAfterCharacterEndsText",
     "\xb0\xa1\x1a"
     "b",
     "\xb0\xa1"},
    // The second 0x81 is the trail byte of the first: the third one takes the SUB as its own.
    {"PairingFollowsCharacterStarts", "\x81\x81\x81\x1a", "\x81\x81\x81\x1a"},
    {"FourByteCharacterKept", "\x81\x30\x81\x30\r\n", "\x81\x30\x81\x30\r\n"},
};

void PrintTo(const ReadCase& c, std::ostream* out) {
    *out << c.name;
}

class ReadWholeTextTest : public FileLayerTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadWholeTextTest, ReadsUpToTheEndOfTextAndLeavesTheFileAlone) {
    const ReadCase& c = GetParam();
    MakeDataFolder();
    WriteBytes("data/a-1.txt", c.fileBytes);

    const FileNumber file = OpenShared("data/a-1.txt");
    ASSERT_NE(file, 0);
    EXPECT_EQ(ReadWholeText(file), c.text);
    // The first read stopped at the byte that ended the text or at the end of the file.
    EXPECT_EQ(ReadWholeText(file), "");
    CloseAllFiles();
    EXPECT_EQ(ReadBytes("data/a-1.txt"), c.fileBytes);
}

INSTANTIATE_TEST_SUITE_P(Bytes, ReadWholeTextTest, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileLayerTest, ReadWholeTextGivesNothingForANumberNotInTheTable) {
    MakeDataFolder();
    WriteBytes("data/a-1.txt", "abc");
    const FileNumber file = OpenShared("data/a-1.txt");
    ASSERT_NE(file, 0);

    EXPECT_EQ(ReadWholeText(0), "");
    EXPECT_EQ(ReadWholeText(file + 1), "");
    CloseAllFiles();
    EXPECT_EQ(ReadWholeText(file), "");
}

// ---- Opening ----

TEST_F(FileLayerTest, OpenSharedRefusesWhatItMayNotOpenAndCreatesNothing) {
    MakeDataFolder();
    WriteBytes("data/ro.txt", "content");
    MakeReadOnly("data/ro.txt");
    const auto before = Listing();

    const struct {
        const char* name;
        Text path;
    } refusals[] = {
        {"empty path", ""},
        {"missing file", "data/a-1.txt"},
        {"missing folder", "nothing/a-1.txt"},
        {"folder", "data"},
        // Root could open it for writing all the same; the mode bits decide.
        {"read-only file", "data/ro.txt"},
        {"NUL inside the path", "data/ro.txt\0x"s},
    };
    for (const auto& refusal : refusals) {
        EXPECT_EQ(OpenShared(refusal.path), 0) << refusal.name;
    }
    EXPECT_EQ(Listing(), before);
}

TEST_F(FileLayerTest, SamePathTwiceMakesTwoEntriesWithTheirOwnPositions) {
    MakeDataFolder();
    WriteBytes("data/a-1.txt", "shirt\r\ndress");

    const FileNumber first = OpenShared("data/a-1.txt");
    const FileNumber second = OpenShared("./data/../data/a-1.txt");
    ASSERT_NE(first, 0);
    ASSERT_NE(second, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(ReadWholeText(first), "shirt\r\ndress");
    EXPECT_EQ(ReadWholeText(second), "shirt\r\ndress");
}

TEST_F(FileLayerTest, CloseAllFilesReleasesEveryEntryAndTwiceDoesNothingMore) {
    MakeDataFolder();
    WriteBytes("data/a-1.txt", "a");
    WriteBytes("data/a-2.txt", "b");
    const FileNumber one = OpenShared("data/a-1.txt");
    const FileNumber two = OpenShared("data/a-2.txt");
    ASSERT_FALSE(WriteWholeFile("data/a-2.txt", "new"));

    CloseAllFiles();
    CloseAllFiles();
    EXPECT_EQ(ReadWholeText(one), "");
    EXPECT_EQ(ReadWholeText(two), "");
    EXPECT_TRUE(WriteWholeFile("data/a-2.txt", "new"));
    EXPECT_EQ(ReadBytes("data/a-2.txt"), "new");
}

// ---- Writing ----

TEST_F(FileLayerTest, WriteWholeFileCreatesAndReplacesWholeFilesOnly) {
    MakeDataFolder();
    const std::string content = "shirt red\r\n\xb0\xa1\x1a\0tail"s;

    ASSERT_TRUE(WriteWholeFile("data/a-4.txt", content));
    EXPECT_EQ(ReadBytes("data/a-4.txt"), content) << "bytes pass unchanged, NUL and SUB too";

    ASSERT_TRUE(WriteWholeFile("data/a-4.txt", "short"));
    EXPECT_EQ(ReadBytes("data/a-4.txt"), "short");

    ASSERT_TRUE(WriteWholeFile("data/a-4.txt", ""));
    EXPECT_EQ(ReadBytes("data/a-4.txt"), "");

    // The temporary files of the replaces are gone.
    EXPECT_EQ(Listing(), (std::set<std::string>{"./data", "./data/a-4.txt"}));
}

struct WriteRefusal {
    const char* name;
    // Prepares the folder and gives the path to write.
    std::function<Text()> prepare;
};

void PrepareDataFile() {
    fs::create_directory("data");
    WriteBytes("data/a-1.txt", "old\r\ncontent");
}

const WriteRefusal kWriteRefusals[] = {
    {"EmptyPath",
     [] {
         PrepareDataFile();
         return Text();
     }},
    {"MissingFolderIsNotCreated", [] { return Text("data/a-1.txt"); }},
    {"HeldInTheTable",
     [] {
         PrepareDataFile();
         EXPECT_NE(OpenShared("data/a-1.txt"), 0);
         return Text("data/a-1.txt");
     }},
    {"HeldInTheTableUnderAnotherSpelling",
     [] {
         PrepareDataFile();
         EXPECT_NE(OpenShared("data/a-1.txt"), 0);
         return Text("./data/../data/a-1.txt");
     }},
    {"ReadOnlyFile",
     [] {
         PrepareDataFile();
         MakeReadOnly("data/a-1.txt");
         return Text("data/a-1.txt");
     }},
    {"Folder",
     [] {
         PrepareDataFile();
         fs::create_directory("data/a-2.txt");
         return Text("data/a-2.txt");
     }},
    {"NulInsideThePath",
     [] {
         PrepareDataFile();
         return "data/a-1.txt\0more"s;
     }},
};

void PrintTo(const WriteRefusal& c, std::ostream* out) {
    *out << c.name;
}

class WriteRefusalTest : public FileLayerTest,
                         public ::testing::WithParamInterface<WriteRefusal> {};

TEST_P(WriteRefusalTest, RefusesAndTouchesNothing) {
    const Text path = GetParam().prepare();
    const auto listing = Listing();
    const FileSnapshot before = Snapshot("data/a-1.txt");

    EXPECT_FALSE(WriteWholeFile(path, "new"));
    EXPECT_EQ(Listing(), listing);
    EXPECT_EQ(Snapshot("data/a-1.txt"), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, WriteRefusalTest, ::testing::ValuesIn(kWriteRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- A write that fails part-way ----

enum class FailingStep { CreateTemp, CopyAttributes, Write, Flush, Close, Replace };

const char* const kStepNames[] = {"CreateTemp", "CopyAttributes", "Write",
                                  "Flush",      "Close",          "Replace"};

void PrintTo(FailingStep step, std::ostream* out) {
    *out << kStepNames[static_cast<int>(step)];
}

// The native platform, with one step of the replace failing. The write step puts half of the
// bytes into the temporary file first, as a full disk would.
class FailingPlatform final : public FilePlatform {
  public:
    explicit FailingPlatform(FailingStep step) : step_(step) {}

    std::optional<FileFacts> Examine(const Text& path) override { return native_.Examine(path); }
    Handle OpenShared(const Text& path) override { return native_.OpenShared(path); }
    Handle OpenForReading(const Text& path) override { return native_.OpenForReading(path); }
    std::optional<FileIdentity> IdentityOf(Handle file) override {
        return native_.IdentityOf(file);
    }
    std::int64_t Length(Handle file) override { return native_.Length(file); }
    std::int64_t Read(Handle file, char* buffer, std::int64_t size) override {
        return native_.Read(file, buffer, size);
    }
    bool Seek(Handle file, std::int64_t offset, SeekOrigin origin) override {
        return native_.Seek(file, offset, origin);
    }
    bool Close(Handle file) override { return native_.Close(file) && step_ != FailingStep::Close; }
    Text ReplaceTarget(const Text& path) override { return native_.ReplaceTarget(path); }
    Handle CreateTempBeside(const Text& target, Text& tempPath) override {
        if (step_ == FailingStep::CreateTemp) {
            return kNoHandle;
        }
        return native_.CreateTempBeside(target, tempPath);
    }
    bool CopyAttributes(Handle file, const Text& target) override {
        return step_ != FailingStep::CopyAttributes && native_.CopyAttributes(file, target);
    }
    bool Write(Handle file, std::string_view bytes) override {
        if (step_ == FailingStep::Write) {
            native_.Write(file, bytes.substr(0, bytes.size() / 2));
            return false;
        }
        return native_.Write(file, bytes);
    }
    bool Flush(Handle file) override { return step_ != FailingStep::Flush && native_.Flush(file); }
    bool Replace(const Text& from, const Text& target) override {
        return step_ != FailingStep::Replace && native_.Replace(from, target);
    }
    void Remove(const Text& path) override { native_.Remove(path); }
    std::vector<Text> ListFolder(const Text& folder) override { return native_.ListFolder(folder); }
    bool ProcessEnded(std::uint64_t processId) override { return native_.ProcessEnded(processId); }

  private:
    FilePlatform& native_ = NativeFilePlatform();
    FailingStep step_;
};

class PartWayFailureTest
    : public FileLayerTest,
      public ::testing::WithParamInterface<std::tuple<FailingStep, bool /*file exists*/>> {
  protected:
    void TearDown() override {
        UseFilePlatform(nullptr);
        FileLayerTest::TearDown();
    }
};

TEST_P(PartWayFailureTest, LeavesTheOldFileWholeAndNoTemporaryFile) {
    const auto [step, exists] = GetParam();
    MakeDataFolder();
    const std::string old = "shirt red\r\nshirt long\r\n";
    if (exists) {
        WriteBytes("data/a-4.txt", old);
    }
    const auto listing = Listing();

    FailingPlatform failing(step);
    UseFilePlatform(&failing);
    EXPECT_FALSE(WriteWholeFile("data/a-4.txt", "dress red\r\ndress long\r\n"));
    UseFilePlatform(nullptr);

    EXPECT_EQ(ReadBytes("data/a-4.txt"), exists ? std::optional<std::string>(old) : std::nullopt);
    EXPECT_EQ(Listing(), listing);
}

std::string PartWayFailureName(
    const ::testing::TestParamInfo<PartWayFailureTest::ParamType>& info) {
    const auto [step, exists] = info.param;
    return std::string(kStepNames[static_cast<int>(step)]) + (exists ? "OverOldFile" : "OfNewFile");
}

INSTANTIATE_TEST_SUITE_P(
    Steps, PartWayFailureTest,
    ::testing::Combine(::testing::Values(FailingStep::CreateTemp, FailingStep::CopyAttributes,
                                         FailingStep::Write, FailingStep::Flush, FailingStep::Close,
                                         FailingStep::Replace),
                       ::testing::Bool()),
    PartWayFailureName);

// ---- Read-only files ----

TEST_F(FileLayerTest, ReadOnlyFileIsRecognisedAndReadWithoutEnteringTheTable) {
    MakeDataFolder();
    WriteBytes("data/ro.txt",
               "kept\r\nlines\x1a"
               "after");
    MakeReadOnly("data/ro.txt");
    WriteBytes("data/rw.txt", "plain");

    EXPECT_TRUE(IsReadOnlyFile("data/ro.txt"));
    EXPECT_FALSE(IsReadOnlyFile("data/rw.txt"));
    EXPECT_FALSE(IsReadOnlyFile("data/missing.txt"));
    EXPECT_FALSE(IsReadOnlyFile(""));

    EXPECT_EQ(ReadReadOnlyFile("data/ro.txt"), "kept\r\nlines");
    EXPECT_EQ(ReadReadOnlyFile("data/missing.txt"), "");
    EXPECT_EQ(ReadReadOnlyFile("data/rw.txt"), "plain");
    // Not held: a write right after it is not refused.
    EXPECT_TRUE(WriteWholeFile("data/rw.txt", "changed"));
}

}  // namespace
}  // namespace morvelin::testing
