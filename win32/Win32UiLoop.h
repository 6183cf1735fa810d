#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <mutex>

#include "behaviour/Ports.h"

namespace morvelin::win32 {

// The UI thread's message loop. Posted tasks and timers go through one hidden message-only window
// of the UI thread, so they run between the thread's other messages, also inside a modal box's
// own loop.
class Win32UiLoop : public UiLoop {
  public:
    // Made on the UI thread.
    Win32UiLoop();
    ~Win32UiLoop() override;
    Win32UiLoop(const Win32UiLoop&) = delete;
    Win32UiLoop& operator=(const Win32UiLoop&) = delete;

    void Post(std::function<void()> task) override;
    TimerId StartTimer(int milliseconds, std::function<void()> task) override;
    void StopTimer(TimerId timer) override;

    // Runs the loop until the quit message; returns its code. `preTranslate` sees each message
    // first and may take it (true).
    int Run(const std::function<bool(MSG&)>& preTranslate);
    // Handles what is waiting now, without blocking (tests).
    void RunPending(const std::function<bool(MSG&)>& preTranslate = {});

    // Where a handler that runs out of memory goes; the loop cannot let the exception through.
    void OnOutOfMemory(std::function<void()> handler) { outOfMemory_ = std::move(handler); }

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void RunOneTask();
    void RunTimer(TimerId timer);
    void Guarded(const std::function<void()>& task);

    HWND window_ = nullptr;
    std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
    bool wakePosted_ = false;
    std::map<TimerId, std::function<void()>> timers_;
    TimerId nextTimer_ = 0;
    std::function<void()> outOfMemory_;
};

}  // namespace morvelin::win32
