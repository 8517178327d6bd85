#include "command/ma_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace rdhost::ma {

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

template <typename T>
std::string shortest(T value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    std::string out(buf, res.ptr);
    if (out == "-0") out = "0";  // a stored -0 reads and compares as 0 everywhere
    return out;
}

}  // namespace

std::string formatDouble(double value) { return shortest(value); }
std::string formatFloat(float value) { return shortest(value); }

std::optional<double> parseNumber(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    if (i >= text.size()) return std::nullopt;
    const bool negative = text[0] == '-';
    if (text.size() - i > 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        unsigned long long v = 0;
        auto digits = text.substr(i + 2);
        auto res = std::from_chars(digits.data(), digits.data() + digits.size(), v, 16);
        if (res.ec != std::errc() || res.ptr != digits.data() + digits.size()) return std::nullopt;
        return negative ? -static_cast<double>(v) : static_cast<double>(v);
    }
    // Decimal only: strtod would also take "inf", "nan" and hex floats, which MEL does not.
    bool digit = false, dot = false, exp = false;
    for (std::size_t k = i; k < text.size(); ++k) {
        char c = text[k];
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !dot && !exp) {
            dot = true;
        } else if ((c == 'e' || c == 'E') && digit && !exp) {
            exp = true;
            if (k + 1 < text.size() && (text[k + 1] == '-' || text[k + 1] == '+')) ++k;
            if (k + 1 >= text.size()) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (!digit) return std::nullopt;
    std::string copy(text);
    return std::strtod(copy.c_str(), nullptr);
}

double degreesToRadians(double degrees) {
    // The same arithmetic as the commands' unit conversion (cmd::fromUi), so a
    // value typed in a command and the same text read from a file agree.
    constexpr double pi = 3.14159265358979323846;
    return degrees * pi / 180.0;
}

std::optional<double> parseAngle(std::string_view degreesText) {
    auto value = parseNumber(degreesText);
    if (!value) return std::nullopt;
    // Up to double precision the text means the double it parses to, converted
    // exactly as a command converts it; longer texts (written for radian values
    // no double degree value reaches) are read in extended precision.
    int significant = 0;
    bool leading = true;
    for (char c : degreesText) {
        if (c == 'e' || c == 'E' || c == 'x' || c == 'X') break;
        if (c < '0' || c > '9') continue;
        if (c == '0' && leading) continue;
        leading = false;
        ++significant;
    }
    if (significant <= 17) {
        const double radians = degreesToRadians(*value);
        if (std::isfinite(radians)) return radians;
    }
    // Radians near the double range have more degrees than a double holds
    // (or than degreesToRadians can multiply by pi): extended precision and
    // range reach them.
    std::string copy(degreesText);
    return static_cast<double>(std::strtold(copy.c_str(), nullptr) * (kPi / 180.0L));
}

std::string formatAngle(double radians) {
    if (!std::isfinite(radians)) return shortest(radians);
    const long double deg = static_cast<long double>(radians) * (180.0L / kPi);
    char buf[64];
    // Up to double precision, prefer the tidy shortest form of the rounded value.
    for (int p = 1; p <= 17; ++p) {
        std::snprintf(buf, sizeof buf, "%.*Lg", p, deg);
        std::string text = shortest(std::strtod(buf, nullptr));
        auto back = parseAngle(text);
        if (back && *back == radians) return text;
    }
    // Some radian values lie between the images of neighbouring double degree
    // values; extended-precision digits reach them.
    for (int p = 18; p <= 24; ++p) {
        std::snprintf(buf, sizeof buf, "%.*Lg", p, deg);
        auto back = parseAngle(buf);
        if (back && *back == radians) return buf;
    }
    return shortest(static_cast<double>(deg));
}

std::string quote(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string word(std::string_view name) {
    bool plain = !name.empty() && name[0] != '-' && !(name[0] >= '0' && name[0] <= '9');
    for (char c : name)
        plain = plain && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '_' || c == ':' || c == '|');
    return plain ? std::string(name) : quote(name);
}

std::string commentText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    auto escapeBytes = [&out](std::string_view bytes) {
        static const char digits[] = "0123456789abcdef";
        for (unsigned char b : bytes) {
            out += "\\x";
            out += digits[b >> 4];
            out += digits[b & 15];
        }
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (c < 0x20 || c == 0x7f)
                    escapeBytes(text.substr(i, 1));
                else
                    out += static_cast<char>(c);
            }
            ++i;
            continue;
        }
        // One UTF-8 sequence: its length, its code point, and whether it is well formed
        // (shortest form, no surrogates, at most U+10FFFF).
        const std::size_t len = c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : c >= 0xc0 ? 2 : 0;
        char32_t cp = len == 4 ? c & 0x07 : len == 3 ? c & 0x0f : c & 0x1f;
        bool good = len >= 2 && c < 0xf5 && i + len <= text.size();
        for (std::size_t k = 1; good && k < len; ++k) {
            const auto t = static_cast<unsigned char>(text[i + k]);
            good = (t & 0xc0) == 0x80;
            cp = (cp << 6) | (t & 0x3f);
        }
        static const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        good = good && cp >= smallest[len] && cp <= 0x10ffff && !(cp >= 0xd800 && cp <= 0xdfff);
        if (!good) {
            escapeBytes(text.substr(i, 1));
            ++i;
            continue;
        }
        const bool lineLike = cp <= 0x9f || cp == 0x2028 || cp == 0x2029;
        if (lineLike)
            escapeBytes(text.substr(i, len));
        else
            out.append(text.substr(i, len));
        i += len;
    }
    return out;
}

std::string unescape(std::string_view body) {
    std::string out;
    out.reserve(body.size());
    for (std::size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        if (c != '\\' || i + 1 >= body.size()) {
            out += c;
            continue;
        }
        char n = body[++i];
        switch (n) {
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            out += n;
        }
    }
    return out;
}

}  // namespace rdhost::ma
