// Attribute commands: setAttr, getAttr, connectAttr, disconnectAttr,
// attributeQuery.
#include "command/attrs.h"
#include "command/keys_nodes.h"
#include "command/registry.h"

#include <cmath>
#include <optional>

namespace rdhost::cmd {

namespace {

std::string plugArg(const Invocation& inv, size_t i, const char* what) {
    if (i >= inv.args.size()) inv.fail(std::string("missing ") + what);
    return inv.args[i].text;
}

Value setAttr(Invocation& inv) {
    const std::string text = plugArg(inv, 0, "plug (node.attribute)");
    std::vector<Arg> values(inv.args.begin() + 1, inv.args.end());
    std::string type = inv.has("type") ? inv.flagText("type") : "";
    // The per-plug states, each on or off; all checked before anything changes.
    auto state = [&](const char* f) -> std::optional<bool> {
        if (!inv.has(f)) return std::nullopt;
        const Arg& v = (*inv.flag(f))[0];
        if (!v.isNumber()) inv.fail(std::string("flag -") + f + " expects on or off, got '" + v.text + "'");
        return v.number != 0.0;
    };
    const std::optional<bool> lock = state("lock"), keyable = state("keyable"),
                              channelBox = state("channelBox");
    state("caching");  // accepted and checked; caching is not modelled
    const bool flagsOnly =
        lock || keyable || channelBox || inv.has("size") || inv.has("alteredValue") || inv.has("caching");

    // The states after the value; a compound's keyable and channel box
    // states are its children's, as the channels a user keys are the children.
    auto setStates = [&](const PlugPath& p) {
        Node& node = *p.node;
        auto setWithChildren = [&](Node::PlugStateBit bit, bool on) {
            node.setPlugFlag(p.attr->index, bit, on);
            for (const Attr* c : p.attr->children) node.setPlugFlag(c->index, bit, on);
        };
        if (lock) node.setPlugFlag(p.attr->index, Node::kLocked, *lock);
        if (keyable) setWithChildren(Node::kKeyable, *keyable);
        if (channelBox) setWithChildren(Node::kChannelBox, *channelBox);
    };

    // "pma.i1[0:2]": a run of elements, the values shared out among them. (A
    // placeholder keeps a run its file set as one value of that name.)
    const std::size_t bar = text.rfind('|');
    const std::size_t dot = text.find('.', bar == std::string::npos ? 0 : bar);
    const auto range =
        dot != std::string::npos && dot > 0 ? elementRange(text.substr(dot + 1)) : std::nullopt;
    if (range) {
        Node* node = findNodeOrFail(inv.scene, text.substr(0, dot), inv.command);
        if (rangeTemplate(inv.scene, node, *range)) {
            if (values.empty()) inv.fail("no values given for '" + clipInput(text) + "'");
            // "-lock off" sets the values its elements' locks would refuse.
            for (const PlugPath& e :
                 setRangeValues(inv.scene, node, *range, values, type, inv.command, !(lock && !*lock)))
                setStates(e);
            return Value::none();
        }
    }

    PlugPath p = resolvePlug(inv.scene, text, inv.command);
    if (values.empty() && !flagsOnly) inv.fail("no value given for '" + p.name() + "'");
    Node& node = *p.node;
    const int slot = p.attr->index;
    // "setAttr -lock off P V" unlocks before the value, "-lock on" locks after it.
    const std::uint8_t before = node.plugStateBits(slot);
    if (lock && !*lock) node.setPlugFlag(slot, Node::kLocked, false);
    if (!values.empty()) {
        try {
            setPlugValues(inv.scene, p, values, type, inv.command);
        } catch (...) {
            node.setPlugStateBits(slot, before);
            throw;
        }
    }
    setStates(p);
    return Value::none();
}

Value getAttr(Invocation& inv) {
    if (inv.args.size() != 1) inv.fail("expects one plug (node.attribute)");
    PlugPath p = resolvePlug(inv.scene, inv.args[0].text, inv.command);
    std::string query;
    for (const char* f : {"type", "lock", "keyable", "channelBox"}) {
        if (!inv.has(f)) continue;
        if (!query.empty())
            inv.fail("give one of -type, -lock, -keyable or -channelBox, not -" + query + " and -" + f);
        query = f;
    }
    if (query == "type") return Value::string(attrTypeName(*p.attr));
    // Locked as a change would find it: by the plug's own lock, its parent's or a child's.
    if (query == "lock") return Value::boolean(!lockProblem(p).empty());
    if (query == "keyable") return Value::boolean(p.node->plugFlag(p.attr->index, Node::kKeyable));
    if (query == "channelBox") return Value::boolean(p.node->plugFlag(p.attr->index, Node::kChannelBox));
    if (inv.has("time")) {
        const double t = inv.flagNumber("time");
        if (!std::isfinite(t)) inv.fail("-time must be a finite number");
        Value v;
        keys::atTime(inv.scene, t, [&] { v = readPlug(p); });
        return v;
    }
    return readPlug(p);
}

bool compatible(const Attr& s, const Attr& d) {
    if (isNumericKind(s) && isNumericKind(d)) return true;
    if (s.kind == AttrKind::String && d.kind == AttrKind::String) return true;
    if (s.isCompound() && d.isCompound() && s.children.size() == d.children.size()) return true;
    return false;
}

Value connectAttr(Invocation& inv) {
    if (inv.args.size() != 2) inv.fail("expects a source and a destination plug");
    PlugPath s = resolvePlug(inv.scene, inv.args[0].text, inv.command);
    PlugPath d = resolvePlug(inv.scene, inv.args[1].text, inv.command);
    if (s.ref() == d.ref()) inv.fail("cannot connect '" + s.name() + "' to itself");
    if (!compatible(*s.attr, *d.attr))
        inv.fail("cannot connect '" + s.name() + "' (" + attrTypeName(*s.attr) + ") to '" + d.name() + "' (" +
                 attrTypeName(*d.attr) + ")");
    if (!s.attr->readable) inv.fail("'" + s.name() + "' is not readable");
    if (!d.attr->writable) inv.fail("'" + d.name() + "' is not writable");
    const std::string locked = lockProblem(d);
    if (!locked.empty()) inv.fail(locked + "; it cannot be connected to");
    const PlugRef& existing = d.node->source(d.attr->index);
    if (existing) {
        PlugPath e{existing.node, existing.node->attrAt(existing.attr)};
        if (existing == s.ref() || upstreamOf(d) == s.ref())
            inv.fail("'" + s.name() + "' is already connected to '" + d.name() + "'");
        if (!inv.has("force"))
            inv.fail("'" + d.name() + "' is already connected from '" + e.name() +
                     "'; use -force to replace it");
    }
    connectPlugs(inv.scene, s, d, inv.has("force"));
    return Value::string("Connected " + s.name() + " to " + d.name() + ".");
}

Value disconnectAttr(Invocation& inv) {
    if (inv.args.size() != 2) inv.fail("expects a source and a destination plug");
    PlugPath s = resolvePlug(inv.scene, inv.args[0].text, inv.command);
    PlugPath d = resolvePlug(inv.scene, inv.args[1].text, inv.command);
    // Through a unitConversion node the host put between them: it goes too.
    const PlugRef direct = d.node->source(d.attr->index);
    const bool through = !(direct == s.ref()) && upstreamOf(d) == s.ref();
    if (!(direct == s.ref()) && !through)
        inv.fail("'" + s.name() + "' is not connected to '" + d.name() + "'");
    const std::string locked = lockProblem(d);
    if (!locked.empty()) inv.fail(locked + "; it cannot be disconnected");
    inv.scene.disconnect(direct, d.ref());
    if (through && direct.node->destinations(direct.attr).empty()) inv.scene.deleteNode(direct.node);
    return Value::string("Disconnected " + s.name() + " from " + d.name() + ".");
}

// attributeQuery: one query flag per call, as in the host.
Value attributeQuery(Invocation& inv) {
    static const char* queries[] = {"exists",        "shortName",    "longName",    "minimum",  "maximum",
                                    "minExists",     "maxExists",    "keyable",     "storable", "readable",
                                    "writable",      "hidden",       "usedAsColor", "listEnum", "listDefault",
                                    "attributeType", "listChildren", "listParent"};
    std::string query;
    for (const char* q : queries) {
        if (!inv.has(q)) continue;
        if (!query.empty()) inv.fail("give one query flag, not -" + query + " and -" + q);
        query = q;
    }
    if (query.empty()) inv.fail("no query flag given (for example -exists or -listEnum)");
    if (inv.args.size() != 1) inv.fail("expects one attribute name");
    const std::string attrName = inv.args[0].text;

    const NodeType* type = nullptr;
    const Node* node = nullptr;
    std::string owner;
    if (inv.has("node")) {
        Node* n = findNodeOrFail(inv.scene, inv.flagText("node"), inv.command);
        node = n;
        type = n->type;
        owner = "'" + n->name + "'";
    } else if (inv.has("type")) {
        type = inv.scene.findType(inv.flagText("type"));
        if (!type) inv.fail("unknown node type '" + inv.flagText("type") + "'");
        owner = "node type '" + type->name + "'";
    } else {
        inv.fail("give -node NODE or -type TYPE");
    }
    const Attr* a = node ? node->findAttr(attrName) : type ? type->findAttr(attrName) : nullptr;
    if (query == "exists") return Value::boolean(a != nullptr);
    if (!a) inv.fail(owner + " has no attribute '" + attrName + "'");

    auto limits = [&](bool min) {
        std::vector<Value> out;
        std::vector<const Attr*> parts;
        if (a->isCompound())
            parts.assign(a->children.begin(), a->children.end());
        else
            parts.push_back(a);
        for (const Attr* p : parts) {
            if (min ? !p->hasMin : !p->hasMax)
                inv.fail("'" + a->longName + "' has no " + (min ? "minimum" : "maximum"));
            out.push_back(numberValue(*p, min ? p->minValue : p->maxValue));
        }
        return Value::of(std::move(out));
    };

    if (query == "shortName") return Value::string(a->shortName);
    if (query == "longName") return Value::string(a->longName);
    if (query == "minimum") return limits(true);
    if (query == "maximum") return limits(false);
    if (query == "minExists") return Value::boolean(a->hasMin);
    if (query == "maxExists") return Value::boolean(a->hasMax);
    if (query == "keyable") return Value::boolean(a->keyable);
    if (query == "storable") return Value::boolean(a->storable);
    if (query == "readable") return Value::boolean(a->readable);
    if (query == "writable") return Value::boolean(a->writable);
    if (query == "hidden") return Value::boolean(a->hidden);
    if (query == "usedAsColor") return Value::boolean(a->usedAsColor);
    if (query == "attributeType") {
        if (a->kind == AttrKind::String) return Value::string("typed");
        if (a->isCompound()) return Value::string(attrTypeName(*a));
        return Value::string(attrTypeName(*a));
    }
    if (query == "listChildren") {
        std::vector<std::string> names;
        for (const Attr* c : a->children) names.push_back(c->longName);
        return Value::strings(names);
    }
    if (query == "listParent") return a->parent ? Value::strings({a->parent->longName}) : Value::none();
    if (query == "listEnum") {
        if (a->kind != AttrKind::Enum) inv.fail("'" + a->longName + "' is not an enum");
        std::string s;
        for (const auto& [name, value] : a->enumFields) {
            if (!s.empty()) s += ':';
            s += name + "=" + std::to_string(value);
        }
        return Value::strings({s});
    }
    // listDefault
    if (a->kind == AttrKind::String) return Value::strings({a->defaultString});
    if (a->kind == AttrKind::Matrix) inv.fail("'" + a->longName + "' has no default");
    std::vector<Value> out;
    if (a->isCompound()) {
        for (const Attr* c : a->children) out.push_back(numberValue(*c, c->defaultValue));
    } else {
        out.push_back(numberValue(*a, a->defaultValue));
    }
    return Value::of(std::move(out));
}

const Registrar regs[] = {
    Registrar{{"setAttr",
               {{"type", "typ", 1},
                {"keyable", "k", 1},
                {"lock", "l", 1},
                {"channelBox", "cb", 1},
                {"size", "s", 1},
                {"alteredValue", "av", 0},
                {"caching", "ca", 1}},
               setAttr,
               "setAttr NODE.ATTR VALUE... [-type \"string\"|\"double3\"|...] [-k on|off] "
               "[-l on|off] [-cb on|off]  (one value, three for a compound; angles in "
               "degrees, distances in centimetres; enums by number; clamps to hard limits "
               "with a warning; a locked plug refuses a value: -l off unlocks before the "
               "value is set, -l on locks after it; NODE.MULTI[A:B] sets elements A to B, "
               "one element's values after another)",
               "none"}},
    Registrar{{"getAttr",
               {{"type", "typ", 0},
                {"lock", "l", 0},
                {"keyable", "k", 0},
                {"channelBox", "cb", 0},
                {"silent", "sl", 0},
                {"time", "t", 1}},
               getAttr,
               "getAttr [-type|-lock|-keyable|-channelBox] [-time T] NODE.ATTR",
               "the value (at time T with -time; a compound gives its three children; booleans and enums as "
               "integers); with -type the attribute's type name; with -lock, -keyable or "
               "-channelBox the plug's state as 0/1"}},
    Registrar{{"connectAttr",
               {{"force", "f", 0}, {"nextAvailable", "na", 0}},
               connectAttr,
               "connectAttr [-force] SRC.ATTR DST.ATTR  (any numeric output to any numeric "
               "input; between an angle and a number or distance the value keeps its number "
               "in degrees, as the host's unit conversion does; -force replaces an existing "
               "incoming connection)",
               "\"Connected SRC to DST.\""}},
    Registrar{{"disconnectAttr",
               {{"nextAvailable", "na", 0}},
               disconnectAttr,
               "disconnectAttr SRC.ATTR DST.ATTR",
               "\"Disconnected SRC from DST.\""}},
    Registrar{{"attributeQuery",
               {{"node", "n", 1},          {"type", "typ", 1},       {"exists", "ex", 0},
                {"shortName", "sn", 0},    {"longName", "ln", 0},    {"minimum", "min", 0},
                {"maximum", "max", 0},     {"minExists", "mne", 0},  {"maxExists", "mxe", 0},
                {"keyable", "k", 0},       {"storable", "s", 0},     {"readable", "r", 0},
                {"writable", "w", 0},      {"hidden", "h", 0},       {"usedAsColor", "uac", 0},
                {"listEnum", "le", 0},     {"listDefault", "ld", 0}, {"attributeType", "at", 0},
                {"listChildren", "lc", 0}, {"listParent", "lp", 0}},
               attributeQuery,
               "attributeQuery -node NODE|-type TYPE -exists|-shortName|-longName|-minimum|"
               "-maximum|-minExists|-maxExists|-keyable|-storable|-readable|-writable|"
               "-hidden|-usedAsColor|-listEnum|-listDefault|-attributeType|-listChildren|"
               "-listParent ATTR",
               "booleans as 0/1; names as text; -minimum/-maximum/-listDefault as numbers "
               "(three for a compound); -listEnum as \"field=value:field=value...\""}},
};

}  // namespace

}  // namespace rdhost::cmd
