// Queries riggers type to find their way around a scene: listConnections,
// connectionInfo, listRelatives, objExists.
#include "command/attrs.h"
#include "command/registry.h"

#include <algorithm>
#include <functional>

namespace rdhost::cmd {

namespace {

std::string label(const Node* n) { return n->isDag() ? n->partialPathName() : n->name; }

bool isShape(const Node* n) { return n->isDag() && !n->type->isTransform; }

std::string typeName(const Node* n) {
    return n->unknownTypeName.empty() ? n->type->name : n->unknownTypeName;
}

// A boolean flag's value as MEL gives it (-source off); `fallback` when absent.
bool flagOn(const Invocation& inv, const char* flag, bool fallback) {
    if (!inv.has(flag)) return fallback;
    const Arg& v = (*inv.flag(flag))[0];
    if (!v.isNumber())
        inv.fail(std::string("flag -") + flag + " expects on or off (true/false, 1/0), got '" +
                 clipInput(v.text) + "'");
    return v.number != 0.0;
}

// The nodes or plugs the arguments name; the selection when none.
struct Target {
    Node* node = nullptr;
    Attr* attr = nullptr;  // null: the whole node
};

std::vector<Target> targets(const Invocation& inv) {
    std::vector<Target> out;
    if (inv.args.empty())
        for (Node* n : inv.scene.selection()) out.push_back({n, nullptr});
    for (const Arg& a : inv.args) {
        const std::size_t bar = a.text.rfind('|');
        if (a.text.find('.', bar == std::string::npos ? 0 : bar) != std::string::npos) {
            PlugPath p = resolvePlug(inv.scene, a.text, inv.command);
            out.push_back({p.node, p.attr});
        } else {
            out.push_back({findNodeOrFail(inv.scene, a.text, inv.command), nullptr});
        }
    }
    return out;
}

// The slots a target covers: a plug and its children, or every plug of a node.
std::vector<int> slotsOf(const Target& t) {
    std::vector<int> out;
    if (t.attr) {
        out.push_back(t.attr->index);
        for (const Attr* c : t.attr->children) out.push_back(c->index);
        return out;
    }
    for (const Attr* a : t.node->attrs())
        if (!a->removed) out.push_back(a->index);
    return out;
}

PlugPath pathOf(const PlugRef& r) { return PlugPath{r.node, r.node->attrAt(r.attr)}; }

// Past a unit conversion node to what it converts, upstream or downstream.
void pastConversions(const PlugRef& other, bool upstream, std::vector<PlugRef>& out, int depth = 0) {
    if (depth > 100 || typeName(other.node) != "unitConversion") {
        out.push_back(other);
        return;
    }
    Attr* through = other.node->findAttr(upstream ? "input" : "output");
    if (!through) {
        out.push_back(other);
        return;
    }
    if (upstream) {
        const PlugRef& s = other.node->source(through->index);
        if (s) pastConversions(s, true, out, depth + 1);
        return;
    }
    for (const PlugRef& d : other.node->destinations(through->index))
        pastConversions(d, false, out, depth + 1);
}

Value listConnections(Invocation& inv) {
    const bool source = flagOn(inv, "source", true), destination = flagOn(inv, "destination", true);
    const bool plugs = flagOn(inv, "plugs", false), pairs = flagOn(inv, "connections", false);
    const bool shapes = flagOn(inv, "shapes", false), skip = flagOn(inv, "skipConversionNodes", false);
    const bool exact = flagOn(inv, "exactType", false);
    const std::vector<std::string> types = inv.flagTexts("type");
    std::vector<std::string> out;
    for (const Target& t : targets(inv)) {
        for (int slot : slotsOf(t)) {
            std::vector<std::pair<PlugRef, bool>> others;  // (plug, upstream)
            if (source && t.node->source(slot)) others.emplace_back(t.node->source(slot), true);
            if (destination)
                for (const PlugRef& d : t.node->destinations(slot)) others.emplace_back(d, false);
            for (const auto& [other, upstream] : others) {
                std::vector<PlugRef> ends;
                if (skip)
                    pastConversions(other, upstream, ends);
                else
                    ends.push_back(other);
                for (const PlugRef& end : ends) {
                    bool wanted = types.empty();
                    for (const std::string& ty : types) wanted = wanted || typeMatches(end.node, ty, exact);
                    if (!wanted) continue;
                    if (pairs) out.push_back(PlugPath{t.node, t.node->attrAt(slot)}.name());
                    if (plugs) {
                        out.push_back(pathOf(end).name());
                        continue;
                    }
                    // A shape answers as its transform, as the host lists it, unless
                    // -shapes or a -type that names the shape's kind asks for it.
                    const Node* n = end.node;
                    if (isShape(n) && !shapes && n->parent && types.empty()) n = n->parent;
                    out.push_back(label(n));
                }
            }
        }
    }
    return Value::strings(out);
}

Value connectionInfo(Invocation& inv) {
    static const char* queries[] = {"sourceFromDestination", "destinationFromSource", "isSource",
                                    "isDestination",         "isExactSource",         "isExactDestination",
                                    "getExactSource",        "getExactDestination",   "isLocked",
                                    "getLockedAncestor"};
    std::string query;
    for (const char* q : queries) {
        if (!inv.has(q)) continue;
        if (!query.empty()) inv.fail("give one query flag, not -" + query + " and -" + q);
        query = q;
    }
    if (query.empty()) inv.fail("no query flag given (for example -sourceFromDestination or -isSource)");
    if (inv.args.size() != 1) inv.fail("expects one plug (node.attribute)");
    PlugPath p = resolvePlug(inv.scene, inv.args[0].text, inv.command);
    Node& n = *p.node;
    // The plug or, when it is not connected itself, its compound parent.
    auto connectedAs = [&](bool asDestination) -> const Attr* {
        for (const Attr* a = p.attr; a; a = a->parent) {
            if (asDestination ? static_cast<bool>(n.source(a->index)) : !n.destinations(a->index).empty())
                return a;
            if (query.find("Exact") != std::string::npos && query.rfind("is", 0) == 0) break;
        }
        return nullptr;
    };
    if (query == "isSource" || query == "isExactSource") return Value::boolean(connectedAs(false) != nullptr);
    if (query == "isDestination" || query == "isExactDestination")
        return Value::boolean(connectedAs(true) != nullptr);
    if (query == "sourceFromDestination") {
        const Attr* a = connectedAs(true);
        return Value::string(a ? pathOf(n.source(a->index)).name() : "");
    }
    // Which of the plug and its ancestors is the connected one.
    if (query == "getExactSource" || query == "getExactDestination") {
        const Attr* a = connectedAs(query == "getExactDestination");
        return Value::string(a ? PlugPath{&n, const_cast<Attr*>(a)}.name() : "");
    }
    if (query == "destinationFromSource") {
        std::vector<std::string> names;
        if (const Attr* a = connectedAs(false))
            for (const PlugRef& d : n.destinations(a->index)) names.push_back(pathOf(d).name());
        return Value::strings(names);
    }
    const Attr* locked = nullptr;
    for (const Attr* a = p.attr; a && !locked; a = a->parent)
        if (n.plugFlag(a->index, Node::kLocked)) locked = a;
    if (query == "isLocked") return Value::boolean(locked != nullptr);
    return Value::string(locked ? PlugPath{&n, const_cast<Attr*>(locked)}.name() : "");
}

Value listRelatives(Invocation& inv) {
    const char* modes[] = {"children", "allDescendents", "parent", "allParents"};
    std::string mode;
    for (const char* m : modes) {
        if (!inv.has(m)) continue;
        if (!mode.empty())
            inv.fail("give one of -children, -allDescendents, -parent or -allParents, not -" + mode +
                     " and -" + m);
        mode = m;
    }
    const bool shapesOnly = inv.has("shapes");
    if (shapesOnly && (mode == "parent" || mode == "allParents"))
        inv.fail("-shapes lists children; it does not go with -" + mode);
    if (mode.empty()) mode = "children";
    const std::vector<std::string> types = inv.flagTexts("type");
    std::vector<Node*> nodes;
    if (inv.args.empty()) nodes = inv.scene.selection();
    for (const Arg& a : inv.args) nodes.push_back(findNodeOrFail(inv.scene, a.text, inv.command));

    std::vector<Node*> found;
    auto add = [&](Node* n) {
        if (shapesOnly && !isShape(n)) return;
        bool wanted = types.empty();
        for (const std::string& t : types) wanted = wanted || typeMatches(n, t, false);
        if (wanted && std::find(found.begin(), found.end(), n) == found.end()) found.push_back(n);
    };
    for (Node* n : nodes) {
        if (mode == "parent") {
            if (n->parent) add(n->parent);
        } else if (mode == "allParents") {
            for (Node* p = n->parent; p; p = p->parent) add(p);
        } else if (mode == "children") {
            for (Node* c : n->children) add(c);
        } else {
            // Grandchildren before children, as the host lists them: the
            // depth-first order, reversed.
            std::vector<Node*> order;
            std::function<void(Node*)> walk = [&](Node* at) {
                for (Node* c : at->children) {
                    order.push_back(c);
                    walk(c);
                }
            };
            walk(n);
            for (auto it = order.rbegin(); it != order.rend(); ++it) add(*it);
        }
    }
    std::vector<std::string> out;
    for (Node* n : found) out.push_back(inv.has("fullPath") ? n->fullPathName() : label(n));
    return Value::strings(out);
}

Value objExists(Invocation& inv) {
    if (inv.args.size() != 1) inv.fail("expects one name (a node or node.attribute)");
    const std::string& text = inv.args[0].text;
    try {
        const std::size_t bar = text.rfind('|');
        if (text.find('.', bar == std::string::npos ? 0 : bar) != std::string::npos)
            resolvePlug(inv.scene, text, inv.command);
        else
            findNodeOrFail(inv.scene, text, inv.command);
    } catch (const HostError&) {
        return Value::boolean(false);
    }
    return Value::boolean(true);
}

const Registrar regs[] = {
    Registrar{{"listConnections",
               {{"source", "s", 1},
                {"destination", "d", 1},
                {"plugs", "p", 1},
                {"connections", "c", 1},
                {"shapes", "sh", 1},
                {"skipConversionNodes", "scn", 1},
                {"exactType", "et", 1},
                {"type", "t", 1}},
               listConnections,
               "listConnections [-source B] [-destination B] [-plugs B] [-connections B] [-type TYPE]... "
               "[-exactType B] [-shapes B] [-skipConversionNodes B] [NODE|NODE.ATTR...]  (the selection when "
               "none is given; both directions unless one is turned off)",
               "the connected nodes (a shape as its transform unless -shapes), or plugs with -plugs; with "
               "-connections each entry follows the plug of the given node it is connected to"}},
    Registrar{{"connectionInfo",
               {{"sourceFromDestination", "sfd", 0},
                {"destinationFromSource", "dfs", 0},
                {"isSource", "is", 0},
                {"isDestination", "id", 0},
                {"isExactSource", "ies", 0},
                {"isExactDestination", "ied", 0},
                {"getExactSource", "ges", 0},
                {"getExactDestination", "ged", 0},
                {"isLocked", "il", 0},
                {"getLockedAncestor", "gla", 0}},
               connectionInfo,
               "connectionInfo -sourceFromDestination|-destinationFromSource|-isSource|-isDestination|"
               "-isExactSource|-isExactDestination|-getExactSource|-getExactDestination|-isLocked|"
               "-getLockedAncestor NODE.ATTR  (one query; the plug's compound parent counts unless Exact)",
               "a plug name (\"\" when none), a list of plugs, or 0/1"}},
    Registrar{{"listRelatives",
               {{"children", "c", 0},
                {"allDescendents", "ad", 0},
                {"parent", "p", 0},
                {"allParents", "ap", 0},
                {"shapes", "s", 0},
                {"fullPath", "f", 0},
                {"path", "pa", 0},
                {"noIntermediate", "ni", 0},
                {"type", "typ", 1}},
               listRelatives,
               "listRelatives [-children|-allDescendents|-parent|-allParents] [-shapes] [-type TYPE]... "
               "[-fullPath] [-path] [NODE...]  (children by default; the selection when no node is given)",
               "DAG nodes (grandchildren before children with -allDescendents; full paths with -fullPath)"}},
    Registrar{{"objExists", {}, objExists, "objExists NAME|NODE.ATTR", "1 when it exists, else 0"}},
};

}  // namespace

}  // namespace rdhost::cmd
