// MObject: an opaque handle to something the host owns (a node, an attribute,
// a plug-in, or a data object).
#pragma once

#include <memory>

namespace rdhost {
struct ObjectAccess;
}

class MObject {
public:
    MObject();
    MObject(const MObject& other);
    MObject& operator=(const MObject& other);
    ~MObject();

    bool isNull() const;
    bool operator==(const MObject& other) const;
    bool operator!=(const MObject& other) const;

    static MObject kNullObj;

private:
    friend struct rdhost::ObjectAccess;
    // Stand-in internals: what the handle refers to and a raw pointer to it.
    // Only data objects (MFnNumericData, MFnStringData results) own their
    // payload, through rdData_; everything else is owned by the scene.
    unsigned char rdKind_;
    void* rdPtr_;
    std::shared_ptr<void> rdData_;
};
