#include "command/keys_select.h"

#include "command/ma_format.h"

#include <algorithm>
#include <cmath>

namespace rdhost::keys {

std::vector<cmd::PlugPath> keyTargets(cmd::Invocation& inv, bool forQuery) {
    std::vector<cmd::PlugPath> out;
    auto addAttr = [&](Node* node, Attr* attr) {
        if (attr->isCompound()) {
            for (Attr* c : attr->children) out.push_back(cmd::PlugPath{node, c});
        } else {
            out.push_back(cmd::PlugPath{node, attr});
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
        for (Attr* a : node->attrs()) {
            if (a->removed || a->isCompound() || curveTypeFor(*a).empty()) continue;
            if (forQuery) {
                if (drivingCurve(PlugRef{node, a->index})) out.push_back(cmd::PlugPath{node, a});
                continue;
            }
            if (!node->plugFlag(a->index, Node::kKeyable)) continue;
            // Keying a whole node passes over its locked channels, as the
            // host's does; a locked plug named on its own is an error.
            if (!cmd::lockProblem(cmd::PlugPath{node, a}).empty()) continue;
            out.push_back(cmd::PlugPath{node, a});
        }
    };
    if (inv.args.empty()) {
        if (inv.scene.selection().empty())
            inv.fail("nothing to act on: give node.attribute or select a node");
        for (Node* n : inv.scene.selection()) addNode(n);
    }
    for (const cmd::Arg& arg : inv.args) {
        const std::string& text = arg.text;
        std::size_t bar = text.rfind('|');
        if (text.find('.', bar == std::string::npos ? 0 : bar) != std::string::npos) {
            cmd::PlugPath p = cmd::resolvePlug(inv.scene, text, inv.command);
            addAttr(p.node, p.attr);
        } else {
            addNode(cmd::findNodeOrFail(inv.scene, text, inv.command));
        }
    }
    return out;
}

std::vector<CurveTarget> curveTargets(cmd::Invocation& inv) {
    std::vector<CurveTarget> out;
    auto add = [&](Node* curve, const Attr* unit) {
        for (const CurveTarget& t : out)
            if (t.curve == curve) return;
        out.push_back(CurveTarget{curve, unit});
    };
    cmd::Invocation rest{inv.scene, inv.command,  inv.flags,       {},
                         inv.line,  inv.topLevel, inv.fileContext, inv.out};
    std::vector<std::pair<std::size_t, Node*>> named;  // curves named directly, by position
    for (std::size_t i = 0; i < inv.args.size(); ++i) {
        Node* n = inv.scene.findNode(inv.args[i].text);
        if (n && isAnimCurve(n))
            named.emplace_back(i, n);
        else
            rest.args.push_back(inv.args[i]);
    }
    if (inv.args.empty()) {
        if (inv.scene.selection().empty())
            inv.fail("nothing to act on: give node.attribute or select a node");
        // Selected curves count as themselves, other nodes for their keyed plugs.
        for (Node* n : inv.scene.selection()) {
            if (isAnimCurve(n))
                named.emplace_back(0, n);
            else
                rest.args.push_back(cmd::Arg{cmd::Arg::Kind::Word, n->isDag() ? n->fullPathName() : n->name});
        }
    }
    std::vector<cmd::PlugPath> plugs;
    if (!rest.args.empty()) plugs = keyTargets(rest, true);
    for (const auto& [pos, curve] : named) add(curve, curve->attrAt(outputSlot(curve)));
    for (const cmd::PlugPath& p : plugs)
        if (Node* c = drivingCurve(p.ref())) add(c, p.attr);
    return out;
}

namespace {

// "a:b", "a:", ":b", ":" or "a"; open ends are infinite.
bool parseRange(const cmd::Arg& arg, std::pair<double, double>& out) {
    if (arg.isNumber()) {
        out = {arg.number, arg.number};
        return std::isfinite(arg.number);
    }
    const std::string& t = arg.text;
    const std::size_t colon = t.find(':');
    auto end = [](const std::string& part, double open) -> std::optional<double> {
        if (part.empty()) return open;
        auto v = ma::parseNumber(part);
        if (!v || !std::isfinite(*v)) return std::nullopt;
        return v;
    };
    auto a = end(t.substr(0, colon), colon == std::string::npos ? NAN : -HUGE_VAL);
    auto b = colon == std::string::npos ? a : end(t.substr(colon + 1), HUGE_VAL);
    if (!a || !b || std::isnan(*a) || std::isnan(*b) || *b < *a) return false;
    out = {*a, *b};
    return true;
}

}  // namespace

bool KeySet::contains(const std::vector<Key>& keys, std::size_t i) const {
    if (all()) return true;
    for (const auto& [a, b] : times)
        if (keys[i].time >= a && keys[i].time <= b) return true;
    for (const auto& [a, b] : indices)
        if (static_cast<double>(i) >= a && static_cast<double>(i) <= b) return true;
    return false;
}

KeySet keySet(const cmd::Invocation& inv) {
    KeySet set;
    for (const cmd::FlagUse& f : inv.flags) {
        if (f.name != "time" && f.name != "float" && f.name != "index") continue;
        if (f.args.empty()) continue;
        std::pair<double, double> r;
        if (!parseRange(f.args[0], r))
            inv.fail("-" + f.name + " '" + clipInput(f.args[0].text) +
                     "' is not a range (a number, or \"from:to\" with either end left open)");
        (f.name == "index" ? set.indices : set.times).push_back(r);
    }
    return set;
}

std::vector<cmd::FlagSpec> keySetFlags() {
    return {{"time", "t", 1, true},
            {"float", "f", 1, true},
            {"index", "in", 1, true},
            {"attribute", "at", 1, true}};
}

int tangentFlag(const cmd::Invocation& inv, const std::string& flag) {
    const std::string name = inv.flagText(flag);
    const int type = tangentFromName(name);
    if (!type)
        inv.fail(
            "-" + flag + " '" + clipInput(name) +
            "' is not a tangent type (auto, spline, linear, flat, step, stepnext, clamped, plateau, fixed)");
    return type;
}

}  // namespace rdhost::keys
