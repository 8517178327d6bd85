// MPxManipContainer: base of the node types that group the host's stock
// manipulators for one node and bind them to its plugs.
//
// How the host drives a container (the runtime keeps these rules):
//  - showManip on a node whose type is in the connect table creates the
//    container type named after the node's type followed by "Manip", calls
//    createChildren() once, then connectToDependNode(node).
//  - Each child's values have indices unique within the container, allotted
//    when the child is added. Whenever the host draws, queries or drags the
//    container it first loads every bound plug into its manipulator, then
//    calls every registered conversion callback, children in the order
//    added; a callback may change any child (scaling factor, radius, angle).
//  - A drag writes the manipulator's new value straight into the bound plug
//    (internal units) and the graph propagates as for any other change.
//  - A plug given a manip-to-plug conversion is written from what its
//    callback returns, whenever a drag changes a manipulator value the
//    callback reads (getConverterManipValue). The host learns which values
//    those are by running the callbacks each time it loads placements.
//  - Placements are in world space; the container draws under no matrix.
#pragma once

#include <maya/M3dView.h>
#include <maya/MDagPath.h>
#include <maya/MManipData.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>
#include <maya/MVector.h>

namespace rdhost {
struct ManipContainerState;
}

class MPxManipContainer : public MPxNode {
public:
    enum baseType { kFirst = 0, kSecond, kThird };

    typedef MManipData (MPxManipContainer::*plugToManipConversionCallback)(unsigned int manipIndex);
    typedef MManipData (MPxManipContainer::*manipToPlugConversionCallback)(unsigned int plugIndex);

    MPxManipContainer();
    ~MPxManipContainer() override;

    MPxNode::Type type() const override;

    static MStatus initialize();
    // Marks a node type as having a container named "<type name>Manip".
    static MStatus addToManipConnectTable(MTypeId& id);
    static MStatus removeFromManipConnectTable(MTypeId& id);

    virtual void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
                      M3dView::DisplayStatus status);
    virtual MStatus connectToDependNode(const MObject& node);
    virtual MStatus createChildren();

    MDagPath addDistanceManip(const MString& manipName, const MString& distanceName);
    MDagPath addToggleManip(const MString& manipName, const MString& toggleName);
    MDagPath addCircleSweepManip(const MString& manipName, const MString& angleName);

    void addPlugToManipConversionCallback(unsigned int manipIndex, plugToManipConversionCallback callback);
    // Returns the plug's index among the container's converted plugs.
    unsigned int addManipToPlugConversionCallback(MPlug& plug, manipToPlugConversionCallback callback);
    MStatus finishAddingManips();

    // A manipulator value by its index, as a manip-to-plug conversion reads it:
    // a number (distance, toggle, angle in radians, toggle length) or a point
    // or vector (start point, direction, centre, axis...).
    MStatus getConverterManipValue(unsigned int manipIndex, unsigned int& value);
    MStatus getConverterManipValue(unsigned int manipIndex, double& value);
    MStatus getConverterManipValue(unsigned int manipIndex, MPoint& point);
    MStatus getConverterManipValue(unsigned int manipIndex, MVector& vector);

private:
    friend struct rdhost::ManipContainerState;
    // Stand-in internals: the children, their values and the callbacks.
    rdhost::ManipContainerState* rdState_;
};

// As in the host: the callback types are also known outside the class.
typedef MPxManipContainer::manipToPlugConversionCallback manipToPlugConversionCallback;
typedef MPxManipContainer::plugToManipConversionCallback plugToManipConversionCallback;
