#include "command/keys_curve.h"

#include <algorithm>

namespace rdhost::keys {

double evaluate(const std::vector<Key>& keys, double time) {
    if (keys.empty()) return 0.0;
    if (time <= keys.front().time) return keys.front().value;
    if (time >= keys.back().time) return keys.back().value;
    auto hi = std::upper_bound(keys.begin(), keys.end(), time,
                               [](double t, const Key& k) { return t < k.time; });
    auto lo = hi - 1;
    if (time == lo->time) return lo->value;
    // Written from the lower key so that a flat segment stays exactly flat.
    const double u = (time - lo->time) / (hi->time - lo->time);
    return lo->value + (hi->value - lo->value) * u;
}

bool setKey(std::vector<Key>& keys, double time, double value) {
    auto it = std::lower_bound(keys.begin(), keys.end(), time,
                               [](const Key& k, double t) { return k.time < t; });
    if (it != keys.end() && it->time == time) {
        it->value = value;
        return false;
    }
    keys.insert(it, Key{time, value});
    return true;
}

void normalize(std::vector<Key>& keys) {
    std::vector<Key> sorted;
    sorted.reserve(keys.size());
    for (const Key& k : keys) setKey(sorted, k.time, k.value);
    keys.swap(sorted);
}

}  // namespace rdhost::keys
