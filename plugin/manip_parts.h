// What both manipulator containers use: the node a container is bound to with
// its parent transform's world placement, point data for the conversion
// callbacks, and plug lookup that reports the first failure.
#pragma once

#include <maya/MDagPath.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MManipData.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MQuaternion.h>
#include <maya/MStatus.h>
#include <maya/MVector.h>

namespace manips {

// A point or a vector as a plug-to-manip conversion hands it to the host.
MManipData pointData(const MVector& v);

// The parent transform's world scale, in the single precision the placements
// are computed in.
struct WorldScale {
    float x;
    float y;
    float z;
};

// The node a container is bound to and the node's parent transform, found
// afresh from the container's node path on every call: the containers keep no
// slider state.
class BoundNode {
public:
    explicit BoundNode(const MDagPath& nodePath);

    const MObject& node() const { return node_; }

    // Of the parent transform, in world space.
    MVector worldTranslation() const;
    MQuaternion worldRotation() const;
    WorldScale worldScale() const;

private:
    MObject node_;
    MDagPath transformPath_;
};

// Finds a node's plugs by name. status() is the first failed lookup's, or
// success: a plug that cannot be found is reported even when later ones are.
class PlugLookup {
public:
    explicit PlugLookup(const MObject& node) : node_(node) {}

    MPlug find(const char* name);
    MStatus status() const { return status_; }

private:
    MFnDependencyNode node_;
    MStatus status_;
};

}  // namespace manips
