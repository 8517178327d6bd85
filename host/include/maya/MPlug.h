// MPlug: one attribute of one node. Reading a dirty computed plug makes the
// host call the node's compute first; reading a dirty connected input copies
// the source's value. A read that fails returns a failing status and leaves
// the out value unchanged.
#pragma once

#include <maya/MDGContext.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

class MAngle;
class MDistance;

namespace rdhost {
struct Node;
struct ObjectAccess;
}  // namespace rdhost

class MPlug {
public:
    MPlug();
    MPlug(const MPlug& other);
    MPlug(const MObject& node, const MObject& attribute);
    MPlug& operator=(const MPlug& other);
    ~MPlug();

    MObject attribute(MStatus* ReturnStatus = NULL) const;
    MObject node(MStatus* ReturnStatus = NULL) const;
    MString name(MStatus* ReturnStatus = NULL) const;
    MString partialName(bool includeNodeName = false, bool includeNonMandatoryIndices = false,
                        bool includeInstancedIndices = false, bool useAlias = false,
                        bool useFullAttributePath = false, bool useLongNames = false,
                        MStatus* ReturnStatus = NULL) const;
    bool isNull(MStatus* ReturnStatus = NULL) const;

    bool isConnected(MStatus* ReturnStatus = NULL) const;
    bool isCompound(MStatus* ReturnStatus = NULL) const;
    unsigned int numChildren(MStatus* ReturnStatus = NULL) const;
    MPlug child(unsigned int index, MStatus* ReturnStatus = NULL) const;
    MPlug child(const MObject& attr, MStatus* ReturnStatus = NULL) const;
    bool isChild(MStatus* ReturnStatus = NULL) const;
    MPlug parent(MStatus* ReturnStatus = NULL) const;

    MStatus getValue(double& value) const;
    MStatus getValue(float& value) const;
    MStatus getValue(int& value) const;
    MStatus getValue(short& value) const;
    MStatus getValue(bool& value) const;
    MStatus getValue(MDistance& value) const;
    MStatus getValue(MAngle& value) const;
    MStatus getValue(MString& value) const;
    MStatus getValue(MObject& value) const;

    // The older SDK forms: the context is always the normal one here.
    MStatus getValue(double& value, MDGContext& ctx) const;
    MStatus getValue(float& value, MDGContext& ctx) const;
    MStatus getValue(int& value, MDGContext& ctx) const;
    MStatus getValue(short& value, MDGContext& ctx) const;
    MStatus getValue(bool& value, MDGContext& ctx) const;
    MStatus getValue(MDistance& value, MDGContext& ctx) const;
    MStatus getValue(MAngle& value, MDGContext& ctx) const;
    MStatus getValue(MString& value, MDGContext& ctx) const;
    MStatus getValue(MObject& value, MDGContext& ctx) const;

    double asDouble(MDGContext& ctx = MDGContext::fsNormal, MStatus* ReturnStatus = NULL) const;
    float asFloat(MDGContext& ctx = MDGContext::fsNormal, MStatus* ReturnStatus = NULL) const;
    int asInt(MDGContext& ctx = MDGContext::fsNormal, MStatus* ReturnStatus = NULL) const;
    short asShort(MDGContext& ctx = MDGContext::fsNormal, MStatus* ReturnStatus = NULL) const;
    bool asBool(MDGContext& ctx = MDGContext::fsNormal, MStatus* ReturnStatus = NULL) const;
    MString asString(MDGContext& ctx = MDGContext::fsNormal, MStatus* ReturnStatus = NULL) const;

    // Writing a plug marks everything it affects dirty.
    MStatus setValue(double value);
    MStatus setValue(float value);
    MStatus setValue(int value);
    MStatus setValue(short value);
    MStatus setValue(bool value);
    MStatus setValue(MDistance& value);
    MStatus setValue(MAngle& value);
    MStatus setValue(const MString& value);
    MStatus setValue(const char* value);
    MStatus setValue(MObject& value);

    bool operator==(const MPlug& other) const;
    bool operator==(const MObject& attr) const;  // compares the attribute
    bool operator!=(const MPlug& other) const;
    bool operator!=(const MObject& attr) const;

private:
    friend struct rdhost::ObjectAccess;
    // Stand-in internals: the node and the attribute's slot in it, so a read is
    // an index into the node's storage, never a name lookup.
    rdhost::Node* rdNode_;
    int rdAttr_;
};
