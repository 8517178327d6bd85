// Growable array of MColor.
#pragma once

#include <maya/MColor.h>
#include <maya/MStatus.h>

#include <vector>

class MColorArray {
public:
    MColorArray() {}
    MColorArray(const MColorArray& other) = default;
    MColorArray(unsigned int count, const MColor& initial = MColor()) : v_(count, initial) {}
    MColorArray(const MColor src[], unsigned int count) : v_(src, src + count) {}
    MColorArray& operator=(const MColorArray& other) = default;

    const MColor& operator[](unsigned int index) const { return v_[index]; }
    MColor& operator[](unsigned int index) { return v_[index]; }
    unsigned int length() const { return static_cast<unsigned int>(v_.size()); }
    MStatus setLength(unsigned int length) {
        v_.resize(length);
        return MS::kSuccess;
    }
    MStatus set(const MColor& value, unsigned int index) {
        if (index >= v_.size()) return MS::kFailure;
        v_[index] = value;
        return MS::kSuccess;
    }
    MStatus append(const MColor& value) {
        v_.push_back(value);
        return MS::kSuccess;
    }
    MStatus append(float r, float g, float b, float a = 1.0f) { return append(MColor(r, g, b, a)); }
    MStatus insert(const MColor& value, unsigned int index) {
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
    std::vector<MColor> v_;  // stand-in storage
};
