// MStatus: descriptions and printing.
#include <maya/MStatus.h>
#include <maya/MString.h>

#include <cstdio>

namespace {

const char* codeName(MStatus::MStatusCode code) {
    switch (code) {
    case MStatus::kSuccess:
        return "kSuccess";
    case MStatus::kFailure:
        return "kFailure";
    case MStatus::kInsufficientMemory:
        return "kInsufficientMemory";
    case MStatus::kInvalidParameter:
        return "kInvalidParameter";
    case MStatus::kLicenseFailure:
        return "kLicenseFailure";
    case MStatus::kUnknownParameter:
        return "kUnknownParameter";
    case MStatus::kNotImplemented:
        return "kNotImplemented";
    case MStatus::kNotFound:
        return "kNotFound";
    case MStatus::kEndOfFile:
        return "kEndOfFile";
    }
    return "kUnknownStatus";
}

const char* codeText(MStatus::MStatusCode code) {
    switch (code) {
    case MStatus::kSuccess:
        return "Success";
    case MStatus::kFailure:
        return "Unexpected Internal Failure";
    case MStatus::kInsufficientMemory:
        return "Insufficient Memory";
    case MStatus::kInvalidParameter:
        return "Invalid Parameter";
    case MStatus::kLicenseFailure:
        return "License Failure";
    case MStatus::kUnknownParameter:
        return "Unknown Parameter";
    case MStatus::kNotImplemented:
        return "Not Implemented";
    case MStatus::kNotFound:
        return "Not Found";
    case MStatus::kEndOfFile:
        return "End of File";
    }
    return "Unknown Status";
}

}  // namespace

MStatus::MStatus(MStatusCode code, const MString& description) : code_(code) { setErrorString(description); }

MStatus::MStatus(MStatusCode code, const char* description) : code_(code) {
    if (description && *description) description_ = std::make_shared<const std::string>(description);
}

void MStatus::setErrorString(const MString& description) {
    if (description.length() == 0)
        description_.reset();
    else
        description_ = std::make_shared<const std::string>(description.asChar());
}

MString MStatus::errorString() const {
    MString s("(");
    s += codeName(code_);
    s += "): ";
    s += description_ ? description_->c_str() : codeText(code_);
    return s;
}

void MStatus::perror(const char* text) const {
    const MString err = errorString();
    if (text && *text)
        std::fprintf(stderr, "%s: %s\n", text, err.asChar());
    else
        std::fprintf(stderr, "%s\n", err.asChar());
}

void MStatus::perror(const MString& text) const { perror(text.asChar()); }
