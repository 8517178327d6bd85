// Result of an API call: a code, plus (stand-in) an optional description that a
// host function attaches to say which thing failed.
#pragma once

#include <maya/MTypes.h>

#include <iostream>
#include <memory>
#include <string>

class MString;

class MStatus {
public:
    enum MStatusCode {
        kSuccess = 0,
        kFailure = 1,
        kInsufficientMemory = 2,
        kInvalidParameter = 3,
        kLicenseFailure = 4,
        kUnknownParameter = 5,
        kNotImplemented = 6,
        kNotFound = 7,
        kEndOfFile = 8
    };

    MStatus() : code_(kSuccess) {}
    MStatus(MStatusCode code) : code_(code) {}
    // Stand-in: a code with a description naming what failed; errorString()
    // and perror() report it.
    MStatus(MStatusCode code, const MString& description);
    MStatus(MStatusCode code, const char* description);

    // Codes are compared; descriptions are not.
    bool operator==(const MStatus& other) const { return code_ == other.code_; }
    bool operator==(MStatusCode code) const { return code_ == code; }
    bool operator!=(const MStatus& other) const { return code_ != other.code_; }
    bool operator!=(MStatusCode code) const { return code_ != code; }
    operator bool() const { return code_ == kSuccess; }

    bool error() const { return code_ != kSuccess; }
    void clear() {
        code_ = kSuccess;
        description_.reset();
    }
    MStatusCode statusCode() const { return code_; }
    MString errorString() const;
    void perror(const char* text) const;
    void perror(const MString& text) const;

    // Stand-in: attach a description to this status.
    void setErrorString(const MString& description);

private:
    MStatusCode code_;
    std::shared_ptr<const std::string> description_;  // stand-in: usually empty
};

// Code on the left, as the check macros write it; without these the
// comparison would go through operator bool.
inline bool operator==(MStatus::MStatusCode code, const MStatus& status) { return status == code; }
inline bool operator!=(MStatus::MStatusCode code, const MStatus& status) { return status != code; }

typedef MStatus MS;

#define MFAIL(_status) ((_status).error())

#define CHECK_MSTATUS(_status)                                                                           \
    {                                                                                                    \
        MStatus _maya_status = (_status);                                                                \
        if (MStatus::kSuccess != _maya_status) {                                                         \
            std::cerr << "\nAPI error detected in " << __FILE__ << " at line " << __LINE__ << std::endl; \
            _maya_status.perror("");                                                                     \
        }                                                                                                \
    }

#define CHECK_MSTATUS_AND_RETURN(_status, _retVal)                                                       \
    {                                                                                                    \
        MStatus _maya_status = (_status);                                                                \
        if (MStatus::kSuccess != _maya_status) {                                                         \
            std::cerr << "\nAPI error detected in " << __FILE__ << " at line " << __LINE__ << std::endl; \
            _maya_status.perror("");                                                                     \
            return (_retVal);                                                                            \
        }                                                                                                \
    }

#define CHECK_MSTATUS_AND_RETURN_IT(_status) CHECK_MSTATUS_AND_RETURN((_status), (_status))
