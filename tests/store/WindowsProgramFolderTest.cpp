#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "store/ProgramFolder.h"

namespace morvelin {
namespace {

// In code page 936 the second byte of this character is the backslash byte.
#define KANJI_5C "\x81\x5C"

std::string ModulePath() {
    char path[MAX_PATH * 4] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

struct ProbeRun {
    DWORD exitCode = 1;
    std::string output;
};

// Starts `program` from the current directory and collects what it prints.
ProbeRun RunProgram(const std::string& program) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return {};
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + program + "\"";
    const BOOL started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        0, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);

    ProbeRun run;
    if (started) {
        char buffer[4096];
        DWORD count = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &count, nullptr) && count > 0) {
            run.output.append(buffer, count);
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    return run;
}

// A program named "m<KANJI_5C>.exe" in a folder whose name ends in the same character: a cut at
// the last 0x5C byte would give the folder "m\x81" beside the program, which does not exist.
TEST(WindowsProgramFolder, ProgramUnderDoubleByteNamesEntersItsOwnFolder) {
    char temp[MAX_PATH] = {};
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    const std::string folder =
        std::string(temp) + "morvelin-" + std::to_string(GetCurrentProcessId()) + "-" KANJI_5C;
    const std::string program = folder + "\\m" KANJI_5C ".exe";
    const std::string probe = ProgramFolder(ModulePath()) + "\\morvelin_program_folder_probe.exe";
    ASSERT_NE(CreateDirectoryA(folder.c_str(), nullptr), 0) << GetLastError();
    ASSERT_NE(CopyFileA(probe.c_str(), program.c_str(), FALSE), 0)
        << probe << ": " << GetLastError();

    const ProbeRun run = RunProgram(program);

    DeleteFileA(program.c_str());
    RemoveDirectoryA(folder.c_str());
    EXPECT_EQ(run.exitCode, 0u);
    // The system hands the trap over as it is: the name's trail byte is a 0x5C.
    EXPECT_EQ(run.output, program + "\n" + folder + "\n");
}

}  // namespace
}  // namespace morvelin
