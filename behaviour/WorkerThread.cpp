#include "behaviour/WorkerThread.h"

#include <system_error>

namespace morvelin {

WorkerThread::~WorkerThread() {
    Join();
}

bool WorkerThread::Start(std::function<void()> routine) {
    if (thread_.joinable()) {
        return false;
    }
    try {
        thread_ = std::thread(std::move(routine));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void WorkerThread::Join() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) {
        thread_.join();
    }
}

}  // namespace morvelin
