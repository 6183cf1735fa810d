#include "store/PathNames.h"
#include "store/ProgramFolder.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace morvelin {
namespace {

// Double-byte characters of code page 936, spelled as bytes so that the source encoding plays
// no part. The second byte of "\x81\x5C" is the backslash byte.
#define KANJI_5C "\x81\x5C"
#define ZHONG "\xD6\xD0"

struct FolderCase {
    const char* name;
    std::string path;
    std::string folder;
};

void PrintTo(const FolderCase& c, std::ostream* out) {
    *out << c.name;
}

class ProgramFolderTest : public testing::TestWithParam<FolderCase> {};

TEST_P(ProgramFolderTest, CutsAtTheLastRealBackslash) {
    EXPECT_EQ(ProgramFolder(GetParam().path), GetParam().folder);
}

const FolderCase kFolderCases[] = {
    {"PlainPath", "C:\\Tools\\morvelin.exe", "C:\\Tools"},
    {"DriveRootKeepsItsBackslash", "C:\\x.exe", "C:\\"},
    {"LowerCaseDriveRoot", "d:\\x.exe", "d:\\"},
    {"CurrentDriveRoot", "\\x.exe", "\\"},
    {"NetworkShare", "\\\\server\\share\\x.exe", "\\\\server\\share"},
    // A plain search for the last 0x5C lands inside the character and gives "C:\Tools\\x81".
    {"TrailByte5CInFileName", "C:\\Tools\\" KANJI_5C ".exe", "C:\\Tools"},
    {"TrailByte5CInFileNameAtDriveRoot", "C:\\" KANJI_5C KANJI_5C ".exe", "C:\\"},
    {"TrailByte5CEndsFolderName", "C:\\" KANJI_5C "\\x.exe", "C:\\" KANJI_5C},
    {"DoubleByteFolderName", "C:\\" ZHONG "\\" ZHONG ".exe", "C:\\" ZHONG},
    // GB18030's four-byte characters are two such pairs.
    {"FourByteCharacter", "C:\\a\\\x81\x30\x81\x30.exe", "C:\\a"},
    {"LeadByteAtTheEnd", "C:\\a\\x\x81", "C:\\a"},
    {"NoBackslash", "morvelin.exe", ""},
    {"Empty", "", ""},
    // The path of a POSIX program has no folder in this sense.
    {"ForwardSlashesOnly", "/usr/bin/morvelin", ""},
};

INSTANTIATE_TEST_SUITE_P(Paths, ProgramFolderTest, testing::ValuesIn(kFolderCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The one separator split of both file platforms: whole two-byte characters where paths are in
// the ANSI code page, plain bytes on POSIX, whose UTF-8 names may hold any byte before a '/'.
TEST(PathNames, LastSeparatorStepsOverTwoByteCharactersOnlyWhereAsked) {
    struct Case {
        const char* path;
        PathBytes bytes;
        Separators separators;
        std::size_t expected;
    };
    const Case cases[] = {
        {"data/a-1.txt", PathBytes::Plain, Separators::Slash, 4},
        {"data\\a-1.txt", PathBytes::Plain, Separators::Slash, std::string::npos},
        {"C:\\app\\data/a-1.txt", PathBytes::DoubleByte, Separators::Either, 11},
        {"C:\\\x81\x5C.exe", PathBytes::DoubleByte, Separators::Either,
         2},  // 0x5C is a trail byte here
        {"/tmp/\xE4\xB8\xAD/x", PathBytes::Plain, Separators::Slash,
         8},  // "中/" in UTF-8: E4 B8 AD 2F
        {"a.txt", PathBytes::DoubleByte, Separators::Either, std::string::npos},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LastSeparator(c.path, c.bytes, c.separators), c.expected) << c.path;
    }
}

TEST(PathNames, TempNameStaysInTheTargetsFolderAndDiffersEachTime) {
    const Text first = TempName("data/a-1.txt", PathBytes::Plain, 42);
    const Text second = TempName("data/a-1.txt", PathBytes::Plain, 42);
    EXPECT_EQ(first.rfind("data/.a-1.txt.42-", 0), 0u) << first;
    EXPECT_EQ(first.substr(first.size() - 4), ".tmp");
    EXPECT_NE(first, second);
    EXPECT_EQ(
        TempName("\x81\x5C\\a-2.txt", PathBytes::DoubleByte, 7).rfind("\x81\x5C\\.a-2.txt.7-", 0),
        0u);
}

}  // namespace
}  // namespace morvelin
