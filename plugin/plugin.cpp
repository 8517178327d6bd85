// rigDials entry points: the version text the host reads first, and the
// registration of the node types and of the locators' Viewport 2.0 draw
// overrides, which is all this file does.

// MFnPlugin.h would define MApiVersion itself; the module defines its own below.
#define MNoVersionString
#include <maya/MDrawRegistry.h>
#include <maya/MFnPlugin.h>
#include <maya/MObject.h>
#include <maya/MPxManipContainer.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>
#include <maya/MTypes.h>

// The node classes of the table below.
#include "arcslider/arc_slider.h"
#include "arcslider/arc_slider_manip.h"
#include "draw_overrides.h"
#include "locator.h"
#include "slider/slider.h"
#include "slider/slider_manip.h"

extern "C" {
PLUGIN_EXPORT char MApiVersion[] = "300";
}

namespace {

struct NodeRow {
    const char* name;
    const MTypeId* id;
    MCreatorFunction creator;
    MInitializeFunction initialize;
    MPxNode::Type kind;
    // The locators' draw classification and Viewport 2.0 override; null for
    // the manipulator containers, which the host draws itself.
    const MString* classification;
    MHWRender::MDrawRegistry::DrawOverrideCreator drawOverride;
};

// Registration order. Unloading removes the types in this same order, so each
// locator goes before its manipulator container. A locator's override is
// registered right after its node type and deregistered right before it.
const NodeRow kNodes[] = {
    {"KelArcSliderManipulator", &KelArcSliderManipulator::id, KelArcSliderManipulator::creator,
     KelArcSliderManipulator::initialize, MPxNode::kLocatorNode, &overrides::kArcSliderClassification,
     overrides::createArcSliderOverride},
    {"KelArcSliderManipulatorManip", &KelArcSliderManipulatorManip::id, KelArcSliderManipulatorManip::creator,
     MPxManipContainer::initialize, MPxNode::kManipContainer, nullptr, nullptr},
    {"KelSliderManipulator", &KelSliderManipulator::id, KelSliderManipulator::creator,
     KelSliderManipulator::initialize, MPxNode::kLocatorNode, &overrides::kSliderClassification,
     overrides::createSliderOverride},
    {"KelSliderManipulatorManip", &KelSliderManipulatorManip::id, KelSliderManipulatorManip::creator,
     MPxManipContainer::initialize, MPxNode::kManipContainer, nullptr, nullptr},
    {"KelPrimitiveLocator", &KelPrimitiveLocator::id, KelPrimitiveLocator::creator,
     KelPrimitiveLocator::initialize, MPxNode::kLocatorNode, &overrides::kPrimitiveClassification,
     overrides::createPrimitiveOverride},
};

}  // namespace

// A failed row stops registration; the rows before it stay registered. A
// refused override fails the row as a refused node type does.
extern "C" PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    MStatus status;
    MFnPlugin plugin(obj, "Orvane 2001", "3.0", "Any");
    for (const NodeRow& row : kNodes) {
        status = plugin.registerNode(MString(row.name), *row.id, row.creator, row.initialize, row.kind,
                                     row.classification);
        if (!status) {
            status.perror("registerNode");
            break;
        }
        if (row.drawOverride) {
            status = MHWRender::MDrawRegistry::registerDrawOverrideCreator(
                *row.classification, overrides::kRegistrant, row.drawOverride);
            if (!status) {
                status.perror("registerDrawOverrideCreator");
                break;
            }
        }
    }
    return status;
}

// A failed row stops deregistration; the later type ids stay registered.
extern "C" PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MStatus status;
    MFnPlugin plugin(obj, "Unknown", "Unknown", "Any");
    for (const NodeRow& row : kNodes) {
        if (row.drawOverride) {
            status = MHWRender::MDrawRegistry::deregisterDrawOverrideCreator(*row.classification,
                                                                             overrides::kRegistrant);
            if (!status) {
                status.perror("deregisterDrawOverrideCreator");
                break;
            }
        }
        status = plugin.deregisterNode(*row.id);
        if (!status) {
            status.perror("deregisterNode");
            break;
        }
    }
    return status;
}
