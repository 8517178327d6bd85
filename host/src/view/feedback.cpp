#include "view/feedback.h"

#include "graph/scene.h"
#include "view/gl_context.h"
#include "view/immediate_arrays.h"

#include <GL/gl.h>

#include <string>

namespace rdhost {

namespace {
// 1 GiB of floats would be absurd for one node; stop well before.
constexpr std::size_t kMaxFeedbackFloats = std::size_t(1) << 26;
constexpr std::size_t kFloatsPerVertex = 7;  // x y z r g b a
}  // namespace

std::vector<FeedbackPrimitive> parseFeedback3DColor(const float* data, std::size_t count) {
    std::vector<FeedbackPrimitive> out;
    std::size_t i = 0;
    auto need = [&](std::size_t n) {
        if (i + n > count)
            throw HostError("GL feedback buffer ends inside a primitive at float " + std::to_string(i));
    };
    auto vertex = [&](FeedbackPrimitive& p) {
        need(kFloatsPerVertex);
        FeedbackVertex v;
        v.x = data[i];
        v.y = data[i + 1];
        v.z = data[i + 2];
        v.color = {data[i + 3], data[i + 4], data[i + 5], data[i + 6]};
        i += kFloatsPerVertex;
        p.vertices.push_back(v);
    };
    while (i < count) {
        const auto token = static_cast<GLint>(data[i++]);
        FeedbackPrimitive p;
        switch (token) {
        case GL_POINT_TOKEN:
            p.kind = FeedbackPrimitive::Kind::Point;
            vertex(p);
            break;
        case GL_LINE_TOKEN:
        case GL_LINE_RESET_TOKEN:
            p.kind = FeedbackPrimitive::Kind::Line;
            p.lineReset = token == GL_LINE_RESET_TOKEN;
            vertex(p);
            vertex(p);
            break;
        case GL_POLYGON_TOKEN: {
            need(1);
            const auto n = static_cast<std::size_t>(data[i++]);
            p.kind = FeedbackPrimitive::Kind::Polygon;
            for (std::size_t k = 0; k < n; ++k) vertex(p);
            break;
        }
        case GL_BITMAP_TOKEN:
            p.kind = FeedbackPrimitive::Kind::Bitmap;
            vertex(p);
            break;
        case GL_DRAW_PIXEL_TOKEN:
            p.kind = FeedbackPrimitive::Kind::DrawPixels;
            vertex(p);
            break;
        case GL_COPY_PIXEL_TOKEN:
            p.kind = FeedbackPrimitive::Kind::CopyPixels;
            vertex(p);
            break;
        case GL_PASS_THROUGH_TOKEN:
            need(1);
            p.kind = FeedbackPrimitive::Kind::PassThrough;
            p.passThrough = data[i++];
            break;
        default:
            throw HostError("GL feedback buffer holds an unknown token " + std::to_string(token) +
                            " at float " + std::to_string(i - 1));
        }
        out.push_back(std::move(p));
    }
    return out;
}

std::vector<FeedbackPrimitive> captureFeedback(const std::function<void()>& draw,
                                               const std::function<void()>& beforeRetry, std::size_t size) {
    ensureGLContext();
    if (size < 1024) size = 1024;
    for (;;) {
        std::vector<GLfloat> buffer(size);
        glFeedbackBuffer(static_cast<GLsizei>(size), GL_3D_COLOR, buffer.data());
        glRenderMode(GL_FEEDBACK);
        try {
            ImmediateArrays gather;  // feedback from vertex buffers leaks in Mesa 22.3
            draw();
        } catch (...) {
            glRenderMode(GL_RENDER);
            throw;
        }
        const GLint used = glRenderMode(GL_RENDER);
        if (used >= 0) return parseFeedback3DColor(buffer.data(), static_cast<std::size_t>(used));
        if (size >= kMaxFeedbackFloats)
            throw HostError("GL feedback: the draw emitted more than " + std::to_string(kMaxFeedbackFloats) +
                            " values");
        size *= 4;
        if (beforeRetry) beforeRetry();
    }
}

PrimitiveCounts countPrimitives(const std::vector<FeedbackPrimitive>& prims) {
    PrimitiveCounts c;
    for (const auto& p : prims) {
        switch (p.kind) {
        case FeedbackPrimitive::Kind::Point:
            ++c.points;
            break;
        case FeedbackPrimitive::Kind::Line:
            ++c.lines;
            break;
        case FeedbackPrimitive::Kind::Polygon:
            ++c.polygons;
            break;
        case FeedbackPrimitive::Kind::Bitmap:
            ++c.bitmaps;
            break;
        default:
            break;
        }
    }
    return c;
}

}  // namespace rdhost
