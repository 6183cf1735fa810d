#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <set>
#include <string>

#include "store/FileLayer.h"
#include "store/FilePlatform.h"
#include "tests/store/FaultyFilePlatform.h"
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
    WriteFailure failure;
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
     },
     WriteFailure::Other},
    {"MissingFolderIsNotCreated", [] { return Text("data/a-1.txt"); }, WriteFailure::FolderMissing},
    {"HeldInTheTable",
     [] {
         PrepareDataFile();
         EXPECT_NE(OpenShared("data/a-1.txt"), 0);
         return Text("data/a-1.txt");
     },
     WriteFailure::InUse},
    {"HeldInTheTableUnderAnotherSpelling",
     [] {
         PrepareDataFile();
         EXPECT_NE(OpenShared("data/a-1.txt"), 0);
         return Text("./data/../data/a-1.txt");
     },
     WriteFailure::InUse},
    {"ReadOnlyFile",
     [] {
         PrepareDataFile();
         MakeReadOnly("data/a-1.txt");
         return Text("data/a-1.txt");
     },
     WriteFailure::ReadOnlyFile},
    {"Folder",
     [] {
         PrepareDataFile();
         fs::create_directory("data/a-2.txt");
         return Text("data/a-2.txt");
     },
     WriteFailure::NotAPlainFile},
    {"NulInsideThePath",
     [] {
         PrepareDataFile();
         return "data/a-1.txt\0more"s;
     },
     WriteFailure::Other},
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

    EXPECT_EQ(WriteWholeFile(path, "new").failure, GetParam().failure);
    EXPECT_EQ(Listing(), listing);
    EXPECT_EQ(Snapshot("data/a-1.txt"), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, WriteRefusalTest, ::testing::ValuesIn(kWriteRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- A write that fails part-way ----

const char* StepName(Step step) {
    constexpr const char* kNames[] = {"CreateTemp", "CopyAttributes", "Write",   "Flush",   "Close",
                                      "Replace",    "OpenForWriting", "Reserve", "Truncate"};
    return kNames[static_cast<int>(step)];
}

class PartWayFailureTest
    : public FileLayerTest,
      public ::testing::WithParamInterface<std::tuple<Step, bool /*file exists*/>> {};

// A full disk at any step of the replace: the reason is told, the old file stays whole and no
// temporary file is left.
TEST_P(PartWayFailureTest, LeavesTheOldFileWholeAndNoTemporaryFile) {
    const auto [step, exists] = GetParam();
    MakeDataFolder();
    const std::string old = "shirt red\r\nshirt long\r\n";
    if (exists) {
        WriteBytes("data/a-4.txt", old);
    }
    const auto listing = Listing();

    FaultyFilePlatform faulty;
    faulty.FailOnce(step, WriteFailure::DiskFull);
    WriteResult result;
    {
        const UsingPlatform using_(faulty);
        result = WriteWholeFile("data/a-4.txt", "dress red\r\ndress long\r\n");
    }

    EXPECT_EQ(result.failure, WriteFailure::DiskFull);
    EXPECT_EQ(ReadBytes("data/a-4.txt"), exists ? std::optional<std::string>(old) : std::nullopt);
    EXPECT_EQ(Listing(), listing);
}

std::string PartWayFailureName(
    const ::testing::TestParamInfo<PartWayFailureTest::ParamType>& info) {
    const auto [step, exists] = info.param;
    return std::string(StepName(step)) + (exists ? "OverOldFile" : "OfNewFile");
}

INSTANTIATE_TEST_SUITE_P(
    Steps, PartWayFailureTest,
    ::testing::Combine(::testing::Values(Step::CreateTemp, Step::CopyAttributes, Step::Write,
                                         Step::Flush, Step::Close, Step::Replace),
                       ::testing::Bool()),
    PartWayFailureName);

// ---- A folder that refuses the replace: the file is written in place ----

// The folder takes no new file (its permissions), or lets no file be swapped (a sticky folder,
// a folder that denies deleting).
const Step kFolderRefusals[] = {Step::CreateTemp, Step::Replace};

TEST_F(FileLayerTest, FolderThatRefusesTheReplaceGetsTheFileWrittenInPlace) {
    for (const Step refusal : kFolderRefusals) {
        SCOPED_TRACE(StepName(refusal));
        MakeDataFolder();
        WriteBytes("data/a-1.txt", "old content that is longer");
        const auto identity = Snapshot("data/a-1.txt").identity;
        const auto listing = Listing();
        FaultyFilePlatform faulty;
        faulty.FailAlways(refusal, WriteFailure::NoPermission);
        const UsingPlatform using_(faulty);

        for (const std::string content : {"new", "new content, longer than the old one", ""}) {
            EXPECT_TRUE(WriteWholeFile("data/a-1.txt", content));
            EXPECT_EQ(ReadBytes("data/a-1.txt"), content);
        }
        EXPECT_EQ(Snapshot("data/a-1.txt").identity, identity) << "the same file, not a new one";
        EXPECT_EQ(Listing(), listing);

        // There is no file to write in place: the folder's refusal stands.
        EXPECT_EQ(WriteWholeFile("data/a-2.txt", "new").failure, WriteFailure::NoPermission);
        EXPECT_EQ(Listing(), listing);
        // The in-place write keeps the refusals of the replace.
        ASSERT_NE(OpenShared("data/a-1.txt"), 0);
        EXPECT_EQ(WriteWholeFile("data/a-1.txt", "held").failure, WriteFailure::InUse);
        CloseAllFiles();
        EXPECT_EQ(ReadBytes("data/a-1.txt"), "");
        fs::remove_all("data");
    }
}

class InPlaceFailureTest
    : public FileLayerTest,
      public ::testing::WithParamInterface<std::tuple<Step, bool /*new content longer*/>> {};

// A full disk at any step of the write in place: the old bytes are put back.
TEST_P(InPlaceFailureTest, PutsTheOldBytesBack) {
    const auto [step, longer] = GetParam();
    MakeDataFolder();
    const std::string old = "shirt red\r\nshirt long\r\n";
    WriteBytes("data/a-4.txt", old);
    const auto listing = Listing();
    const auto identity = Snapshot("data/a-4.txt").identity;

    FaultyFilePlatform faulty;
    faulty.FailAlways(Step::CreateTemp, WriteFailure::NoPermission);
    faulty.FailOnce(step, WriteFailure::DiskFull);
    WriteResult result;
    {
        const UsingPlatform using_(faulty);
        result = WriteWholeFile("data/a-4.txt", longer ? old + old + "dress" : "dress");
    }

    EXPECT_EQ(result.failure, WriteFailure::DiskFull);
    EXPECT_EQ(ReadBytes("data/a-4.txt"), old);
    EXPECT_EQ(Snapshot("data/a-4.txt").identity, identity);
    EXPECT_EQ(Listing(), listing);
}

std::string InPlaceFailureName(
    const ::testing::TestParamInfo<InPlaceFailureTest::ParamType>& info) {
    const auto [step, longer] = info.param;
    return std::string(StepName(step)) + (longer ? "Longer" : "Shorter");
}

INSTANTIATE_TEST_SUITE_P(Steps, InPlaceFailureTest,
                         ::testing::Combine(::testing::Values(Step::OpenForWriting, Step::Reserve,
                                                              Step::Write, Step::Truncate,
                                                              Step::Flush),
                                            ::testing::Bool()),
                         InPlaceFailureName);

// ---- The start-up check of the data folder ----

TEST_F(FileLayerTest, FolderCheckTellsWhyAFolderTakesNoSaveAndLeavesNothing) {
    MakeDataFolder();
    EXPECT_TRUE(CheckFolderTakesSaves("data"));
    EXPECT_EQ(CheckFolderTakesSaves("missing").failure, WriteFailure::FolderMissing);
    const struct {
        Step step;
        WriteFailure failure;
    } faults[] = {
        {Step::CreateTemp, WriteFailure::NoPermission},
        {Step::Write, WriteFailure::DiskFull},
        {Step::Flush, WriteFailure::DiskFull},
        {Step::Close, WriteFailure::Other},
    };
    for (const auto& fault : faults) {
        FaultyFilePlatform faulty;
        faulty.FailOnce(fault.step, fault.failure);
        const UsingPlatform using_(faulty);
        EXPECT_EQ(CheckFolderTakesSaves("data").failure, fault.failure) << StepName(fault.step);
    }
    EXPECT_EQ(Listing(), std::set<std::string>{"./data"});
}

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
