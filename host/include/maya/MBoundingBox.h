// An axis-aligned box, held as min and max corners. A default box is empty;
// expanding an empty box makes it the point.
#pragma once

#include <maya/MPoint.h>

class MMatrix;

class MBoundingBox {
public:
    MBoundingBox() : min_(0.0, 0.0, 0.0), max_(0.0, 0.0, 0.0), empty_(true) {}
    MBoundingBox(const MBoundingBox& other) = default;
    // The corners may be given in any order; each axis is sorted.
    MBoundingBox(const MPoint& corner1, const MPoint& corner2) : empty_(false) {
        const MPoint a = cart(corner1), b = cart(corner2);
        min_ = MPoint(a.x < b.x ? a.x : b.x, a.y < b.y ? a.y : b.y, a.z < b.z ? a.z : b.z);
        max_ = MPoint(a.x < b.x ? b.x : a.x, a.y < b.y ? b.y : a.y, a.z < b.z ? b.z : a.z);
    }
    MBoundingBox& operator=(const MBoundingBox& other) = default;

    void clear() {
        min_ = max_ = MPoint(0.0, 0.0, 0.0);
        empty_ = true;
    }
    void expand(const MPoint& point) {
        const MPoint p = cart(point);
        if (empty_) {
            min_ = max_ = p;
            empty_ = false;
            return;
        }
        if (p.x < min_.x) min_.x = p.x;
        if (p.y < min_.y) min_.y = p.y;
        if (p.z < min_.z) min_.z = p.z;
        if (p.x > max_.x) max_.x = p.x;
        if (p.y > max_.y) max_.y = p.y;
        if (p.z > max_.z) max_.z = p.z;
    }
    void expand(const MBoundingBox& box) {
        if (box.empty_) return;
        expand(box.min_);
        expand(box.max_);
    }
    // Bounds of this box's eight corners transformed by `m`.
    void transformUsing(const MMatrix& m);

    bool contains(const MPoint& point) const {
        const MPoint p = cart(point);
        return !empty_ && p.x >= min_.x && p.x <= max_.x && p.y >= min_.y && p.y <= max_.y && p.z >= min_.z &&
               p.z <= max_.z;
    }
    bool intersects(const MBoundingBox& box, double tol = 0.0) const {
        if (empty_ || box.empty_) return false;
        return min_.x <= box.max_.x + tol && box.min_.x <= max_.x + tol && min_.y <= box.max_.y + tol &&
               box.min_.y <= max_.y + tol && min_.z <= box.max_.z + tol && box.min_.z <= max_.z + tol;
    }

    double width() const { return max_.x - min_.x; }
    double height() const { return max_.y - min_.y; }
    double depth() const { return max_.z - min_.z; }
    MPoint center() const {
        return MPoint((min_.x + max_.x) * 0.5, (min_.y + max_.y) * 0.5, (min_.z + max_.z) * 0.5);
    }
    MPoint min() const { return min_; }
    MPoint max() const { return max_; }

private:
    static MPoint cart(const MPoint& p) {
        MPoint c(p);
        c.cartesianize();
        return c;
    }

    // Stand-in storage.
    MPoint min_, max_;
    bool empty_;
};
