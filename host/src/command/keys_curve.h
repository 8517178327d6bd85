// Keys of an anim curve and their evaluation, apart from any node so they can
// be checked on their own.
//
// A curve is a list of keys kept sorted by their input ("time": frames for a
// time curve, the driver's value for a driven key curve), one key per time.
// Each key has an in and an out tangent type, numbered as the host numbers
// them in its files (".kit"/".kot"); the tangents of all types but "fixed"
// follow from the neighbouring keys:
//
//   linear    the slope towards the neighbouring key on that side
//   flat      slope 0
//   step      (out) the value holds until the next key
//   stepnext  (out) the value jumps to the next key's right after this one
//   spline    the slope between the two neighbours; an end key's points at
//             its only neighbour
//   clamped   spline, except on a side whose neighbour has (nearly) the same
//             value: linear there, so equal keys stay equal between them
//   auto      flat at the first and last key and where the key is a peak or a
//             dip; elsewhere spline, reduced so that the curve never leaves
//             the range of the two keys around a segment (no overshoot)
//   plateau   evaluated as auto
//   fixed     the key's own (x, y): x in seconds (time curves, 24 frames a
//             second) or input units (driven curves), y in internal units
//
// A segment between two keys is a cubic Hermite spline of the two slopes when
// the curve is not weighted, and a Bezier curve when it is: its control points
// are a third of each tangent vector away from the keys (a computed tangent's
// vector spans the segment, which gives the same curve as Hermite; a fixed
// tangent's weight is its length). Before the first and after the last key the
// pre and post infinity take over: constant, linear (along the end key's
// tangent), cycle, cycle with offset (each repeat shifted by the rise of one
// cycle) or oscillate (back and forth). A curve without keys evaluates to 0.
#pragma once

#include <string>
#include <vector>

namespace rdhost::keys {

// Tangent types as stored in scene files.
enum Tangent : int {
    kFixed = 1,
    kLinear = 2,
    kFlat = 3,
    kStep = 5,
    kSlow = 6,
    kFast = 7,
    kSpline = 9,
    kClamped = 10,
    kPlateau = 16,
    kStepNext = 17,
    kAuto = 18,
};

// Infinity types as stored in scene files (".pre", ".pst").
enum Infinity : int { kConstant = 0, kLinearInfinity = 1, kCycle = 3, kCycleRelative = 4, kOscillate = 5 };

// Names as keyTangent and setInfinity take them ("auto", "cycleRelative");
// 0 / -1 when the name is none of them.
int tangentFromName(const std::string& name);
const char* tangentName(int type);
bool isTangentType(int type);
int infinityFromName(const std::string& name);
const char* infinityName(int type);

struct Key {
    double time = 0.0;   // frames, or the driver's value
    double value = 0.0;  // internal units (cm, radians, plain number)
    int inType = kAuto, outType = kAuto;
    // Fixed tangents: the direction (unweighted) or vector (weighted).
    double inX = 1.0, inY = 0.0, outX = 1.0, outY = 0.0;
    bool breakdown = false;
    bool tangentsLocked = true;  // ".kl": in and out turn together
    bool weightsLocked = true;   // ".kwl"
    bool operator==(const Key& o) const;
};

struct Curve {
    std::vector<Key> keys;
    bool weighted = false;
    int pre = kConstant, post = kConstant;
    // Input units in one x unit of a fixed tangent: 24 frames a second for
    // time curves, 1 for driven curves.
    double xScale = 24.0;
};

double evaluate(const Curve& curve, double time);
// Unweighted, constant infinities.
double evaluate(const std::vector<Key>& keys, double time);

// The tangent in effect on one side of key i, as (x, y) in fixed-tangent
// units: what a fixed tangent stores, or what a computed type gives (the
// segment's span by its slope for a weighted curve, a unit vector for an
// unweighted one). keyTangent reports angles and weights from it, and it is
// what a tangent keeps when it becomes fixed.
void tangentVector(const Curve& curve, std::size_t i, bool in, double& x, double& y);

// Adds a key at `time` (tangent types `type`), or replaces the value of the key
// already there. Returns true when a key was added (false: replaced).
bool setKey(std::vector<Key>& keys, double time, double value, int type = kAuto);

// Sorts keys read from a file by time; a later key at the same time replaces an
// earlier one, as setting them one by one would.
void normalize(std::vector<Key>& keys);

}  // namespace rdhost::keys
