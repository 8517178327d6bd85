// The host's utility nodes that riggers connect controls through: their
// names, attributes (long and short names, defaults) and math as the host
// documents them. Each computes all its outputs from its inputs at once.
#define MNoVersionString
#include "graph/host_attrs.h"
#include "graph/scene_impl.h"

#include <maya/MPxNode.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace rdhost {

namespace {

using namespace hostattrs;
constexpr double kPi = 3.14159265358979323846;

// Reads inputs (pulling them) and writes outputs clean, by attribute name.
struct Eval {
    Node* n;
    Attr* at(const std::string& name) const {
        Attr* a = n->scene->resolveAttribute(n, name, false);
        if (!a) throw HostError("'" + n->name + "' has no attribute '" + name + "'");
        return a;
    }
    double get(const std::string& name) const { return n->getNumber(at(name)->index); }
    void set(const std::string& name, double v) const {
        Attr* a = at(name);
        if (!std::isfinite(v)) return;  // a result that is no number leaves the output as it was
        n->writeNumberClean(a->index, v);
        n->setClean(a->index);
        if (a->parent) n->setClean(a->parent->index);
    }
    // The elements of a multi this node uses (set or connected), by index.
    std::vector<Attr*> elements(const std::string& multiName) const {
        Attr* multi = at(multiName);
        std::vector<Attr*> out;
        for (Attr* a : n->type->attrs) {
            if (a->multi != multi || a->elementOf != multi) continue;
            bool used = n->plugFlag(a->index, Node::kInUse) || n->source(a->index);
            for (Attr* c : a->children)
                used = used || n->plugFlag(c->index, Node::kInUse) || n->source(c->index);
            if (used) out.push_back(a);
        }
        std::sort(out.begin(), out.end(), [](Attr* x, Attr* y) { return x->elementIndex < y->elementIndex; });
        return out;
    }
};

const char* kXYZ[3] = {"X", "Y", "Z"};
const char* kRGB[3] = {"R", "G", "B"};

// ---- arithmetic

void multiplyDivide(Node* n, int) {
    Eval e{n};
    const int op = static_cast<int>(e.get("operation"));
    for (const char* x : kXYZ) {
        const double a = e.get(std::string("input1") + x), b = e.get(std::string("input2") + x);
        double r = a;
        if (op == 1) r = a * b;
        if (op == 2) r = b != 0.0 ? a / b : NAN;  // dividing by zero leaves the output as it was
        if (op == 3) r = std::pow(a, b);
        e.set(std::string("output") + x, r);
    }
}

void plusMinusAverage(Node* n, int) {
    Eval e{n};
    const int op = static_cast<int>(e.get("operation"));
    auto combine = [op](const std::vector<double>& v) {
        if (v.empty()) return 0.0;
        if (op == 0) return v[0];
        double r = v[0];
        for (size_t i = 1; i < v.size(); ++i) r += op == 2 ? -v[i] : v[i];
        return op == 3 ? r / static_cast<double>(v.size()) : r;
    };
    std::vector<double> one;
    for (Attr* a : e.elements("input1D")) one.push_back(n->getNumber(a->index));
    e.set("output1D", combine(one));
    for (int dim : {2, 3}) {
        const std::string in = "input" + std::to_string(dim) + "D",
                          out = "output" + std::to_string(dim) + "D";
        const auto elems = e.elements(in);
        static const char* axes[3] = {"x", "y", "z"};
        for (int k = 0; k < dim; ++k) {
            std::vector<double> v;
            for (Attr* a : elems) v.push_back(n->getNumber(a->children[k]->index));
            e.set(out + axes[k], combine(v));
        }
    }
}

void reverse(Node* n, int) {
    Eval e{n};
    for (const char* x : kXYZ) e.set(std::string("output") + x, 1.0 - e.get(std::string("input") + x));
}

void clampNode(Node* n, int) {
    Eval e{n};
    for (const char* c : kRGB) {
        const double lo = e.get(std::string("min") + c), hi = e.get(std::string("max") + c);
        const double v = e.get(std::string("input") + c);
        // A minimum above the maximum clamps nothing.
        e.set(std::string("output") + c, lo > hi ? v : std::min(std::max(v, lo), hi));
    }
}

void condition(Node* n, int) {
    Eval e{n};
    const double a = e.get("firstTerm"), b = e.get("secondTerm");
    bool r = false;
    switch (static_cast<int>(e.get("operation"))) {
    case 0:
        r = a == b;
        break;
    case 1:
        r = a != b;
        break;
    case 2:
        r = a > b;
        break;
    case 3:
        r = a >= b;
        break;
    case 4:
        r = a < b;
        break;
    default:
        r = a <= b;
        break;
    }
    for (const char* c : kRGB)
        e.set(std::string("outColor") + c, e.get(std::string(r ? "colorIfTrue" : "colorIfFalse") + c));
}

void setRange(Node* n, int) {
    Eval e{n};
    for (const char* x : kXYZ) {
        const std::string s = x;
        const double lo = e.get("min" + s), hi = e.get("max" + s);
        const double oldLo = e.get("oldMin" + s), oldHi = e.get("oldMax" + s);
        double v = e.get("value" + s);
        // The value is clamped to the old range first.
        v = std::min(std::max(v, std::min(oldLo, oldHi)), std::max(oldLo, oldHi));
        e.set("outValue" + s, oldHi == oldLo ? lo : lo + (v - oldLo) / (oldHi - oldLo) * (hi - lo));
    }
}

void blendColors(Node* n, int) {
    Eval e{n};
    const double b = e.get("blender");
    for (const char* c : kRGB)
        e.set(std::string("output") + c,
              e.get(std::string("color1") + c) * b + e.get(std::string("color2") + c) * (1.0 - b));
}

void blendTwoAttr(Node* n, int) {
    Eval e{n};
    const double b = e.get("attributesBlender");
    const auto in = e.elements("input");
    const double a0 = in.size() > 0 ? n->getNumber(in[0]->index) : 0.0;
    const double a1 = in.size() > 1 ? n->getNumber(in[1]->index) : a0;
    e.set("output", a0 * (1.0 - b) + a1 * b);
}

void addDoubleLinear(Node* n, int) {
    Eval e{n};
    e.set("output", e.get("input1") + e.get("input2"));
}

void multDoubleLinear(Node* n, int) {
    Eval e{n};
    e.set("output", e.get("input1") * e.get("input2"));
}

// The factors the host writes for degrees and radians: applied exactly as a
// direct conversion would, so a value crossing units reads back unchanged.
double degreesOf(double radians);

void unitConversion(Node* n, int) {
    Eval e{n};
    const double v = e.get("input"), f = e.get("conversionFactor");
    double r = v * f;
    if (f == kPi / 180.0) r = v * kPi / 180.0;
    if (f == 180.0 / kPi) r = degreesOf(v);
    e.set("output", r);
}

// ---- the value ramp of remapValue

struct RampPoint {
    double pos, value;
    int interp;  // 0 none, 1 linear, 2 smooth, 3 spline
};

double rampAt(std::vector<RampPoint> pts, double t) {
    if (pts.empty()) return 0.0;
    std::stable_sort(pts.begin(), pts.end(),
                     [](const RampPoint& a, const RampPoint& b) { return a.pos < b.pos; });
    if (t <= pts.front().pos) return pts.front().value;
    if (t >= pts.back().pos) return pts.back().value;
    size_t i = 0;
    while (i + 1 < pts.size() && pts[i + 1].pos <= t) ++i;
    const RampPoint &a = pts[i], &b = pts[i + 1];
    const double span = b.pos - a.pos;
    const double u = span > 0 ? (t - a.pos) / span : 0.0;
    switch (a.interp) {
    case 0:
        return a.value;
    case 2: {
        const double s = u * u * (3.0 - 2.0 * u);
        return a.value + (b.value - a.value) * s;
    }
    case 3: {
        // Catmull-Rom through the neighbours (the ends repeat).
        const double p0 = i > 0 ? pts[i - 1].value : a.value;
        const double p3 = i + 2 < pts.size() ? pts[i + 2].value : b.value;
        const double p1 = a.value, p2 = b.value;
        return 0.5 * ((2 * p1) + (-p0 + p2) * u + (2 * p0 - 5 * p1 + 4 * p2 - p3) * u * u +
                      (-p0 + 3 * p1 - 3 * p2 + p3) * u * u * u);
    }
    default:
        return a.value + (b.value - a.value) * u;
    }
}

void remapValue(Node* n, int) {
    Eval e{n};
    std::vector<RampPoint> pts;
    for (Attr* el : e.elements("value"))
        pts.push_back({n->getNumber(el->children[0]->index), n->getNumber(el->children[1]->index),
                       static_cast<int>(n->getNumber(el->children[2]->index))});
    // A node whose ramp was never set maps straight through, as a new one does.
    if (pts.empty()) pts = {{0.0, 0.0, 1}, {1.0, 1.0, 1}};
    const double lo = e.get("inputMin"), hi = e.get("inputMax");
    const double t = hi == lo ? 0.0 : (e.get("inputValue") - lo) / (hi - lo);
    const double oLo = e.get("outputMin"), oHi = e.get("outputMax");
    e.set("outValue", oLo + rampAt(pts, t) * (oHi - oLo));
}

// ---- matrices (row vectors: S * Sh * R * T, R in the rotate order)

using M4 = double[4][4];

void identity(M4 m) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) m[i][j] = i == j ? 1.0 : 0.0;
}

void mul(const M4 a, const M4 b, M4 out) {
    double r[4][4];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j] + a[i][3] * b[3][j];
    std::copy(&r[0][0], &r[0][0] + 16, &out[0][0]);
}

void axisRotation(int axis, double angle, M4 m) {
    identity(m);
    const double c = std::cos(angle), s = std::sin(angle);
    const int i = (axis + 1) % 3, j = (axis + 2) % 3;
    m[i][i] = c;
    m[i][j] = s;
    m[j][i] = -s;
    m[j][j] = c;
}

const int kOrders[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {0, 2, 1}, {1, 0, 2}, {2, 1, 0}};

// Euler angles of a rotation in a rotate order. The axes renamed in the
// order's sequence make it an xyz rotation; an odd renaming turns each angle
// round.
void eulerOf(const double r[3][3], int order, double out[3]) {
    if (order < 0 || order > 5) order = 0;
    const int* seq = kOrders[order];
    double q[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) q[i][j] = r[seq[i]][seq[j]];
    const double sy = std::max(-1.0, std::min(1.0, -q[0][2]));
    double a = 0, b = std::asin(sy), c = 0;
    if (std::fabs(sy) < 1.0 - 1e-12) {
        a = std::atan2(q[1][2], q[2][2]);
        c = std::atan2(q[0][1], q[0][0]);
    } else {
        a = std::atan2(-q[2][1], q[1][1]);
    }
    const double sign = order >= 3 ? -1.0 : 1.0;
    const double angles[3] = {a, b, c};
    for (int k = 0; k < 3; ++k) out[seq[k]] = sign * angles[k];
}

void decomposeMatrix(Node* n, int) {
    Eval e{n};
    double m[4][4];
    readMatrix(n, e.at("inputMatrix"), m);
    double row[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) row[i][j] = m[i][j];
    auto dot = [](const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    auto len = [&](const double* a) { return std::sqrt(dot(a, a)); };
    double s[3], sh[3];
    s[0] = len(row[0]);
    for (double& v : row[0]) v = s[0] != 0 ? v / s[0] : v;
    sh[0] = dot(row[0], row[1]);
    for (int j = 0; j < 3; ++j) row[1][j] -= sh[0] * row[0][j];
    s[1] = len(row[1]);
    for (double& v : row[1]) v = s[1] != 0 ? v / s[1] : v;
    sh[1] = dot(row[0], row[2]);
    for (int j = 0; j < 3; ++j) row[2][j] -= sh[1] * row[0][j];
    sh[2] = dot(row[1], row[2]);
    for (int j = 0; j < 3; ++j) row[2][j] -= sh[2] * row[1][j];
    s[2] = len(row[2]);
    for (double& v : row[2]) v = s[2] != 0 ? v / s[2] : v;
    sh[0] = s[1] != 0 ? sh[0] / s[1] : 0;
    sh[1] = s[2] != 0 ? sh[1] / s[2] : 0;
    sh[2] = s[2] != 0 ? sh[2] / s[2] : 0;
    // A mirrored matrix: the host flips every scale and the rotation with it.
    const double det = row[0][0] * (row[1][1] * row[2][2] - row[1][2] * row[2][1]) -
                       row[0][1] * (row[1][0] * row[2][2] - row[1][2] * row[2][0]) +
                       row[0][2] * (row[1][0] * row[2][1] - row[1][1] * row[2][0]);
    if (det < 0)
        for (int i = 0; i < 3; ++i) {
            s[i] = -s[i];
            for (double& v : row[i]) v = -v;
        }
    double r[3];
    eulerOf(row, static_cast<int>(e.get("inputRotateOrder")), r);
    for (int k = 0; k < 3; ++k) {
        e.set(std::string("outputTranslate") + kXYZ[k], m[3][k]);
        e.set(std::string("outputRotate") + kXYZ[k], r[k]);
        e.set(std::string("outputScale") + kXYZ[k], s[k]);
        e.set(std::string("outputShear") + kXYZ[k], sh[k]);
    }
    // The rotation as a quaternion (x, y, z, w).
    const double tr = row[0][0] + row[1][1] + row[2][2];
    double q[4];
    if (tr > 0) {
        const double w = std::sqrt(1.0 + tr) * 0.5;
        q[0] = (row[1][2] - row[2][1]) / (4 * w);
        q[1] = (row[2][0] - row[0][2]) / (4 * w);
        q[2] = (row[0][1] - row[1][0]) / (4 * w);
        q[3] = w;
    } else {
        int i = 0;
        if (row[1][1] > row[i][i]) i = 1;
        if (row[2][2] > row[i][i]) i = 2;
        const int j = (i + 1) % 3, k = (i + 2) % 3;
        const double t = std::sqrt(1.0 + row[i][i] - row[j][j] - row[k][k]) * 0.5;
        q[i] = t;
        q[3] = (row[j][k] - row[k][j]) / (4 * t);
        q[j] = (row[i][j] + row[j][i]) / (4 * t);
        q[k] = (row[i][k] + row[k][i]) / (4 * t);
    }
    static const char* qn[4] = {"X", "Y", "Z", "W"};
    for (int k = 0; k < 4; ++k) e.set(std::string("outputQuat") + qn[k], q[k]);
    n->setClean(e.at("outputQuat")->index);
}

void composeMatrix(Node* n, int) {
    Eval e{n};
    double m[4][4], step[4][4];
    identity(m);
    for (int k = 0; k < 3; ++k) m[k][k] = e.get(std::string("inputScale") + kXYZ[k]);
    identity(step);
    step[1][0] = e.get("inputShearX");
    step[2][0] = e.get("inputShearY");
    step[2][1] = e.get("inputShearZ");
    mul(m, step, m);
    if (e.get("useEulerRotation") != 0.0) {
        int order = static_cast<int>(e.get("inputRotateOrder"));
        if (order < 0 || order > 5) order = 0;
        for (int k = 0; k < 3; ++k) {
            const int axis = kOrders[order][k];
            axisRotation(axis, e.get(std::string("inputRotate") + kXYZ[axis]), step);
            mul(m, step, m);
        }
    } else {
        double x = e.get("inputQuatX"), y = e.get("inputQuatY"), z = e.get("inputQuatZ"),
               w = e.get("inputQuatW");
        const double l = std::sqrt(x * x + y * y + z * z + w * w);
        if (l > 0) {
            x /= l, y /= l, z /= l, w /= l;
        } else {
            w = 1;
        }
        identity(step);
        step[0][0] = 1 - 2 * (y * y + z * z);
        step[0][1] = 2 * (x * y + z * w);
        step[0][2] = 2 * (x * z - y * w);
        step[1][0] = 2 * (x * y - z * w);
        step[1][1] = 1 - 2 * (x * x + z * z);
        step[1][2] = 2 * (y * z + x * w);
        step[2][0] = 2 * (x * z + y * w);
        step[2][1] = 2 * (y * z - x * w);
        step[2][2] = 1 - 2 * (x * x + y * y);
        mul(m, step, m);
    }
    for (int k = 0; k < 3; ++k) m[3][k] = e.get(std::string("inputTranslate") + kXYZ[k]);
    writeMatrix(n, e.at("outputMatrix"), m);
}

void multMatrix(Node* n, int) {
    Eval e{n};
    double m[4][4], next[4][4];
    identity(m);
    for (Attr* el : e.elements("matrixIn")) {
        readMatrix(n, el, next);
        mul(m, next, m);
    }
    writeMatrix(n, e.at("matrixSum"), m);
}

// ---- the types

NodeType& being() { return *Scene::current()->typeBeingInitialized(); }

MStatus initMultiplyDivide() {
    Builder b(being());
    Attr* op = b.enumeration("operation", "op", {"No operation", "Multiply", "Divide", "Power"}, 1);
    Attr* i1 = b.xyz("input1", "i1", AttrKind::Numeric, kFloat, 0.0);
    Attr* i2 = b.xyz("input2", "i2", AttrKind::Numeric, kFloat, 1.0);
    Attr* o = b.xyz("output", "o", AttrKind::Numeric, kFloat, 0.0);
    b.affects({op, i1, i2}, {o});
    b.type().hostCompute = &multiplyDivide;
    return MS::kSuccess;
}

MStatus initPlusMinusAverage() {
    Builder b(being());
    Attr* op = b.enumeration("operation", "op", {"No operation", "Sum", "Subtract", "Average"}, 1);
    Attr* i1 = b.number("input1D", "i1", 0.0, kFloat);
    Attr* i2 = b.tuple("input2D", "i2", {"x", "y"}, {"x", "y"}, AttrKind::Numeric, kFloat, {0, 0});
    Attr* i3 =
        b.tuple("input3D", "i3", {"x", "y", "z"}, {"x", "y", "z"}, AttrKind::Numeric, kFloat, {0, 0, 0});
    for (Attr* a : {i1, i2, i3}) a->array = true;
    Attr* o1 = b.number("output1D", "o1", 0.0, kFloat);
    Attr* o2 = b.tuple("output2D", "o2", {"x", "y"}, {"x", "y"}, AttrKind::Numeric, kFloat, {0, 0});
    Attr* o3 =
        b.tuple("output3D", "o3", {"x", "y", "z"}, {"x", "y", "z"}, AttrKind::Numeric, kFloat, {0, 0, 0});
    b.affects({op, i1, i2, i3}, {o1, o2, o3});
    b.type().hostCompute = &plusMinusAverage;
    return MS::kSuccess;
}

MStatus initReverse() {
    Builder b(being());
    Attr* i = b.xyz("input", "i", AttrKind::Numeric, kFloat, 0.0);
    Attr* o = b.xyz("output", "o", AttrKind::Numeric, kFloat, 0.0);
    b.affects({i}, {o});
    b.type().hostCompute = &reverse;
    return MS::kSuccess;
}

MStatus initClamp() {
    Builder b(being());
    Attr* mn = b.rgb("min", "mn", {0, 0, 0});
    Attr* mx = b.rgb("max", "mx", {0, 0, 0});
    Attr* ip = b.rgb("input", "ip", {0, 0, 0});
    Attr* op = b.rgb("output", "op", {0, 0, 0});
    b.affects({mn, mx, ip}, {op});
    b.type().hostCompute = &clampNode;
    return MS::kSuccess;
}

MStatus initCondition() {
    Builder b(being());
    Attr* op = b.enumeration(
        "operation", "op",
        {"Equal", "Not Equal", "Greater Than", "Greater or Equal", "Less Than", "Less or Equal"});
    Attr* ft = b.number("firstTerm", "ft", 0.0, kFloat);
    Attr* st = b.number("secondTerm", "st", 0.0, kFloat);
    Attr* ct = b.rgb("colorIfTrue", "ct", {0, 0, 0});
    Attr* cf = b.rgb("colorIfFalse", "cf", {1, 1, 1});
    Attr* oc = b.rgb("outColor", "oc", {0, 0, 0});
    b.affects({op, ft, st, ct, cf}, {oc});
    b.type().hostCompute = &condition;
    return MS::kSuccess;
}

MStatus initRemapValue() {
    Builder b(being());
    Attr* iv = b.number("inputValue", "i", 0.0, kFloat);
    Attr* imn = b.number("inputMin", "imn", 0.0, kFloat);
    Attr* imx = b.number("inputMax", "imx", 1.0, kFloat);
    Attr* omn = b.number("outputMin", "omn", 0.0, kFloat);
    Attr* omx = b.number("outputMax", "omx", 1.0, kFloat);
    Attr* vp = b.loose("value_Position", "vp", AttrKind::Numeric, kFloat, 0.0);
    Attr* vfv = b.loose("value_FloatValue", "vfv", AttrKind::Numeric, kFloat, 0.0);
    Attr* vi = b.loose("value_Interp", "vi", AttrKind::Enum, kShort, 0.0);
    for (const char* f : {"None", "Linear", "Smooth", "Spline"})
        vi->enumFields.emplace_back(f, static_cast<int>(vi->enumFields.size()));
    Attr* vl = b.compound("value", "vl", {vp, vfv, vi});
    vl->array = true;
    Attr* ov = b.number("outValue", "ov", 0.0, kFloat);
    b.affects({iv, imn, imx, omn, omx, vl}, {ov});
    b.type().hostCompute = &remapValue;
    return MS::kSuccess;
}

MStatus initSetRange() {
    Builder b(being());
    Attr* v = b.xyz("value", "v", AttrKind::Numeric, kFloat, 0.0);
    Attr* mn = b.xyz("min", "n", AttrKind::Numeric, kFloat, 0.0);
    Attr* mx = b.xyz("max", "m", AttrKind::Numeric, kFloat, 0.0);
    Attr* on = b.xyz("oldMin", "on", AttrKind::Numeric, kFloat, 0.0);
    Attr* om = b.xyz("oldMax", "om", AttrKind::Numeric, kFloat, 0.0);
    Attr* o = b.xyz("outValue", "o", AttrKind::Numeric, kFloat, 0.0);
    b.affects({v, mn, mx, on, om}, {o});
    b.type().hostCompute = &setRange;
    return MS::kSuccess;
}

MStatus initBlendColors() {
    Builder b(being());
    Attr* bl = b.number("blender", "b", 0.5, kFloat);
    bl->hasMin = bl->hasMax = true;
    bl->minValue = 0.0;
    bl->maxValue = 1.0;
    Attr* c1 = b.rgb("color1", "c1", {1, 0, 0});
    Attr* c2 = b.rgb("color2", "c2", {0, 0, 1});
    Attr* op = b.rgb("output", "op", {0, 0, 0});
    b.affects({bl, c1, c2}, {op});
    b.type().hostCompute = &blendColors;
    return MS::kSuccess;
}

MStatus initBlendTwoAttr() {
    Builder b(being());
    Attr* ab = b.number("attributesBlender", "ab", 0.0, kFloat);
    Attr* in = b.number("input", "i", 0.0);
    in->array = true;
    Attr* o = b.number("output", "o", 0.0);
    b.affects({ab, in}, {o});
    b.type().hostCompute = &blendTwoAttr;
    return MS::kSuccess;
}

MStatus initDoubleLinear(void (*compute)(Node*, int)) {
    Builder b(being());
    Attr* i1 = b.unit("input1", "i1", AttrKind::Distance, 0.0);
    Attr* i2 = b.unit("input2", "i2", AttrKind::Distance, 0.0);
    Attr* o = b.unit("output", "o", AttrKind::Distance, 0.0);
    b.affects({i1, i2}, {o});
    b.type().hostCompute = compute;
    return MS::kSuccess;
}
MStatus initAddDoubleLinear() { return initDoubleLinear(&addDoubleLinear); }
MStatus initMultDoubleLinear() { return initDoubleLinear(&multDoubleLinear); }

MStatus initUnitConversion() {
    Builder b(being());
    Attr* i = b.number("input", "i", 0.0);
    Attr* cf = b.number("conversionFactor", "cf", 1.0);
    Attr* o = b.number("output", "o", 0.0);
    b.affects({i, cf}, {o});
    b.type().hostCompute = &unitConversion;
    return MS::kSuccess;
}

const std::vector<std::string> kRotateOrders = {"xyz", "yzx", "zxy", "xzy", "yxz", "zyx"};

MStatus initDecomposeMatrix() {
    Builder b(being());
    Attr* im = b.matrix("inputMatrix", "imat");
    Attr* ro = b.enumeration("inputRotateOrder", "ro", kRotateOrders);
    Attr* ot = b.xyz("outputTranslate", "ot", AttrKind::Distance, kDouble, 0.0);
    Attr* orr = b.xyz("outputRotate", "or", AttrKind::Angle, kDouble, 0.0);
    Attr* os = b.xyz("outputScale", "os", AttrKind::Numeric, kDouble, 1.0);
    Attr* osh = b.xyz("outputShear", "osh", AttrKind::Numeric, kDouble, 0.0);
    Attr* oq = b.tuple("outputQuat", "oq", {"X", "Y", "Z", "W"}, {"x", "y", "z", "w"}, AttrKind::Numeric,
                       kDouble, {0, 0, 0, 1});
    b.affects({im, ro}, {ot, orr, os, osh, oq});
    b.type().hostCompute = &decomposeMatrix;
    return MS::kSuccess;
}

MStatus initComposeMatrix() {
    Builder b(being());
    Attr* it = b.xyz("inputTranslate", "it", AttrKind::Distance, kDouble, 0.0);
    Attr* ir = b.xyz("inputRotate", "ir", AttrKind::Angle, kDouble, 0.0);
    Attr* is = b.xyz("inputScale", "is", AttrKind::Numeric, kDouble, 1.0);
    Attr* ish = b.xyz("inputShear", "ish", AttrKind::Numeric, kDouble, 0.0);
    Attr* iro = b.enumeration("inputRotateOrder", "iro", kRotateOrders);
    Attr* uer = b.number("useEulerRotation", "uer", 1.0, kBool);
    Attr* iq = b.tuple("inputQuat", "iq", {"X", "Y", "Z", "W"}, {"x", "y", "z", "w"}, AttrKind::Numeric,
                       kDouble, {0, 0, 0, 1});
    Attr* om = b.matrix("outputMatrix", "omat");
    b.affects({it, ir, is, ish, iro, uer, iq}, {om});
    b.type().hostCompute = &composeMatrix;
    return MS::kSuccess;
}

MStatus initMultMatrix() {
    Builder b(being());
    Attr* in = b.matrix("matrixIn", "i");
    in->array = true;
    Attr* o = b.matrix("matrixSum", "o");
    b.affects({in}, {o});
    b.type().hostCompute = &multMatrix;
    return MS::kSuccess;
}

void installUtilityNodes(Scene& scene) {
    struct Entry {
        const char* name;
        unsigned id;
        MInitializeFunction init;
    };
    // Ids as the host numbers them.
    static const Entry entries[] = {
        {"multiplyDivide", 0x524d4456, initMultiplyDivide},
        {"plusMinusAverage", 0x52504d41, initPlusMinusAverage},
        {"reverse", 0x52524556, initReverse},
        {"clamp", 0x52434c41, initClamp},
        {"condition", 0x52434e44, initCondition},
        {"remapValue", 0x524d5056, initRemapValue},
        {"setRange", 0x52535247, initSetRange},
        {"blendColors", 0x52424c43, initBlendColors},
        {"blendTwoAttr", 0x4142544c, initBlendTwoAttr},
        {"addDoubleLinear", 0x4441444c, initAddDoubleLinear},
        {"multDoubleLinear", 0x444d444c, initMultDoubleLinear},
        {"unitConversion", 0x44554e43, initUnitConversion},
        {"decomposeMatrix", 0x44434d50, initDecomposeMatrix},
        {"composeMatrix", 0x43434d50, initComposeMatrix},
        {"multMatrix", 0x444d4d58, initMultMatrix},
    };
    for (const Entry& e : entries)
        scene.registerBuiltinType(e.name, e.id, MPxNode::kDependNode, nullptr, e.init, false);
}

const BuiltinInstaller installer(&installUtilityNodes);

}  // namespace

namespace {
double degreesOf(double radians) {
    // The same shortest-degrees conversion a direct connection made.
    static Attr angle = [] {
        Attr a;
        a.kind = AttrKind::Angle;
        return a;
    }();
    static Attr plain;
    return connectionValue(&angle, &plain, radians);
}
}  // namespace

}  // namespace rdhost
