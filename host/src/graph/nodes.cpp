// Nodes: their slots, creation (with the transform a locator gets), deletion,
// renaming and reparenting.
#define MNoVersionString
#include "graph/scene.h"

#include "graph/handles.h"
#include "graph/scene_impl.h"
#include "graph/undo.h"

#include <maya/MPxNode.h>

#include <algorithm>

namespace rdhost {

bool Node::isDag() const { return type && type->isDag; }

Attr* Node::findAttr(const std::string& n) const {
    if (Attr* a = type ? type->findAttr(n) : nullptr) return a;
    for (const auto& d : dynamic_)
        if (!d->removed && (d->longName == n || d->shortName == n)) return d.get();
    return nullptr;
}

std::string Node::plugName(int attr) const {
    if (!hasSlot(attr)) return name + ".<invalid>";
    return name + "." + attrAt(attr)->longName;
}

void Node::insertSlot(std::size_t pos, Attr* a) {
    const auto at = [pos](auto& v) { return v.begin() + static_cast<std::ptrdiff_t>(pos); };
    attrs_.insert(at(attrs_), a);
    num_.insert(at(num_), a->defaultValue);
    str_.insert(at(str_), a->defaultString);
    // Outputs start dirty so that the first read computes them.
    dirty_.insert(at(dirty_), a->computed ? 1 : 0);
    computing_.insert(at(computing_), 0);
    source_.insert(at(source_), PlugRef{});
    dests_.insert(at(dests_), std::vector<PlugRef>{});
    std::uint8_t state = 0;
    if (a->keyable) state |= kKeyable;
    if (a->channelBox) state |= kChannelBox;
    plugState_.insert(at(plugState_), state);
}

namespace {

// An added attribute's presence, swapped on undo and redo: its slots stay (so
// every plug keeps its index), the attribute comes and goes by its removed flag.
class DynamicAttrEdit final : public UndoEdit {
public:
    DynamicAttrEdit(Node* node, Attr* attr, bool added) : node_(node), attr_(attr), added_(added) {}
    void undo() override { set(added_); }
    void redo() override { set(!added_); }

private:
    void set(bool removed) {
        attr_->removed = removed;
        for (Attr* c : attr_->children) c->removed = removed;
    }
    NodeHold node_;
    Attr* attr_;
    bool added_;
};

void recordDynamicAttr(Node* node, Attr* attr, bool added) {
    UndoQueue& q = node->scene->undoQueue();
    if (q.recording()) q.record(std::make_unique<DynamicAttrEdit>(node, attr, added));
}

}  // namespace

Attr* Node::addDynamicAttr(std::unique_ptr<Attr> attr, std::vector<std::unique_ptr<Attr>> children) {
    Attr* a = attr.get();
    a->dynamic = true;
    a->children.clear();
    const auto add = [this](std::unique_ptr<Attr> x) {
        x->index = kFirstAddedSlot + static_cast<int>(attrs_.size() - typeSlots_);
        insertSlot(attrs_.size(), x.get());
        dynamic_.push_back(std::move(x));
    };
    add(std::move(attr));
    for (auto& c : children) {
        c->dynamic = true;
        c->parent = a;
        a->children.push_back(c.get());
        add(std::move(c));
    }
    if (scene) recordDynamicAttr(this, a, true);
    return a;
}

void Scene::removeDynamicAttr(Node* node, Attr* attr) {
    std::vector<Attr*> gone{attr};
    gone.insert(gone.end(), attr->children.begin(), attr->children.end());
    for (Attr* a : gone) {
        const int slot = a->index;
        if (node->source(slot)) disconnect(node->source(slot), PlugRef{node, slot});
        while (!node->destinations(slot).empty())
            disconnect(PlugRef{node, slot}, node->destinations(slot).back());
        a->removed = true;
    }
    recordDynamicAttr(node, attr, false);
}

const std::vector<Node*>& Scene::nodes() const { return impl_->nodes; }

Node::Node(Scene* owner, NodeType* nodeType, std::string nodeName)
    : name(std::move(nodeName)), type(nodeType), scene(owner) {
    growSlots();
}

static Node* makeNode(Scene& scene, Scene::Impl& impl, NodeType* type, const std::string& name) {
    auto node = std::make_unique<Node>(&scene, type, name);
    if (type->creator) {
        void* made = nullptr;
        {
            CurrentSceneGuard guard(&scene);
            made = type->creator();
        }
        if (!made) throw HostError("the creator of node type '" + type->name + "' returned no node");
        node->user = static_cast<MPxNode*>(made);
        ObjectAccess::bind(node->user, node.get());
    }
    Node* raw = node.release();
    impl.nodes.push_back(raw);
    impl.indexName(raw);
    noteNodeMade(raw);
    return raw;
}

static void attach(Node* child, Node* parent) {
    child->parent = parent;
    if (parent) parent->children.push_back(child);
}

Node* Scene::createNode(const std::string& typeName, const std::string& name, Node* parent, bool skipSelect) {
    NodeType* type = findType(typeName);
    if (!type) throw HostError("unknown node type '" + clipInput(typeName) + "'");
    return createNodeOf(type, name, parent, skipSelect);
}

Node* Scene::createNodeOf(NodeType* type, const std::string& name, Node* parent, bool skipSelect) {
    const std::string& typeName = type->name;
    if (!name.empty() && !validName(name))
        throw HostError("'" + clipInput(name) + "' is not a valid node name");
    if (parent) {
        if (!type->isDag)
            throw HostError("'" + typeName + "' is not a DAG node type; it cannot have a parent");
        if (!parent->type->isTransform)
            throw HostError("'" + parent->name + "' is not a transform; it cannot be a parent");
    }
    Node* transform = nullptr;
    if (type->kind == MPxNode::kLocatorNode && !parent) {
        NodeType* xt = findType("transform");
        transform = makeNode(*this, *impl_, xt, uniqueName("transform1"));
        parent = transform;
    }
    std::string base = name.empty() ? typeName + "1" : name;
    // Names must be unique in the scene, except that a DAG node placed under an
    // explicit parent only needs a name its siblings do not have (so a file can
    // hold "|a|shape" and "|b|shape").
    bool explicitParent = parent && !transform;
    std::string finalName = impl_->freeName(base, type->isDag, parent, nullptr, !explicitParent);
    Node* node = nullptr;
    try {
        node = makeNode(*this, *impl_, type, finalName);
    } catch (...) {
        if (transform) deleteNode(transform);
        throw;
    }
    attach(transform ? transform : node, transform ? nullptr : parent);
    if (transform) attach(node, transform);
    if (node->user) {
        CurrentSceneGuard guard(this);
        node->user->postConstructor();
    }
    if (!skipSelect) setSelection({transform ? transform : node});
    return node;
}

Node* Scene::createPlaceholder(const std::string& typeName, const std::string& name, Node* parent, bool dag) {
    // Each placeholder has a type of its own, which learns the attributes its
    // file sets and connects (Scene::addLateAttribute): two nodes of one
    // foreign type need not set the same ones.
    NodeType* like = findType(parent || dag ? "unknownDag" : "unknown");
    auto type = std::make_unique<NodeType>();
    type->name = typeName;
    type->kind = like->kind;
    type->isDag = like->isDag;
    type->isTransform = like->isTransform;
    type->foreign = true;
    NodeType* t = type.get();
    impl_->types.push_back(std::move(type));
    {
        CurrentSceneGuard guard(this);
        impl_->initializing.push_back(t);
        addInheritedAttributes(*this, *t);
        impl_->initializing.pop_back();
    }
    Node* n = createNodeOf(t, name, parent, true);
    n->unknownTypeName = typeName;
    return n;
}

void Scene::deleteNode(Node* node) {
    // Children first, then the node itself.
    std::vector<Node*> doomed;
    std::vector<Node*> stack{node};
    while (!stack.empty()) {
        Node* n = stack.back();
        stack.pop_back();
        doomed.push_back(n);
        for (Node* c : n->children) stack.push_back(c);
    }
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
        Node* n = *it;
        impl_->notify([n](SceneObserver& o) { o.nodeDeleting(n); });
        for (const Attr* at : n->attrs()) {
            const int a = at->index;
            if (n->source(a)) disconnect(n->source(a), PlugRef{n, a});
            while (!n->destinations(a).empty()) disconnect(PlugRef{n, a}, n->destinations(a).back());
        }
        const auto& selected = impl_->selection;
        if (std::find(selected.begin(), selected.end(), n) != selected.end()) {
            std::vector<Node*> rest = selected;
            rest.erase(std::remove(rest.begin(), rest.end(), n), rest.end());
            setSelection(std::move(rest));
        }
        // Kept while the undo queue may bring it back.
        nodeGone(n, detachNode(*this, n, false));
    }
}

void Scene::renameNode(Node* node, const std::string& newName) {
    if (!validName(newName)) throw HostError("'" + clipInput(newName) + "' is not a valid node name");
    std::string chosen = impl_->freeName(newName, node->isDag(), node->parent, node, false);
    const std::string old = node->name;
    impl_->unindexName(node);
    node->name = chosen;
    impl_->indexName(node);
    noteRename(node, old);
}

void Scene::reparent(Node* node, Node* newParent) {
    if (!node->isDag()) throw HostError("'" + node->name + "' is not a DAG node");
    if (newParent) {
        if (!newParent->type->isTransform)
            throw HostError("'" + newParent->name + "' is not a transform; it cannot be a parent");
        for (Node* p = newParent; p; p = p->parent)
            if (p == node)
                throw HostError("cannot parent '" + node->name + "' under '" + newParent->name +
                                "': it is the node itself or one of its descendants");
    } else if (!node->type->isTransform) {
        throw HostError("'" + node->name + "' is a shape; it must stay under a transform");
    }
    if (node->parent == newParent) return;
    Node* oldParent = node->parent;
    std::size_t oldIndex = 0;
    if (node->parent) {
        auto& sib = node->parent->children;
        oldIndex = static_cast<std::size_t>(std::find(sib.begin(), sib.end(), node) - sib.begin());
        sib.erase(std::remove(sib.begin(), sib.end(), node), sib.end());
    }
    attach(node, newParent);
    noteReparent(node, oldParent, oldIndex);
    std::string chosen = impl_->freeName(node->name, true, newParent, node, false);
    const std::string old = node->name;
    impl_->unindexName(node);
    node->name = chosen;
    impl_->indexName(node);
    noteRename(node, old);
}

}  // namespace rdhost
