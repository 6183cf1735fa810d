#pragma once

#include <string>

#include "core/Text.h"

namespace morvelin {

// A path as the system spells it (raw bytes on POSIX, the ANSI code page on Windows) as UTF-8 for
// the program's messages, with the system's separators. Bytes that are no character show as
// U+FFFD: the message still names the place.
std::string PathForDisplay(const Text& path);

// The current folder, or a folder in it, the same way.
std::string CurrentFolderForDisplay(const Text& child = {});

}  // namespace morvelin
