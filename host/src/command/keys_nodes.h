// The host's anim curve node types, installed in every scene: a time input
// (animCurveTL distance, animCurveTA angle, animCurveTU plain number,
// animCurveTT time) or a plain-number input, the driver of driven keys
// (animCurveUL, animCurveUA, animCurveUU, animCurveUT).
//
// A curve holds its keys (keys_curve.h) and computes "output" ("o") from them
// at the value of its "input" ("i"); a time curve whose input is not connected
// follows the scene's current time. "weightedTangents" ("wgt"),
// "preInfinity" ("pre") and "postInfinity" ("pst") are attributes of their own
// and shape the evaluation; "tangentType" ("tan") is what a scene file gives
// keys that list no tangent types of their own. Changing the keys or the
// current time marks the output, and what it drives, dirty; the value is
// pulled when read.
#pragma once

#include "command/keys_curve.h"
#include "graph/scene.h"

#include <functional>
#include <vector>

namespace rdhost::keys {

bool isAnimCurve(const Node* node);
// A driven key curve (animCurveU*): its input is a number, not the time.
bool isDrivenCurve(const Node* node);

// The curve type that keys an attribute of this kind: "animCurveTL" for
// distances, "animCurveTA" for angles, "animCurveTT" for times, "animCurveTU"
// for other numbers ("animCurveU*" when `driven`); empty when the attribute
// cannot be keyed (strings, compounds, matrices).
std::string curveTypeFor(const Attr& attr, bool driven = false);

// Keys of a curve node (which must be an anim curve). Values in internal units.
std::vector<Key>& curveKeys(Node* curve);
// The whole curve with its weighting and infinities as the node's attributes
// hold them now.
const Curve& curveOf(Node* curve);
int outputSlot(const Node* curve);
int inputSlot(const Node* curve);

// After the keys of a curve changed: a change for undo (the keys themselves
// are recorded as the step first reached them), and its output and everything
// downstream dirty. Every change of keys ends here.
void keysChanged(Node* curve);

// After the current time changed: every curve that follows the scene time.
void timeChanged(Scene& scene);

// Runs `read` with the scene at time `t` (getAttr -time), then puts the time
// back. A value set on a keyed attribute since the last time change holds
// afterwards as it did before.
void atTime(Scene& scene, double t, const std::function<void()>& read);

// The anim curve whose output drives the plug directly, or nullptr.
Node* drivingCurve(PlugRef plug);

// The tangent type new keys get (keyTangent -global): auto by default, as in
// the host's preferences; kept per scene.
int defaultTangent(Scene& scene, bool in);
void setDefaultTangent(Scene& scene, bool in, int type);
// Whether new curves are weighted (keyTangent -global -weightedTangents); off
// by default.
bool defaultWeighted(Scene& scene);
void setDefaultWeighted(Scene& scene, bool on);

// Turns a curve weighted or not, keeping the direction of each fixed tangent:
// a weighted one gets the length its segment gives, an unweighted one unit
// length.
void setWeighted(Node* curve, bool on);

// The playback range (playbackOptions) inside the animation range: 1 to 120
// and 1 to 200 in a new scene. Scene files keep it where the host does, in
// the "sceneConfigurationScriptNode" script node's text.
struct PlaybackRange {
    double min = 1, max = 120, start = 1, end = 200;
    bool operator==(const PlaybackRange& o) const {
        return min == o.min && max == o.max && start == o.start && end == o.end;
    }
};
PlaybackRange& playbackRange(Scene& scene);
inline constexpr const char* kSceneConfigNode = "sceneConfigurationScriptNode";
// "playbackOptions -min 1 -max 120 -ast 1 -aet 200 ", as the host writes it.
std::string playbackText(const PlaybackRange& range);
// Reads the flags of such a text into `range`; false when it holds no
// playbackOptions command (a malformed number leaves that field as it was).
bool readPlaybackText(const std::string& text, PlaybackRange& range);

}  // namespace rdhost::keys
