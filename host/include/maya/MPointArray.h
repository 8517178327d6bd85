// Growable array of MPoint.
#pragma once

#include <maya/MPoint.h>
#include <maya/MStatus.h>

#include <vector>

class MPointArray {
public:
    MPointArray() {}
    MPointArray(const MPointArray& other) = default;
    MPointArray(unsigned int count, const MPoint& initial = MPoint()) : v_(count, initial) {}
    MPointArray(const MPoint src[], unsigned int count) : v_(src, src + count) {}
    MPointArray& operator=(const MPointArray& other) = default;

    const MPoint& operator[](unsigned int index) const { return v_[index]; }
    MPoint& operator[](unsigned int index) { return v_[index]; }
    unsigned int length() const { return static_cast<unsigned int>(v_.size()); }
    MStatus setLength(unsigned int length) {
        v_.resize(length);
        return MS::kSuccess;
    }
    MStatus set(const MPoint& value, unsigned int index) {
        if (index >= v_.size()) return MS::kFailure;
        v_[index] = value;
        return MS::kSuccess;
    }
    MStatus append(const MPoint& value) {
        v_.push_back(value);
        return MS::kSuccess;
    }
    MStatus append(double x, double y, double z = 0.0, double w = 1.0) { return append(MPoint(x, y, z, w)); }
    MStatus insert(const MPoint& value, unsigned int index) {
        if (index > v_.size()) return MS::kFailure;
        v_.insert(v_.begin() + index, value);
        return MS::kSuccess;
    }
    MStatus remove(unsigned int index) {
        if (index >= v_.size()) return MS::kFailure;
        v_.erase(v_.begin() + index);
        return MS::kSuccess;
    }
    MStatus clear() {
        v_.clear();
        return MS::kSuccess;
    }

private:
    std::vector<MPoint> v_;  // stand-in storage
};
