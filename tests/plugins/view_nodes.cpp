// Tiny locators for the viewport's tests, each drawing something known:
//  viewQuad       bounded (-1..1)^3: two red triangles making a square at z = 0.5,
//                 three green line segments, the text "quad" centred at (0, 1.2, 0)
//  viewMarker     unbounded: three blue line segments crossing at the origin
//  viewLeaky      inside its beginGL/endGL leaves a modelview push, an attribute
//                 push and the projection matrix mode behind
//  viewNoBracket  no beginGL/endGL at all; leaves a modelview push and lighting on
//  viewThrows     throws from draw
//  viewReach      unbounded, drawing away from its origin under a matrix of its
//                 own: a yellow line from (0, 0, 0) to (0, 10, 0) and, left
//                 aligned at (4, 0, 0), the text "reaching out to the right"
//  viewLit        lit white faces of a unit cube towards +X, +Y and +Z, with short
//                 normals (length 0.2), so only GL_NORMALIZE and a light at the
//                 camera make each face full white in the view that faces it
#include <maya/M3dView.h>
#include <maya/MBoundingBox.h>
#include <maya/MColor.h>
#include <maya/MDagPath.h>
#include <maya/MFnPlugin.h>
#include <maya/MPoint.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

#include <GL/gl.h>

#include <stdexcept>

namespace {

MStatus noAttributes() { return MS::kSuccess; }

class ViewQuad : public MPxLocatorNode {
public:
    static void* creator() { return new ViewQuad; }
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

class ViewMarker : public MPxLocatorNode {
public:
    static void* creator() { return new ViewMarker; }
    void draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle, M3dView::DisplayStatus) override {
        view.beginGL();
        view.setDrawColor(MColor(0.0f, 0.0f, 1.0f));
        glBegin(GL_LINES);
        glVertex3d(-0.5, 0, 0);
        glVertex3d(0.5, 0, 0);
        glVertex3d(0, -0.5, 0);
        glVertex3d(0, 0.5, 0);
        glVertex3d(0, 0, -0.5);
        glVertex3d(0, 0, 0.5);
        glEnd();
        view.endGL();
    }
    bool isBounded() const override { return false; }
};

class ViewReach : public MPxLocatorNode {
public:
    static void* creator() { return new ViewReach; }
    void draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle, M3dView::DisplayStatus) override {
        view.beginGL();
        glPushMatrix();
        glTranslated(0.0, 10.0, 0.0);
        view.setDrawColor(MColor(1.0f, 1.0f, 0.0f));
        glBegin(GL_LINES);
        glVertex3d(0, -10, 0);
        glVertex3d(0, 0, 0);
        glEnd();
        view.drawText("reaching out to the right", MPoint(4.0, -10.0, 0.0), M3dView::kLeft);
        glPopMatrix();
        view.endGL();
    }
    bool isBounded() const override { return false; }
};

class ViewLeaky : public MPxLocatorNode {
public:
    static void* creator() { return new ViewLeaky; }
    void draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle, M3dView::DisplayStatus) override {
        view.beginGL();
        glPushMatrix();
        glTranslated(100.0, 0.0, 0.0);
        glPushAttrib(GL_CURRENT_BIT);
        glMatrixMode(GL_PROJECTION);
        glMatrixMode(GL_MODELVIEW);
        glBegin(GL_LINES);
        glVertex3d(0, 0, 0);
        glVertex3d(0, 1, 0);
        glEnd();
        glMatrixMode(GL_PROJECTION);
        view.endGL();
    }
};

class ViewNoBracket : public MPxLocatorNode {
public:
    static void* creator() { return new ViewNoBracket; }
    void draw(M3dView&, const MDagPath&, M3dView::DisplayStyle, M3dView::DisplayStatus) override {
        glPushMatrix();
        glEnable(GL_LIGHTING);
    }
};

class ViewThrows : public MPxLocatorNode {
public:
    static void* creator() { return new ViewThrows; }
    void draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle, M3dView::DisplayStatus) override {
        view.beginGL();
        glPushMatrix();
        throw std::runtime_error("broken on purpose");
    }
};

class ViewLit : public MPxLocatorNode {
public:
    static void* creator() { return new ViewLit; }
    void draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle, M3dView::DisplayStatus) override {
        view.beginGL();
        glPushAttrib(GL_LIGHTING_BIT);
        glEnable(GL_LIGHTING);
        const GLfloat white[4] = {1, 1, 1, 1}, black[4] = {0, 0, 0, 1};
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
        glBegin(GL_QUADS);
        glNormal3d(0, 0, 0.2);  // +Z face
        glVertex3d(-1, -1, 1);
        glVertex3d(1, -1, 1);
        glVertex3d(1, 1, 1);
        glVertex3d(-1, 1, 1);
        glNormal3d(0.2, 0, 0);  // +X face
        glVertex3d(1, -1, -1);
        glVertex3d(1, 1, -1);
        glVertex3d(1, 1, 1);
        glVertex3d(1, -1, 1);
        glNormal3d(0, 0.2, 0);  // +Y face
        glVertex3d(-1, 1, -1);
        glVertex3d(-1, 1, 1);
        glVertex3d(1, 1, 1);
        glVertex3d(1, 1, -1);
        glEnd();
        glPopAttrib();
        view.endGL();
    }
    bool isBounded() const override { return true; }
    MBoundingBox boundingBox() const override {
        return MBoundingBox(MPoint(-1.0, -1.0, -1.0), MPoint(1.0, 1.0, 1.0));
    }
};

struct TypeEntry {
    const char* name;
    unsigned id;
    MCreatorFunction creator;
};

const TypeEntry kTypes[] = {
    {"viewQuad", 0x7f101, ViewQuad::creator},     {"viewMarker", 0x7f102, ViewMarker::creator},
    {"viewLeaky", 0x7f103, ViewLeaky::creator},   {"viewNoBracket", 0x7f104, ViewNoBracket::creator},
    {"viewThrows", 0x7f105, ViewThrows::creator}, {"viewLit", 0x7f106, ViewLit::creator},
    {"viewReach", 0x7f107, ViewReach::creator},
};

}  // namespace

extern "C" PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "rigDials tests", "1.0", "Any");
    for (const TypeEntry& t : kTypes) {
        MStatus s =
            plugin.registerNode(t.name, MTypeId(t.id), t.creator, noAttributes, MPxNode::kLocatorNode);
        if (!s) return s;
    }
    return MS::kSuccess;
}

extern "C" PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj);
    for (const TypeEntry& t : kTypes) plugin.deregisterNode(MTypeId(t.id));
    return MS::kSuccess;
}
