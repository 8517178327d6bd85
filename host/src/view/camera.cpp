#include "view/camera.h"

#include <algorithm>
#include <cmath>

namespace rdhost {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMargin = 1.1;

Vec3 sub(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec3 add(const Vec3& a, const Vec3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec3 scale(const Vec3& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Vec3 normalized(const Vec3& a) {
    double l = std::sqrt(dot(a, a));
    return l > 0.0 ? scale(a, 1.0 / l) : a;
}

bool finiteVec(const Vec3& v) { return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]); }

// Camera axes: right, up, back (the direction from center towards the eye).
struct Axes {
    Vec3 right, up, back;
};
Axes axesOf(const Camera& cam) {
    Vec3 back = normalized(sub(cam.eye, cam.center));
    Vec3 right = normalized(cross(cam.up, back));
    Vec3 up = cross(back, right);
    return {right, up, back};
}

}  // namespace

void FrameBounds::expand(const Vec3& p) {
    if (!finiteVec(p)) return;  // a NaN position must not poison the framing
    if (empty) {
        min = max = p;
        empty = false;
        return;
    }
    for (int i = 0; i < 3; ++i) {
        min[i] = std::min(min[i], p[i]);
        max[i] = std::max(max[i], p[i]);
    }
}

std::optional<CameraKind> cameraKindFromName(const std::string& name) {
    if (name == "persp" || name == "perspShape") return CameraKind::Persp;
    if (name == "top" || name == "topShape") return CameraKind::Top;
    if (name == "front" || name == "frontShape") return CameraKind::Front;
    if (name == "side" || name == "sideShape") return CameraKind::Side;
    return std::nullopt;
}

const char* cameraName(CameraKind kind) {
    switch (kind) {
    case CameraKind::Persp:
        return "persp";
    case CameraKind::Top:
        return "top";
    case CameraKind::Front:
        return "front";
    case CameraKind::Side:
        return "side";
    }
    return "persp";
}

Camera frameCamera(CameraKind kind, const FrameBounds& boundsIn, double aspect, double gridHalfSize) {
    FrameBounds bounds = boundsIn;
    if (bounds.empty) {
        bounds.expand({-gridHalfSize * 0.5, 0.0, -gridHalfSize * 0.5});
        bounds.expand({gridHalfSize * 0.5, 0.0, gridHalfSize * 0.5});
    }
    if (!(aspect > 0.0) || !std::isfinite(aspect)) aspect = 1.0;
    Camera cam;
    cam.kind = kind;
    cam.aspect = aspect;
    cam.center = scale(add(bounds.min, bounds.max), 0.5);
    const Vec3 half = scale(sub(bounds.max, bounds.min), 0.5);
    // A lone point (one unbounded locator) still gets a picture of some size.
    const double radius = std::max(std::sqrt(dot(half, half)), 1.0);
    const double reach = std::max(radius, gridHalfSize * std::sqrt(2.0));

    Vec3 dir{0.0, 0.0, 1.0};  // from center towards the eye
    switch (kind) {
    case CameraKind::Persp:
        dir = normalized({28.0, 21.0, 28.0});
        cam.up = {0, 1, 0};
        break;
    case CameraKind::Top:
        dir = {0, 1, 0};
        cam.up = {0, 0, -1};
        break;
    case CameraKind::Front:
        dir = {0, 0, 1};
        cam.up = {0, 1, 0};
        break;
    case CameraKind::Side:
        dir = {1, 0, 0};
        cam.up = {0, 1, 0};
        break;
    }

    if (kind == CameraKind::Persp) {
        cam.ortho = false;
        const double halfY = cam.fovyDegrees * 0.5 * kPi / 180.0;
        const double halfX = std::atan(std::tan(halfY) * aspect);
        const double halfMin = std::min(halfX, halfY);
        const double distance = radius * kMargin / std::sin(halfMin);
        cam.eye = add(cam.center, scale(dir, distance));
        cam.nearClip = std::max(distance - radius * 1.5, distance * 0.01);
        cam.farClip = distance + radius + 2.0 * reach;
    } else {
        cam.ortho = true;
        // Extent of the box across the picture: project the half sizes onto
        // the camera's right and up axes.
        cam.eye = add(cam.center, scale(dir, radius + 1.0));
        Axes ax = axesOf(cam);
        const double w = std::abs(ax.right[0]) * half[0] + std::abs(ax.right[1]) * half[1] +
                         std::abs(ax.right[2]) * half[2];
        const double h =
            std::abs(ax.up[0]) * half[0] + std::abs(ax.up[1]) * half[1] + std::abs(ax.up[2]) * half[2];
        cam.orthoHalfHeight = std::max({h, w / aspect, 1.0}) * kMargin;
        const double distance = radius + 1.0;
        cam.nearClip = distance - radius - 2.0 * reach - 1.0;  // may be negative: orthographic
        cam.farClip = distance + radius + 2.0 * reach + 1.0;
    }
    return cam;
}

void fitToPicture(Camera& cam, const FrameBounds& bounds, const std::vector<FrameText>& texts, int width,
                  int height) {
    if (texts.empty() || bounds.empty || width <= 0 || height <= 0) return;
    // What must be in the picture: the box's corners (points) and the texts
    // (anchors with pixels around them).
    std::vector<FrameText> items = texts;
    for (int i = 0; i < 8; ++i) {
        FrameText corner;
        corner.anchor = {(i & 1) ? bounds.max[0] : bounds.min[0], (i & 2) ? bounds.max[1] : bounds.min[1],
                         (i & 4) ? bounds.max[2] : bounds.min[2]};
        items.push_back(corner);
    }
    const double half[2] = {0.5 * width / kMargin, 0.5 * height / kMargin};  // allowed, in pixels
    const double tanHalf = std::tan(cam.fovyDegrees * 0.5 * kPi / 180.0);

    // Model of a zoom out by 1/g about the centre: an anchor `a` pixels off the
    // centre moves to a * g, its text pixels [lo, hi] stay. Exact for
    // orthographic views; a perspective one converges over a few rounds.
    struct Axis {
        std::vector<double> a, lo, hi;
        double span(double g) const {
            double top = -1e300, bottom = 1e300;
            for (std::size_t i = 0; i < a.size(); ++i) {
                top = std::max(top, a[i] * g + hi[i]);
                bottom = std::min(bottom, a[i] * g + lo[i]);
            }
            return top - bottom;
        }
        // The pan (pixels) nearest 0 that fits everything at zoom g.
        double shift(double g, double limit) const {
            double low = -1e300, high = 1e300;
            for (std::size_t i = 0; i < a.size(); ++i) {
                low = std::max(low, a[i] * g + hi[i] - limit);
                high = std::min(high, a[i] * g + lo[i] + limit);
            }
            return low > 0.0 ? low : high < 0.0 ? high : 0.0;
        }
    };
    for (int round = 0; round < 8; ++round) {
        Axis axes[2];
        for (const FrameText& t : items) {
            const auto p = projectToImage(cam, t.anchor, width, height);
            if (!p) continue;
            axes[0].a.push_back(p->x - 0.5 * width);
            axes[0].lo.push_back(t.left);
            axes[0].hi.push_back(t.right);
            axes[1].a.push_back(0.5 * height - p->y);
            axes[1].lo.push_back(t.bottom);
            axes[1].hi.push_back(t.top);
        }
        if (axes[0].a.empty()) return;
        for (int k = 0; k < 2; ++k)
            if (axes[k].span(0.0) > 2.0 * half[k]) {  // longer than the picture: anchors only
                std::fill(axes[k].lo.begin(), axes[k].lo.end(), 0.0);
                std::fill(axes[k].hi.begin(), axes[k].hi.end(), 0.0);
            }
        auto fits = [&](double g) {
            return axes[0].span(g) <= 2.0 * half[0] && axes[1].span(g) <= 2.0 * half[1];
        };
        double g = 1.0;
        if (!fits(1.0)) {
            double in = 0.0, out = 1.0;
            for (int i = 0; i < 60; ++i) {
                const double mid = 0.5 * (in + out);
                (fits(mid) ? in : out) = mid;
            }
            g = in;
        }
        if (!(g > 0.0)) return;
        const double sx = axes[0].shift(g, half[0]), sy = axes[1].shift(g, half[1]);
        if (g > 1.0 - 1e-6 && std::fabs(sx) < 0.5 && std::fabs(sy) < 0.5) return;

        // Apply: zoom out by 1/g, then pan by (sx, sy) pixels at the new zoom.
        const Vec3 back = sub(cam.eye, cam.center);
        const double distance = std::sqrt(dot(back, back));
        double pixelsPerUnit;
        if (cam.ortho) {
            cam.orthoHalfHeight /= g;
            pixelsPerUnit = 0.5 * height / cam.orthoHalfHeight;
        } else {
            cam.eye = add(cam.center, scale(back, 1.0 / g));
            cam.farClip += distance * (1.0 / g - 1.0);
            pixelsPerUnit = 0.5 * height / (distance / g * tanHalf);
        }
        const Axes ax = axesOf(cam);
        const Vec3 pan = add(scale(ax.right, sx / pixelsPerUnit), scale(ax.up, sy / pixelsPerUnit));
        cam.eye = add(cam.eye, pan);
        cam.center = add(cam.center, pan);
    }
}

std::array<double, 16> viewMatrix(const Camera& cam) {
    Axes ax = axesOf(cam);
    std::array<double, 16> m{};
    // Rows of the rotation are the camera axes; column-major storage.
    for (int i = 0; i < 3; ++i) {
        m[i * 4 + 0] = ax.right[i];
        m[i * 4 + 1] = ax.up[i];
        m[i * 4 + 2] = ax.back[i];
        m[i * 4 + 3] = 0.0;
    }
    m[12] = -dot(ax.right, cam.eye);
    m[13] = -dot(ax.up, cam.eye);
    m[14] = -dot(ax.back, cam.eye);
    m[15] = 1.0;
    return m;
}

std::array<double, 16> projectionMatrix(const Camera& cam) {
    std::array<double, 16> m{};
    const double n = cam.nearClip, f = cam.farClip;
    if (cam.ortho) {
        const double t = cam.orthoHalfHeight, r = t * cam.aspect;
        m[0] = 1.0 / r;
        m[5] = 1.0 / t;
        m[10] = -2.0 / (f - n);
        m[14] = -(f + n) / (f - n);
        m[15] = 1.0;
    } else {
        const double t = std::tan(cam.fovyDegrees * 0.5 * kPi / 180.0);
        m[0] = 1.0 / (t * cam.aspect);
        m[5] = 1.0 / t;
        m[10] = -(f + n) / (f - n);
        m[11] = -1.0;
        m[14] = -2.0 * f * n / (f - n);
    }
    return m;
}

std::optional<Projected> projectToImage(const Camera& cam, const Vec3& p, int width, int height) {
    const auto v = viewMatrix(cam);
    const auto pr = projectionMatrix(cam);
    double eye[4], clip[4];
    for (int r = 0; r < 4; ++r) eye[r] = v[r] * p[0] + v[4 + r] * p[1] + v[8 + r] * p[2] + v[12 + r];
    for (int r = 0; r < 4; ++r)
        clip[r] = pr[r] * eye[0] + pr[4 + r] * eye[1] + pr[8 + r] * eye[2] + pr[12 + r] * eye[3];
    if (!(clip[3] > 0.0)) return std::nullopt;
    const double nx = clip[0] / clip[3], ny = clip[1] / clip[3], nz = clip[2] / clip[3];
    return Projected{(nx + 1.0) * 0.5 * width, (1.0 - ny) * 0.5 * height, (nz + 1.0) * 0.5};
}

}  // namespace rdhost
