// MDagPath: a path from the world to a DAG node. Nodes have one parent at
// most here, so a path is determined by its last node.
#pragma once

#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

namespace rdhost {
struct Node;
struct ObjectAccess;
}  // namespace rdhost

class MDagPath {
public:
    MDagPath();
    MDagPath(const MDagPath& src);
    MDagPath& operator=(const MDagPath& src);
    ~MDagPath();

    static MStatus getAPathTo(const MObject& node, MDagPath& path);

    bool isValid(MStatus* ReturnStatus = NULL) const;
    MObject node(MStatus* ReturnStatus = NULL) const;
    MObject transform(MStatus* ReturnStatus = NULL) const;
    unsigned int length(MStatus* ReturnStatus = NULL) const;
    unsigned int childCount(MStatus* ReturnStatus = NULL) const;
    MObject child(unsigned int i, MStatus* ReturnStatus = NULL) const;
    MStatus push(const MObject& child);
    MStatus pop(unsigned int num = 1);
    MStatus extendToShape();

    MMatrix inclusiveMatrix(MStatus* ReturnStatus = NULL) const;
    MMatrix exclusiveMatrix(MStatus* ReturnStatus = NULL) const;
    MMatrix inclusiveMatrixInverse(MStatus* ReturnStatus = NULL) const;
    MMatrix exclusiveMatrixInverse(MStatus* ReturnStatus = NULL) const;

    MString fullPathName(MStatus* ReturnStatus = NULL) const;
    MString partialPathName(MStatus* ReturnStatus = NULL) const;

    bool operator==(const MDagPath& other) const;

private:
    friend struct rdhost::ObjectAccess;
    // Stand-in internals: the last node of the path (null for an empty path).
    rdhost::Node* rdNode_;
};
