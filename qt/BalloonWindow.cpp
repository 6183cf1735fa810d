#include "qt/BalloonWindow.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <vector>

#include "qt/Fonts.h"

namespace morvelin {
namespace {

const QColor kTopColor(187, 210, 244);
const QColor kBottomColor(255, 255, 255);
const QColor kBorderColor(128, 128, 255);
constexpr int kShadowAlpha = 153;  // darkens what lies beneath by 60 %
constexpr qreal kOpacity = 0.9;
constexpr qreal kCornerSize = 5;  // width and height of the corner's ellipse

// One pass of a box blur over the alpha values of an image, along rows or along columns.
void BoxBlur(std::vector<int>& alpha, int width, int height, bool alongRows) {
    const int radius = kBalloonShadowBlur / 2;
    const int lines = alongRows ? height : width;
    const int length = alongRows ? width : height;
    const auto at = [&](int line, int i) -> int& {
        return alongRows ? alpha[line * width + i] : alpha[i * width + line];
    };
    std::vector<int> source(length);
    for (int line = 0; line < lines; ++line) {
        for (int i = 0; i < length; ++i) {
            source[i] = at(line, i);
        }
        int sum = 0;
        for (int i = -radius; i <= radius; ++i) {
            sum += (i >= 0 && i < length) ? source[i] : 0;
        }
        for (int i = 0; i < length; ++i) {
            at(line, i) = sum / kBalloonShadowBlur;
            const int leaving = i - radius;
            const int entering = i + radius + 1;
            sum -= leaving >= 0 ? source[leaving] : 0;
            sum += entering < length ? source[entering] : 0;
        }
    }
}

}  // namespace

BalloonWindow::BalloonWindow()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setFont(PaneFont());
}

QSize BalloonWindow::TextSize(const QString& text) {
    const QFontMetrics metrics(PaneFont());
    const QStringList lines = text.split(u'\n');
    int width = 0;
    for (const QString& line : lines) {
        width = std::max(width, metrics.horizontalAdvance(line));
    }
    const int height =
        static_cast<int>(lines.size() - 1) * metrics.lineSpacing() + metrics.height();
    return {width, height};
}

void BalloonWindow::Present(const BalloonShape& shape, const QString& text) {
    hide();
    shape_ = shape;
    lines_ = text.split(u'\n');
    setGeometry(shape.window);
    shadow_ = RenderShadow(Outline());
    backdrop_ = QPixmap();
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        // Without a compositing manager X11 shows the transparent parts of a window black. A
        // picture of what lies beneath, taken before the balloon comes up, stands in for them;
        // the balloon goes away at the next move of the pointer, so it never gets stale for long.
        if (QScreen* screen = QGuiApplication::screenAt(shape.tailPoint())) {
            const QRect area = shape.window.translated(-screen->geometry().topLeft());
            backdrop_ = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        }
    }
    show();
    update();
}

QPainterPath BalloonWindow::Outline() const {
    // Pixel centres, so that the 1-pixel border covers whole pixels.
    const QPointF origin = QPointF(shape_.window.topLeft()) - QPointF(0.5, 0.5);
    const QRectF body = QRectF(shape_.body).translated(-origin).adjusted(0, 0, -1, -1);
    QPainterPath outline;
    outline.addRoundedRect(body, kCornerSize / 2, kCornerSize / 2);

    // The tail's base reaches one pixel into the body, so that the union leaves no seam.
    const qreal inward = shape_.edge == BalloonShape::TailEdge::Bottom ? -1 : 1;
    QPolygonF tail;
    tail << QPointF(shape_.tail[0]) - origin + QPointF(0, inward)
         << QPointF(shape_.tail[1]) - origin + QPointF(0, inward)
         << QPointF(shape_.tail[2]) - origin;
    QPainterPath tailPath;
    tailPath.addPolygon(tail);
    tailPath.closeSubpath();
    return outline.united(tailPath).simplified();
}

QImage BalloonWindow::RenderShadow(const QPainterPath& outline) const {
    const int width = shape_.window.width();
    const int height = shape_.window.height();
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(outline.translated(kBalloonShadowOffset), QColor(0, 0, 0, kShadowAlpha));
    }
    std::vector<int> alpha(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            alpha[y * width + x] = qAlpha(row[x]);
        }
    }
    BoxBlur(alpha, width, height, true);
    BoxBlur(alpha, width, height, false);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            row[x] = qRgba(0, 0, 0, alpha[y * width + x]);
        }
    }
    // The balloon is partly transparent: a shadow beneath it would show through and grey it.
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    painter.fillPath(outline, Qt::black);
    return image;
}

void BalloonWindow::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    if (!backdrop_.isNull()) {
        painter.drawPixmap(0, 0, backdrop_);
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setOpacity(kOpacity);
    painter.drawImage(0, 0, shadow_);

    painter.setRenderHint(QPainter::Antialiasing);
    const QRect body = shape_.body.translated(-shape_.window.topLeft());
    QLinearGradient gradient(0, body.top(), 0, body.bottom());
    gradient.setColorAt(0, kTopColor);
    gradient.setColorAt(1, kBottomColor);
    const QPainterPath outline = Outline();
    painter.fillPath(outline, gradient);
    painter.setPen(QPen(kBorderColor, 1));
    painter.drawPath(outline);

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::black);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    int baseline = body.top() + kBalloonMargin + metrics.ascent();
    for (const QString& line : lines_) {
        painter.drawText(body.left() + kBalloonMargin, baseline, line);
        baseline += metrics.lineSpacing();
    }
}

}  // namespace morvelin
