#pragma once

#include "core/Text.h"

namespace morvelin {

// Makes the folder at `path` (relative to the current directory, in the ANSI code page) when it is
// missing; its parent must exist. True when a folder is there afterwards.
bool MakeFolder(const Text& path);

}  // namespace morvelin
