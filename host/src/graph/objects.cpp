// MObject, MFnBase, MDGContext and the handle conversions.
#define MNoVersionString
#include "graph/handles.h"
#include "graph/scene_impl.h"

#include <maya/MDGContext.h>
#include <maya/MFnBase.h>

namespace rdhost {

MObject ObjectAccess::make(Node* node) {
    MObject o;
    if (node) {
        o.rdKind_ = static_cast<unsigned char>(ObjKind::Node);
        o.rdPtr_ = node;
    }
    return o;
}

MObject ObjectAccess::make(Attr* attr) {
    MObject o;
    if (attr) {
        o.rdKind_ = static_cast<unsigned char>(ObjKind::Attribute);
        o.rdPtr_ = attr;
    }
    return o;
}

MObject ObjectAccess::make(Plugin* plugin) {
    MObject o;
    if (plugin) {
        o.rdKind_ = static_cast<unsigned char>(ObjKind::Plugin);
        o.rdPtr_ = plugin;
    }
    return o;
}

MObject ObjectAccess::makeNumericData(int type) {
    auto data = std::make_shared<NumericData>();
    data->type = type;
    MObject o;
    o.rdKind_ = static_cast<unsigned char>(ObjKind::NumericData);
    o.rdPtr_ = data.get();
    o.rdData_ = data;
    return o;
}

MObject ObjectAccess::makeStringData(const std::string& value) {
    auto data = std::make_shared<StringData>();
    data->value = value;
    MObject o;
    o.rdKind_ = static_cast<unsigned char>(ObjKind::StringData);
    o.rdPtr_ = data.get();
    o.rdData_ = data;
    return o;
}

Node* ObjectAccess::node(const MObject& o) {
    return kind(o) == ObjKind::Node ? static_cast<Node*>(o.rdPtr_) : nullptr;
}
Attr* ObjectAccess::attr(const MObject& o) {
    return kind(o) == ObjKind::Attribute ? static_cast<Attr*>(o.rdPtr_) : nullptr;
}
Plugin* ObjectAccess::plugin(const MObject& o) {
    return kind(o) == ObjKind::Plugin ? static_cast<Plugin*>(o.rdPtr_) : nullptr;
}
NumericData* ObjectAccess::numericData(const MObject& o) {
    return kind(o) == ObjKind::NumericData ? static_cast<NumericData*>(o.rdPtr_) : nullptr;
}
StringData* ObjectAccess::stringData(const MObject& o) {
    return kind(o) == ObjKind::StringData ? static_cast<StringData*>(o.rdPtr_) : nullptr;
}

MPlug ObjectAccess::plug(PlugRef ref) {
    MPlug p;
    if (ref) {
        p.rdNode_ = ref.node;
        p.rdAttr_ = ref.attr;
    }
    return p;
}

MDagPath ObjectAccess::path(Node* node) {
    MDagPath p;
    p.rdNode_ = node && node->isDag() ? node : nullptr;
    return p;
}

MDataHandle ObjectAccess::handle(Node* node, int attr) {
    MDataHandle h;
    h.rdNode_ = node;
    h.rdAttr_ = attr;
    return h;
}

MDataHandle ObjectAccess::detachedHandle(Node* node, int attr, double value, const std::string& text) {
    MDataHandle h = handle(node, attr);
    h.rdDetached_ = true;
    h.rdValue_ = value;
    h.rdString_ = MString(text.c_str());
    return h;
}

}  // namespace rdhost

using rdhost::ObjectAccess;
using rdhost::ObjKind;

// ---------------------------------------------------------------- MObject

MObject MObject::kNullObj;

MObject::MObject() : rdKind_(0), rdPtr_(nullptr) {}
MObject::MObject(const MObject& other) = default;
MObject& MObject::operator=(const MObject& other) = default;
MObject::~MObject() = default;

bool MObject::isNull() const { return rdKind_ == 0 || rdPtr_ == nullptr; }

bool MObject::operator==(const MObject& other) const {
    if (isNull() || other.isNull()) return isNull() && other.isNull();
    return rdKind_ == other.rdKind_ && rdPtr_ == other.rdPtr_;
}

bool MObject::operator!=(const MObject& other) const { return !(*this == other); }

// ---------------------------------------------------------------- MDGContext

MDGContext MDGContext::fsNormal;

MDGContext::MDGContext() {}
bool MDGContext::isNormal() const { return true; }

// ---------------------------------------------------------------- MFnBase

MFnBase::MFnBase() {}
MFnBase::~MFnBase() {}

MObject MFnBase::object(MStatus* ReturnStatus) const {
    if (ReturnStatus) *ReturnStatus = rdObject_.isNull() ? MS::kFailure : MS::kSuccess;
    return rdObject_;
}

MStatus MFnBase::setObject(MObject& object) {
    rdObject_ = object;
    return MS::kSuccess;
}

MStatus MFnBase::setObject(const MObject& object) {
    rdObject_ = object;
    return MS::kSuccess;
}
