#pragma once

#include <functional>
#include <thread>

namespace morvelin {

// The one generation worker. Owned by the application frame: whoever ends the program asks the
// routine to stop (through its own flag) and then joins here, so no worker outlives the window.
class WorkerThread {
  public:
    WorkerThread() = default;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    // Joins a worker that is still running; its routine must have been asked to stop first.
    ~WorkerThread();

    // Starts `routine` on a new thread. False when a started routine has not been joined yet or
    // the system refused a thread.
    bool Start(std::function<void()> routine);

    // Waits for the routine to return; does nothing when none was started.
    void Join();

    bool Joinable() const { return thread_.joinable(); }

  private:
    std::thread thread_;
};

}  // namespace morvelin
