#include "locator_layout.h"

#include "slider_parts.h"

#include <maya/MVector.h>

void primitiveLayout(const PrimitiveDrawValues& v, layout::Layout& out) {
    out.clear();
    const float r = v.colour.r, g = v.colour.g, b = v.colour.b;
    const float ambient[4] = {r * 0.5f, g * 0.5f, b * 0.5f, 1.0f};
    const float diffuse[4] = {r, g, b, 1.0f};
    const float specular[4] = {0.3f, 0.3f, 0.3f, 1.0f};

    // The sliders' shape mapping. It gives the rectangle its sizes crossed
    // (height as width), as saved rigs of the sliders expect; the locator's
    // rectangle is not, so its two sizes are handed over crossed back.
    const float radius = static_cast<float>(v.radius);
    const bool rectangle = v.type == kRectangle;
    const sliders::ShapeSizes sizes{radius,
                                    rectangle ? v.width : v.height,
                                    rectangle ? v.height : v.width,
                                    v.depth,
                                    v.innerRadius,
                                    v.outerRadius,
                                    v.slices,
                                    v.stacks};
    const layout::ShapeItem shape =
        sliders::shapeItem(v.type, sizes, v.drawType,
                           ShapeTransform(ShapeRotate(0.0, MVector(1.0, 0.0, 0.0)),
                                          ShapeTranslate(0.0f, 0.0f, 0.0f), ShapeScale(1.0f, 1.0f, 1.0f)),
                           ShapeMaterial(ambient, diffuse, specular, 30.0f));

    // The label sits on top of the shape: h is the height of the shape's top.
    float h = 0.0f;
    switch (v.type) {
    case kCube:
        h = static_cast<float>(v.radius * 0.5);
        break;
    case kSphere:
        h = radius;
        break;
    case kCone:
        h = v.height;
        break;
    case kTorus:
        h = v.innerRadius;
        break;
    case kRectangle:
        h = v.height * 0.5f;
        break;
    case kCylinder:
        h = v.depth * 0.5f;
        break;
    default:
        break;
    }

    layout::Builder draw(out);
    draw.shape(shape);
    // Set even when no label is drawn: the viewport colour is left at the
    // label colour either way.
    draw.colour(v.labelColour);
    if (v.showLabel == 1.0f) draw.text(v.label, MPoint(0.0, h, 0.0), M3dView::kCenter);
}
