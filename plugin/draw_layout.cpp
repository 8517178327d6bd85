#include "draw_layout.h"

#include <GL/gl.h>

#include <memory>
#include <utility>

namespace layout {

void Layout::clear() {
    shapes.clear();
    polylines.clear();
    ticks.clear();
    texts.clear();
    colours.clear();
    widths.clear();
    steps.clear();
}

Builder::Builder(Layout& out) : out_(out), colour_(1.0f, 1.0f, 1.0f, 1.0f) {}

void Builder::shape(const ShapeItem& item) {
    out_.steps.push_back({Op::kShape, static_cast<int>(out_.shapes.size())});
    out_.shapes.push_back(item);
    // A wire or solid shape leaves its colour current (see Shape::beginDraw);
    // a lit one and the empty shape leave the colour alone.
    if (item.kind >= kCube && item.kind <= kCylinder && item.drawStyle != kSmooth) {
        const float* d = item.material.diffuse;
        colour_ = MColor(d[0], d[1], d[2], 1.0f);
    }
}

void Builder::colour(const MColor& c) {
    out_.steps.push_back({Op::kColour, static_cast<int>(out_.colours.size())});
    out_.colours.push_back(c);
    colour_ = c;
}

void Builder::pushLines(float width) {
    saved_.push_back(width_);
    out_.steps.push_back({Op::kPushLines, static_cast<int>(out_.widths.size())});
    out_.widths.push_back(width);
    width_ = width;
}

void Builder::lineWidth(float width) {
    out_.steps.push_back({Op::kLineWidth, static_cast<int>(out_.widths.size())});
    out_.widths.push_back(width);
    width_ = width;
}

void Builder::popLines() {
    out_.steps.push_back({Op::kPopLines, -1});
    if (!saved_.empty()) {
        width_ = saved_.back();
        saved_.pop_back();
    }
}

void Builder::polyline(std::vector<Vec3f> points, bool strip) {
    out_.steps.push_back({Op::kPolyline, static_cast<int>(out_.polylines.size())});
    out_.polylines.push_back({std::move(points), strip, width_, colour_});
}

void Builder::tick(const Vec3f& foot, const Vec3f& tip, bool main) {
    out_.steps.push_back({Op::kTick, static_cast<int>(out_.ticks.size())});
    out_.ticks.push_back({foot, tip, main, width_, colour_});
}

void Builder::text(const MString& text, const MPoint& position, M3dView::TextPosition align) {
    out_.steps.push_back({Op::kText, static_cast<int>(out_.texts.size())});
    out_.texts.push_back({text, position, align, colour_});
}

std::unique_ptr<Shape> makeShape(const ShapeItem& s) {
    std::unique_ptr<Shape> shape;
    switch (s.kind) {
    case kCube:
        shape = std::make_unique<CubeShape>(s.dims[0]);
        break;
    case kSphere:
        shape = std::make_unique<SphereShape>(s.dims[0], s.slices, s.stacks);
        break;
    case kCone:
        shape = std::make_unique<ConeShape>(s.dims[0], s.dims[1], s.slices, s.stacks);
        break;
    case kTorus:
        shape = std::make_unique<TorusShape>(s.dims[0], s.dims[1], s.slices, s.stacks);
        break;
    case kRectangle:
        shape = std::make_unique<RectangleShape>(s.dims[0], s.dims[1], s.dims[2]);
        break;
    case kCylinder:
        shape = std::make_unique<CylinderShape>(s.dims[0], s.dims[1], s.dims[2], s.slices, s.stacks);
        break;
    default:
        shape = std::make_unique<NoShape>();
        break;
    }
    shape->set(s.drawStyle, s.placement, s.material);
    return shape;
}

namespace {

void vertex(const Vec3f& v) { glVertex3f(v.x, v.y, v.z); }

}  // namespace

void drawLegacy(const Layout& layout, M3dView& view, M3dView::DisplayStyle style) {
    for (const Step& step : layout.steps) {
        switch (step.op) {
        case Op::kShape:
            makeShape(layout.shapes[step.index])->draw(view, style);
            break;
        case Op::kColour:
            view.setDrawColor(layout.colours[step.index]);
            break;
        case Op::kPushLines:
            glPushAttrib(GL_LINE_BIT);
            glLineWidth(layout.widths[step.index]);
            break;
        case Op::kLineWidth:
            glLineWidth(layout.widths[step.index]);
            break;
        case Op::kPopLines:
            glPopAttrib();
            break;
        case Op::kPolyline: {
            const Polyline& line = layout.polylines[step.index];
            glBegin(line.strip ? GL_LINE_STRIP : GL_LINES);
            for (const Vec3f& p : line.points) vertex(p);
            glEnd();
            break;
        }
        case Op::kTick: {
            const Tick& tick = layout.ticks[step.index];
            glBegin(GL_LINES);
            vertex(tick.foot);
            vertex(tick.tip);
            glEnd();
            break;
        }
        case Op::kText: {
            const Text& text = layout.texts[step.index];
            view.drawText(text.text, text.position, text.align);
            break;
        }
        }
    }
}

}  // namespace layout
