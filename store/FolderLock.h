#pragma once

#include <cstdint>

#include "core/Text.h"

namespace morvelin {

// Keeps a second running copy of the program off a data folder: each copy saves every change of
// its panes at once, so two windows on one folder would overwrite each other's typing. The lock
// belongs to the process and ends with it, also when it is killed; nothing is written into the
// folder for it.
class FolderLock {
  public:
    enum class Outcome {
        Taken,           // this process holds the folder now
        TakenElsewhere,  // another process (or another lock of this one) holds it
        Unavailable,     // the folder cannot be locked (missing, or no locks there): not held
    };

    FolderLock() = default;
    // Releases the folder.
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the folder at `path` (relative to the current directory, ANSI code page). Once only.
    Outcome Take(const Text& path);

  private:
    // A descriptor of the folder on POSIX, a named mutex's HANDLE on Windows.
    std::intptr_t handle_ = -1;
};

}  // namespace morvelin
