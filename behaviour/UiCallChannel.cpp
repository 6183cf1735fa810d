#include "behaviour/UiCallChannel.h"

#include <memory>

namespace morvelin {

UiCallChannel::UiCallChannel(UiLoop& loop) : loop_(loop) {}

UiCallChannel::~UiCallChannel() {
    Shut();
}

bool UiCallChannel::Call(const std::function<void()>& task) {
    if (OnUiThread()) {
        if (IsShut()) {
            return false;
        }
        task();
        return true;
    }

    struct Pending {
        bool started = false;
        bool done = false;
    };
    auto pending = std::make_shared<Pending>();
    std::unique_lock lock(mutex_);
    if (shut_) {
        return false;
    }
    const unsigned generation = generation_;
    // The queued functor holds the task by pointer: it runs only while this call still waits
    // (checked under the mutex on the UI thread), so the pointer is valid whenever it is used.
    const std::function<void()>* taskPointer = &task;
    loop_.Post([this, pending, generation, taskPointer] {
        {
            std::lock_guard guard(mutex_);
            if (shut_ || generation != generation_) {
                return;
            }
            pending->started = true;
        }
        // Once started, the caller waits for the end even through a Shut, since the task
        // uses the caller's locals.
        (*taskPointer)();
        std::lock_guard guard(mutex_);
        pending->done = true;
        ran_.notify_all();
    });
    ran_.wait(lock, [&] {
        return pending->done || (!pending->started && (shut_ || generation != generation_));
    });
    return pending->done;
}

void UiCallChannel::Shut() {
    std::lock_guard guard(mutex_);
    if (!shut_) {
        shut_ = true;
        ++generation_;
    }
    ran_.notify_all();
}

void UiCallChannel::Reopen() {
    std::lock_guard guard(mutex_);
    shut_ = false;
}

bool UiCallChannel::IsShut() const {
    std::lock_guard guard(mutex_);
    return shut_;
}

}  // namespace morvelin
