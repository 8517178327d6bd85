// Keys of an anim curve and their evaluation, apart from any node so they can
// be checked on their own.
//
// A curve is a list of (time, value) keys kept sorted by time, one key per
// time. Between two keys the value is interpolated linearly; before the first
// key it holds the first value and after the last key the last value. A curve
// without keys evaluates to 0.
#pragma once

#include <vector>

namespace rdhost::keys {

struct Key {
    double time = 0.0;   // frames
    double value = 0.0;  // internal units (cm, radians, plain number)
    bool operator==(const Key& o) const { return time == o.time && value == o.value; }
};

double evaluate(const std::vector<Key>& keys, double time);

// Adds a key at `time`, or replaces the value of the key already there.
// Returns true when a key was added (false: replaced).
bool setKey(std::vector<Key>& keys, double time, double value);

// Sorts keys read from a file by time; a later key at the same time replaces an
// earlier one, as setting them one by one would.
void normalize(std::vector<Key>& keys);

}  // namespace rdhost::keys
