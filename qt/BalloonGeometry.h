#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>

namespace morvelin {

// Where a balloon tip stands, in global (screen) coordinates.
struct BalloonShape {
    enum class TailEdge { Bottom, Top };
    enum class TailEnd { Left, Right };

    QRect body;                  // the rounded rectangle; the text sits inside its margins
    std::array<QPoint, 3> tail;  // the tail's two base corners on the body's edge, then its point
    TailEdge edge = TailEdge::Bottom;
    TailEnd end = TailEnd::Left;
    QRect window;  // what the balloon's window must cover: body, tail and shadow

    QPoint tailPoint() const { return tail[2]; }
};

inline constexpr int kBalloonMargin = 16;      // between the body's edge and the text
inline constexpr int kBalloonTailWidth = 16;   // along the body's edge
inline constexpr int kBalloonTailHeight = 16;  // from the body's edge to the point
inline constexpr int kBalloonTailInset = 16;   // from the body's corner to the tail
inline constexpr QPoint kBalloonShadowOffset{5, 3};
inline constexpr int kBalloonShadowBlur = 7;  // width and height of the shadow's soft edge

// Places a balloon for text of textSize so that its tail points at pointer. The balloon stands
// above and to the right of the pointer; where that would cross the right edge of screen it
// opens to the left, where it would cross the top edge it opens below. screen is the union of
// all screens.
BalloonShape BalloonGeometry(QPoint pointer, QSize textSize, const QRect& screen);

}  // namespace morvelin
