// The host's anim curve node types: animCurveTL (distance), animCurveTA
// (angle) and animCurveTU (plain number), installed in every scene.
//
// A curve holds its keys (keys_curve.h) and computes "output" ("o") from them
// at the scene's current time, or at the value of its "input" ("i") when that
// is connected. Its output is connected to the keyed attribute. Changing the
// keys or the current time marks the output, and what it drives, dirty; the
// value is pulled when read.
#pragma once

#include "command/keys_curve.h"
#include "graph/scene.h"

#include <vector>

namespace rdhost::keys {

bool isAnimCurve(const Node* node);

// The curve type that keys an attribute of this kind: "animCurveTL" for
// distances, "animCurveTA" for angles, "animCurveTU" for other numbers; empty
// when the attribute cannot be keyed (strings, compounds, matrices, time).
std::string curveTypeFor(const Attr& attr);

// Keys of a curve node (which must be an anim curve). Values in internal units.
std::vector<Key>& curveKeys(Node* curve);
int outputSlot(const Node* curve);

// After the keys of a curve changed: its output and everything downstream dirty.
void keysChanged(Node* curve);

// After the current time changed: every curve that follows the scene time.
void timeChanged(Scene& scene);

// The anim curve whose output drives the plug directly, or nullptr.
Node* drivingCurve(PlugRef plug);

}  // namespace rdhost::keys
