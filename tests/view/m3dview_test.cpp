// M3dView through the host: the GL bracket's checks, the draw colour and the
// text log, observed with the tests' capture helper in the real GL context.
#include "view_fixture.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <cmath>

namespace {

using rdtest::Capture;
using rdtest::captureDraw;

// One pixel of the capture's viewport in object units (extent 100 over 4096).
constexpr double kPixel = 200.0 / 4096.0;

TEST(M3dViewHeader, EnumValuesAreTheHostOnes) {
    EXPECT_EQ(M3dView::kBoundingBox, 0);
    EXPECT_EQ(M3dView::kFlatShaded, 1);
    EXPECT_EQ(M3dView::kGouraudShaded, 2);
    EXPECT_EQ(M3dView::kWireFrame, 3);
    EXPECT_EQ(M3dView::kPoints, 4);
    EXPECT_EQ(M3dView::kActive, 0);
    EXPECT_EQ(M3dView::kDormant, 2);
    EXPECT_EQ(M3dView::kLead, 8);
    EXPECT_EQ(M3dView::kNoStatus, 11);
    EXPECT_EQ(M3dView::kLeft, 0);
    EXPECT_EQ(M3dView::kCenter, 1);
    EXPECT_EQ(M3dView::kRight, 2);
}

using M3dViewTest = ViewFixture;

TEST_F(M3dViewTest, BalancedBracketRaisesNoWarning) {
    Capture c = captureDraw(scene(), [](M3dView& view) {
        view.beginGL();
        glPushMatrix();
        glPushAttrib(GL_CURRENT_BIT);
        glPopAttrib();
        glPopMatrix();
        view.endGL();
    });
    EXPECT_TRUE(c.warnings.empty());
    EXPECT_TRUE(warnings.empty());
    EXPECT_TRUE(c.balanced());
    EXPECT_EQ(c.calls.pushMatrix, 1);
    EXPECT_EQ(c.calls.popMatrix, 1);
    EXPECT_EQ(c.calls.pushAttrib, 1);
    EXPECT_EQ(c.calls.popAttrib, 1);
}

// Each way a node can leave the stacks is reported, naming the node and the
// stack, and put right before endGL returns.
TEST_F(M3dViewTest, EndGLWarnsAboutAndRestoresUnbalancedStacks) {
    struct Case {
        const char* name;
        std::function<void()> fault;
        const char* expected;
    };
    const Case cases[] = {
        {"extra modelview push",
         [] {
             glPushMatrix();
             glTranslated(5, 0, 0);
         },
         "modelview matrix stack depth 3, expected 2"},
        {"two modelview pushes",
         [] {
             glPushMatrix();
             glPushMatrix();
         },
         "modelview matrix stack depth 4, expected 2"},
        {"popped the caller's matrix", [] { glPopMatrix(); }, "modelview matrix stack depth 1, expected 2"},
        {"extra projection push",
         [] {
             glMatrixMode(GL_PROJECTION);
             glPushMatrix();
             glLoadIdentity();
             glMatrixMode(GL_MODELVIEW);
         },
         "projection matrix stack depth 2, expected 1"},
        {"extra attribute push",
         [] {
             glPushAttrib(GL_LIGHTING_BIT);
             glEnable(GL_LIGHTING);
         },
         "attribute stack depth 2, expected 1"},
        {"popped the caller's attributes", [] { glPopAttrib(); }, "attribute stack depth 0, expected 1"},
        {"matrix mode left", [] { glMatrixMode(GL_PROJECTION); }, "matrix mode left as GL_PROJECTION"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        warnings.clear();
        double atBegin[16] = {}, atEnd[16] = {};
        GLint modeAtEnd = 0;
        rdtest::CaptureOptions opt;
        opt.nodeName = "leaky1";
        Capture c = captureDraw(
            scene(),
            [&](M3dView& view) {
                // The host's own state around the node: one matrix and one
                // attribute level the node must not disturb.
                glPushMatrix();
                glTranslated(1, 2, 3);
                glPushAttrib(GL_CURRENT_BIT);
                glGetDoublev(GL_MODELVIEW_MATRIX, atBegin);
                view.beginGL();
                k.fault();
                view.endGL();
                glGetDoublev(GL_MODELVIEW_MATRIX, atEnd);
                glGetIntegerv(GL_MATRIX_MODE, &modeAtEnd);
                glPopAttrib();
                glPopMatrix();
            },
            opt);
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_NE(warnings[0].find("'leaky1'"), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find(k.expected), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find("restored"), std::string::npos) << warnings[0];
        EXPECT_TRUE(c.balanced());
        EXPECT_EQ(modeAtEnd, GL_MODELVIEW);
        for (int i = 0; i < 16; ++i) EXPECT_DOUBLE_EQ(atEnd[i], atBegin[i]) << "element " << i;
    }
}

TEST_F(M3dViewTest, RestoredStacksLetTheNextDrawLandInPlace) {
    // After a leaky node, a line drawn at the origin still comes out at the
    // origin (the leaked translation is gone).
    Capture c = captureDraw(scene(), [](M3dView& view) {
        view.beginGL();
        glPushMatrix();
        glTranslated(7, 0, 0);
        view.endGL();
        glBegin(GL_LINES);
        glVertex3d(0, 0, 0);
        glVertex3d(0, 1, 0);
        glEnd();
    });
    ASSERT_EQ(c.lines.size(), 1u);
    EXPECT_NEAR(c.lines[0].a.x, 0.0, 1e-4);
    EXPECT_NEAR(c.lines[0].b.y, 1.0, 1e-4);
    EXPECT_EQ(warnings.size(), 1u);
}

TEST_F(M3dViewTest, BracketMisuseIsWarned) {
    captureDraw(scene(), [](M3dView& view) { view.endGL(); });
    EXPECT_TRUE(warnedWith("endGL without beginGL"));
    warnings.clear();
    Capture c = captureDraw(scene(), [](M3dView& view) {
        view.beginGL();
        view.beginGL();
        view.endGL();
    });
    EXPECT_TRUE(warnedWith("beginGL again before endGL"));
    c = captureDraw(scene(), [](M3dView& view) { view.beginGL(); });
    ASSERT_EQ(c.warnings.size(), 1u);
    EXPECT_EQ(c.warnings[0], "beginGL without endGL");
}

TEST_F(M3dViewTest, SetDrawColorIsTheCurrentColour) {
    Capture c = captureDraw(scene(), [](M3dView& view) {
        view.setDrawColor(MColor(0.25f, 0.5f, 0.75f, 0.5f));
        glBegin(GL_LINES);
        glVertex3d(0, 0, 0);
        glVertex3d(1, 0, 0);
        glEnd();
        view.setDrawColor(MColor(1.0f, 0.0f, 0.0f));
    });
    ASSERT_EQ(c.lines.size(), 1u);
    EXPECT_FLOAT_EQ(c.lines[0].a.color[0], 0.25f);
    EXPECT_FLOAT_EQ(c.lines[0].a.color[1], 0.5f);
    EXPECT_FLOAT_EQ(c.lines[0].a.color[2], 0.75f);
    EXPECT_FLOAT_EQ(c.lines[0].a.color[3], 0.5f);
    EXPECT_FLOAT_EQ(c.colorAfter[0], 1.0f);
    EXPECT_FLOAT_EQ(c.colorAfter[1], 0.0f);
    EXPECT_FLOAT_EQ(c.colorAfter[3], 1.0f);
}

TEST_F(M3dViewTest, DrawTextLogsTextPointAlignmentColourAndNode) {
    rdtest::CaptureOptions opt;
    opt.nodeName = "label1";
    Capture c = captureDraw(
        scene(),
        [](M3dView& view) {
            view.setDrawColor(MColor(0.0f, 0.0f, 0.7f));
            view.drawText("left", MPoint(1.0, 2.0, 3.0));
            glColor4f(0.1f, 0.2f, 0.3f, 1.0f);
            view.drawText("centre", MPoint(0.0, -1.5, 0.0), M3dView::kCenter);
            view.drawText("right", MPoint(2.0, 4.0, 6.0, 2.0), M3dView::kRight);
        },
        opt);
    ASSERT_EQ(c.texts.size(), 3u);
    EXPECT_EQ(c.texts[0].text, "left");
    EXPECT_EQ(c.texts[0].align, M3dView::kLeft);
    EXPECT_EQ(c.texts[0].point, (std::array<double, 3>{1.0, 2.0, 3.0}));
    EXPECT_EQ(c.texts[0].color, (std::array<float, 4>{0.0f, 0.0f, 0.7f, 1.0f}));
    EXPECT_EQ(c.texts[0].node, "label1");
    EXPECT_EQ(c.texts[1].align, M3dView::kCenter);
    EXPECT_EQ(c.texts[1].color, (std::array<float, 4>{0.1f, 0.2f, 0.3f, 1.0f}));
    EXPECT_EQ(c.texts[2].align, M3dView::kRight);
    // A homogeneous point is logged where it lies.
    EXPECT_EQ(c.texts[2].point, (std::array<double, 3>{1.0, 2.0, 3.0}));
    EXPECT_TRUE(c.balanced());
}

// The text is placed at the point's raster position, shifted left by none,
// half or all of its measured width.
TEST_F(M3dViewTest, DrawTextAlignsOnMeasuredWidth) {
    struct Case {
        M3dView::TextPosition position;
        double shiftInWidths;
    };
    const Case cases[] = {{M3dView::kLeft, 0.0}, {M3dView::kCenter, -0.5}, {M3dView::kRight, -1.0}};
    const char* text = "abcde";
    for (const Case& k : cases) {
        SCOPED_TRACE(k.position);
        Capture c = captureDraw(
            scene(), [&](M3dView& view) { view.drawText(text, MPoint(3.0, 4.0, 0.0), k.position); });
        ASSERT_FALSE(c.bitmaps.empty());
        const double width =
            glutBitmapLength(GLUT_BITMAP_8_BY_13, reinterpret_cast<const unsigned char*>(text));
        ASSERT_GT(width, 0.0);
        // The first bitmap is at the anchor; the first glyph after the shift.
        const size_t glyphs = std::char_traits<char>::length(text);
        ASSERT_GE(c.bitmaps.size(), glyphs);
        const rdtest::Vertex& anchor = c.bitmaps.front();
        const rdtest::Vertex& firstGlyph = c.bitmaps[c.bitmaps.size() - glyphs];
        EXPECT_NEAR(anchor.x, 3.0, 1e-3);
        EXPECT_NEAR(anchor.y, 4.0, 1e-3);
        EXPECT_NEAR((firstGlyph.x - anchor.x) / kPixel, k.shiftInWidths * width, 1e-2);
        EXPECT_NEAR(firstGlyph.y, 4.0, 1e-3);
    }
}

TEST_F(M3dViewTest, TextIsNeverLitAndLightingComesBack) {
    rdtest::CaptureOptions opt;
    opt.lightingAtStart = true;
    Capture c = captureDraw(
        scene(),
        [](M3dView& view) {
            view.setDrawColor(MColor(0.9f, 0.1f, 0.1f));
            view.drawText("lit?", MPoint(0, 0, 0));
        },
        opt);
    ASSERT_FALSE(c.bitmaps.empty());
    EXPECT_FLOAT_EQ(c.bitmaps[0].color[0], 0.9f);
    EXPECT_FLOAT_EQ(c.bitmaps[0].color[1], 0.1f);
    EXPECT_TRUE(c.lightingAfter);
    EXPECT_EQ(c.calls.enableLighting, 0);  // the host's own re-enable is not the draw's
}

TEST_F(M3dViewTest, CaptureReturnsObjectSpaceGeometry) {
    Capture c = captureDraw(scene(), [](M3dView&) {
        glPushMatrix();
        glTranslated(0.0, 0.0, -2.5);
        glBegin(GL_QUADS);
        glVertex3d(-1.25, -3.0, 0.0);
        glVertex3d(40.0, -3.0, 0.0);
        glVertex3d(40.0, 7.5, 0.0);
        glVertex3d(-1.25, 7.5, 0.0);
        glEnd();
        glPopMatrix();
    });
    ASSERT_FALSE(c.polygons.empty());
    rdtest::Box b = c.bounds();
    EXPECT_NEAR(b.min[0], -1.25, 1e-4);
    EXPECT_NEAR(b.max[0], 40.0, 1e-4);
    EXPECT_NEAR(b.min[1], -3.0, 1e-4);
    EXPECT_NEAR(b.max[1], 7.5, 1e-4);
    EXPECT_NEAR(b.min[2], -2.5, 1e-4);
    EXPECT_NEAR(b.max[2], -2.5, 1e-4);
    EXPECT_FALSE(c.touchedExtent);

    Capture far = captureDraw(scene(), [](M3dView&) {
        glBegin(GL_LINES);
        glVertex3d(0, 0, 0);
        glVertex3d(500, 0, 0);
        glEnd();
    });
    EXPECT_TRUE(far.touchedExtent);
}

TEST_F(M3dViewTest, CaptureSeesLightingSwitchedOnInsideTheDraw) {
    Capture c = captureDraw(scene(), [](M3dView& view) {
        view.beginGL();
        glPushAttrib(GL_LIGHTING_BIT);
        glEnable(GL_LIGHTING);
        const GLfloat diffuse[4] = {1, 0, 0, 1};
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
        glPopAttrib();
        view.endGL();
    });
    EXPECT_TRUE(c.lightingUsed);
    EXPECT_FALSE(c.lightingAfter);
    EXPECT_EQ(c.calls.enableLighting, 1);
    EXPECT_EQ(c.calls.material, 1);
    ASSERT_EQ(c.calls.pushAttribMasks.size(), 1u);
    EXPECT_EQ(c.calls.pushAttribMasks[0], static_cast<unsigned>(GL_LIGHTING_BIT));

    Capture plain = captureDraw(scene(), [](M3dView& view) { view.setDrawColor(MColor(1, 1, 1)); });
    EXPECT_FALSE(plain.lightingUsed);
}

TEST_F(M3dViewTest, ActiveViewIsTheCurrentScenesViewport) {
    MStatus st;
    M3dView view = M3dView::active3dView(&st);
    EXPECT_TRUE(st);
    EXPECT_EQ(view.viewport(), &viewport());
    rdhost::Scene* saved = rdhost::Scene::current();
    rdhost::Scene::setCurrent(nullptr);
    M3dView none = M3dView::active3dView(&st);
    EXPECT_FALSE(st);
    EXPECT_FALSE(none.beginGL());
    rdhost::Scene::setCurrent(saved);
}

}  // namespace
