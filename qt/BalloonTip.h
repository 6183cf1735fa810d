#pragma once

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

class QMouseEvent;

#include "qt/BalloonGeometry.h"
#include "qt/BalloonTimer.h"

namespace morvelin {

class BalloonWindow;

// The balloon tips of the window (form name "气球提示框"). It has nothing to show of its own: it
// watches every mouse and key event of the application and brings up a control's tip when the
// pointer has rested on that control, without moving, for kRestMs. Any move of the pointer, a
// mouse press, a key press or a wheel turn hides the tip at once; a tip left alone hides after
// kAutoHideMs and comes back only after the pointer has moved and rested again. A tip stays
// where it came up.
class BalloonTipComponent : public QObject {
    Q_OBJECT

  public:
    static constexpr int kRestMs = 600;
    static constexpr int kAutoHideMs = 3000;

    explicit BalloonTipComponent(QObject* parent = nullptr);
    // Runs on the given timers instead of Qt's.
    explicit BalloonTipComponent(const BalloonTimerFactory& timers, QObject* parent = nullptr);
    ~BalloonTipComponent() override;

    // Gives control a tip; text lines are separated by "\n" (a CR LF or a lone CR counts as
    // one). The tip covers the whole control, its children included. Attaching again replaces
    // the text. False only for a null control.
    bool Attach(QWidget* control, const QString& text);

    // The text attached to control, with "\n" line breaks; empty when it has no tip.
    QString attachedText(const QWidget* control) const { return texts_.value(control); }

    bool isTipVisible() const;

    // Shows `text` at once in a balloon pointing at the middle of `control`, as a tip shows, and
    // hides it as a tip hides: a short note of what the program just did there.
    void ShowNote(QWidget* control, const QString& text);
    // The text of the tip on show, or of the last one shown.
    QString tipText() const { return shownText_; }
    // The tip window's place on the screen, shadow included.
    QRect tipGeometry() const { return shape_.window; }
    // Body, tail and which way the tip opens.
    const BalloonShape& tipShape() const { return shape_; }
    // The tip's window, for looking at it; null until a tip has come up once.
    QWidget* tipWindow() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* AttachedControlOf(QObject* receiver) const;
    void OnPointerMoved(QWidget* receiver, const QMouseEvent& event);
    void ShowTip();
    void Present(const QString& text);
    void HideTip();

    QHash<const QWidget*, QString> texts_;
    QPointer<QWidget> restingOn_;
    QPoint lastPointer_;
    bool pointerKnown_ = false;
    std::unique_ptr<BalloonTimer> restTimer_;
    std::unique_ptr<BalloonTimer> autoHideTimer_;
    std::unique_ptr<BalloonWindow> window_;
    BalloonShape shape_;
    QString shownText_;
};

}  // namespace morvelin
