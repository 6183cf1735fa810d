#pragma once

#include <string_view>

#include "core/Text.h"

namespace morvelin {

// The file layer under the category store. Paths are Texts in the ANSI code page, relative to the
// current directory, with '/' as separator. No operation reports to the user: failures give 0,
// the empty text or false, and leave files as they were.

// An entry of the process-wide table of files opened for loading; 0 stands for no file.
using FileNumber = int;

// Every operation below is one step under one lock. A hold makes a whole sequence of them one
// step for other threads: their operations wait until it ends, while the holding thread goes on
// as usual (its own CloseAllFiles still closes everything). A category load takes one, so that a
// generation's final CloseAllFiles on its worker thread cannot close a file between the load's
// open and its read, which would empty the pane and then its file. Holds of one thread nest; a
// holder must not wait for another thread that may be using the table.
class OpenFileTableHold {
  public:
    OpenFileTableHold();
    ~OpenFileTableHold();
    OpenFileTableHold(const OpenFileTableHold&) = delete;
    OpenFileTableHold& operator=(const OpenFileTableHold&) = delete;
};

// Opens an existing file for reading and writing, shared with anyone else, and enters it in the
// table. Never creates a file. 0 when the path is empty, the file is missing or read-only.
FileNumber OpenShared(const Text& path);

// The file's text from its current position up to the first 0x00 or 0x1A at a character start.
// The empty text for a number not in the table or on any failure.
Text ReadWholeText(FileNumber file);

// Closes every file of the table, in table order, and empties it.
void CloseAllFiles();

// Replaces the whole file with `content`, atomically: the file holds either its old or its new
// content, whole. False, touching nothing, for an empty path, a missing folder (never created),
// a file held in the table (compared by identity, not by spelling), a read-only file and a
// folder or other special file. A replaced file keeps its permissions; a symbolic link stays and
// the file it leads to is replaced.
bool WriteWholeFile(const Text& path, std::string_view content);

// True when the file exists and may not be written: no write permission bit at all, also for root
// (the read-only attribute on Windows), or no write access for this process.
bool IsReadOnlyFile(const Text& path);

// The text of a file opened for reading only, by the same end-of-text rules as ReadWholeText; the
// empty text on any failure. Used to show a read-only data file, which OpenShared refuses.
Text ReadReadOnlyFile(const Text& path);

}  // namespace morvelin
