// A node's values: writes conformed to the attribute's kind, pull evaluation
// through a connection or compute, and internal attributes.
#define MNoVersionString
#include "graph/scene.h"

#include "graph/handles.h"
#include "graph/scene_impl.h"

#include <maya/MDGContext.h>
#include <maya/MDataBlock.h>
#include <maya/MFnNumericData.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace rdhost {

namespace {

// Clears a flag on scope exit, also when compute returns early.
struct FlagGuard {
    std::uint8_t& flag;
    explicit FlagGuard(std::uint8_t& f) : flag(f) { flag = 1; }
    ~FlagGuard() { flag = 0; }
};

}  // namespace

double conformToAttr(const Attr* a, double v) {
    // Whole-number kinds: a value past the kind's range saturates and a
    // non-finite one reads as 0 (a cast of either would be undefined).
    if (a->kind == AttrKind::Enum)
        return std::isfinite(v) ? std::trunc(std::clamp(v, -32768.0, 32767.0)) + 0.0 : 0.0;
    if (a->kind != AttrKind::Numeric) return v;
    switch (a->numericType) {
    case MFnNumericData::kBoolean:
        return v != 0.0 ? 1.0 : 0.0;
    case MFnNumericData::kShort:
        return std::isfinite(v) ? std::trunc(std::clamp(v, -32768.0, 32767.0)) + 0.0 : 0.0;
    case MFnNumericData::kInt:
        return std::isfinite(v) ? std::trunc(std::clamp(v, -2147483648.0, 2147483647.0)) + 0.0 : 0.0;
    case MFnNumericData::kByte:
    case MFnNumericData::kChar:
    case MFnNumericData::kInt64:
        return std::isfinite(v) ? std::trunc(v) + 0.0 : 0.0;  // + 0.0: no -0
    case MFnNumericData::kFloat:
        return static_cast<double>(static_cast<float>(v));
    default:
        return v;
    }
}

double connectionValue(const Attr* src, const Attr* dst, double value) {
    // Angles are the only unit here whose user unit (degrees) is not the
    // internal one; centimetres and frames are both.
    const bool fromAngle = src->kind == AttrKind::Angle, toAngle = dst->kind == AttrKind::Angle;
    if (fromAngle == toAngle) return value;
    // A unitConversion node passes internal values; its factor converts.
    for (const Attr* a : {src, dst})
        if (a->owner && a->owner->name == "unitConversion") return value;
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

// The source feeding a slot: its own connection, or the matching child of a
// connection made on its parent compound.
static PlugRef sourceOf(Node* n, int attr) {
    if (n->source(attr)) return n->source(attr);
    Attr* a = n->attrAt(attr);
    if (a->parent && a->parent->index >= 0) {
        PlugRef ps = n->source(a->parent->index);
        if (ps) {
            Attr* pa = ps.node->attrAt(ps.attr);
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
    if (!n->dirty_[n->at(attr)] || n->computing_[n->at(attr)]) return;
    Attr* a = n->attrAt(attr);
    n->noteSlot(attr, false);
    FlagGuard busy(n->computing_[n->at(attr)]);
    PlugRef src = sourceOf(n, attr);
    if (src) {
        if (a->kind == AttrKind::String)
            n->str_[n->at(attr)] = src.node->getString(src.attr);
        else if (!a->isCompound())
            n->num_[n->at(attr)] = conformToAttr(
                a, connectionValue(src.node->attrAt(src.attr), a, src.node->getNumber(src.attr)));
    } else if (a->computed && n->user) {
        MPlug plug = ObjectAccess::plug(n, attr);
        MDataBlock block = ObjectAccess::block(n);
        n->user->compute(plug, block);  // kUnknownParameter: the stored value stays
    } else if (a->computed && n->type->hostCompute) {
        n->type->hostCompute(n, attr);
    }
    n->dirty_[n->at(attr)] = 0;
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

// True (with the value) when the node answers for the plug itself.
bool askInternalValue(Node* n, int attr, MDataHandle& handle) {
    InternalCall call(n, attr);
    if (call.reentered) return false;
    CurrentSceneGuard guard(n->scene);
    handle = ObjectAccess::detachedHandle(n, attr, n->storedNumber(attr), n->storedString(attr));
    return n->user->getInternalValueInContext(ObjectAccess::plug(n, attr), handle, MDGContext::fsNormal);
}

}  // namespace

// True when the node keeps the value itself; false: the host stores it.
bool offerInternalValue(Node* n, int attr, double value, const std::string& text) {
    InternalCall call(n, attr);
    if (call.reentered) return false;
    CurrentSceneGuard guard(n->scene);
    return n->user->setInternalValueInContext(ObjectAccess::plug(n, attr),
                                              ObjectAccess::detachedHandle(n, attr, value, text),
                                              MDGContext::fsNormal);
}

double Node::getNumber(int attr) {
    evaluateSlot(this, attr);
    if (user && attrAt(attr)->internal) {
        MDataHandle h;
        if (askInternalValue(this, attr, h)) return ObjectAccess::detachedNumber(h);
    }
    return num_[at(attr)];
}

void Node::setNumber(int attr, double value) {
    Attr* a = attrAt(attr);
    if (!a->isNumeric()) throw HostError("'" + plugName(attr) + "' does not hold a number");
    const double v = conformToAttr(a, value);
    noteSlot(attr, true);
    if (user && a->internal) noteInternalWrite(this, attr, v, std::string());
    if (!(user && a->internal && offerInternalValue(this, attr, v, std::string()))) num_[at(attr)] = v;
    if (a->multi) {
        setPlugFlag(attr, kInUse, true);
        if (a->parent && a->parent->multi) setPlugFlag(a->parent->index, kInUse, true);
    }
    dirty_[at(attr)] = 0;
    scene->propagateDirty(PlugRef{this, attr});
}

const std::string& Node::getString(int attr) {
    evaluateSlot(this, attr);
    if (user && attrAt(attr)->internal) {
        MDataHandle h;
        if (askInternalValue(this, attr, h)) {
            internalText_ = ObjectAccess::detachedString(h);
            return internalText_;
        }
    }
    return str_[at(attr)];
}

void Node::setString(int attr, const std::string& value) {
    Attr* a = attrAt(attr);
    if (a->kind != AttrKind::String) throw HostError("'" + plugName(attr) + "' does not hold a string");
    noteSlot(attr, true);
    if (user && a->internal) noteInternalWrite(this, attr, 0.0, value);
    if (!(user && a->internal && offerInternalValue(this, attr, 0.0, value))) str_[at(attr)] = value;
    dirty_[at(attr)] = 0;
    scene->propagateDirty(PlugRef{this, attr});
}

void Node::writeNumberClean(int attr, double value) {
    noteSlot(attr, false);
    num_[at(attr)] = conformToAttr(attrAt(attr), value);
}

}  // namespace rdhost
