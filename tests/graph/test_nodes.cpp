#include "test_nodes.h"

namespace graphtest {
MObject AddNode::a, AddNode::b, AddNode::sum;
int AddNode::computes = 0;
MObject RecorderNode::in, RecorderNode::mid, RecorderNode::out, RecorderNode::self, RecorderNode::ignored;
MObject ToggleNode::key, ToggleNode::action;
MObject InternalNode::level;
}  // namespace graphtest
