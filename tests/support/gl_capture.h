// The one GL capture helper of the tests: run a draw in the host's real GL
// context under GL feedback and get back what it emitted, in OBJECT space.
//
// Use:
//     rdtest::Capture c = rdtest::captureNodeDraw(scene(), shapeNode);
//     EXPECT_EQ(c.polygons.size(), 6u);                   // geometry
//     EXPECT_TRUE(c.balanced());                           // stacks as found
//     EXPECT_FLOAT_EQ(c.colorAfter[2], 0.7f);              // current colour after
//     ASSERT_EQ(c.texts.size(), 1u);                       // the view's text log
//     EXPECT_EQ(c.texts[0].align, M3dView::kCenter);
//     rdtest::Box b = c.bounds();                          // extent of the geometry
//
// or, for code that is not a node (a Shape, a snap scale...):
//     rdtest::Capture c = rdtest::captureDraw(scene(), [&](M3dView& view) {
//         view.beginGL(); shape->draw(view, M3dView::kGouraudShaded); view.endGL();
//     });
//
// How it works: the projection maps the box [-extent, extent]^3 onto the whole
// viewport, the modelview starts as identity, and feedback window coordinates
// are mapped back, so a vertex the draw gives at object point P comes back as P
// (to about 1e-7 * extent). Geometry outside the box is clipped by GL; when any
// vertex lies on the box's faces, `touchedExtent` is set so a test can tell.
// Colours are what GL computed per vertex (lit colours when lighting is on).
//
// State reported besides geometry:
//  - before / after: modelview, projection and attribute stack depths around the
//    draw (what endGL and the nodes' push/pop pairs must keep equal);
//  - colorAfter: GL_CURRENT_COLOR after the draw; lightingAfter: GL_LIGHTING then;
//  - calls: how often the draw called glPushMatrix, glPopMatrix, glPushAttrib,
//    glPopAttrib, glEnable/glDisable(GL_LIGHTING) and glMaterial*; lightingUsed
//    says lighting was on at some moment of the draw (on at the start, or
//    switched on by it). These come from thin wrappers of those GL entry points
//    in this helper, which forward to the driver;
//  - texts: the view's text log entries the draw made (text, object point,
//    alignment, colour at that moment, node);
//  - warnings: what the view warned about (endGL finding unbalanced stacks...).
//
// After the capture the GL stacks are put back as they were, so one faulty draw
// does not spoil the next test. The draw runs once, or again from scratch when
// the feedback buffer overflowed (it then grows).
#pragma once

#include "graph/scene.h"
#include "view/viewport.h"

#include <maya/M3dView.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace rdtest {

struct Vertex {
    double x = 0, y = 0, z = 0;  // object space
    std::array<float, 4> color{};
};

struct Line {
    Vertex a, b;
    bool startsStrip = false;  // first segment of a strip or loop
};

struct Polygon {
    std::vector<Vertex> vertices;
};

struct StackDepths {
    int modelview = 0, projection = 0, attrib = 0;
    bool operator==(const StackDepths& o) const {
        return modelview == o.modelview && projection == o.projection && attrib == o.attrib;
    }
    bool operator!=(const StackDepths& o) const { return !(*this == o); }
};

struct GLCalls {
    int pushMatrix = 0, popMatrix = 0;
    int pushAttrib = 0, popAttrib = 0;
    int enableLighting = 0, disableLighting = 0;
    int material = 0;                       // glMaterialf, glMaterialfv, glMateriali, glMaterialiv
    std::vector<unsigned> pushAttribMasks;  // in call order
};

struct Box {
    bool empty = true;
    std::array<double, 3> min{}, max{};
};

struct Capture {
    std::vector<Line> lines;
    std::vector<Polygon> polygons;
    std::vector<Vertex> points;
    std::vector<Vertex> bitmaps;  // raster positions of glBitmap calls (text characters)
    std::vector<rdhost::TextRecord> texts;
    std::vector<std::string> warnings;

    StackDepths before, after;
    std::array<float, 4> colorAfter{};
    bool lightingAfter = false;
    bool lightingUsed = false;
    GLCalls calls;
    bool touchedExtent = false;

    bool balanced() const { return before == after; }
    // Bounds of every line and polygon vertex (points and bitmaps excluded).
    Box bounds() const;
    // Every line and polygon vertex, in emission order.
    std::vector<Vertex> vertices() const;
};

struct CaptureOptions {
    double extent = 100.0;  // half size of the captured box
    std::array<float, 4> startColor{1.0f, 1.0f, 1.0f, 1.0f};
    bool lightingAtStart = false;      // GL_LIGHTING when the draw starts (the viewport's is off)
    std::string nodeName = "capture";  // name the view uses in warnings and texts
};

// True when every line and polygon vertex is a finite point.
bool allFinite(const Capture& c);

// Expects the capture's bounds within 1e-4 of min and max on each axis; `what`
// names the case in a failure.
void expectBounds(const Capture& c, const double (&min)[3], const double (&max)[3], const std::string& what);

// Runs `draw` with an M3dView on the scene's viewport.
Capture captureDraw(rdhost::Scene& scene, const std::function<void(M3dView&)>& draw,
                    const CaptureOptions& options = {});

// Calls the node's draw as the viewport does: MPxLocatorNode::draw(view, path,
// style, status) with the node's DAG path, in the node's object space. The
// node must be a locator shape (its user node an MPxLocatorNode); otherwise the
// test fails and an empty capture is returned.
Capture captureNodeDraw(rdhost::Scene& scene, rdhost::Node* node,
                        M3dView::DisplayStyle style = M3dView::kGouraudShaded,
                        M3dView::DisplayStatus status = M3dView::kDormant, CaptureOptions options = {});

}  // namespace rdtest
