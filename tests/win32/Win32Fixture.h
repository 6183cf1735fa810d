#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "behaviour/ProgramController.h"
#include "store/CategoryStore.h"
#include "win32/MainWindow.h"
#include "win32/Win32Desktop.h"
#include "win32/Win32UiLoop.h"

namespace morvelin::win32::testing {

// The desktop without real boxes or a browser: what the program asked of it is recorded. The
// clipboard is the real one (under Wine it opens no window).
class RecordingDesktop : public Win32Desktop {
  public:
    struct Box {
        std::string text, caption;
        BoxIcon icon;
    };
    void ShowMessageBox(std::string_view text, std::string_view caption, BoxIcon icon) override {
        boxes.push_back({std::string(text), std::string(caption), icon});
    }
    bool SetClipboardText(const Text& text) override {
        clipboard.push_back(text);
        return Win32Desktop::SetClipboardText(text);
    }
    bool OpenWebPage(std::string_view url) override {
        opened.emplace_back(url);
        return openSucceeds;
    }
    std::optional<std::string> AskText(std::string_view title, std::string_view,
                                       std::string_view initial, bool multiline) override {
        asked.push_back(std::string(title) + "|" + std::string(initial));
        return answerer ? answerer(multiline) : std::nullopt;
    }

    // The user's answer to a question: nothing for a cancel.
    std::function<std::optional<std::string>(bool multiline)> answerer;
    std::vector<std::string> asked;
    std::vector<Box> boxes;
    std::vector<Text> clipboard;
    std::vector<std::string> opened;
    bool openSucceeds = true;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The real main window and controller, started as the program starts them, in a fresh program
// folder of its own (the current directory) with a data folder; the window stays hidden. Each
// save of a pane is counted, so a test sees every text-changed event that reached the program.
class ProgramFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"morvelin-win32-" + std::to_wstring(GetCurrentProcessId()) +
                  L"-" + std::to_wstring(++counter_);
        CreateDirectoryW(folder_.c_str(), nullptr);
        SetCurrentDirectoryW(folder_.c_str());
        CreateDirectoryW(L"data", nullptr);
        if (seed_) {
            seed_();
        }
        loop_ = std::make_unique<Win32UiLoop>();
        controller_ = std::make_unique<ProgramController>(desktop_, *loop_);
        controller_->SetProcessExit([this](int code) { exitCode_ = code; });
        controller_->PrepareDataFolder();
        window_ = std::make_unique<MainWindow>(GetModuleHandleW(nullptr), *controller_, desktop_);
        ASSERT_TRUE(window_->Create());
        controller_->AttachWindow(*window_);
        controller_->Store()->SetPaneSaver([this](int pane, const Text& path) {
            ++saves_[static_cast<std::size_t>(pane - 1)];
            controller_->Store()->WritePaneFile(pane, path, window_->GetPaneText(pane));
        });
        controller_->OnWindowCreated();
        saves_ = {};
    }

    void TearDown() override {
        controller_->End(0);
        window_.reset();
        controller_.reset();
        loop_->RunPending();
        loop_.reset();
        // The closed window's quit message must not end the next test's wait.
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        SetCurrentDirectoryW(temp);
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((folder_ + L"\\data\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((folder_ + L"\\data\\" + found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW((folder_ + L"\\data").c_str());
        RemoveDirectoryW(folder_.c_str());
    }

    // Runs the window's messages as the program's loop does, until `done` holds.
    void PumpUntil(const std::function<bool()>& done) {
        while (!done()) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            Pump();
        }
    }
    void Pump() {
        loop_->RunPending([this](MSG& msg) { return window_->PreTranslate(msg); });
    }

    int Saves(int pane) const { return saves_[static_cast<std::size_t>(pane - 1)]; }
    void ResetSaves() { saves_ = {}; }

    // Files written before the program starts.
    std::function<void()> seed_;
    RecordingDesktop desktop_;
    std::unique_ptr<Win32UiLoop> loop_;
    std::unique_ptr<ProgramController> controller_;
    std::unique_ptr<MainWindow> window_;
    std::array<int, 5> saves_{};
    int exitCode_ = 0;
    std::wstring folder_;
    static inline int counter_ = 0;
};

}  // namespace morvelin::win32::testing
