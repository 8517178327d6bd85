// Growable array of unsigned int.
#pragma once

#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <vector>

class MUintArray {
public:
    MUintArray() {}
    MUintArray(const MUintArray& other) = default;
    MUintArray(unsigned int count, unsigned int initial = 0) : v_(count, initial) {}
    MUintArray(const unsigned int src[], unsigned int count) : v_(src, src + count) {}
    MUintArray& operator=(const MUintArray& other) = default;

    const unsigned int& operator[](unsigned int index) const { return v_[index]; }
    unsigned int& operator[](unsigned int index) { return v_[index]; }
    unsigned int length() const { return static_cast<unsigned int>(v_.size()); }
    MStatus setLength(unsigned int length) {
        v_.resize(length);
        return MS::kSuccess;
    }
    MStatus set(const unsigned int& value, unsigned int index) {
        if (index >= v_.size()) return MS::kFailure;
        v_[index] = value;
        return MS::kSuccess;
    }
    MStatus append(const unsigned int& value) {
        v_.push_back(value);
        return MS::kSuccess;
    }
    MStatus insert(const unsigned int& value, unsigned int index) {
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
    std::vector<unsigned int> v_;  // stand-in storage
};
