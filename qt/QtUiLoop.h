#pragma once

#include <QObject>
#include <QTimer>
#include <map>

#include "behaviour/Ports.h"

namespace morvelin {

// The UI thread's loop on Qt: posted tasks are queued calls to an object of the UI thread, timers
// are QTimers. Made on the UI thread.
class QtUiLoop : public QObject, public UiLoop {
    Q_OBJECT
  public:
    QtUiLoop();
    ~QtUiLoop() override;

    void Post(std::function<void()> task) override;
    TimerId StartTimer(int milliseconds, std::function<void()> task) override;
    void StopTimer(TimerId timer) override;

  private:
    std::map<TimerId, QTimer*> timers_;
    TimerId nextTimer_ = 0;
};

}  // namespace morvelin
