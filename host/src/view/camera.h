// The built-in cameras (persp, top, front, side) and how they frame a scene.
// Plain math, no GL: the renderer loads the matrices made here.
#pragma once

#include "view/viewport.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace rdhost {

using Vec3 = std::array<double, 3>;

// World-space box of what a camera must show; empty when nothing is visible.
struct FrameBounds {
    bool empty = true;
    Vec3 min{}, max{};
    void expand(const Vec3& p);
};

struct Camera {
    CameraKind kind = CameraKind::Persp;
    Vec3 eye{}, center{}, up{0.0, 1.0, 0.0};
    bool ortho = false;
    double fovyDegrees = 40.0;     // perspective
    double orthoHalfHeight = 1.0;  // orthographic
    double aspect = 1.0;           // width / height
    double nearClip = 0.1, farClip = 1000.0;
};

// "persp", "top", "front" or "side" (and their "...Shape" names).
std::optional<CameraKind> cameraKindFromName(const std::string& name);
const char* cameraName(CameraKind kind);

// A camera of `kind` looking at `bounds` so that all of it is in the picture
// with a small margin. Persp looks from the host's default direction (down
// and from the +X +Z side); top looks down -Y with -Z up; front looks down
// -Z; side looks down -X. Nothing to frame: the default ground area around
// the origin. `gridHalfSize` keeps the ground grid within the clipping range.
Camera frameCamera(CameraKind kind, const FrameBounds& bounds, double aspect, double gridHalfSize = 12.0);

// A text to keep in the picture: its world anchor and the pixels it covers
// around the anchor's place in the picture (x right, y up), which do not
// shrink with the view as geometry does.
struct FrameText {
    Vec3 anchor{};
    double left = 0.0, right = 0.0, bottom = 0.0, top = 0.0;
};

// Adjusts a framed camera so that the corners of `bounds` and every text's
// pixels lie inside a width x height picture with the framing margin: it
// moves back (persp) or widens (orthographic) only as far as the texts need,
// and pans the least that makes them fit. A text longer than the picture
// keeps only its anchor in view along that axis.
void fitToPicture(Camera& cam, const FrameBounds& bounds, const std::vector<FrameText>& texts, int width,
                  int height);

// Column-major 4x4 matrices for glLoadMatrixd.
std::array<double, 16> viewMatrix(const Camera& cam);
std::array<double, 16> projectionMatrix(const Camera& cam);

// Where a world point lands in a width x height picture (x right, y down, in
// pixels) and its depth in [0, 1]; nullopt when behind the camera.
struct Projected {
    double x, y, depth;
};
std::optional<Projected> projectToImage(const Camera& cam, const Vec3& world, int width, int height);

}  // namespace rdhost
