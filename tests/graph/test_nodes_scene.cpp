#include "test_nodes.h"

#include "graph/scene.h"

namespace graphtest {

void registerTestTypes(rdhost::Scene& scene) {
    journal().clear();
    AddNode::computes = 0;
    scene.registerType(nullptr, "testAdd", 0x7e001, MPxNode::kDependNode, AddNode::creator,
                       AddNode::initialize);
    scene.registerType(nullptr, "testRecorder", 0x7e002, MPxNode::kDependNode, RecorderNode::creator,
                       RecorderNode::initialize);
    scene.registerType(nullptr, "testToggle", 0x7e003, MPxNode::kDependNode, ToggleNode::creator,
                       ToggleNode::initialize);
    scene.registerType(nullptr, "testInternal", 0x7e004, MPxNode::kDependNode, InternalNode::creator,
                       InternalNode::initialize);
    scene.registerType(nullptr, "testInternalInContext", 0x7e005, MPxNode::kDependNode,
                       InternalInContextNode::creator, InternalNode::initialize);
}

}  // namespace graphtest
