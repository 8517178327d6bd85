// The scene: node types, nodes and their storage, names, connections, dirty
// propagation, pull evaluation and the idle step.
#define MNoVersionString
#include "graph/scene.h"

#include "graph/handles.h"
#include "graph/scene_impl.h"

#include <maya/MDataBlock.h>
#include <maya/MFnNumericData.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>

namespace rdhost {

namespace {

Scene* g_current = nullptr;

std::vector<void (*)(Scene&)>& installers() {
    static std::vector<void (*)(Scene&)> list;
    return list;
}

bool validName(const std::string& n) {
    if (n.empty() || !(std::isalpha(static_cast<unsigned char>(n[0])) || n[0] == '_')) return false;
    for (char c : n)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
    return true;
}

// Clears a flag on scope exit, also when compute returns early.
struct FlagGuard {
    std::uint8_t& flag;
    explicit FlagGuard(std::uint8_t& f) : flag(f) { flag = 1; }
    ~FlagGuard() { flag = 0; }
};

}  // namespace

BuiltinInstaller::BuiltinInstaller(void (*install)(Scene&)) { installers().push_back(install); }

std::string hexId(unsigned id) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%x", id);
    return buf;
}

const char* Attr::enumFieldName(int value) const {
    for (const auto& f : enumFields)
        if (f.second == value) return f.first.c_str();
    return nullptr;
}

Attr* NodeType::findAttr(const std::string& n) const {
    auto it = byName.find(n);
    return it == byName.end() ? nullptr : it->second;
}

// ---------------------------------------------------------------- Node

double conformToAttr(const Attr* a, double v) {
    // Whole-number kinds: a value past the kind's range saturates and a
    // non-finite one reads as 0 (a cast of either would be undefined).
    if (a->kind == AttrKind::Enum)
        return std::isfinite(v) ? std::trunc(std::clamp(v, -32768.0, 32767.0)) + 0.0 : 0.0;
    if (a->kind != AttrKind::Numeric) return v;
    switch (a->numericType) {
    case MFnNumericData::kBoolean: return v != 0.0 ? 1.0 : 0.0;
    case MFnNumericData::kShort:
        return std::isfinite(v) ? std::trunc(std::clamp(v, -32768.0, 32767.0)) + 0.0 : 0.0;
    case MFnNumericData::kInt:
        return std::isfinite(v) ? std::trunc(std::clamp(v, -2147483648.0, 2147483647.0)) + 0.0 : 0.0;
    case MFnNumericData::kByte: case MFnNumericData::kChar: case MFnNumericData::kInt64:
        return std::isfinite(v) ? std::trunc(v) + 0.0 : 0.0;  // + 0.0: no -0
    case MFnNumericData::kFloat: return static_cast<double>(static_cast<float>(v));
    default: return v;
    }
}

double connectionValue(const Attr* src, const Attr* dst, double value) {
    // Angles are the only unit here whose user unit (degrees) is not the
    // internal one; centimetres and frames are both.
    const bool fromAngle = src->kind == AttrKind::Angle, toAngle = dst->kind == AttrKind::Angle;
    if (fromAngle == toAngle) return value;
    constexpr double pi = 3.14159265358979323846;
    // Degrees to radians with the commands' arithmetic: a connected 45 and
    // `setAttr ... 45` store the same radians.
    if (toAngle) return value * pi / 180.0;
    // Radians to the degrees getAttr shows: of the double nearest the exact
    // product and its neighbours, the shortest that converts back to these
    // radians (30 degrees set by a command reads 30, not 29.999999999999996).
    constexpr long double degPerRad = 57.295779513082320876798154814105170332L;
    const double deg = static_cast<double>(static_cast<long double>(value) * degPerRad);
    if (!std::isfinite(deg)) return deg;
    auto digits = [](double v) {
        char buf[32];
        return std::to_chars(buf, buf + sizeof buf, v).ptr - buf;
    };
    double best = deg;
    bool exact = deg * pi / 180.0 == value;
    for (double near : {std::nextafter(deg, -HUGE_VAL), std::nextafter(deg, HUGE_VAL)}) {
        if (near * pi / 180.0 != value) continue;
        if (!exact || digits(near) < digits(best)) best = near;
        exact = true;
    }
    return best;
}

bool Node::isDag() const { return type && type->isDag; }

Attr* Node::findAttr(const std::string& n) const { return type ? type->findAttr(n) : nullptr; }

std::string Node::plugName(int attr) const {
    if (attr < 0 || attr >= static_cast<int>(type->attrs.size())) return name + ".<invalid>";
    return name + "." + type->attrs[attr]->longName;
}

// The source feeding a slot: its own connection, or the matching child of a
// connection made on its parent compound.
static PlugRef sourceOf(Node* n, int attr) {
    if (n->source(attr)) return n->source(attr);
    Attr* a = n->type->attrs[attr];
    if (a->parent && a->parent->index >= 0) {
        PlugRef ps = n->source(a->parent->index);
        if (ps) {
            Attr* pa = ps.node->type->attrs[ps.attr];
            auto& sib = a->parent->children;
            auto pos = std::find(sib.begin(), sib.end(), a) - sib.begin();
            if (pa->isCompound() && pos < static_cast<long>(pa->children.size()))
                return PlugRef{ps.node, pa->children[pos]->index};
        }
    }
    return PlugRef{};
}

// Brings a dirty slot up to date: through its connection, or by compute for a
// computed attribute. Reading a slot being evaluated yields the stored value.
void evaluateSlot(Node* n, int attr) {
    if (!n->dirty_[attr] || n->computing_[attr]) return;
    Attr* a = n->type->attrs[attr];
    FlagGuard busy(n->computing_[attr]);
    PlugRef src = sourceOf(n, attr);
    if (src) {
        if (a->kind == AttrKind::String)
            n->str_[attr] = src.node->getString(src.attr);
        else if (!a->isCompound())
            n->num_[attr] = conformToAttr(
                a, connectionValue(src.node->type->attrs[src.attr], a, src.node->getNumber(src.attr)));
    } else if (a->computed && n->user) {
        MPlug plug = ObjectAccess::plug(n, attr);
        MDataBlock block = ObjectAccess::block(n);
        n->user->compute(plug, block);  // kUnknownParameter: the stored value stays
    }
    n->dirty_[attr] = 0;
}

// Internal attributes: the node hears of each write and read through
// setInternalValue and getInternalValue. A node that calls back into the same
// plug from there gets the stored value (no endless recursion).
namespace {

struct InternalCall {
    InternalCall(Node* n, int attr) : busy(n->scene->impl()->internalCalls), ref{n, attr} {
        reentered = std::find(busy.begin(), busy.end(), ref) != busy.end();
        if (!reentered) busy.push_back(ref);
    }
    ~InternalCall() {
        if (!reentered) busy.pop_back();
    }
    std::vector<PlugRef>& busy;
    PlugRef ref;
    bool reentered;
};

// True when the node keeps the value itself; false: the host stores it.
bool offerInternalValue(Node* n, int attr, double value, const std::string& text) {
    InternalCall call(n, attr);
    if (call.reentered) return false;
    CurrentSceneGuard guard(n->scene);
    return n->user->setInternalValue(ObjectAccess::plug(n, attr),
                                     ObjectAccess::detachedHandle(n, attr, value, text));
}

// True (with the value) when the node answers for the plug itself.
bool askInternalValue(Node* n, int attr, MDataHandle& handle) {
    InternalCall call(n, attr);
    if (call.reentered) return false;
    CurrentSceneGuard guard(n->scene);
    handle = ObjectAccess::detachedHandle(n, attr, n->storedNumber(attr), n->storedString(attr));
    return n->user->getInternalValue(ObjectAccess::plug(n, attr), handle);
}

}  // namespace

double Node::getNumber(int attr) {
    evaluateSlot(this, attr);
    if (user && type->attrs[attr]->internal) {
        MDataHandle h;
        if (askInternalValue(this, attr, h)) return ObjectAccess::detachedNumber(h);
    }
    return num_[attr];
}

void Node::setNumber(int attr, double value) {
    Attr* a = type->attrs[attr];
    if (!a->isNumeric()) throw HostError("'" + plugName(attr) + "' does not hold a number");
    const double v = conformToAttr(a, value);
    if (!(user && a->internal && offerInternalValue(this, attr, v, std::string()))) num_[attr] = v;
    dirty_[attr] = 0;
    scene->propagateDirty(PlugRef{this, attr});
}

const std::string& Node::getString(int attr) {
    evaluateSlot(this, attr);
    if (user && type->attrs[attr]->internal) {
        MDataHandle h;
        if (askInternalValue(this, attr, h)) {
            internalText_ = ObjectAccess::detachedString(h);
            return internalText_;
        }
    }
    return str_[attr];
}

void Node::setString(int attr, const std::string& value) {
    Attr* a = type->attrs[attr];
    if (a->kind != AttrKind::String) throw HostError("'" + plugName(attr) + "' does not hold a string");
    if (!(user && a->internal && offerInternalValue(this, attr, 0.0, value))) str_[attr] = value;
    dirty_[attr] = 0;
    scene->propagateDirty(PlugRef{this, attr});
}

void Node::writeNumberClean(int attr, double value) { num_[attr] = conformToAttr(type->attrs[attr], value); }

// ---------------------------------------------------------------- Scene

Scene* Scene::current() { return g_current; }
void Scene::setCurrent(Scene* scene) { g_current = scene; }

Scene::Scene() : impl_(std::make_unique<Impl>()) {
    if (const char* env = std::getenv("MAYA_PLUG_IN_PATH")) {
        std::stringstream ss(env);
        std::string dir;
        while (std::getline(ss, dir, ':'))
            if (!dir.empty()) impl_->pluginPath.push_back(dir);
    }
    CurrentSceneGuard guard(this);
    installHostTypes(*this);
    for (auto install : installers()) install(*this);
}

Scene::~Scene() {
    CurrentSceneGuard guard(this);
    impl_->notify([](SceneObserver& o) { o.sceneClosing(); });
    // Nodes first: their MPxNode instances live in plug-in code.
    for (auto it = impl_->nodes.rbegin(); it != impl_->nodes.rend(); ++it) {
        delete (*it)->user;
        delete *it;
    }
    impl_->nodes.clear();
    impl_->byName.clear();
    impl_->takenBelow.clear();
    while (!impl_->plugins.empty()) {
        std::string name = impl_->plugins.back()->name;
        try {
            unloadPlugin(name);
        } catch (const HostError& e) {
            // The scene is going away: close the module all the same.
            std::cerr << "// Warning: " << e.what() << " //\n";
            void* handle = impl_->plugins.back()->handle;
            impl_->plugins.pop_back();
            if (handle) ::dlclose(handle);
        }
    }
    // Newest first; one being destroyed can no longer be found.
    auto& extensions = impl_->extensions;
    while (!extensions.empty()) {
        std::unique_ptr<SceneExtension> last = std::move(extensions.back().second);
        extensions.pop_back();
        last.reset();
    }
    if (guard.saved == this) guard.saved = nullptr;
}

void Scene::addObserver(SceneObserver* observer) { impl_->observers.push_back(observer); }

void Scene::removeObserver(SceneObserver* observer) {
    auto& v = impl_->observers;
    v.erase(std::remove(v.begin(), v.end(), observer), v.end());
}

SceneExtension* Scene::findExtension(std::type_index type) const {
    for (auto& [key, extension] : impl_->extensions)
        if (key == type) return extension.get();
    return nullptr;
}

void Scene::addExtension(std::type_index type, std::unique_ptr<SceneExtension> extension) {
    impl_->extensions.emplace_back(type, std::move(extension));
}

const std::vector<Node*>& Scene::nodes() const { return impl_->nodes; }

NodeType* Scene::findType(const std::string& name) const {
    for (auto& t : impl_->types)
        if (!t->removed && t->name == name) return t.get();
    return nullptr;
}

NodeType* Scene::findType(unsigned id) const {
    for (auto& t : impl_->types)
        if (!t->removed && t->id == id) return t.get();
    return nullptr;
}

NodeType* Scene::typeBeingInitialized() const {
    return impl_->initializing.empty() ? nullptr : impl_->initializing.back();
}

std::vector<NodeType*> Scene::types() const {
    std::vector<NodeType*> out;
    for (auto& t : impl_->types)
        if (!t->removed) out.push_back(t.get());
    return out;
}

NodeType* Scene::registerBuiltinType(const std::string& name, unsigned id, int kind,
                                     MCreatorFunction creator, MInitializeFunction initialize,
                                     bool isDag, bool isTransform) {
    if (findType(name)) throw HostError("node type '" + name + "' is already registered");
    if (findType(id)) throw HostError("node type id " + hexId(id) + " is already registered as '" + findType(id)->name + "'");
    auto type = std::make_unique<NodeType>();
    type->name = name;
    type->id = id;
    type->kind = kind;
    type->creator = creator;
    type->initialize = initialize;
    type->isDag = isDag;
    type->isTransform = isTransform;
    NodeType* t = type.get();
    impl_->types.push_back(std::move(type));
    CurrentSceneGuard guard(this);
    impl_->initializing.push_back(t);
    t->beingInitialized = true;
    addInheritedAttributes(*this, *t);
    MStatus st = initialize ? initialize() : MStatus(MS::kSuccess);
    t->beingInitialized = false;
    impl_->initializing.pop_back();
    if (!st) {
        t->removed = true;
        throw HostError("the initialize function of node type '" + name + "' failed " +
                        st.errorString().asChar());
    }
    return t;
}

NodeType* Scene::registerType(Plugin* plugin, const std::string& name, unsigned id, int kind,
                              MCreatorFunction creator, MInitializeFunction initialize) {
    if (impl_->faults.failsNow(Fault::RegisterNode))
        throw HostError("registering node type '" + name + "' failed (injected fault)");
    if (!validName(name)) throw HostError("'" + name + "' is not a valid node type name");
    if (NodeType* t = findType(name))
        throw HostError("node type '" + name + "' is already registered" +
                        (t->plugin ? " by plug-in '" + t->plugin->name + "'" : std::string(" by the host")));
    if (NodeType* t = findType(id))
        throw HostError("node type id " + hexId(id) + " of '" + name + "' is already registered as '" +
                        t->name + "'");
    if (!creator) throw HostError("node type '" + name + "' has no creator function");
    bool dag = kind == MPxNode::kLocatorNode || kind == MPxNode::kManipContainer;
    NodeType* t = registerBuiltinType(name, id, kind, creator, initialize, dag,
                                      kind == MPxNode::kManipContainer);
    t->plugin = plugin;
    if (plugin) plugin->types.push_back(t);
    return t;
}

void Scene::deregisterType(unsigned id) {
    if (impl_->faults.failsNow(Fault::DeregisterNode))
        throw HostError("deregistering node type id " + hexId(id) + " failed (injected fault)");
    NodeType* t = findType(id);
    if (!t) throw HostError("no node type with id " + hexId(id) + " is registered");
    for (Node* n : impl_->nodes)
        if (n->type == t)
            throw HostError("cannot deregister node type '" + t->name + "': node '" + n->name +
                            "' of that type exists");
    t->removed = true;
    if (t->plugin) {
        auto& v = t->plugin->types;
        v.erase(std::remove(v.begin(), v.end(), t), v.end());
    }
}

// ---------------------------------------------------------------- names

std::vector<Node*> Scene::findNodes(const std::string& path) const {
    std::vector<Node*> out;
    if (path.empty()) return out;
    // Split on '|'; a leading '|' anchors the path at the world.
    bool absolute = path[0] == '|';
    std::vector<std::string> parts;
    std::stringstream ss(path);
    std::string part;
    while (std::getline(ss, part, '|'))
        if (!part.empty()) parts.push_back(part);
    if (parts.empty()) return out;
    auto named = impl_->byName.find(parts.back());
    if (named == impl_->byName.end()) return out;
    for (Node* n : named->second) {
        if (parts.size() > 1 && !n->isDag()) continue;
        const Node* cur = n;
        bool ok = true;
        for (int i = static_cast<int>(parts.size()) - 2; i >= 0; --i) {
            cur = cur->parent;
            if (!cur || cur->name != parts[i]) { ok = false; break; }
        }
        if (ok && absolute && cur->parent) ok = false;
        if (ok) out.push_back(n);
    }
    // Creation order, as a scan of the scene would give (renames reorder the index).
    if (out.size() > 1) {
        std::vector<Node*> ordered;
        for (Node* n : impl_->nodes)
            if (std::find(out.begin(), out.end(), n) != out.end()) ordered.push_back(n);
        out.swap(ordered);
    }
    return out;
}

Node* Scene::findNode(const std::string& path) const {
    auto all = findNodes(path);
    return all.size() == 1 ? all[0] : nullptr;
}

// A name is taken for a node about to live under `parent` when a dependency
// node has it, or a DAG node with the same parent; DAG nodes under different
// parents may share a name (their paths differ), as in the host.
static bool nameTaken(const Scene::Impl& impl, const std::string& name, bool dag,
                      const Node* parent, const Node* except) {
    auto it = impl.byName.find(name);
    if (it == impl.byName.end()) return false;
    for (Node* n : it->second) {
        if (n == except) continue;
        if (!dag || !n->isDag() || n->parent == parent) return true;
    }
    return false;
}

// "name12" -> ("name", 12); false when the name does not end in a plain
// number as this host writes them (no leading zero, not too long).
static bool splitNumbered(const std::string& name, std::string& stem, long& number) {
    size_t i = name.size();
    while (i > 0 && std::isdigit(static_cast<unsigned char>(name[i - 1]))) --i;
    if (i == name.size() || name.size() - i >= 10 || name[i] == '0') return false;
    stem = name.substr(0, i);
    number = std::stol(name.substr(i));
    return true;
}

void Scene::Impl::indexName(Node* n) { byName[n->name].push_back(n); }

void Scene::Impl::unindexName(Node* n) {
    auto it = byName.find(n->name);
    if (it != byName.end()) {
        auto& v = it->second;
        v.erase(std::remove(v.begin(), v.end(), n), v.end());
        if (v.empty()) byName.erase(it);
    }
    std::string stem;
    long k = 0;
    if (splitNumbered(n->name, stem, k)) {
        auto h = takenBelow.find(stem);
        if (h != takenBelow.end() && k < h->second) h->second = k;
    }
}

static std::string uniqueVariant(Scene::Impl& impl, const std::string& base, bool dag,
                                 const Node* parent, const Node* except, bool global) {
    auto taken = [&](const std::string& n) {
        return global ? nameTaken(impl, n, false, nullptr, except) : nameTaken(impl, n, dag, parent, except);
    };
    if (!taken(base)) return base;
    // As the host does: "name7" taken gives "name8", "name" taken gives "name1".
    std::string stem = base;
    while (!stem.empty() && std::isdigit(static_cast<unsigned char>(stem.back()))) stem.pop_back();
    long first = 1;
    if (stem.size() < base.size() && base.size() - stem.size() < 10) first = std::stol(base.substr(stem.size())) + 1;
    // The scene-wide hint holds only for scene-wide uniqueness with no node
    // set aside; it never changes which name is chosen, only where the search
    // starts.
    const bool hinted = global && !except;
    long from = first;
    if (hinted) {
        auto h = impl.takenBelow.find(stem);
        if (h != impl.takenBelow.end() && h->second > from) from = h->second;
    }
    for (long i = from;; ++i) {
        std::string candidate = stem + std::to_string(i);
        if (!taken(candidate)) {
            if (hinted && first <= 1) impl.takenBelow[stem] = i;  // 1..i-1 are all taken
            return candidate;
        }
    }
}

std::string Scene::uniqueName(const std::string& base) const {
    return uniqueVariant(*impl_, base, false, nullptr, nullptr, true);
}

// ---------------------------------------------------------------- nodes

Node::Node(Scene* owner, NodeType* nodeType, std::string nodeName)
    : name(std::move(nodeName)), type(nodeType), scene(owner) {
    const size_t n = type->attrs.size();
    num_.resize(n, 0.0);
    str_.resize(n);
    dirty_.resize(n, 0);
    computing_.resize(n, 0);
    source_.resize(n);
    dests_.resize(n);
    plugState_.resize(n, 0);
    for (size_t i = 0; i < n; ++i) {
        Attr* a = type->attrs[i];
        num_[i] = a->defaultValue;
        str_[i] = a->defaultString;
        setPlugFlag(static_cast<int>(i), kKeyable, a->keyable);
        setPlugFlag(static_cast<int>(i), kChannelBox, a->channelBox);
        // Outputs start dirty so that the first read computes them.
        dirty_[i] = a->computed ? 1 : 0;
    }
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
    return raw;
}

static void attach(Node* child, Node* parent) {
    child->parent = parent;
    if (parent) parent->children.push_back(child);
}

Node* Scene::createNode(const std::string& typeName, const std::string& name, Node* parent, bool skipSelect) {
    NodeType* type = findType(typeName);
    if (!type) throw HostError("unknown node type '" + clipInput(typeName) + "'");
    if (!name.empty() && !validName(name)) throw HostError("'" + clipInput(name) + "' is not a valid node name");
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
    std::string finalName = uniqueVariant(*impl_, base, type->isDag, parent, nullptr, !explicitParent);
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
    if (!skipSelect) impl_->selection.assign(1, transform ? transform : node);
    return node;
}

Node* Scene::createPlaceholder(const std::string& typeName, const std::string& name, Node* parent, bool dag) {
    Node* n = createNode(parent || dag ? "unknownDag" : "unknown", name, parent, true);
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
        for (int a = 0; a < n->slotCount(); ++a) {
            if (n->source(a)) disconnect(n->source(a), PlugRef{n, a});
            while (!n->destinations(a).empty()) disconnect(PlugRef{n, a}, n->destinations(a).back());
        }
        if (n->parent) {
            auto& sib = n->parent->children;
            sib.erase(std::remove(sib.begin(), sib.end(), n), sib.end());
        }
        auto& selection = impl_->selection;
        selection.erase(std::remove(selection.begin(), selection.end(), n), selection.end());
        auto& r = impl_->reached;
        r.erase(std::remove_if(r.begin(), r.end(), [n](const PlugRef& p) { return p.node == n; }), r.end());
        impl_->reachedKeys.clear();
        for (auto& p : r) impl_->reachedKeys.insert(plugKey(p));
        // Searched from the end: scenes are cleared last node first.
        auto& all = impl_->nodes;
        auto at = std::find(all.rbegin(), all.rend(), n);
        if (at != all.rend()) all.erase(std::next(at).base());
        impl_->unindexName(n);
        {
            CurrentSceneGuard guard(this);
            delete n->user;
        }
        delete n;
    }
}

void Scene::renameNode(Node* node, const std::string& newName) {
    if (!validName(newName)) throw HostError("'" + clipInput(newName) + "' is not a valid node name");
    std::string chosen = uniqueVariant(*impl_, newName, node->isDag(), node->parent, node, false);
    impl_->unindexName(node);
    node->name = chosen;
    impl_->indexName(node);
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
    if (node->parent) {
        auto& sib = node->parent->children;
        sib.erase(std::remove(sib.begin(), sib.end(), node), sib.end());
    }
    attach(node, newParent);
    std::string chosen = uniqueVariant(*impl_, node->name, true, newParent, node, false);
    impl_->unindexName(node);
    node->name = chosen;
    impl_->indexName(node);
}

// ---------------------------------------------------------------- DAG names

std::string Node::fullPathName() const {
    if (!isDag()) return name;
    std::string out;
    for (const Node* n = this; n; n = n->parent) out = "|" + n->name + out;
    return out;
}

std::string Node::partialPathName() const {
    if (!isDag()) return name;
    // The shortest tail of the full path that names this node alone.
    std::string tail = name;
    for (const Node* n = this;;) {
        if (scene->findNodes(tail).size() == 1) return tail;
        n = n->parent;
        if (!n) return "|" + tail;
        tail = n->name + "|" + tail;
    }
}

// ---------------------------------------------------------------- time

double Scene::currentTime() const { return impl_->time; }
void Scene::setCurrentTime(double frame) { impl_->time = frame; }

// ---------------------------------------------------------------- selection

const std::vector<Node*>& Scene::selection() const { return impl_->selection; }
void Scene::setSelection(std::vector<Node*> nodes) { impl_->selection = std::move(nodes); }

// ---------------------------------------------------------------- file activity

bool Scene::isDoing(FileActivity activity) const { return impl_->activity[static_cast<int>(activity)] > 0; }
void Scene::beginActivity(FileActivity activity) { ++impl_->activity[static_cast<int>(activity)]; }
void Scene::endActivity(FileActivity activity) { --impl_->activity[static_cast<int>(activity)]; }

// ---------------------------------------------------------------- hooks

const Scene::ExecuteHook& Scene::executeHook() const { return impl_->executeHook; }
void Scene::setExecuteHook(ExecuteHook hook) { impl_->executeHook = std::move(hook); }
const Scene::ExecuteListHook& Scene::executeListHook() const { return impl_->executeListHook; }
void Scene::setExecuteListHook(ExecuteListHook hook) { impl_->executeListHook = std::move(hook); }
const Scene::MessageSink& Scene::warningSink() const { return impl_->warningSink; }
void Scene::setWarningSink(MessageSink sink) { impl_->warningSink = std::move(sink); }
void Scene::setDirtyHook(std::function<void(PlugRef)> hook) { impl_->onDirty = std::move(hook); }

// ---------------------------------------------------------------- messages

namespace {

// UTF-8: a character starts at every byte that is not a continuation byte.
bool startsCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

std::size_t characters(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), startsCharacter));
}

// Byte offset of the character `n` characters in (text.size() when shorter).
std::size_t offsetOf(std::string_view text, std::size_t n) {
    std::size_t at = 0;
    for (std::size_t seen = 0; at < text.size(); ++at)
        if (startsCharacter(text[at]) && seen++ == n) break;
    return at;
}

std::string clip(std::string_view text, std::size_t limit) {
    const std::size_t n = characters(text);
    if (n <= limit) return std::string(text);
    return std::string(text.substr(0, offsetOf(text, 60))) + "... (" + std::to_string(n) + " characters)";
}

}  // namespace

std::string clipInput(std::string_view text) { return clip(text, 80); }

std::string readableMessage(std::string_view message) {
    std::string out;
    for (std::size_t i = 0; i < message.size();) {
        const std::size_t end = std::min(message.find_first_of(" \t\n", i), message.size());
        out += clip(message.substr(i, end - i), 1000);
        if (end < message.size()) out += message[end];
        i = end + 1;
    }
    const std::size_t n = characters(out);
    if (n <= 4000) return out;
    const std::string_view all(out);
    return std::string(all.substr(0, offsetOf(all, 3000))) + " ... (" + std::to_string(n) +
           " characters in all) ... " + std::string(all.substr(offsetOf(all, n - 500)));
}

void Scene::warn(const std::string& raw) {
    const std::string message = readableMessage(raw);
    if (impl_->warningSink)
        impl_->warningSink(message);
    else
        std::cerr << "// Warning: " << message << " //" << std::endl;
}

}  // namespace rdhost
