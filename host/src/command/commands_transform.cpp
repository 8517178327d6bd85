// Placing transforms: xform (query and edit), move, rotate, scale. Values
// are in UI units (centimetres, degrees). Object space is the node's own
// channels (translate is in its parent's space); world space goes through
// the world matrices, whatever sits between the channels and the world.
#include "command/attrs.h"
#include "command/registry.h"

#include <maya/MEulerRotation.h>
#include <maya/MMatrix.h>

#include <algorithm>
#include <cmath>

namespace rdhost::cmd {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;

MMatrix worldOf(const Node* n) {
    double m[4][4];
    n->scene->worldMatrix(n, m);
    return MMatrix(m);
}

MMatrix localOf(Node* n) {
    double m[4][4];
    n->localMatrix(m);
    return MMatrix(m);
}

// The 3x3 part alone (no translation).
MMatrix linearPart(const MMatrix& m) {
    MMatrix r = m;
    for (int i = 0; i < 3; ++i) r.matrix[3][i] = r.matrix[i][3] = 0.0;
    r.matrix[3][3] = 1.0;
    return r;
}

// The rotation in a matrix: its rows made unit length.
MMatrix rotationPart(const MMatrix& m) {
    MMatrix r = linearPart(m);
    for (int i = 0; i < 3; ++i) {
        const double len = std::sqrt(r.matrix[i][0] * r.matrix[i][0] + r.matrix[i][1] * r.matrix[i][1] +
                                     r.matrix[i][2] * r.matrix[i][2]);
        if (len > 0.0)
            for (int j = 0; j < 3; ++j) r.matrix[i][j] /= len;
    }
    return r;
}

MEulerRotation::RotationOrder orderOf(Node* n) {
    const int slot = n->type->xform.ro;
    const int o = slot >= 0 ? static_cast<int>(n->getNumber(slot)) : 0;
    return static_cast<MEulerRotation::RotationOrder>(o >= 0 && o <= 5 ? o : 0);
}

MEulerRotation rotationOf(Node* n) {
    const auto& x = n->type->xform;
    double r[3];
    for (int i = 0; i < 3; ++i) r[i] = x.r[i] >= 0 ? n->getNumber(x.r[i]) : 0.0;
    return MEulerRotation(r[0], r[1], r[2], orderOf(n));
}

// Of the Euler angles that give the same rotation as `e`, the ones nearest
// `near` (so a relative turn past 180 degrees reads 190, not -170).
MEulerRotation nearest(const MEulerRotation& e, const double near[3]) {
    const double alternatives[2][3] = {{e.x, e.y, e.z}, {e.x + kPi, kPi - e.y, e.z + kPi}};
    double best[3] = {e.x, e.y, e.z}, bestDistance = INFINITY;
    for (const auto& alt : alternatives) {
        double v[3], d = 0.0;
        for (int i = 0; i < 3; ++i) {
            v[i] = alt[i] + 2 * kPi * std::round((near[i] - alt[i]) / (2 * kPi));
            d += std::fabs(v[i] - near[i]);
        }
        if (d < bestDistance) {
            bestDistance = d;
            std::copy(v, v + 3, best);
        }
    }
    return MEulerRotation(best[0], best[1], best[2], e.order);
}

// Solving through matrices leaves rounding noise (6e-17 for 0, 199.99999999999997
// for 200): a value that close to a number of at most nine decimals is that number.
double tidy(double v) {
    const double r = std::round(v * 1e9) / 1e9;
    return std::fabs(r - v) <= 1e-12 * std::max(1.0, std::fabs(v)) ? r : v;
}

// Channel writes checked as setAttr checks them, then made together.
struct Writes {
    Invocation& inv;
    std::vector<std::pair<PlugPath, double>> list;

    void add(Node* n, int slot, double internal, const char* what) {
        if (slot < 0) inv.fail("'" + n->partialPathName() + "' has no " + what + " channels");
        PlugPath p{n, n->attrAt(slot)};
        if (!std::isfinite(internal))
            inv.fail("the " + std::string(what) + " of '" + p.node->partialPathName() +
                     "' would not be a finite number");
        const std::string locked = lockProblem(p);
        if (!locked.empty()) inv.fail(locked + "; it cannot be changed");
        std::string by;
        if (drivenByNonAnim(p, &by))
            inv.fail("'" + p.name() + "' is driven by a connection from '" + by + "'; disconnect it first");
        list.emplace_back(p, fromUi(*p.attr, tidy(toUi(*p.attr, internal))));
    }
    void apply() {
        for (auto& [p, v] : list) p.node->setNumber(p.attr->index, normalize(*p.attr, v));
    }
};

std::vector<Node*> transformsOf(Invocation& inv, const std::vector<Arg>& names) {
    std::vector<Node*> out;
    for (const Arg& a : names) out.push_back(findNodeOrFail(inv.scene, a.text, inv.command));
    if (names.empty()) out = inv.scene.selection();
    if (out.empty()) inv.fail("nothing to transform: give a node or select one");
    for (Node* n : out)
        if (!n->isDag() || !n->type->isTransform || !n->unknownTypeName.empty())
            inv.fail("'" + (n->isDag() ? n->partialPathName() : n->name) + "' is not a transform");
    return out;
}

void setTranslation(Writes& w, Node* n, const double v[3], bool world, bool relative) {
    const auto& x = n->type->xform;
    double t[3];
    for (int i = 0; i < 3; ++i) t[i] = x.t[i] >= 0 ? n->getNumber(x.t[i]) : 0.0;
    double d[3] = {v[0], v[1], v[2]};
    if (world) {
        // translate moves the node through everything above it (parents,
        // offsets): solve for the change of translate that moves the world
        // position as asked.
        const MMatrix W = worldOf(n);
        const MMatrix above = linearPart(localOf(n).inverse() * W);
        double target[3];
        for (int i = 0; i < 3; ++i) target[i] = relative ? v[i] : v[i] - W.matrix[3][i];
        const MMatrix inv = above.inverse();
        for (int j = 0; j < 3; ++j)
            d[j] = target[0] * inv.matrix[0][j] + target[1] * inv.matrix[1][j] + target[2] * inv.matrix[2][j];
        relative = true;
    }
    for (int i = 0; i < 3; ++i) w.add(n, x.t[i], relative ? t[i] + d[i] : d[i], "translate");
}

// `r` in radians; relative turns compose with the current rotation (in the
// node's own axes, or the world's).
void setRotation(Writes& w, Node* n, const double r[3], bool world, bool relative) {
    const auto& x = n->type->xform;
    const MEulerRotation current = rotationOf(n);
    const MEulerRotation::RotationOrder order = current.order;
    double naive[3] = {r[0], r[1], r[2]};
    if (relative)
        for (int i = 0; i < 3; ++i) naive[i] += current[i];
    MEulerRotation result(naive[0], naive[1], naive[2], order);
    if (world || relative) {
        // What follows the rotate channels on the way to the world (joint
        // orient, parents), so that world rotation = R * after.
        const MMatrix after = current.asMatrix().inverse() * rotationPart(worldOf(n));
        const MMatrix delta = MEulerRotation(r[0], r[1], r[2], order).asMatrix();
        MMatrix wanted;
        if (!relative)
            wanted = delta * after.inverse();  // absolute world rotation
        else if (world)
            wanted = current.asMatrix() * after * delta * after.inverse();
        else
            wanted = delta * current.asMatrix();
        result = nearest(MEulerRotation::decompose(wanted, order), naive);
    }
    for (int i = 0; i < 3; ++i) w.add(n, x.r[i], result[i], "rotate");
}

void setScale(Writes& w, Node* n, const double s[3], bool relative) {
    const auto& x = n->type->xform;
    for (int i = 0; i < 3; ++i) {
        const double now = x.s[i] >= 0 ? n->getNumber(x.s[i]) : 1.0;
        w.add(n, x.s[i], relative ? now * s[i] : s[i], "scale");
    }
}

// A matrix as translate, rotate (in the node's order) and scale.
void setMatrix(Writes& w, Node* n, const MMatrix& m, bool world) {
    MMatrix local = m;
    if (world) local = m * (localOf(n).inverse() * worldOf(n)).inverse();
    double s[3], t[3];
    for (int i = 0; i < 3; ++i) {
        s[i] = std::sqrt(local.matrix[i][0] * local.matrix[i][0] + local.matrix[i][1] * local.matrix[i][1] +
                         local.matrix[i][2] * local.matrix[i][2]);
        t[i] = local.matrix[3][i];
    }
    if (local.det3x3() < 0) s[0] = -s[0];
    MMatrix rot = rotationPart(local);
    if (s[0] < 0)
        for (int j = 0; j < 3; ++j) rot.matrix[0][j] = -rot.matrix[0][j];
    const MEulerRotation e = MEulerRotation::decompose(rot, orderOf(n));
    const double r[3] = {e.x, e.y, e.z};
    setScale(w, n, s, false);
    setRotation(w, n, r, false, false);
    setTranslation(w, n, t, false, false);
}

std::vector<double> numbers(const Invocation& inv, const char* flag, std::size_t count) {
    std::vector<double> out;
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(inv.flagNumber(flag, static_cast<int>(i)));
        if (!std::isfinite(out.back())) inv.fail("-" + std::string(flag) + " takes finite numbers");
    }
    return out;
}

Value fromNumbers(const std::vector<double>& v) {
    std::vector<Value> out;
    for (double d : v) out.push_back(Value::real(tidy(d)));
    return Value::of(std::move(out));
}

Value xformQuery(Invocation& inv, Node* n, bool world) {
    const char* items[] = {"translation", "rotation", "scale", "matrix", "rotatePivot", "scalePivot"};
    std::string what;
    for (const char* i : items) {
        if (!inv.has(i)) continue;
        if (!what.empty())
            inv.fail(
                "query one of -translation, -rotation, -scale, -matrix, -rotatePivot or -scalePivot, not -" +
                what + " and -" + i);
        what = i;
    }
    if (what.empty()) inv.fail("-query needs what to query: -translation, -rotation, -scale or -matrix");
    const auto& x = n->type->xform;
    const MMatrix W = worldOf(n);
    if (what == "matrix") {
        const MMatrix m = world ? W : localOf(n);
        std::vector<double> v;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) v.push_back(m.matrix[i][j]);
        return fromNumbers(v);
    }
    if (what == "translation") {
        if (world) return fromNumbers({W.matrix[3][0], W.matrix[3][1], W.matrix[3][2]});
        std::vector<double> v;
        for (int i = 0; i < 3; ++i) v.push_back(x.t[i] >= 0 ? n->getNumber(x.t[i]) : 0.0);
        return fromNumbers(v);
    }
    if (what == "rotation") {
        MEulerRotation e = rotationOf(n);
        if (world) {
            // Of the equivalent angles, those nearest the node's own channels.
            const double near[3] = {e.x, e.y, e.z};
            e = nearest(MEulerRotation::decompose(rotationPart(W), e.order), near);
        }
        return fromNumbers({e.x / kDeg, e.y / kDeg, e.z / kDeg});
    }
    if (what == "scale") {
        std::vector<double> v;
        for (int i = 0; i < 3; ++i) {
            if (world)
                v.push_back(std::sqrt(W.matrix[i][0] * W.matrix[i][0] + W.matrix[i][1] * W.matrix[i][1] +
                                      W.matrix[i][2] * W.matrix[i][2]));
            else
                v.push_back(x.s[i] >= 0 ? n->getNumber(x.s[i]) : 1.0);
        }
        return fromNumbers(v);
    }
    // A pivot: its channels when the node has them, else the origin of its space.
    double p[3] = {0, 0, 0};
    if (Attr* a = n->findAttr(what))
        for (std::size_t i = 0; i < a->children.size() && i < 3; ++i)
            p[i] = n->getNumber(a->children[i]->index);
    if (!world) return fromNumbers({p[0], p[1], p[2]});
    double out[3];
    for (int j = 0; j < 3; ++j)
        out[j] = p[0] * W.matrix[0][j] + p[1] * W.matrix[1][j] + p[2] * W.matrix[2][j] + W.matrix[3][j];
    return fromNumbers({out[0], out[1], out[2]});
}

Value xform(Invocation& inv) {
    const bool world = inv.has("worldSpace");
    if (world && inv.has("objectSpace")) inv.fail("give -worldSpace or -objectSpace, not both");
    const bool relative = inv.has("relative");
    if (relative && inv.has("absolute")) inv.fail("give -relative or -absolute, not both");
    if (inv.has("query")) {
        if (inv.args.size() != 1) inv.fail("-query takes one node");
        return xformQuery(inv, transformsOf(inv, inv.args).front(), world);
    }
    if (!inv.has("translation") && !inv.has("rotation") && !inv.has("scale") && !inv.has("matrix"))
        inv.fail("nothing to set: give -translation, -rotation, -scale or -matrix");
    if (inv.has("matrix") && relative) inv.fail("-matrix sets the whole matrix; it cannot be -relative");
    Writes w{inv, {}};
    for (Node* n : transformsOf(inv, inv.args)) {
        if (inv.has("matrix")) {
            MMatrix m;
            for (int i = 0; i < 16; ++i) m.matrix[i / 4][i % 4] = inv.flagNumber("matrix", i);
            setMatrix(w, n, m, world);
        }
        if (inv.has("scale")) {
            auto s = numbers(inv, "scale", 3);
            setScale(w, n, s.data(), relative);
        }
        if (inv.has("rotation")) {
            auto r = numbers(inv, "rotation", 3);
            for (double& v : r) v *= kDeg;
            setRotation(w, n, r.data(), world, relative);
        }
        if (inv.has("translation")) {
            auto t = numbers(inv, "translation", 3);
            setTranslation(w, n, t.data(), world, relative);
        }
    }
    // Several edits of one node: each computed from the state before them all.
    w.apply();
    return Value::none();
}

// move/rotate/scale X Y Z [NODE...]: three numbers, then the nodes.
std::vector<double> leadingNumbers(Invocation& inv, std::vector<Arg>& rest) {
    std::vector<double> v;
    std::size_t i = 0;
    for (; i < inv.args.size() && i < 3 && inv.args[i].isNumber(); ++i) v.push_back(inv.args[i].number);
    if (v.size() != 3) inv.fail("expects three numbers (x y z) before the nodes");
    for (double d : v)
        if (!std::isfinite(d)) inv.fail("the values must be finite numbers");
    rest.assign(inv.args.begin() + static_cast<long>(i), inv.args.end());
    return v;
}

Value move(Invocation& inv) {
    std::vector<Arg> names;
    auto v = leadingNumbers(inv, names);
    const bool relative = inv.has("relative");
    // Object space moves along the node's own axes; local space is the
    // translate channels themselves; world space is the default.
    const bool objectSpace = inv.has("objectSpace"), localSpace = inv.has("localSpace");
    if (objectSpace + localSpace + inv.has("worldSpace") > 1)
        inv.fail("give one of -worldSpace, -objectSpace or -localSpace");
    Writes w{inv, {}};
    for (Node* n : transformsOf(inv, names)) {
        if (localSpace || (objectSpace && !relative)) {
            setTranslation(w, n, v.data(), false, relative);
        } else if (objectSpace) {
            const MMatrix R = rotationPart(worldOf(n));
            double d[3];
            for (int j = 0; j < 3; ++j)
                d[j] = v[0] * R.matrix[0][j] + v[1] * R.matrix[1][j] + v[2] * R.matrix[2][j];
            setTranslation(w, n, d, true, true);
        } else {
            setTranslation(w, n, v.data(), true, relative);
        }
    }
    w.apply();
    return Value::none();
}

Value rotate(Invocation& inv) {
    std::vector<Arg> names;
    auto v = leadingNumbers(inv, names);
    for (double& d : v) d *= kDeg;
    if (inv.has("objectSpace") && inv.has("worldSpace"))
        inv.fail("give -worldSpace or -objectSpace, not both");
    Writes w{inv, {}};
    for (Node* n : transformsOf(inv, names))
        setRotation(w, n, v.data(), inv.has("worldSpace"), inv.has("relative"));
    w.apply();
    return Value::none();
}

Value scale(Invocation& inv) {
    std::vector<Arg> names;
    auto v = leadingNumbers(inv, names);
    Writes w{inv, {}};
    for (Node* n : transformsOf(inv, names)) setScale(w, n, v.data(), inv.has("relative"));
    w.apply();
    return Value::none();
}

const Registrar regs[] = {
    Registrar{
        {"xform",
         {{"query", "q", 0},
          {"translation", "t", 3},
          {"rotation", "ro", 3},
          {"scale", "s", 3},
          {"matrix", "m", 16},
          {"rotatePivot", "rp", 3},
          {"scalePivot", "sp", 3},
          {"worldSpace", "ws", 0},
          {"objectSpace", "os", 0},
          {"relative", "r", 0},
          {"absolute", "a", 0}},
         xform,
         "xform [-worldSpace|-objectSpace] [-relative|-absolute] [-translation X Y Z] [-rotation X Y Z] "
         "[-scale X Y Z] [-matrix M00 ... M33] [NODE...] | xform -query [-worldSpace] "
         "-translation|-rotation|-scale|-matrix|-rotatePivot|-scalePivot NODE  (object space by "
         "default: the node's channels; -relative adds to translate and rotate and multiplies scale)",
         "with -query the values (three, or sixteen for -matrix, row by row); else none"}},
    Registrar{{"move",
               {{"relative", "r", 0},
                {"absolute", "a", 0},
                {"worldSpace", "ws", 0},
                {"objectSpace", "os", 0},
                {"localSpace", "ls", 0}},
               move,
               "move [-relative] [-worldSpace|-objectSpace|-localSpace] X Y Z [NODE...]  (world space by "
               "default: the node goes to X Y Z, or by it with -relative; -objectSpace -relative moves along "
               "the node's own axes)",
               "none"}},
    Registrar{
        {"rotate",
         {{"relative", "r", 0}, {"absolute", "a", 0}, {"worldSpace", "ws", 0}, {"objectSpace", "os", 0}},
         rotate,
         "rotate [-relative] [-objectSpace|-worldSpace] X Y Z [NODE...]  (degrees; absolute: the rotate "
         "channels, or the world rotation with -worldSpace; -relative turns about the node's own axes, "
         "or the world's with -worldSpace)",
         "none"}},
    Registrar{
        {"scale",
         {{"relative", "r", 0}, {"absolute", "a", 0}, {"objectSpace", "os", 0}, {"worldSpace", "ws", 0}},
         scale,
         "scale [-relative] X Y Z [NODE...]  (-relative multiplies the scale)",
         "none"}},
};

}  // namespace

}  // namespace rdhost::cmd
