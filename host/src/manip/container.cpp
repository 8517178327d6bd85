// MPxManipContainer and the host-side state of a container: its stock
// manipulators, their value indices and the conversion callbacks.
#include "manip/manip_impl.h"

#include "graph/handles.h"
#include "manip/geometry.h"
#include "manip/manip.h"

#include <maya/MFnNumericData.h>
#include <maya/MQuaternion.h>

#include <algorithm>
#include <cmath>

namespace rdhost {

namespace {

const char* kStockTypeNames[3] = {"distanceManip", "toggleManip", "circleSweepManip"};

// The stock manipulators' node types: DAG types known only to this module, so
// MDagPath and MObject handles can point at a manipulator without it being a
// scene node.
NodeType& stockType(ManipKind kind) {
    static NodeType types[3];
    NodeType& t = types[static_cast<int>(kind)];
    if (t.name.empty()) {
        t.name = kStockTypeNames[static_cast<int>(kind)];
        t.kind = MPxNode::kManipulatorNode;
        t.isDag = true;
    }
    return t;
}

// A unit vector perpendicular to n (n need not be unit; zero n gives X).
MVector perpendicular(const MVector& n) {
    MVector p = n ^ MVector(0.0, 0.0, 1.0);
    if (p.length() < 1e-6 * std::max(1.0, n.length())) p = n ^ MVector(1.0, 0.0, 0.0);
    if (p.length() < 1e-12) return MVector(1.0, 0.0, 0.0);
    // A Y normal gives +X, the natural "angle zero".
    return p.normal();
}

}  // namespace

// ---------------------------------------------------------------- StockManip

StockManip::StockManip(ManipKind k, ManipContainerState* o) : kind(k), owner(o) {
    node.type = &stockType(k);
    node.user = this;
    node.scene = o ? o->scene : nullptr;
    ObjectAccess::bind(this, &node);
    if (kind == ManipKind::Toggle) direction = MVector(1.0, 0.0, 0.0);
}

StockManip::~StockManip() { node.user = nullptr; }

unsigned StockManip::valueCount() const {
    switch (kind) {
    case ManipKind::Distance:
        return manipvalue::kDistCount;
    case ManipKind::Toggle:
        return manipvalue::kTogCount;
    case ManipKind::CircleSweep:
        return manipvalue::kSweepCount;
    }
    return 0;
}

unsigned StockManip::draggedIndex() const {
    switch (kind) {
    case ManipKind::Distance:
        return firstIndex + manipvalue::kDistDistance;
    case ManipKind::Toggle:
        return firstIndex + manipvalue::kTogToggle;
    case ManipKind::CircleSweep:
        return firstIndex + manipvalue::kSweepAngle;
    }
    return firstIndex;
}

const char* StockManip::kindName() const {
    switch (kind) {
    case ManipKind::Distance:
        return "distance";
    case ManipKind::Toggle:
        return "toggle";
    case ManipKind::CircleSweep:
        return "circleSweep";
    }
    return "";
}

double StockManip::value() const {
    switch (kind) {
    case ManipKind::Distance:
        return distance;
    case ManipKind::Toggle:
        return toggle ? 1.0 : 0.0;
    case ManipKind::CircleSweep:
        return angle;
    }
    return 0.0;
}

void StockManip::setValue(double v) {
    if (!std::isfinite(v)) v = 0.0;
    switch (kind) {
    case ManipKind::Distance:
        distance = v;
        break;
    case ManipKind::Toggle:
        toggle = v != 0.0;
        break;
    case ManipKind::CircleSweep:
        angle = v;
        break;
    }
}

void StockManip::derive() {
    if (kind == ManipKind::Distance && !currentPointGiven)
        currentPoint = startPoint + direction.normal() * (distance * scalingFactor);
    if (kind == ManipKind::CircleSweep) {
        const MVector n = normal.normal();
        if (!startCircleGiven) startCircle = center + perpendicular(normal) * radius;
        if (!endCircleGiven) {
            MVector radial = startCircle - center;
            radial -= n * (radial * n);  // into the circle's plane
            if (radial.length() < 1e-12) radial = perpendicular(normal);
            radial.normalize();
            endCircle = center + radial.rotateBy(MQuaternion(angle, n)) * radius;
        }
    }
}

// ------------------------------------------------------ ManipContainerState

StockManip* ManipContainerState::add(ManipKind kind, const std::string& name, const std::string& valueName) {
    auto child = std::make_unique<StockManip>(kind, this);
    child->name = name;
    child->valueName = valueName;
    child->node.name = name;
    child->firstIndex = nextIndex;
    nextIndex += child->valueCount();
    children.push_back(std::move(child));
    return children.back().get();
}

StockManip* ManipContainerState::childOfIndex(unsigned index, unsigned* offset) const {
    for (const auto& c : children) {
        if (index >= c->firstIndex && index < c->firstIndex + c->valueCount()) {
            if (offset) *offset = index - c->firstIndex;
            return c.get();
        }
    }
    return nullptr;
}

namespace {

bool isPointSlot(const StockManip& m, unsigned offset) {
    using namespace manipvalue;
    switch (m.kind) {
    case ManipKind::Distance:
        return offset != kDistDistance;
    case ManipKind::Toggle:
        return offset == kTogStart || offset == kTogDirection;
    case ManipKind::CircleSweep:
        return offset != kSweepAngle;
    }
    return false;
}

void applySlot(StockManip& m, unsigned offset, const double v[3]) {
    using namespace manipvalue;
    const MPoint p(v[0], v[1], v[2]);
    const MVector d(v[0], v[1], v[2]);
    switch (m.kind) {
    case ManipKind::Distance:
        if (offset == kDistStart) m.startPoint = p;
        if (offset == kDistDirection) m.direction = d;
        if (offset == kDistCurrentPoint) {
            m.currentPoint = p;
            m.currentPointGiven = true;
        }
        if (offset == kDistDistance) m.setValue(v[0]);
        break;
    case ManipKind::Toggle:
        if (offset == kTogStart) m.startPoint = p;
        if (offset == kTogDirection) m.direction = d;
        if (offset == kTogLength) m.length = std::isfinite(v[0]) ? v[0] : 0.0;
        if (offset == kTogToggle) m.setValue(v[0]);
        break;
    case ManipKind::CircleSweep:
        if (offset == kSweepCenter) m.center = p;
        if (offset == kSweepAxis) m.normal = d;
        if (offset == kSweepAngle) m.setValue(v[0]);
        if (offset == kSweepStartCircle) {
            m.startCircle = p;
            m.startCircleGiven = true;
        }
        if (offset == kSweepEndCircle) {
            m.endCircle = p;
            m.endCircleGiven = true;
        }
        break;
    }
}

// A value as getConverterManipValue reads it: three numbers for a point or a
// vector, else one.
void readSlot(const StockManip& m, unsigned offset, double out[3]) {
    using namespace manipvalue;
    auto point = [&](const MPoint& p) {
        MPoint c(p);
        c.cartesianize();
        out[0] = c.x, out[1] = c.y, out[2] = c.z;
    };
    auto vector = [&](const MVector& v) { out[0] = v.x, out[1] = v.y, out[2] = v.z; };
    out[0] = out[1] = out[2] = 0.0;
    switch (m.kind) {
    case ManipKind::Distance:
        if (offset == kDistStart) point(m.startPoint);
        if (offset == kDistDirection) vector(m.direction);
        if (offset == kDistCurrentPoint) point(m.currentPoint);
        if (offset == kDistDistance) out[0] = m.distance;
        break;
    case ManipKind::Toggle:
        if (offset == kTogStart) point(m.startPoint);
        if (offset == kTogDirection) vector(m.direction);
        if (offset == kTogLength) out[0] = m.length;
        if (offset == kTogToggle) out[0] = m.toggle ? 1.0 : 0.0;
        break;
    case ManipKind::CircleSweep:
        if (offset == kSweepCenter) point(m.center);
        if (offset == kSweepAxis) vector(m.normal);
        if (offset == kSweepAngle) out[0] = m.angle;
        if (offset == kSweepStartCircle) point(m.startCircle);
        if (offset == kSweepEndCircle) point(m.endCircle);
        break;
    }
}

}  // namespace

std::vector<size_t> ManipContainerState::conversionsReading(const StockManip& m) const {
    std::vector<size_t> out;
    const unsigned index = m.draggedIndex();
    for (size_t i = 0; i < plugConversions.size(); ++i) {
        const auto& reads = plugConversions[i].reads;
        if (std::find(reads.begin(), reads.end(), index) != reads.end()) out.push_back(i);
    }
    return out;
}

namespace {

MManipData callPlugConversion(ManipContainerState& st, size_t i) {
    auto& pc = st.plugConversions[i];
    std::vector<unsigned> reads;
    std::vector<unsigned>* saved = st.recording;
    st.recording = &reads;
    struct Restore {
        ManipContainerState& st;
        std::vector<unsigned>* saved;
        ~Restore() { st.recording = saved; }
    } restore{st, saved};
    CurrentSceneGuard guard(st.scene);
    const MManipData data = (st.container->*pc.fn)(static_cast<unsigned>(i));
    pc.reads = std::move(reads);
    return data;
}

}  // namespace

std::vector<double> ManipContainerState::runPlugConversion(size_t i) {
    const PlugConversion& pc = plugConversions[i];
    const MManipData data = callPlugConversion(*this, i);
    const Attr* a = pc.plug.node->attrAt(pc.plug.attr);
    const size_t want = a->isCompound() ? a->children.size() : 1;
    double v[3] = {0.0, 0.0, 0.0};
    int count = 0;
    const bool ok = manipDataValues(data, v, &count);
    if (!ok || want > 3 || (want > 1 && count < static_cast<int>(want)))
        throw HostError("the manip-to-plug conversion for '" + pc.plug.node->plugName(pc.plug.attr) +
                        "' gave " +
                        (ok ? std::to_string(count) + " number(s) where it takes " + std::to_string(want)
                            : std::string("no usable value")));
    return std::vector<double>(v, v + want);
}

void ManipContainerState::refresh() {
    if (refreshing || !container) return;  // a callback that asks for placements gets the current ones
    refreshing = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{refreshing};
    CurrentSceneGuard guard(scene);

    for (auto& c : children) {
        if (c->plug) c->setValue(c->plug.node->getNumber(c->plug.attr));
        c->currentPointGiven = false;
        c->startCircleGiven = c->startCircleFixed;
        c->endCircleGiven = c->endCircleFixed;
    }
    for (auto& c : children) {
        for (const Callback& cb : callbacks) {
            unsigned offset = 0;
            if (childOfIndex(cb.index, &offset) != c.get()) continue;
            const MManipData data = (container->*cb.fn)(cb.index);
            double v[3] = {0.0, 0.0, 0.0};
            int count = 0;
            const bool ok = manipDataValues(data, v, &count);
            const bool wantPoint = isPointSlot(*c, offset);
            if (!ok || (wantPoint && count < 3)) {
                if (warnedIndices.insert(cb.index).second && scene)
                    scene->warn(
                        "manipulator '" + c->name + "': the conversion for value " +
                        std::to_string(cb.index) + " gave " +
                        (ok ? "a single number where a point or vector is needed" : "no usable value") +
                        "; keeping the previous placement");
                continue;
            }
            bool finite = true;
            for (double& x : v)
                if (!std::isfinite(x)) {
                    x = 0.0;  // a NaN must not reach the drawing
                    finite = false;
                }
            if (!finite && warnedIndices.insert(cb.index).second && scene)
                scene->warn("manipulator '" + c->name + "': the conversion for value " +
                            std::to_string(cb.index) +
                            " gave a number that is not finite; 0 is used instead");
            applySlot(*c, offset, v);
        }
    }
    for (auto& c : children) c->derive();
    // What each manip-to-plug conversion reads, for the next drag.
    for (size_t i = 0; i < plugConversions.size(); ++i) callPlugConversion(*this, i);
}

bool manipDataValues(const MManipData& data, double out[3], int* count) {
    if (data.isSimple()) {
        out[0] = out[1] = out[2] = data.asDouble();
        *count = 1;
        return true;
    }
    const MObject obj = data.asMObject();
    NumericData* nd = ObjectAccess::numericData(obj);
    if (!nd) return false;
    int n = 1;
    switch (nd->type) {
    case MFnNumericData::k2Short:
    case MFnNumericData::k2Int:
    case MFnNumericData::k2Float:
    case MFnNumericData::k2Double:
        n = 2;
        break;
    case MFnNumericData::k3Short:
    case MFnNumericData::k3Int:
    case MFnNumericData::k3Float:
    case MFnNumericData::k3Double:
    case MFnNumericData::k4Double:
        n = 3;
        break;
    default:
        n = 1;
    }
    for (int i = 0; i < 3; ++i) out[i] = i < n ? nd->v[i] : (n == 1 ? nd->v[0] : 0.0);
    *count = n;
    return true;
}

StockManip* stockManipOf(const MObject& object) {
    Node* n = ObjectAccess::node(object);
    return n ? dynamic_cast<StockManip*>(n->user) : nullptr;
}

StockManip* stockManipOf(const MDagPath& path) {
    Node* n = ObjectAccess::node(path);
    return n ? dynamic_cast<StockManip*>(n->user) : nullptr;
}

}  // namespace rdhost

using rdhost::ManipContainerState;
using rdhost::ManipKind;
using rdhost::ObjectAccess;
using rdhost::Scene;
using rdhost::StockManip;

// --------------------------------------------------------- MPxManipContainer

MPxManipContainer::MPxManipContainer() : rdState_(new ManipContainerState) {
    rdState_->container = this;
    rdState_->scene = Scene::current();
}

MPxManipContainer::~MPxManipContainer() { delete rdState_; }

MPxNode::Type MPxManipContainer::type() const { return MPxNode::kManipContainer; }

MStatus MPxManipContainer::initialize() { return MS::kSuccess; }

MStatus MPxManipContainer::addToManipConnectTable(MTypeId& id) {
    Scene* scene = Scene::current();
    if (!scene) return MStatus(MS::kFailure, "addToManipConnectTable: no scene");
    auto& table = rdhost::manipRegistry(*scene).connectTable;
    if (std::find(table.begin(), table.end(), id.id()) == table.end()) table.push_back(id.id());
    return MS::kSuccess;
}

MStatus MPxManipContainer::removeFromManipConnectTable(MTypeId& id) {
    Scene* scene = Scene::current();
    if (!scene) return MStatus(MS::kFailure, "removeFromManipConnectTable: no scene");
    auto& table = rdhost::manipRegistry(*scene).connectTable;
    auto it = std::find(table.begin(), table.end(), id.id());
    if (it == table.end()) return MS::kNotFound;
    table.erase(it);
    return MS::kSuccess;
}

void MPxManipContainer::draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle, M3dView::DisplayStatus) {
    for (const auto& c : rdState_->children) {
        if (!c->visible) continue;
        view.beginGL();
        rdhost::submitManipGeometry(rdhost::geometryOf(*c));
        view.endGL();
    }
}

MStatus MPxManipContainer::connectToDependNode(const MObject& node) {
    if (!ObjectAccess::node(node)) return MStatus(MS::kInvalidParameter, "connectToDependNode: not a node");
    rdState_->finished = true;  // no child may be added once connected
    return MS::kSuccess;
}

MStatus MPxManipContainer::createChildren() { return MS::kSuccess; }

namespace {

MDagPath addChild(ManipContainerState* st, ManipKind kind, const MString& name, const MString& valueName) {
    if (st->finished) {
        if (st->scene)
            st->scene->warn(std::string("cannot add manipulator '") + name.asChar() +
                            "' after finishAddingManips");
        return MDagPath();
    }
    return ObjectAccess::path(&st->add(kind, name.asChar(), valueName.asChar())->node);
}

}  // namespace

MDagPath MPxManipContainer::addDistanceManip(const MString& manipName, const MString& distanceName) {
    return addChild(rdState_, ManipKind::Distance, manipName, distanceName);
}

MDagPath MPxManipContainer::addToggleManip(const MString& manipName, const MString& toggleName) {
    return addChild(rdState_, ManipKind::Toggle, manipName, toggleName);
}

MDagPath MPxManipContainer::addCircleSweepManip(const MString& manipName, const MString& angleName) {
    return addChild(rdState_, ManipKind::CircleSweep, manipName, angleName);
}

void MPxManipContainer::addPlugToManipConversionCallback(unsigned int manipIndex,
                                                         plugToManipConversionCallback callback) {
    Scene* scene = rdState_->scene;
    if (!callback || !rdState_->childOfIndex(manipIndex, nullptr)) {
        if (scene)
            scene->warn("addPlugToManipConversionCallback: " +
                        std::string(callback ? "no manipulator value has index " + std::to_string(manipIndex)
                                             : "null callback for index " + std::to_string(manipIndex)));
        return;
    }
    // One conversion per value: a later registration replaces the earlier.
    for (auto& cb : rdState_->callbacks) {
        if (cb.index == manipIndex) {
            cb.fn = callback;
            return;
        }
    }
    rdState_->callbacks.push_back({manipIndex, callback});
}

unsigned int MPxManipContainer::addManipToPlugConversionCallback(MPlug& plug,
                                                                 manipToPlugConversionCallback callback) {
    const rdhost::PlugRef ref = ObjectAccess::ref(plug);
    if (!callback || !ref) {
        if (rdState_->scene)
            rdState_->scene->warn(std::string("addManipToPlugConversionCallback: ") +
                                  (callback ? "the plug is null" : "null callback"));
        return ~0u;
    }
    auto& conversions = rdState_->plugConversions;
    // One conversion per plug: a later registration replaces the earlier.
    for (size_t i = 0; i < conversions.size(); ++i) {
        if (conversions[i].plug == ref) {
            conversions[i].fn = callback;
            return static_cast<unsigned>(i);
        }
    }
    conversions.push_back({ref, callback, {}});
    return static_cast<unsigned>(conversions.size() - 1);
}

namespace {

// The slot behind a value index, recorded as read by the running conversion.
StockManip* converterSlot(ManipContainerState* st, unsigned index, unsigned* offset) {
    StockManip* m = st->childOfIndex(index, offset);
    if (m && st->recording) st->recording->push_back(index);
    return m;
}

MStatus noValue(unsigned index) {
    return MStatus(MS::kInvalidParameter,
                   ("no manipulator value has index " + std::to_string(index)).c_str());
}

MStatus wrongShape(unsigned index, bool isPoint) {
    return MStatus(MS::kInvalidParameter, ("manipulator value " + std::to_string(index) + " is " +
                                           (isPoint ? "a point or vector" : "a number"))
                                              .c_str());
}

}  // namespace

MStatus MPxManipContainer::getConverterManipValue(unsigned int manipIndex, double& value) {
    unsigned offset = 0;
    const StockManip* m = converterSlot(rdState_, manipIndex, &offset);
    if (!m) return noValue(manipIndex);
    if (rdhost::isPointSlot(*m, offset)) return wrongShape(manipIndex, true);
    double v[3];
    rdhost::readSlot(*m, offset, v);
    value = v[0];
    return MS::kSuccess;
}

MStatus MPxManipContainer::getConverterManipValue(unsigned int manipIndex, unsigned int& value) {
    double d = 0.0;
    MStatus st = getConverterManipValue(manipIndex, d);
    if (st) value = d > 0.0 ? static_cast<unsigned>(d) : 0u;
    return st;
}

MStatus MPxManipContainer::getConverterManipValue(unsigned int manipIndex, MPoint& point) {
    unsigned offset = 0;
    const StockManip* m = converterSlot(rdState_, manipIndex, &offset);
    if (!m) return noValue(manipIndex);
    if (!rdhost::isPointSlot(*m, offset)) return wrongShape(manipIndex, false);
    double v[3];
    rdhost::readSlot(*m, offset, v);
    point = MPoint(v[0], v[1], v[2]);
    return MS::kSuccess;
}

MStatus MPxManipContainer::getConverterManipValue(unsigned int manipIndex, MVector& vector) {
    MPoint p;
    MStatus st = getConverterManipValue(manipIndex, p);
    if (st) vector = MVector(p.x, p.y, p.z);
    return st;
}

MStatus MPxManipContainer::finishAddingManips() {
    rdState_->finished = true;
    return MS::kSuccess;
}
