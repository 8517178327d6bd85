// The manipulator runtime behind MPxManipContainer and the stock manipulator
// function sets.
//
// Rules (the containers of plug-ins rely on each of them):
//  - A shown container belongs to one scene and one target node. It is not a
//    scene node: it is not listed, saved or selected, and it goes away with
//    its target node, with its plug-in, and with the scene.
//  - Every child is a StockManip, reached from an MDagPath or MObject through
//    its own (unlisted) Node. Value indices are unique within the container,
//    allotted in the order children are added.
//  - refresh() loads each bound plug's value into its manipulator (pulling
//    dirty outputs), then calls the conversion callbacks, children in the order
//    added and each child's callbacks in registration order. Callbacks may
//    change any child. Derived points come last.
//  - A drag writes the new value into the bound plug through the same path as
//    setAttr (driven plugs refused, hard limits clamped with a warning); the
//    graph's dirty propagation does the rest.
//  - Manip-to-plug conversions run at the end of each refresh with their
//    reads recorded, so the runtime knows which manipulator values each one
//    depends on; a drag of such a value runs the conversion and writes its
//    result into its plug the same way.
#pragma once

#include "graph/scene.h"

#include <maya/MManipData.h>
#include <maya/MPoint.h>
#include <maya/MPxManipContainer.h>
#include <maya/MPxNode.h>
#include <maya/MVector.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace rdhost {

enum class ManipKind { Distance, Toggle, CircleSweep };

// Offsets of a child's values from its first index (stand-in choice).
namespace manipvalue {
enum Distance {
    kDistStart = 0,
    kDistDirection = 1,
    kDistCurrentPoint = 2,
    kDistDistance = 3,
    kDistCount = 4
};
enum Toggle { kTogStart = 0, kTogDirection = 1, kTogLength = 2, kTogToggle = 3, kTogCount = 4 };
enum Sweep {
    kSweepCenter = 0,
    kSweepAxis = 1,
    kSweepAngle = 2,
    kSweepStartCircle = 3,
    kSweepEndCircle = 4,
    kSweepCount = 5
};
}  // namespace manipvalue

struct ManipContainerState;

// One stock manipulator: its placement and value, in world space.
struct StockManip : public MPxNode {
    StockManip(ManipKind kind, ManipContainerState* owner);
    ~StockManip() override;

    Node node;  // what MDagPath / MObject handles point at
    ManipKind kind;
    ManipContainerState* owner;
    std::string name, valueName;
    unsigned firstIndex = 0;
    PlugRef plug;  // bound plug, if any
    bool visible = true;
    float manipScale = 1.0f;

    // Distance
    MPoint startPoint;
    MVector direction{0.0, 1.0, 0.0};
    double scalingFactor = 1.0;
    double distance = 0.0;
    bool drawStart = true, drawLine = true;
    MPoint currentPoint;
    bool currentPointGiven = false;  // by a callback in this refresh

    // Toggle (shares startPoint and direction)
    double length = 1.0;
    bool toggle = false;

    // Circle sweep
    MPoint center;
    MVector normal{0.0, 1.0, 0.0};
    double radius = 1.0;
    double angle = 0.0;  // radians
    MPoint startCircle, endCircle;
    bool startCircleGiven = false, endCircleGiven = false;  // by a callback or a setter
    bool startCircleFixed = false, endCircleFixed = false;  // by setStartPoint / setEndPoint
    bool drawAsArc = false;

    unsigned valueCount() const;
    // Container-wide index of the value a drag changes (distance, toggle, angle).
    unsigned draggedIndex() const;
    const char* kindName() const;
    // The manipulator's value as a number: distance, 0/1, or radians.
    double value() const;
    void setValue(double v);
    // Derived placements when no callback gave them.
    void derive();
};

// What a container instance keeps in the host.
struct ManipContainerState {
    MPxManipContainer* container = nullptr;
    Scene* scene = nullptr;
    std::vector<std::unique_ptr<StockManip>> children;
    unsigned nextIndex = 0;
    struct Callback {
        unsigned index;
        MPxManipContainer::plugToManipConversionCallback fn;
    };
    std::vector<Callback> callbacks;  // registration order
    // Manip-to-plug conversions; a plug's index is its place here.
    struct PlugConversion {
        PlugRef plug;
        MPxManipContainer::manipToPlugConversionCallback fn;
        std::vector<unsigned> reads;  // manipulator values it read when last run
    };
    std::vector<PlugConversion> plugConversions;
    std::vector<unsigned>* recording = nullptr;  // reads of the conversion running now
    std::set<unsigned> warnedIndices;
    bool finished = false;
    bool refreshing = false;

    StockManip* add(ManipKind kind, const std::string& name, const std::string& valueName);
    // Child and value offset owning a container-wide value index; null if none.
    StockManip* childOfIndex(unsigned index, unsigned* offset) const;
    void refresh();
    // Indices into plugConversions of those that read `m`'s dragged value.
    std::vector<size_t> conversionsReading(const StockManip& m) const;
    // Runs conversion i; what it reads is recorded. Throws HostError when
    // the result does not fit the plug. Returns the plug's values (internal
    // units, one per child of a compound).
    std::vector<double> runPlugConversion(size_t i);

    static ManipContainerState* of(MPxManipContainer* c) { return c->rdState_; }
};

// A container shown for a node.
struct ShownManip {
    Node* target = nullptr;
    NodeType* type = nullptr;    // the container's type
    std::unique_ptr<Node> node;  // the container's own (unlisted) node
    MPxManipContainer* container = nullptr;
    ManipContainerState* state = nullptr;
};

// Per-scene manipulator state: the connect table and the containers shown.
// Containers point at their node and run plug-in code, so they go before the
// node, the plug-in or the scene does.
struct ManipRegistry : SceneExtension, SceneObserver {
    explicit ManipRegistry(Scene& s);
    ~ManipRegistry() override;
    ManipRegistry(const ManipRegistry&) = delete;
    ManipRegistry& operator=(const ManipRegistry&) = delete;

    void nodeDeleting(Node* node) override;
    void pluginUnloading(Plugin* plugin) override;
    void sceneClosing() override;

    Scene* scene;
    std::vector<unsigned> connectTable;  // node type ids, in order added
    std::vector<std::unique_ptr<ShownManip>> shown;
};

ManipRegistry& manipRegistry(Scene& scene);
ManipRegistry* findManipRegistry(Scene& scene);  // null when the scene never used manipulators

// The stock manipulator a handle points at; null if it is not one.
StockManip* stockManipOf(const MObject& object);
StockManip* stockManipOf(const MDagPath& path);

// Numbers out of a callback's MManipData: three for a numeric data object, one
// for a simple value; false when it holds neither.
bool manipDataValues(const MManipData& data, double out[3], int* count);

}  // namespace rdhost
