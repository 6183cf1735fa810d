// The Windows program's window under load, run under Wine (not by the tests):
//   wine morvelin_wine_bench.exe [PATH/morvelin.exe]
// Prints `name: value` lines:
//   wine_e2e_1m_s         a generation of 1000 x 100 x 10 (100k two-part and 1M three-part lines),
//                         from the generate button's click to both output files saved
//   set_1m_s              a program set of the 1M-line text into an empty pane, with its save
//   wrapped_in_idle_s     from the click until the loop is idle again: pane 5 wraps its million
//                         lines in the background, between the window's other messages
//   core_1m_s             the keyword core alone on the same lists, for comparison
//   pane_mb_per_1m_set    the growth of the process's working set by that set: the program's sets
//                         keep no undo history
//   pane_mb_per_1m_edit   the same text replacing it as one user edit (the pane tools' way), which
//                         the undo history keeps
//   exe_bytes             the size of morvelin.exe, when its path is given
#include <windows.h>

#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "behaviour/ProgramController.h"
#include "core/KeywordGenerator.h"
#include "store/CategoryStore.h"
#include "tests/support/MemoryPanes.h"
#include "win32/MainWindow.h"
#include "win32/Win32Desktop.h"
#include "win32/Win32UiLoop.h"

namespace {

using namespace morvelin;
using Clock = std::chrono::steady_clock;

class QuietDesktop : public win32::Win32Desktop {
  public:
    void ShowMessageBox(std::string_view text, std::string_view, BoxIcon) override {
        std::printf("box: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    bool OpenWebPage(std::string_view) override { return true; }
};

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double WorkingSetMb() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
}

Text Lines(const char* word, int count) {
    Text text;
    for (int line = 0; line < count; ++line) {
        text += word + std::to_string(line) + "\r\n";
    }
    return text;
}

long long FileSize(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    return in ? static_cast<long long>(in.tellg()) : -1;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc > 1) {
        std::printf("exe_bytes: %lld\n", FileSize(argv[1]));
    }
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"morvelin-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    SetCurrentDirectoryW(folder.c_str());

    win32::Win32UiLoop loop;
    QuietDesktop desktop;
    ProgramController controller(desktop, loop);
    controller.PrepareDataFolder();
    win32::MainWindow window(GetModuleHandleW(nullptr), controller, desktop);
    if (!window.Create()) {
        std::puts("the window could not be made");
        return 1;
    }
    controller.AttachWindow(window);
    controller.OnWindowCreated();
    window.Show();
    const auto pump = [&] { loop.RunPending([&](MSG& msg) { return window.PreTranslate(msg); }); };
    pump();

    // The keyword core alone, on the same lists held in memory: what the window adds is the rest.
    {
        MemoryPanes panes({Lines("\xB3\xC4\xC9\xC0", 1000), Lines("\xBA\xEC\xC9\xAB", 100),
                           Lines("\xC5\xAE\xD7\xB0", 10), "", ""});
        const auto core = Clock::now();
        KeywordGenerator::Generate(panes);
        std::printf("core_1m_s: %.3f\n", Seconds(core));
    }

    // 衬衫 x 1000, 红色 x 100, 女装 x 10, in GB18030.
    window.SetPaneText(1, Lines("\xB3\xC4\xC9\xC0", 1000));
    window.SetPaneText(2, Lines("\xBA\xEC\xC9\xAB", 100));
    window.SetPaneText(3, Lines("\xC5\xAE\xD7\xB0", 10));
    bool finished = false;
    double runSeconds = 0;
    const auto start = Clock::now();
    controller.OnRunFinished([&](GenerationOutcome) {
        finished = true;
        runSeconds = Seconds(start);
    });
    SendMessageW(window.Control(ControlId::GenerateButton), BM_CLICK, 0, 0);
    while (!finished) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        pump();
    }
    std::printf("wine_e2e_1m_s: %.3f\n", runSeconds);
    // Pane 5 wraps its lines in the background, between other messages, after the run.
    std::printf("wrapped_in_idle_s: %.3f\n", Seconds(start));
    std::printf("a-4_bytes: %lld\na-5_bytes: %lld\n", FileSize("data/a-4.txt"),
                FileSize("data/a-5.txt"));

    // The same 1M lines into pane 3: into the empty pane, then over themselves as the program sets
    // a text, then over themselves as one user edit.
    const Text big = window.GetPaneText(5);
    window.SetPaneText(3, "");
    const auto set = Clock::now();
    window.SetPaneText(3, big);
    std::printf("set_1m_s: %.3f\n", Seconds(set));
    double before = WorkingSetMb();
    window.SetPaneText(3, big);
    std::printf("replace_1m_set_mb: %.0f\n", WorkingSetMb() - before);
    before = WorkingSetMb();
    window.Pane(3).ReplaceAllAsEdit(window.Pane(5).Text());
    std::printf("replace_1m_edit_mb: %.0f\n", WorkingSetMb() - before);

    controller.OnWindowClosing();
    controller.End(0);
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\data\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileW((folder + L"\\data\\" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    SetCurrentDirectoryW(temp);
    RemoveDirectoryW((folder + L"\\data").c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
