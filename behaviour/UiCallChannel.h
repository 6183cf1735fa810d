#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "behaviour/Ports.h"

namespace morvelin {

// Runs a worker's calls on the UI thread while the worker waits, and can be shut so that a UI
// thread which is about to join the worker never waits on it while the worker waits on the UI.
//
// A plain blocking queued connection would deadlock there: the UI thread would sit in join()
// while the worker sits in a call that only the UI thread can run. Here the worker waits on a
// condition that the shut-down also wakes, and a call that has not run by then never runs.
class UiCallChannel {
  public:
    // Made on the UI thread, whose loop runs the calls.
    explicit UiCallChannel(UiLoop& loop);
    ~UiCallChannel();
    UiCallChannel(const UiCallChannel&) = delete;
    UiCallChannel& operator=(const UiCallChannel&) = delete;

    // True on the thread that made the channel.
    bool OnUiThread() const { return std::this_thread::get_id() == uiThread_; }

    // Runs `task` on the UI thread and returns once it has run: true. Called on the UI thread it
    // runs at once. False, without running it, once the channel is shut (also when it is shut
    // while the call waits). The task may refer to the caller's locals: it never runs after Call
    // has returned. A task must not spin an event loop: a Shut from inside it could not end the
    // wait of a caller whose task has already begun.
    bool Call(const std::function<void()>& task);

    // Wakes every waiting caller and refuses every later call. UI thread only; idempotent.
    void Shut();

    // Opens a shut channel again, for the next run. UI thread only.
    void Reopen();

    bool IsShut() const;

  private:
    UiLoop& loop_;
    const std::thread::id uiThread_ = std::this_thread::get_id();
    mutable std::mutex mutex_;
    std::condition_variable ran_;
    // Counts shut-downs, so that a call queued before a Shut and a Reopen still never runs.
    unsigned generation_ = 0;
    bool shut_ = false;
};

}  // namespace morvelin
