// Texts drawn from the glyph texture cover exactly the pixels GLUT's bitmaps do.
#define GL_GLEXT_PROTOTYPES 1
#include "view/text_batch.h"
#include "view/gl_context.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <malloc.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 160, kHeight = 64;

struct TextCase {
    const char* what;
    std::string text;
    double x, y, z;  // raster position in pixels; z in eye space (visible: -1..1)
    float shift;
    float color[4];
    bool occluded;  // a nearer square is drawn over the middle first
};

// Draws the case's text the classic way, or through the batch, and reads the
// picture back.
std::vector<std::uint8_t> drawCase(const TextCase& c, bool batched, bool* queued = nullptr) {
    rdhost::bindOffscreenTarget(kWidth, kHeight);
    glClearColor(0.2f, 0.3f, 0.4f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    if (batched) rdhost::beginTextBatch();
    if (c.occluded) {
        glColor3f(0.0f, 0.5f, 0.0f);
        glRectd(40, 0, 80, kHeight);  // at depth 0.5, nearer than the texts behind it
    }
    glColor4fv(c.color);
    glRasterPos3d(c.x, c.y, c.z);
    const auto* bytes = reinterpret_cast<const unsigned char*>(c.text.c_str());
    const bool wasQueued = batched && rdhost::queueText(bytes, c.shift);
    if (queued) *queued = wasQueued;
    if (!wasQueued) {
        if (c.shift != 0.0f) glBitmap(0, 0, 0, 0, c.shift, 0, nullptr);
        glutBitmapString(GLUT_BITMAP_8_BY_13, bytes);
    }
    if (batched) rdhost::endTextBatch();
    glDisable(GL_DEPTH_TEST);
    return rdhost::readOffscreenRGBA(kWidth, kHeight);
}

TEST(TextBatch, GlyphsLandOnTheBitmapsPixels) {
    std::string many;
    for (int i = 0; i < 100000; ++i) many += static_cast<char>('!' + i % 90);  // past the queue's bound
    std::string latin;
    for (int c = 1; c < 256; ++c)
        if (c != '\n') latin += static_cast<char>(c);
    const TextCase cases[] = {
        {"plain", "Arc 12.5", 10, 20, 0, 0, {1, 1, 0, 1}, false},
        {"fractional position", "0.25 deg", 10.6, 20.4, 0, 0, {1, 1, 1, 1}, false},
        {"centred", "centre", 80, 30, 0, -24.0f, {0.7f, 0.35f, 0.1f, 1}, false},
        {"right-aligned past the left edge", "cut off", 20, 30, 0, -56.0f, {1, 0, 0, 1}, false},
        {"past the right edge", "a long text beyond", 120, 30, 0, 0, {0, 1, 1, 1}, false},
        {"newlines", "one\ntwo\n\nfour", 30, 50, 0, 0, {1, 1, 1, 1}, false},
        {"tabs and control bytes",
         "a\tb\x01\x1f"
         "c",
         10,
         20,
         0,
         0,
         {1, 1, 1, 1},
         false},
        {"every byte of the font", latin, 4, 40, 0, -3.5f, {1, 0.5f, 0.25f, 1}, false},
        {"empty", "", 10, 20, 0, 0, {1, 1, 1, 1}, false},
        {"behind a nearer square", "hidden middle part", 4, 30, -0.8, 0, {1, 1, 1, 1}, true},
        {"in front of the square", "shown in front", 4, 30, 0.9, 0, {1, 1, 1, 1}, true},
        {"raster position outside the view", "nothing", 10, 80, 0, 0, {1, 1, 1, 1}, false},
        {"transparent colour", "alpha 0", 10, 20, 0, 0, {1, 1, 1, 0}, false},
        {"more glyphs than one batch holds", many, 2, 4, 0, 0, {1, 1, 1, 1}, false},
    };
    for (const TextCase& c : cases) {
        bool queued = false;
        const std::vector<std::uint8_t> classic = drawCase(c, false), batched = drawCase(c, true, &queued);
        // Only a colour the alpha test would drop is drawn the classic way.
        EXPECT_EQ(queued, c.color[3] > 0.0f) << c.what;
        int differing = 0;
        for (size_t i = 0; i < classic.size(); i += 4)
            if (classic[i] != batched[i] || classic[i + 1] != batched[i + 1] ||
                classic[i + 2] != batched[i + 2])
                ++differing;
        EXPECT_EQ(differing, 0) << c.what;
    }
}

// 100,000 texts in one refresh draw as the one text where they all are, and
// memory stays bounded: the queue is drawn (and the GL left to work through
// it) whenever it reaches its bound, so a second such refresh needs no more
// than the first, whose high-water mark includes the driver's.
TEST(TextBatch, ManyTextsInOneRefreshUseBoundedMemory) {
    const TextCase one{"one", "glyphs!!", 10, 20, 0, 0, {1, 1, 1, 1}, false};
    const std::vector<std::uint8_t> classic = drawCase(one, false);
    std::size_t heap[2] = {0, 0};
    for (std::size_t& after : heap) {
        rdhost::bindOffscreenTarget(kWidth, kHeight);
        glClearColor(0.2f, 0.3f, 0.4f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kWidth, 0, kHeight, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        rdhost::beginTextBatch();
        glColor4fv(one.color);
        for (int i = 0; i < 100000; ++i) {
            glRasterPos3d(one.x, one.y, one.z);
            ASSERT_TRUE(rdhost::queueText(reinterpret_cast<const unsigned char*>(one.text.c_str()), 0.0f));
        }
        rdhost::endTextBatch();
        EXPECT_EQ(rdhost::readOffscreenRGBA(kWidth, kHeight), classic);
        after = mallinfo2().uordblks;
    }
    EXPECT_LE(heap[1], heap[0] + (std::size_t{1} << 20)) << heap[0] << " then " << heap[1] << " bytes in use";
}

}  // namespace
