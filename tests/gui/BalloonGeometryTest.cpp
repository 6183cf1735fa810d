#include <gtest/gtest.h>

#include <cstdlib>

#include "qt/BalloonGeometry.h"

namespace morvelin {
namespace {

using Edge = BalloonShape::TailEdge;
using End = BalloonShape::TailEnd;

const QRect kScreen(0, 0, 1000, 800);
const QSize kText(100, 30);  // a body of 132 x 62

struct PlacementCase {
    const char* name;
    QPoint pointer;
    End end;
    Edge edge;
};

class BalloonGeometryTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(BalloonGeometryTest, TailPointsAtThePointerFromTheRightCornerOfTheRightEdge) {
    const PlacementCase& c = GetParam();
    const BalloonShape shape = BalloonGeometry(c.pointer, kText, kScreen);

    EXPECT_EQ(shape.end, c.end);
    EXPECT_EQ(shape.edge, c.edge);
    EXPECT_EQ(shape.body.size(), QSize(132, 62));
    EXPECT_EQ(shape.tailPoint(), c.pointer);

    // The tail's base lies on the body's edge, 16 wide, 16 from the corner, 16 from the point.
    const int edgeY = c.edge == Edge::Bottom ? shape.body.bottom() : shape.body.top();
    EXPECT_EQ(shape.tail[0].y(), edgeY);
    EXPECT_EQ(shape.tail[1].y(), edgeY);
    EXPECT_EQ(std::abs(c.pointer.y() - edgeY), 16);
    EXPECT_EQ(shape.tail[1].x() - shape.tail[0].x(), 16);
    if (c.end == End::Left) {
        EXPECT_EQ(shape.tail[0].x() - shape.body.left(), 16);
        EXPECT_EQ(shape.tail[0].x(), c.pointer.x());
    } else {
        EXPECT_EQ(shape.body.right() - shape.tail[1].x(), 16);
        EXPECT_EQ(shape.tail[1].x(), c.pointer.x());
    }
    // The body stands on the side of the pointer that its tail says.
    EXPECT_EQ(shape.body.bottom() < c.pointer.y(), c.edge == Edge::Bottom);
    EXPECT_EQ(shape.body.center().x() > c.pointer.x(), c.end == End::Left);

    // The window holds the body, the tail and the shadow below and to the right.
    EXPECT_TRUE(shape.window.contains(shape.body));
    for (const QPoint& corner : shape.tail) {
        EXPECT_TRUE(shape.window.contains(corner));
    }
    EXPECT_GE(shape.window.right(), shape.body.right() + kBalloonShadowOffset.x() + 3);
    EXPECT_GE(shape.window.bottom(), shape.body.bottom() + kBalloonShadowOffset.y() + 3);
}

// A balloon above and right of the pointer spans x - 16 .. x + 115 and y - 77 .. y - 16.
INSTANTIATE_TEST_SUITE_P(
    Placements, BalloonGeometryTest,
    ::testing::Values(PlacementCase{"Middle", {500, 400}, End::Left, Edge::Bottom},
                      PlacementCase{"RightEdgeJustReached", {884, 400}, End::Left, Edge::Bottom},
                      PlacementCase{"RightEdgeCrossed", {885, 400}, End::Right, Edge::Bottom},
                      PlacementCase{"TopEdgeJustReached", {500, 77}, End::Left, Edge::Bottom},
                      PlacementCase{"TopEdgeCrossed", {500, 76}, End::Left, Edge::Top},
                      PlacementCase{"TopRightCorner", {995, 3}, End::Right, Edge::Top}),
    [](const ::testing::TestParamInfo<PlacementCase>& info) { return info.param.name; });

TEST(BalloonGeometry, ScreenEdgesAreThoseOfAllScreensTogether) {
    // Two screens side by side: the balloon may open rightwards across the seam between them.
    const QRect both(-1920, 0, 3920, 800);
    EXPECT_EQ(BalloonGeometry({-30, 400}, kText, both).end, End::Left);
    EXPECT_EQ(BalloonGeometry({1990, 400}, kText, both).end, End::Right);
}

TEST(BalloonGeometry, BodyIsWideEnoughForItsTailEvenWithoutText) {
    const BalloonShape shape = BalloonGeometry({500, 400}, QSize(0, 0), kScreen);
    EXPECT_GE(shape.body.width(), 48);
    EXPECT_EQ(shape.body.height(), 32);
}

}  // namespace
}  // namespace morvelin
