#pragma once

#include <cstddef>
#include <string_view>

#include "core/Text.h"

namespace morvelin {

// The file layer under the category store. Paths are Texts in the ANSI code page, relative to the
// current directory, with '/' as separator. No operation reports to the user: failures give 0,
// the empty text, false or a failed WriteResult, and leave files as they were.

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

// How many threads wait for another thread's hold to end now. For tests, which wait on it to know
// that a thread has reached the table.
std::size_t OpenFileTableWaiters();

// Opens an existing file for reading and writing, shared with anyone else, and enters it in the
// table. Never creates a file. 0 when the path is empty, the file is missing or read-only.
FileNumber OpenShared(const Text& path);

// The file's text from its current position up to the first 0x00 or 0x1A at a character start.
// The empty text for a number not in the table or on any failure.
Text ReadWholeText(FileNumber file);

// How many bytes of `bytes` a read gives as text: those before the first 0x00 or 0x1A at a
// character start. A byte of 0x80 or more starts a two-byte character whose second byte is not
// tested, except that a NUL there ends the text before the character; a last lead byte stays.
std::size_t TextLength(std::string_view bytes);

// Why a pane may not be saved over its data file; None when it may.
enum class LoadProblem {
    None,
    ReadOnlyFile,     // the file may not be written; shown whole
    InUse,            // another program holds the file so that it may not be written
    NoFolder,         // missing, and so is its folder
    CannotCreate,     // missing, and no empty file can be made in its place
    NotPlainFile,     // a folder, a pipe, a device
    Unreadable,       // the file may not be opened for reading
    TooLarge,         // beyond the 2^31 - 1 bytes of a text
    OutOfMemory,      // no memory to hold its bytes
    ReadError,        // the system failed a read, or the file changed its length meanwhile
    CutShort,         // a 0x00 or 0x1A with bytes after it: the text would end there
    UnknownEncoding,  // no encoding gives back every byte
};

// A data file read for its pane.
struct FileLoad {
    // Of the read itself: None, ReadOnlyFile, InUse or one of the failures, whose bytes are empty.
    LoadProblem problem = LoadProblem::None;
    // Every byte of the file, those after a 0x00 or 0x1A included.
    Text bytes;
};

// Reads the whole data file at `path` for its pane. A file that may be written is opened shared
// and stays in the table until CloseAllFiles, so that the save its pane's set raises is refused
// and the load rewrites nothing; so does a missing file, which is made empty first. A file that
// may not be written is read and closed again. Call it under an OpenFileTableHold.
FileLoad LoadWholeFile(const Text& path);

// Removes the temporary files that saves into `folder` left behind, for example when the program
// was killed during a save: only names of the save's own pattern for a category's data file
// (".a-1.txt.<process>-<n>-<n>.tmp") whose process has ended. Anything else stays.
void RemoveStaleTempFiles(const Text& folder);

// Closes every file of the table, in table order, and empties it.
void CloseAllFiles();

// Why a write did not happen.
enum class WriteFailure {
    None,
    DiskFull,       // no space left on the disk, or the user's quota is used up
    NoPermission,   // the system refused: no write permission for the file or its folder
    InUse,          // the file is held open: by a load of this program, or by another program
    FolderMissing,  // the folder of the file does not exist
    ReadOnlyFile,   // the file may not be written: read-only, or no write access for us
    NotAPlainFile,  // a folder, a device or a pipe
    Other,          // anything else, an empty path or a link that leads nowhere among them
};

// The outcome of a write: true when the whole content is in the file.
struct WriteResult {
    WriteFailure failure = WriteFailure::None;

    explicit operator bool() const { return failure == WriteFailure::None; }
    friend bool operator==(const WriteResult&, const WriteResult&) = default;
};

// Replaces the whole file with `content`, atomically: the file holds either its old or its new
// content, whole. Fails, touching nothing, for an empty path, a missing folder (never created),
// a file held in the table (compared by identity, not by spelling), a read-only file and a
// folder or other special file. A replaced file keeps its permissions; a symbolic link stays and
// the file it leads to is replaced.
//
// Where the folder refuses the new file or the swap (no write permission for the folder, a
// sticky folder, a folder that denies deleting) but the file itself may be written, the file is
// written in place instead: the old bytes are read first, the room for the new ones is reserved
// where the file system can, then the content is written over the file from its start, the file
// cut to its length and flushed. A failure on the way puts the old bytes back. That write keeps
// the file's identity: its hard links, owner, permissions and other attributes.
WriteResult WriteWholeFile(const Text& path, std::string_view content);

// Whether the folder takes the program's saves: a new file is made in it, a few bytes written
// and flushed, and removed again. Reports why not, for the start-up check.
WriteResult CheckFolderTakesSaves(const Text& folder);

// True when the file exists and may not be written: no write permission bit at all, also for root
// (the read-only attribute on Windows), or no write access for this process.
bool IsReadOnlyFile(const Text& path);

// The text of a file opened for reading only, by the same end-of-text rules as ReadWholeText; the
// empty text on any failure. Used to show a read-only data file, which OpenShared refuses.
Text ReadReadOnlyFile(const Text& path);

}  // namespace morvelin
