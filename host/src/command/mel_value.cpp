#include "command/mel_value.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace rdhost::cmd {

namespace {

template <typename... F>
struct Overload : F... {
    using F::operator()...;
};
template <typename... F>
Overload(F...) -> Overload<F...>;

double length(const Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// The leading number of a text, as MEL reads a string where it wants a
// number: blanks, a sign, digits, a fraction, an exponent; 0 when none.
double leadingNumber(const std::string& s, std::size_t& i) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    std::size_t b = i, k = i;
    if (k < s.size() && (s[k] == '-' || s[k] == '+')) ++k;
    std::size_t digits = 0;
    while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) ++k, ++digits;
    if (k < s.size() && s[k] == '.') {
        ++k;
        while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) ++k, ++digits;
    }
    if (digits == 0) return 0.0;
    if (k < s.size() && (s[k] == 'e' || s[k] == 'E')) {
        std::size_t e = k + 1;
        if (e < s.size() && (s[e] == '-' || s[e] == '+')) ++e;
        if (e < s.size() && std::isdigit(static_cast<unsigned char>(s[e]))) {
            k = e;
            while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) ++k;
        }
    }
    i = k;
    return std::strtod(s.substr(b, k - b).c_str(), nullptr);
}

double leadingNumber(const std::string& s) {
    std::size_t i = 0;
    return leadingNumber(s, i);
}

// "1 2 3", "<<1, 2, 3>>": up to three numbers, the rest 0.
Vec3 parseVector(const std::string& s) {
    double c[3] = {0, 0, 0};
    std::size_t i = 0;
    for (double& v : c) {
        while (i < s.size() && (s[i] == '<' || s[i] == ',' || std::isspace(static_cast<unsigned char>(s[i]))))
            ++i;
        std::size_t before = i;
        v = leadingNumber(s, i);
        if (i == before) break;
    }
    return {c[0], c[1], c[2]};
}

std::string shortestDouble(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    std::string s(buf, r.ptr);
    return s == "-0" ? "0" : s;
}

[[noreturn]] void mismatch(const MelValue& v, const std::string& to, const std::string& what) {
    throw HostError("type mismatch: cannot use " + typeNameOf(v) + " as " + to +
                    (what.empty() ? "" : " (" + what + ")"));
}

}  // namespace

int wrapInt(long long v) {
    return static_cast<int>(static_cast<unsigned int>(static_cast<unsigned long long>(v)));
}

int truncToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return INT_MAX;
    if (v <= -2147483648.0) return INT_MIN;
    return static_cast<int>(v);
}

std::string formatFloat(double v) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    std::string s = buf;
    return s == "-0" ? "0" : s;
}

MelValue MelValue::zero(Type t) {
    if (t.array) {
        switch (t.base) {
        case BaseType::Int:
            return make<5>();
        case BaseType::Float:
            return make<6>();
        case BaseType::String:
            return make<7>();
        case BaseType::Vector:
            return make<8>();
        }
    }
    switch (t.base) {
    case BaseType::Int:
        return ofInt(0);
    case BaseType::Float:
        return ofFloat(0);
    case BaseType::String:
        return ofString("");
    case BaseType::Vector:
        return ofVector({});
    }
    return {};
}

Type MelValue::type() const {
    static const BaseType bases[] = {BaseType::Int,    BaseType::Int,    BaseType::Float,
                                     BaseType::String, BaseType::Vector, BaseType::Int,
                                     BaseType::Float,  BaseType::String, BaseType::Vector};
    return Type{bases[data_.index()], isArray()};
}

std::size_t MelValue::size() const {
    return std::visit(Overload{[](const std::vector<int>& a) { return a.size(); },
                               [](const std::vector<double>& a) { return a.size(); },
                               [](const std::vector<std::string>& a) { return a.size(); },
                               [](const std::vector<Vec3>& a) { return a.size(); },
                               [](const auto&) { return std::size_t{0}; }},
                      data_);
}

MelValue MelValue::at(std::size_t i) const {
    switch (data_.index()) {
    case 5:
        return ofInt(std::get<5>(data_)[i]);
    case 6:
        return ofFloat(std::get<6>(data_)[i]);
    case 7:
        return ofString(std::get<7>(data_)[i]);
    case 8:
        return ofVector(std::get<8>(data_)[i]);
    default:
        return *this;
    }
}

void MelValue::resize(std::size_t n) {
    std::visit(
        Overload{[n](std::vector<int>& a) { a.resize(n); }, [n](std::vector<double>& a) { a.resize(n); },
                 [n](std::vector<std::string>& a) { a.resize(n); },
                 [n](std::vector<Vec3>& a) { a.resize(n); }, [](auto&) {}},
        data_);
}

void MelValue::put(std::size_t i, const MelValue& v) {
    if (i >= size()) resize(i + 1);
    const std::string what = "an element of a " + typeNameOf(*this);
    switch (data_.index()) {
    case 5:
        std::get<5>(data_)[i] = asInt(v, what);
        break;
    case 6:
        std::get<6>(data_)[i] = asFloat(v, what);
        break;
    case 7:
        std::get<7>(data_)[i] = asString(v, what);
        break;
    case 8:
        std::get<8>(data_)[i] = asVector(v, what);
        break;
    default:
        break;
    }
}

std::string typeNameOf(const MelValue& v) { return v.isNone() ? "nothing" : typeName(v.type()); }

int asInt(const MelValue& v, const std::string& what) {
    switch (v.data().index()) {
    case 0:
        return 0;
    case 1:
        return v.i();
    case 2:
        return truncToInt(v.f());
    case 3:
        return truncToInt(leadingNumber(v.s()));
    case 4:
        return truncToInt(length(v.v()));
    default:
        mismatch(v, "int", what);
    }
}

double asFloat(const MelValue& v, const std::string& what) {
    switch (v.data().index()) {
    case 0:
        return 0;
    case 1:
        return v.i();
    case 2:
        return v.f();
    case 3:
        return leadingNumber(v.s());
    case 4:
        return length(v.v());
    default:
        mismatch(v, "float", what);
    }
}

std::string asString(const MelValue& v, const std::string& what) {
    switch (v.data().index()) {
    case 0:
        return "";
    case 1:
        return std::to_string(v.i());
    case 2:
        return formatFloat(v.f());
    case 3:
        return v.s();
    case 4:
        return formatFloat(v.v().x) + " " + formatFloat(v.v().y) + " " + formatFloat(v.v().z);
    default:
        mismatch(v, "string", what);
    }
}

Vec3 asVector(const MelValue& v, const std::string& what) {
    switch (v.data().index()) {
    case 0:
        return {};
    case 1:
        return {double(v.i()), double(v.i()), double(v.i())};
    case 2:
        return {v.f(), v.f(), v.f()};
    case 3:
        return parseVector(v.s());
    case 4:
        return v.v();
    default:
        mismatch(v, "vector", what);
    }
}

MelValue convertTo(const MelValue& v, Type t, const std::string& what) {
    if (v.isNone()) return MelValue::zero(t);
    if (v.isArray() != t.array) mismatch(v, typeName(t), what);
    if (v.type() == t) return v;
    if (!t.array) {
        switch (t.base) {
        case BaseType::Int:
            return MelValue::ofInt(asInt(v, what));
        case BaseType::Float:
            return MelValue::ofFloat(asFloat(v, what));
        case BaseType::String:
            return MelValue::ofString(asString(v, what));
        case BaseType::Vector:
            return MelValue::ofVector(asVector(v, what));
        }
    }
    MelValue out = MelValue::zero(t);
    out.resize(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) out.put(i, v.at(i));
    return out;
}

std::string resultText(const MelValue& v) {
    if (!v.isArray()) return asString(v, "");
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i) out += ' ';
        out += asString(v.at(i), "");
    }
    return out;
}

std::string printText(const MelValue& v) {
    if (!v.isArray()) return asString(v, "");
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) out += asString(v.at(i), "") + "\n";
    return out;
}

MelValue fromCommand(const Value& v) {
    switch (v.kind) {
    case Value::Kind::None:
        return {};
    case Value::Kind::Int:
    case Value::Kind::Bool:
        return MelValue::ofInt(v.i > INT_MAX ? INT_MAX : v.i < INT_MIN ? INT_MIN : static_cast<int>(v.i));
    case Value::Kind::Float:
    case Value::Kind::Angle:
        // The number as the command prints it: a float attribute's 0.2 is 0.2,
        // not the double nearest the float; an angle is in degrees.
        return MelValue::ofFloat(std::strtod(v.text().c_str(), nullptr));
    case Value::Kind::Double:
        return MelValue::ofFloat(v.d);
    case Value::Kind::String:
        return MelValue::ofString(v.s);
    case Value::Kind::List:
        break;
    }
    bool strings = true, ints = true;
    for (const Value& e : v.list) {
        strings = strings && e.kind == Value::Kind::String;
        ints = ints && (e.kind == Value::Kind::Int || e.kind == Value::Kind::Bool);
    }
    bool numbers = !strings;
    for (const Value& e : v.list)
        numbers = numbers && e.kind != Value::Kind::String && e.kind != Value::Kind::List &&
                  e.kind != Value::Kind::None;
    if (ints && !v.list.empty()) {
        std::vector<int> out;
        for (const Value& e : v.list) out.push_back(fromCommand(e).i());
        return MelValue::ofInts(std::move(out));
    }
    if (numbers) {
        std::vector<double> out;
        for (const Value& e : v.list) out.push_back(asFloat(fromCommand(e), ""));
        return MelValue::ofFloats(std::move(out));
    }
    std::vector<std::string> out;
    for (const Value& e : v.list)
        if (e.kind != Value::Kind::None) out.push_back(e.text());
    return MelValue::ofStrings(std::move(out));
}

Value toCommand(const MelValue& v) {
    switch (v.data().index()) {
    case 0:
        return Value::none();
    case 1:
        return Value::integer(v.i());
    case 2:
        return Value::real(v.f());
    case 3:
        return Value::string(v.s());
    case 4:
        return Value::of({Value::real(v.v().x), Value::real(v.v().y), Value::real(v.v().z)});
    default:
        break;
    }
    std::vector<Value> out;
    for (std::size_t i = 0; i < v.size(); ++i) out.push_back(toCommand(v.at(i)));
    return Value::of(std::move(out));
}

void appendArgs(const MelValue& v, std::vector<Arg>& out) {
    auto number = [&out](double d, bool integral) {
        Arg a;
        a.kind = Arg::Kind::Number;
        a.number = d;
        a.integral = integral;
        a.text = integral ? std::to_string(static_cast<long long>(d)) : shortestDouble(d);
        out.push_back(std::move(a));
    };
    switch (v.data().index()) {
    case 0:
        return;
    case 1:
        return number(v.i(), true);
    case 2:
        return number(v.f(), false);
    case 3: {
        Arg a;
        a.kind = Arg::Kind::String;
        a.text = v.s();
        out.push_back(std::move(a));
        return;
    }
    case 4:
        number(v.v().x, false);
        number(v.v().y, false);
        number(v.v().z, false);
        return;
    default:
        for (std::size_t i = 0; i < v.size(); ++i) appendArgs(v.at(i), out);
    }
}

}  // namespace rdhost::cmd
