// MEL's operators. Strings dominate vectors, vectors floats, floats ints:
//   "a" + 1 is "a1"; 1 + <<1, 2, 3>> is <<2, 3, 4>>; 7 / 2 is 3; 7 / 2.0 is 3.5.
// A vector times a vector is their dot product, ^ their cross product.
#include "command/mel_value.h"

#include <climits>
#include <cmath>

namespace rdhost::cmd {

namespace {

enum class Rank { Int, Float, Vector, String };

Rank rankOf(const MelValue& v, const std::string& op) {
    if (v.isNone()) throw HostError("'" + op + "' has no value to work on (a command that returns nothing)");
    if (v.isArray())
        throw HostError("type mismatch: '" + op + "' cannot take an array (" + typeNameOf(v) + ")");
    switch (v.type().base) {
    case BaseType::Int:
        return Rank::Int;
    case BaseType::Float:
        return Rank::Float;
    case BaseType::Vector:
        return Rank::Vector;
    case BaseType::String:
        return Rank::String;
    }
    return Rank::Int;
}

[[noreturn]] void cannot(const std::string& op, const std::string& what) {
    throw HostError("type mismatch: '" + op + "' cannot take " + what);
}

[[noreturn]] void divisionByZero() { throw HostError("division by zero"); }

MelValue ints(const std::string& op, long long a, long long b) {
    switch (op[0]) {
    case '+':
        return MelValue::ofInt(wrapInt(a + b));
    case '-':
        return MelValue::ofInt(wrapInt(a - b));
    case '*':
        return MelValue::ofInt(wrapInt(a * b));
    case '/':
        if (b == 0) divisionByZero();
        return MelValue::ofInt(wrapInt(a / b));
    case '%':
        if (b == 0) divisionByZero();
        return MelValue::ofInt(wrapInt(a % b));
    }
    cannot(op, "two ints");
}

MelValue floats(const std::string& op, double a, double b) {
    switch (op[0]) {
    case '+':
        return MelValue::ofFloat(a + b);
    case '-':
        return MelValue::ofFloat(a - b);
    case '*':
        return MelValue::ofFloat(a * b);
    case '/':
        if (b == 0) divisionByZero();
        return MelValue::ofFloat(a / b);
    case '%':
        if (b == 0) divisionByZero();
        return MelValue::ofFloat(std::fmod(a, b));
    }
    cannot(op, "two numbers");
}

MelValue vectors(const std::string& op, const MelValue& a, const MelValue& b, Rank ra, Rank rb) {
    const Vec3 u = asVector(a, ""), v = asVector(b, "");
    const bool both = ra == Rank::Vector && rb == Rank::Vector;
    switch (op[0]) {
    case '+':
        return MelValue::ofVector({u.x + v.x, u.y + v.y, u.z + v.z});
    case '-':
        return MelValue::ofVector({u.x - v.x, u.y - v.y, u.z - v.z});
    case '*':
        if (both) return MelValue::ofFloat(u.x * v.x + u.y * v.y + u.z * v.z);
        return MelValue::ofVector({u.x * v.x, u.y * v.y, u.z * v.z});
    case '/':
        if (v.x == 0 || v.y == 0 || v.z == 0) divisionByZero();
        return MelValue::ofVector({u.x / v.x, u.y / v.y, u.z / v.z});
    case '^':
        if (!both)
            cannot(op, typeNameOf(a) + " and " + typeNameOf(b) + " (^ is the cross product of two vectors)");
        return MelValue::ofVector({u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x});
    }
    cannot(op, "a vector");
}

int compareNumbers(const MelValue& a, const MelValue& b, Rank ra, Rank rb) {
    if (ra == Rank::Int && rb == Rank::Int) return (a.i() > b.i()) - (a.i() < b.i());
    double x = asFloat(a, ""), y = asFloat(b, "");
    return (x > y) - (x < y);
}

}  // namespace

MelValue binaryOp(const std::string& op, const MelValue& a, const MelValue& b, std::size_t maxString) {
    const Rank ra = rankOf(a, op), rb = rankOf(b, op);
    const Rank top = std::max(ra, rb);
    if (op == "==" || op == "!=") {
        bool equal;
        if (top == Rank::String) {
            equal = asString(a, "") == asString(b, "");
        } else if (top == Rank::Vector) {
            Vec3 u = asVector(a, ""), v = asVector(b, "");
            equal = u.x == v.x && u.y == v.y && u.z == v.z;
        } else {
            equal = compareNumbers(a, b, ra, rb) == 0;
        }
        return MelValue::ofInt(equal == (op == "=="));
    }
    if (op == "<" || op == "<=" || op == ">" || op == ">=") {
        int c;
        if (top == Rank::String)
            c = asString(a, "").compare(asString(b, ""));
        else if (top == Rank::Vector)
            cannot(op, "a vector (compare their lengths with mag())");
        else
            c = compareNumbers(a, b, ra, rb);
        bool r = op == "<" ? c < 0 : op == "<=" ? c <= 0 : op == ">" ? c > 0 : c >= 0;
        return MelValue::ofInt(r);
    }
    if (top == Rank::String) {
        if (op != "+") cannot(op, "a string");
        std::string s = asString(a, "");
        std::string t = asString(b, "");
        if (s.size() + t.size() > maxString)
            throw HostError("a string of " + std::to_string(s.size() + t.size()) +
                            " characters is longer than the limit of " + std::to_string(maxString));
        return MelValue::ofString(s + t);
    }
    if (top == Rank::Vector || op == "^") {
        if (op == "%") cannot(op, "a vector");
        return vectors(op, a, b, ra, rb);
    }
    if (top == Rank::Float) return floats(op, asFloat(a, ""), asFloat(b, ""));
    return ints(op, a.i(), b.i());
}

MelValue unaryOp(const std::string& op, const MelValue& a) {
    const Rank r = rankOf(a, op);
    if (op == "!") {
        if (r == Rank::String || r == Rank::Vector) cannot(op, "a " + typeNameOf(a));
        return MelValue::ofInt(r == Rank::Int ? a.i() == 0 : a.f() == 0);
    }
    if (r == Rank::String) cannot(op, "a string");
    if (op == "+") return a;
    switch (r) {
    case Rank::Int:
        return MelValue::ofInt(wrapInt(-static_cast<long long>(a.i())));
    case Rank::Float:
        return MelValue::ofFloat(-a.f());
    default:
        return MelValue::ofVector({-a.v().x, -a.v().y, -a.v().z});
    }
}

}  // namespace rdhost::cmd
