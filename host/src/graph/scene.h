// The stand-in host's scene: node types, nodes, attribute storage, connections,
// dirty propagation, pull evaluation, the DAG and loaded plug-ins.
//
// This is the internal API that the command interpreter, the scene files, the
// viewport and the manipulator runtime build on. The <maya/...> classes are thin
// handles onto these structures.
//
// Rules of the graph (the plug-in relies on each of them):
//  - Attribute values live per node in slots indexed by Attr::index, so a plug
//    read is an index, never a string lookup. Values are held in internal
//    units: centimetres, radians (time: as given, the command module's frames).
//    Every write conforms the value to the kind (booleans 0/1, whole-number
//    kinds truncated, floats rounded to single precision). Strings live in
//    their own slots. Hard limits are applied by MPlug::setValue and by
//    commands (with a warning), not by Node::setNumber.
//  - An attribute is an output ("computed") when some attributeAffects names it
//    as affected. A new node's outputs start dirty; creating a node computes
//    nothing.
//  - Setting an input (setValue, a command, a connection's source changing)
//    collects every plug reachable through attributeAffects and connections
//    first, then marks them dirty, so each plug is visited once per change. The
//    collected plugs are remembered for the idle step even when they were dirty
//    already.
//  - Reading a dirty output calls the node's compute(plug, block). compute may
//    read other plugs (re-entrant pull). A plug being computed that is read again
//    yields its stored value (no infinite recursion). After compute the plug is
//    clean whatever compute returned; kUnknownParameter leaves the stored value.
//  - Reading a dirty connected input copies the source's (pulled) value,
//    through connectionValue when the two plugs hold different units.
//  - Data-block writes (MDataHandle::set, setClean) change values without marking
//    anything dirty.
//  - compute may also write through MPlug::setValue. That is a user write like
//    any other (hard limits, internal attributes): everything downstream of the
//    written plug is marked dirty and remembered for the idle step, and no
//    compute runs during the write. The plug being computed is made clean when
//    compute returns even if the write reached it, so it keeps the value it
//    computed from the inputs it read; other outputs the write reached compute
//    at their next read or at the next idle step. A compute that must not
//    dirty anything writes through the data block.
//  - The idle step (Scene::runIdle, run by the interpreter after each top-level
//    command) exists because pull evaluation alone never computes an output
//    nobody reads, while some computes act: a slider's "action" output,
//    reached when its key toggle changes, queues a setKeyframe through
//    evalDeferred and switches the toggle off. As the host's refresh does, it
//    pulls every output or connection-fed input that dirty propagation reached
//    since the last idle step (also one that was dirty already; one read since
//    is clean and left alone), then runs the evalDeferred queue, bounded by its
//    limit. When those commands reach more plugs it goes round again; plugs
//    reached by the pulls themselves wait for the next idle step.
//  - An attribute flagged internal offers each user write (setAttr,
//    MPlug::setValue, a drag, a file's setAttr) to its node's
//    setInternalValue first, and each plug read to getInternalValue; a node
//    that returns true keeps the value itself (the write still propagates).
//    Values that arrive through a connection are not offered.
//  - An attribute that affects a compound's child also reaches the compound
//    (a child's change is its parent's change), so the compound's own affects
//    follow.
//  - Connections join numeric to numeric and string to string; an input has at
//    most one source; a connection that would close a loop through connections
//    and attributeAffects is refused, naming both plugs.
//  - Each plug has its own lock, keyable and channel box state (Node::plugFlag;
//    keyable and channel box start as the attribute's flags). The graph does
//    not enforce locks: the commands and the manipulator drags refuse to
//    change a locked plug, while plug-in writes through MPlug and the data
//    block, and the scene reader restoring a file, go through.
//  - Host-side errors in this API are thrown as rdhost::HostError whose message
//    names the thing; the <maya/...> API never throws, it returns MStatus.
//  - Every change made while a step of the undo queue is open is recorded at
//    this level (graph/undo.h): a slot's value and dirty flag, a plug state, a
//    connection, a node made or deleted, a name, a parent, the selection, the
//    time. A deleted node is not freed while the queue may bring it back.
#pragma once

#include <maya/MPxNode.h>
#include <maya/MTypes.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <typeinfo>
#include <unordered_map>
#include <utility>
#include <vector>

class MPxNode;
class MMatrix;

namespace rdhost {

struct Module;

class Scene;
class UndoQueue;
struct NodeType;
struct Node;
struct Plugin;

// A failed host operation; the message names the offending thing.
struct HostError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Input quoted in a message: as given up to 80 characters; a longer text shows
// its first 60 and its length ("abc... (10485760 characters)"), so that one
// huge token cannot flood the output or bury the message.
std::string clipInput(std::string_view text);

// What every error and warning line passes through, for input no message cut:
// an unbroken run of more than 1000 characters is clipped as clipInput does,
// and a message still longer than 4000 keeps its start and end.
std::string readableMessage(std::string_view message);

enum class AttrKind : std::uint8_t {
    Numeric,   // numericType says which MFnNumericData::Type
    Distance,  // MFnUnitAttribute::kDistance, stored in centimetres
    Angle,     // MFnUnitAttribute::kAngle, stored in radians
    Time,      // MFnUnitAttribute::kTime
    String,    // MFnTypedAttribute kString
    Enum,      // MFnEnumAttribute
    Compound,  // numeric compound of three children; holds no value itself
    Matrix,    // read-only world/local matrices of built-in nodes
};

struct Attr {
    std::string longName;
    std::string shortName;
    AttrKind kind = AttrKind::Numeric;
    int numericType = 0;        // MFnNumericData::Type for Numeric
    double defaultValue = 0.0;  // internal units
    std::string defaultString;
    bool hasMin = false, hasMax = false;
    double minValue = 0.0, maxValue = 0.0;
    // The slider range a user gave addAttr (no limit on values); kept to be saved.
    bool hasSoftMin = false, hasSoftMax = false;
    double softMinValue = 0.0, softMaxValue = 0.0;
    std::string niceName;  // addAttr -niceName, when given

    // Flags, starting at the host's defaults.
    bool readable = true, writable = true, storable = true, keyable = false;
    bool hidden = false, usedAsColor = false, array = false;
    bool usesArrayDataBuilder = false, connectable = true, channelBox = false;
    bool internal = false;  // writes and reads go past the node (setInternalValue...)
    // Read from a file onto a node of a type this host does not know: the path
    // as the file wrote it is the name. A learned value that is not one number
    // (a matrix, a list, a multi range "ktv[0:3]") is kept as its text, of
    // kind String, with the file's -type (dataType, empty for plain numbers)
    // and -s size.
    bool learned = false;
    std::string dataType;
    int sizeHint = -1;
    // Matrices are compounds of 16 hidden numbers (row by row), so that they
    // connect, dirty and compute as other compounds do.
    bool matrix = false;
    // Elements of a multi ("input1D[3]") are made on first use; each element
    // (and each child of a compound element) points at its multi and at the
    // attribute it was made from.
    // A transform's matrix output that also follows its DAG parents
    // (worldMatrix, parentMatrix...): a parent's change reaches it.
    bool followsParent = false;
    Attr* multi = nullptr;
    Attr* elementOf = nullptr;  // the template: the multi itself or its child
    int elementIndex = -1;
    // Added to one node by addAttr (owner stays null); removed by deleteAttr,
    // which keeps the slot so that every other plug keeps its index.
    bool dynamic = false, removed = false;

    std::vector<std::pair<std::string, int>> enumFields;  // in addField order
    Attr* parent = nullptr;
    std::vector<Attr*> children;  // compound: R G B / X Y Z

    int index = -1;  // slot once added to a node type, else -1
    NodeType* owner = nullptr;
    std::vector<int> affects;  // indices this attribute affects, in declaration order
    bool computed = false;     // affected by some attribute: an output

    bool isCompound() const { return kind == AttrKind::Compound; }
    bool isNumeric() const {
        return kind != AttrKind::String && kind != AttrKind::Compound && kind != AttrKind::Matrix;
    }
    const char* enumFieldName(int value) const;  // nullptr when no such field
};

// A registered node type: the host's built-ins (transform, animCurve*, ...) and
// plug-in types. Attributes are owned here, in addAttribute order.
struct NodeType {
    std::string name;
    unsigned id = 0;
    int kind = 0;  // MPxNode::Type
    MCreatorFunction creator = nullptr;
    MInitializeFunction initialize = nullptr;
    Plugin* plugin = nullptr;  // null for built-ins
    bool isDag = false;        // locators and transforms live in the DAG
    bool isTransform = false;  // has translate/rotate/scale: a local matrix
    bool beingInitialized = false;
    std::string classification;  // as registerNode was given it (empty: none)
    bool removed = false;        // deregistered; kept alive while handles may point at it
    // A host type's own evaluation (the utility nodes, the transform's
    // matrices): called for a dirty computed slot of a node with no MPxNode,
    // it brings that slot (and may bring others) up to date through the data
    // block writes (writeNumberClean, setClean).
    void (*hostCompute)(Node* node, int attr) = nullptr;
    bool foreign = false;  // a placeholder's own type: not found by name; its attributes come from the file
    std::vector<std::unique_ptr<Attr>> pool;        // every attribute created while initializing
    std::vector<Attr*> attrs;                       // added attributes, in order; attrs[i]->index == i
    std::unordered_map<std::string, Attr*> byName;  // long and short names

    Attr* findAttr(const std::string& name) const;

    // Slots of the transform attributes when isTransform (-1 when absent).
    struct TransformSlots {
        int t[3] = {-1, -1, -1}, r[3] = {-1, -1, -1}, s[3] = {-1, -1, -1};
        int sh[3] = {-1, -1, -1}, ro = -1;
        // Pivots and their translations, the rotate axis, a joint's orient and
        // inverse scale, inheritsTransform, segmentScaleCompensate, and the
        // first slot of offsetParentMatrix's 16 numbers.
        int rp[3] = {-1, -1, -1}, sp[3] = {-1, -1, -1}, rpt[3] = {-1, -1, -1}, spt[3] = {-1, -1, -1};
        int ra[3] = {-1, -1, -1}, jo[3] = {-1, -1, -1}, is[3] = {-1, -1, -1};
        int it = -1, ssc = -1, opm = -1;
    } xform;
};

// The value a connection from `src` gives `dst`, converted as by the unit
// conversion the host puts between plugs of different units: the number stays
// the same in user units (degrees, centimetres, frames). A unitless or
// distance 45 feeding an angle is 45 degrees (factor pi/180); an angle feeding
// a unitless or distance input gives its degrees (180/pi). Unchanged between
// any other numeric kinds.
double connectionValue(const Attr* src, const Attr* dst, double value);

struct PlugRef {
    Node* node = nullptr;
    int attr = -1;
    explicit operator bool() const { return node != nullptr && attr >= 0; }
    bool operator==(const PlugRef& o) const { return node == o.node && attr == o.attr; }
};

// A setAttr line, or any statement, kept verbatim for what this host does not
// model (unknown node types, attributes a known type lacks). Written back as is.
// On a placeholder, a line that set an attribute notes which, with the values
// it gave, so that a save writes the line as read while the value is
// unchanged, and the value now once it has changed.
struct RawStatement {
    std::string text;
    const Attr* attr = nullptr;
    std::vector<double> numbers;  // the attribute's (or its children's) numbers after the line
    std::string string;
    int states = -1;  // the plug's lock, keyable and channel box bits after the line
};

// A statement kept as the file wrote it, with nothing read from it.
inline RawStatement keptAsWritten(std::string text) {
    RawStatement r;
    r.text = std::move(text);
    return r;
}

// A node: its identity and DAG links, read by every module and changed on
// listed nodes only through the Scene, and per attribute slot its value, dirty
// and evaluation flags, connections and plug states, reached through the
// methods below.
struct Node {
    // No slots: the manipulator runtime's stand-ins for stock manipulators.
    Node() = default;
    // Slots for every attribute of `type`, at their defaults; outputs dirty.
    Node(Scene* scene, NodeType* type, std::string name);

    std::string name;
    NodeType* type = nullptr;
    MPxNode* user = nullptr;  // the plug-in's instance; null for built-ins
    Scene* scene = nullptr;

    // DAG: one parent at most (no instancing).
    Node* parent = nullptr;
    std::vector<Node*> children;

    // Placeholders: the type name as read from a file, and statements kept verbatim.
    std::string unknownTypeName;
    std::vector<RawStatement> raw;
    bool sharedNode = false;  // created with createNode -s (a host default node); saved so

    // Out of the scene (deleted, or its creation undone) but kept because
    // edits of the undo queue still name it (undoRefs of them); freed when the
    // last of those goes.
    bool detached = false;
    int undoRefs = 0;
    // A node the scene does not own (a shown manipulator container's): its
    // changes are the viewport's, not the user's, and the undo queue never
    // names it, as it may be gone before the queue is.
    bool outsideUndo = false;

    bool isDag() const;
    Attr* findAttr(const std::string& name) const;  // long or short name, the type's or added
    // Slots for attributes the type gained after the node was made, at their
    // defaults (Scene::addLateAttribute calls it for every node of the type).
    void growSlots();
    // Slots: the type's attributes have theirs (0, 1, ..., the same on every
    // node of the type, Attr::index); attributes added to this node alone
    // (addAttr) are numbered from kFirstAddedSlot on, in the order added. A
    // slot keeps its number for the node's life, also when the type gains
    // attributes later, so a plug (node, slot) held anywhere (a connection, an
    // undo record, an MPlug) keeps naming the same attribute.
    static constexpr int kFirstAddedSlot = 1 << 24;
    bool hasSlot(int slot) const {
        return slot >= 0 && (slot < kFirstAddedSlot ? static_cast<std::size_t>(slot) < typeSlots_
                                                    : at(slot) < attrs_.size());
    }
    // Every slot's attribute: the type's in order, then those added to this
    // node alone (addAttr), removed ones included (Attr::removed).
    const std::vector<Attr*>& attrs() const { return attrs_; }
    Attr* attrAt(int slot) const { return attrs_[at(slot)]; }
    // Adds an attribute to this node alone, with its children after it, each
    // at its default in a new slot. The caller checked the names are free.
    Attr* addDynamicAttr(std::unique_ptr<Attr> attr, std::vector<std::unique_ptr<Attr>> children = {});

    // Values. getNumber pulls (computes a dirty output, copies a dirty connected
    // input). setNumber clamps nothing and propagates dirtiness; commands clamp
    // with a warning first. setNumber and setString are the writes a user
    // makes (setAttr, MPlug::setValue, a drag, a file's setAttr): an internal
    // attribute offers them to its node first. Values arriving through a
    // connection never come this way.
    double getNumber(int attr);
    void setNumber(int attr, double value);
    const std::string& getString(int attr);
    void setString(int attr, const std::string& value);

    // What the slot holds now, without evaluating anything (a dirty output
    // holds its last computed value).
    double storedNumber(int attr) const { return num_[at(attr)]; }
    const std::string& storedString(int attr) const { return str_[at(attr)]; }

    // Data-block writes: no dirtiness anywhere.
    void writeNumberClean(int attr, double value);
    void writeStringClean(int attr, const std::string& value) {
        noteSlot(attr, false);
        str_[at(attr)] = value;
    }
    void setClean(int attr) {
        noteSlot(attr, false);
        dirty_[at(attr)] = 0;
    }
    // Marks the slot alone dirty, reaching nothing downstream (a scene file's
    // outputs after loading: the first read computes them).
    void markDirty(int attr) {
        noteSlot(attr, false);
        dirty_[at(attr)] = 1;
    }
    // Puts `value` in the slot exactly as given and marks it clean: not
    // conformed to the attribute's kind, nothing dirtied, the node not told.
    // For tests that need a stored value no write produces.
    void overwriteStored(int attr, double value) {
        noteSlot(attr, false);
        num_[at(attr)] = value;
        dirty_[at(attr)] = 0;
    }

    bool isDirty(int attr) const { return dirty_[at(attr)] != 0; }
    bool isBeingComputed(int attr) const { return computing_[at(attr)] != 0; }

    // Connections (Scene::connect): at most one source per input slot, any
    // number of destinations. A child of a compound connected as a whole has
    // no source of its own.
    const PlugRef& source(int attr) const { return source_[at(attr)]; }
    const std::vector<PlugRef>& destinations(int attr) const { return dests_[at(attr)]; }

    // Per-plug states (setAttr -lock/-keyable/-channelBox), one byte per slot.
    // kInUse: an element of a multi this node has set or connected (the
    // element exists for the whole type; the node uses only these).
    enum PlugStateBit : std::uint8_t { kLocked = 1, kKeyable = 2, kChannelBox = 4, kInUse = 8 };
    bool plugFlag(int attr, PlugStateBit bit) const { return (plugState_[at(attr)] & bit) != 0; }
    void setPlugFlag(int attr, PlugStateBit bit, bool on) {
        setPlugStateBits(
            attr, static_cast<std::uint8_t>(on ? plugState_[at(attr)] | bit : plugState_[at(attr)] & ~bit));
    }
    std::uint8_t plugStateBits(int attr) const { return plugState_[at(attr)]; }
    void setPlugStateBits(int attr, std::uint8_t bits) {
        if (bits != plugState_[at(attr)]) notePlugState(attr);
        plugState_[at(attr)] = bits;
    }

    std::string partialPathName() const;   // shortest unique DAG path
    std::string fullPathName() const;      // |a|b|c
    std::string plugName(int attr) const;  // node.longName

    // Local matrix (row vectors, as in the host: S * R * T with pivots, a
    // joint's with its orient); identity for nodes that are not transforms.
    void localMatrix(double out[4][4]);
    // Its offsetParentMatrix; identity for nodes without one.
    void offsetParentMatrix(double out[4][4]);

private:
    friend class Scene;  // connections and dirty marks
    friend void evaluateSlot(Node* node, int attr);
    friend struct SlotAccess;  // the undo queue's records of slots

    // Tell the undo queue before a slot (its value or dirty flag; significant:
    // a user's write, not evaluation) or a plug state changes.
    void noteSlot(int attr, bool significant);
    void notePlugState(int attr);

    // Where a slot's entries are in the arrays below: the type's slots first,
    // then the added ones, which move along when the type grows.
    std::size_t at(int slot) const {
        return slot < kFirstAddedSlot ? static_cast<std::size_t>(slot)
                                      : typeSlots_ + static_cast<std::size_t>(slot - kFirstAddedSlot);
    }
    // A slot for `a` at its default, its entries at `pos`.
    void insertSlot(std::size_t pos, Attr* a);

    std::size_t typeSlots_ = 0;  // the type's attributes this node has slots for
    std::vector<Attr*> attrs_;
    std::vector<std::unique_ptr<Attr>> dynamic_;  // owned here; slots in attrs_
    std::vector<double> num_;                     // internal units
    std::vector<std::string> str_;                // string attributes
    std::vector<std::uint8_t> dirty_;
    std::vector<std::uint8_t> computing_;  // in compute or a connection's copy now
    std::vector<PlugRef> source_;
    std::vector<std::vector<PlugRef>> dests_;  // usually empty
    std::vector<std::uint8_t> plugState_;
    std::string internalText_;  // what getString returns when the node answers for a plug
};

struct Plugin {
    Scene* scene = nullptr;
    std::string name;  // file name without .so
    std::string path;  // the file dlopen'd
    void* handle = nullptr;
    std::string apiVersion;  // MApiVersion text
    std::string vendor, version;
    std::vector<NodeType*> types;  // registration order
};

// The operations a test can make fail, to reach the failure paths of
// initialize and registration.
enum class Fault : std::uint8_t { AddAttribute, AttributeAffects, RegisterNode, DeregisterNode };

// Makes one call of an operation fail. Calls are numbered from 1, counted
// since the scene was made or the last reset.
class FaultInjection {
public:
    void failAt(Fault op, int call) { failAt_[at(op)] = call; }                   // 0: none fails
    void failNext(Fault op, int nth) { failAt_[at(op)] = calls_[at(op)] + nth; }  // 1: the next call
    int calls(Fault op) const { return calls_[at(op)]; }
    void reset() { *this = FaultInjection{}; }
    // Counts a call of `op`; true when it is the one to fail.
    bool failsNow(Fault op) {
        const int n = ++calls_[at(op)];
        return failAt_[at(op)] != 0 && n == failAt_[at(op)];
    }

private:
    static int at(Fault op) { return static_cast<int>(op); }
    int failAt_[4] = {};
    int calls_[4] = {};
};

// What the scene-file module may be doing, for MFileIO.
enum class FileActivity : std::uint8_t { Reading, Writing, Opening, Newing };

// What a module above the graph hears from its scene. The manipulator runtime
// keeps containers that point at nodes and run plug-in code; it drops them
// here, before the node, the plug-in or the scene is gone. Observers are told
// in the order they registered; one may unregister while being told.
class SceneObserver {
public:
    // Before the node's connections are broken and it is freed (for each node
    // of a deleted subtree, children first).
    virtual void nodeDeleting(Node*) {}
    // Before uninitializePlugin runs; no node of the plug-in's types exists.
    virtual void pluginUnloading(Plugin*) {}
    // Before the scene frees its nodes and unloads its plug-ins.
    virtual void sceneClosing() {}

protected:
    ~SceneObserver() = default;
};

// State a module above the graph keeps per scene (the interpreter in charge,
// the scene file's kept lines, the viewport, the shown manipulators). The scene
// owns it, finds it by its type and destroys it last, after its nodes and
// plug-ins, newest first.
class SceneExtension {
public:
    virtual ~SceneExtension() = default;
};

// Host modules add their built-in node types to every new scene through an
// installer declared at namespace scope in their own source:
//   static rdhost::BuiltinInstaller animCurves(&installAnimCurves);
// The list is fixed once the library is loaded; it holds no scene state.
struct BuiltinInstaller {
    explicit BuiltinInstaller(void (*install)(Scene&));
};

class Scene {
public:
    Scene();
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // The scene the static host API (MGlobal, MPxNode::addAttribute...) works on.
    static Scene* current();
    static void setCurrent(Scene* scene);

    // --- node types and plug-ins
    NodeType* findType(const std::string& name) const;
    NodeType* findType(unsigned id) const;
    NodeType* typeBeingInitialized() const;
    std::vector<NodeType*> types() const;  // registration order, built-ins first

    // A host type (transform, animCurveTL, ...). initialize runs like a plug-in
    // type's (MPxNode::addAttribute works in it); creator may be null for types
    // whose nodes need no MPxNode. Throws HostError (name or id taken,
    // initialize failed).
    NodeType* registerBuiltinType(const std::string& name, unsigned id, int kind, MCreatorFunction creator,
                                  MInitializeFunction initialize, bool isDag, bool isTransform = false);
    // What MFnPlugin::registerNode/deregisterNode do. Throw HostError.
    NodeType* registerType(Plugin* plugin, const std::string& name, unsigned id, int kind,
                           MCreatorFunction creator, MInitializeFunction initialize);
    void deregisterType(unsigned id);

    // Folders searched by loadPlugin NAME, in order; MAYA_PLUG_IN_PATH's at
    // first, then those of the modules found on MAYA_MODULE_PATH.
    const std::vector<std::string>& pluginPath() const;
    // The modules read from MAYA_MODULE_PATH when the scene was made.
    const std::vector<Module>& modules() const;
    void setPluginPath(std::vector<std::string> folders);
    Plugin* loadPlugin(
        const std::string& nameOrPath);          // throws HostError; nullptr if already loaded (warned)
    void unloadPlugin(const std::string& name);  // throws HostError
    Plugin* findPlugin(const std::string& name) const;
    // The plug-in whose initializePlugin or uninitializePlugin runs now, or null.
    Plugin* activePlugin() const;
    const std::vector<std::unique_ptr<Plugin>>& plugins() const;
    FaultInjection& faults();

    // --- nodes
    // createNode of a locator without a parent makes a parent transform as the
    // host does (transform "transformN"; the shape is named by `name` or
    // "<typeName>N"); the shape is returned. A taken name gets a number, as in
    // the host. Throws HostError (unknown type, bad parent, creator failure).
    Node* createNode(const std::string& typeName, const std::string& name = "", Node* parent = nullptr,
                     bool skipSelect = false);
    Node* createNodeOf(NodeType* type, const std::string& name = "", Node* parent = nullptr,
                       bool skipSelect = false);
    void deleteNode(Node* node);  // and its DAG children, and connections
    void renameNode(Node* node, const std::string& newName);
    void reparent(Node* node, Node* newParent);  // nullptr: world
    Node* findNode(
        const std::string& nameOrPath) const;  // name, |full|path or partial path; null if none or ambiguous
    std::vector<Node*> findNodes(const std::string& nameOrPath) const;  // every match
    // A node of a type this host does not know, kept so a scene file can be
    // written back unchanged (type "unknown"; "unknownDag", a transform-like
    // DAG node, when it has a parent or `dag` is set).
    Node* createPlaceholder(const std::string& typeName, const std::string& name, Node* parent = nullptr,
                            bool dag = false);
    const std::vector<Node*>& nodes() const;  // creation order
    std::string uniqueName(const std::string& base) const;

    // --- attributes made after a type's nodes exist: elements of multis, and
    // what a file sets on a placeholder. The attribute (owned by the type, its
    // children following it) gets slots in every node of the type at its
    // defaults. Throws HostError when a name is taken.
    Attr* addLateAttribute(NodeType* type, std::unique_ptr<Attr> attr,
                           std::vector<std::unique_ptr<Attr>> children = {});
    // An attribute by a path as commands and files write it: "tx", "t.tx",
    // "input1D[2]", "value[0].value_Position" (long or short names). An element
    // of a multi is made on first use when `make` is set. nullptr when none.
    Attr* resolveAttribute(Node* node, const std::string& path, bool make);

    // --- connections
    void connect(PlugRef src, PlugRef dst, bool force);  // throws HostError
    void disconnect(PlugRef src, PlugRef dst);
    // Removes an attribute addAttr added (with its children): its connections
    // are broken and its names freed; its slot stays, marked removed.
    void removeDynamicAttr(Node* node, Attr* attr);

    // --- dirty propagation and the idle step
    // Marks everything downstream of `changed` dirty (not `changed` itself).
    void propagateDirty(PlugRef changed);
    // Told of each dirty mark, in marking order (tests, tracing); null: none.
    void setDirtyHook(std::function<void(PlugRef)> hook);
    void runIdle();  // pull reached outputs, then the evalDeferred queue
    std::vector<PlugRef> reachedSinceIdle() const;
    // Pull one plug (compute or copy through a connection when dirty).
    double pull(PlugRef plug) { return plug.node->getNumber(plug.attr); }
    // The evalDeferred queue, run by the idle step.
    void deferCommand(const std::string& text);       // last
    void deferCommandFirst(const std::string& text);  // ahead of those queued
    const std::deque<std::string>& deferredCommands() const;
    // Bound on deferred commands run by one idle step (queued-while-running
    // ones included), so a command that re-queues itself cannot loop forever.
    // 10000 unless set.
    void setDeferredLimit(int commands);

    // --- time
    double currentTime() const;
    void setCurrentTime(double frame);

    // --- selection (createNode selects what it made; deleted nodes leave it)
    const std::vector<Node*>& selection() const;
    void setSelection(std::vector<Node*> nodes);

    // --- messages: warnings and errors raised while a command runs
    using MessageSink = std::function<void(const std::string& message)>;
    void warn(const std::string& message);
    // Where warn sends messages; null: "// Warning: ... //" on stderr.
    const MessageSink& warningSink() const;
    void setWarningSink(MessageSink sink);

    // --- what the scene-file module is doing now, for MFileIO. Counted, as a
    // file's statements may open another read; FileActivityGuard counts one.
    bool isDoing(FileActivity activity) const;
    void beginActivity(FileActivity activity);
    void endActivity(FileActivity activity);

    // --- world matrices of DAG nodes (product of parent transforms)
    void worldMatrix(const Node* node, double out[4][4]) const;

    // --- running commands, which the command module provides
    // MGlobal::executeCommand and the idle step run text through this; false
    // when the command failed (it reported why).
    using ExecuteHook = std::function<bool(const std::string& text, std::string* result)>;
    const ExecuteHook& executeHook() const;
    void setExecuteHook(ExecuteHook hook);
    // Optional: the list form (MGlobal::executeCommand(..., MStringArray&)). When
    // unset, the list is the single result of the execute hook.
    using ExecuteListHook = std::function<bool(const std::string& text, std::vector<std::string>* result)>;
    const ExecuteListHook& executeListHook() const;
    void setExecuteListHook(ExecuteListHook hook);

    // --- the undo queue (graph/undo.h)
    UndoQueue& undoQueue();

    // --- the modules above the graph
    void addObserver(SceneObserver* observer);
    void removeObserver(SceneObserver* observer);
    // The extension of type T, or null when none was made.
    template <class T>
    T* findExtension() const {
        return static_cast<T*>(findExtension(std::type_index(typeid(T))));
    }
    // The extension of type T, made on first use (T(Scene&) or T()).
    template <class T>
    T& extension() {
        if (T* found = findExtension<T>()) return *found;
        std::unique_ptr<T> made;
        if constexpr (std::is_constructible_v<T, Scene&>)
            made = std::make_unique<T>(*this);
        else
            made = std::make_unique<T>();
        T& ref = *made;
        addExtension(std::type_index(typeid(T)), std::move(made));
        return ref;
    }

    struct Impl;
    Impl* impl() const { return impl_.get(); }

private:
    // Marks a plug dirty, tells the dirty hook and remembers it for the idle step.
    void markReached(const PlugRef& plug);
    SceneExtension* findExtension(std::type_index type) const;
    void addExtension(std::type_index type, std::unique_ptr<SceneExtension> extension);

    std::unique_ptr<Impl> impl_;
};

// Counts one activity of the scene-file module for its life.
struct FileActivityGuard {
    FileActivityGuard(Scene& s, FileActivity a) : scene(s), activity(a) { scene.beginActivity(activity); }
    ~FileActivityGuard() { scene.endActivity(activity); }
    FileActivityGuard(const FileActivityGuard&) = delete;
    FileActivityGuard& operator=(const FileActivityGuard&) = delete;
    Scene& scene;
    FileActivity activity;
};

// Makes `scene` current for the duration of a call into plug-in code.
struct CurrentSceneGuard {
    explicit CurrentSceneGuard(Scene* scene) : saved(Scene::current()) { Scene::setCurrent(scene); }
    ~CurrentSceneGuard() { Scene::setCurrent(saved); }
    CurrentSceneGuard(const CurrentSceneGuard&) = delete;
    CurrentSceneGuard& operator=(const CurrentSceneGuard&) = delete;
    Scene* saved;
};

}  // namespace rdhost
