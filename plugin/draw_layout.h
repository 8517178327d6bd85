// What a node draws, apart from how it is drawn.
//
// Each node type turns the attribute values read for one draw into a Layout
// (a plain function: no GL, no viewport), and the layout is then submitted
// either to the legacy viewport (drawLegacy: the GL calls, state changes and
// stack use of the node's own draw, in its order) or to Viewport 2.0 (the draw
// overrides, through MUIDrawManager).
//
// A layout holds the drawn items, each with everything needed to draw it on
// its own (colour, line width, alignment), and the steps of the legacy draw:
// the items in issue order, with the draw-colour and line-attribute changes
// between them. A Builder records both: its calls read like the legacy draw,
// and each item takes the colour and width current at that point.
#pragma once

#include "shapes.h"

#include <maya/M3dView.h>
#include <maya/MColor.h>
#include <maya/MPoint.h>
#include <maya/MString.h>

#include <memory>
#include <vector>

namespace layout {

// A vertex as the legacy draw hands it to glVertex3f.
struct Vec3f {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// A slices or stacks count as the tessellated shapes hold it.
inline int heldCount(int count) { return count < 0 ? 0 : count > 50 ? 50 : count; }

// One marker shape, as the shape classes are built from it.
struct ShapeItem {
    ShapeKind kind = kNoShape;
    // Sizes in constructor order: cube {size}; sphere {radius}; cone {base,
    // height}; torus {innerRadius, outerRadius}; rectangle {width, height,
    // depth}; cylinder {height, baseRadius, topRadius}. Unused ones stay 0.
    float dims[3] = {0.0f, 0.0f, 0.0f};
    // Slices and stacks (the torus's sides and rings), held within 0..50 as
    // the shapes hold them. 0 for the cube and the rectangle.
    int slices = 0;
    int stacks = 0;
    short drawStyle = kSolid;
    ShapeTransform placement;
    ShapeMaterial material;
};

// The slider's track (two points drawn as one GL_LINES segment) or the arc
// (a line strip).
struct Polyline {
    std::vector<Vec3f> points;
    bool strip = false;
    float width = 1.0f;
    MColor colour;
};

// One graduation: a segment from the track outwards.
struct Tick {
    Vec3f foot;
    Vec3f tip;
    bool main = false;
    float width = 1.0f;
    MColor colour;
};

struct Text {
    MString text;
    MPoint position;
    M3dView::TextPosition align = M3dView::kCenter;
    MColor colour;
};

enum class Op {
    kShape,      // shapes[index]: its own colour or material, matrix and attribute pushes
    kColour,     // colours[index] becomes the draw colour
    kPushLines,  // the line attributes are saved, then the width becomes widths[index]
    kLineWidth,  // the width becomes widths[index]
    kPopLines,   // the line attributes saved last come back
    kPolyline,   // polylines[index]
    kTick,       // ticks[index]
    kText,       // texts[index]
};

struct Step {
    Op op;
    int index;
};

struct Layout {
    std::vector<ShapeItem> shapes;
    std::vector<Polyline> polylines;
    std::vector<Tick> ticks;
    std::vector<Text> texts;
    std::vector<MColor> colours;
    std::vector<float> widths;
    std::vector<Step> steps;

    void clear();
};

// Records a layout in legacy issue order, tracking the draw colour and the
// line width as GL would, so that every item carries the ones it is drawn in.
class Builder {
public:
    explicit Builder(Layout& out);

    void shape(const ShapeItem& item);
    void colour(const MColor& c);
    void pushLines(float width);
    void lineWidth(float width);
    void popLines();
    void polyline(std::vector<Vec3f> points, bool strip);
    void tick(const Vec3f& foot, const Vec3f& tip, bool main);
    void text(const MString& text, const MPoint& position, M3dView::TextPosition align);

private:
    Layout& out_;
    MColor colour_;
    float width_ = 1.0f;  // GL's initial line width
    std::vector<float> saved_;
};

// The shape an item describes, set up to draw; kNoShape and kinds outside the
// enum give a NoShape.
std::unique_ptr<Shape> makeShape(const ShapeItem& item);

// Issues the layout's steps as the legacy draw does, inside the caller's
// view.beginGL()/endGL().
void drawLegacy(const Layout& layout, M3dView& view, M3dView::DisplayStyle style);

}  // namespace layout
