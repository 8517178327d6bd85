#define GL_GLEXT_PROTOTYPES 1
#include "text_batch.h"

#include "gl_context.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace rdhost {
namespace {

void* const kFont = GLUT_BITMAP_8_BY_13;

// The glyphs are captured in cells of this size, each drawn at the cell's
// origin point, which leaves room for bitmaps that reach left of or below
// their raster position.
constexpr int kCellWidth = 16, kCellHeight = 24;
constexpr int kOriginX = 4, kOriginY = 8;
constexpr int kColumns = 16, kRows = 16;
constexpr int kAtlasWidth = kCellWidth * kColumns, kAtlasHeight = kCellHeight * kRows;

// A queue this long is drawn at once, and the GL is left to work through it:
// memory stays bounded however many texts a refresh has. (A software GL holds
// what it has not rasterised yet in pools sized by the largest run it saw:
// with 16,384 glyphs a run they grew by tens of MiB from one refresh of
// 100,000 texts to the next.)
constexpr std::size_t kMaxQueuedGlyphs = 2048;

struct Glyph {
    // The lit pixels' box relative to the raster position, in pixels, and in
    // the atlas (texels); empty for blank glyphs.
    int left = 0, bottom = 0, width = 0, height = 0;
    int atlasX = 0, atlasY = 0;
    float advance = 0.0f;
};

// The raster colour is kept as GL gave it: GL then converts it to the
// framebuffer's bytes exactly as it does for a bitmap.
struct Vertex {
    GLfloat u, v;
    GLfloat color[4];
    GLfloat x, y, z;
};

// Queued quads that share the depth state they were drawn with.
struct Run {
    bool depthTest;
    GLboolean depthMask;
    GLint depthFunc;
    std::size_t first;  // first vertex
};

struct Batch {
    bool built = false, usable = false, active = false;
    GLuint texture = 0;
    std::array<Glyph, 256> glyphs;
    float newlineDown = 0.0f;  // how far a '\n' moves the raster position down
    std::vector<Vertex> vertices;
    std::vector<Run> runs;
};

Batch& batch() {
    static Batch b;
    return b;
}

// Lets GLUT draw every glyph once and keeps its pixels as an alpha texture.
void build(Batch& b) {
    b.built = true;
    std::vector<std::array<GLfloat, 4>> after(256);
    std::array<GLfloat, 4> newline{};
    const std::vector<std::uint8_t> pixels = renderScratchRGBA(kAtlasWidth, kAtlasHeight, [&] {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        for (int c = 1; c < 256; ++c) {
            if (c == '\n') continue;
            glWindowPos2i((c % kColumns) * kCellWidth + kOriginX, (c / kColumns) * kCellHeight + kOriginY);
            glutBitmapCharacter(kFont, c);
            glGetFloatv(GL_CURRENT_RASTER_POSITION, after[c].data());
        }
        // Where a newline leaves the raster position, drawn off the atlas.
        glWindowPos2i(kAtlasWidth / 2, kCellHeight * 8);
        glutBitmapString(kFont, reinterpret_cast<const unsigned char*>("\n"));
        glGetFloatv(GL_CURRENT_RASTER_POSITION, newline.data());
        glPopAttrib();
    });
    if (pixels.empty()) return;
    b.newlineDown = static_cast<float>(kCellHeight * 8) - newline[1];

    std::vector<std::uint8_t> alpha(static_cast<size_t>(kAtlasWidth) * kAtlasHeight);
    for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = pixels[i * 4] > 127 ? 255 : 0;
    for (int c = 1; c < 256; ++c) {
        if (c == '\n') continue;
        const int cx = (c % kColumns) * kCellWidth, cy = (c / kColumns) * kCellHeight;
        int minX = kCellWidth, minY = kCellHeight, maxX = -1, maxY = -1;
        for (int y = 0; y < kCellHeight; ++y)
            for (int x = 0; x < kCellWidth; ++x)
                if (alpha[static_cast<size_t>(cy + y) * kAtlasWidth + cx + x]) {
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y);
                }
        Glyph& g = b.glyphs[c];
        g.advance = after[c][0] - static_cast<float>(cx + kOriginX);
        if (maxX < 0) continue;
        g.left = minX - kOriginX;
        g.bottom = minY - kOriginY;
        g.width = maxX - minX + 1;
        g.height = maxY - minY + 1;
        g.atlasX = cx + minX;
        g.atlasY = cy + minY;
    }
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glGenTextures(1, &b.texture);
    glBindTexture(GL_TEXTURE_2D, b.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, kAtlasWidth, kAtlasHeight, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                 alpha.data());
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    b.usable = glGetError() == GL_NO_ERROR;
}

void draw(Batch& b) {
    if (b.vertices.empty()) return;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // Window coordinates in x and y, and the window depth as z.
    glOrtho(viewport[0], viewport[0] + viewport[2], viewport[1], viewport[1] + viewport[3], 0.0, -1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDepthRange(0.0, 1.0);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, b.texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &b.vertices[0].u);
    glColorPointer(4, GL_FLOAT, sizeof(Vertex), b.vertices[0].color);
    glVertexPointer(3, GL_FLOAT, sizeof(Vertex), &b.vertices[0].x);
    for (std::size_t i = 0; i < b.runs.size(); ++i) {
        const Run& r = b.runs[i];
        const std::size_t end = i + 1 < b.runs.size() ? b.runs[i + 1].first : b.vertices.size();
        if (r.depthTest)
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
        glDepthMask(r.depthMask);
        glDepthFunc(static_cast<GLenum>(r.depthFunc));
        glDrawArrays(GL_QUADS, static_cast<GLint>(r.first), static_cast<GLsizei>(end - r.first));
    }
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();
    b.vertices.clear();
    b.runs.clear();
}

}  // namespace

void beginTextBatch() {
    Batch& b = batch();
    if (!b.built) build(b);
    b.vertices.clear();
    b.runs.clear();
    b.active = b.usable;
}

void flushTextBatch() {
    Batch& b = batch();
    if (b.active) draw(b);
}

void endTextBatch() {
    flushTextBatch();
    batch().active = false;
}

bool queueText(const unsigned char* text, float shift) {
    Batch& b = batch();
    if (!b.active) return false;
    GLint mode = GL_RENDER;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    if (mode != GL_RENDER) return false;
    // State that would treat a quad's fragments other than a bitmap's when the
    // queue is drawn later: such texts are drawn at once.
    for (GLenum cap : {GL_BLEND, GL_STENCIL_TEST, GL_SCISSOR_TEST, GL_ALPHA_TEST, GL_COLOR_LOGIC_OP, GL_FOG})
        if (glIsEnabled(cap)) return false;
    GLboolean valid = GL_FALSE;
    glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    if (!valid) return true;
    GLfloat raster[4], color[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    glGetFloatv(GL_CURRENT_RASTER_COLOR, color);
    if (!(color[3] > 0.0f)) return false;  // the alpha test would drop every texel

    Run run{glIsEnabled(GL_DEPTH_TEST) == GL_TRUE, GL_TRUE, GL_LESS, b.vertices.size()};
    glGetBooleanv(GL_DEPTH_WRITEMASK, &run.depthMask);
    glGetIntegerv(GL_DEPTH_FUNC, &run.depthFunc);
    if (b.runs.empty() || b.runs.back().depthTest != run.depthTest ||
        b.runs.back().depthMask != run.depthMask || b.runs.back().depthFunc != run.depthFunc)
        b.runs.push_back(run);

    const float invW = 1.0f / kAtlasWidth, invH = 1.0f / kAtlasHeight;
    const float startX = raster[0] + shift, z = raster[2];
    float x = startX, y = raster[1];
    for (const unsigned char* p = text; *p; ++p) {
        if (*p == '\n') {
            x = startX;
            y -= b.newlineDown;
            continue;
        }
        const Glyph& g = b.glyphs[*p];
        if (g.width > 0) {
            // A bitmap's lower left corner lands on the floor of the raster
            // position (less its origin), so the glyph does too.
            const float left = std::floor(x) + static_cast<float>(g.left);
            const float bottom = std::floor(y) + static_cast<float>(g.bottom);
            const float right = left + static_cast<float>(g.width),
                        top = bottom + static_cast<float>(g.height);
            const float u0 = g.atlasX * invW, v0 = g.atlasY * invH;
            const float u1 = (g.atlasX + g.width) * invW, v1 = (g.atlasY + g.height) * invH;
            const Vertex quad[4] = {{u0, v0, {color[0], color[1], color[2], color[3]}, left, bottom, z},
                                    {u1, v0, {color[0], color[1], color[2], color[3]}, right, bottom, z},
                                    {u1, v1, {color[0], color[1], color[2], color[3]}, right, top, z},
                                    {u0, v1, {color[0], color[1], color[2], color[3]}, left, top, z}};
            b.vertices.insert(b.vertices.end(), quad, quad + 4);
        }
        x += g.advance;
        if (b.vertices.size() >= kMaxQueuedGlyphs * 4) {
            draw(b);
            // A software GL keeps the draws it has not rasterised yet; let it
            // work through them, or its memory grows with the texts.
            glFlush();
            b.runs.push_back(run);
            b.runs.back().first = 0;
        }
    }
    if (!b.runs.empty() && b.runs.back().first == b.vertices.size()) b.runs.pop_back();
    return true;
}

}  // namespace rdhost
