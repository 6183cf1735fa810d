#pragma once

#include <string_view>

#include "core/Text.h"

namespace morvelin {

// The folder of a program file, from its full path as Windows gives it (GetModuleFileNameA, in the
// ANSI code page): the bytes before the last backslash. A byte of 0x80 or more starts a two-byte
// character whose second byte never counts, even where it is 0x5C: in code page 936 the character
// "\x81\x5C" would otherwise cut "C:\tools\<it>.exe" inside itself. A program at a drive root
// ("C:\x.exe") gives the root itself ("C:\"); a path without a backslash gives the empty text.
Text ProgramFolder(std::string_view programPath);

// The folder of a program file from its full POSIX path, as raw bytes: those before the last '/'
// ("/" for a program at the root); the empty text for a path without a '/'.
Text PosixProgramFolder(std::string_view programPath);

// Makes the running program's own folder the current directory, so that relative data paths name
// files beside the program wherever it was started from. The path is taken as the system's raw
// bytes (/proc/self/exe; GetModuleFileNameA in the ANSI code page), never decoded, so that a
// folder name in any encoding is entered as it is. False when the program's path cannot be had or
// its folder cannot be entered.
bool EnterProgramFolder();

}  // namespace morvelin
