#include "floor.h"

#include "bench_scene.h"
#include "view/gl_context.h"
#include "view/viewport.h"

#include <maya/M3dView.h>
#include <maya/MAngle.h>
#include <maya/MColor.h>
#include <maya/MDagPath.h>
#include <maya/MPoint.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MQuaternion.h>
#include <maya/MString.h>
#include <maya/MVector.h>

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>

namespace bench {

namespace {

void* const kFont = GLUT_BITMAP_8_BY_13;  // the viewport's text font

// ------------------------------------------------------------ reading values
// Setup only: the floor's draw never reads attributes.

double num(rdhost::Node* n, const char* attr) {
    rdhost::Attr* a = n->findAttr(attr);
    if (!a) fail(std::string("floor: no attribute ") + attr);
    const double v = n->getNumber(a->index);
    return std::isfinite(v) ? v : 0.0;
}
float flt(rdhost::Node* n, const char* attr) { return static_cast<float>(num(n, attr)); }
int whole(rdhost::Node* n, const char* attr) {
    const float v = flt(n, attr);
    if (v >= static_cast<float>(INT_MAX) || v <= static_cast<float>(INT_MIN))
        fail("floor: count out of range");
    return static_cast<int>(v);
}
std::string str(rdhost::Node* n, const char* attr) { return n->getString(n->findAttr(attr)->index); }

void rgb(rdhost::Node* n, const char* r, const char* g, const char* b, float out[4]) {
    out[0] = flt(n, r);
    out[1] = flt(n, g);
    out[2] = flt(n, b);
    out[3] = 1.0f;
}

void material(FloorShape& s, const float c[3], float ambientScale, float specularLevel, float shininess) {
    for (int i = 0; i < 3; ++i) {
        s.ambient[i] = c[i] * ambientScale;
        s.diffuse[i] = c[i];
        s.specular[i] = specularLevel;
    }
    s.ambient[3] = s.diffuse[3] = s.specular[3] = 1.0f;
    s.shininess = shininess;
}

void place(FloorShape& s, const MVector& at, double degrees, const MVector& axis, float scale) {
    s.scale[0] = s.scale[1] = s.scale[2] = scale;
    s.translate[0] = static_cast<float>(at.x);
    s.translate[1] = static_cast<float>(at.y);
    s.translate[2] = static_cast<float>(at.z);
    s.angle = degrees;
    s.axis[0] = axis.x;
    s.axis[1] = axis.y;
    s.axis[2] = axis.z;
}

struct Sizes {
    float radius, height, width, depth, inner, outer;
    int slices, stacks;
};

Sizes sizes(rdhost::Node* n, const char* prefix) {
    auto name = [&](const char* suffix) { return std::string(prefix) + suffix; };
    Sizes s;
    s.radius = flt(n, name("Radius").c_str());
    s.height = flt(n, name("Height").c_str());
    s.width = flt(n, name("Width").c_str());
    s.depth = flt(n, name("Depth").c_str());
    s.inner = flt(n, name("InnerRadius").c_str());
    s.outer = flt(n, name("OuterRadius").c_str());
    s.slices = whole(n, name("Slices").c_str());
    s.stacks = whole(n, name("Stacks").c_str());
    return s;
}

// The sliders' shape by its enum code (rectangle and cylinder take their
// sizes crossed, as the plug-in does).
void sliderShape(FloorShape& s, int code, int style, const Sizes& z) {
    s.kind = (code >= 1 && code <= 6) ? code : 0;
    s.style = style;
    s.slices = z.slices;
    s.stacks = z.stacks;
    switch (s.kind) {
    case 1:
        s.a = z.radius;
        break;
    case 2:
        s.a = z.radius;
        break;
    case 3:
        s.a = z.radius;
        s.b = z.height;
        break;
    case 4:
        s.a = z.inner;
        s.b = z.outer;
        break;
    case 5:
        s.a = z.height;
        s.b = z.width;
        s.c = z.depth;
        break;
    case 6:
        s.a = z.depth;
        s.b = z.inner;
        s.c = z.outer;
        break;
    default:
        break;
    }
}

FloorText text(const MString& t, const MPoint& p0) {
    MPoint p = p0;
    p.cartesianize();
    return FloorText{t.asChar(), p.x, p.y, p.z};
}

// ------------------------------------------------------------ the three types

FloorNode locatorFloor(rdhost::Node* n) {
    FloorNode f;
    f.type = 0;
    const float showLabel = flt(n, "displayLabel");
    rgb(n, "labelColorR", "labelColorG", "labelColorB", f.labelColor);
    const std::string labelText = str(n, "label");
    const int type = whole(n, "type");
    const int style = whole(n, "drawType");
    const double radius = num(n, "radius");
    const int slices = std::min(whole(n, "slices"), 50);
    const int stacks = std::min(whole(n, "stacks"), 50);
    const float height = flt(n, "height"), width = flt(n, "width"), depth = flt(n, "depth");
    const float inner = flt(n, "innerRadius"), outer = flt(n, "outerRadius");
    const float c[3] = {flt(n, "colorR"), flt(n, "colorG"), flt(n, "colorB")};

    FloorShape& s = f.shapes[0];
    material(s, c, 0.5f, 0.3f, 30.0f);
    place(s, MVector(0, 0, 0), 0.0, MVector(1, 0, 0), 1.0f);
    s.kind = type >= 1 && type <= 6 ? type : 0;
    s.style = style;
    s.slices = slices;
    s.stacks = stacks;
    const float r = static_cast<float>(radius);
    float h = 0.0f;
    switch (s.kind) {
    case 1:
        s.a = r;
        h = static_cast<float>(radius * 0.5);
        break;
    case 2:
        s.a = r;
        h = r;
        break;
    case 3:
        s.a = r;
        s.b = height;
        h = height;
        break;
    case 4:
        s.a = inner;
        s.b = outer;
        h = inner;
        break;
    case 5:
        s.a = width;
        s.b = height;
        s.c = depth;
        h = height * 0.5f;
        break;
    case 6:
        s.a = depth;
        s.b = inner;
        s.c = outer;
        h = depth * 0.5f;
        break;
    default:
        break;
    }
    f.shapeCount = s.kind ? 1 : 0;
    f.showLabel = showLabel == 1.0f;
    f.label = text(MString(labelText.c_str()), MPoint(0.0, h, 0.0));
    return f;
}

MString valueText(float value) {
    MString t;
    t.set(static_cast<double>(value));
    return t.substring(0, 4);
}

FloorNode sliderFloor(rdhost::Node* n) {
    FloorNode f;
    f.type = 1;
    const float sz = flt(n, "size"), sv = flt(n, "startValue"), ev = flt(n, "endValue");
    const float cv = flt(n, "currentValue");
    const float showLabel = flt(n, "displayLabel");
    rgb(n, "labelColorR", "labelColorG", "labelColorB", f.labelColor);
    const std::string labelText = str(n, "label");
    const int valueMode = whole(n, "displayValue");
    rgb(n, "valueColorR", "valueColorG", "valueColorB", f.valueColor);
    const float showLine = flt(n, "displayLine");
    const int lineWidthPx = whole(n, "lineWidth");
    rgb(n, "lineColorR", "lineColorG", "lineColorB", f.lineColor);
    const int snapMode = whole(n, "snap");
    const int showSnap = whole(n, "displaySnap");
    const float snapStep = flt(n, "snapValue");
    if (showSnap == 1 && snapMode != 0 && snapStep != 0.0f && valueMode != 0)
        fail("floor: the slider floor does not draw graduations; leave snap off");
    const float psx = flt(n, "posStartX"), psy = flt(n, "posStartY"), psz = flt(n, "posStartZ");
    const float pex = flt(n, "posEndX"), pey = flt(n, "posEndY"), pez = flt(n, "posEndZ");
    const float dist = flt(n, "distance");
    const float r = flt(n, "ratio");
    const int headStyle = whole(n, "headDrawType"), handleStyle = whole(n, "handleDrawType");
    const int startType = whole(n, "startHeadType"), endType = whole(n, "endHeadType");
    const int handleType = whole(n, "handleType");
    const Sizes head = sizes(n, "head"), handle = sizes(n, "handle");
    const float hc[3] = {flt(n, "headColorR"), flt(n, "headColorG"), flt(n, "headColorB")};
    const float ac[3] = {flt(n, "handleColorR"), flt(n, "handleColorG"), flt(n, "handleColorB")};

    const MVector S(psx, psy, psz), E(pex, pey, pez);
    const MVector d = E - S;
    MVector u = d;
    u.normalize();
    const float h = head.height;
    const MVector labelPoint = sz * (S - h * u);
    const MVector valuePoint = sz * (E + h * u);
    const MVector handleOffset = S + r * d;
    const MVector up(0.0, 1.0, 0.0);
    MVector axis = up ^ d;
    if (axis.length() == 0.0) axis = MVector(1.0, 0.0, 0.0);
    double deg = MAngle(up.angle(d), MAngle::kRadians).asDegrees();
    if (!std::isfinite(deg)) deg = 0.0;

    sliderShape(f.shapes[0], handleType, handleStyle, handle);
    material(f.shapes[0], ac, 0.5f, 0.1f, 10.0f);
    place(f.shapes[0], handleOffset, deg, axis, sz);
    sliderShape(f.shapes[1], startType, headStyle, head);
    material(f.shapes[1], hc, 0.5f, 0.1f, 10.0f);
    place(f.shapes[1], S, deg - 180.0, axis, sz);
    sliderShape(f.shapes[2], endType, headStyle, head);
    material(f.shapes[2], hc, 0.5f, 0.1f, 10.0f);
    place(f.shapes[2], E, deg, axis, sz);
    f.shapeCount = 3;

    f.line = showLine == 1.0f;
    f.lineWidth = static_cast<float>(lineWidthPx);
    f.lineVertices = {{0.0f, 0.0f, 0.0f}, {0.0f, pey * sz, 0.0f}};

    f.showLabel = showLabel == 1.0f;
    f.label = text(MString(labelText.c_str()), MPoint(labelPoint));
    if (valueMode == 3) {
        const float third = sz * 0.33333334f;
        f.values.push_back(text(valueText(cv), MPoint(valuePoint)));
        f.values.push_back(text(valueText(sv), MPoint(S.x, S.y, S.z - third)));
        f.values.push_back(text(valueText(ev), MPoint(sz * E.x, sz * E.y, sz * E.z - third)));
    } else if (valueMode == 1) {
        f.values.push_back(text(valueText(r), MPoint(valuePoint)));
    } else if (valueMode == 2) {
        f.values.push_back(text(valueText(dist), MPoint(valuePoint)));
    } else if (valueMode != 0) {
        f.values.push_back(text(MString(), MPoint(valuePoint)));
    }
    return f;
}

MVector arcPoint(float radius, float angle) {
    return MVector(radius * std::cos(angle), 0.0, -radius * std::sin(angle));
}

MString twoPlaces(double v) {
    MString t;
    t.set(v, 2);
    return t;
}

void arcRotate(FloorShape& s, double angle, const MVector& axis) {
    const double length = axis.length();
    if (!(length > 0.0) || !std::isfinite(length)) {
        s.angle = 0.0;
        s.axis[0] = 0.0, s.axis[1] = 1.0, s.axis[2] = 0.0;
    } else {
        s.angle = angle;
        s.axis[0] = axis.x, s.axis[1] = axis.y, s.axis[2] = axis.z;
    }
}

FloorNode arcFloor(rdhost::Node* n) {
    FloorNode f;
    f.type = 2;
    const float radiusV = flt(n, "radius"), sizeV = flt(n, "size");
    const float start = flt(n, "startAngle"), end = flt(n, "endAngle");
    const float current = flt(n, "currentAngle"), offset = flt(n, "angleOffset");
    const float reading = flt(n, "angleValue");
    rgb(n, "labelColorR", "labelColorG", "labelColorB", f.labelColor);
    rgb(n, "valueColorR", "valueColorG", "valueColorB", f.valueColor);
    rgb(n, "lineColorR", "lineColorG", "lineColorB", f.lineColor);
    rgb(n, "snapColorR", "snapColorG", "snapColorB", f.tickColor);
    const float hc[3] = {flt(n, "headColorR"), flt(n, "headColorG"), flt(n, "headColorB")};
    const float ac[3] = {flt(n, "handleColorR"), flt(n, "handleColorG"), flt(n, "handleColorB")};
    f.lineWidth = flt(n, "lineWidth");
    const float snapLength = flt(n, "snapLength"), snapValue = flt(n, "snapValue");
    const float displayLine = flt(n, "displayLine"), displayLabel = flt(n, "displayLabel");
    const int displayValue = whole(n, "displayValue"), displaySnap = whole(n, "displaySnap");
    const int displaySnapValue = whole(n, "displaySnapValue"), snapWidth = whole(n, "snapWidth");
    const float snapMain = static_cast<float>(whole(n, "snapMainValue"));
    const int headStyle = whole(n, "headDrawType"), handleStyle = whole(n, "handleDrawType");
    const int startType = whole(n, "startHeadType"), endType = whole(n, "endHeadType");
    const int handleType = whole(n, "handleType");
    const Sizes head = sizes(n, "head"), handle = sizes(n, "handle");
    const std::string labelText = str(n, "label");

    const MVector H = arcPoint(radiusV, current), S = arcPoint(radiusV, start), E = arcPoint(radiusV, end);
    sliderShape(f.shapes[0], handleType, handleStyle, handle);
    material(f.shapes[0], ac, 0.5f, 0.1f, 10.0f);
    sliderShape(f.shapes[1], startType, headStyle, head);
    material(f.shapes[1], hc, 0.5f, 0.1f, 10.0f);
    sliderShape(f.shapes[2], endType, headStyle, head);
    material(f.shapes[2], hc, 0.5f, 0.1f, 10.0f);
    const MVector at[3] = {H, S, E};
    for (int i = 0; i < 3; ++i) {
        FloorShape& s = f.shapes[i];
        s.scale[0] = s.scale[1] = s.scale[2] = sizeV;
        s.translate[0] = static_cast<float>(at[i].x);
        s.translate[1] = static_cast<float>(at[i].y);
        s.translate[2] = static_cast<float>(at[i].z);
    }
    arcRotate(f.shapes[0], -90.0, E);  // the handle turns with the end head
    arcRotate(f.shapes[1], 90.0, S);
    arcRotate(f.shapes[2], -90.0, E);
    f.shapeCount = 3;

    f.line = displayLine == 1.0f;
    const float drawnRadius = sizeV * radiusV;
    const float step = (end - start) * 0.05f;
    float a = start;
    for (int k = 0; k <= 20; ++k) {
        const MVector p = arcPoint(drawnRadius, a);
        f.lineVertices.push_back({static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)});
        a += step;
    }

    f.showLabel = displayLabel == 1.0f;
    f.label = text(MString(labelText.c_str()), MPoint(0.0, 0.0, 0.0));

    f.ticks = displaySnap == 1 && snapValue != 0.0f && displayValue != 0;
    if (f.ticks) {
        std::copy(f.valueColor, f.valueColor + 4, f.mainColor);
        f.tickWidth = static_cast<float>(snapWidth);
        const int mainEvery = std::isfinite(snapMain) ? static_cast<int>(snapMain) : 0;
        const float stepRad = static_cast<float>(MAngle(snapValue, MAngle::kDegrees).asRadians());
        const MVector base(radiusV * sizeV, 0.0, 0.0);
        const MVector yAxis(0.0, 1.0, 0.0);
        const double tick = snapLength * sizeV;
        float t = start;
        int i = 0;
        MQuaternion q(t, yAxis);
        for (int drawn = 0; t < end && drawn < 100000; ++drawn) {
            const MVector p = base.rotateBy(q);
            MVector dir = p;
            dir.normalize();
            FloorTick k;
            k.main = i == mainEvery;
            const MVector tip = k.main ? p + dir * (tick * 2.0) : p + dir * tick;
            k.p[0] = static_cast<float>(p.x), k.p[1] = static_cast<float>(p.y),
            k.p[2] = static_cast<float>(p.z);
            k.tip[0] = static_cast<float>(tip.x), k.tip[1] = static_cast<float>(tip.y),
            k.tip[2] = static_cast<float>(tip.z);
            if (k.main) {
                if (displaySnapValue == 1) {
                    k.hasText = true;
                    k.text = text(twoPlaces(MAngle(t + offset).asDegrees()), MPoint(p + dir * (tick * 3.0)));
                }
                i = 0;
            }
            f.tickList.push_back(k);
            const float next = t + stepRad;
            if (!(next > t)) break;
            t = next;
            q = MQuaternion(t, yAxis);
            ++i;
        }
    }
    if (displayValue != 0) {
        f.values.push_back(text(twoPlaces(reading), MPoint(H * (0.8 * sizeV))));
        f.values.push_back(text(twoPlaces(MAngle(start + offset).asDegrees()), MPoint(S * (0.85 * sizeV))));
        f.values.push_back(text(twoPlaces(MAngle(end + offset).asDegrees()), MPoint(E * (0.85 * sizeV))));
    }
    return f;
}

// ------------------------------------------------------------ issuing

void drawText(const FloorText& t) {
    glRasterPos3d(t.x, t.y, t.z);
    const auto* bytes = reinterpret_cast<const unsigned char*>(t.text.c_str());
    const float shift = -0.5f * static_cast<float>(glutBitmapLength(kFont, bytes));
    if (shift != 0.0f) glBitmap(0, 0, 0.0f, 0.0f, shift, 0.0f, nullptr);
    glutBitmapString(kFont, bytes);
}

void drawShape(const FloorShape& s) {
    if (s.kind == 0) return;
    if (s.style == 2) {
        glPushAttrib(GL_LIGHTING_BIT);
        glEnable(GL_LIGHTING);
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, s.ambient);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, s.diffuse);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, s.specular);
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, s.shininess);
        glShadeModel(GL_SMOOTH);
    } else {
        glColor4f(s.diffuse[0], s.diffuse[1], s.diffuse[2], 1.0f);
        glPushAttrib(GL_CURRENT_BIT);
    }
    const bool wire = s.style == 0;
    glPushMatrix();
    glScalef(s.scale[0], s.scale[1], s.scale[2]);
    glTranslatef(s.translate[0], s.translate[1], s.translate[2]);
    glRotated(s.angle, s.axis[0], s.axis[1], s.axis[2]);
    switch (s.kind) {
    case 1:
        if (wire)
            glutWireCube(s.a);
        else
            glutSolidCube(s.a);
        break;
    case 2:
        glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
        if (wire)
            glutWireSphere(s.a, s.slices, s.stacks);
        else
            glutSolidSphere(s.a, s.slices, s.stacks);
        break;
    case 3:
        glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
        if (wire)
            glutWireCone(s.a, s.b, s.slices, s.stacks);
        else
            glutSolidCone(s.a, s.b, s.slices, s.stacks);
        break;
    case 4:
        glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
        if (wire)
            glutWireTorus(s.a, s.b, s.slices, s.stacks);
        else
            glutSolidTorus(s.a, s.b, s.slices, s.stacks);
        break;
    case 5:
        glScalef(s.a, s.b, s.c);
        if (wire)
            glutWireCube(1.0);
        else
            glutSolidCube(1.0);
        break;
    case 6:
        if (GLUquadric* q = gluNewQuadric()) {
            gluQuadricDrawStyle(q, wire ? GLU_LINE : GLU_FILL);
            glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
            glTranslatef(0.0f, 0.0f, -0.5f * s.a);
            gluCylinder(q, s.b, s.c, s.a, s.slices, s.stacks);
            gluDeleteQuadric(q);
        }
        break;
    }
    glPopMatrix();
    glPopAttrib();
}

// On while the batched floor reads a node's draw back through feedback: each
// line width is marked with glPassThrough, since feedback does not report it.
bool gMarkWidths = false;

void lineWidth(float width) {
    glLineWidth(width);
    if (gMarkWidths) glPassThrough(width);
}

void drawLine(const FloorNode& n, GLenum mode) {
    glColor4fv(n.lineColor);
    glPushAttrib(GL_LINE_BIT);
    lineWidth(n.lineWidth);
    glBegin(mode);
    for (const auto& v : n.lineVertices) glVertex3f(v[0], v[1], v[2]);
    glEnd();
    glPopAttrib();
    if (gMarkWidths) glPassThrough(1.0f);
}

void drawTicks(const FloorNode& n) {
    glPushAttrib(GL_LINE_BIT);
    lineWidth(n.tickWidth);
    for (const FloorTick& k : n.tickList) {
        glColor4fv(n.tickColor);
        if (k.main) {
            glColor4fv(n.mainColor);
            lineWidth(n.tickWidth + 2.0f);
        }
        glBegin(GL_LINES);
        glVertex3f(k.p[0], k.p[1], k.p[2]);
        glVertex3f(k.tip[0], k.tip[1], k.tip[2]);
        glEnd();
        if (k.main) {
            if (k.hasText) drawText(k.text);
            lineWidth(n.tickWidth);
        }
    }
    glPopAttrib();
    if (gMarkWidths) glPassThrough(1.0f);  // the width the pop brings back
}

// Host's starting state of every node draw: what both sides of the check start from.
void startState() {
    glDisable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    glShadeModel(GL_SMOOTH);
    glLineWidth(1.0f);
    glColor4f(0.0f, 0.016f, 0.376f, 1.0f);
}

std::vector<float> feedback(const std::function<void()>& draw) {
    std::vector<float> buf(1 << 21);
    glFeedbackBuffer(static_cast<GLsizei>(buf.size()), GL_3D_COLOR, buf.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint n = glRenderMode(GL_RENDER);
    if (n < 0) fail("floor check: feedback buffer overflow");
    buf.resize(static_cast<size_t>(n));
    return buf;
}

}  // namespace

void markLineWidths(bool on) { gMarkWidths = on; }

FloorNode floorFor(rdhost::Scene& scene, rdhost::Node* node) {
    FloorNode f;
    const std::string& type = node->type->name;
    if (type == kLocator)
        f = locatorFloor(node);
    else if (type == kSlider)
        f = sliderFloor(node);
    else if (type == kArc)
        f = arcFloor(node);
    else
        fail("floor: no floor for type " + type);
    double w[4][4];
    scene.worldMatrix(node, w);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) f.world[r * 4 + c] = w[r][c];
    return f;
}

void drawFloorNode(const FloorNode& n) {
    for (int i = 0; i < n.shapeCount; ++i) drawShape(n.shapes[i]);
    switch (n.type) {
    case 0:
        glColor4fv(n.labelColor);
        if (n.showLabel) drawText(n.label);
        break;
    case 1:
        if (n.line) drawLine(n, GL_LINES);
        glColor4fv(n.labelColor);
        if (n.showLabel) drawText(n.label);
        if (!n.values.empty()) {
            glColor4fv(n.valueColor);
            for (const FloorText& t : n.values) drawText(t);
        }
        break;
    case 2:
        if (n.line) drawLine(n, GL_LINE_STRIP);
        glColor4fv(n.labelColor);
        if (n.showLabel) drawText(n.label);
        if (n.ticks) drawTicks(n);
        if (!n.values.empty()) {
            glColor4fv(n.valueColor);
            for (const FloorText& t : n.values) drawText(t);
        }
        break;
    }
}

void drawFloorFrame(FloorFrame& frame) {
    rdhost::bindOffscreenTarget(frame.width, frame.height);
    glClearColor(0.63f, 0.63f, 0.63f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(frame.projection.data());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat headlight[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, headlight);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_SPECULAR, white);
    glLightfv(GL_LIGHT0, GL_AMBIENT, black);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_NORMALIZE);
    glDisable(GL_LIGHTING);
    for (const FloorNode& n : frame.nodes) {
        glLoadMatrixd(frame.view.data());
        glMultMatrixd(n.world);
        drawFloorNode(n);
    }
    frame.pixels.resize(static_cast<size_t>(frame.width) * frame.height * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGBA, GL_UNSIGNED_BYTE, frame.pixels.data());
}

bool checkFloors() {
    bool all = true;
    for (const char* type : {kLocator, kSlider, kArc}) {
        BenchScene s;
        rdhost::Node* node = s.create(type);
        s.scene().runIdle();
        const FloorNode floor = floorFor(s.scene(), node);
        rdhost::bindOffscreenTarget(64, 64);
        const double k = 1.0 / 20.0;
        const double projection[16] = {k, 0, 0, 0, 0, k, 0, 0, 0, 0, k, 0, 0, 0, 0, 1};
        auto setup = [&] {
            glMatrixMode(GL_PROJECTION);
            glLoadMatrixd(projection);
            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
            startState();
        };
        auto* loc = dynamic_cast<MPxLocatorNode*>(node->user);
        const MDagPath path = rdhost::ObjectAccess::path(node);
        M3dView view = M3dView::active3dView();
        setup();
        const std::vector<float> host =
            feedback([&] { loc->draw(view, path, M3dView::kGouraudShaded, M3dView::kDormant); });
        setup();
        const std::vector<float> bare = feedback([&] { drawFloorNode(floor); });
        double worst = 0.0;
        bool same = host.size() == bare.size();
        for (size_t i = 0; same && i < host.size(); ++i)
            worst = std::max(worst, std::fabs(static_cast<double>(host[i]) - bare[i]));
        same = same && worst <= 1e-4;
        std::fprintf(stderr,
                     "floor check %-24s host %zu feedback floats, floor %zu, largest difference %g: %s\n",
                     type, host.size(), bare.size(), worst, same ? "same" : "DIFFERENT");
        all = all && same;
    }
    return all;
}

}  // namespace bench
