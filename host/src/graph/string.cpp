// MString: number formatting, parsing and searching.
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ostream>

namespace {

std::string format(const char* fmt, double value, int precision = -1) {
    char buf[64];
    int n = precision >= 0 ? std::snprintf(buf, sizeof buf, fmt, precision, value)
                           : std::snprintf(buf, sizeof buf, fmt, value);
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < sizeof buf) return std::string(buf, n);
    std::string big(static_cast<size_t>(n) + 1, '\0');
    if (precision >= 0)
        std::snprintf(&big[0], big.size(), fmt, precision, value);
    else
        std::snprintf(&big[0], big.size(), fmt, value);
    big.resize(n);
    return big;
}

// Whole text, allowing surrounding blanks, parses with strtod/strtol.
bool parsesAsDouble(const std::string& s, double* out) {
    const char* b = s.c_str();
    char* e = nullptr;
    errno = 0;
    const double v = std::strtod(b, &e);
    if (e == b) return false;
    while (*e && std::isspace(static_cast<unsigned char>(*e))) ++e;
    if (*e) return false;
    if (out) *out = v;
    return true;
}

bool parsesAsLong(const std::string& s, long* out) {
    const char* b = s.c_str();
    char* e = nullptr;
    errno = 0;
    const long v = std::strtol(b, &e, 10);
    if (e == b || errno == ERANGE) return false;
    while (*e && std::isspace(static_cast<unsigned char>(*e))) ++e;
    if (*e) return false;
    if (out) *out = v;
    return true;
}

}  // namespace

MString& MString::operator+=(double value) {
    s_ += format("%g", value);
    return *this;
}
MString& MString::operator+=(int value) {
    s_ += std::to_string(value);
    return *this;
}
MString& MString::operator+=(unsigned int value) {
    s_ += std::to_string(value);
    return *this;
}

MString& MString::set(double value) {
    s_ = format("%g", value);
    return *this;
}

MString& MString::set(double value, int precision) {
    // Beyond ~350 digits printf only pads zeros; keep the text bounded.
    if (precision < 0) precision = 0;
    if (precision > 350) precision = 350;
    s_ = format("%.*f", value, precision);
    return *this;
}

MString MString::substring(int start, int end) const {
    const int n = static_cast<int>(s_.size());
    if (start < 0) start = 0;
    if (end > n - 1) end = n - 1;
    if (n == 0 || start > end) return MString();
    return MString(s_.c_str() + start, end - start + 1);
}

int MString::index(char c) const {
    const size_t p = s_.find(c);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int MString::rindex(char c) const {
    const size_t p = s_.rfind(c);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int MString::indexW(const MString& text) const {
    const size_t p = s_.find(text.s_);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int MString::rindexW(const MString& text) const {
    const size_t p = s_.rfind(text.s_);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

MString MString::toLowerCase() const {
    MString r(*this);
    for (char& c : r.s_) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

MString MString::toUpperCase() const {
    MString r(*this);
    for (char& c : r.s_) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

// Empty pieces between repeated separators are dropped, as the host does.
MStatus MString::split(char separator, MStringArray& output) const {
    output.clear();
    std::string piece;
    for (char c : s_) {
        if (c == separator) {
            if (!piece.empty()) output.append(MString(piece.c_str()));
            piece.clear();
        } else {
            piece += c;
        }
    }
    if (!piece.empty()) output.append(MString(piece.c_str()));
    return MS::kSuccess;
}

bool MString::isDouble() const { return parsesAsDouble(s_, nullptr); }

bool MString::isInt() const {
    long v = 0;
    return parsesAsLong(s_, &v) && v >= INT_MIN && v <= INT_MAX;
}

bool MString::isUnsigned() const {
    long v = 0;
    return parsesAsLong(s_, &v) && v >= 0 && static_cast<unsigned long>(v) <= UINT_MAX;
}

// Text that is not a number reads as 0, as the host's conversions do.
double MString::asDouble() const {
    const double v = std::strtod(s_.c_str(), nullptr);
    return v;
}

int MString::asInt() const {
    const long v = std::strtol(s_.c_str(), nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

unsigned int MString::asUnsigned() const {
    const long v = std::strtol(s_.c_str(), nullptr, 10);
    if (v < 0) return 0;
    if (static_cast<unsigned long>(v) > UINT_MAX) return UINT_MAX;
    return static_cast<unsigned int>(v);
}

MString operator+(const char* text, const MString& str) {
    MString r(text);
    r += str;
    return r;
}

std::ostream& operator<<(std::ostream& os, const MString& str) { return os << str.asChar(); }
