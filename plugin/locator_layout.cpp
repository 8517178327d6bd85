#include "locator_layout.h"

#include <maya/MVector.h>

void primitiveLayout(const PrimitiveDrawValues& v, layout::Layout& out) {
    out.clear();
    const float r = v.colour.r, g = v.colour.g, b = v.colour.b;
    const float ambient[4] = {r * 0.5f, g * 0.5f, b * 0.5f, 1.0f};
    const float diffuse[4] = {r, g, b, 1.0f};
    const float specular[4] = {0.3f, 0.3f, 0.3f, 1.0f};

    layout::ShapeItem shape;
    shape.material = ShapeMaterial(ambient, diffuse, specular, 30.0f);
    shape.placement = ShapeTransform(ShapeRotate(0.0, MVector(1.0, 0.0, 0.0)),
                                     ShapeTranslate(0.0f, 0.0f, 0.0f), ShapeScale(1.0f, 1.0f, 1.0f));
    shape.drawStyle = static_cast<short>(v.drawType);

    // The label sits on top of the shape: h is the height of the shape's top.
    float h = 0.0f;
    const float radius = static_cast<float>(v.radius);
    const auto set = [&](ShapeKind kind, float a, float b2, float c, bool tessellated) {
        shape.kind = kind;
        shape.dims[0] = a;
        shape.dims[1] = b2;
        shape.dims[2] = c;
        shape.slices = tessellated ? layout::heldCount(v.slices) : 0;
        shape.stacks = tessellated ? layout::heldCount(v.stacks) : 0;
    };
    switch (v.type) {
    case kCube:
        set(kCube, radius, 0.0f, 0.0f, false);
        h = static_cast<float>(v.radius * 0.5);
        break;
    case kSphere:
        set(kSphere, radius, 0.0f, 0.0f, true);
        h = radius;
        break;
    case kCone:
        set(kCone, radius, v.height, 0.0f, true);
        h = v.height;
        break;
    case kTorus:
        set(kTorus, v.innerRadius, v.outerRadius, 0.0f, true);
        h = v.innerRadius;
        break;
    case kRectangle:
        set(kRectangle, v.width, v.height, v.depth, false);
        h = v.height * 0.5f;
        break;
    case kCylinder:
        set(kCylinder, v.depth, v.innerRadius, v.outerRadius, true);
        h = v.depth * 0.5f;
        break;
    default:
        set(kNoShape, 0.0f, 0.0f, 0.0f, false);
        break;
    }

    layout::Builder draw(out);
    draw.shape(shape);
    // Set even when no label is drawn: the viewport colour is left at the
    // label colour either way.
    draw.colour(v.labelColour);
    if (v.showLabel == 1.0f) draw.text(v.label, MPoint(0.0, h, 0.0), M3dView::kCenter);
}
