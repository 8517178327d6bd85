// The snapping rule both sliders share: a value goes down to a multiple of the
// step (floor, toward minus infinity), except that a value within
// single-precision noise below a multiple counts as that multiple. 0.9 cm on a
// 3 cm track is a ratio of 0.29999998 in single precision, and a dial at 100
// degrees reads 99.99999: both are meant to land on their step, not one below.
#pragma once

#include <cmath>

namespace snapping {

// How close below a multiple a value may fall and still count as on it, as a
// share of the step. Far above single-precision noise (about 1e-7), far below
// any step a user would mean.
constexpr double kTolerance = 1e-4;

// The whole number of steps in `quotient` (a value divided by its step).
inline float wholeSteps(float quotient) {
    return static_cast<float>(std::floor(static_cast<double>(quotient) + kTolerance));
}

// `value` snapped down to a multiple of `step`. A step that cannot snap (0,
// NaN, infinite, or so small that the quotient overflows) leaves the value as
// it is instead of turning it into NaN or infinity.
inline float snapDown(float value, float step) {
    if (step == 0.0f || !std::isfinite(step)) return value;
    const float snapped = wholeSteps(value / step) * step;
    return std::isfinite(snapped) ? snapped : value;
}

}  // namespace snapping
