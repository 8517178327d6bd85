#include "manip_parts.h"

#include <maya/MFnDagNode.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnTransform.h>
#include <maya/MTransformationMatrix.h>
#include <maya/MTypes.h>

namespace manips {

MManipData pointData(const MVector& v) {
    MFnNumericData data;
    const MObject object = data.create(MFnNumericData::k3Double);
    data.setData(v.x, v.y, v.z);
    return MManipData(object);
}

BoundNode::BoundNode(const MDagPath& nodePath) {
    MFnDagNode dagNode(nodePath);
    dagNode.getPath(transformPath_);
    node_ = transformPath_.node();
    transformPath_.pop(1);
}

MVector BoundNode::worldTranslation() const {
    return MFnTransform(transformPath_).translation(MSpace::kWorld);
}

MQuaternion BoundNode::worldRotation() const {
    MQuaternion rotation;
    MFnTransform(transformPath_).getRotation(rotation, MSpace::kWorld);
    return rotation;
}

WorldScale BoundNode::worldScale() const {
    double scale[3] = {1.0, 1.0, 1.0};
    MFnTransform(transformPath_).transformation().getScale(scale, MSpace::kWorld);
    return {static_cast<float>(scale[0]), static_cast<float>(scale[1]), static_cast<float>(scale[2])};
}

MPlug PlugLookup::find(const char* name) {
    MStatus status;
    MPlug plug = node_.findPlug(name, &status);
    if (status_ && !status) status_ = status;
    return plug;
}

}  // namespace manips
