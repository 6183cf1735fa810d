#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

#include "behaviour/Ports.h"

namespace morvelin::testing {

// The UI thread's loop without a window system: posted tasks wait in a queue until the test runs
// them on its own thread, which thereby plays the UI thread; timers fire when the test says.
class FakeUiLoop : public UiLoop {
  public:
    void Post(std::function<void()> task) override {
        {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
        }
        posted_.notify_all();
    }

    TimerId StartTimer(int /*milliseconds*/, std::function<void()> task) override {
        const TimerId id = ++nextTimer_;
        timers_[id] = std::move(task);
        return id;
    }

    void StopTimer(TimerId timer) override { timers_.erase(timer); }

    // Runs the tasks posted so far; false when there were none.
    bool RunPending() {
        std::deque<std::function<void()>> tasks;
        {
            std::lock_guard lock(mutex_);
            tasks.swap(tasks_);
        }
        for (auto& task : tasks) {
            task();
        }
        return !tasks.empty();
    }

    // Runs posted tasks as they come until `done` holds.
    template <typename Done>
    void RunUntil(Done&& done) {
        while (!done()) {
            std::unique_lock lock(mutex_);
            posted_.wait_for(lock, std::chrono::milliseconds(10), [&] { return !tasks_.empty(); });
            lock.unlock();
            RunPending();
        }
    }

    // Fires every running timer, as if its time had come.
    void FireTimers() {
        auto timers = std::move(timers_);
        timers_.clear();
        for (auto& [id, task] : timers) {
            task();
        }
    }

    bool TimerRunning() const { return !timers_.empty(); }

  private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> tasks_;
    std::map<TimerId, std::function<void()>> timers_;
    TimerId nextTimer_ = 0;
};

}  // namespace morvelin::testing
