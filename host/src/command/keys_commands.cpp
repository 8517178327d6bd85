// Key commands: setKeyframe, keyframe -query, currentTime, evalDeferred.
//
//   setKeyframe [-time T] [-value V] [-attribute A]... [TARGET...]
//       TARGET is "node.attr" (long or short name; a compound keys its three
//       children) or a node (its keyable attributes, or those named by
//       -attribute); no target: the selected nodes. Keys at the current time
//       with the attribute's current value unless -time / -value say otherwise.
//       The first key of an attribute creates the curve NODE_LONGNAME
//       (animCurveTL/TA/TU by the attribute's unit) connected to it; later keys
//       go into that curve, a key at an existing time replaces its value.
//       Result: the number of keys set.
//   keyframe -query [-keyframeCount | -timeChange | -valueChange] TARGET...
//       Count (the default), times, or values (UI units) of the keys of the
//       curves driving the targets; a curve node may be named directly.
//   currentTime [-edit] T      sets the time; keyed attributes follow. Result T.
//   currentTime -query         the current time.
//   evalDeferred [-evaluateNext] "command"
//       queues the command for the idle step after the current top-level
//       command (-evaluateNext: ahead of the queue).
#include "command/attrs.h"
#include "command/keys_nodes.h"
#include "command/registry.h"

#include <cmath>

namespace rdhost::keys {

namespace {

using cmd::Invocation;
using cmd::PlugPath;
using cmd::Value;

// Every keyable plug a target names.
std::vector<PlugPath> keyTargets(Invocation& inv, bool forQuery) {
    std::vector<PlugPath> out;
    auto addAttr = [&](Node* node, Attr* attr) {
        if (attr->isCompound()) {
            for (Attr* c : attr->children) out.push_back(PlugPath{node, c});
        } else {
            out.push_back(PlugPath{node, attr});
        }
    };
    auto addNode = [&](Node* node) {
        if (inv.has("attribute")) {
            for (const std::string& name : inv.flagTexts("attribute")) {
                Attr* a = node->findAttr(name);
                if (!a) inv.fail("'" + node->name + "' has no attribute '" + name + "'");
                addAttr(node, a);
            }
            return;
        }
        for (Attr* a : node->type->attrs) {
            if (a->isCompound() || !node->plugFlag(a->index, Node::kKeyable) || curveTypeFor(*a).empty())
                continue;
            if (forQuery && !drivingCurve(PlugRef{node, a->index})) continue;
            // Keying a whole node passes over its locked channels, as the
            // host's does; a locked plug named on its own is an error.
            if (!forQuery && !cmd::lockProblem(PlugPath{node, a}).empty()) continue;
            out.push_back(PlugPath{node, a});
        }
    };
    std::vector<Node*> nodes;
    if (inv.args.empty()) {
        if (inv.scene.selection().empty()) inv.fail("nothing to key: give node.attribute or select a node");
        for (Node* n : inv.scene.selection()) addNode(n);
    }
    for (const cmd::Arg& arg : inv.args) {
        const std::string& text = arg.text;
        std::size_t bar = text.rfind('|');
        if (text.find('.', bar == std::string::npos ? 0 : bar) != std::string::npos) {
            PlugPath p = cmd::resolvePlug(inv.scene, text, inv.command);
            addAttr(p.node, p.attr);
        } else {
            addNode(cmd::findNodeOrFail(inv.scene, text, inv.command));
        }
    }
    return out;
}

Value setKeyframe(Invocation& inv) {
    std::vector<PlugPath> targets = keyTargets(inv, false);
    const double time = inv.has("time") ? inv.flagNumber("time") : inv.scene.currentTime();
    if (!std::isfinite(time)) inv.fail("the time must be a finite number");
    if (inv.has("value")) inv.flagNumber("value");  // a number, or the usual error
    const std::vector<cmd::Arg>* valueFlag = inv.flag("value");

    // Validate everything before the first key is set. A key value meets the
    // checks and limits setAttr applies, so that whatever is keyed can be saved
    // and read back.
    std::vector<double> values;
    std::vector<std::string> warnings;
    for (const PlugPath& p : targets) {
        if (p.node->unknownTypeName.size())
            inv.fail("'" + p.node->name + "' is a placeholder of an unknown type; it cannot be keyed");
        if (curveTypeFor(*p.attr).empty())
            inv.fail("'" + p.name() + "' cannot be keyed (it is " + cmd::attrTypeName(*p.attr) + ")");
        if (!p.attr->writable) inv.fail("'" + p.name() + "' is not writable; it cannot be keyed");
        const std::string locked = cmd::lockProblem(p);
        if (!locked.empty()) inv.fail(locked + "; it cannot be keyed");
        std::string by;
        if (cmd::drivenByNonAnim(p, &by))
            inv.fail("'" + p.name() + "' is driven by '" + by + "'; it cannot be keyed");
        if (valueFlag) {
            values.push_back(cmd::checkedNumber(p, valueFlag->front(), inv.command, warnings));
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
        PlugRef ref = p.ref();
        const double value = values[i];
        Node* curve = drivingCurve(ref);
        if (!curve) {
            curve = inv.scene.createNode(curveTypeFor(*p.attr), p.node->name + "_" + p.attr->longName,
                                         nullptr, true);
            try {
                inv.scene.connect(PlugRef{curve, outputSlot(curve)}, ref, false);
            } catch (...) {
                inv.scene.deleteNode(curve);
                throw;
            }
        }
        setKey(curveKeys(curve), time, value);
        keysChanged(curve);
        ++set;
    }
    return Value::integer(set);
}

Value keyframe(Invocation& inv) {
    if (!inv.has("query"))
        inv.fail("only -query is supported (with -keyframeCount, -timeChange or -valueChange)");
    int modes = inv.has("keyframeCount") + inv.has("timeChange") + inv.has("valueChange");
    if (modes > 1) inv.fail("give one of -keyframeCount, -timeChange or -valueChange");
    if (inv.args.empty() && inv.scene.selection().empty()) inv.fail("nothing to query: give node.attribute");

    // Curves in target order; a curve named directly counts as its own target.
    std::vector<Node*> curves;
    std::vector<const Attr*> units;
    cmd::Invocation nonCurves{inv.scene, inv.command,  inv.flags,       {},
                              inv.line,  inv.topLevel, inv.fileContext, inv.out};
    for (const cmd::Arg& a : inv.args) {
        Node* n = inv.scene.findNode(a.text);
        if (n && isAnimCurve(n)) {
            curves.push_back(n);
            units.push_back(n->type->attrs[outputSlot(n)]);
        } else {
            nonCurves.args.push_back(a);
        }
    }
    if (!nonCurves.args.empty() || inv.args.empty()) {
        for (const PlugPath& p : keyTargets(nonCurves, true)) {
            if (Node* c = drivingCurve(p.ref())) {
                curves.push_back(c);
                units.push_back(p.attr);
            }
        }
    }
    if (inv.has("timeChange") || inv.has("valueChange")) {
        std::vector<Value> list;
        for (std::size_t i = 0; i < curves.size(); ++i)
            for (const Key& k : curveKeys(curves[i]))
                list.push_back(inv.has("timeChange") ? Value::real(k.time)
                                                     : cmd::numberValue(*units[i], k.value));
        return Value::of(std::move(list));
    }
    long long count = 0;
    for (Node* c : curves) count += static_cast<long long>(curveKeys(c).size());
    return Value::integer(count);
}

Value currentTime(Invocation& inv) {
    if (inv.has("query")) {
        if (!inv.args.empty()) inv.fail("-query takes no time");
        return Value::real(inv.scene.currentTime());
    }
    if (inv.args.size() != 1 || !inv.args[0].isNumber()) inv.fail("expects one time (a frame number)");
    const double t = inv.args[0].number;
    if (!std::isfinite(t)) inv.fail("the time must be a finite number");
    inv.scene.setCurrentTime(t);
    timeChanged(inv.scene);
    return Value::real(t);
}

Value evalDeferred(Invocation& inv) {
    if (inv.args.size() != 1) inv.fail("expects one command string");
    if (inv.has("evaluateNext"))
        inv.scene.deferCommandFirst(inv.args[0].text);
    else
        inv.scene.deferCommand(inv.args[0].text);
    return Value::none();
}

const cmd::Registrar regs[] = {
    cmd::Registrar{{"setKeyframe",
                    {{"time", "t", 1}, {"value", "v", 1}, {"attribute", "at", 1}},
                    setKeyframe,
                    "setKeyframe [-time T] [-value V] [-attribute A]... [node.attr | node]...",
                    "the number of keys set"}},
    cmd::Registrar{
        {"keyframe",
         {{"query", "q", 0},
          {"keyframeCount", "kc", 0},
          {"timeChange", "tc", 0},
          {"valueChange", "vc", 0},
          {"attribute", "at", 1}},
         keyframe,
         "keyframe -query [-keyframeCount | -timeChange | -valueChange] [-attribute A] node.attr...",
         "the key count, or the keys' times or values"}},
    cmd::Registrar{{"currentTime",
                    {{"query", "q", 0}, {"edit", "e", 0}, {"update", "u", 1}},
                    currentTime,
                    "currentTime [-edit] [-update BOOL] T | currentTime -query",
                    "the current time"}},
    cmd::Registrar{{"evalDeferred",
                    {{"evaluateNext", "en", 0}, {"lowestPriority", "low", 0}},
                    evalDeferred,
                    "evalDeferred [-evaluateNext] [-lowestPriority] \"COMMAND\"",
                    "none"}},
};

}  // namespace

}  // namespace rdhost::keys
