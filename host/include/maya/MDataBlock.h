// MDataBlock: a node's attribute storage as seen from compute(). inputValue
// evaluates (pulls) the input first; outputValue gives the stored value for
// writing. Writes through the block and setClean mark nothing dirty.
#pragma once

#include <maya/MDataHandle.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>

namespace rdhost {
struct Node;
struct ObjectAccess;
}  // namespace rdhost

class MDataBlock {
public:
    MDataHandle inputValue(const MPlug& plug, MStatus* ReturnStatus = NULL);
    MDataHandle inputValue(const MObject& attribute, MStatus* ReturnStatus = NULL);
    MDataHandle outputValue(const MPlug& plug, MStatus* ReturnStatus = NULL);
    MDataHandle outputValue(const MObject& attribute, MStatus* ReturnStatus = NULL);
    MStatus setClean(const MPlug& plug);
    MStatus setClean(const MObject& attribute);
    bool isClean(const MPlug& plug);
    bool isClean(const MObject& attribute);

private:
    friend struct rdhost::ObjectAccess;
    explicit MDataBlock(rdhost::Node* node);
    // Stand-in internals: the node being computed.
    rdhost::Node* rdNode_;
};
