// Numeric identifier of a node type (saved in binary scene files).
#pragma once

#include <maya/MTypes.h>

class MTypeId {
public:
    MTypeId() : id_(0) {}
    MTypeId(unsigned int id) : id_(id) {}
    MTypeId(unsigned int prefix, unsigned int id) : id_((prefix << 8) | (id & 0xff)) {}
    MTypeId(const MTypeId& other) = default;
    MTypeId& operator=(const MTypeId& other) = default;

    unsigned int id() const { return id_; }
    bool operator==(const MTypeId& other) const { return id_ == other.id_; }
    bool operator!=(const MTypeId& other) const { return id_ != other.id_; }

private:
    unsigned int id_;
};
