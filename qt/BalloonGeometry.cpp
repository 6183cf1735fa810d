#include "qt/BalloonGeometry.h"

#include <algorithm>

namespace morvelin {

BalloonShape BalloonGeometry(QPoint pointer, QSize textSize, const QRect& screen) {
    // The body is never narrower than the tail and its inset at both ends, so the tail always
    // meets a straight stretch of the edge rather than a rounded corner.
    const int width =
        std::max(textSize.width() + 2 * kBalloonMargin, 2 * kBalloonTailInset + kBalloonTailWidth);
    const int height = std::max(textSize.height(), 0) + 2 * kBalloonMargin;

    BalloonShape shape;
    const auto place = [&] {
        const int left = shape.end == BalloonShape::TailEnd::Left
                             ? pointer.x() - kBalloonTailInset
                             : pointer.x() + kBalloonTailInset - width + 1;
        const int top = shape.edge == BalloonShape::TailEdge::Bottom
                            ? pointer.y() - kBalloonTailHeight - height + 1
                            : pointer.y() + kBalloonTailHeight;
        shape.body = QRect(left, top, width, height);
    };
    place();
    if (shape.body.right() > screen.right()) {
        shape.end = BalloonShape::TailEnd::Right;
    }
    if (shape.body.top() < screen.top()) {
        shape.edge = BalloonShape::TailEdge::Top;
    }
    place();

    // The tail is a right triangle whose upright side stands straight above or below the point.
    const int baseY =
        shape.edge == BalloonShape::TailEdge::Bottom ? shape.body.bottom() : shape.body.top();
    const int baseX =
        shape.end == BalloonShape::TailEnd::Left ? pointer.x() : pointer.x() - kBalloonTailWidth;
    shape.tail = {QPoint(baseX, baseY), QPoint(baseX + kBalloonTailWidth, baseY), pointer};

    QRect bounds = shape.body;
    for (const QPoint& corner : shape.tail) {
        bounds |= QRect(corner, QSize(1, 1));
    }
    const int reach = kBalloonShadowBlur / 2 + 1;
    shape.window =
        bounds.adjusted(std::min(0, kBalloonShadowOffset.x() - reach),
                        std::min(0, kBalloonShadowOffset.y() - reach),
                        kBalloonShadowOffset.x() + reach, kBalloonShadowOffset.y() + reach);
    return shape;
}

}  // namespace morvelin
