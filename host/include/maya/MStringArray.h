// Growable array of MString.
#pragma once

#include <maya/MStatus.h>
#include <maya/MString.h>

#include <vector>

class MStringArray {
public:
    MStringArray() {}
    MStringArray(const MStringArray& other) = default;
    MStringArray(unsigned int count, const MString& initial) : v_(count, initial) {}
    MStringArray(const MString strings[], unsigned int count) : v_(strings, strings + count) {}
    MStringArray& operator=(const MStringArray& other) = default;

    const MString& operator[](unsigned int index) const { return v_[index]; }
    MString& operator[](unsigned int index) { return v_[index]; }
    unsigned int length() const { return static_cast<unsigned int>(v_.size()); }
    MStatus setLength(unsigned int length) {
        v_.resize(length);
        return MS::kSuccess;
    }
    MStatus set(const MString& value, unsigned int index) {
        if (index >= v_.size()) v_.resize(index + 1);
        v_[index] = value;
        return MS::kSuccess;
    }
    MStatus append(const MString& value) {
        v_.push_back(value);
        return MS::kSuccess;
    }
    MStatus insert(const MString& value, unsigned int index) {
        if (index > v_.size()) return MS::kInvalidParameter;
        v_.insert(v_.begin() + index, value);
        return MS::kSuccess;
    }
    MStatus remove(unsigned int index) {
        if (index >= v_.size()) return MS::kInvalidParameter;
        v_.erase(v_.begin() + index);
        return MS::kSuccess;
    }
    MStatus clear() {
        v_.clear();
        return MS::kSuccess;
    }

private:
    std::vector<MString> v_;  // stand-in storage
};
