#include "qt/BalloonTimer.h"

#include <QTimer>

namespace morvelin {
namespace {

class QtBalloonTimer final : public BalloonTimer {
  public:
    explicit QtBalloonTimer(std::function<void()> onTimeout) {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, std::move(onTimeout));
    }
    void Start(int milliseconds) override { timer_.start(milliseconds); }
    void Stop() override { timer_.stop(); }
    bool IsActive() const override { return timer_.isActive(); }

  private:
    QTimer timer_;
};

}  // namespace

BalloonTimerFactory QtBalloonTimers() {
    return [](BalloonTimerRole /*role*/, std::function<void()> onTimeout) {
        return std::unique_ptr<BalloonTimer>(new QtBalloonTimer(std::move(onTimeout)));
    };
}

}  // namespace morvelin
