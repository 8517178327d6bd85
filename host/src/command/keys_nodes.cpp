#include "command/keys_nodes.h"

#include "graph/handles.h"
#include "graph/undo.h"

#include <maya/MDataBlock.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <utility>

namespace rdhost::keys {

namespace {

// What keys the output: the attribute kind and the unit the host gives it.
enum class Out { Distance, Angle, Number, Time };

struct CurveKind {
    const char* name;
    unsigned id;  // as the host numbers them ('PCTL', ...)
    bool driven;  // input is a number, not the time
    Out out;
};

constexpr CurveKind kKinds[] = {
    {"animCurveTL", 0x5043544C, false, Out::Distance}, {"animCurveTA", 0x50435441, false, Out::Angle},
    {"animCurveTU", 0x50435455, false, Out::Number},   {"animCurveTT", 0x50435454, false, Out::Time},
    {"animCurveUL", 0x5043554C, true, Out::Distance},  {"animCurveUA", 0x50435541, true, Out::Angle},
    {"animCurveUU", 0x50435555, true, Out::Number},    {"animCurveUT", 0x50435554, true, Out::Time},
};

const CurveKind* kindOf(const Node* node) {
    if (!node || !node->type || node->type->plugin || !node->user) return nullptr;
    for (const CurveKind& k : kKinds)
        if (k.id == node->type->id) return &k;
    return nullptr;
}

struct Slots {
    int input, output, weighted, pre, post;
};

Slots slotsOf(const Node* n) {
    const NodeType* t = n->type;
    return {t->findAttr("input")->index, t->findAttr("output")->index, t->findAttr("weightedTangents")->index,
            t->findAttr("preInfinity")->index, t->findAttr("postInfinity")->index};
}

class AnimCurveNode : public MPxNode {
public:
    Curve curve;

    MStatus compute(const MPlug& plug, MDataBlock&) override {
        Node* node = ObjectAccess::node(this);
        PlugRef ref = ObjectAccess::ref(plug);
        if (!node || ref.attr != outputSlot(node)) return MS::kUnknownParameter;
        const Slots s = slotsOf(node);
        // An unconnected time input follows the scene's time, as the host's
        // curves do; a driven curve reads its input as it stands.
        const double at = node->source(s.input) || isDrivenCurve(node) ? node->getNumber(s.input)
                                                                       : node->scene->currentTime();
        node->writeNumberClean(ref.attr, evaluate(curveOf(node), at));
        return MS::kSuccess;
    }
};

void* createCurve() { return new AnimCurveNode; }

MObject infinityAttr(const char* name, const char* brief) {
    MFnEnumAttribute e;
    MObject a = e.create(name, brief, 0);
    for (int type : {kConstant, kLinearInfinity, kCycle, kCycleRelative, kOscillate})
        e.addField(infinityName(type), static_cast<short>(type));
    return a;
}

MStatus initializeCurve(const CurveKind& kind) {
    MFnUnitAttribute u;
    MFnNumericAttribute n;
    MObject input = kind.driven ? n.create("input", "i", MFnNumericData::kDouble, 0.0)
                                : u.create("input", "i", MFnUnitAttribute::kTime, 0.0);
    MFnAttribute in(input);
    in.setStorable(kind.driven);
    in.setKeyable(false);
    MObject output;
    switch (kind.out) {
    case Out::Distance:
        output = u.create("output", "o", MFnUnitAttribute::kDistance, 0.0);
        break;
    case Out::Angle:
        output = u.create("output", "o", MFnUnitAttribute::kAngle, 0.0);
        break;
    case Out::Time:
        output = u.create("output", "o", MFnUnitAttribute::kTime, 0.0);
        break;
    case Out::Number:
        output = n.create("output", "o", MFnNumericData::kDouble, 0.0);
        break;
    }
    MFnAttribute out(output);
    out.setWritable(false);
    out.setStorable(false);
    // Written with the keys, from the keys' own types.
    MObject tangent = n.create("tangentType", "tan", MFnNumericData::kShort, 0);
    n.setStorable(false);
    MObject weighted = n.create("weightedTangents", "wgt", MFnNumericData::kBoolean, 1);
    MObject pre = infinityAttr("preInfinity", "pre");
    MObject post = infinityAttr("postInfinity", "pst");
    for (const MObject* a : {&input, &output, &tangent, &weighted, &pre, &post}) {
        MStatus st = MPxNode::addAttribute(*a);
        if (!st) return st;
    }
    for (const MObject* a : {&input, &weighted, &pre, &post}) {
        MStatus st = MPxNode::attributeAffects(*a, output);
        if (!st) return st;
    }
    return MS::kSuccess;
}

template <int I>
MStatus initializeKind() {
    return initializeCurve(kKinds[I]);
}

constexpr MInitializeFunction kInitializers[] = {initializeKind<0>, initializeKind<1>, initializeKind<2>,
                                                 initializeKind<3>, initializeKind<4>, initializeKind<5>,
                                                 initializeKind<6>, initializeKind<7>};
static_assert(std::size(kInitializers) == std::size(kKinds));

void installAnimCurves(Scene& scene) {
    for (std::size_t i = 0; i < std::size(kKinds); ++i)
        scene.registerBuiltinType(kKinds[i].name, kKinds[i].id, MPxNode::kDependNode, createCurve,
                                  kInitializers[i], false);
}

const BuiltinInstaller installer(&installAnimCurves);

// The keys of a curve as a step first found them, or as its undo left them;
// undo and redo swap them in.
class KeysEdit : public UndoEdit {
public:
    KeysEdit(Node* node, std::vector<Key> other) : node_(node), other_(std::move(other)) {}
    void undo() override { std::swap(static_cast<AnimCurveNode*>(node_->user)->curve.keys, other_); }
    void redo() override { undo(); }

private:
    NodeHold node_;
    std::vector<Key> other_;
};

// Every way to the keys, reading or changing them, comes through here: the
// first time in an undo step, the keys are recorded as they are.
AnimCurveNode* curveNode(const Node* node) {
    if (!isAnimCurve(node))
        throw HostError("'" + (node ? node->name : std::string("?")) + "' is not an anim curve");
    auto* c = static_cast<AnimCurveNode*>(node->user);
    UndoQueue& queue = node->scene->undoQueue();
    if (queue.recording() && queue.firstTouch(c))
        queue.record(std::make_unique<KeysEdit>(const_cast<Node*>(node), c->curve.keys), false);
    return c;
}

struct KeyPreferences : SceneExtension {
    int in = kAuto, out = kAuto;
    bool weighted = false;
};

}  // namespace

bool isAnimCurve(const Node* node) { return kindOf(node) != nullptr; }

bool isDrivenCurve(const Node* node) {
    const CurveKind* k = kindOf(node);
    return k && k->driven;
}

std::string curveTypeFor(const Attr& attr, bool driven) {
    const char* out = nullptr;
    switch (attr.kind) {
    case AttrKind::Distance:
        out = "L";
        break;
    case AttrKind::Angle:
        out = "A";
        break;
    case AttrKind::Time:
        out = "T";
        break;
    case AttrKind::Numeric:
    case AttrKind::Enum:
        out = "U";
        break;
    default:
        return "";
    }
    return std::string("animCurve") + (driven ? "U" : "T") + out;
}

std::vector<Key>& curveKeys(Node* curve) { return curveNode(curve)->curve.keys; }

const Curve& curveOf(Node* node) {
    const Slots s = slotsOf(node);
    Curve& c = curveNode(node)->curve;
    c.weighted = node->getNumber(s.weighted) != 0.0;
    c.pre = static_cast<int>(node->getNumber(s.pre));
    c.post = static_cast<int>(node->getNumber(s.post));
    c.xScale = isDrivenCurve(node) ? 1.0 : 24.0;
    return c;
}

int outputSlot(const Node* curve) { return curve->type->findAttr("output")->index; }
int inputSlot(const Node* curve) { return curve->type->findAttr("input")->index; }

namespace {

void outputChanged(Node* curve) { curve->scene->propagateDirty(PlugRef{curve, inputSlot(curve)}); }

}  // namespace

void keysChanged(Node* curve) {
    curveNode(curve);
    curve->scene->undoQueue().markChanged();
    outputChanged(curve);
}

void timeChanged(Scene& scene) {
    // Copy: nothing here creates nodes, but propagation may call back into plug-ins.
    std::vector<Node*> curves;
    for (Node* n : scene.nodes())
        if (isAnimCurve(n) && !isDrivenCurve(n) && !n->source(inputSlot(n))) curves.push_back(n);
    for (Node* c : curves) outputChanged(c);
}

void atTime(Scene& scene, double t, const std::function<void()>& read) {
    const double now = scene.currentTime();
    if (t == now) return read();
    // A read at another time changes nothing a user undoes: what it does
    // rides along in the undo step as evaluation does.
    UndoQuiet quiet(scene.undoQueue());
    // Keyed plugs holding a value of their own (clean, not yet re-read from
    // their curve) get it back once the time is restored.
    std::vector<std::pair<PlugRef, double>> held;
    for (Node* n : scene.nodes())
        if (isAnimCurve(n) && !isDrivenCurve(n))
            for (const PlugRef& d : n->destinations(outputSlot(n)))
                if (!d.node->isDirty(d.attr)) held.emplace_back(d, d.node->storedNumber(d.attr));
    auto restore = [&] {
        scene.setCurrentTime(now);
        timeChanged(scene);
        for (const auto& [plug, value] : held) plug.node->setNumber(plug.attr, value);
    };
    scene.setCurrentTime(t);
    timeChanged(scene);
    try {
        read();
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

Node* drivingCurve(PlugRef plug) {
    if (!plug || !plug.node->hasSlot(plug.attr)) return nullptr;
    const PlugRef& src = plug.node->source(plug.attr);
    if (!src || !isAnimCurve(src.node) || src.attr != outputSlot(src.node)) return nullptr;
    return src.node;
}

int defaultTangent(Scene& scene, bool in) {
    const KeyPreferences& p = scene.extension<KeyPreferences>();
    return in ? p.in : p.out;
}

void setDefaultTangent(Scene& scene, bool in, int type) {
    KeyPreferences& p = scene.extension<KeyPreferences>();
    (in ? p.in : p.out) = type;
}

namespace {
struct PlaybackState : SceneExtension {
    PlaybackRange range;
};
}  // namespace

PlaybackRange& playbackRange(Scene& scene) { return scene.extension<PlaybackState>().range; }

std::string playbackText(const PlaybackRange& r) {
    auto num = [](double v) {
        std::ostringstream o;
        o.precision(17);
        o << v;
        return o.str();
    };
    return "playbackOptions -min " + num(r.min) + " -max " + num(r.max) + " -ast " + num(r.start) + " -aet " +
           num(r.end) + " ";
}

bool readPlaybackText(const std::string& text, PlaybackRange& r) {
    const std::size_t at = text.find("playbackOptions");
    if (at == std::string::npos) return false;
    std::istringstream in(text.substr(at + 15));
    std::string flag;
    while (in >> flag) {
        double* field = flag == "-min" || flag == "-minTime"              ? &r.min
                        : flag == "-max" || flag == "-maxTime"            ? &r.max
                        : flag == "-ast" || flag == "-animationStartTime" ? &r.start
                        : flag == "-aet" || flag == "-animationEndTime"   ? &r.end
                                                                          : nullptr;
        if (!field) continue;
        std::string word;
        if (!(in >> word)) break;
        char* end = nullptr;
        const double v = std::strtod(word.c_str(), &end);
        if (end != word.c_str() && std::isfinite(v)) *field = v;
    }
    if (r.min > r.max || r.start > r.end) r = PlaybackRange{};
    return true;
}

bool defaultWeighted(Scene& scene) { return scene.extension<KeyPreferences>().weighted; }
void setDefaultWeighted(Scene& scene, bool on) { scene.extension<KeyPreferences>().weighted = on; }

void setWeighted(Node* node, bool on) {
    const int slot = slotsOf(node).weighted;
    Curve c = curveOf(node);
    if (c.weighted == on) return;
    Curve target = c;
    target.weighted = on;
    for (std::size_t i = 0; i < c.keys.size(); ++i) {
        Key& k = curveNode(node)->curve.keys[i];
        for (bool in : {true, false}) {
            if ((in ? k.inType : k.outType) != kFixed) continue;
            double& x = in ? k.inX : k.outX;
            double& y = in ? k.inY : k.outY;
            const double len = std::hypot(x, y);
            if (!(len > 0.0)) continue;
            double length = 1.0;
            if (on) {
                // The length a computed tangent of this key would have.
                Key probe = k;
                (in ? probe.inType : probe.outType) = kFlat;
                std::swap(target.keys[i], probe);
                double px, py;
                tangentVector(target, i, in, px, py);
                std::swap(target.keys[i], probe);
                length = px * len / x;
                if (!(x > 0.0) || !std::isfinite(length)) length = px;
            }
            x = x / len * length;
            y = y / len * length;
        }
    }
    node->setNumber(slot, on ? 1.0 : 0.0);
}

}  // namespace rdhost::keys
