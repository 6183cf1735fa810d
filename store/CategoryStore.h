#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <utility>

#include "core/PaneAccess.h"
#include "core/Text.h"
#include "store/FileEncoding.h"
#include "store/FileLayer.h"

namespace morvelin {

// "data/<letter>-<pane>.txt", for example "data/a-1.txt". The letter is lower case, a to z; any
// other letter or a pane outside 1 to 5 gives the empty path, which every file operation refuses.
Text CategoryPath(char letter, int pane);

// The five paths of the selected category, index 0 for pane 1; all empty before the first choice.
using CategoryFiles = std::array<Text, kPaneCount>;

// Maps the selected category to its five data files: a selection loads them into the panes, and
// every change of a pane is saved to its file at once.
//
// A pane is saved over its file only when it shows everything the file holds, in the encoding the
// file was read in (see FileEncoding.h). Any other file stays as it is: its pane is read-only and
// shows as much of the file as it can.
class CategoryStore {
  public:
    // What a load found for one pane.
    struct LoadNotice {
        int pane = 0;
        Text path;
        // The pane must not be edited and is never saved over its file.
        bool readOnly = false;
        // Why, when it is read-only.
        LoadProblem reason = LoadProblem::None;
    };
    // Told of each pane as it loads, in pane order, before the pane is set.
    using LoadNoticeHandler = std::function<void(const LoadNotice&)>;

    explicit CategoryStore(PaneAccess& panes, LoadNoticeHandler loadNotice = {});

    // Replaces the five paths with those of `letter` and reloads all five panes, also when the
    // letter is already selected. A selection never rewrites an existing data file; a missing
    // file of the category is left as a 0-byte file where the folder exists. A letter outside a to
    // z changes nothing.
    void SelectCategory(char letter);

    // Loads the five files of the current paths into the panes and remembers, for each, the
    // encoding and whether the pane may be saved over it; each pane's notice comes before its set.
    void LoadPanes();

    // Writes the whole text of pane n to its file of the selected category, then closes every file
    // of the table, and tells the save notice the outcome. Before the first selection, for n
    // outside 1 to 5 and while the pane's saves are held, nothing is written or told.
    void SavePane(int pane);

    // Loads the five files of the selected category again, as a selection of the same letter
    // does.
    void ReloadPanes();

    // Told after every write of a pane's text, on the thread that wrote it: whether the pane's
    // whole text is now in its file at `path`, or why not. A save raised by a load reports
    // success: the pane then shows what its file holds (the load keeps the file from being
    // rewritten on purpose).
    using SaveNotice = std::function<void(int pane, const Text& path, WriteResult result)>;
    void SetSaveNotice(SaveNotice notice) { saveNotice_ = std::move(notice); }

    // While a pane's saves are held, its changes reach no file: a generation empties its output
    // panes this way, so that the files keep the old outputs until the new ones are saved. May be
    // set on any thread.
    void SetSaveHeld(int pane, bool held);

    // Forgets the five paths; nothing is written.
    void ReleaseCategoryFiles();

    const CategoryFiles& Files() const { return files_; }

    // Writes `paneText`, the whole text of pane n, to its data file at `path`: the one way any
    // pane's text reaches a file. May be called on any thread (a worker writes the save of its
    // own set); it does not close the table's files. Writes only to the path the pane was last
    // loaded from, only when that load allowed it, and in that file's encoding; a 0x00 or 0x1A at
    // a character start is left out, as a load would end the text there.
    WriteResult WritePaneFile(int pane, const Text& path, const Text& paneText);

    // WritePaneFile, then the save notice; on any thread, as WritePaneFile.
    WriteResult WriteAndReport(int pane, const Text& path, const Text& paneText);

    // Carries out the read and write of a save, by default at once: the pane's text to
    // WritePaneFile. The window hands the save of a set made on a worker to that worker, which
    // waits for the save anyway and already holds the text's bytes, so that neither a copy nor
    // the write and flush of a large file hold up the UI thread.
    using PaneSaver = std::function<void(int pane, const Text& path)>;
    void SetPaneSaver(PaneSaver saver) { saver_ = std::move(saver); }

  private:
    // What the last load of a pane found out about its file.
    struct LoadedFile {
        Text path;
        FileEncoding encoding = FileEncoding::Gb18030;
        bool saveable = false;
    };

    PaneAccess& panes_;
    LoadNoticeHandler loadNotice_;
    CategoryFiles files_;
    PaneSaver saver_;
    // Written by loads on the UI thread, read by saves on any thread.
    std::mutex loadedMutex_;
    std::array<LoadedFile, kPaneCount> loaded_;
    SaveNotice saveNotice_;
    // A load is setting the panes; their saves only create missing files.
    std::atomic<bool> loading_{false};
    std::array<std::atomic<bool>, kPaneCount> saveHeld_{};
};

}  // namespace morvelin
