#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/UiCallChannel.h"
#include "app/WorkerThread.h"
#include "core/KeywordGenerator.h"

namespace morvelin {

class CategoryStore;
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

    // `programFolder` becomes the current directory at start-up, so data files are found beside
    // the program wherever it was started from.
    AppFrame(Desktop& desktop, QString programFolder);
    // Stops and joins a running worker and destroys the window, without the end sequence.
    ~AppFrame() override;

    // Start-up: enters the program folder, makes its data folder when missing, builds the window
    // with no handler connected, raises the created event, places the window centred on the
    // primary screen and shows it. False after a fatal error (only where that returns: tests).
    bool Start();

    // The message loop, then the end sequence; the program's exit code.
    int Run();

    // The end sequence: no more events, the window destroyed, the end handler, every file closed.
    // Returns `code`. Runs once; later calls only return the code.
    int End(int code);

    // One run of the generator on the worker thread; ignored while a run is active.
    void StartGeneration();
    bool RunActive() const { return runActive_; }

    // Shows the error box, clears the end handler and ends the process with -1. Does not return
    // unless a test replaced the process exit. Called on a worker, it hands the error to the UI
    // thread and returns; the worker should then end.
    void FatalError(const QString& message, int code);

    // The text of the fatal error box.
    static QString FatalErrorText(const QString& message, int code);

    MainWindow* Window() const { return window_.get(); }
    CategoryStore* Store() const { return store_.get(); }
    WindowSystem* System() const;

    // Test seams: a smaller limit, and a process exit that records instead of ending.
    void SetGenerationLimit(const GenerationLimit& limit) { limit_ = limit; }
    void SetProcessExit(std::function<void(int)> exitProcess) {
        exitProcess_ = std::move(exitProcess);
    }

  Q_SIGNALS:
    // A run has ended and the window is unlocked; the value is a GenerationOutcome.
    void runFinished(int outcome);

  private:
    void EnsureDataFolder();
    void OnWindowClosing();
    void OnProgress(unsigned runId, std::uint64_t done, std::uint64_t planned);
    void UpdateProgress();
    void OnRunFinished(unsigned runId, GenerationResult result, bool outOfMemory);
    // Asks a running worker to stop, shuts the UI call channel and joins the worker.
    void CancelRun();
    void Unlock();
    static QString RefusalText(const GenerationPlan& plan, const GenerationLimit& limit);

    Desktop& desktop_;
    QString programFolder_;
    GenerationLimit limit_ = DefaultGenerationLimit();
    std::function<void(int)> exitProcess_;
    std::function<void()> endHandler_;

    // Declared before the window and the layer that use them, so they are destroyed after.
    UiCallChannel channel_;
    WorkerThread worker_;
    std::atomic<bool> stop_{false};

    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<QtWindowSystem> windowSystem_;
    std::unique_ptr<CategoryStore> store_;
    std::unique_ptr<WindowHandlers> handlers_;

    bool loopEntered_ = false;
    bool ending_ = false;
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
