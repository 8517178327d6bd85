// Conversions between the <maya/...> handles and the scene's structures. The
// public classes keep only a kind and a raw pointer (or a node and a slot);
// every module of the host that needs to look through a handle goes through
// ObjectAccess, the one friend of those classes.
#pragma once

#include "graph/scene.h"

#include <maya/MDagPath.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>

#include <string>

namespace rdhost {

enum class ObjKind : unsigned char { Null = 0, Node, Attribute, Plugin, NumericData, StringData };

// Payloads of data objects (MFnNumericData, MFnStringData).
struct NumericData {
    int type = 0;  // MFnNumericData::Type
    double v[4] = {0, 0, 0, 0};
};
struct StringData {
    std::string value;
};

// Fills the optional status out-parameter the API's functions take.
inline void setStatus(MStatus* out, const MStatus& st) {
    if (out) *out = st;
}

struct ObjectAccess {
    static MObject make(Node* node);
    static MObject make(Attr* attr);
    static MObject make(Plugin* plugin);
    static MObject makeNumericData(int type);
    static MObject makeStringData(const std::string& value);

    static ObjKind kind(const MObject& o) { return static_cast<ObjKind>(o.rdKind_); }
    static Node* node(const MObject& o);      // null unless a node
    static Attr* attr(const MObject& o);      // null unless an attribute
    static Plugin* plugin(const MObject& o);  // null unless a plug-in
    static NumericData* numericData(const MObject& o);
    static StringData* stringData(const MObject& o);

    static MPlug plug(PlugRef ref);
    static MPlug plug(Node* node, int attr) { return plug(PlugRef{node, attr}); }
    static PlugRef ref(const MPlug& p) { return PlugRef{p.rdNode_, p.rdAttr_}; }

    static MDagPath path(Node* node);
    static Node* node(const MDagPath& p) { return p.rdNode_; }

    static MDataBlock block(Node* node) { return MDataBlock(node); }
    static MDataHandle handle(Node* node, int attr);
    // A handle holding a value of its own (for set/getInternalValue), and what
    // it holds now.
    static MDataHandle detachedHandle(Node* node, int attr, double value, const std::string& text = {});
    static double detachedNumber(const MDataHandle& h) { return h.rdValue_; }
    static std::string detachedString(const MDataHandle& h) { return h.rdString_.asChar(); }

    static Node* node(const MPxNode* user) { return user ? user->rdNode_ : nullptr; }
    static void bind(MPxNode* user, Node* node) { user->rdNode_ = node; }
};

}  // namespace rdhost
