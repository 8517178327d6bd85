// Expectations on three coordinates: one EXPECT_NEAR each, so a failure names
// the coordinate that is off.
#pragma once

#include <gtest/gtest.h>

// p[0], p[1], p[2] (an array, a text record's point) within 1e-5.
#define EXPECT_POINT(p, X, Y, Z)        \
    do {                                \
        EXPECT_NEAR((p)[0], (X), 1e-5); \
        EXPECT_NEAR((p)[1], (Y), 1e-5); \
        EXPECT_NEAR((p)[2], (Z), 1e-5); \
    } while (0)

// v.x, v.y, v.z (an MPoint, an MVector) within tol; v is evaluated once.
#define EXPECT_VEC_NEAR(v, X, Y, Z, tol)       \
    do {                                       \
        const auto& rdtestVec_ = (v);          \
        EXPECT_NEAR(rdtestVec_.x, (X), (tol)); \
        EXPECT_NEAR(rdtestVec_.y, (Y), (tol)); \
        EXPECT_NEAR(rdtestVec_.z, (Z), (tol)); \
    } while (0)
