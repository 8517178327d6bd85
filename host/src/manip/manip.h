// The manipulator runtime as the rest of the host uses it: showing a node's
// container, querying placements, dragging, and the graph's notifications.
// Commands showManip, manipInfo and dragManip (commands.cpp) are thin layers
// over these functions. Every function that can fail throws HostError whose
// message starts with `cmd` and names the node or manipulator.
#pragma once

#include "graph/scene.h"
#include "manip/manip_impl.h"

#include <maya/MPoint.h>

#include <string>

namespace rdhost {

// Creates the container paired with `target`'s type (the type's name followed
// by "Manip", the type being in the connect table), calls createChildren and
// connectToDependNode, and shows it in place of any container already shown
// for `target`. A transform stands for its only shape that has a container.
ShownManip& showManip(Scene& scene, Node* target, const std::string& cmd = "showManip");

// The container shown for `target`, or null.
ShownManip* shownManipFor(Scene& scene, Node* target);
// Throws "CMD: no manipulator is shown for 'node'".
ShownManip& shownManipOrFail(Scene& scene, Node* target, const std::string& cmd);

// Dismisses (destroys) the container shown for `target`; false if none.
bool dismissManip(Scene& scene, Node* target);

// The child manipulator named `name` (manipulator name, or value name when
// manipulator names repeat). Throws naming the container and its manipulators.
StockManip& findChildManip(ShownManip& shown, const std::string& name, const std::string& cmd);

// The plug a drag of `m` writes: its own, or the one a manip-to-plug
// conversion computes from its value (as of the last refresh); null if none.
PlugRef draggedPlug(const ShownManip& shown, const StockManip& m);

// Every child's placement after a refresh, as JSON (see manipInfo).
std::string manipInfoJson(Scene& scene, ShownManip& shown);

// A user's drag: the manipulator's value becomes `value` (distance, radians,
// 0/1) and is written into the bound plug as setAttr would.
void dragManipValue(Scene& scene, ShownManip& shown, StockManip& manip, double value, const std::string& cmd);
// A drag that ends at world point `p`: projected onto a distance manipulator's
// line (divided by its scaling factor), or measured around a sweep's circle
// from its start point (the turn closest to the current angle). A toggle flips.
void dragManipToPoint(Scene& scene, ShownManip& shown, StockManip& manip, const MPoint& p,
                      const std::string& cmd);

// A number as manipInfo prints it: the shortest text that reads back to the
// same single-precision value (the precision manipulators work in); below
// 5e-7 in magnitude, 0.
std::string manipJsonNumber(double v);

}  // namespace rdhost
