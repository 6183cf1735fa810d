// The Windows tests mean something only where the ANSI code page is 936 and double-byte file
// names reach the file system intact; under Wine that takes the zh_CN.UTF-8 locale.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TEST(WindowsCodePage, Is936) {
    const UINT codePage = GetACP();
    std::printf("GetACP() = %u\n", codePage);
    EXPECT_EQ(codePage, 936u) << "Wine needs the zh_CN.UTF-8 locale (scripts/wine-env.sh makes it)";
}

TEST(WindowsCodePage, DoubleByteFileNamesRoundTrip) {
    char tempFolder[MAX_PATH] = {};
    ASSERT_NE(GetTempPathA(MAX_PATH, tempFolder), 0u);
    // A common character (0xD6 0xD0) and one whose trail byte is the backslash byte.
    const std::string name = "morvelin-\xD6\xD0\x81\x5C-" + std::to_string(GetCurrentProcessId());
    const std::string path = tempFolder + name;

    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
    CloseHandle(file);

    WIN32_FIND_DATAA found = {};
    const HANDLE search = FindFirstFileA(path.c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << GetLastError();
    FindClose(search);
    EXPECT_EQ(std::string(found.cFileName), name);
    EXPECT_NE(DeleteFileA(path.c_str()), 0);
}

}  // namespace
