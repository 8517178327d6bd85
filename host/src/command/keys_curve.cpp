#include "command/keys_curve.h"

#include <algorithm>
#include <cmath>

namespace rdhost::keys {

namespace {

struct Named {
    const char* name;
    int type;
};

constexpr Named kTangentNames[] = {
    {"fixed", kFixed},     {"linear", kLinear},     {"flat", kFlat},     {"step", kStep},
    {"slow", kSlow},       {"fast", kFast},         {"spline", kSpline}, {"clamped", kClamped},
    {"plateau", kPlateau}, {"stepnext", kStepNext}, {"auto", kAuto},
};

constexpr Named kInfinityNames[] = {
    {"constant", kConstant},           {"linear", kLinearInfinity}, {"cycle", kCycle},
    {"cycleRelative", kCycleRelative}, {"oscillate", kOscillate},
};

// Values closer than this count as equal for clamped tangents (the host's
// "very close"); in internal units.
constexpr double kClampTolerance = 1e-5;

// Rise over run between two keys, without overflow where both are huge.
double secant(const Key& a, const Key& b) {
    const double run = b.time - a.time;
    double s = (b.value - a.value) / run;
    if (!std::isfinite(s)) s = b.value / run - a.value / run;
    if (!std::isfinite(s)) s = (b.value * 0.5 - a.value * 0.5) / (b.time * 0.5 - a.time * 0.5);
    return s;
}

// The spline slope at an inner key: from its previous to its next key.
double splineSlope(const std::vector<Key>& k, std::size_t i) { return secant(k[i - 1], k[i + 1]); }

// The slope (value per input unit) of one side of key i.
double slope(const Curve& c, std::size_t i, bool in) {
    const std::vector<Key>& k = c.keys;
    const Key& key = k[i];
    const int type = in ? key.inType : key.outType;
    const bool hasPrev = i > 0, hasNext = i + 1 < k.size();
    const double before = hasPrev ? secant(k[i - 1], key) : 0.0;
    const double after = hasNext ? secant(key, k[i + 1]) : 0.0;
    // One neighbour only: the slope towards it.
    const double lone = hasPrev ? before : after;
    switch (type) {
    case kFixed: {
        const double x = (in ? key.inX : key.outX) * c.xScale;
        const double y = in ? key.inY : key.outY;
        return y / std::max(x, 1e-12);
    }
    case kLinear:
        if (hasPrev && hasNext) return in ? before : after;
        return lone;
    case kSpline:
    case kSlow:
    case kFast:
        return hasPrev && hasNext ? splineSlope(k, i) : lone;
    case kClamped: {
        if (!(hasPrev && hasNext)) return lone;
        const Key& other = in ? k[i - 1] : k[i + 1];
        if (std::fabs(other.value - key.value) <= kClampTolerance) return in ? before : after;
        return splineSlope(k, i);
    }
    case kAuto:
    case kPlateau: {
        if (!(hasPrev && hasNext) || before * after <= 0.0) return 0.0;
        // At most three times the gentler neighbouring secant: a Hermite
        // segment then stays between its two keys.
        const double limit = 3.0 * std::min(std::fabs(before), std::fabs(after));
        const double s = splineSlope(k, i);
        return std::clamp(s, -limit, limit);
    }
    default:  // flat; step and stepnext have no slope of their own
        return 0.0;
    }
}

// One segment, time strictly between keys a and a+1.
double segment(const Curve& c, std::size_t a, double time) {
    const Key& k0 = c.keys[a];
    const Key& k1 = c.keys[a + 1];
    if (k0.outType == kStep) return k0.value;
    if (k0.outType == kStepNext) return k1.value;
    const double span = k1.time - k0.time;
    const double u = std::isfinite(span) ? (time - k0.time) / span
                                         : (time * 0.5 - k0.time * 0.5) / (k1.time * 0.5 - k0.time * 0.5);
    const double rise = k1.value - k0.value;
    if (k0.outType == kLinear && k1.inType == kLinear) {
        // Written from the lower key so that a flat segment stays exactly flat.
        if (std::isfinite(rise)) return k0.value + rise * u;
        // Keys of opposite signs near the double range: the difference
        // overflows, the weighted sum of the two cannot.
        return k0.value * (1.0 - u) + k1.value * u;
    }
    // The curved segments are worked out with every value and slope scaled
    // by `sc`: 1 first, and a quarter again when keys near the double range
    // overflow a tangent term (a slope times the span, a sum of bends), so
    // that huge keys still give the curve between them.
    auto curved = [&](double sc) {
        const bool fixedSide = k0.outType == kFixed || k1.inType == kFixed;
        const double v0 = k0.value * sc, v1 = k1.value * sc, rs = v1 - v0;
        if (c.weighted && fixedSide) {
            // Bezier: control points a third of each tangent vector from the
            // keys, kept inside the segment's time span so that time stays
            // monotonic.
            auto handle = [&](const Key& key, std::size_t i, bool in, double& hx, double& hy) {
                const int type = in ? key.inType : key.outType;
                if (type == kFixed) {
                    hx = (in ? key.inX : key.outX) * c.xScale / 3.0;
                    hy = (in ? key.inY : key.outY) * sc / 3.0;
                } else {
                    hx = span / 3.0;
                    hy = slope(c, i, in) * sc * span / 3.0;
                }
                if (hx > span) {
                    hy *= span / hx;
                    hx = span;
                }
                if (hx < 0.0) hx = 0.0;
            };
            double ax, ay, bx, by;
            handle(k0, a, false, ax, ay);
            handle(k1, a + 1, true, bx, by);
            const double x1 = ax / span, x2 = 1.0 - bx / span;  // control times, 0..1
            auto bez = [](double p0, double p1, double p2, double p3, double t) {
                const double r = 1.0 - t;
                return r * r * r * p0 + 3 * r * r * t * p1 + 3 * r * t * t * p2 + t * t * t * p3;
            };
            // x(t) rises monotonically from 0 to 1: bisection finds t for u.
            double lo = 0.0, hi = 1.0;
            for (int it = 0; it < 64; ++it) {
                const double mid = 0.5 * (lo + hi);
                (bez(0.0, x1, x2, 1.0, mid) < u ? lo : hi) = mid;
            }
            return bez(v0, v0 + ay, v1 - by, v1, 0.5 * (lo + hi));
        }
        // Hermite; the value part written from the lower key as above.
        const double m0 = slope(c, a, false) * sc * span, m1 = slope(c, a + 1, true) * sc * span;
        const double u2 = u * u, u3 = u2 * u;
        const double h01 = -2 * u3 + 3 * u2, h10 = u3 - 2 * u2 + u, h11 = u3 - u2;
        const double bend = (m0 == 0.0 ? 0.0 : h10 * m0) + (m1 == 0.0 ? 0.0 : h11 * m1);
        if (std::isfinite(rs)) return v0 + rs * h01 + bend;
        return v0 * (1.0 - h01) + v1 * h01 + bend;
    };
    const double value = curved(1.0);
    if (std::isfinite(value)) return value;
    return curved(0.25) * 4.0;
}

double inside(const Curve& c, double time) {
    const std::vector<Key>& keys = c.keys;
    if (time <= keys.front().time) return keys.front().value;
    if (time >= keys.back().time) return keys.back().value;
    auto hi =
        std::upper_bound(keys.begin(), keys.end(), time, [](double t, const Key& k) { return t < k.time; });
    auto lo = hi - 1;
    if (time == lo->time) return lo->value;
    return segment(c, static_cast<std::size_t>(lo - keys.begin()), time);
}

}  // namespace

int tangentFromName(const std::string& name) {
    for (const Named& n : kTangentNames)
        if (name == n.name) return n.type;
    return 0;
}

const char* tangentName(int type) {
    for (const Named& n : kTangentNames)
        if (type == n.type) return n.name;
    return "";
}

bool isTangentType(int type) { return *tangentName(type) != '\0'; }

int infinityFromName(const std::string& name) {
    for (const Named& n : kInfinityNames)
        if (name == n.name) return n.type;
    return -1;
}

const char* infinityName(int type) {
    for (const Named& n : kInfinityNames)
        if (type == n.type) return n.name;
    return "";
}

bool Key::operator==(const Key& o) const {
    return time == o.time && value == o.value && inType == o.inType && outType == o.outType && inX == o.inX &&
           inY == o.inY && outX == o.outX && outY == o.outY && breakdown == o.breakdown &&
           tangentsLocked == o.tangentsLocked && weightsLocked == o.weightsLocked;
}

double evaluate(const Curve& c, double time) {
    const std::vector<Key>& keys = c.keys;
    if (keys.empty()) return 0.0;
    const Key& first = keys.front();
    const Key& last = keys.back();
    const bool before = time<first.time, after = time> last.time;
    if (!before && !after) return inside(c, time);
    const int mode = before ? c.pre : c.post;
    const double period = last.time - first.time;
    if (mode == kLinearInfinity) {
        if (before) return first.value - slope(c, 0, true) * (first.time - time);
        return last.value + slope(c, keys.size() - 1, false) * (time - last.time);
    }
    if ((mode != kCycle && mode != kCycleRelative && mode != kOscillate) || !(period > 0.0) ||
        !std::isfinite(period))
        return before ? first.value : last.value;
    const double k = std::floor((time - first.time) / period);
    const double t = std::clamp(time - k * period, first.time, last.time);
    if (mode == kCycle) return inside(c, t);
    if (mode == kOscillate)
        return std::fmod(std::fabs(k), 2.0) == 1.0 ? inside(c, first.time + last.time - t) : inside(c, t);
    return inside(c, t) + k * (last.value - first.value);
}

double evaluate(const std::vector<Key>& keys, double time) {
    Curve c;
    c.keys = keys;
    return evaluate(c, time);
}

void tangentVector(const Curve& c, std::size_t i, bool in, double& x, double& y) {
    const Key& key = c.keys[i];
    const int type = in ? key.inType : key.outType;
    if (type == kFixed) {
        x = in ? key.inX : key.outX;
        y = in ? key.inY : key.outY;
        return;
    }
    const double m = slope(c, i, in);
    if (c.weighted) {
        // The segment on that side (the other one for an end key).
        double span = 1.0 * c.xScale;
        const std::size_t n = c.keys.size();
        if (in && i > 0)
            span = key.time - c.keys[i - 1].time;
        else if (!in && i + 1 < n)
            span = c.keys[i + 1].time - key.time;
        else if (i > 0)
            span = key.time - c.keys[i - 1].time;
        else if (i + 1 < n)
            span = c.keys[i + 1].time - key.time;
        x = span / c.xScale;
        y = m * span;
        return;
    }
    const double dy = m * c.xScale;  // per x unit
    const double len = std::hypot(1.0, dy);
    x = 1.0 / len;
    y = dy / len;
}

bool setKey(std::vector<Key>& keys, double time, double value, int type) {
    auto it =
        std::lower_bound(keys.begin(), keys.end(), time, [](const Key& k, double t) { return k.time < t; });
    if (it != keys.end() && it->time == time) {
        it->value = value;
        return false;
    }
    Key k;
    k.time = time;
    k.value = value;
    k.inType = k.outType = type;
    keys.insert(it, k);
    return true;
}

void normalize(std::vector<Key>& keys) {
    std::vector<Key> sorted;
    sorted.reserve(keys.size());
    for (const Key& k : keys) {
        auto it = std::lower_bound(sorted.begin(), sorted.end(), k.time,
                                   [](const Key& a, double t) { return a.time < t; });
        if (it != sorted.end() && it->time == k.time)
            *it = k;
        else
            sorted.insert(it, k);
    }
    keys.swap(sorted);
}

}  // namespace rdhost::keys
