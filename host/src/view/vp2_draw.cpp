// MFrameContext, MDrawContext and the recording MUIDrawManager.
#include "view/vp2.h"

#include <maya/MDrawContext.h>

#include <cmath>

namespace rdhost {

void UIDrawList::fault(const std::string& kind, const std::string& message) {
    if (!warned.insert(kind).second) return;
    const std::string line = "draw: node '" + node + "': " + message;
    warnings.push_back(line);
    if (warn) warn(line);
}

void UIDrawList::finish() {
    if (!open) return;
    fault("open", "beginDrawable without endDrawable; closed");
    open = false;
    state = UIState();
}

}  // namespace rdhost

namespace MHWRender {

namespace {

using rdhost::UIDrawList;
using rdhost::UIPrimitive;
using Kind = UIPrimitive::Kind;
using P3 = std::array<double, 3>;

constexpr double kPi = 3.14159265358979323846;
constexpr int kCircleSegments = 40;

P3 p3(const MPoint& p) {
    if (p.w != 0.0 && p.w != 1.0) return {p.x / p.w, p.y / p.w, p.z / p.w};
    return {p.x, p.y, p.z};
}
P3 add(const MPoint& c, const MVector& v) { return p3(c + v); }

// An orthonormal pair perpendicular to n (n normalised).
void basis(const MVector& n, MVector& u, MVector& v) {
    const MVector a = std::fabs(n.x) < 0.9 ? MVector(1, 0, 0) : MVector(0, 1, 0);
    u = (a ^ n).normal();
    v = n ^ u;
}

bool usable(const MVector& v) { return std::isfinite(v.length()) && v.length() > 0.0; }

}  // namespace

// ---------------------------------------------------------------- MFrameContext

MFrameContext::~MFrameContext() {}
MDrawContext::~MDrawContext() {}

MMatrix MFrameContext::getMatrix(MatrixType mtype, MStatus* ReturnStatus) const {
    if (ReturnStatus) *ReturnStatus = MS::kSuccess;
    static const rdhost::FrameState none;
    const rdhost::FrameState& s = fState ? *fState : none;
    MMatrix base;
    const int group = static_cast<int>(mtype) / 4, variant = static_cast<int>(mtype) % 4;
    switch (group) {
    case 0:
        base = s.world;
        break;
    case 1:
        base = s.view;
        break;
    case 2:
        base = s.projection;
        break;
    case 3:
        base = s.view * s.projection;
        break;
    case 4:
        base = s.world * s.view;
        break;
    case 5:
        base = s.world * s.view * s.projection;
        break;
    default:
        if (ReturnStatus) *ReturnStatus = MS::kInvalidParameter;
        return MMatrix();
    }
    switch (variant) {
    case 1:
        return base.transpose();
    case 2:
        return base.inverse();
    case 3:
        return base.inverse().transpose();
    default:
        return base;
    }
}

MStatus MFrameContext::getViewportDimensions(int& originX, int& originY, int& width, int& height) const {
    if (!fState) return MS::kFailure;
    originX = fState->originX;
    originY = fState->originY;
    width = fState->width;
    height = fState->height;
    return MS::kSuccess;
}

float MFrameContext::getGlobalLineWidth() const { return fState ? fState->lineWidth : 1.0f; }

unsigned int MFrameContext::getDisplayStyle() const {
    return fState ? fState->displayStyle : static_cast<unsigned int>(kGouraudShaded);
}

// ---------------------------------------------------------------- MUIDrawManager

namespace {

// The primitive to fill, or null (with a warning) outside a drawable.
UIPrimitive* start(UIDrawList* list, Kind kind, const char* call) {
    if (!list) return nullptr;
    if (!list->open) {
        list->fault("outside", std::string(call) + " outside beginDrawable/endDrawable; not drawn");
        return nullptr;
    }
    list->prims.emplace_back();
    UIPrimitive& p = list->prims.back();
    p.kind = kind;
    p.state = list->state;
    p.drawable = list->drawables;
    return &p;
}

bool stateCall(UIDrawList* list, const char* call) {
    if (!list) return false;
    if (!list->open) {
        list->fault("outside", std::string(call) + " outside beginDrawable/endDrawable; ignored");
        return false;
    }
    return true;
}

void circlePoints(std::vector<P3>& out, const MPoint& c, const MVector& u, const MVector& v, double r, int n,
                  double a0 = 0.0, double a1 = 2.0 * kPi) {
    for (int i = 0; i <= n; ++i) {
        const double a = a0 + (a1 - a0) * i / n;
        out.push_back(add(c, u * (r * std::cos(a)) + v * (r * std::sin(a))));
    }
}

// A polyline as a line list (kind Lines) or a fan from `center` (Triangles).
void polyline(UIDrawList* list, const std::vector<P3>& pts, bool filled, const P3& center, const char* call) {
    UIPrimitive* p = start(list, filled ? Kind::Triangles : Kind::Lines, call);
    if (!p) return;
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
        if (filled) p->positions.push_back(center);
        p->positions.push_back(pts[i]);
        p->positions.push_back(pts[i + 1]);
    }
}

}  // namespace

void MUIDrawManager::beginDrawable() {
    if (!fList) return;
    if (fList->open) fList->fault("nested", "beginDrawable inside an open drawable; the first is closed");
    fList->open = true;
    fList->state = rdhost::UIState();
    ++fList->drawables;
}

void MUIDrawManager::endDrawable() {
    if (!fList) return;
    if (!fList->open) {
        fList->fault("end", "endDrawable without beginDrawable; ignored");
        return;
    }
    fList->open = false;
    fList->state = rdhost::UIState();
}

void MUIDrawManager::setColor(const MColor& color) {
    if (stateCall(fList, "setColor")) fList->state.color = {color.r, color.g, color.b, color.a};
}
void MUIDrawManager::setPointSize(float value) {
    if (stateCall(fList, "setPointSize")) fList->state.pointSize = value > 0.0f ? value : 1.0f;
}
void MUIDrawManager::setLineWidth(float value) {
    if (stateCall(fList, "setLineWidth")) fList->state.lineWidth = value > 0.0f ? value : 1.0f;
}
void MUIDrawManager::setLineStyle(LineStyle style) {
    if (stateCall(fList, "setLineStyle")) fList->state.lineStyle = style;
}
void MUIDrawManager::setPaintStyle(PaintStyle style) {
    if (stateCall(fList, "setPaintStyle")) fList->state.paintStyle = style;
}
void MUIDrawManager::setDepthPriority(unsigned int priority) {
    if (stateCall(fList, "setDepthPriority")) fList->state.depthPriority = priority;
}
void MUIDrawManager::setFontSize(const unsigned int fontSize) {
    if (stateCall(fList, "setFontSize")) fList->state.fontSize = fontSize;
}

void MUIDrawManager::line(const MPoint& startPoint, const MPoint& endPoint) {
    if (UIPrimitive* p = start(fList, Kind::Lines, "line")) p->positions = {p3(startPoint), p3(endPoint)};
}

MStatus MUIDrawManager::lineList(const MPointArray& points, bool draw2D) {
    if (fList && fList->open && points.length() % 2 != 0) {
        fList->fault("count",
                     "lineList of " + std::to_string(points.length()) + " points (not pairs); not drawn");
        return MS::kInvalidParameter;
    }
    UIPrimitive* p = start(fList, Kind::Lines, "lineList");
    if (!p) return MS::kFailure;
    p->draw2D = draw2D;
    for (unsigned i = 0; i < points.length(); ++i) p->positions.push_back(p3(points[i]));
    return MS::kSuccess;
}

MStatus MUIDrawManager::lineStrip(const MPointArray& points, bool draw2D) {
    UIPrimitive* p = start(fList, Kind::LineStrip, "lineStrip");
    if (!p) return MS::kFailure;
    p->draw2D = draw2D;
    for (unsigned i = 0; i < points.length(); ++i) p->positions.push_back(p3(points[i]));
    return MS::kSuccess;
}

void MUIDrawManager::point(const MPoint& pt) {
    if (UIPrimitive* p = start(fList, Kind::Points, "point")) p->positions = {p3(pt)};
}

void MUIDrawManager::rect(const MPoint& center, const MVector& up, const MVector& normal, double scaleX,
                          double scaleY, bool filled) {
    if (!usable(up) || !usable(normal)) {
        if (fList && fList->open) fList->fault("shape", "rect with a zero up or normal vector; not drawn");
        return;
    }
    const MVector y = up.normal() * scaleY, x = (up.normal() ^ normal.normal()).normal() * scaleX;
    const std::vector<P3> pts{add(center, -x - y), add(center, x - y), add(center, x + y),
                              add(center, -x + y), add(center, -x - y)};
    polyline(fList, pts, filled, p3(center), "rect");
}

void MUIDrawManager::circle(const MPoint& center, const MVector& normal, double radius, bool filled) {
    if (!usable(normal)) {
        if (fList && fList->open) fList->fault("shape", "circle with a zero normal; not drawn");
        return;
    }
    MVector u, v;
    basis(normal.normal(), u, v);
    std::vector<P3> pts;
    circlePoints(pts, center, u, v, radius, kCircleSegments);
    polyline(fList, pts, filled, p3(center), "circle");
}

void MUIDrawManager::arc(const MPoint& center, const MVector& startV, const MVector& endV,
                         const MVector& normal, double radius, bool filled) {
    if (!usable(startV) || !usable(endV) || !usable(normal)) {
        if (fList && fList->open) fList->fault("shape", "arc with a zero vector; not drawn");
        return;
    }
    const MVector n = normal.normal();
    const MVector u = (startV - n * (startV * n)).normal();
    const MVector v = n ^ u;
    const MVector e = endV - n * (endV * n);
    double sweep = std::atan2(e * v, e * u);
    if (sweep <= 0.0) sweep += 2.0 * kPi;
    const int n_seg = std::max(2, static_cast<int>(std::ceil(kCircleSegments * sweep / (2.0 * kPi))));
    std::vector<P3> pts;
    circlePoints(pts, center, u, v, radius, n_seg, 0.0, sweep);
    polyline(fList, pts, filled, p3(center), "arc");
}

void MUIDrawManager::sphere(const MPoint& center, double radius, bool filled) {
    const int slices = 24, stacks = 12;
    auto at = [&](int i, int j) {
        const double th = 2.0 * kPi * i / slices, ph = kPi * j / stacks;
        return add(center,
                   MVector(std::cos(th) * std::sin(ph), std::sin(th) * std::sin(ph), std::cos(ph)) * radius);
    };
    UIPrimitive* p = start(fList, filled ? Kind::Triangles : Kind::Lines, "sphere");
    if (!p) return;
    for (int j = 0; j < stacks; ++j)
        for (int i = 0; i < slices; ++i) {
            if (filled) {
                const P3 a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
                p->positions.insert(p->positions.end(), {a, b, c, a, c, d});
            } else {
                p->positions.insert(p->positions.end(), {at(i, j), at(i + 1, j), at(i, j), at(i, j + 1)});
            }
        }
    if (filled)
        for (const P3& q : p->positions) {
            const MVector nrm = MVector(q[0], q[1], q[2]) - MVector(center.x, center.y, center.z);
            const MVector nn = usable(nrm) ? nrm.normal() : MVector(0, 0, 1);
            p->normals.push_back({nn.x, nn.y, nn.z});
        }
}

void MUIDrawManager::cone(const MPoint& base, const MVector& direction, double radius, double height,
                          bool filled) {
    if (!usable(direction)) {
        if (fList && fList->open) fList->fault("shape", "cone with a zero direction; not drawn");
        return;
    }
    const MVector d = direction.normal();
    MVector u, v;
    basis(d, u, v);
    std::vector<P3> ring;
    circlePoints(ring, base, u, v, radius, kCircleSegments);
    const P3 apex = add(base, d * height);
    UIPrimitive* p = start(fList, filled ? Kind::Triangles : Kind::Lines, "cone");
    if (!p) return;
    for (std::size_t i = 0; i + 1 < ring.size(); ++i) {
        if (filled) {
            p->positions.insert(p->positions.end(),
                                {apex, ring[i], ring[i + 1], p3(base), ring[i + 1], ring[i]});
        } else {
            p->positions.insert(p->positions.end(), {ring[i], ring[i + 1], apex, ring[i]});
        }
    }
}

void MUIDrawManager::box(const MPoint& center, const MVector& up, const MVector& right, double scaleX,
                         double scaleY, double scaleZ, bool filled) {
    if (!usable(up) || !usable(right)) {
        if (fList && fList->open) fList->fault("shape", "box with a zero up or right vector; not drawn");
        return;
    }
    const MVector y = up.normal() * scaleY, x = right.normal() * scaleX,
                  z = (right.normal() ^ up.normal()).normal() * scaleZ;
    P3 c[8];
    for (int i = 0; i < 8; ++i)
        c[i] =
            add(center, x * ((i & 1) ? 1.0 : -1.0) + y * ((i & 2) ? 1.0 : -1.0) + z * ((i & 4) ? 1.0 : -1.0));
    UIPrimitive* p = start(fList, filled ? Kind::Triangles : Kind::Lines, "box");
    if (!p) return;
    if (filled) {
        const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                 {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
        for (const auto& f : faces)
            p->positions.insert(p->positions.end(), {c[f[0]], c[f[1]], c[f[2]], c[f[0]], c[f[2]], c[f[3]]});
    } else {
        for (int i = 0; i < 8; ++i)
            for (int bit = 1; bit < 8; bit <<= 1)
                if (!(i & bit)) p->positions.insert(p->positions.end(), {c[i], c[i | bit]});
    }
}

void MUIDrawManager::mesh(Primitive mode, const MPointArray& position, const MVectorArray* normal,
                          const MColorArray* color, const MUintArray* index, const MPointArray*) {
    if (!fList) return;
    if (!fList->open) {
        fList->fault("outside", "mesh outside beginDrawable/endDrawable; not drawn");
        return;
    }
    static const char* const names[] = {"kPoints",     "kLines",     "kLineStrip",
                                        "kClosedLine", "kTriangles", "kTriStrip"};
    if (mode < kPoints || mode > kTriStrip) {
        fList->fault("mesh", "mesh with an unknown primitive " + std::to_string(static_cast<int>(mode)) +
                                 "; not drawn");
        return;
    }
    const unsigned n = position.length();
    if (index)
        for (unsigned i = 0; i < index->length(); ++i)
            if ((*index)[i] >= n) {
                fList->fault("mesh-index", "mesh index " + std::to_string((*index)[i]) + " (at " +
                                               std::to_string(i) + ") is past its " + std::to_string(n) +
                                               " positions; not drawn");
                return;
            }
    const unsigned count = index ? index->length() : n;
    bool fits = true;
    switch (mode) {
    case kLines:
        fits = count % 2 == 0;
        break;
    case kTriangles:
        fits = count % 3 == 0;
        break;
    case kLineStrip:
    case kClosedLine:
        fits = count != 1;
        break;
    case kTriStrip:
        fits = count == 0 || count >= 3;
        break;
    default:
        break;
    }
    if (!fits) {
        fList->fault("mesh-count", std::string("mesh of ") + std::to_string(count) +
                                       " vertices does not fit " + names[mode] + "; not drawn");
        return;
    }
    static const Kind kinds[] = {Kind::Points,     Kind::Lines,     Kind::LineStrip,
                                 Kind::ClosedLine, Kind::Triangles, Kind::TriStrip};
    UIPrimitive* p = start(fList, kinds[mode], "mesh");
    for (unsigned i = 0; i < n; ++i) p->positions.push_back(p3(position[i]));
    if (normal && normal->length() == n) {
        for (unsigned i = 0; i < n; ++i)
            p->normals.push_back({(*normal)[i].x, (*normal)[i].y, (*normal)[i].z});
    } else if (normal && normal->length()) {
        fList->fault("mesh-normals", "mesh with " + std::to_string(normal->length()) + " normals for " +
                                         std::to_string(n) + " positions; drawn without normals");
    }
    if (color && color->length() == n) {
        for (unsigned i = 0; i < n; ++i)
            p->colors.push_back({(*color)[i].r, (*color)[i].g, (*color)[i].b, (*color)[i].a});
    } else if (color && color->length()) {
        fList->fault("mesh-colors", "mesh with " + std::to_string(color->length()) + " colours for " +
                                        std::to_string(n) + " positions; drawn in the drawable's colour");
    }
    if (index)
        for (unsigned i = 0; i < index->length(); ++i) p->indices.push_back((*index)[i]);
}

void MUIDrawManager::text(const MPoint& position, const MString& txt, TextAlignment alignment, const int*,
                          const MColor*, bool) {
    UIPrimitive* p = start(fList, Kind::Text, "text");
    if (!p) return;
    p->positions = {p3(position)};
    p->text = txt.asChar();
    p->align = alignment == kCenter || alignment == kRight ? alignment : kLeft;
}

}  // namespace MHWRender
