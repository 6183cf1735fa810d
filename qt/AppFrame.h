#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "behaviour/ProgramController.h"
#include "qt/QtDesktopPort.h"
#include "qt/QtUiLoop.h"

namespace morvelin {

class CategoryStore;
class Desktop;
class MainWindow;
class QtWindowSystem;

// The program on Qt: builds the main window and its window system under the program's
// controller, hands the window's events to the controller and runs the event loop. What the
// program does is the controller's; this class only connects it to Qt.
class AppFrame : public QObject {
    Q_OBJECT
  public:
    // `programFolder` becomes the current directory at start-up, so data files are found beside
    // the program wherever it was started from; empty: the running program's own folder, from the
    // raw bytes of its path.
    explicit AppFrame(Desktop& desktop, QString programFolder = {});
    // Stops and joins a running worker and destroys the window, without the end sequence.
    ~AppFrame() override;

    // Start-up: enters the program folder, prepares its data folder, builds the window with no
    // event connected, lets the controller fill it (the created event), places the window centred
    // on the primary screen and shows it. False after a fatal error (only where that returns:
    // tests), and when another window uses the data folder: then that was said and no data file
    // was touched.
    bool Start();

    // The message loop, then the end sequence; the program's exit code.
    int Run();

    // The end sequence: no more events, the window destroyed, the end handler, every file closed.
    // Returns `code`. Runs once; later calls only return the code.
    int End(int code);

    // The error box, then the end of the process with -1 (see ProgramController::FatalError).
    void FatalError(const QString& message, int code);
    static QString FatalErrorText(const QString& message, int code);

    MainWindow* Window() const { return window_.get(); }
    WindowView* System() const;
    CategoryStore* Store() const { return controller_.Store(); }
    ProgramController& Controller() { return controller_; }
    bool RunActive() const { return controller_.RunActive(); }
    void StopRun() { controller_.StopRun(); }
    bool PaneUnsaved(int pane) const { return controller_.PaneUnsaved(pane); }

    // Test seams: a smaller limit, the memory free, and a process exit that records.
    void SetGenerationLimit(const GenerationLimit& limit) { controller_.SetGenerationLimit(limit); }
    void SetAvailableMemory(std::function<std::optional<std::uint64_t>()> available) {
        controller_.SetAvailableMemory(std::move(available));
    }
    void SetProcessExit(std::function<void(int)> exitProcess) {
        controller_.SetProcessExit(std::move(exitProcess));
    }

  Q_SIGNALS:
    // A run has ended and the window is unlocked; the value is a GenerationOutcome.
    void runFinished(int outcome);

  private:
    bool BuildAndShow();
    void Connect();
    void OnWindowClosing();

    QString programFolder_;
    // Declared before the controller and the window that use them, so they are destroyed after.
    QtUiLoop loop_;
    QtDesktopPort desktopPort_;
    ProgramController controller_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<QtWindowSystem> windowSystem_;
    Desktop& desktop_;
    bool loopEntered_ = false;
    bool ending_ = false;
};

}  // namespace morvelin
