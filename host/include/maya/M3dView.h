#pragma once
// M3dView: a 3D viewport. Nodes draw into it with OpenGL between beginGL() and
// endGL(), set the current colour with setDrawColor() and place bitmap text at
// object-space points with drawText().

#include <maya/MColor.h>
#include <maya/MPoint.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

namespace rdhost {
struct Viewport;
}

class M3dView {
public:
    enum DisplayStyle {
        kBoundingBox = 0,
        kFlatShaded = 1,
        kGouraudShaded = 2,
        kWireFrame = 3,
        kPoints = 4,
    };

    enum DisplayStatus {
        kActive = 0,
        kLive = 1,
        kDormant = 2,
        kInvisible = 3,
        kHilite = 4,
        kTemplate = 5,
        kActiveTemplate = 6,
        kActiveComponent = 7,
        kLead = 8,
        kIntermediateObject = 9,
        kActiveAffected = 10,
        kNoStatus = 11,
    };

    enum TextPosition {
        kLeft = 0,
        kCenter = 1,
        kRight = 2,
    };

    M3dView();
    virtual ~M3dView();

    // The viewport currently being drawn (or the scene's main view outside a
    // refresh).
    static M3dView active3dView(MStatus* ReturnStatus = NULL);

    // Bracket a node's GL drawing. endGL() warns, naming the node, when the
    // matrix or attribute stacks are not as beginGL() found them, and restores
    // them.
    MStatus beginGL();
    MStatus endGL();

    MStatus setDrawColor(const MColor& color);

    // Bitmap text at an object-space point, aligned on its measured width.
    MStatus drawText(const MString& text, const MPoint position, TextPosition textPosition = kLeft);

    int portWidth(MStatus* ReturnStatus = NULL);
    int portHeight(MStatus* ReturnStatus = NULL);

    // Stand-in internal: the host's viewport this handle draws into. Not part of
    // the SDK's interface; plug-ins never touch it.
    explicit M3dView(rdhost::Viewport* viewport) : fViewport(viewport) {}
    rdhost::Viewport* viewport() const { return fViewport; }

private:
    rdhost::Viewport* fViewport = nullptr;
};
