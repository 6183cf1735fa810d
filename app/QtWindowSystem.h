#pragma once

#include <QtGlobal>
#include <functional>
#include <vector>

#include "app/WindowSystem.h"

namespace morvelin {

class MainWindow;
class UiCallChannel;
class WorkerThread;

// The window-system operations on the real main window. Pane reads and sets from a worker travel
// through the UI call channel; their GB18030 conversion runs on the calling thread, so that only
// the widget call itself occupies the UI thread.
//
// A worker's set fills the pane in steps while the worker waits and the UI thread goes on serving
// the window. Meanwhile the worker works out the exact bytes that a read of the new content gives;
// the pane keeps them, so the set's save and the read-back need not read the document again. The
// save's write itself is handed back to the waiting worker (see WriteFile).
class QtWindowSystem : public WindowSystem {
  public:
    QtWindowSystem(MainWindow& window, Desktop& desktop, UiCallChannel& channel,
                   WorkerThread& worker);

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

    // Told on the UI thread of every step of a worker's set, with the lines it put in.
    void SetFillProgress(std::function<void(qsizetype lines)> progress) {
        fillProgress_ = std::move(progress);
    }

    void SetLabelText(const QString& label, const QString& text) override;
    void ShowMessageBox(const QString& text, const QString& caption,
                        Desktop::Icon icon = Desktop::Icon::None) override;
    bool SetClipboardText(const Text& text) override;
    bool StartThread(std::function<void()> routine) override;
    void OpenWebPage(const QString& url) override;
    bool AttachTip(const QString& control, const QString& text) override;

  private:
    void WriteFile(int pane, const Text& path, const Text& text);

    MainWindow& window_;
    Desktop& desktop_;
    UiCallChannel& channel_;
    WorkerThread& worker_;
    std::function<void(qsizetype)> fillProgress_;
    FileWriter fileWriter_;
    // The set being reported and the paths its worker is to write; UI thread only.
    struct ReportedSet {
        int pane = 0;
        std::vector<Text> paths;
    };
    ReportedSet* reportedSet_ = nullptr;
};

}  // namespace morvelin
