// Growable array of MVector.
#pragma once

#include <maya/MStatus.h>
#include <maya/MVector.h>

#include <vector>

class MVectorArray {
public:
    MVectorArray() {}
    MVectorArray(const MVectorArray& other) = default;
    MVectorArray(unsigned int count, const MVector& initial = MVector()) : v_(count, initial) {}
    MVectorArray(const MVector src[], unsigned int count) : v_(src, src + count) {}
    MVectorArray& operator=(const MVectorArray& other) = default;

    const MVector& operator[](unsigned int index) const { return v_[index]; }
    MVector& operator[](unsigned int index) { return v_[index]; }
    unsigned int length() const { return static_cast<unsigned int>(v_.size()); }
    MStatus setLength(unsigned int length) {
        v_.resize(length);
        return MS::kSuccess;
    }
    MStatus set(const MVector& value, unsigned int index) {
        if (index >= v_.size()) return MS::kFailure;
        v_[index] = value;
        return MS::kSuccess;
    }
    MStatus append(const MVector& value) {
        v_.push_back(value);
        return MS::kSuccess;
    }
    MStatus append(double x, double y, double z = 0.0) { return append(MVector(x, y, z)); }
    MStatus insert(const MVector& value, unsigned int index) {
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
    std::vector<MVector> v_;  // stand-in storage
};
