// Node commands: createNode, delete, rename, parent, select, ls, nodeType,
// listAttr.
#include "command/attrs.h"
#include "command/registry.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace rdhost::cmd {

namespace {

// Names as the host accepts them: a letter or '_' first, then letters, digits,
// '_'; ':' separates namespaces.
bool validName(const std::string& n) {
    if (n.empty()) return false;
    bool start = true;
    for (char c : n) {
        bool alpha = std::isalpha(static_cast<unsigned char>(c)) || c == '_';
        bool digit = std::isdigit(static_cast<unsigned char>(c)) != 0;
        if (c == ':') {
            if (start) return false;
            start = true;
            continue;
        }
        if (start ? !alpha : !(alpha || digit)) return false;
        start = false;
    }
    return !start;
}

std::string displayName(const Node* n) { return n->isDag() ? n->partialPathName() : n->name; }

std::string typeName(const Node* n) {
    if (!n->unknownTypeName.empty()) return n->unknownTypeName;
    return n->type ? n->type->name : "unknown";
}

bool alive(Scene& scene, const Node* n) {
    const auto& all = scene.nodes();
    return std::find(all.begin(), all.end(), n) != all.end();
}

// Shell-style match with '*' and '?'. Greedy with one backtrack point (the
// last '*'), so time stays proportional to pattern times name length whatever
// the pattern.
bool globMatch(const char* p, const char* s) {
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*s) {
        if (*p == '*') {
            star = p++;
            resume = s;
        } else if (*p == '?' || *p == *s) {
            ++p;
            ++s;
        } else if (star) {
            p = star + 1;
            s = ++resume;
        } else {
            return false;
        }
    }
    while (*p == '*') ++p;
    return *p == '\0';
}

bool nameMatches(const std::string& pattern, const Node* n) {
    std::string p = pattern;
    if (!p.empty() && p[0] == ':') p.erase(0, 1);
    if (p.find('|') != std::string::npos) {
        std::string full = n->isDag() ? n->fullPathName() : n->name;
        return globMatch(p.c_str(), full.c_str()) ||
               (n->isDag() && globMatch(p.c_str(), n->partialPathName().c_str()));
    }
    return globMatch(p.c_str(), n->name.c_str());
}

// Nodes named by the arguments: exact names and paths, or '*' patterns (each must
// match something).
std::vector<Node*> namedNodes(const Invocation& inv, const std::vector<Arg>& args) {
    std::vector<Node*> out;
    for (const Arg& a : args) {
        if (a.text.find_first_of("*?") == std::string::npos) {
            Node* n = findNodeOrFail(inv.scene, a.text, inv.command);
            if (std::find(out.begin(), out.end(), n) == out.end()) out.push_back(n);
            continue;
        }
        bool any = false;
        for (Node* n : inv.scene.nodes())
            if (nameMatches(a.text, n)) {
                any = true;
                if (std::find(out.begin(), out.end(), n) == out.end()) out.push_back(n);
            }
        if (!any) inv.fail("no node matches '" + a.text + "'");
    }
    return out;
}

Value createNode(Invocation& inv) {
    if (inv.args.size() != 1) inv.fail("expects one node type");
    const std::string typeNameArg = inv.args[0].text;
    NodeType* type = inv.scene.findType(typeNameArg);
    // A scene file may hold types of plug-ins we lack: keep them as placeholders.
    if (!type && !inv.fileContext) inv.fail("unknown node type '" + typeNameArg + "'");
    std::string name = inv.has("name") ? inv.flagText("name") : "";
    if (inv.has("name") && !validName(name)) inv.fail("'" + clipInput(name) + "' is not a valid node name");
    Node* parent = nullptr;
    if (inv.has("parent")) {
        parent = findNodeOrFail(inv.scene, inv.flagText("parent"), inv.command);
        if (type && !type->isDag)
            inv.fail("'" + type->name + "' is not a DAG node type; it cannot have a parent");
        if (!parent->isDag()) inv.fail("parent '" + parent->name + "' is not a DAG node");
    }
    if (inv.has("shared") && !name.empty()) {
        // Shared nodes (the default cameras of a scene file) are made only once.
        for (Node* existing : inv.scene.findNodes(name))
            if (existing->parent == parent && typeName(existing) == typeNameArg)
                return Value::string(displayName(existing));
    }
    Node* n = nullptr;
    if (!type) {
        n = inv.scene.createPlaceholder(typeNameArg, name, parent);
        inv.scene.warn("createNode: unknown node type '" + clipInput(typeNameArg) + "'; '" + n->name +
                       "' is kept as it is");
    } else {
        n = inv.scene.createNode(type->name, name, parent, inv.has("skipSelect"));
    }
    n->sharedNode = inv.has("shared");
    return Value::string(displayName(n));
}

Value deleteCmd(Invocation& inv) {
    std::vector<Node*> targets;
    if (inv.args.empty()) {
        targets = inv.scene.selection();
        if (targets.empty()) inv.fail("nothing to delete (no nodes given and nothing selected)");
    } else {
        targets = namedNodes(inv, inv.args);
    }
    for (Node* n : targets)
        if (alive(inv.scene, n)) inv.scene.deleteNode(n);  // a parent's deletion takes its children
    return Value::none();
}

// A name split into its stem and trailing digits: "pCube12" is "pCube", "12".
std::pair<std::string, std::string> splitDigits(const std::string& name) {
    std::size_t end = name.size();
    while (end > 0 && std::isdigit(static_cast<unsigned char>(name[end - 1]))) --end;
    return {name.substr(0, end), name.substr(end)};
}

// The name a shape takes when its transform is renamed from `from` to `to`,
// as the host renames them: "ctrlShape" of "ctrl" follows as "<to>Shape", and
// the host's numbered form "pCubeShape1" of "pCube1" as "barShape1" for
// "bar1" ("barShape" for "bar"). Empty for a shape named otherwise.
std::string followingShapeName(const std::string& shape, const std::string& from, const std::string& to) {
    if (shape == from + "Shape") return to + "Shape";
    const auto [stem, digits] = splitDigits(from);
    if (digits.empty() || shape != stem + "Shape" + digits) return "";
    const auto [toStem, toDigits] = splitDigits(to);
    return toStem + "Shape" + toDigits;
}

Value rename(Invocation& inv) {
    if (inv.has("uuid")) return Value::none();  // scene files' node ids: not modelled
    if (inv.args.size() != 2) inv.fail("expects the node and its new name");
    Node* n = findNodeOrFail(inv.scene, inv.args[0].text, inv.command);
    const std::string newName = inv.args[1].text;
    if (!validName(newName)) inv.fail("'" + clipInput(newName) + "' is not a valid node name");
    const std::string oldName = n->name;
    inv.scene.renameNode(n, newName);
    // The shapes below a transform named after it go with it (the name the
    // transform got, should the new one have been taken).
    if (n->type->isTransform && n->unknownTypeName.empty() && !inv.has("ignoreShape")) {
        for (Node* c : std::vector<Node*>(n->children)) {
            if (c->type->isTransform && c->unknownTypeName.empty()) continue;
            const std::string follow = followingShapeName(c->name, oldName, n->name);
            if (!follow.empty()) inv.scene.renameNode(c, follow);
        }
    }
    return Value::string(n->name);
}

Value parent(Invocation& inv) {
    bool world = inv.has("world");
    if (world ? inv.args.empty() : inv.args.size() < 2)
        inv.fail(world ? "expects the nodes to move to the world"
                       : "expects the child nodes and the new parent");
    std::vector<Arg> childArgs = inv.args;
    Node* newParent = nullptr;
    if (!world) {
        newParent = findNodeOrFail(inv.scene, childArgs.back().text, inv.command);
        childArgs.pop_back();
        if (!newParent->isDag() || !newParent->type->isTransform)
            inv.fail("'" + displayName(newParent) + "' is not a transform; it cannot be a parent");
    }
    std::vector<Node*> children = namedNodes(inv, childArgs);
    for (Node* c : children) {
        if (!c->isDag()) inv.fail("'" + c->name + "' is not a DAG node");
        if (world && !c->type->isTransform)
            inv.fail("'" + displayName(c) + "' is a shape; it must stay under a transform");
        for (Node* up = newParent; up; up = up->parent)
            if (up == c)
                inv.fail("cannot parent '" + displayName(c) + "' under '" + displayName(newParent) +
                         "', which is " + (up == newParent ? "itself" : "below it"));
        if (world && !c->parent) inv.fail("'" + displayName(c) + "' is already a child of the world");
        if (!world && c->parent == newParent)
            inv.fail("'" + displayName(c) + "' is already a child of '" + displayName(newParent) + "'");
    }
    std::vector<std::string> names;
    for (Node* c : children) {
        inv.scene.reparent(c, newParent);
        names.push_back(displayName(c));
    }
    return Value::strings(names);
}

Value select(Invocation& inv) {
    if (inv.has("clear")) {
        if (!inv.args.empty()) inv.fail("-clear takes no nodes");
        inv.scene.setSelection({});
        return Value::none();
    }
    std::vector<Node*> nodes = namedNodes(inv, inv.args);
    std::vector<Node*> sel = inv.scene.selection();
    if (inv.has("deselect")) {
        for (Node* n : nodes) sel.erase(std::remove(sel.begin(), sel.end(), n), sel.end());
    } else if (inv.has("add")) {
        for (Node* n : nodes)
            if (std::find(sel.begin(), sel.end(), n) == sel.end()) sel.push_back(n);
    } else {
        sel = nodes;
    }
    inv.scene.setSelection(std::move(sel));
    return Value::none();
}

Value ls(Invocation& inv) {
    std::vector<std::string> types = inv.flagTexts("type");
    const std::vector<Node*>& pool = inv.has("selection") ? inv.scene.selection() : inv.scene.nodes();
    std::vector<std::string> out;
    for (Node* n : pool) {
        bool wanted = types.empty();
        for (const std::string& t : types) wanted = wanted || typeMatches(n, t);
        if (!wanted) continue;
        if (!inv.args.empty()) {
            bool any = false;
            for (const Arg& a : inv.args) any = any || nameMatches(a.text, n);
            if (!any) continue;
        }
        out.push_back(inv.has("long") && n->isDag() ? n->fullPathName() : displayName(n));
    }
    return Value::strings(out);
}

Value nodeType(Invocation& inv) {
    if (inv.args.size() != 1) inv.fail("expects one node");
    return Value::string(typeName(findNodeOrFail(inv.scene, inv.args[0].text, inv.command)));
}

Value listAttr(Invocation& inv) {
    if (inv.args.size() != 1) inv.fail("expects one node");
    Node* n = findNodeOrFail(inv.scene, inv.args[0].text, inv.command);
    std::vector<std::string> out;
    if (n->type)
        for (const Attr* a : n->attrs()) {
            if (a->removed || (inv.has("userDefined") && !a->dynamic)) continue;
            const bool keyable = n->plugFlag(a->index, Node::kKeyable);
            if (inv.has("keyable") && !keyable) continue;
            // The channel box's other rows: shown there, but not keyable.
            if (inv.has("channelBox") && (keyable || !n->plugFlag(a->index, Node::kChannelBox))) continue;
            if (inv.has("locked") && !n->plugFlag(a->index, Node::kLocked)) continue;
            out.push_back(inv.has("shortNames") ? a->shortName : a->longName);
        }
    return Value::strings(out);
}

const Registrar regs[] = {
    Registrar{{"createNode",
               {{"name", "n", 1}, {"parent", "p", 1}, {"shared", "s", 0}, {"skipSelect", "ss", 0}},
               createNode,
               "createNode TYPE [-name NAME] [-parent PARENT] [-shared] [-skipSelect]  "
               "(a locator without a parent gets a transform, as in the host; -shared reuses "
               "a node of that name and type)",
               "the new node's name"}},
    Registrar{{"delete",
               {},
               deleteCmd,
               "delete [NODE|PATTERN...]  (with no nodes: the selection; takes DAG children "
               "and connections with it)",
               "none"}},
    Registrar{{"rename",
               {{"uuid", "uid", 0}, {"ignoreShape", "is", 0}},
               rename,
               "rename [-ignoreShape] NODE NEWNAME  (a transform's shapes named after it, "
               "\"NAMEShape\" or the numbered \"STEMShapeN\" of \"STEMN\", are renamed with it "
               "unless -ignoreShape)",
               "the new name (of the node named)"}},
    Registrar{{"parent",
               {{"world", "w", 0}},
               parent,
               "parent CHILD... PARENT | parent -world CHILD...",
               "the moved nodes' names"}},
    Registrar{{"select",
               {{"replace", "r", 0},
                {"add", "add", 0},
                {"clear", "cl", 0},
                {"deselect", "d", 0},
                {"noExpand", "ne", 0}},
               select,
               "select [-replace|-add|-deselect|-clear] [NODE|PATTERN...]",
               "none"}},
    Registrar{
        {"ls",
         {{"type", "typ", 1}, {"selection", "sl", 0}, {"long", "l", 0}},
         ls,
         "ls [-type TYPE]... [-selection] [-long] [PATTERN...]  (patterns with * and ?; -type transform "
         "takes joints too, -type animCurve every kind of curve)",
         "node names in creation order (selection order with -selection)"}},
    Registrar{{"nodeType", {}, nodeType, "nodeType NODE", "the node's type name"}},
    Registrar{{"listAttr",
               {{"keyable", "k", 0},
                {"channelBox", "cb", 0},
                {"locked", "l", 0},
                {"shortNames", "sn", 0},
                {"userDefined", "ud", 0}},
               listAttr,
               "listAttr [-keyable] [-channelBox] [-locked] [-userDefined] [-shortNames] NODE  (-keyable: "
               "the plugs keyable now; -channelBox: those shown in the channel box but not "
               "keyable; -locked: those locked; -userDefined: those added with addAttr; given together, "
               "each narrows the list)",
               "attribute long names (short with -shortNames): inherited ones first (a DAG "
               "node's visibility), then the type's own in creation order"}},
};

}  // namespace

}  // namespace rdhost::cmd
