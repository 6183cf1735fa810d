#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/QtUiLoop.h"
#include "behaviour/UiCallChannel.h"
#include "behaviour/WorkerThread.h"
#include "core/KeywordGenerator.h"
#include "store/CategoryStore.h"
#include "store/FileLayer.h"
#include "store/FolderLock.h"

namespace morvelin {

class Desktop;
class MainWindow;
class QtWindowSystem;
class WindowSystem;
class WindowHandlers;

// Owns the program's life on the UI thread: start-up in the program's folder, the main window and
// its handlers, the one generation worker, the end sequence and fatal errors.
class AppFrame : public QObject {
    Q_OBJECT
  public:
    // What the panes can hold on a machine with 8 GB of memory; a larger run is refused.
    static GenerationLimit DefaultGenerationLimit();

    // Memory a pane takes per line it holds, measured with the GUI benchmark (its peak per line),
    // the bytes kept for the save and read-back included; and per byte of a long line.
    static constexpr std::uint64_t kPaneBytesPerLine = 280;
    static constexpr std::uint64_t kPaneBytesPerTextByte = 4;

    // The memory both output panes need for the outputs of `plan`.
    static std::uint64_t RunMemory(const GenerationPlan& plan);

    // The memory this machine can give the program now, nullopt where it cannot be told.
    static std::optional<std::uint64_t> AvailableMemory();

    // `programFolder` becomes the current directory at start-up, so data files are found beside
    // the program wherever it was started from; empty: the running program's own folder, from the
    // raw bytes of its path.
    explicit AppFrame(Desktop& desktop, QString programFolder = {});
    // Stops and joins a running worker and destroys the window, without the end sequence.
    ~AppFrame() override;

    // Start-up: enters the program folder, makes its data folder when missing, makes sure no other
    // window of the program uses it and that it takes saves, builds the window with no handler
    // connected, raises the created event, places the window centred on the primary screen and
    // shows it. False after a fatal error (only where that returns: tests), and when another
    // window uses the data folder: then it says so and touches no data file.
    bool Start();

    // The message loop, then the end sequence; the program's exit code.
    int Run();

    // The end sequence: no more events, the window destroyed, the end handler, every file closed.
    // Returns `code`. Runs once; later calls only return the code.
    int End(int code);

    // One run of the generator on the worker thread; ignored while a run is active.
    void StartGeneration();
    bool RunActive() const { return runActive_; }
    // Asks the active run to stop without waiting for it; it ends as Stopped, and the output
    // panes show what their files hold again.
    void StopRun() { stop_ = true; }

    // Shows the error box, clears the end handler and ends the process with -1. Does not return
    // unless a test replaced the process exit. Called on a worker, it hands the error to the UI
    // thread and returns; the worker should then end.
    void FatalError(const QString& message, int code);

    // The text of the fatal error box.
    static QString FatalErrorText(const QString& message, int code);
    // The out-of-memory message, with the size of the allocation that failed where it is known
    // (not 0).
    static QString OutOfMemoryText(std::uint64_t bytes);
    // Why a save failed, in the user's words.
    static QString FailureText(WriteFailure failure);

    // The panes whose text is not in their files, 1 to 5; the title names their files.
    bool PaneUnsaved(int pane) const { return unsaved_[static_cast<std::size_t>(pane - 1)]; }

    // The text of the box after a category selection that names the files whose panes are
    // read-only, each with its reason.
    static QString LoadNoticeText(const std::vector<CategoryStore::LoadNotice>& notices);

    MainWindow* Window() const { return window_.get(); }
    CategoryStore* Store() const { return store_.get(); }
    WindowSystem* System() const;

    // Test seams: a smaller limit, and a process exit that records instead of ending.
    void SetGenerationLimit(const GenerationLimit& limit) { limit_ = limit; }
    void SetAvailableMemory(std::function<std::optional<std::uint64_t>()> available) {
        availableMemory_ = std::move(available);
    }
    void SetProcessExit(std::function<void(int)> exitProcess) {
        exitProcess_ = std::move(exitProcess);
    }

  Q_SIGNALS:
    // A run has ended and the window is unlocked; the value is a GenerationOutcome.
    void runFinished(int outcome);

  private:
    // Locks a pane whose file it may not save over; one box per selection says which and why.
    void OnLoadNotice(const CategoryStore::LoadNotice& notice);
    bool BuildAndShow();
    // False when the folder is missing and could not be made (said so already).
    bool EnsureDataFolder();
    // False when another window of the program uses the data folder (said so already).
    bool LockDataFolder();
    void CheckDataFolderTakesSaves();
    // On the UI thread: a save of a pane succeeded or failed.
    void OnSaveReported(int pane, const Text& path, WriteResult result);
    void UpdateTitle();
    // After a run that did not finish with the window still open: the output panes show their
    // files again; a pane whose text could not be saved keeps it.
    void ShowFilesAfterRun();
    void OnWindowClosing();
    void OnProgress(unsigned runId, std::uint64_t done, std::uint64_t planned);
    void UpdateProgress();
    // `outOfMemory` holds the size of the allocation that failed (0 when unknown).
    void OnRunFinished(unsigned runId, GenerationResult result,
                       std::optional<std::uint64_t> outOfMemory);
    // Asks a running worker to stop, shuts the UI call channel and joins the worker.
    void CancelRun();
    void Unlock();
    static QString RefusalText(const GenerationPlan& plan, const GenerationLimit& limit,
                               std::optional<std::uint64_t> available);

    Desktop& desktop_;
    QString programFolder_;
    GenerationLimit limit_ = DefaultGenerationLimit();
    std::function<void(int)> exitProcess_;
    std::function<void()> endHandler_;
    std::function<std::optional<std::uint64_t>()> availableMemory_ = AvailableMemory;
    FolderLock dataLock_;
    // The memory the active run was allowed; nullopt when it could not be told.
    std::optional<std::uint64_t> runMemory_;

    // Declared before the window and the layer that use them, so they are destroyed after.
    QtUiLoop loop_;
    UiCallChannel channel_{loop_};
    WorkerThread worker_;
    std::atomic<bool> stop_{false};

    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<QtWindowSystem> windowSystem_;
    std::unique_ptr<CategoryStore> store_;
    std::unique_ptr<WindowHandlers> handlers_;

    bool dataFolderFailed_ = false;
    std::vector<CategoryStore::LoadNotice> loadNotices_;
    bool loopEntered_ = false;
    bool ending_ = false;
    bool closing_ = false;
    QString baseTitle_;
    // Why the data folder takes no saves, where the start-up said so.
    std::optional<WriteFailure> folderProblem_;
    std::array<bool, kPaneCount> unsaved_{};
    std::array<Text, kPaneCount> unsavedPaths_;
    bool runActive_ = false;
    unsigned runId_ = 0;
    // The latest progress of the active run, -1 before any; shown once the run has lasted long
    // enough for progress to be worth showing.
    int runPercent_ = -1;
    // The run's lines so far: made by the generator, and planned.
    std::uint64_t combined_ = 0;
    std::uint64_t planned_ = 0;
    QTimer progressDelay_;
};

}  // namespace morvelin
