// Text value used throughout the API.
#pragma once

#include <maya/MTypes.h>

#include <iosfwd>
#include <string>

class MStringArray;

class MString {
public:
    MString() {}
    MString(const char* text) : s_(text ? text : "") {}
    MString(const char* text, int length)
        : s_(text ? std::string(text, length > 0 ? length : 0) : std::string()) {}
    MString(const MString& other) = default;
    MString(MString&& other) noexcept = default;
    ~MString() = default;

    MString& operator=(const MString& other) = default;
    MString& operator=(MString&& other) noexcept = default;
    MString& operator=(const char* text) {
        s_ = text ? text : "";
        return *this;
    }

    MString& operator+=(const MString& other) {
        s_ += other.s_;
        return *this;
    }
    MString& operator+=(const char* text) {
        if (text) s_ += text;
        return *this;
    }
    MString& operator+=(char c) {
        s_ += c;
        return *this;
    }
    MString& operator+=(double value);
    MString& operator+=(float value) { return *this += static_cast<double>(value); }
    MString& operator+=(int value);
    MString& operator+=(unsigned int value);

    MString operator+(const MString& other) const {
        MString r(*this);
        r += other;
        return r;
    }
    MString operator+(const char* text) const {
        MString r(*this);
        r += text;
        return r;
    }
    MString operator+(double value) const {
        MString r(*this);
        r += value;
        return r;
    }
    MString operator+(float value) const {
        MString r(*this);
        r += value;
        return r;
    }
    MString operator+(int value) const {
        MString r(*this);
        r += value;
        return r;
    }
    MString operator+(unsigned int value) const {
        MString r(*this);
        r += value;
        return r;
    }

    bool operator==(const MString& other) const { return s_ == other.s_; }
    bool operator==(const char* text) const { return s_ == (text ? text : ""); }
    bool operator!=(const MString& other) const { return s_ != other.s_; }
    bool operator!=(const char* text) const { return s_ != (text ? text : ""); }
    bool operator<(const MString& other) const { return s_ < other.s_; }
    char operator[](unsigned int index) const { return index < s_.size() ? s_[index] : '\0'; }

    MString& set(const char* text) {
        s_ = text ? text : "";
        return *this;
    }
    MString& set(const char* text, int length) {
        *this = MString(text, length);
        return *this;
    }
    // Formats like printf "%g".
    MString& set(double value);
    // Formats like printf "%.{precision}f".
    MString& set(double value, int precision);

    const char* asChar() const { return s_.c_str(); }
    const char* asUTF8() const { return s_.c_str(); }
    unsigned int length() const { return static_cast<unsigned int>(s_.size()); }
    unsigned int numChars() const { return length(); }
    void clear() { s_.clear(); }

    // Characters start..end, both included; out-of-range bounds are clamped and
    // an empty range gives an empty string.
    MString substring(int start, int end) const;
    MString substringW(int start, int end) const { return substring(start, end); }
    int index(char c) const;
    int rindex(char c) const;
    int indexW(const MString& text) const;
    int indexW(char c) const { return index(c); }
    int rindexW(const MString& text) const;
    int rindexW(char c) const { return rindex(c); }
    MString toLowerCase() const;
    MString toUpperCase() const;
    MStatus split(char separator, MStringArray& output) const;

    bool isDouble() const;
    bool isInt() const;
    bool isShort() const { return isInt(); }
    bool isFloat() const { return isDouble(); }
    bool isUnsigned() const;
    double asDouble() const;
    float asFloat() const { return static_cast<float>(asDouble()); }
    int asInt() const;
    short asShort() const { return static_cast<short>(asInt()); }
    unsigned int asUnsigned() const;

private:
    std::string s_;  // stand-in storage
};

MString operator+(const char* text, const MString& str);
std::ostream& operator<<(std::ostream& os, const MString& str);
