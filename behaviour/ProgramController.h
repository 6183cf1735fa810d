#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "behaviour/PaneMenu.h"
#include "behaviour/Ports.h"
#include "behaviour/UiCallChannel.h"
#include "behaviour/WorkerThread.h"
#include "core/KeywordGenerator.h"
#include "store/CategoryStore.h"
#include "store/FileLayer.h"
#include "store/FolderLock.h"

namespace morvelin {

// The program's behaviour on every window system: start-up and the end, the handlers of the main
// window's events, one generation at a time on a worker, what the user is told of files that
// cannot be shown whole or saved, and fatal errors. A window system builds its window, hands the
// controller its ports, forwards the window's events to the On... handlers and runs its event
// loop; everything else is decided here.
//
// The life of a program, as a window system's main routine drives it:
//   ProgramController controller(desktop, loop);
//   if (!controller.EnterProgramFolder()) return -1;  // before anything touches a file
//   if (!controller.PrepareDataFolder()) return -1;   // another window uses the data folder
//   ... build the window, its events held ...
//   controller.AttachWindow(view);
//   controller.OnWindowCreated();                     // category a, the description, the tips
//   ... let the window's events through, show the window, run the loop; the window's close
//       calls OnWindowClosing() and ends the loop ...
//   return controller.End(0);
class ProgramController {
  public:
    ProgramController(DesktopPort& desktop, UiLoop& loop);
    // Stops and joins a running worker; nothing else of the end sequence.
    ~ProgramController();
    ProgramController(const ProgramController&) = delete;
    ProgramController& operator=(const ProgramController&) = delete;

    // Makes the program's own folder the current directory, so that data files are found beside
    // the program wherever it was started from. False, after the fatal error box, when that
    // failed.
    bool EnterProgramFolder();
    // Makes the data folder when it is missing (says so once when that fails), makes sure no
    // other window of the program uses it, removes what killed saves left there, and checks that
    // it takes saves (says so once when not). False when another window uses it: that was said,
    // and the program should end without touching a data file.
    bool PrepareDataFolder();

    // The built window; its events must not reach the handlers before OnWindowCreated.
    void AttachWindow(WindowView& view);

    // What the generation limit is; a larger run is refused with a box that says why.
    void SetGenerationLimit(const GenerationLimit& limit) { limit_ = limit; }
    static GenerationLimit DefaultGenerationLimit();

    // Memory a pane takes per line it holds, measured with the GUI benchmark (its peak per line,
    // the bytes kept for the save and read-back included), and per byte of a long line.
    static constexpr std::uint64_t kPaneBytesPerLine = 280;
    static constexpr std::uint64_t kPaneBytesPerTextByte = 4;
    // The memory both output panes need for the outputs of `plan`.
    static std::uint64_t RunMemory(const GenerationPlan& plan);
    // The memory this machine can give the program now, nullopt where it cannot be told.
    static std::optional<std::uint64_t> AvailableMemory();
    // Tests put a figure of their own here.
    void SetAvailableMemory(std::function<std::optional<std::uint64_t>()> available) {
        availableMemory_ = std::move(available);
    }

    // The window's events. Each does nothing once events are blocked (the program is ending).
    // The created event fills the window; a label or tip the window cannot take means it was not
    // built whole, and ends in the fatal error box ("载入启动窗口失败").
    void OnWindowCreated();
    // The close button, Alt+F4, Esc or the session's end: any run is cancelled and joined, then
    // the makers' page is opened; after this no event reaches a handler.
    void OnWindowClosing();
    void OnPaneTextChanged(int pane);
    // Panes 4 and 5: the whole text to the clipboard, then the confirmation box.
    void OnPaneDoubleClicked(int pane);
    void OnCategoryClicked(char letter);
    void OnGenerateClicked();
    // A tool of the pane's menu (PaneMenu.h) chosen on pane n: asks its question where it has
    // one, runs it on the pane's text, puts the result in as one edit that 撤销 takes back (saved
    // once, as every change), and notes what it did at the pane. Not on a pane that takes no
    // edits, nor during a run.
    void OnPaneTool(int pane, PaneCommand command);
    // The title length the length tool asks with: 60 until the user answers otherwise.
    std::size_t TitleLength() const { return titleLength_; }

    // Asks the active run to stop without waiting for it; it ends as Stopped, and the output
    // panes show what their files hold again.
    void StopRun() { stop_ = true; }

    bool EventsBlocked() const { return blocked_ > 0; }
    bool RunActive() const { return runActive_; }
    CategoryStore* Store() const { return store_.get(); }
    // What the window system hands a worker's pane calls to.
    UiCallChannel& Channel() { return channel_; }
    // The pane's text is not in its file: its last save failed. The title names such files.
    bool PaneUnsaved(int pane) const;

    // The window is about to go: any run is cancelled and joined, and no event reaches a handler
    // any more. The end sequence follows once the window is gone.
    void PrepareToEnd();

    // The end sequence: no more events, the end handler (the category paths go), every file
    // closed. Returns `code`; runs once.
    int End(int code);

    // The error box ("错误"), then the end of the process with -1, without the end handler. On a
    // worker it hands the error to the UI thread and returns; the worker should then end.
    void FatalError(std::string_view utf8Message, int code);
    static std::string FatalErrorText(std::string_view utf8Message, int code);
    // How the process ends after a fatal error; tests record instead.
    void SetProcessExit(std::function<void(int)> exitProcess) {
        exitProcess_ = std::move(exitProcess);
    }

    // The messages, for the boxes and the tests.
    static std::string RefusalText(const GenerationPlan& plan, const GenerationLimit& limit,
                                   std::optional<std::uint64_t> available);
    // With the size of the allocation that failed where it is known (not 0).
    static std::string OutOfMemoryText(std::uint64_t bytes);
    // Why a save failed, in the user's words.
    static std::string FailureText(WriteFailure failure);
    // The box after a selection that names the files whose panes are read-only, with the reasons.
    static std::string LoadNoticeText(const std::vector<CategoryStore::LoadNotice>& notices);

    // Told on the UI thread when a run has ended and the window is unlocked (tests wait on it).
    void OnRunFinished(std::function<void(GenerationOutcome)> listener) {
        runFinished_ = std::move(listener);
    }

  private:
    // Locks a pane whose file it may not save over; one box per selection says which and why.
    void OnLoadNotice(const CategoryStore::LoadNotice& notice);
    // On the UI thread: a save of a pane succeeded or failed.
    void OnSaveReported(int pane, const Text& path, WriteResult result);
    void UpdateTitle();
    void CheckDataFolderTakesSaves();
    void StartGeneration();
    // `outOfMemory` holds the size of the allocation that failed (0 when unknown).
    void RunEnded(unsigned runId, GenerationResult result,
                  std::optional<std::uint64_t> outOfMemory);
    // After a run that did not finish with the window still open: the output panes show their
    // files again; a pane whose text could not be saved keeps it.
    void ShowFilesAfterRun();
    void OnProgress(unsigned runId, std::uint64_t done, std::uint64_t planned);
    void CancelRun();
    void Unlock();

    DesktopPort& desktop_;
    UiLoop& loop_;
    WindowView* view_ = nullptr;
    GenerationLimit limit_ = DefaultGenerationLimit();
    std::function<void(int)> exitProcess_;
    std::function<void()> endHandler_;
    std::function<void(GenerationOutcome)> runFinished_;
    std::function<std::optional<std::uint64_t>()> availableMemory_ = AvailableMemory;
    FolderLock dataLock_;

    UiCallChannel channel_;
    WorkerThread worker_;
    std::atomic<bool> stop_{false};
    std::unique_ptr<CategoryStore> store_;

    // What the start-up told already: no data folder, or why the folder takes no saves.
    bool dataFolderFailed_ = false;
    std::optional<WriteFailure> folderProblem_;
    std::vector<CategoryStore::LoadNotice> loadNotices_;
    std::array<bool, kPaneCount> unsaved_{};
    std::array<bool, kPaneCount> paneReadOnly_{};
    std::size_t titleLength_ = kDefaultTitleLength;
    std::array<Text, kPaneCount> unsavedPaths_;

    int blocked_ = 1;  // held until the window is created
    bool closing_ = false;
    bool ending_ = false;
    bool runActive_ = false;
    unsigned runId_ = 0;
    int runPercent_ = -1;
    // The memory the active run was allowed; nullopt when it could not be told.
    std::optional<std::uint64_t> runMemory_;
    UiLoop::TimerId progressDelay_ = 0;
    bool progressShown_ = false;
};

}  // namespace morvelin
