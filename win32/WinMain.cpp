#include <windows.h>

#include "win32/Program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
    return morvelin::win32::RunProgram(instance);
}
