#include "qt/HyperlinkLabel.h"

#include <QCursor>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QUrl>

#include "qt/Desktop.h"
#include "qt/Fonts.h"
#include "qt/QtText.h"
#include "qt/WebPage.h"

namespace morvelin {
namespace {

// A white hand with a black outline, index finger up; the hot spot is the fingertip. Drawn
// here, pixel by pixel so that it stays crisp, rather than taken from the desktop theme, so that
// every link looks the same everywhere.
QCursor HandCursor() {
    // clang-format off
    static constexpr const char* kRows[] = {
        "     ##",
        "    #..#",
        "    #..#",
        "    #..#",
        "    #..#",
        "    #..###",
        "    #..#..###",
        "    #..#..#..##",
        " ## #..#..#..#.#",
        "#..##..#..#..#.#",
        "#...#..........#",
        " #.............#",
        "  #............#",
        "  #............#",
        "   #..........#",
        "   #..........#",
        "    #.........#",
        "    #.........#",
        "    ###########",
    };
    // clang-format on
    constexpr QPoint kOrigin(1, 1);
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    int y = kOrigin.y();
    for (const char* row : kRows) {
        for (int x = 0; row[x] != '\0'; ++x) {
            if (row[x] != ' ') {
                image.setPixel(kOrigin.x() + x, y,
                               row[x] == '#' ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
            }
        }
        ++y;
    }
    return QCursor(QPixmap::fromImage(image), kOrigin.x() + 5, kOrigin.y());
}

}  // namespace

HyperlinkLabel::HyperlinkLabel(const QString& caption, const QString& url, const LinkColors& colors,
                               Desktop& desktop, QWidget* parent)
    : QWidget(parent), caption_(caption), url_(url), colors_(colors), desktop_(desktop) {
    setFont(DefaultGuiFont());
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    static const QCursor hand = HandCursor();
    setCursor(hand);
}

HyperlinkLabel::~HyperlinkLabel() {
    if (QWidget::mouseGrabber() == this) {
        releaseMouse();
    }
}

void HyperlinkLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), WindowGrey());
    const QColor& color = hovered_ ? colors_.hover : visited_ ? colors_.visited : colors_.normal;
    painter.setPen(color);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine,
                     caption_.isEmpty() ? url_ : caption_);
}

void HyperlinkLabel::enterEvent(QEnterEvent* /*event*/) {
    if (hovered_) {
        return;
    }
    hovered_ = true;
    update();
    grabMouse();
}

void HyperlinkLabel::leaveEvent(QEvent* /*event*/) {
    // Where the platform cannot grab the mouse, the leave event is the only news of the pointer
    // going away.
    EndHover();
}

void HyperlinkLabel::mouseMoveEvent(QMouseEvent* event) {
    if (hovered_ && !rect().contains(event->position().toPoint())) {
        EndHover();
    }
}

void HyperlinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    // Under the grab a press can arrive from outside the box; it is not meant for the link.
    if (!rect().contains(event->position().toPoint())) {
        EndHover();
        return;
    }
    Open();
}

void HyperlinkLabel::hideEvent(QHideEvent* /*event*/) {
    EndHover();
}

void HyperlinkLabel::Open() {
    if (url_.isEmpty()) {
        visited_ = false;
        return;
    }
    visited_ = OpenWebPage(desktop_, url_);
    repaint();
}

void HyperlinkLabel::EndHover() {
    if (QWidget::mouseGrabber() == this) {
        releaseMouse();
    }
    if (!hovered_) {
        return;
    }
    hovered_ = false;
    update();
}

}  // namespace morvelin
