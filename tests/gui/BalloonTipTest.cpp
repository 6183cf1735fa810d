#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <map>

#include "qt/BalloonTip.h"
#include "qt/BalloonWindow.h"
#include "qt/Fonts.h"

namespace morvelin {
namespace {

// Fires only when the test says so.
class FakeTimer : public BalloonTimer {
  public:
    explicit FakeTimer(std::function<void()> onTimeout) : onTimeout_(std::move(onTimeout)) {}
    void Start(int milliseconds) override {
        interval = milliseconds;
        active = true;
    }
    void Stop() override { active = false; }
    bool IsActive() const override { return active; }
    void Fire() {
        ASSERT_TRUE(active) << "a stopped timer cannot run out";
        active = false;
        onTimeout_();
    }

    int interval = -1;
    bool active = false;

  private:
    std::function<void()> onTimeout_;
};

const QString kTipText = QStringLiteral("在这里您可以录入种子关键词类型一\r\n\r\n比如产品名称！");

class BalloonTipTest : public ::testing::Test {
  protected:
    BalloonTipTest() {
        window.setGeometry(100, 100, 300, 200);
        control->setGeometry(20, 20, 100, 50);
        plain->setGeometry(150, 20, 100, 50);
        window.show();
        tips.Attach(control, kTipText);
    }

    static void Move(QWidget* widget, QPoint pos) {
        QMouseEvent event(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
    }

    void ShowTipAt(QPoint pos) {
        Move(control, pos);
        rest().Fire();
        ASSERT_TRUE(tips.isTipVisible());
    }

    FakeTimer& rest() { return *timers.at(BalloonTimerRole::Rest); }
    FakeTimer& autoHide() { return *timers.at(BalloonTimerRole::AutoHide); }

    std::map<BalloonTimerRole, FakeTimer*> timers;
    BalloonTipComponent tips{[this](BalloonTimerRole role, std::function<void()> onTimeout) {
        auto timer = std::make_unique<FakeTimer>(std::move(onTimeout));
        timers[role] = timer.get();
        return timer;
    }};
    QWidget window;
    QWidget* control = new QWidget(&window);
    QWidget* plain = new QWidget(&window);  // no tip of its own
};

TEST_F(BalloonTipTest, RestOnTheControlShowsItsTipAtThePointer) {
    EXPECT_EQ(tips.objectName(), QStringLiteral("气球提示框"));
    Move(control, QPoint(10, 10));
    EXPECT_FALSE(tips.isTipVisible());
    ASSERT_TRUE(rest().active);
    EXPECT_EQ(rest().interval, 600);

    rest().Fire();
    ASSERT_TRUE(tips.isTipVisible());
    EXPECT_EQ(tips.tipText(), QStringLiteral("在这里您可以录入种子关键词类型一\n\n比如产品名称！"));
    EXPECT_EQ(tips.tipShape().tailPoint(), control->mapToGlobal(QPoint(10, 10)));
    EXPECT_EQ(tips.tipWindow()->geometry(), tips.tipGeometry());
    EXPECT_TRUE(autoHide().active);
    EXPECT_EQ(autoHide().interval, 3000);

    // The same move reaching the filter again (propagated to a parent, or repeated by the window
    // system) is no movement.
    Move(control, QPoint(10, 10));
    Move(&window, control->mapTo(&window, QPoint(10, 10)));
    EXPECT_TRUE(tips.isTipVisible());
}

struct HideCase {
    const char* name;
    std::function<void(QWidget* control, QWidget* plain)> act;
    bool restsAgain;  // the tip comes back after another rest without a further move
};

TEST_F(BalloonTipTest, AnyMovePressKeyOrWheelHidesTheTip) {
    const auto send = [](QWidget* widget, QEvent&& event) {
        QCoreApplication::sendEvent(widget, &event);
    };
    const QPoint at(10, 10);
    const HideCase cases[] = {
        {"small move within the control",
         [](QWidget* c, QWidget*) {
             Move(c, {11, 10});
         },
         true},
        {"move onto a control without tip",
         [](QWidget*, QWidget* p) {
             Move(p, {5, 5});
         },
         false},
        {"left press",
         [&](QWidget* c, QWidget*) {
             send(c, QMouseEvent(QEvent::MouseButtonPress, at, c->mapToGlobal(at), Qt::LeftButton,
                                 Qt::LeftButton, Qt::NoModifier));
         },
         false},
        {"right press",
         [&](QWidget* c, QWidget*) {
             send(c, QMouseEvent(QEvent::MouseButtonPress, at, c->mapToGlobal(at), Qt::RightButton,
                                 Qt::RightButton, Qt::NoModifier));
         },
         false},
        {"key press",
         [&](QWidget* c, QWidget*) {
             send(c, QKeyEvent(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier));
         },
         false},
        {"wheel",
         [&](QWidget* c, QWidget*) {
             send(c, QWheelEvent(at, c->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                                 Qt::NoModifier, Qt::NoScrollPhase, false));
         },
         false},
    };
    for (const HideCase& c : cases) {
        SCOPED_TRACE(c.name);
        Move(control, QPoint(1, 1));  // a fresh rest for every case
        ShowTipAt(at);

        c.act(control, plain);
        EXPECT_FALSE(tips.isTipVisible());
        EXPECT_FALSE(autoHide().active);
        EXPECT_EQ(rest().active, c.restsAgain);
        if (c.restsAgain) {
            rest().Fire();
            EXPECT_TRUE(tips.isTipVisible());
            EXPECT_EQ(tips.tipShape().tailPoint(), control->mapToGlobal(QPoint(11, 10)));
        }
    }
}

TEST_F(BalloonTipTest, TipLeftAloneHidesAndNeedsAMoveToComeBack) {
    ShowTipAt(QPoint(10, 10));
    autoHide().Fire();
    EXPECT_FALSE(tips.isTipVisible());
    EXPECT_FALSE(rest().active) << "resting on longer does not bring it back";

    Move(control, QPoint(12, 14));
    ASSERT_TRUE(rest().active);
    rest().Fire();
    EXPECT_TRUE(tips.isTipVisible());
}

TEST_F(BalloonTipTest, PointerMovedOverAPanesViewportShowsThePanesTip) {
    QPlainTextEdit pane(&window);
    pane.setGeometry(20, 80, 150, 100);
    pane.show();
    tips.Attach(&pane, QStringLiteral("这里是生成的关键词！"));
    QWidget grabber(&window);  // a hyperlink label holding the mouse, say
    grabber.setGeometry(200, 150, 50, 20);
    grabber.show();

    struct Case {
        const char* name;
        bool grabbed;
    };
    const Case cases[] = {{"move delivered to the viewport", false},
                          {"move delivered to a widget that holds the mouse", true}};
    int step = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.grabbed) {
            grabber.grabMouse();
        }
        // Through the window system: the move reaches the top-level window first, then the
        // innermost widget under the pointer (or the grabber), all at one position.
        QTest::mouseMove(pane.viewport(), QPoint(30 + step, 30));
        ++step;
        ASSERT_TRUE(rest().active);
        rest().Fire();
        ASSERT_TRUE(tips.isTipVisible());
        EXPECT_EQ(tips.tipText(), QStringLiteral("这里是生成的关键词！"));
        if (c.grabbed) {
            grabber.releaseMouse();
        }
    }
}

TEST_F(BalloonTipTest, ControlGoneBeforeTheRestEndsShowsNothing) {
    Move(control, QPoint(10, 10));
    ASSERT_TRUE(rest().active);
    delete control;
    EXPECT_FALSE(rest().active);
    EXPECT_FALSE(tips.isTipVisible());
    EXPECT_FALSE(tips.Attach(nullptr, QStringLiteral("x")));
}

TEST(BalloonWindow, EveryLineBreakStartsALineAndTheWidestLineSetsTheWidth) {
    const QFontMetrics metrics(PaneFont());
    const QSize one = BalloonWindow::TextSize(QStringLiteral("甲"));
    const QSize three = BalloonWindow::TextSize(QStringLiteral("甲\n\n乙乙乙"));
    EXPECT_EQ(three.height() - one.height(), 2 * metrics.lineSpacing());
    EXPECT_EQ(three.width(), metrics.horizontalAdvance(QStringLiteral("乙乙乙")));
}

TEST_F(BalloonTipTest, BalloonIsDrawnWithItsGradientBorderShadowAndText) {
    ShowTipAt(QPoint(10, 10));
    const QImage image = tips.tipWindow()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const BalloonShape& shape = tips.tipShape();
    const QRect body = shape.body.translated(-shape.window.topLeft());
    const auto near = [](QColor actual, QColor expected) {
        return std::abs(actual.red() - expected.red()) <= 10 &&
               std::abs(actual.green() - expected.green()) <= 10 &&
               std::abs(actual.blue() - expected.blue()) <= 10;
    };
    const int x = body.right() - 6;  // clear of the text, which starts at the left margin
    const QColor top = image.pixelColor(x, body.top() + 2);
    const QColor bottom = image.pixelColor(x, body.bottom() - 2);
    const QColor border = image.pixelColor(x, body.top());
    EXPECT_TRUE(near(top, QColor(187, 210, 244))) << top.name().toStdString();
    EXPECT_TRUE(near(bottom, Qt::white)) << bottom.name().toStdString();
    EXPECT_TRUE(near(border, QColor(128, 128, 255))) << border.name().toStdString();
    EXPECT_NEAR(top.alpha(), 230, 3) << "10 % transparent";

    const QColor shadow = image.pixelColor(body.right() + 4, body.center().y());
    EXPECT_TRUE(near(shadow, Qt::black));
    EXPECT_GT(shadow.alpha(), 60);
    EXPECT_EQ(image.pixelColor(0, image.height() - 1).alpha(), 0) << "outside the balloon";

    int darkest = 255;
    for (int y = body.top() + 16; y < body.top() + 16 + QFontMetrics(PaneFont()).height(); ++y) {
        for (int px = body.left() + 16; px < body.left() + 40; ++px) {
            darkest = std::min(darkest, qGray(image.pixel(px, y)));
        }
    }
    EXPECT_LT(darkest, 40) << "black text inside the margins";
}

}  // namespace
}  // namespace morvelin
