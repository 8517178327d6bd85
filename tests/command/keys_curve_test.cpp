// Evaluation of anim curve keys: tangent types, weighted and unweighted
// segments, infinities. Expected values are worked out by hand from the
// Hermite basis h01 = 3u^2 - 2u^3, h10 = u^3 - 2u^2 + u, h11 = u^3 - u^2 (value
// = v0 + (v1 - v0) h01 + span (m0 h10 + m1 h11)) and the cubic Bezier.
#include "command/keys_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace rdhost::keys;

namespace {

Curve make(std::vector<std::pair<double, double>> points, int type = kLinear, int pre = kConstant,
           int post = kConstant) {
    Curve c;
    for (auto [t, v] : points) setKey(c.keys, t, v, type);
    c.pre = pre;
    c.post = post;
    return c;
}

Curve with(Curve c, const std::function<void(Curve&)>& change) {
    change(c);
    return c;
}

}  // namespace

TEST(KeysCurve, EvaluatesTangentsWeightsAndInfinitiesAsTheHost) {
    const double big = 1e308;
    const auto ramp = std::vector<std::pair<double, double>>{{0, 0}, {10, 10}};
    const auto peak = std::vector<std::pair<double, double>>{{0, 0}, {10, 10}, {20, 0}};
    const auto rise = std::vector<std::pair<double, double>>{{0, 0}, {10, 10}, {20, 30}};
    const auto shelf = std::vector<std::pair<double, double>>{{0, 0}, {10, 10}, {20, 10}, {30, 0}};
    const auto steep = std::vector<std::pair<double, double>>{{0, 0}, {1, 10}, {11, 10.1}};
    // Key 0 leaves with a fixed tangent 10 frames long (10/24 s) rising 20.
    auto fixedOut = [](Curve& c) {
        c.keys[0].outType = kFixed;
        c.keys[0].outX = 10.0 / 24.0;
        c.keys[0].outY = 20;
    };
    // Key 0 leaves flat with a tangent as long as the whole segment; key 1
    // enters with a computed flat tangent.
    auto longFlat = [](Curve& c) {
        c.keys[0].outType = kFixed;
        c.keys[0].outX = 30.0 / 24.0;
        c.keys[0].outY = 0;
        c.keys[1].inType = kFlat;
    };
    struct Case {
        const char* what;
        Curve curve;
        double time, value;
    } cases[] = {
        {"no keys", make({}), 5, 0},
        {"one key", make({{4, 2.5}}), -3, 2.5},
        {"one key, cycle", make({{4, 2.5}}, kLinear, kCycle, kCycle), 40, 2.5},
        {"linear", make(peak), 5, 5},
        {"linear, down", make(peak), 12.5, 7.5},
        {"a key's own time", make(peak), 10, 10},
        {"flat", make(ramp, kFlat), 5, 5},
        {"flat, a quarter", make(ramp, kFlat), 2.5, 1.5625},
        {"step holds", make(peak, kStep), 9.99, 0},
        {"step reaches the key", make(peak, kStep), 10, 10},
        {"step after", make(peak, kStep), 15, 10},
        {"stepnext jumps", make(peak, kStepNext), 0.01, 10},
        {"stepnext at the key", make(peak, kStepNext), 0, 0},
        {"spline: ends point at the neighbour", make(rise, kSpline), 5, 4.375},
        {"spline at a peak is level", make(peak, kSpline), 5, 6.25},
        {"spline overshoots", make(steep, kSpline), 6, 10 + 0.05 + 0.125 * 101.0 / 11.0 - 0.0125},
        {"auto: flat ends", make(rise, kAuto), 5, 3.125},
        {"auto: flat at a peak", make(peak, kAuto), 2.5, 1.5625},
        {"auto: no overshoot", make(steep, kAuto), 6, 10 + 0.05 + 0.125 * 0.3},
        {"plateau as auto", make(steep, kPlateau), 6, 10 + 0.05 + 0.125 * 0.3},
        {"clamped: equal neighbours stay level", make(shelf, kClamped), 15, 10},
        {"spline between equal keys bulges", make(shelf, kSpline), 15, 11.25},
        {"clamped elsewhere is spline", make(shelf, kClamped), 5, 5.625},
        {"fixed, unweighted: slope y / x", with(make(ramp, kFlat), fixedOut), 5, 7.5},
        {"fixed, weighted: Bezier",
         with(with(make(ramp, kFlat), longFlat), [](Curve& c) { c.weighted = true; }), 7.5, 5},
        {"fixed, unweighted: only the direction counts", with(make(ramp, kFlat), longFlat), 7.5, 8.4375},
        {"weighted, computed tangents: as Hermite",
         with(make(rise, kSpline), [](Curve& c) { c.weighted = true; }), 5, 4.375},
        {"pre constant", make(ramp, kLinear, kConstant, kConstant), -5, 0},
        {"post constant", make(ramp, kLinear, kConstant, kConstant), 15, 10},
        {"pre linear", make(ramp, kLinear, kLinearInfinity, kLinearInfinity), -5, -5},
        {"post linear", make(ramp, kLinear, kLinearInfinity, kLinearInfinity), 15, 15},
        {"post linear along a flat end", make(ramp, kAuto, kConstant, kLinearInfinity), 15, 10},
        {"pre cycle", make(ramp, kLinear, kCycle, kCycle), -3, 7},
        {"post cycle", make(ramp, kLinear, kCycle, kCycle), 15, 5},
        {"post cycle, a whole period on", make(ramp, kLinear, kCycle, kCycle), 20, 0},
        {"pre cycle with offset", make(ramp, kLinear, kCycleRelative, kCycleRelative), -5, -5},
        {"post cycle with offset", make(ramp, kLinear, kCycleRelative, kCycleRelative), 25, 25},
        {"pre oscillate", make(ramp, kLinear, kOscillate, kOscillate), -3, 3},
        {"post oscillate", make(ramp, kLinear, kOscillate, kOscillate), 12, 8},
        {"post oscillate, forward again", make(ramp, kLinear, kOscillate, kOscillate), 23, 3},
        {"flat segment stays exactly flat", make({{1, -3.9012512308195548}, {3, -3.9012512308195548}}, kAuto),
         2.3, -3.9012512308195548},
        {"huge keys: linear", make({{1, big}, {10, -big}}), 5.5, 0},
        {"huge keys: linear, a quarter", make({{1, big}, {10, -big}}), 3.25, big / 2},
        {"huge keys: auto", make({{1, big}, {10, -big}}, kAuto), 5.5, 0},
        {"huge keys: spline", make({{1, big}, {10, -big}}, kSpline), 5.5, 0},
        {"huge keys: clamped, a quarter", make({{1, big}, {10, -big}}, kClamped), 3.25, big / 2},
        {"huge keys: spline, a level middle key", make({{1, big}, {10, -big}, {19, big}}, kSpline), 5.5,
         -big / 4},
        {"huge times", make({{-big, 0}, {big, 10}}), 0, 5},
        {"huge both", make({{-big, big}, {big, -big}}), big / 2, -big / 2},
    };
    for (const auto& c : cases) {
        const double got = evaluate(c.curve, c.time);
        EXPECT_NEAR(got, c.value, 1e-9 * std::max(1.0, std::fabs(c.value))) << c.what << " at " << c.time;
    }
}

TEST(KeysCurve, SetKeyInsertsInTimeOrderAndReplacesAtSameTime) {
    std::vector<Key> keys;
    EXPECT_TRUE(setKey(keys, 10, 1));
    EXPECT_TRUE(setKey(keys, 1, 2));
    EXPECT_TRUE(setKey(keys, 5, 3));
    EXPECT_FALSE(setKey(keys, 5, 4));
    EXPECT_EQ(keys, (std::vector<Key>{{1, 2}, {5, 4}, {10, 1}}));
}

TEST(KeysCurve, NormalizeSortsAndKeepsTheLastKeyPerTime) {
    std::vector<Key> keys{{3, 1}, {1, 2}, {3, 5}, {2, 0}};
    normalize(keys);
    EXPECT_EQ(keys, (std::vector<Key>{{1, 2}, {2, 0}, {3, 5}}));
}
