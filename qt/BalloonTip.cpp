#include "qt/BalloonTip.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

#include "qt/BalloonWindow.h"

namespace morvelin {
namespace {

QRect AllScreens() {
    QRect all;
    for (const QScreen* screen : QGuiApplication::screens()) {
        all |= screen->geometry();
    }
    // Without a screen there is no edge to keep away from.
    return all.isEmpty() ? QRect(-100000, -100000, 200000, 200000) : all;
}

QString NormalizedLineBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

}  // namespace

BalloonTipComponent::BalloonTipComponent(QObject* parent)
    : BalloonTipComponent(QtBalloonTimers(), parent) {}

BalloonTipComponent::BalloonTipComponent(const BalloonTimerFactory& timers, QObject* parent)
    : QObject(parent),
      restTimer_(timers(BalloonTimerRole::Rest, [this] { ShowTip(); })),
      autoHideTimer_(timers(BalloonTimerRole::AutoHide, [this] { HideTip(); })) {
    setObjectName(QStringLiteral("气球提示框"));
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->installEventFilter(this);
    }
}

BalloonTipComponent::~BalloonTipComponent() {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->removeEventFilter(this);
    }
}

bool BalloonTipComponent::Attach(QWidget* control, const QString& text) {
    if (control == nullptr) {
        return false;
    }
    if (!texts_.contains(control)) {
        connect(control, &QObject::destroyed, this, [this, control] {
            texts_.remove(control);
            // A tip whose control is gone has nothing left to explain. Depending on how far the
            // control's destruction has got, the guard may or may not have cleared already.
            if (restingOn_.isNull() || restingOn_.data() == control) {
                restTimer_->Stop();
                HideTip();
            }
        });
    }
    texts_.insert(control, NormalizedLineBreaks(text));
    return true;
}

bool BalloonTipComponent::isTipVisible() const {
    return window_ && window_->isVisible();
}

QWidget* BalloonTipComponent::tipWindow() const {
    return window_.get();
}

bool BalloonTipComponent::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseMove:
            // A move of the pointer reaches the application first for the top-level QWindow and
            // only then for the widget under the pointer, at the same position. Only the widget
            // tells which control the pointer is on; taking the window's copy as the movement
            // would leave the widget's copy looking like a repeat.
            if (watched->isWidgetType()) {
                OnPointerMoved(static_cast<QWidget*>(watched), *static_cast<QMouseEvent*>(event));
            }
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::Wheel:
            restTimer_->Stop();
            HideTip();
            break;
        case QEvent::Leave:
            // The pointer went where no move of ours reports it (another program, say): a rest
            // begun on the control no longer counts.
            if (watched == restingOn_) {
                restTimer_->Stop();
            }
            break;
        case QEvent::Hide:
            if (watched == restingOn_) {
                restTimer_->Stop();
                HideTip();
            }
            break;
        default:
            break;
    }
    return false;
}

QWidget* BalloonTipComponent::AttachedControlOf(QObject* receiver) const {
    // Mouse events go to the innermost widget under the pointer, such as a pane's viewport or
    // scroll bar; the tip belongs to the control that holds it.
    for (QObject* object = receiver; object != nullptr; object = object->parent()) {
        auto* widget = qobject_cast<QWidget*>(object);
        if (widget == nullptr) {
            return nullptr;
        }
        if (texts_.contains(widget)) {
            return widget;
        }
        if (widget->isWindow()) {
            return nullptr;
        }
    }
    return nullptr;
}

void BalloonTipComponent::OnPointerMoved(QWidget* receiver, const QMouseEvent& event) {
    const QPoint globalPosition = event.globalPosition().toPoint();
    // One move reaches this filter once for every widget it propagates through, and the window
    // system repeats a move now and then without the pointer going anywhere: only a new
    // position is a movement.
    if (pointerKnown_ && globalPosition == lastPointer_) {
        return;
    }
    pointerKnown_ = true;
    lastPointer_ = globalPosition;
    HideTip();
    // While a widget holds the mouse (a hyperlink label under the pointer, a drag in a pane), the
    // moves go to it wherever the pointer is; the rest counts for what lies under the pointer.
    QWidget* under = receiver;
    if (!receiver->rect().contains(event.position().toPoint())) {
        under = QApplication::widgetAt(globalPosition);
    }
    restingOn_ = AttachedControlOf(under);
    if (restingOn_) {
        restTimer_->Start(kRestMs);
    } else {
        restTimer_->Stop();
    }
}

void BalloonTipComponent::ShowTip() {
    if (restingOn_.isNull() || !restingOn_->isVisible()) {
        return;
    }
    const QString text = texts_.value(restingOn_);
    if (text.isEmpty()) {
        return;
    }
    Present(text);
}

void BalloonTipComponent::ShowNote(QWidget* control, const QString& text) {
    if (control == nullptr || !control->isVisible() || text.isEmpty()) {
        return;
    }
    restTimer_->Stop();
    lastPointer_ = control->mapToGlobal(control->rect().center());
    Present(text);
}

void BalloonTipComponent::Present(const QString& text) {
    if (!window_) {
        window_ = std::make_unique<BalloonWindow>();
    }
    shownText_ = text;
    shape_ = BalloonGeometry(lastPointer_, BalloonWindow::TextSize(text), AllScreens());
    window_->Present(shape_, text);
    autoHideTimer_->Start(kAutoHideMs);
}

void BalloonTipComponent::HideTip() {
    autoHideTimer_->Stop();
    if (window_ && window_->isVisible()) {
        window_->hide();
    }
}

}  // namespace morvelin
