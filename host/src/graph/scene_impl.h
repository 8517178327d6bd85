// The scene's private state, shared by the graph module's sources.
#pragma once

#include "graph/modules.h"
#include "graph/scene.h"
#include "graph/undo.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace rdhost {

inline std::uint64_t plugKey(const PlugRef& p) {
    return (reinterpret_cast<std::uintptr_t>(p.node) << 12) ^ static_cast<std::uint64_t>(p.attr);
}

struct PlugRefHash {
    std::size_t operator()(const PlugRef& p) const { return std::hash<std::uint64_t>()(plugKey(p)); }
};

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
    Plugin* activePlugin = nullptr;  // in its initializePlugin or uninitializePlugin

    // Plugs reached by dirty propagation since the last idle step.
    std::vector<PlugRef> reached;
    std::unordered_set<PlugRef, PlugRefHash> reachedKeys;

    double time = 1.0;

    std::vector<std::string> pluginPath;
    std::vector<Module> modules;
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

    std::unique_ptr<UndoQueue> undo;

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
// Offers a user's write to a node's setInternalValue; true when the node
// keeps the value itself.
bool offerInternalValue(Node* n, int attr, double value, const std::string& text);

// Records a user's write to an internal attribute, so that undo and redo
// offer the node the value of either side again.
void noteInternalWrite(Node* n, int attr, double value, const std::string& text);

// Records a node just made (in the node list, not yet under its parent).
void noteNodeMade(Node* n);
// Records a connection just made (linked) or broken, and where dst sits or
// sat among src's destinations.
void noteLink(PlugRef src, PlugRef dst, bool linked, std::size_t index);
// Records a rename (the name before) and a reparenting (the parent before,
// and where the node sat among its children).
void noteRename(Node* n, const std::string& oldName);
void noteReparent(Node* n, Node* oldParent, std::size_t oldIndex);

// Where a node sat in the scene, to put it back there.
struct NodePlacement {
    std::size_t index = 0;  // in Scene::nodes()
    Node* parent = nullptr;
    std::size_t childIndex = 0;  // in its parent's children
};
// Takes a node out of the scene (the node list, its parent's children, the
// name index; observers told first when `notify`) without freeing it; it
// must have no connections left.
NodePlacement detachNode(Scene& scene, Node* node, bool notify);
// Puts a detached node back where it was.
void attachNode(Scene& scene, Node* node, const NodePlacement& at);
// Frees a node that is out of the scene (and its plug-in instance).
void freeNode(Node* node);
// After a node left the scene (detachNode): recorded and kept for the undo
// queue, kept while edits name it, or freed.
void nodeGone(Node* n, const NodePlacement& at);
// Raw connection changes for the undo queue: no values copied, nothing
// dirtied; the nodes hear of them as of any connection.
void linkPlugs(PlugRef src, PlugRef dst, std::size_t destIndex);
std::size_t unlinkPlugs(PlugRef src, PlugRef dst);  // where dst was among src's destinations

}  // namespace rdhost
