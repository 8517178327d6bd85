#include "draw_overrides.h"

#include "arcslider/arc_slider.h"
#include "draw_layout.h"
#include "locator.h"
#include "shape_mesh.h"
#include "slider/slider.h"

#include <maya/MBoundingBox.h>
#include <maya/MColor.h>
#include <maya/MDagPath.h>
#include <maya/MFrameContext.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MUIDrawManager.h>
#include <maya/MUintArray.h>
#include <maya/MUserData.h>
#include <maya/MVector.h>
#include <maya/MVectorArray.h>
#include <maya/MViewport2Renderer.h>

#include <vector>

namespace overrides {

const MString kPrimitiveClassification("drawdb/geometry/rigDials/kelPrimitiveLocator");
const MString kSliderClassification("drawdb/geometry/rigDials/kelSlider");
const MString kArcSliderClassification("drawdb/geometry/rigDials/kelArcSlider");
const MString kRegistrant("rigDials");

namespace {

using MHWRender::MUIDrawManager;

// A shape's mesh as the draw manager takes it.
struct ShapeBuffers {
    layout::ShapeItem item;  // what the buffers were built for
    bool built = false;
    bool lines = false;
    MPointArray positions;
    MVectorArray normals;
    MUintArray indices;
};

// What one draw of a node needs, kept from one refresh to the next: the
// host hands it back as oldData, so unchanged shapes keep their meshes.
class LayoutData : public MUserData {
public:
    LayoutData() : MUserData(false) {}

    layout::Layout layout;
    std::vector<ShapeBuffers> shapes;  // one per layout.shapes

    // Builds the meshes of shapes whose geometry changed since the last draw.
    void updateMeshes() {
        shapes.resize(layout.shapes.size());
        for (size_t i = 0; i < layout.shapes.size(); ++i) {
            const layout::ShapeItem& item = layout.shapes[i];
            ShapeBuffers& b = shapes[i];
            if (b.built && meshes::sameGeometry(b.item, item)) {
                b.item = item;  // colour and style may still differ
                continue;
            }
            b.item = item;
            b.built = true;
            const meshes::Mesh m = meshes::shapeMesh(item);
            b.lines = m.lines;
            b.positions.clear();
            b.normals.clear();
            b.indices.clear();
            for (const meshes::Vec3& p : m.positions) b.positions.append(MPoint(p.x, p.y, p.z));
            for (const meshes::Vec3& n : m.normals) b.normals.append(MVector(n.x, n.y, n.z));
            for (unsigned index : m.indices) b.indices.append(index);
        }
    }
};

MUIDrawManager::TextAlignment alignment(M3dView::TextPosition position) {
    switch (position) {
    case M3dView::kLeft:
        return MUIDrawManager::kLeft;
    case M3dView::kRight:
        return MUIDrawManager::kRight;
    default:
        return MUIDrawManager::kCenter;
    }
}

bool sameColour(const MColor& a, const MColor& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

MPoint point(const layout::Vec3f& v) { return MPoint(v.x, v.y, v.z); }

void drawShape(MUIDrawManager& draw, const ShapeBuffers& b) {
    if (b.indices.length() == 0) return;
    const float* d = b.item.material.diffuse;
    draw.beginDrawable();
    draw.setColor(MColor(d[0], d[1], d[2], 1.0f));
    if (b.lines) {
        draw.mesh(MUIDrawManager::kLines, b.positions, nullptr, nullptr, &b.indices);
    } else if (b.item.drawStyle == kSmooth) {
        // Lit, as the legacy draw lights it with its material.
        draw.setPaintStyle(MUIDrawManager::kShaded);
        draw.mesh(MUIDrawManager::kTriangles, b.positions, &b.normals, nullptr, &b.indices);
    } else {
        draw.setPaintStyle(MUIDrawManager::kFlat);
        draw.mesh(MUIDrawManager::kTriangles, b.positions, nullptr, nullptr, &b.indices);
    }
    draw.endDrawable();
}

void drawLines(MUIDrawManager& draw, const MColor& colour, float width, const MPointArray& points) {
    draw.beginDrawable();
    draw.setColor(colour);
    draw.setLineWidth(width);
    draw.lineList(points, false);
    draw.endDrawable();
}

// The layout's items in the legacy order, each with its own colour and
// width; consecutive ticks of one colour and width go as one line list.
void submit(const LayoutData& data, MUIDrawManager& draw) {
    const layout::Layout& l = data.layout;
    MPointArray tickRun;
    const layout::Tick* runStart = nullptr;
    const auto flushTicks = [&] {
        if (runStart && tickRun.length() > 0) drawLines(draw, runStart->colour, runStart->width, tickRun);
        tickRun.clear();
        runStart = nullptr;
    };
    for (const layout::Step& step : l.steps) {
        if (step.op == layout::Op::kTick) {
            const layout::Tick& tick = l.ticks[step.index];
            if (runStart && (runStart->width != tick.width || !sameColour(runStart->colour, tick.colour)))
                flushTicks();
            if (!runStart) runStart = &tick;
            tickRun.append(point(tick.foot));
            tickRun.append(point(tick.tip));
            continue;
        }
        switch (step.op) {
        case layout::Op::kShape:
            flushTicks();
            drawShape(draw, data.shapes[step.index]);
            break;
        case layout::Op::kPolyline: {
            flushTicks();
            const layout::Polyline& line = l.polylines[step.index];
            MPointArray points;
            if (line.strip) {
                for (size_t i = 0; i + 1 < line.points.size(); ++i) {
                    points.append(point(line.points[i]));
                    points.append(point(line.points[i + 1]));
                }
            } else {
                for (size_t i = 0; i + 1 < line.points.size(); i += 2) {
                    points.append(point(line.points[i]));
                    points.append(point(line.points[i + 1]));
                }
            }
            if (points.length() > 0) drawLines(draw, line.colour, line.width, points);
            break;
        }
        case layout::Op::kText: {
            flushTicks();
            const layout::Text& text = l.texts[step.index];
            draw.beginDrawable();
            draw.setColor(text.colour);
            draw.text(text.position, text.text, alignment(text.align));
            draw.endDrawable();
            break;
        }
        default:  // colour and line-width changes: every item carries its own
            break;
        }
    }
    flushTicks();
}

using FillLayout = void (*)(const MObject& node, layout::Layout& out);
using Bounds = bool (*)(const MObject& node, MBoundingBox& box);

class LayoutDrawOverride : public MHWRender::MPxDrawOverride {
public:
    LayoutDrawOverride(const MObject& node, FillLayout fill, Bounds bounds)
        : MPxDrawOverride(node, nullptr), fill_(fill), bounds_(bounds) {}

    MHWRender::DrawAPI supportedDrawAPIs() const override { return MHWRender::kAllDevices; }
    bool hasUIDrawables() const override { return true; }

    bool isBounded(const MDagPath& objPath, const MDagPath&) const override {
        MBoundingBox box;
        return bounds_(objPath.node(), box);
    }
    MBoundingBox boundingBox(const MDagPath& objPath, const MDagPath&) const override {
        MBoundingBox box;
        bounds_(objPath.node(), box);
        return box;
    }

    MUserData* prepareForDraw(const MDagPath& objPath, const MDagPath&, const MHWRender::MFrameContext&,
                              MUserData* oldData) override {
        LayoutData* data = dynamic_cast<LayoutData*>(oldData);
        if (!data) data = new LayoutData();
        fill_(objPath.node(), data->layout);
        data->updateMeshes();
        return data;
    }

    void addUIDrawables(const MDagPath&, MUIDrawManager& drawManager, const MHWRender::MFrameContext&,
                        const MUserData* data) override {
        const LayoutData* layoutData = dynamic_cast<const LayoutData*>(data);
        if (layoutData) submit(*layoutData, drawManager);
    }

private:
    FillLayout fill_;
    Bounds bounds_;
};

void fillPrimitive(const MObject& node, layout::Layout& out) {
    primitiveLayout(KelPrimitiveLocator::readDrawValues(node), out);
}
void fillSlider(const MObject& node, layout::Layout& out) {
    sliderLayout(KelSliderManipulator::readDrawValues(node), out);
}
void fillArcSlider(const MObject& node, layout::Layout& out) {
    arcSliderLayout(KelArcSliderManipulator::readDrawValues(node), out);
}

// As the nodes answer: the primitive locator is bounded by its cube, the
// sliders are not bounded.
bool primitiveBounds(const MObject& node, MBoundingBox& box) {
    box = KelPrimitiveLocator::boundsOf(node);
    return true;
}
bool unbounded(const MObject&, MBoundingBox&) { return false; }

}  // namespace

MHWRender::MPxDrawOverride* createPrimitiveOverride(const MObject& node) {
    return new LayoutDrawOverride(node, fillPrimitive, primitiveBounds);
}
MHWRender::MPxDrawOverride* createSliderOverride(const MObject& node) {
    return new LayoutDrawOverride(node, fillSlider, unbounded);
}
MHWRender::MPxDrawOverride* createArcSliderOverride(const MObject& node) {
    return new LayoutDrawOverride(node, fillArcSlider, unbounded);
}

}  // namespace overrides
