// KelPrimitiveLocator: a marker locator drawn as one shape (cube, sphere, cone,
// torus, rectangle or cylinder) in wire, solid or lit style, with a text label.
// It has no outputs; every attribute only feeds the drawing.
#pragma once

#include <maya/M3dView.h>
#include <maya/MBoundingBox.h>
#include <maya/MDagPath.h>
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

#include "locator_layout.h"

class KelPrimitiveLocator : public MPxLocatorNode {
public:
    // Nothing to compute: every plug is declined with kUnknownParameter.
    MStatus compute(const MPlug& plug, MDataBlock& data) override;
    void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
              M3dView::DisplayStatus status) override;
    bool isBounded() const override;
    MBoundingBox boundingBox() const override;

    // What one draw uses, read through the node's plugs; the legacy draw and
    // the Viewport 2.0 override both read it here.
    static PrimitiveDrawValues readDrawValues(const MObject& node);
    // The node's bounding box, read through its plugs.
    static MBoundingBox boundsOf(const MObject& node);

    static void* creator();
    static MStatus initialize();

    static MTypeId id;

    // Attribute handles, in creation order.
    static MObject displayLabel;
    static MObject label;
    static MObject labelColorR;
    static MObject labelColorG;
    static MObject labelColorB;
    static MObject labelColor;
    static MObject colorR;
    static MObject colorG;
    static MObject colorB;
    static MObject color;
    static MObject type;
    static MObject drawType;
    static MObject radius;
    static MObject slices;
    static MObject stacks;
    static MObject width;
    static MObject height;
    static MObject depth;
    static MObject innerRadius;
    static MObject outerRadius;
};
