// What key commands act on, shared by setKeyframe, keyframe, keyTangent,
// setInfinity, cutKey, copyKey, pasteKey and setDrivenKeyframe.
//
// Targets are "node.attr" (long or short name; a compound stands for its
// three children), a node (its keyable attributes, or those named by
// -attribute), or an anim curve named directly; no target: the selection.
// A key set narrows each curve's keys: -time "a:b" (frames, either end may be
// left open: "10:", ":5", ":"; a single time "7"), -float the same for driven
// key curves, -index "i:j" (from 0); several of them add up. None: every key.
#pragma once

#include "command/attrs.h"
#include "command/keys_nodes.h"

#include <string>
#include <utility>
#include <vector>

namespace rdhost::keys {

// Every plug a target names. forQuery: only keyed plugs of named nodes (a
// plug named on its own always counts). Locked channels of a node are passed
// over when keying it whole, as the host does.
std::vector<cmd::PlugPath> keyTargets(cmd::Invocation& inv, bool forQuery);

struct CurveTarget {
    Node* curve = nullptr;
    const Attr* unit = nullptr;  // the output's attribute: values in its UI units
};

// The curves driving the targets (or named directly), in target order, each
// once. Plugs without a curve are left out.
std::vector<CurveTarget> curveTargets(cmd::Invocation& inv);

struct KeySet {
    std::vector<std::pair<double, double>> times;  // inclusive
    std::vector<std::pair<double, double>> indices;
    bool all() const { return times.empty() && indices.empty(); }
    bool contains(const std::vector<Key>& keys, std::size_t i) const;
};

// The -time, -float and -index flags of the command; an ill-formed range is an
// error naming it.
KeySet keySet(const cmd::Invocation& inv);

// The flag table entries of a key set, taking their ranges in query mode too.
std::vector<cmd::FlagSpec> keySetFlags();

// Makes the anim curve that will key (or, driven, drive by a driver) the plug,
// named NODE_LONGNAME, unweighted; not yet connected.
Node* makeCurve(Scene& scene, const cmd::PlugPath& plug, bool driven);

// A tangent type by name for the flag, or the command's error listing them.
int tangentFlag(const cmd::Invocation& inv, const std::string& flag);

}  // namespace rdhost::keys
