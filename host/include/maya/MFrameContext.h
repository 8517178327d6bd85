// MFrameContext: what Viewport 2.0 tells a draw override about the refresh
// under way: the matrices, the viewport and the display style.
#pragma once

#include <maya/MMatrix.h>
#include <maya/MStatus.h>
#include <maya/MTypes.h>

namespace rdhost {
struct FrameState;
}

namespace MHWRender {

class MFrameContext {
public:
    enum MatrixType {
        kWorldMtx,
        kWorldTransposeMtx,
        kWorldInverseMtx,
        kWorldTranspInverseMtx,
        kViewMtx,
        kViewTransposeMtx,
        kViewInverseMtx,
        kViewTranspInverseMtx,
        kProjectionMtx,
        kProjectionTranposeMtx,
        kProjectionInverseMtx,
        kProjectionTranspInverseMtx,
        kViewProjMtx,
        kViewProjTransposeMtx,
        kViewProjInverseMtx,
        kViewProjTranspInverseMtx,
        kWorldViewMtx,
        kWorldViewTransposeMtx,
        kWorldViewInverseMtx,
        kWorldViewTranspInverseMtx,
        kWorldViewProjMtx,
        kWorldViewProjTransposeMtx,
        kWorldViewProjInverseMtx,
        kWorldViewProjTranspInverseMtx
    };

    enum DisplayStyle {
        kGouraudShaded = 1 << 0,
        kWireFrame = 1 << 1,
        kBoundingBox = 1 << 2,
        kTextured = 1 << 3,
        kDefaultMaterial = 1 << 4,
        kXrayJoint = 1 << 5,
        kXray = 1 << 6,
        kTwoSidedLighting = 1 << 7,
        kFlatShaded = 1 << 8
    };

    virtual ~MFrameContext();

    // A matrix of the refresh; kWorld... are the drawn object's world matrix
    // (identity when no object is being drawn). kInvalidParameter for a type
    // out of range.
    MMatrix getMatrix(MatrixType mtype, MStatus* ReturnStatus = NULL) const;
    MStatus getViewportDimensions(int& originX, int& originY, int& width, int& height) const;
    float getGlobalLineWidth() const;
    unsigned int getDisplayStyle() const;

    static const char* className() { return "MFrameContext"; }

    // Host side: the context of one refresh.
    explicit MFrameContext(const rdhost::FrameState* state) : fState(state) {}

protected:
    const rdhost::FrameState* fState = nullptr;

private:
    MFrameContext(const MFrameContext&) = delete;
    MFrameContext& operator=(const MFrameContext&) = delete;
};

}  // namespace MHWRender
