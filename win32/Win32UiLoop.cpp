#include "win32/Win32UiLoop.h"

#include <new>

namespace morvelin::win32 {

namespace {

constexpr UINT kRunTask = WM_APP + 1;
constexpr wchar_t kClassName[] = L"MorvelinUiLoop";

}  // namespace

Win32UiLoop::Win32UiLoop() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                              nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32UiLoop::~Win32UiLoop() {
    for (const auto& [id, task] : timers_) {
        KillTimer(window_, static_cast<UINT_PTR>(id));
    }
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

void Win32UiLoop::Post(std::function<void()> task) {
    std::unique_lock lock(mutex_);
    tasks_.push_back(std::move(task));
    if (!wakePosted_) {
        wakePosted_ = true;
        lock.unlock();
        PostMessageW(window_, kRunTask, 0, 0);
    }
}

UiLoop::TimerId Win32UiLoop::StartTimer(int milliseconds, std::function<void()> task) {
    const TimerId id = ++nextTimer_;
    timers_[id] = std::move(task);
    SetTimer(window_, static_cast<UINT_PTR>(id), static_cast<UINT>(milliseconds), nullptr);
    return id;
}

void Win32UiLoop::StopTimer(TimerId timer) {
    if (timers_.erase(timer) > 0) {
        KillTimer(window_, static_cast<UINT_PTR>(timer));
    }
}

int Win32UiLoop::Run(const std::function<bool(MSG&)>& preTranslate) {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (preTranslate && preTranslate(msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void Win32UiLoop::RunPending(const std::function<bool(MSG&)>& preTranslate) {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (preTranslate && preTranslate(msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Win32UiLoop::Guarded(const std::function<void()>& task) {
    try {
        task();
    } catch (const std::bad_alloc&) {
        if (outOfMemory_) {
            outOfMemory_();
        }
    }
}

void Win32UiLoop::RunOneTask() {
    std::function<void()> task;
    {
        std::unique_lock lock(mutex_);
        wakePosted_ = false;
        if (tasks_.empty()) {
            return;
        }
        task = std::move(tasks_.front());
        tasks_.pop_front();
        // One task per message: a task that opens a modal box still lets the next ones run in the
        // box's loop.
        if (!tasks_.empty()) {
            wakePosted_ = true;
            PostMessageW(window_, kRunTask, 0, 0);
        }
    }
    Guarded(task);
}

void Win32UiLoop::RunTimer(TimerId timer) {
    KillTimer(window_, static_cast<UINT_PTR>(timer));
    const auto found = timers_.find(timer);
    if (found == timers_.end()) {
        return;
    }
    const std::function<void()> task = std::move(found->second);
    timers_.erase(found);
    Guarded(task);
}

LRESULT CALLBACK Win32UiLoop::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* loop = reinterpret_cast<Win32UiLoop*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (loop != nullptr) {
        if (message == kRunTask) {
            loop->RunOneTask();
            return 0;
        }
        if (message == WM_TIMER) {
            loop->RunTimer(static_cast<TimerId>(wParam));
            return 0;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace morvelin::win32
