// Locators with Viewport 2.0 draw overrides, for the host's renderer tests:
//  vp2Quad       the picture of view_nodes' viewQuad drawn both ways: its legacy
//                draw in GL, its override through MUIDrawManager (two red
//                triangles making a square at z = 0.5, three green lines, the
//                text "quad" centred at (0, 1.2, 0) in blue 0.7); counts its
//                prepareForDraw calls and user data alive in vp2QuadStats()
//  vp2NullMaker  its override creator returns null; legacy draw: one line
//  vp2NoData     prepareForDraw returns null; addUIDrawables would draw a line
//  vp2Faulty     submits faults: a line outside any drawable, then inside one
//                a mesh with an index past its positions, a kTriangles mesh of
//                four vertices, and one good line (the only thing drawn)
//  vp2Legacy     no classification: drawn through its legacy draw (one line)
//  vp2Frame      one line both ways; its legacy draw notes the GL matrices,
//                viewport and display style it is drawn with, its override
//                what the frame context says, in user data deleted after use
#include <maya/M3dView.h>
#include <maya/MBoundingBox.h>
#include <maya/MColor.h>
#include <maya/MDagPath.h>
#include <maya/MDrawRegistry.h>
#include <maya/MFnPlugin.h>
#include <maya/MFrameContext.h>
#include <maya/MMatrix.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MPxDrawOverride.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>
#include <maya/MUIDrawManager.h>
#include <maya/MUintArray.h>
#include <maya/MUserData.h>

#include <GL/gl.h>

#include "vp2_nodes.h"

using namespace MHWRender;

namespace {

MStatus noAttributes() { return MS::kSuccess; }

Vp2NodeStats gStats;

void lineDraw(M3dView& view) {
    view.beginGL();
    glBegin(GL_LINES);
    glVertex3d(0, 0, 0);
    glVertex3d(1, 0, 0);
    glEnd();
    view.endGL();
}

class Quad : public MPxLocatorNode {
public:
    static void* creator() { return new Quad; }
    void draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle, M3dView::DisplayStatus) override {
        view.beginGL();
        view.setDrawColor(MColor(1.0f, 0.0f, 0.0f));
        glBegin(GL_TRIANGLES);
        glVertex3d(-1, -1, 0.5);
        glVertex3d(1, -1, 0.5);
        glVertex3d(1, 1, 0.5);
        glVertex3d(-1, -1, 0.5);
        glVertex3d(1, 1, 0.5);
        glVertex3d(-1, 1, 0.5);
        glEnd();
        view.setDrawColor(MColor(0.0f, 1.0f, 0.0f));
        glBegin(GL_LINES);
        glVertex3d(-1, -1, -1);
        glVertex3d(1, -1, -1);
        glVertex3d(-1, -1, -1);
        glVertex3d(-1, 1, -1);
        glVertex3d(-1, -1, -1);
        glVertex3d(-1, -1, 1);
        glEnd();
        view.setDrawColor(MColor(0.0f, 0.0f, 0.7f));
        view.drawText("quad", MPoint(0.0, 1.2, 0.0), M3dView::kCenter);
        view.endGL();
    }
    bool isBounded() const override { return true; }
    MBoundingBox boundingBox() const override {
        return MBoundingBox(MPoint(-1.0, -1.0, -1.0), MPoint(1.0, 1.0, 1.0));
    }
};

class LineNode : public MPxLocatorNode {
public:
    static void* creator() { return new LineNode; }
    void draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle, M3dView::DisplayStatus) override {
        lineDraw(view);
    }
};

class FrameNode : public MPxLocatorNode {
public:
    static void* creator() { return new FrameNode; }
    void draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle style, M3dView::DisplayStatus) override {
        FrameSeen& seen = gStats.legacy;
        glGetDoublev(GL_MODELVIEW_MATRIX, &seen.modelView[0][0]);
        glGetDoublev(GL_PROJECTION_MATRIX, &seen.projection[0][0]);
        glGetIntegerv(GL_VIEWPORT, seen.viewport);
        seen.displayStyle = style;
        lineDraw(view);
    }
};

struct FrameData : public MUserData {
    FrameData() : MUserData(true) {
        ++gStats.frameDataMade;
        ++gStats.frameDataAlive;
    }
    ~FrameData() override { --gStats.frameDataAlive; }
};

void copyMatrix(const MMatrix& m, double out[4][4]) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out[r][c] = m(r, c);
}

class FrameOverride : public MPxDrawOverride {
public:
    static MPxDrawOverride* creator(const MObject& obj) { return new FrameOverride(obj); }
    explicit FrameOverride(const MObject& obj) : MPxDrawOverride(obj, NULL) {}
    bool hasUIDrawables() const override { return true; }
    MUserData* prepareForDraw(const MDagPath&, const MDagPath&, const MFrameContext& frame,
                              MUserData* old) override {
        if (old) ++gStats.frameDataHandedBack;
        FrameSeen& seen = gStats.vp2;
        copyMatrix(frame.getMatrix(MFrameContext::kWorldViewMtx), seen.modelView);
        copyMatrix(frame.getMatrix(MFrameContext::kProjectionMtx), seen.projection);
        copyMatrix(frame.getMatrix(MFrameContext::kWorldViewProjMtx) *
                       frame.getMatrix(MFrameContext::kWorldViewProjInverseMtx),
                   seen.viewProjCheck);
        frame.getViewportDimensions(seen.viewport[0], seen.viewport[1], seen.viewport[2], seen.viewport[3]);
        seen.displayStyle = frame.getDisplayStyle();
        return new FrameData;
    }
    void addUIDrawables(const MDagPath&, MUIDrawManager& dm, const MFrameContext&,
                        const MUserData* data) override {
        if (!dynamic_cast<const FrameData*>(data)) return;
        dm.beginDrawable();
        dm.line(MPoint(0, 0, 0), MPoint(1, 0, 0));
        dm.endDrawable();
    }
};

struct QuadData : public MUserData {
    QuadData() : MUserData(false) { ++gStats.dataAlive; }
    ~QuadData() override { --gStats.dataAlive; }
    int prepared = 0;
};

class QuadOverride : public MPxDrawOverride {
public:
    static MPxDrawOverride* creator(const MObject& obj) { return new QuadOverride(obj); }
    explicit QuadOverride(const MObject& obj) : MPxDrawOverride(obj, NULL) { ++gStats.overridesAlive; }
    ~QuadOverride() override { --gStats.overridesAlive; }
    DrawAPI supportedDrawAPIs() const override { return kAllDevices; }
    bool hasUIDrawables() const override { return true; }
    bool isBounded(const MDagPath&, const MDagPath&) const override { return true; }
    MBoundingBox boundingBox(const MDagPath&, const MDagPath&) const override {
        return MBoundingBox(MPoint(-1.0, -1.0, -1.0), MPoint(1.0, 1.0, 1.0));
    }
    MUserData* prepareForDraw(const MDagPath&, const MDagPath&, const MFrameContext&,
                              MUserData* old) override {
        ++gStats.prepares;
        QuadData* data = dynamic_cast<QuadData*>(old);
        if (!data) data = new QuadData;
        ++data->prepared;
        return data;
    }
    void addUIDrawables(const MDagPath&, MUIDrawManager& dm, const MFrameContext&,
                        const MUserData*) override {
        dm.beginDrawable();
        dm.setColor(MColor(1.0f, 0.0f, 0.0f));
        MPointArray tri;
        for (const double* v : {kSquare[0], kSquare[1], kSquare[2], kSquare[0], kSquare[2], kSquare[3]})
            tri.append(MPoint(v[0], v[1], v[2]));
        dm.mesh(MUIDrawManager::kTriangles, tri);
        dm.setColor(MColor(0.0f, 1.0f, 0.0f));
        MPointArray lines;
        for (const double* v : {kEdge[0], kEdge[1], kEdge[0], kEdge[2], kEdge[0], kEdge[3]})
            lines.append(MPoint(v[0], v[1], v[2]));
        dm.lineList(lines, false);
        dm.setColor(MColor(0.0f, 0.0f, 0.7f));
        dm.text(MPoint(0.0, 1.2, 0.0), "quad", MUIDrawManager::kCenter);
        dm.endDrawable();
    }

private:
    static constexpr double kSquare[4][3] = {{-1, -1, 0.5}, {1, -1, 0.5}, {1, 1, 0.5}, {-1, 1, 0.5}};
    static constexpr double kEdge[4][3] = {{-1, -1, -1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}};
};

MPxDrawOverride* nullMaker(const MObject&) { return NULL; }

class NoDataOverride : public MPxDrawOverride {
public:
    static MPxDrawOverride* creator(const MObject& obj) { return new NoDataOverride(obj); }
    explicit NoDataOverride(const MObject& obj) : MPxDrawOverride(obj, NULL) {}
    bool hasUIDrawables() const override { return true; }
    MUserData* prepareForDraw(const MDagPath&, const MDagPath&, const MFrameContext&, MUserData*) override {
        return NULL;
    }
    void addUIDrawables(const MDagPath&, MUIDrawManager& dm, const MFrameContext&,
                        const MUserData*) override {
        dm.beginDrawable();
        dm.line(MPoint(0, 0, 0), MPoint(0, 1, 0));
        dm.endDrawable();
    }
};

class FaultyOverride : public MPxDrawOverride {
public:
    static MPxDrawOverride* creator(const MObject& obj) { return new FaultyOverride(obj); }
    explicit FaultyOverride(const MObject& obj) : MPxDrawOverride(obj, NULL) {}
    bool hasUIDrawables() const override { return true; }
    MUserData* prepareForDraw(const MDagPath&, const MDagPath&, const MFrameContext&,
                              MUserData* old) override {
        return old ? old : new MUserData(false);
    }
    void addUIDrawables(const MDagPath&, MUIDrawManager& dm, const MFrameContext&,
                        const MUserData*) override {
        dm.line(MPoint(0, 0, 0), MPoint(5, 5, 5));
        dm.beginDrawable();
        MPointArray three;
        three.append(0, 0, 0);
        three.append(1, 0, 0);
        three.append(0, 1, 0);
        MUintArray index;
        index.append(0);
        index.append(1);
        index.append(7);
        dm.mesh(MUIDrawManager::kTriangles, three, NULL, NULL, &index);
        MPointArray four(three);
        four.append(1, 1, 0);
        dm.mesh(MUIDrawManager::kTriangles, four);
        dm.line(MPoint(0, 0, 0), MPoint(0, 0, 1));
        dm.endDrawable();
    }
};

struct TypeEntry {
    const char* name;
    unsigned id;
    MCreatorFunction creator;
    const char* classification;  // null: none
    MDrawRegistry::DrawOverrideCreator overrideCreator;
};

const TypeEntry kTypes[] = {
    {"vp2Quad", 0x7f301, Quad::creator, "drawdb/geometry/rdtest/vp2Quad", QuadOverride::creator},
    {"vp2NullMaker", 0x7f302, LineNode::creator, "drawdb/geometry/rdtest/nullMaker", nullMaker},
    {"vp2NoData", 0x7f303, LineNode::creator, "drawdb/geometry/rdtest/noData", NoDataOverride::creator},
    {"vp2Faulty", 0x7f304, LineNode::creator, "drawdb/geometry/rdtest/faulty", FaultyOverride::creator},
    {"vp2Legacy", 0x7f305, LineNode::creator, NULL, NULL},
    {"vp2Frame", 0x7f306, FrameNode::creator, "drawdb/geometry/rdtest/frame", FrameOverride::creator},
};

const MString kRegistrant("rdtestVp2");

}  // namespace

extern "C" PLUGIN_EXPORT const Vp2NodeStats* vp2QuadStats() { return &gStats; }

extern "C" PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "rigDials tests", "1.0", "Any");
    for (const TypeEntry& t : kTypes) {
        const MString classification(t.classification ? t.classification : "");
        MStatus s = plugin.registerNode(t.name, MTypeId(t.id), t.creator, noAttributes, MPxNode::kLocatorNode,
                                        t.classification ? &classification : NULL);
        if (!s) return s;
        if (t.overrideCreator) {
            s = MDrawRegistry::registerDrawOverrideCreator(classification, kRegistrant, t.overrideCreator);
            if (!s) return s;
        }
    }
    return MS::kSuccess;
}

extern "C" PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj);
    for (const TypeEntry& t : kTypes) {
        if (t.overrideCreator) MDrawRegistry::deregisterDrawOverrideCreator(t.classification, kRegistrant);
        plugin.deregisterNode(MTypeId(t.id));
    }
    return MS::kSuccess;
}
