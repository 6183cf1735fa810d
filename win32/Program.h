#pragma once

#include <windows.h>

namespace morvelin::win32 {

// The Windows program from start to end, as the program's controller orders it; returns the exit
// code.
int RunProgram(HINSTANCE instance);

}  // namespace morvelin::win32
