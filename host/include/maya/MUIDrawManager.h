// MUIDrawManager: what a draw override's addUIDrawables submits. Drawables are
// opened with beginDrawable() and closed with endDrawable(); inside one, the
// state set (colour, widths, styles, depth priority, font size) applies to
// the primitives that follow. endDrawable() puts the state back to its
// defaults. Positions are in the space the override's transform() gives.
// The host records the calls and draws them after addUIDrawables returns.
#pragma once

#include <maya/MColor.h>
#include <maya/MColorArray.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MUintArray.h>
#include <maya/MVector.h>
#include <maya/MVectorArray.h>

namespace rdhost {
struct UIDrawList;
}

namespace MHWRender {

class MUIDrawManager {
public:
    enum FontSize { kDefaultFontSize = 12, kSmallFontSize = 9 };
    enum TextAlignment { kLeft, kCenter, kRight };
    enum LineStyle { kSolid, kShortDotted, kShortDashed, kDashed, kDotted };
    enum PaintStyle { kFlat, kStippled, kShaded };
    enum Primitive { kPoints, kLines, kLineStrip, kClosedLine, kTriangles, kTriStrip };

    void beginDrawable();
    void endDrawable();

    void setColor(const MColor& color);
    void setPointSize(float value);
    void setLineWidth(float value);
    void setLineStyle(LineStyle style);
    void setPaintStyle(PaintStyle style);
    void setDepthPriority(unsigned int priority);
    void setFontSize(const unsigned int fontSize);

    void line(const MPoint& startPoint, const MPoint& endPoint);
    MStatus lineList(const MPointArray& points, bool draw2D);
    MStatus lineStrip(const MPointArray& points, bool draw2D);
    void point(const MPoint& point);
    void rect(const MPoint& center, const MVector& up, const MVector& normal, double scaleX, double scaleY,
              bool filled = false);
    void sphere(const MPoint& center, double radius, bool filled = false);
    void circle(const MPoint& center, const MVector& normal, double radius, bool filled = false);
    void arc(const MPoint& center, const MVector& start, const MVector& end, const MVector& normal,
             double radius, bool filled = false);
    void cone(const MPoint& base, const MVector& direction, double radius, double height,
              bool filled = false);
    void box(const MPoint& center, const MVector& up, const MVector& right, double scaleX = 1.0,
             double scaleY = 1.0, double scaleZ = 1.0, bool filled = false);
    void mesh(Primitive mode, const MPointArray& position, const MVectorArray* normal = NULL,
              const MColorArray* color = NULL, const MUintArray* index = NULL,
              const MPointArray* texcoord = NULL);
    void text(const MPoint& position, const MString& text, TextAlignment alignment = kLeft,
              const int* backgroundSize = NULL, const MColor* backgroundColor = NULL, bool dynamic = false);

    static const char* className() { return "MUIDrawManager"; }

    // Host side: a manager recording into `list`.
    explicit MUIDrawManager(rdhost::UIDrawList* list) : fList(list) {}

private:
    MUIDrawManager(const MUIDrawManager&) = delete;
    MUIDrawManager& operator=(const MUIDrawManager&) = delete;

    rdhost::UIDrawList* fList;
};

}  // namespace MHWRender
