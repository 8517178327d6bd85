// Node types: built-in and plug-in registration, lookups, deregistration.
#define MNoVersionString
#include "graph/scene.h"

#include "graph/scene_impl.h"

#include <maya/MPxNode.h>

#include <algorithm>
#include <cstdio>

namespace rdhost {

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

NodeType* Scene::findType(const std::string& name) const {
    for (auto& t : impl_->types)
        if (!t->removed && !t->foreign && t->name == name) return t.get();
    return nullptr;
}

NodeType* Scene::findType(unsigned id) const {
    for (auto& t : impl_->types)
        if (!t->removed && !t->foreign && t->id == id) return t.get();
    return nullptr;
}

NodeType* Scene::typeBeingInitialized() const {
    return impl_->initializing.empty() ? nullptr : impl_->initializing.back();
}

std::vector<NodeType*> Scene::types() const {
    std::vector<NodeType*> out;
    for (auto& t : impl_->types)
        if (!t->removed && !t->foreign) out.push_back(t.get());
    return out;
}

NodeType* Scene::registerBuiltinType(const std::string& name, unsigned id, int kind, MCreatorFunction creator,
                                     MInitializeFunction initialize, bool isDag, bool isTransform) {
    if (findType(name)) throw HostError("node type '" + name + "' is already registered");
    if (findType(id))
        throw HostError("node type id " + hexId(id) + " is already registered as '" + findType(id)->name +
                        "'");
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
    NodeType* t =
        registerBuiltinType(name, id, kind, creator, initialize, dag, kind == MPxNode::kManipContainer);
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
    impl_->undo->flush();  // kept nodes of the type go first
    t->removed = true;
    if (t->plugin) {
        auto& v = t->plugin->types;
        v.erase(std::remove(v.begin(), v.end(), t), v.end());
    }
}

}  // namespace rdhost
