// Comparing two pictures of one scene, as the two renderers draw it.
#pragma once

#include "view/png_io.h"

#include <cstdlib>

namespace rdtest {

// How far a colour channel of one pixel may differ before the pixel counts as
// different: lit shapes take their own material in the legacy draw and the
// stock one through the draw manager, so their highlights may differ a little.
constexpr int kChannelTolerance = 8;

// The pixels of `a` and `b` (of one size) in which a colour channel differs
// by more than `tolerance`.
inline int differingPixels(const rdhost::Image& a, const rdhost::Image& b,
                           int tolerance = kChannelTolerance) {
    int differ = 0;
    for (size_t i = 0; i + 3 < a.rgba.size() && i + 3 < b.rgba.size(); i += 4)
        for (int c = 0; c < 3; ++c)
            if (std::abs(int(a.rgba[i + c]) - int(b.rgba[i + c])) > tolerance) {
                ++differ;
                break;
            }
    return differ;
}

}  // namespace rdtest
