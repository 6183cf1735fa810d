#pragma once

#include <functional>
#include <memory>

namespace morvelin {

// A one-shot timer of the balloon tips. The program uses QTimer; tests put timers in its place
// that fire only when told, so that no test waits on the clock.
class BalloonTimer {
  public:
    virtual ~BalloonTimer() = default;
    // (Re)starts the countdown; when it runs out, the timer's callback runs once.
    virtual void Start(int milliseconds) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
};

enum class BalloonTimerRole {
    Rest,      // the pointer has rested long enough: show the tip
    AutoHide,  // the tip has been left alone long enough: hide it
};

using BalloonTimerFactory = std::function<std::unique_ptr<BalloonTimer>(
    BalloonTimerRole role, std::function<void()> onTimeout)>;

// Timers driven by the Qt event loop.
BalloonTimerFactory QtBalloonTimers();

}  // namespace morvelin
