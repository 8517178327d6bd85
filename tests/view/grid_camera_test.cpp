// The ground grid's geometry and the built-in cameras' framing (plain math).
#include "view/camera.h"
#include "view/grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

namespace {

using rdhost::buildGrid;
using rdhost::CameraKind;
using rdhost::FrameBounds;
using rdhost::GridLineKind;
using rdhost::GridPlane;
using rdhost::GridSettings;

TEST(Grid, DefaultGridHasALineEveryUnitWithMajorsAndAxes) {
    auto lines = buildGrid(GridPlane::XZ);
    // -12..12: 25 offsets, one line along each axis per offset.
    ASSERT_EQ(lines.size(), 50u);
    std::map<GridLineKind, int> kinds;
    for (const auto& l : lines) {
        ++kinds[l.kind];
        EXPECT_EQ(l.a[1], 0.0);
        EXPECT_EQ(l.b[1], 0.0);
        // Each line spans the whole grid along one axis.
        const double dx = std::abs(l.b[0] - l.a[0]), dz = std::abs(l.b[2] - l.a[2]);
        EXPECT_TRUE((dx == 24.0 && dz == 0.0) || (dx == 0.0 && dz == 24.0));
    }
    EXPECT_EQ(kinds[GridLineKind::Axis], 2);
    EXPECT_EQ(kinds[GridLineKind::Major], 8);  // +-5, +-10 in both directions
    EXPECT_EQ(kinds[GridLineKind::Minor], 40);
}

TEST(Grid, AxisLinesRunThroughTheOrigin) {
    for (const auto& l : buildGrid(GridPlane::XZ)) {
        if (l.kind != GridLineKind::Axis) continue;
        EXPECT_TRUE((l.a[0] == 0.0 && l.b[0] == 0.0) || (l.a[2] == 0.0 && l.b[2] == 0.0));
    }
}

TEST(Grid, PlaneChoosesTheFlatAxis) {
    struct Case {
        GridPlane plane;
        int flatAxis;
    };
    for (const Case& k : {Case{GridPlane::XZ, 1}, Case{GridPlane::XY, 2}, Case{GridPlane::YZ, 0}}) {
        auto lines = buildGrid(k.plane);
        ASSERT_FALSE(lines.empty());
        for (const auto& l : lines) {
            EXPECT_EQ(l.a[static_cast<size_t>(k.flatAxis)], 0.0);
            EXPECT_EQ(l.b[static_cast<size_t>(k.flatAxis)], 0.0);
        }
    }
}

TEST(Grid, SettingsAndDegenerateInput) {
    struct Case {
        double halfSize, spacing;
        int majorEvery;
        size_t lines;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] =
        {
            {2.0, 1.0, 5, 10},  // offsets -2..2
            {2.5, 1.0, 0, 10},  // a partial step adds no line
            {1.0, 0.5, 2, 10}, {0.0, 1.0, 5, 0},   {-3.0, 1.0, 5, 0},
            {12.0, 0.0, 5, 0}, {12.0, -1.0, 5, 0}, {nan, 1.0, 5, 0},
            {12.0, nan, 5, 0}, {inf, 1.0, 5, 0},   {1e9, 1e-9, 5, 2 * 2001},  // capped, not billions of lines
        };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.halfSize << " / " << k.spacing);
        GridSettings s;
        s.halfSize = k.halfSize;
        s.spacing = k.spacing;
        s.majorEvery = k.majorEvery;
        EXPECT_EQ(buildGrid(GridPlane::XZ, s).size(), k.lines);
    }
    GridSettings noMajor;
    noMajor.majorEvery = 0;
    for (const auto& l : buildGrid(GridPlane::XZ, noMajor)) EXPECT_NE(l.kind, GridLineKind::Major);
}

FrameBounds box(rdhost::Vec3 lo, rdhost::Vec3 hi) {
    FrameBounds b;
    b.expand(lo);
    b.expand(hi);
    return b;
}

// Every corner of the framed box lands inside the picture, for each camera,
// box and picture shape.
TEST(Camera, FramesTheWholeBoxInEveryView) {
    const FrameBounds boxes[] = {
        box({-1, -1, -1}, {1, 1, 1}),           box({-8, -8, -8}, {8, 8, 8}), box({10, 0, -3}, {14, 2, 30}),
        box({-0.01, 5, 5}, {0.01, 5.01, 5.02}),  // tiny: still a sensible camera
        box({100, 100, 100}, {100, 100, 100}),   // one point
    };
    const int sizes[][2] = {{640, 480}, {200, 600}, {1000, 100}};
    const CameraKind kinds[] = {CameraKind::Persp, CameraKind::Top, CameraKind::Front, CameraKind::Side};
    for (const auto& b : boxes) {
        for (const auto& sz : sizes) {
            for (CameraKind kind : kinds) {
                SCOPED_TRACE(testing::Message() << rdhost::cameraName(kind) << " " << sz[0] << "x" << sz[1]
                                                << " box " << b.min[0] << "," << b.min[1] << "," << b.min[2]);
                auto cam = rdhost::frameCamera(kind, b, double(sz[0]) / sz[1]);
                for (int i = 0; i < 8; ++i) {
                    rdhost::Vec3 p{(i & 1) ? b.max[0] : b.min[0], (i & 2) ? b.max[1] : b.min[1],
                                   (i & 4) ? b.max[2] : b.min[2]};
                    auto pr = rdhost::projectToImage(cam, p, sz[0], sz[1]);
                    ASSERT_TRUE(pr.has_value());
                    EXPECT_GE(pr->x, 0.0);
                    EXPECT_LE(pr->x, sz[0]);
                    EXPECT_GE(pr->y, 0.0);
                    EXPECT_LE(pr->y, sz[1]);
                    EXPECT_GT(pr->depth, 0.0);
                    EXPECT_LT(pr->depth, 1.0);
                }
            }
        }
    }
}

TEST(Camera, FramingIsTightNotJustInside) {
    // The framed box fills most of the picture's limiting dimension.
    auto cam = rdhost::frameCamera(CameraKind::Front, box({-2, -1, 0}, {2, 1, 0}), 1.0);
    auto left = rdhost::projectToImage(cam, {-2, 0, 0}, 100, 100);
    auto right = rdhost::projectToImage(cam, {2, 0, 0}, 100, 100);
    ASSERT_TRUE(left && right);
    EXPECT_GT(right->x - left->x, 80.0);
}

TEST(Camera, BuiltInViewsLookAlongTheirAxes) {
    struct Case {
        CameraKind kind;
        rdhost::Vec3 rightward, upward;  // world directions that go right and up on screen
    };
    const Case cases[] = {
        {CameraKind::Top, {1, 0, 0}, {0, 0, -1}},
        {CameraKind::Front, {1, 0, 0}, {0, 1, 0}},
        {CameraKind::Side, {0, 0, -1}, {0, 1, 0}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(rdhost::cameraName(k.kind));
        auto cam = rdhost::frameCamera(k.kind, box({-1, -1, -1}, {1, 1, 1}), 1.0);
        EXPECT_TRUE(cam.ortho);
        auto c = rdhost::projectToImage(cam, {0, 0, 0}, 100, 100);
        auto r = rdhost::projectToImage(cam, k.rightward, 100, 100);
        auto u = rdhost::projectToImage(cam, k.upward, 100, 100);
        ASSERT_TRUE(c && r && u);
        EXPECT_NEAR(c->x, 50.0, 1e-9);
        EXPECT_NEAR(c->y, 50.0, 1e-9);
        EXPECT_GT(r->x, c->x + 1.0);
        EXPECT_NEAR(r->y, c->y, 1e-9);
        EXPECT_LT(u->y, c->y - 1.0);  // image y grows downwards
        EXPECT_NEAR(u->x, c->x, 1e-9);
    }
    auto persp = rdhost::frameCamera(CameraKind::Persp, box({-1, -1, -1}, {1, 1, 1}), 1.0);
    EXPECT_FALSE(persp.ortho);
    EXPECT_GT(persp.eye[0], 0.0);  // from the +X +Z side, above
    EXPECT_GT(persp.eye[1], 0.0);
    EXPECT_GT(persp.eye[2], 0.0);
}

TEST(Camera, NothingToFrameShowsTheGroundAroundTheOrigin) {
    auto cam = rdhost::frameCamera(CameraKind::Persp, FrameBounds{}, 4.0 / 3.0);
    auto o = rdhost::projectToImage(cam, {0, 0, 0}, 400, 300);
    ASSERT_TRUE(o);
    EXPECT_NEAR(o->x, 200.0, 1e-6);
    EXPECT_NEAR(o->y, 150.0, 1e-6);
}

TEST(Camera, NonFinitePositionsAreIgnoredWhenFraming) {
    FrameBounds b = box({-1, -1, -1}, {1, 1, 1});
    b.expand({std::numeric_limits<double>::quiet_NaN(), 0, 0});
    b.expand({0, std::numeric_limits<double>::infinity(), 0});
    EXPECT_EQ(b.min, (rdhost::Vec3{-1, -1, -1}));
    EXPECT_EQ(b.max, (rdhost::Vec3{1, 1, 1}));
}

TEST(Camera, NamesRoundTrip) {
    for (CameraKind k : {CameraKind::Persp, CameraKind::Top, CameraKind::Front, CameraKind::Side}) {
        auto back = rdhost::cameraKindFromName(rdhost::cameraName(k));
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, k);
    }
    EXPECT_EQ(rdhost::cameraKindFromName("topShape"), CameraKind::Top);
    EXPECT_FALSE(rdhost::cameraKindFromName("Persp"));
    EXPECT_FALSE(rdhost::cameraKindFromName(""));
}

}  // namespace
