// A program for the Windows tests to copy under awkward names and start: it enters its own folder
// as the start-up does and prints its full path and the current directory, one per line, as the
// raw ANSI bytes the system gave.
#include <windows.h>

#include <string>

#include "store/ProgramFolder.h"

int main() {
    char path[MAX_PATH * 4] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    const bool entered = morvelin::EnterProgramFolder();
    char current[MAX_PATH * 4] = {};
    GetCurrentDirectoryA(sizeof current, current);
    // WriteFile, not printf: the C runtime's text mode would turn each \n into \r\n.
    const std::string output = std::string(path) + "\n" + current + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), output.data(), static_cast<DWORD>(output.size()),
              &written, nullptr);
    return entered ? 0 : 1;
}
