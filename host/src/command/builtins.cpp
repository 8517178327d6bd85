#include "command/builtins.h"

#include "command/interpreter.h"

#include <regex.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace rdhost::cmd {

namespace {

const MelValue& arg(BuiltinCall& c, std::size_t i) { return c.args[i].get(); }
std::string what(BuiltinCall& c, std::size_t i) {
    return "argument " + std::to_string(i + 1) + " of " + c.name;
}
std::string str(BuiltinCall& c, std::size_t i) { return asString(arg(c, i), what(c, i)); }
double num(BuiltinCall& c, std::size_t i) { return asFloat(arg(c, i), what(c, i)); }
Vec3 vec(BuiltinCall& c, std::size_t i) { return asVector(arg(c, i), what(c, i)); }
bool isInt(const MelValue& v) { return !v.isNone() && !v.isArray() && v.type().base == BaseType::Int; }
bool isVector(const MelValue& v) { return !v.isNone() && !v.isArray() && v.type().base == BaseType::Vector; }

[[noreturn]] void fail(BuiltinCall& c, const std::string& message) {
    throw HostError(c.name + ": " + message);
}

const MelValue& array(BuiltinCall& c, std::size_t i) {
    const MelValue& v = arg(c, i);
    if (!v.isArray())
        fail(c,
             "type mismatch: argument " + std::to_string(i + 1) + " must be an array, not " + typeNameOf(v));
    return v;
}

MelValue result(BuiltinCall& c, std::string s) {
    c.ev.checkString(s);
    return MelValue::ofString(std::move(s));
}

// MEL's regular expressions: . * + ? ^ $ [...] ( ) and \ to escape; braces
// are plain characters.
class Regex {
public:
    Regex(BuiltinCall& c, const std::string& pattern) {
        std::string p;
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            if (pattern[i] == '\\' && i + 1 < pattern.size()) {
                p += pattern[i];
                p += pattern[++i];
            } else if (pattern[i] == '{' || pattern[i] == '}') {
                p += '\\';
                p += pattern[i];
            } else {
                p += pattern[i];
            }
        }
        int rc = ::regcomp(&re_, p.c_str(), REG_EXTENDED);
        if (rc != 0) {
            char buf[256];
            ::regerror(rc, &re_, buf, sizeof buf);
            fail(c, "bad regular expression '" + clipInput(pattern) + "': " + buf);
        }
    }
    ~Regex() { ::regfree(&re_); }
    Regex(const Regex&) = delete;
    Regex& operator=(const Regex&) = delete;
    // The first match: [begin, end), or false.
    bool find(const std::string& s, std::size_t& begin, std::size_t& end) const {
        regmatch_t m{};
        if (::regexec(&re_, s.c_str(), 1, &m, 0) != 0) return false;
        begin = static_cast<std::size_t>(m.rm_so);
        end = static_cast<std::size_t>(m.rm_eo);
        return true;
    }

private:
    regex_t re_{};
};

// Glob patterns: * ? [abc] [a-z] [!a] and \ to escape. Linear in practice:
// a later * replaces the only backtracking point.
bool globMatch(const std::string& p, const std::string& s) {
    std::size_t pi = 0, si = 0, starP = std::string::npos, starS = 0;
    auto single = [&](std::size_t& k, char ch) -> bool {  // one pattern item at k matches ch; advances k
        if (p[k] == '?') {
            ++k;
            return true;
        }
        if (p[k] == '\\' && k + 1 < p.size()) {
            k += 2;
            return p[k - 1] == ch;
        }
        if (p[k] == '[') {
            std::size_t j = k + 1;
            bool negate = j < p.size() && (p[j] == '!' || p[j] == '^');
            if (negate) ++j;
            bool hit = false, first = true;
            for (; j < p.size() && (first || p[j] != ']'); first = false) {
                char lo = p[j], hi = lo;
                if (j + 2 < p.size() && p[j + 1] == '-' && p[j + 2] != ']') {
                    hi = p[j + 2];
                    j += 3;
                } else {
                    ++j;
                }
                hit = hit || (ch >= lo && ch <= hi);
            }
            if (j < p.size()) {  // a closed set
                k = j + 1;
                return hit != negate;
            }
        }
        return p[k++] == ch;
    };
    while (si < s.size()) {
        if (pi < p.size() && p[pi] == '*') {
            starP = ++pi;
            starS = si;
            continue;
        }
        std::size_t k = pi;
        if (pi < p.size() && single(k, s[si])) {
            pi = k;
            ++si;
            continue;
        }
        if (starP == std::string::npos) return false;
        pi = starP;
        si = ++starS;
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

// ---- strings -----------------------------------------------------------------

MelValue size(BuiltinCall& c) {
    const MelValue& v = arg(c, 0);
    if (v.isArray()) return MelValue::ofInt(static_cast<int>(v.size()));
    if (!v.isNone() && v.type().base == BaseType::String)
        return MelValue::ofInt(static_cast<int>(v.s().size()));
    fail(c, "type mismatch: needs an array or a string, not " + typeNameOf(v));
}

MelValue clear(BuiltinCall& c) {
    ArgRef& a = c.args[0];
    if (!a.slot || !a.slot->type.array) fail(c, "needs an array variable");
    a.slot->value = MelValue::zero(a.slot->type);
    return {};
}

MelValue sortArray(BuiltinCall& c) {
    MelValue v = array(c, 0);
    std::visit(
        [&c](auto& a) {
            using A = std::decay_t<decltype(a)>;
            if constexpr (std::is_same_v<A, std::vector<Vec3>>)
                fail(c, "cannot sort vectors");
            else if constexpr (!std::is_same_v<A, std::monostate> && !std::is_same_v<A, int> &&
                               !std::is_same_v<A, double> && !std::is_same_v<A, std::string> &&
                               !std::is_same_v<A, Vec3>)
                std::sort(a.begin(), a.end());
        },
        v.data());
    return v;
}

MelValue removeDuplicates(BuiltinCall& c) {
    const MelValue& v = array(c, 0);
    std::set<std::string> seen;
    std::vector<std::string> out;
    for (std::size_t i = 0; i < v.size(); ++i) {
        std::string s = asString(v.at(i), what(c, 0));
        if (seen.insert(s).second) out.push_back(std::move(s));
    }
    return MelValue::ofStrings(std::move(out));
}

MelValue tokenize(BuiltinCall& c) {
    const std::string s = str(c, 0);
    const std::string split = c.args.size() == 3 ? str(c, 1) : " ";
    ArgRef& out = c.args.back();
    if (!out.slot || out.slot->type != Type{BaseType::String, true})
        fail(c, "the last argument must be a string array variable to hold the pieces");
    std::vector<std::string> pieces;
    std::string piece;
    for (char ch : s) {
        if (split.find(ch) == std::string::npos) {
            piece += ch;
        } else if (!piece.empty()) {
            pieces.push_back(std::move(piece));
            piece.clear();
        }
    }
    if (!piece.empty()) pieces.push_back(std::move(piece));
    const int n = static_cast<int>(pieces.size());
    out.slot->value = MelValue::ofStrings(std::move(pieces));
    return MelValue::ofInt(n);
}

MelValue substitute(BuiltinCall& c) {
    Regex re(c, str(c, 0));
    std::string s = str(c, 1);
    std::size_t b = 0, e = 0;
    if (re.find(s, b, e)) s = s.substr(0, b) + str(c, 2) + s.substr(e);
    return result(c, std::move(s));
}

MelValue match(BuiltinCall& c) {
    Regex re(c, str(c, 0));
    const std::string s = str(c, 1);
    std::size_t b = 0, e = 0;
    return MelValue::ofString(re.find(s, b, e) ? s.substr(b, e - b) : "");
}

MelValue gmatch(BuiltinCall& c) { return MelValue::ofInt(globMatch(str(c, 1), str(c, 0))); }

MelValue startsWith(BuiltinCall& c) {
    const std::string s = str(c, 0), p = str(c, 1);
    return MelValue::ofInt(s.compare(0, p.size(), p) == 0 && s.size() >= p.size());
}

MelValue endsWith(BuiltinCall& c) {
    const std::string s = str(c, 0), p = str(c, 1);
    return MelValue::ofInt(s.size() >= p.size() && s.compare(s.size() - p.size(), p.size(), p) == 0);
}

MelValue toUpper(BuiltinCall& c) {
    std::string s = str(c, 0);
    for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return MelValue::ofString(std::move(s));
}

MelValue toLower(BuiltinCall& c) {
    std::string s = str(c, 0);
    for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return MelValue::ofString(std::move(s));
}

// Characters start to end, counted from 1, both included.
MelValue substring(BuiltinCall& c) {
    const std::string s = str(c, 0);
    const long long n = static_cast<long long>(s.size());
    long long start = std::max<long long>(1, asInt(arg(c, 1), what(c, 1)));
    long long end = std::min<long long>(n, asInt(arg(c, 2), what(c, 2)));
    if (start > end) return MelValue::ofString("");
    return MelValue::ofString(
        s.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(end - start + 1)));
}

MelValue strip(BuiltinCall& c) {
    const std::string s = str(c, 0);
    const char* blanks = " \t\n\r\f\v";
    std::size_t b = s.find_first_not_of(blanks);
    if (b == std::string::npos) return MelValue::ofString("");
    return MelValue::ofString(s.substr(b, s.find_last_not_of(blanks) - b + 1));
}

// ---- math ----------------------------------------------------------------------

MelValue absolute(BuiltinCall& c) {
    const MelValue& v = arg(c, 0);
    if (isInt(v)) return MelValue::ofInt(wrapInt(std::llabs(static_cast<long long>(v.i()))));
    if (isVector(v)) return MelValue::ofVector({std::fabs(v.v().x), std::fabs(v.v().y), std::fabs(v.v().z)});
    return MelValue::ofFloat(std::fabs(num(c, 0)));
}

MelValue minMax(BuiltinCall& c) {
    const bool low = c.name == "min";
    const MelValue &a = arg(c, 0), &b = arg(c, 1);
    if (isInt(a) && isInt(b)) return MelValue::ofInt(low ? std::min(a.i(), b.i()) : std::max(a.i(), b.i()));
    if (isVector(a) || isVector(b)) {
        Vec3 u = vec(c, 0), v = vec(c, 1);
        auto pick = [low](double x, double y) { return low ? std::min(x, y) : std::max(x, y); };
        return MelValue::ofVector({pick(u.x, v.x), pick(u.y, v.y), pick(u.z, v.z)});
    }
    return MelValue::ofFloat(low ? std::min(num(c, 0), num(c, 1)) : std::max(num(c, 0), num(c, 1)));
}

MelValue clampValue(BuiltinCall& c) {
    double lo = num(c, 0), hi = num(c, 1), v = num(c, 2);
    return MelValue::ofFloat(v < lo ? lo : v > hi ? hi : v);
}

MelValue math1(BuiltinCall& c) {
    static const std::map<std::string, double (*)(double)> fns = {
        {"floor", [](double x) { return std::floor(x); }},
        {"ceil", [](double x) { return std::ceil(x); }},
        {"sqrt", [](double x) { return std::sqrt(x); }},
        {"sin", [](double x) { return std::sin(x); }},
        {"cos", [](double x) { return std::cos(x); }},
        {"deg_to_rad", [](double x) { return x * M_PI / 180.0; }},
        {"rad_to_deg", [](double x) { return x * 180.0 / M_PI; }},
    };
    double x = num(c, 0);
    if (c.name == "sqrt" && x < 0)
        fail(c, "cannot take the square root of a negative number (" + formatFloat(x) + ")");
    return MelValue::ofFloat(fns.at(c.name)(x));
}

MelValue power(BuiltinCall& c) { return MelValue::ofFloat(std::pow(num(c, 0), num(c, 1))); }

MelValue magnitude(BuiltinCall& c) {
    Vec3 v = vec(c, 0);
    return MelValue::ofFloat(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z));
}

MelValue unitVector(BuiltinCall& c) {
    Vec3 v = vec(c, 0);
    double m = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (m == 0) return MelValue::ofVector({});
    return MelValue::ofVector({v.x / m, v.y / m, v.z / m});
}

MelValue crossProduct(BuiltinCall& c) {
    Vec3 a = vec(c, 0), b = vec(c, 1);
    return MelValue::ofVector({a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x});
}

MelValue dotProduct(BuiltinCall& c) {
    Vec3 a = vec(c, 0), b = vec(c, 1);
    return MelValue::ofFloat(a.x * b.x + a.y * b.y + a.z * b.z);
}

// ---- messages -------------------------------------------------------------------

MelValue error(BuiltinCall& c) { throw HostError(str(c, 0)); }

MelValue warning(BuiltinCall& c) {
    c.ev.interpreter().scene().warn(str(c, 0));
    return {};
}

}  // namespace

const std::vector<Builtin>& allBuiltins() {
    static const std::vector<Builtin> table = {
        {"abs", 1, 1, absolute, "abs(number|vector)"},
        {"ceil", 1, 1, math1, "float ceil(float)"},
        {"clamp", 3, 3, clampValue, "float clamp(float min, float max, float value)"},
        {"clear", 1, 1, clear, "clear($array): empties the array variable"},
        {"cos", 1, 1, math1, "float cos(float radians)"},
        {"cross", 2, 2, crossProduct, "vector cross(vector, vector)"},
        {"deg_to_rad", 1, 1, math1, "float deg_to_rad(float)"},
        {"dot", 2, 2, dotProduct, "float dot(vector, vector)"},
        {"endsWith", 2, 2, endsWith, "int endsWith(string, string suffix)"},
        {"error", 1, 1, error, "error(string): stops the script like a failed command"},
        {"floor", 1, 1, math1, "float floor(float)"},
        {"gmatch", 2, 2, gmatch, "int gmatch(string, string glob): * ? [...]"},
        {"mag", 1, 1, magnitude, "float mag(vector)"},
        {"match", 2, 2, match, "string match(string regex, string): the first match"},
        {"max", 2, 2, minMax, "max(a, b)"},
        {"min", 2, 2, minMax, "min(a, b)"},
        {"pow", 2, 2, power, "float pow(float, float)"},
        {"rad_to_deg", 1, 1, math1, "float rad_to_deg(float)"},
        {"sin", 1, 1, math1, "float sin(float radians)"},
        {"size", 1, 1, size, "int size(array|string)"},
        {"sort", 1, 1, sortArray, "sort(array): a sorted copy"},
        {"sqrt", 1, 1, math1, "float sqrt(float)"},
        {"startsWith", 2, 2, startsWith, "int startsWith(string, string prefix)"},
        {"stringArrayRemoveDuplicates", 1, 1, removeDuplicates,
         "string[] stringArrayRemoveDuplicates(string[]): first occurrences, in order"},
        {"strip", 1, 1, strip, "string strip(string): without leading and trailing blanks"},
        {"substitute", 3, 3, substitute,
         "string substitute(string regex, string, string with): the first match replaced"},
        {"substring", 3, 3, substring, "string substring(string, int start, int end): from 1, both included"},
        {"tokenize", 2, 3, tokenize, "int tokenize(string, [string splitChars,] string $pieces[])"},
        {"tolower", 1, 1, toLower, "string tolower(string)"},
        {"toupper", 1, 1, toUpper, "string toupper(string)"},
        {"unit", 1, 1, unitVector, "vector unit(vector)"},
        {"warning", 1, 1, warning, "warning(string): prints // Warning: TEXT //"},
    };
    return table;
}

const Builtin* findBuiltin(const std::string& name) {
    for (const Builtin& b : allBuiltins())
        if (name == b.name) return &b;
    return nullptr;
}

}  // namespace rdhost::cmd
