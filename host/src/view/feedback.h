// GL feedback: run a draw with GL_FEEDBACK rendering and read back what it
// emitted (points, line segments, polygons, bitmaps) with window coordinates
// and colours. Used by the playblast trace and by the tests' capture helper.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <vector>

namespace rdhost {

struct FeedbackVertex {
    double x = 0, y = 0, z = 0;  // window coordinates, z in [0, 1]
    std::array<float, 4> color{};
};

struct FeedbackPrimitive {
    enum class Kind { Point, Line, Polygon, Bitmap, DrawPixels, CopyPixels, PassThrough };
    Kind kind = Kind::Point;
    bool lineReset = false;    // a line that starts a new strip or loop
    float passThrough = 0.0f;  // glPassThrough value
    std::vector<FeedbackVertex> vertices;
};

// Parses a GL_3D_COLOR feedback buffer (RGBA mode: 7 floats per vertex).
// Throws HostError on a malformed buffer.
std::vector<FeedbackPrimitive> parseFeedback3DColor(const float* data, std::size_t count);

// Runs `draw` in GL_FEEDBACK mode (GL_3D_COLOR) under the current matrices and
// viewport. The buffer starts at `initialFloats` and doubles whenever GL reports
// an overflow; before each retry `beforeRetry` (if given) undoes the side
// effects of the failed attempt. Throws HostError when even the largest buffer
// overflows.
std::vector<FeedbackPrimitive> captureFeedback(const std::function<void()>& draw,
                                               const std::function<void()>& beforeRetry = {},
                                               std::size_t initialFloats = std::size_t(1) << 16);

struct PrimitiveCounts {
    std::size_t points = 0, lines = 0, polygons = 0, bitmaps = 0;
};
PrimitiveCounts countPrimitives(const std::vector<FeedbackPrimitive>& prims);

}  // namespace rdhost
