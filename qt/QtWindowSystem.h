#pragma once

#include <functional>
#include <vector>

#include "behaviour/Ports.h"

namespace morvelin {

class MainWindow;
class UiCallChannel;

// The main window as the program's controller drives it, on Qt. Pane reads and sets from a worker
// travel through the UI call channel; their GB18030 conversion runs on the calling thread, so that
// only the pane's own copy of the text occupies the UI thread. A worker's set also writes its save
// on the worker, from the set's own bytes (see SavePane).
class QtWindowSystem : public WindowView {
  public:
    QtWindowSystem(MainWindow& window, UiCallChannel& channel);

    Text GetPaneText(int pane) override;
    void SetPaneText(int pane, Text text) override;
    void CloseAllFiles() override;

    // The category store's save of a pane: its text written at once, except inside the report of
    // a worker's set of that pane, where the write of the set's bytes is left to the worker, which
    // does it before its set returns.
    void SavePane(int pane, const Text& path);

    // What writes a pane's text to its file (the category store's WritePaneFile); called on the
    // UI thread, or on the worker for the save of its own set.
    using FileWriter = std::function<void(int pane, const Text& path, const Text& text)>;
    void SetFileWriter(FileWriter writer) { fileWriter_ = std::move(writer); }

    bool SetLabelText(ControlId label, std::string_view utf8) override;
    bool AttachTip(ControlId control, std::string_view utf8) override;
    void SetPaneFileReadOnly(int pane, bool readOnly) override;
    void SetRunLocked(bool locked) override;
    void ShowProgress(int percent) override;
    void SetTitle(std::string_view utf8) override;
    void ReplacePaneTextAsEdit(int pane, const Text& text) override;
    void ShowPaneNote(int pane, std::string_view utf8) override;

  private:
    void WriteFile(int pane, const Text& path, const Text& text);

    MainWindow& window_;
    UiCallChannel& channel_;
    FileWriter fileWriter_;
    // The set being reported and the paths its worker is to write; UI thread only.
    struct ReportedSet {
        int pane = 0;
        std::vector<Text> paths;
    };
    ReportedSet* reportedSet_ = nullptr;
    // While a tool's edit of a pane is reported: the pane and the Text it now holds, which the
    // save of that report reads instead of converting the pane's text back. UI thread only.
    int editedPane_ = 0;
    const Text* editedText_ = nullptr;
};

}  // namespace morvelin
