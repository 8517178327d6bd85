// MPlug, MDataBlock and MDataHandle: reads pull, writes propagate, data-block
// writes dirty nothing.
#define MNoVersionString
#include "graph/handles.h"
#include "graph/scene_impl.h"

#include <maya/MAngle.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MDistance.h>
#include <maya/MFnNumericData.h>
#include <maya/MPlug.h>

#include <cmath>
#include <limits>

using rdhost::Attr;
using rdhost::AttrKind;
using rdhost::Node;
using rdhost::ObjectAccess;
using rdhost::setStatus;

namespace {

Attr* attrOf(Node* n, int slot) { return n ? n->attrAt(slot) : nullptr; }

// Any stored number read as a whole-number type: saturates past the type's
// range, NaN reads as 0 (a plain cast of either is undefined).
template <class T>
T wholeNumber(double d) {
    if (std::isnan(d)) return 0;
    if (d <= static_cast<double>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
    if (d >= static_cast<double>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
    return static_cast<T>(d);
}

}  // namespace

// ---------------------------------------------------------------- MPlug

MPlug::MPlug() : rdNode_(nullptr), rdAttr_(-1) {}
MPlug::MPlug(const MPlug& other) = default;
MPlug& MPlug::operator=(const MPlug& other) = default;
MPlug::~MPlug() = default;

MPlug::MPlug(const MObject& node, const MObject& attribute) : rdNode_(nullptr), rdAttr_(-1) {
    Node* n = ObjectAccess::node(node);
    Attr* a = ObjectAccess::attr(attribute);
    if (n && a && a->owner == n->type && a->index >= 0) {
        rdNode_ = n;
        rdAttr_ = a->index;
    }
}

MObject MPlug::attribute(MStatus* st) const {
    setStatus(st, rdNode_ ? MS::kSuccess : MS::kFailure);
    return rdNode_ ? ObjectAccess::make(attrOf(rdNode_, rdAttr_)) : MObject();
}

MObject MPlug::node(MStatus* st) const {
    setStatus(st, rdNode_ ? MS::kSuccess : MS::kFailure);
    return ObjectAccess::make(rdNode_);
}

MString MPlug::name(MStatus* st) const {
    setStatus(st, rdNode_ ? MS::kSuccess : MS::kFailure);
    return rdNode_ ? MString(rdNode_->plugName(rdAttr_).c_str()) : MString();
}

MString MPlug::partialName(bool includeNodeName, bool, bool, bool, bool, bool useLongNames,
                           MStatus* st) const {
    setStatus(st, rdNode_ ? MS::kSuccess : MS::kFailure);
    if (!rdNode_) return MString();
    Attr* a = attrOf(rdNode_, rdAttr_);
    std::string s = useLongNames ? a->longName : a->shortName;
    if (includeNodeName) s = rdNode_->name + "." + s;
    return MString(s.c_str());
}

bool MPlug::isNull(MStatus* st) const {
    setStatus(st, MS::kSuccess);
    return rdNode_ == nullptr;
}

bool MPlug::isConnected(MStatus* st) const {
    setStatus(st, rdNode_ ? MS::kSuccess : MS::kFailure);
    return rdNode_ && (rdNode_->source(rdAttr_) || !rdNode_->destinations(rdAttr_).empty());
}

bool MPlug::isCompound(MStatus* st) const {
    setStatus(st, rdNode_ ? MS::kSuccess : MS::kFailure);
    return rdNode_ && attrOf(rdNode_, rdAttr_)->isCompound();
}

unsigned int MPlug::numChildren(MStatus* st) const {
    setStatus(st, rdNode_ ? MS::kSuccess : MS::kFailure);
    return rdNode_ ? static_cast<unsigned>(attrOf(rdNode_, rdAttr_)->children.size()) : 0u;
}

MPlug MPlug::child(unsigned int index, MStatus* st) const {
    if (!rdNode_ || index >= attrOf(rdNode_, rdAttr_)->children.size()) {
        setStatus(st, MS::kInvalidParameter);
        return MPlug();
    }
    setStatus(st, MS::kSuccess);
    return ObjectAccess::plug(rdNode_, attrOf(rdNode_, rdAttr_)->children[index]->index);
}

MPlug MPlug::child(const MObject& attr, MStatus* st) const {
    Attr* c = ObjectAccess::attr(attr);
    if (!rdNode_ || !c || c->parent != attrOf(rdNode_, rdAttr_)) {
        setStatus(st, MS::kInvalidParameter);
        return MPlug();
    }
    setStatus(st, MS::kSuccess);
    return ObjectAccess::plug(rdNode_, c->index);
}

bool MPlug::isChild(MStatus* st) const {
    setStatus(st, rdNode_ ? MS::kSuccess : MS::kFailure);
    return rdNode_ && attrOf(rdNode_, rdAttr_)->parent;
}

MPlug MPlug::parent(MStatus* st) const {
    Attr* a = attrOf(rdNode_, rdAttr_);
    if (!a || !a->parent) {
        setStatus(st, MS::kInvalidParameter);
        return MPlug();
    }
    setStatus(st, MS::kSuccess);
    return ObjectAccess::plug(rdNode_, a->parent->index);
}

namespace {

// Reads the number of any numeric, unit or enum plug; false when the plug
// holds no single number.
bool readNumber(Node* n, int slot, double& out) {
    if (!n) return false;
    if (!attrOf(n, slot)->isNumeric()) return false;
    out = n->getNumber(slot);
    return true;
}

MStatus notANumber(Node* n, int slot) {
    if (!n) return MStatus(MS::kInvalidParameter, "the plug is null");
    return MStatus(MS::kInvalidParameter, ("'" + n->plugName(slot) + "' does not hold a number").c_str());
}

}  // namespace

MStatus MPlug::getValue(double& v) const {
    double d;
    if (!readNumber(rdNode_, rdAttr_, d)) return notANumber(rdNode_, rdAttr_);
    v = d;
    return MS::kSuccess;
}
MStatus MPlug::getValue(float& v) const {
    double d;
    if (!readNumber(rdNode_, rdAttr_, d)) return notANumber(rdNode_, rdAttr_);
    v = static_cast<float>(d);
    return MS::kSuccess;
}
MStatus MPlug::getValue(int& v) const {
    double d;
    if (!readNumber(rdNode_, rdAttr_, d)) return notANumber(rdNode_, rdAttr_);
    v = wholeNumber<int>(d);
    return MS::kSuccess;
}
MStatus MPlug::getValue(short& v) const {
    double d;
    if (!readNumber(rdNode_, rdAttr_, d)) return notANumber(rdNode_, rdAttr_);
    v = wholeNumber<short>(d);
    return MS::kSuccess;
}
MStatus MPlug::getValue(bool& v) const {
    double d;
    if (!readNumber(rdNode_, rdAttr_, d)) return notANumber(rdNode_, rdAttr_);
    v = d != 0.0;
    return MS::kSuccess;
}
MStatus MPlug::getValue(MDistance& v) const {
    double d;
    if (!readNumber(rdNode_, rdAttr_, d)) return notANumber(rdNode_, rdAttr_);
    v = MDistance(d, MDistance::kCentimeters);
    return MS::kSuccess;
}
MStatus MPlug::getValue(MAngle& v) const {
    double d;
    if (!readNumber(rdNode_, rdAttr_, d)) return notANumber(rdNode_, rdAttr_);
    v = MAngle(d, MAngle::kRadians);
    return MS::kSuccess;
}
MStatus MPlug::getValue(MString& v) const {
    Attr* a = attrOf(rdNode_, rdAttr_);
    if (!a) return MStatus(MS::kInvalidParameter, "the plug is null");
    if (a->kind != AttrKind::String)
        return MStatus(MS::kInvalidParameter,
                       ("'" + rdNode_->plugName(rdAttr_) + "' does not hold a string").c_str());
    v = MString(rdNode_->getString(rdAttr_).c_str());
    return MS::kSuccess;
}
MStatus MPlug::getValue(MObject& v) const {
    Attr* a = attrOf(rdNode_, rdAttr_);
    if (!a) return MStatus(MS::kInvalidParameter, "the plug is null");
    if (a->kind == AttrKind::String) {
        v = ObjectAccess::makeStringData(rdNode_->getString(rdAttr_));
        return MS::kSuccess;
    }
    if (a->isCompound()) {
        if (a->computed) rdhost::evaluateSlot(rdNode_, rdAttr_);
        MObject o = ObjectAccess::makeNumericData(a->numericType);
        rdhost::NumericData* d = ObjectAccess::numericData(o);
        for (size_t i = 0; i < a->children.size() && i < 4; ++i)
            d->v[i] = rdNode_->getNumber(a->children[i]->index);
        v = o;
        return MS::kSuccess;
    }
    return MStatus(MS::kInvalidParameter,
                   ("'" + rdNode_->plugName(rdAttr_) + "' holds no data object").c_str());
}

MStatus MPlug::getValue(double& v, MDGContext&) const { return getValue(v); }
MStatus MPlug::getValue(float& v, MDGContext&) const { return getValue(v); }
MStatus MPlug::getValue(int& v, MDGContext&) const { return getValue(v); }
MStatus MPlug::getValue(short& v, MDGContext&) const { return getValue(v); }
MStatus MPlug::getValue(bool& v, MDGContext&) const { return getValue(v); }
MStatus MPlug::getValue(MDistance& v, MDGContext&) const { return getValue(v); }
MStatus MPlug::getValue(MAngle& v, MDGContext&) const { return getValue(v); }
MStatus MPlug::getValue(MString& v, MDGContext&) const { return getValue(v); }
MStatus MPlug::getValue(MObject& v, MDGContext&) const { return getValue(v); }

double MPlug::asDouble(MDGContext&, MStatus* st) const {
    double v = 0;
    setStatus(st, getValue(v));
    return v;
}
float MPlug::asFloat(MDGContext&, MStatus* st) const {
    float v = 0;
    setStatus(st, getValue(v));
    return v;
}
int MPlug::asInt(MDGContext&, MStatus* st) const {
    int v = 0;
    setStatus(st, getValue(v));
    return v;
}
short MPlug::asShort(MDGContext&, MStatus* st) const {
    short v = 0;
    setStatus(st, getValue(v));
    return v;
}
bool MPlug::asBool(MDGContext&, MStatus* st) const {
    bool v = false;
    setStatus(st, getValue(v));
    return v;
}
MString MPlug::asString(MDGContext&, MStatus* st) const {
    MString v;
    setStatus(st, getValue(v));
    return v;
}

namespace {

MStatus writeNumber(Node* n, int slot, double v) {
    Attr* a = attrOf(n, slot);
    if (!a) return MStatus(MS::kInvalidParameter, "the plug is null");
    if (!a->isNumeric())
        return MStatus(MS::kInvalidParameter, ("'" + n->plugName(slot) + "' does not hold a number").c_str());
    // Hard limits hold for every write through a plug, as in the host.
    if (a->hasMin && v < a->minValue) v = a->minValue;
    if (a->hasMax && v > a->maxValue) v = a->maxValue;
    n->setNumber(slot, rdhost::conformToAttr(a, v));
    return MS::kSuccess;
}

}  // namespace

MStatus MPlug::setValue(double v) { return writeNumber(rdNode_, rdAttr_, v); }
MStatus MPlug::setValue(float v) { return writeNumber(rdNode_, rdAttr_, v); }
MStatus MPlug::setValue(int v) { return writeNumber(rdNode_, rdAttr_, v); }
MStatus MPlug::setValue(short v) { return writeNumber(rdNode_, rdAttr_, v); }
MStatus MPlug::setValue(bool v) { return writeNumber(rdNode_, rdAttr_, v ? 1.0 : 0.0); }
MStatus MPlug::setValue(MDistance& v) { return writeNumber(rdNode_, rdAttr_, v.asCentimeters()); }
MStatus MPlug::setValue(MAngle& v) { return writeNumber(rdNode_, rdAttr_, v.asRadians()); }

MStatus MPlug::setValue(const MString& v) {
    Attr* a = attrOf(rdNode_, rdAttr_);
    if (!a) return MStatus(MS::kInvalidParameter, "the plug is null");
    if (a->kind != AttrKind::String)
        return MStatus(MS::kInvalidParameter,
                       ("'" + rdNode_->plugName(rdAttr_) + "' does not hold a string").c_str());
    rdNode_->setString(rdAttr_, v.asChar());
    return MS::kSuccess;
}

MStatus MPlug::setValue(const char* v) { return setValue(MString(v)); }

MStatus MPlug::setValue(MObject& v) {
    Attr* a = attrOf(rdNode_, rdAttr_);
    if (!a) return MStatus(MS::kInvalidParameter, "the plug is null");
    if (rdhost::StringData* s = ObjectAccess::stringData(v)) {
        if (a->kind != AttrKind::String)
            return MStatus(MS::kInvalidParameter,
                           ("'" + rdNode_->plugName(rdAttr_) + "' does not hold a string").c_str());
        rdNode_->setString(rdAttr_, s->value);
        return MS::kSuccess;
    }
    if (rdhost::NumericData* d = ObjectAccess::numericData(v)) {
        if (!a->isCompound()) return writeNumber(rdNode_, rdAttr_, d->v[0]);
        for (size_t i = 0; i < a->children.size() && i < 4; ++i) {
            MStatus st = writeNumber(rdNode_, a->children[i]->index, d->v[i]);
            if (!st) return st;
        }
        return MS::kSuccess;
    }
    return MStatus(MS::kInvalidParameter, "setValue: the object is not string or numeric data");
}

bool MPlug::operator==(const MPlug& other) const {
    return rdNode_ == other.rdNode_ && rdAttr_ == other.rdAttr_;
}
bool MPlug::operator!=(const MPlug& other) const { return !(*this == other); }
bool MPlug::operator==(const MObject& attr) const {
    Attr* a = ObjectAccess::attr(attr);
    return rdNode_ && a && attrOf(rdNode_, rdAttr_) == a;
}
bool MPlug::operator!=(const MObject& attr) const { return !(*this == attr); }

// ---------------------------------------------------------------- MDataBlock

MDataBlock::MDataBlock(Node* node) : rdNode_(node) {}

namespace {

int slotFor(Node* n, const MObject& attr) {
    Attr* a = ObjectAccess::attr(attr);
    return n && a && a->owner == n->type && a->index >= 0 ? a->index : -1;
}

int slotFor(Node* n, const MPlug& plug) {
    rdhost::PlugRef r = ObjectAccess::ref(plug);
    return r.node == n && r ? r.attr : -1;
}

MDataHandle handleFor(Node* n, int slot, bool input, MStatus* st) {
    if (slot < 0) {
        setStatus(st, MStatus(MS::kInvalidParameter, "the attribute does not belong to this node"));
        return MDataHandle();
    }
    // An input is evaluated first, as the host does; an output is handed over as stored.
    if (input) rdhost::evaluateSlot(n, slot);
    setStatus(st, MS::kSuccess);
    return ObjectAccess::handle(n, slot);
}

}  // namespace

MDataHandle MDataBlock::inputValue(const MPlug& p, MStatus* st) {
    return handleFor(rdNode_, slotFor(rdNode_, p), true, st);
}
MDataHandle MDataBlock::inputValue(const MObject& a, MStatus* st) {
    return handleFor(rdNode_, slotFor(rdNode_, a), true, st);
}
MDataHandle MDataBlock::outputValue(const MPlug& p, MStatus* st) {
    return handleFor(rdNode_, slotFor(rdNode_, p), false, st);
}
MDataHandle MDataBlock::outputValue(const MObject& a, MStatus* st) {
    return handleFor(rdNode_, slotFor(rdNode_, a), false, st);
}

MStatus MDataBlock::setClean(const MPlug& p) {
    int s = slotFor(rdNode_, p);
    if (s < 0) return MStatus(MS::kInvalidParameter, "the plug does not belong to this node");
    rdNode_->setClean(s);
    return MS::kSuccess;
}

MStatus MDataBlock::setClean(const MObject& a) {
    int s = slotFor(rdNode_, a);
    if (s < 0) return MStatus(MS::kInvalidParameter, "the attribute does not belong to this node");
    rdNode_->setClean(s);
    return MS::kSuccess;
}

bool MDataBlock::isClean(const MPlug& p) {
    int s = slotFor(rdNode_, p);
    return s >= 0 && !rdNode_->isDirty(s);
}

bool MDataBlock::isClean(const MObject& a) {
    int s = slotFor(rdNode_, a);
    return s >= 0 && !rdNode_->isDirty(s);
}

// ---------------------------------------------------------------- MDataHandle

MDataHandle::MDataHandle() : rdNode_(nullptr), rdAttr_(-1), rdDetached_(false), rdValue_(0.0) {}
MDataHandle::MDataHandle(const MDataHandle& other) = default;
MDataHandle& MDataHandle::operator=(const MDataHandle& other) = default;

namespace {
bool holdsNumber(Node* n, int slot) { return n && slot >= 0 && attrOf(n, slot)->isNumeric(); }
bool holdsString(Node* n, int slot) { return n && slot >= 0 && attrOf(n, slot)->kind == AttrKind::String; }
}  // namespace

double MDataHandle::asDouble() const {
    if (!holdsNumber(rdNode_, rdAttr_)) return 0.0;
    return rdDetached_ ? rdValue_ : rdNode_->storedNumber(rdAttr_);
}
bool MDataHandle::asBool() const { return asDouble() != 0.0; }
short MDataHandle::asShort() const { return wholeNumber<short>(asDouble()); }
int MDataHandle::asInt() const { return wholeNumber<int>(asDouble()); }
float MDataHandle::asFloat() const { return static_cast<float>(asDouble()); }

MString& MDataHandle::asString() const {
    if (rdDetached_) return rdString_;
    rdString_ = MString();
    if (holdsString(rdNode_, rdAttr_)) rdString_ = MString(rdNode_->storedString(rdAttr_).c_str());
    return rdString_;
}

void MDataHandle::set(double v) {
    if (!holdsNumber(rdNode_, rdAttr_)) return;
    const double conformed = rdhost::conformToAttr(attrOf(rdNode_, rdAttr_), v);
    if (rdDetached_)
        rdValue_ = conformed;
    else
        rdNode_->writeNumberClean(rdAttr_, conformed);
}
void MDataHandle::set(bool v) { set(v ? 1.0 : 0.0); }
void MDataHandle::set(short v) { set(static_cast<double>(v)); }
void MDataHandle::set(int v) { set(static_cast<double>(v)); }
void MDataHandle::set(float v) { set(static_cast<double>(v)); }

void MDataHandle::set(const MString& v) {
    if (!holdsString(rdNode_, rdAttr_)) return;
    if (rdDetached_)
        rdString_ = v;
    else
        rdNode_->writeStringClean(rdAttr_, v.asChar());
}

void MDataHandle::setClean() {
    if (rdNode_ && rdAttr_ >= 0 && !rdDetached_) rdNode_->setClean(rdAttr_);
}
