// glWindowPos2i is GL 1.4: its prototype comes with the extension header.
#define GL_GLEXT_PROTOTYPES 1
#include "batched_floor.h"

#include "bench_scene.h"
#include "view/gl_context.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

namespace bench {

namespace {

void* const kFont = GLUT_BITMAP_8_BY_13;
// Each byte's glyph as GLUT draws it with its raster position at (kOriginX,
// kOriginY) of a kCellW x kCellH cell: room for any glyph's reach below and
// left of its raster position. A text's glyph is the whole cell, placed where
// the cell's origin meets the floor of the raster position, as GL places a
// bitmap.
constexpr int kCellW = 16, kCellH = 24, kOriginX = 4, kOriginY = 8;
constexpr int kAtlasW = 16 * kCellW, kAtlasH = 16 * kCellH;

int cellX(unsigned c) { return static_cast<int>(c % 16) * kCellW; }
int cellY(unsigned c) { return static_cast<int>(c / 16) * kCellH; }

// Each glyph's lit pixels: their box relative to the cell's origin (empty for
// blank glyphs), filled in by makeFontTexture.
struct GlyphBox {
    int left = 0, bottom = 0, width = 0, height = 0;
};
GlyphBox gBoxes[256];

GLuint makeFontTexture() {
    rdhost::bindOffscreenTarget(kAtlasW, kAtlasH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    for (unsigned c = 1; c < 256; ++c) {
        if (c == '\n') continue;
        glWindowPos2i(cellX(c) + kOriginX, cellY(c) + kOriginY);
        glutBitmapCharacter(kFont, static_cast<int>(c));
    }
    std::vector<unsigned char> rgba(static_cast<size_t>(kAtlasW) * kAtlasH * 4), alpha(kAtlasW * kAtlasH);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kAtlasW, kAtlasH, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = rgba[i * 4] > 127 ? 255 : 0;
    for (unsigned c = 1; c < 256; ++c) {
        int minX = kCellW, minY = kCellH, maxX = -1, maxY = -1;
        for (int y = 0; y < kCellH; ++y)
            for (int x = 0; x < kCellW; ++x)
                if (alpha[static_cast<size_t>(cellY(c) + y) * kAtlasW + cellX(c) + x]) {
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y);
                }
        if (maxX >= 0) gBoxes[c] = {minX, minY, maxX - minX + 1, maxY - minY + 1};
    }
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, kAtlasW, kAtlasH, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glEnable(GL_DEPTH_TEST);
    return tex;
}

// The texts a node draws with the colour each is drawn in, in drawFloorNode's order.
struct ColouredText {
    const FloorText* text;
    const float* colour;
};
std::vector<ColouredText> textsOf(const FloorNode& n) {
    std::vector<ColouredText> out;
    if (n.showLabel) out.push_back({&n.label, n.labelColor});
    if (n.type == 2 && n.ticks)
        for (const FloorTick& k : n.tickList)
            if (k.main && k.hasText) out.push_back({&k.text, n.mainColor});
    for (const FloorText& t : n.values) out.push_back({&t, n.valueColor});
    return out;
}

// The frame's state before its nodes draw, as drawFloorFrame sets it.
void frameState(const FloorFrame& f) {
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(f.projection.data());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat headlight[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, headlight);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_SPECULAR, white);
    glLightfv(GL_LIGHT0, GL_AMBIENT, black);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_NORMALIZE);
    glDisable(GL_LIGHTING);
    glLineWidth(1.0f);
}

}  // namespace

BatchedFrame batchedFrameOf(const FloorFrame& frame) {
    BatchedFrame out;
    out.width = frame.width;
    out.height = frame.height;
    out.font = makeFontTexture();
    rdhost::bindOffscreenTarget(frame.width, frame.height);
    frameState(frame);
    std::map<float, size_t> lineOf;  // width -> out.lines index
    std::vector<float> buf;
    markLineWidths(true);
    for (const FloorNode& n : frame.nodes) {
        glLoadMatrixd(frame.view.data());
        glMultMatrixd(n.world);
        glColor4f(0.0f, 0.016f, 0.376f, 1.0f);
        glLineWidth(1.0f);
        // Geometry, through feedback: window coordinates and GL's colours.
        for (size_t size = 1 << 16;; size *= 4) {
            buf.assign(size, 0.0f);
            glFeedbackBuffer(static_cast<GLsizei>(size), GL_3D_COLOR, buf.data());
            glRenderMode(GL_FEEDBACK);
            drawFloorNode(n);
            const GLint used = glRenderMode(GL_RENDER);
            if (used >= 0) {
                buf.resize(static_cast<size_t>(used));
                break;
            }
        }
        float width = 1.0f;
        const auto vertex = [&](size_t at, std::vector<GLfloat>& xyz, std::vector<GLfloat>& rgba) {
            xyz.insert(xyz.end(), buf.begin() + at, buf.begin() + at + 3);
            rgba.insert(rgba.end(), buf.begin() + at + 3, buf.begin() + at + 7);
        };
        for (size_t i = 0; i < buf.size();) {
            const GLint token = static_cast<GLint>(buf[i]);
            if (token == GL_PASS_THROUGH_TOKEN) {
                width = buf[i + 1];
                i += 2;
            } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
                auto [at, added] = lineOf.emplace(width, out.lines.size());
                if (added) out.lines.push_back({width, {}, {}});
                BatchedFrame::Lines& l = out.lines[at->second];
                vertex(i + 1, l.vertices, l.colours);
                vertex(i + 8, l.vertices, l.colours);
                i += 15;
            } else if (token == GL_POLYGON_TOKEN) {
                const size_t count = static_cast<size_t>(buf[i + 1]);
                for (size_t k = 1; k + 1 < count; ++k) {  // a fan
                    vertex(i + 2, out.triangles, out.triangleColours);
                    vertex(i + 2 + 7 * k, out.triangles, out.triangleColours);
                    vertex(i + 2 + 7 * (k + 1), out.triangles, out.triangleColours);
                }
                i += 2 + 7 * count;
            } else if (token == GL_POINT_TOKEN || token == GL_BITMAP_TOKEN || token == GL_DRAW_PIXEL_TOKEN ||
                       token == GL_COPY_PIXEL_TOKEN) {
                i += 8;
            } else {
                fail("batched floor: unexpected feedback token " + std::to_string(token));
            }
        }
        // Texts: each glyph's quad where glutBitmapString would draw it.
        GLdouble model[16], proj[16];
        GLint port[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, proj);
        glGetIntegerv(GL_VIEWPORT, port);
        for (const ColouredText& t : textsOf(n)) {
            GLdouble wx, wy, wz;
            if (!gluProject(t.text->x, t.text->y, t.text->z, model, proj, port, &wx, &wy, &wz)) continue;
            if (wz < 0.0 || wz > 1.0) continue;  // clipped: GL draws none of it
            const auto* bytes = reinterpret_cast<const unsigned char*>(t.text->text.c_str());
            float x = static_cast<float>(wx) - 0.5f * static_cast<float>(glutBitmapLength(kFont, bytes));
            const float y = static_cast<float>(wy);
            for (const unsigned char* c = bytes; *c; ++c) {
                const GlyphBox& g = gBoxes[*c];
                if (g.width == 0) {
                    x += static_cast<float>(glutBitmapWidth(kFont, *c));
                    continue;
                }
                // The glyph's lit pixels only: where its cell's origin meets
                // the floor of the raster position, as GL places a bitmap.
                const float x0 = std::floor(x) - kOriginX + g.left, y0 = std::floor(y) - kOriginY + g.bottom;
                const float w = static_cast<float>(g.width), h = static_cast<float>(g.height);
                const float u0 = static_cast<float>(cellX(*c) + g.left) / kAtlasW,
                            v0 = static_cast<float>(cellY(*c) + g.bottom) / kAtlasH;
                const float u1 = u0 + w / kAtlasW, v1 = v0 + h / kAtlasH;
                const float corners[4][4] = {
                    {x0, y0, u0, v0}, {x0 + w, y0, u1, v0}, {x0 + w, y0 + h, u1, v1}, {x0, y0 + h, u0, v1}};
                for (const auto& k : corners) {
                    out.glyphVertices.insert(out.glyphVertices.end(), {k[0], k[1], static_cast<float>(wz)});
                    out.glyphTexCoords.insert(out.glyphTexCoords.end(), {k[2], k[3]});
                    out.glyphColours.insert(out.glyphColours.end(), t.colour, t.colour + 4);
                }
                x += static_cast<float>(glutBitmapWidth(kFont, *c));
            }
        }
    }
    markLineWidths(false);
    return out;
}

void drawBatchedFrame(BatchedFrame& f) {
    rdhost::bindOffscreenTarget(f.width, f.height);
    glClearColor(0.63f, 0.63f, 0.63f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Window coordinates straight through: x, y in pixels, z the depth.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, f.width, 0.0, f.height, 0.0, -1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_LIGHTING);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    if (!f.triangles.empty()) {
        glVertexPointer(3, GL_FLOAT, 0, f.triangles.data());
        glColorPointer(4, GL_FLOAT, 0, f.triangleColours.data());
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(f.triangles.size() / 3));
    }
    for (const BatchedFrame::Lines& l : f.lines) {
        glLineWidth(l.width);
        glVertexPointer(3, GL_FLOAT, 0, l.vertices.data());
        glColorPointer(4, GL_FLOAT, 0, l.colours.data());
        glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(l.vertices.size() / 3));
    }
    glLineWidth(1.0f);
    if (!f.glyphVertices.empty()) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, f.font);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.5f);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, f.glyphVertices.data());
        glTexCoordPointer(2, GL_FLOAT, 0, f.glyphTexCoords.data());
        glColorPointer(4, GL_FLOAT, 0, f.glyphColours.data());
        glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(f.glyphVertices.size() / 3));
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisable(GL_ALPHA_TEST);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    f.pixels.resize(static_cast<size_t>(f.width) * f.height * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, f.width, f.height, GL_RGBA, GL_UNSIGNED_BYTE, f.pixels.data());
}

}  // namespace bench
