#include "qt/GroupBox.h"
#include "qt/QtText.h"

#include <QFontMetrics>
#include <QPainter>

namespace morvelin {
namespace {

// The etched edge: a dark line with a white one a pixel to the right and below it.
const QColor kEdgeShadow(160, 160, 160);
const QColor kEdgeLight(255, 255, 255);
// Clear background between the frame's top line and the caption's first and last strokes.
constexpr int kCaptionGap = 2;

}  // namespace

GroupBox::GroupBox(const QString& caption, const QColor& captionColor, QWidget* parent)
    : QGroupBox(caption, parent) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, WindowGrey());
    pal.setColor(QPalette::WindowText, captionColor);
    setPalette(pal);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

QColor GroupBox::captionColor() const {
    return palette().color(QPalette::WindowText);
}

void GroupBox::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));

    const QFontMetrics metrics(font());
    const int frameTop = metrics.height() / 2;
    const QRect frame(0, frameTop, width() - 1, height() - frameTop - 1);
    painter.setPen(kEdgeShadow);
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    painter.setPen(kEdgeLight);
    painter.drawRect(frame.adjusted(1, 1, 0, 0));

    const QString caption = title();
    if (caption.isEmpty()) {
        return;
    }
    const QRect text(kCaptionIndent, 0, metrics.horizontalAdvance(caption), metrics.height());
    painter.fillRect(text.adjusted(-kCaptionGap, 0, kCaptionGap, 0),
                     palette().color(QPalette::Window));
    painter.setPen(captionColor());
    painter.setFont(font());
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption);
}

}  // namespace morvelin
