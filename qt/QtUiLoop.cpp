#include "qt/QtUiLoop.h"

namespace morvelin {

QtUiLoop::QtUiLoop() = default;

QtUiLoop::~QtUiLoop() {
    for (auto& [id, timer] : timers_) {
        delete timer;
    }
}

void QtUiLoop::Post(std::function<void()> task) {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

UiLoop::TimerId QtUiLoop::StartTimer(int milliseconds, std::function<void()> task) {
    const TimerId id = ++nextTimer_;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setInterval(milliseconds);
    connect(timer, &QTimer::timeout, this, [this, id, task = std::move(task)] {
        StopTimer(id);
        task();
    });
    timers_[id] = timer;
    timer->start();
    return id;
}

void QtUiLoop::StopTimer(TimerId timer) {
    const auto found = timers_.find(timer);
    if (found == timers_.end()) {
        return;
    }
    found->second->stop();
    found->second->deleteLater();
    timers_.erase(found);
}

}  // namespace morvelin
