#include "command/keys_curve.h"

#include <algorithm>
#include <cmath>

namespace rdhost::keys {

double evaluate(const std::vector<Key>& keys, double time) {
    if (keys.empty()) return 0.0;
    if (time <= keys.front().time) return keys.front().value;
    if (time >= keys.back().time) return keys.back().value;
    auto hi =
        std::upper_bound(keys.begin(), keys.end(), time, [](double t, const Key& k) { return t < k.time; });
    auto lo = hi - 1;
    if (time == lo->time) return lo->value;
    // Written from the lower key so that a flat segment stays exactly flat.
    // Halved where the span of the times overflows (keys near the double range).
    const double span = hi->time - lo->time;
    const double u = std::isfinite(span) ? (time - lo->time) / span
                                         : (time * 0.5 - lo->time * 0.5) / (hi->time * 0.5 - lo->time * 0.5);
    const double rise = hi->value - lo->value;
    if (std::isfinite(rise)) return lo->value + rise * u;
    // Keys of opposite signs near the double range: the difference overflows,
    // the weighted sum of the two cannot.
    return lo->value * (1.0 - u) + hi->value * u;
}

bool setKey(std::vector<Key>& keys, double time, double value) {
    auto it =
        std::lower_bound(keys.begin(), keys.end(), time, [](const Key& k, double t) { return k.time < t; });
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
