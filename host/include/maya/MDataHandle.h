// MDataHandle: one attribute's value inside a node's data block. set() writes
// the value without marking anything dirty. The handles the host passes to
// MPxNode::setInternalValue and getInternalValue hold a value of their own,
// not yet (or no longer) in the node.
#pragma once

#include <maya/MStatus.h>
#include <maya/MString.h>

namespace rdhost {
struct Node;
struct ObjectAccess;
}  // namespace rdhost

class MDataHandle {
public:
    MDataHandle();
    MDataHandle(const MDataHandle& other);
    MDataHandle& operator=(const MDataHandle& other);

    bool asBool() const;
    short asShort() const;
    int asInt() const;
    float asFloat() const;
    double asDouble() const;
    MString& asString() const;

    void set(bool value);
    void set(short value);
    void set(int value);
    void set(float value);
    void set(double value);
    void set(const MString& value);

    // Marks the plug clean; marks nothing else dirty.
    void setClean();

private:
    friend struct rdhost::ObjectAccess;
    // Stand-in internals: the node and the attribute slot; rdString_ keeps the
    // string that asString() refers to alive. A detached handle keeps its
    // value in rdValue_ (numbers) or rdString_ (strings) instead of the node.
    rdhost::Node* rdNode_;
    int rdAttr_;
    mutable MString rdString_;
    bool rdDetached_;
    double rdValue_;
};
