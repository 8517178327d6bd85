// The scene's private state, shared by the graph module's sources.
#pragma once

#include "graph/scene.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace rdhost {

struct Scene::Impl {
    // Types are never freed before the scene: plug-ins keep attribute handles
    // (pointers into a type's pool) in statics that outlive deregistration.
    std::vector<std::unique_ptr<NodeType>> types;
    std::vector<NodeType*> initializing;             // stack: a type's initialize may register another
    std::vector<std::unique_ptr<Attr>> orphanAttrs;  // created with no type being initialized

    std::vector<Node*> nodes;  // creation order; owned

    // Nodes by name, so name checks and lookups do not scan the scene (a scene
    // of thousands of nodes would otherwise be quadratic to build and to draw).
    // Kept by makeNode, renameNode, reparent and deleteNode, the only places a
    // node's name or membership changes.
    std::unordered_map<std::string, std::vector<Node*>> byName;
    // Per name stem: every "stemK" with 1 <= K < value is taken scene-wide, so
    // the search for a free numbered name can start there. Lowered when such a
    // name is released.
    std::unordered_map<std::string, long> takenBelow;
    void indexName(Node* n);
    void unindexName(Node* n);
    // `base` if free, else its first free numbered variant ("name7" taken
    // gives "name8", "name" gives "name1"). Nodes other than `except` take a
    // name: any of them when `global` or not `dag`; else dependency nodes and
    // DAG nodes under `parent`.
    std::string freeName(const std::string& base, bool dag, const Node* parent, const Node* except,
                         bool global);
    std::vector<std::unique_ptr<Plugin>> plugins;

    // Plugs reached by dirty propagation since the last idle step.
    std::vector<PlugRef> reached;
    std::unordered_set<std::uint64_t> reachedKeys;

    double time = 1.0;

    std::vector<std::string> pluginPath;
    FaultInjection faults;
    std::vector<Node*> selection;
    std::deque<std::string> deferred;
    int deferredLimit = 10000;
    int activity[4] = {};  // FileActivity counts

    // Hooks set by the modules above and by tests.
    std::function<void(PlugRef)> onDirty;
    Scene::MessageSink warningSink;
    Scene::ExecuteHook executeHook;
    Scene::ExecuteListHook executeListHook;

    // Plugs whose node is in setInternalValue or getInternalValue now.
    std::vector<PlugRef> internalCalls;

    // The modules above the graph: observers in registration order, and
    // extensions in creation order.
    std::vector<SceneObserver*> observers;
    std::vector<std::pair<std::type_index, std::unique_ptr<SceneExtension>>> extensions;
    // Tells each observer still registered when its turn comes.
    template <class F>
    void notify(F&& tell) {
        const std::vector<SceneObserver*> now = observers;
        for (SceneObserver* o : now)
            if (std::find(observers.begin(), observers.end(), o) != observers.end()) tell(*o);
    }
};

inline std::uint64_t plugKey(const PlugRef& p) {
    return (reinterpret_cast<std::uintptr_t>(p.node) << 12) ^ static_cast<std::uint64_t>(p.attr);
}

struct PlugRefHash {
    std::size_t operator()(const PlugRef& p) const { return std::hash<std::uint64_t>()(plugKey(p)); }
};

// Graph-module helpers shared between sources.
bool validName(const std::string& name);  // a node or node type name: [A-Za-z_][A-Za-z0-9_]*
void installHostTypes(Scene& scene);      // transform, unknown, unknownDag
void addInheritedAttributes(Scene& scene, NodeType& type);  // visibility, transform channels
Attr* newAttr(Scene* scene);                                // in the pool of the type being initialized
std::string hexId(unsigned id);
// MPxNode::addAttribute without fault injection (a compound brings its children).
MStatus addAttributeTo(NodeType* type, Attr* attr);
// A value as an attribute of this kind holds it: booleans 0/1, whole-number
// kinds truncated toward zero, floats rounded to single precision.
double conformToAttr(const Attr* attr, double value);
// Brings a dirty slot up to date (through its connection, or by compute); see
// Node::getNumber.
void evaluateSlot(Node* node, int attr);

}  // namespace rdhost
