// Making DAG nodes as riggers do: spaceLocator, group, duplicate.
#include "command/attrs.h"
#include "command/dynamic_attrs.h"
#include "command/registry.h"

#include <maya/MEulerRotation.h>
#include <maya/MMatrix.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

namespace rdhost::cmd {

namespace {

std::string label(const Node* n) { return n->isDag() ? n->partialPathName() : n->name; }

bool isShape(const Node* n) { return n->isDag() && !n->type->isTransform; }

bool validName(const std::string& n) {
    if (n.empty() || std::isdigit(static_cast<unsigned char>(n[0]))) return false;
    for (char c : n)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ':')) return false;
    return true;
}

Value spaceLocator(Invocation& inv) {
    if (!inv.args.empty()) inv.fail("takes no arguments (give -name and -position)");
    const std::string name = inv.has("name") ? inv.flagText("name") : "locator1";
    if (!validName(name)) inv.fail("'" + clipInput(name) + "' is not a valid node name");
    double p[3] = {0, 0, 0};
    if (inv.has("position"))
        for (int i = 0; i < 3; ++i) {
            p[i] = inv.flagNumber("position", i);
            if (!std::isfinite(p[i])) inv.fail("-position takes finite numbers");
        }
    if (!inv.scene.findType("locator")) inv.fail("the host's locator node type is not available");
    Node* xf = inv.scene.createNode("transform", inv.scene.uniqueName(name));
    // The shape follows its transform's name: locator3 holds locatorShape3.
    std::string stem = xf->name, digits;
    while (!stem.empty() && std::isdigit(static_cast<unsigned char>(stem.back()))) {
        digits.insert(digits.begin(), stem.back());
        stem.pop_back();
    }
    Node* shape = inv.scene.createNode("locator", stem + "Shape" + digits, xf, true);
    // -position places the locator's own point (its shape's localPosition),
    // as the host does; the transform stays at the origin.
    if (Attr* lp = shape->findAttr("localPosition"))
        for (std::size_t i = 0; i < lp->children.size() && i < 3; ++i)
            shape->setNumber(lp->children[i]->index, fromUi(*lp->children[i], p[i]));
    inv.scene.setSelection({xf});
    return Value::strings({xf->name});
}

std::pair<std::string, std::string> splitDigits(const std::string& name) {
    std::size_t end = name.size();
    while (end > 0 && std::isdigit(static_cast<unsigned char>(name[end - 1]))) --end;
    return {name.substr(0, end), name.substr(end)};
}

// The name a shape takes when its transform's copy is named `to`, as rename
// has it: "ctrlShape" of "ctrl" becomes "<to>Shape", the numbered
// "pCubeShape1" of "pCube1" becomes "pCubeShape2" for "pCube2". Empty for a
// shape named otherwise.
std::string followingShapeName(const std::string& shape, const std::string& from, const std::string& to) {
    if (shape == from + "Shape") return to + "Shape";
    const auto [stem, digits] = splitDigits(from);
    if (digits.empty() || shape != stem + "Shape" + digits) return "";
    const auto [toStem, toDigits] = splitDigits(to);
    return toStem + "Shape" + toDigits;
}

MMatrix worldOf(const Node* n) {
    double m[4][4];
    if (n)
        n->scene->worldMatrix(n, m);
    else
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) m[i][j] = i == j;
    return MMatrix(m);
}

// Puts `child` under `parent` keeping where it is in the world: its channels
// take the difference between the old parent's world matrix and the new one.
void reparentKeepingWorld(Scene& scene, Node* child, Node* parent) {
    const MMatrix before = worldOf(child->parent), after = worldOf(parent);
    scene.reparent(child, parent);
    if (before.isEquivalent(after)) return;
    double l[4][4];
    child->localMatrix(l);
    const MMatrix local = MMatrix(l) * before * after.inverse();
    const auto& x = child->type->xform;
    double s[3];
    MMatrix rot = local;
    for (int i = 0; i < 3; ++i) {
        s[i] = std::sqrt(local.matrix[i][0] * local.matrix[i][0] + local.matrix[i][1] * local.matrix[i][1] +
                         local.matrix[i][2] * local.matrix[i][2]);
        for (int j = 0; j < 3; ++j) rot.matrix[i][j] = s[i] > 0 ? local.matrix[i][j] / s[i] : 0.0;
        rot.matrix[i][3] = rot.matrix[3][i] = 0.0;
    }
    const int order = x.ro >= 0 ? static_cast<int>(child->getNumber(x.ro)) : 0;
    const MEulerRotation e = MEulerRotation::decompose(
        rot, static_cast<MEulerRotation::RotationOrder>(order >= 0 && order <= 5 ? order : 0));
    for (int i = 0; i < 3; ++i) {
        if (x.t[i] >= 0) child->setNumber(x.t[i], local.matrix[3][i]);
        if (x.r[i] >= 0) child->setNumber(x.r[i], e[i]);
        if (x.s[i] >= 0) child->setNumber(x.s[i], s[i]);
    }
}

Value group(Invocation& inv) {
    if (inv.has("world") && inv.has("parent")) inv.fail("give -world or -parent, not both");
    std::vector<Node*> nodes;
    for (const Arg& a : inv.args) nodes.push_back(findNodeOrFail(inv.scene, a.text, inv.command));
    if (inv.has("empty") && !nodes.empty())
        inv.fail("-empty makes a group with nothing in it; it takes no nodes");
    if (!inv.has("empty") && inv.args.empty()) nodes = inv.scene.selection();
    if (!inv.has("empty") && nodes.empty())
        inv.fail("nothing to group: give nodes, select some, or use -empty");
    const std::string name = inv.has("name") ? inv.flagText("name") : inv.has("empty") ? "null1" : "group1";
    if (!validName(name)) inv.fail("'" + clipInput(name) + "' is not a valid node name");
    for (Node* n : nodes)
        if (!n->isDag() || isShape(n))
            inv.fail("'" + label(n) + "' is not a transform; only transforms can be grouped");
    Node* parent = nullptr;
    if (inv.has("parent")) {
        parent = findNodeOrFail(inv.scene, inv.flagText("parent"), inv.command);
        if (!parent->isDag() || !parent->type->isTransform)
            inv.fail("'" + label(parent) + "' is not a transform; it cannot be a parent");
        for (Node* n : nodes)
            for (Node* up = parent; up; up = up->parent)
                if (up == n)
                    inv.fail("cannot group '" + label(n) + "' under its own descendant '" + label(parent) +
                             "'");
    } else if (!inv.has("world") && !nodes.empty()) {
        // Where the nodes are, when they all share one parent; else the world.
        parent = nodes.front()->parent;
        for (Node* n : nodes)
            if (n->parent != parent) parent = nullptr;
    }
    Node* g = inv.scene.createNode("transform", inv.scene.uniqueName(name), parent, true);
    for (Node* n : nodes) reparentKeepingWorld(inv.scene, n, g);
    inv.scene.setSelection({g});
    return Value::string(label(g));
}

// Copies one node's values and plug states to its duplicate: inputs as they
// read now (a keyed or driven channel keeps its current value), not the
// outputs, which the copy computes for itself.
void copyValues(Node* from, Node* to) {
    for (Attr* a : from->attrs()) {
        if (a->removed || a->isCompound() || a->kind == AttrKind::Matrix || a->computed) continue;
        Attr* b = to->findAttr(a->longName);
        if (!b || b->kind != a->kind) continue;
        if (a->writable) {
            if (a->kind == AttrKind::String)
                to->setString(b->index, from->getString(a->index));
            else
                to->setNumber(b->index, from->getNumber(a->index));
        }
    }
    for (Attr* a : from->attrs()) {
        if (a->removed) continue;
        if (Attr* b = to->findAttr(a->longName))
            to->setPlugStateBits(b->index, from->plugStateBits(a->index));
    }
}

Value duplicate(Invocation& inv) {
    std::vector<Node*> roots;
    for (const Arg& a : inv.args) roots.push_back(findNodeOrFail(inv.scene, a.text, inv.command));
    if (inv.args.empty()) roots = inv.scene.selection();
    if (roots.empty()) inv.fail("nothing to duplicate: give a node or select one");
    const std::string name = inv.has("name") ? inv.flagText("name") : "";
    if (inv.has("name") && !validName(name)) inv.fail("'" + clipInput(name) + "' is not a valid node name");
    if (inv.has("name") && roots.size() > 1) inv.fail("-name names one copy; give one node");
    for (Node* r : roots)
        if (isShape(r))
            inv.fail("'" + label(r) + "' is a shape; duplicate its transform '" + label(r->parent) + "'");

    std::map<Node*, Node*> copies;  // original -> duplicate
    std::vector<Node*> made, rootsMade;
    std::function<Node*(Node*, Node*, const std::string&)> copy = [&](Node* n, Node* parent,
                                                                      const std::string& as) {
        Node* c = n->unknownTypeName.empty()
                      ? inv.scene.createNode(n->type->name, as, parent, true)
                      : inv.scene.createPlaceholder(n->unknownTypeName, as, parent, n->isDag());
        c->raw = n->raw;
        copyDynamicAttrs(*n, *c);
        copyValues(n, c);
        copies[n] = c;
        made.push_back(c);
        if (inv.has("parentOnly")) return c;
        for (Node* child : n->children) {
            std::string childName = child->name;
            // A shape named after its transform follows the copy's name.
            const std::string follow = followingShapeName(child->name, n->name, c->name);
            if (isShape(child) && !follow.empty()) childName = follow;
            if (inv.has("renameChildren")) childName = inv.scene.uniqueName(childName);
            copy(child, c, childName);
        }
        return c;
    };
    try {
        for (Node* r : roots) {
            const std::string base = !name.empty() ? name : r->name;
            rootsMade.push_back(copy(r, r->isDag() ? r->parent : nullptr, inv.scene.uniqueName(base)));
        }
        // Connections between duplicated nodes join the copies; with
        // -inputConnections those coming from outside feed the copies too.
        for (auto& [orig, dup] : copies)
            for (Attr* a : orig->attrs()) {
                if (a->removed) continue;
                const PlugRef& s = orig->source(a->index);
                if (!s) continue;
                Attr* b = dup->findAttr(a->longName);
                if (!b) continue;
                auto inside = copies.find(s.node);
                if (inside != copies.end()) {
                    Attr* sa = inside->second->findAttr(s.node->attrAt(s.attr)->longName);
                    if (sa)
                        inv.scene.connect(PlugRef{inside->second, sa->index}, PlugRef{dup, b->index}, true);
                } else if (inv.has("inputConnections")) {
                    inv.scene.connect(s, PlugRef{dup, b->index}, true);
                }
            }
    } catch (...) {
        for (Node* r : rootsMade) inv.scene.deleteNode(r);
        throw;
    }
    inv.scene.setSelection(rootsMade);
    std::vector<std::string> out;
    for (Node* n : made) {
        const bool root = std::find(rootsMade.begin(), rootsMade.end(), n) != rootsMade.end();
        if (root || (!inv.has("returnRootsOnly") && !isShape(n))) out.push_back(label(n));
    }
    return Value::strings(out);
}

const Registrar regs[] = {
    Registrar{{"spaceLocator",
               {{"name", "n", 1}, {"position", "p", 3}, {"absolute", "a", 0}, {"relative", "r", 0}},
               spaceLocator,
               "spaceLocator [-name NAME] [-position X Y Z]  (a transform with a locator shape; -position "
               "sets the shape's localPosition)",
               "the new transform's name"}},
    Registrar{
        {"group",
         {{"name", "n", 1},
          {"empty", "em", 0},
          {"world", "w", 0},
          {"parent", "p", 1},
          {"absolute", "a", 0},
          {"relative", "r", 0}},
         group,
         "group [-name NAME] [-empty] [-world|-parent PARENT] [NODE...]  (the selection when no node is "
         "given; the group goes where the nodes share a parent, else the world; each node keeps its place "
         "in the world)",
         "the group's name"}},
    Registrar{
        {"duplicate",
         {{"name", "n", 1},
          {"returnRootsOnly", "rr", 0},
          {"renameChildren", "rc", 0},
          {"inputConnections", "ic", 0},
          {"parentOnly", "po", 0}},
         duplicate,
         "duplicate [-name NAME] [-returnRootsOnly] [-renameChildren] [-inputConnections] [-parentOnly] "
         "[NODE...]  "
         "(with children, added attributes, values and plug states; connections between the copied "
         "nodes are copied, those from outside only with -inputConnections)",
         "the copies' names: each root, then the transforms below it unless -returnRootsOnly"}},
};

}  // namespace

}  // namespace rdhost::cmd
