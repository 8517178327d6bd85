// Driven keys: setDrivenKeyframe and the blendWeighted node that adds up the
// curves of an attribute with several drivers.
//
//   setDrivenKeyframe -currentDriver DRIVER.ATTR [-driverValue D] [-value V]
//                     [-attribute A]... [-inTangentType T] [-outTangentType T]
//                     DRIVEN.ATTR | NODE...
//       Keys each driven attribute at the driver's value (its current one in
//       UI units, or D) with the driven attribute's value (current, or V). The
//       first key between a driver and an attribute makes a driven key curve
//       NODE_LONGNAME (animCurveUL/UA/UU/UT by the driven attribute's unit)
//       whose input the driver feeds and whose output drives the attribute. A
//       second driver of the same attribute gets its own curve, and a
//       blendWeighted node (inputs "i[0]", "i[1]", ... each times its weight
//       "w[N]", default 1) adds the curves up into the attribute, as the host
//       builds it. Result: the number of keys set.
//   setDrivenKeyframe -query -driver DRIVEN.ATTR   the attributes driving it.
#include "command/keys_select.h"
#include "command/registry.h"

#include "graph/handles.h"

#include <maya/MDataBlock.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnNumericData.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>

#include <cmath>
#include <string>

namespace rdhost::keys {

namespace {

using cmd::Invocation;
using cmd::PlugPath;
using cmd::Value;

// ---- blendWeighted

// The host's multis "input" and "weight" as numbered elements, each an
// attribute of its own here: enough for any face rig's drivers of one channel.
constexpr int kBlendInputs = 32;
constexpr unsigned kBlendWeightedId = 0x52424C57;  // 'RBLW'

// Slots in addAttribute order: the output, then each input and its weight.
constexpr int kOutput = 0;
constexpr int blendSlot(int i) { return 1 + 2 * i; }

class BlendWeighted : public MPxNode {
public:
    MStatus compute(const MPlug& plug, MDataBlock&) override {
        Node* node = ObjectAccess::node(this);
        PlugRef ref = ObjectAccess::ref(plug);
        if (ref.attr != kOutput) return MS::kUnknownParameter;
        double sum = 0.0;
        for (int i = 0; i < kBlendInputs; ++i)
            sum += node->getNumber(blendSlot(i)) * node->getNumber(blendSlot(i) + 1);
        node->writeNumberClean(kOutput, sum);
        return MS::kSuccess;
    }
};

void* createBlend() { return new BlendWeighted; }

MStatus initializeBlend() {
    MFnNumericAttribute n;
    MObject output = n.create("output", "o", MFnNumericData::kDouble, 0.0);
    n.setWritable(false);
    n.setStorable(false);
    MStatus st = MPxNode::addAttribute(output);
    if (!st) return st;
    for (int i = 0; i < kBlendInputs; ++i) {
        // Named input_N here; the type's table names them input[N] below
        // (attribute names proper take no brackets).
        const std::string k = "_" + std::to_string(i);
        MObject in = n.create(("input" + k).c_str(), ("i" + k).c_str(), MFnNumericData::kDouble, 0.0);
        n.setKeyable(true);
        MObject w = n.create(("weight" + k).c_str(), ("w" + k).c_str(), MFnNumericData::kFloat, 1.0);
        n.setKeyable(true);
        for (const MObject* a : {&in, &w}) {
            if (!(st = MPxNode::addAttribute(*a))) return st;
            if (!(st = MPxNode::attributeAffects(*a, output))) return st;
        }
    }
    return MS::kSuccess;
}

void installBlend(Scene& scene) {
    NodeType* t = scene.registerBuiltinType("blendWeighted", kBlendWeightedId, MPxNode::kDependNode,
                                            createBlend, initializeBlend, false);
    // Elements as the host's files and commands name them: "i[3]", "w[3]".
    t->byName.clear();
    for (Attr* a : t->attrs) {
        for (std::string* name : {&a->longName, &a->shortName}) {
            const std::size_t bar = name->rfind('_');
            if (bar != std::string::npos) *name = name->substr(0, bar) + "[" + name->substr(bar + 1) + "]";
            t->byName[*name] = a;
        }
    }
}

const BuiltinInstaller installer(&installBlend);

bool isBlend(const Node* n) { return n && n->type && !n->type->plugin && n->type->id == kBlendWeightedId; }

int blendInput(const Node*, int i) { return blendSlot(i); }

// ---- setDrivenKeyframe

// How a driven attribute is wired now, for one driver.
struct Wiring {
    Node* curve = nullptr;  // the driver's curve into the attribute, if any
    Node* blend = nullptr;  // the blendWeighted in front of the attribute, if any
    Node* other = nullptr;  // another driver's curve driving the attribute directly
};

bool fedBy(Node* curve, const PlugRef& driver) {
    const PlugRef& s = curve->source(inputSlot(curve));
    return s == driver;
}

Wiring wiring(const PlugPath& p, const PlugRef& driver, const Invocation& inv) {
    Wiring w;
    const PlugRef& src = p.node->source(p.attr->index);
    if (!src) return w;
    if (isBlend(src.node)) {
        w.blend = src.node;
        for (int i = 0; i < kBlendInputs; ++i) {
            const PlugRef& in = src.node->source(blendInput(src.node, i));
            if (in && isDrivenCurve(in.node) && fedBy(in.node, driver)) w.curve = in.node;
        }
        return w;
    }
    if (isDrivenCurve(src.node) && src.attr == outputSlot(src.node)) {
        (fedBy(src.node, driver) ? w.curve : w.other) = src.node;
        return w;
    }
    if (isAnimCurve(src.node))
        inv.fail("'" + p.name() + "' is keyed by '" + src.node->name + "'; it cannot also be driven");
    inv.fail("'" + p.name() + "' is driven by '" + src.node->plugName(src.attr) +
             "'; it cannot be driven keyed");
}

int freeBlendInput(const Node* blend) {
    for (int i = 0; i < kBlendInputs; ++i)
        if (!blend->source(blendInput(blend, i))) return i;
    return -1;
}

Value queryDrivers(Invocation& inv) {
    if (!inv.has("driver")) inv.fail("-query takes -driver");
    std::vector<std::string> drivers;
    auto add = [&](Node* curve) {
        const PlugRef& s = curve->source(inputSlot(curve));
        if (!s) return;
        const std::string name = s.node->plugName(s.attr);
        for (const std::string& d : drivers)
            if (d == name) return;
        drivers.push_back(name);
    };
    for (const PlugPath& p : keyTargets(inv, true)) {
        const PlugRef& src = p.node->source(p.attr->index);
        if (!src) continue;
        if (isDrivenCurve(src.node)) add(src.node);
        if (isBlend(src.node))
            for (int i = 0; i < kBlendInputs; ++i) {
                const PlugRef& in = src.node->source(blendInput(src.node, i));
                if (in && isDrivenCurve(in.node)) add(in.node);
            }
    }
    return Value::strings(drivers);
}

Value setDrivenKeyframe(Invocation& inv) {
    if (inv.has("query")) return queryDrivers(inv);
    if (!inv.has("currentDriver")) inv.fail("give the driver: -currentDriver node.attribute");
    const PlugPath driver = cmd::resolvePlug(inv.scene, inv.flagText("currentDriver"), inv.command);
    if (!cmd::isNumericKind(*driver.attr))
        inv.fail("the driver '" + driver.name() + "' is " + cmd::attrTypeName(*driver.attr) +
                 ", not a number");
    double at;
    if (inv.has("driverValue")) {
        at = inv.flagNumber("driverValue");
    } else {
        at = cmd::toUi(*driver.attr, inv.scene.pull(driver.ref()));
    }
    if (!std::isfinite(at)) inv.fail("the driver's value must be a finite number");
    if (inv.has("value")) inv.flagNumber("value");
    const int inType =
        inv.has("inTangentType") ? tangentFlag(inv, "inTangentType") : defaultTangent(inv.scene, true);
    const int outType =
        inv.has("outTangentType") ? tangentFlag(inv, "outTangentType") : defaultTangent(inv.scene, false);

    std::vector<PlugPath> targets = keyTargets(inv, false);
    std::vector<double> values;
    std::vector<Wiring> wires;
    std::vector<std::string> warnings;
    for (const PlugPath& p : targets) {
        if (p.node->unknownTypeName.size())
            inv.fail("'" + p.node->name + "' is a placeholder of an unknown type; it cannot be driven");
        if (curveTypeFor(*p.attr).empty())
            inv.fail("'" + p.name() + "' cannot be driven keyed (it is " + cmd::attrTypeName(*p.attr) + ")");
        if (!p.attr->writable) inv.fail("'" + p.name() + "' is not writable; it cannot be driven");
        if (p.ref() == driver.ref()) inv.fail("'" + p.name() + "' cannot drive itself");
        const std::string locked = cmd::lockProblem(p);
        if (!locked.empty()) inv.fail(locked + "; it cannot be driven");
        wires.push_back(wiring(p, driver.ref(), inv));
        if (!wires.back().curve && wires.back().blend && freeBlendInput(wires.back().blend) < 0)
            inv.fail("'" + p.name() + "' has " + std::to_string(kBlendInputs) + " drivers already");
        if (inv.has("value")) {
            values.push_back(cmd::checkedNumber(p, inv.flag("value")->front(), inv.command, warnings));
        } else {
            values.push_back(inv.scene.pull(p.ref()));
            if (!std::isfinite(values.back()))
                inv.fail("'" + p.name() + "' holds a value that is not a finite number; it cannot be keyed");
        }
    }
    for (const std::string& w : warnings) inv.scene.warn(w);

    long long set = 0;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const PlugPath& p = targets[i];
        Wiring w = wires[i];
        Node* curve = w.curve;
        if (!curve) {
            curve = makeCurve(inv.scene, p, true);
            const PlugRef out{curve, outputSlot(curve)};
            inv.scene.connect(driver.ref(), PlugRef{curve, inputSlot(curve)}, false);
            if (w.blend) {
                inv.scene.connect(out, PlugRef{w.blend, blendInput(w.blend, freeBlendInput(w.blend))}, false);
            } else if (w.other) {
                // A second driver: both curves go through a blendWeighted.
                Node* blend = inv.scene.createNode("blendWeighted", "", nullptr, true);
                inv.scene.connect(PlugRef{w.other, outputSlot(w.other)}, PlugRef{blend, blendInput(blend, 0)},
                                  true);
                inv.scene.connect(out, PlugRef{blend, blendInput(blend, 1)}, false);
                inv.scene.connect(PlugRef{blend, kOutput}, p.ref(), true);
            } else {
                inv.scene.connect(out, p.ref(), false);
            }
        }
        std::vector<Key>& keys = curveKeys(curve);
        setKey(keys, at, values[i], inType);
        for (Key& k : keys)
            if (k.time == at) {
                k.inType = inType;
                k.outType = outType;
            }
        keysChanged(curve);
        ++set;
    }
    return Value::integer(set);
}

const cmd::Registrar reg{
    {"setDrivenKeyframe",
     {{"query", "q", 0},
      {"currentDriver", "cd", 1},
      {"driver", "dr", 0},
      {"driverValue", "dv", 1},
      {"value", "v", 1},
      {"attribute", "at", 1, true},
      {"inTangentType", "itt", 1},
      {"outTangentType", "ott", 1}},
     setDrivenKeyframe,
     "setDrivenKeyframe -currentDriver DRIVER.ATTR [-driverValue D] [-value V] [-attribute A]... "
     "[-inTangentType T] [-outTangentType T] DRIVEN.ATTR | NODE... | setDrivenKeyframe -query "
     "-driver DRIVEN.ATTR",
     "the number of keys set; query: the driving attributes"}};

}  // namespace

}  // namespace rdhost::keys
