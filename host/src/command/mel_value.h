// Values of MEL variables and expressions: int, float, string, vector and
// arrays of each, with the host's conversions:
//   - float to int truncates toward zero; int is 32 bits and wraps as in MEL
//   - a number becomes a string in its shortest form, floats with at most 10
//     significant digits ("0.3333333333"); a vector as "x y z"
//   - a string becomes a number by its leading number ("12abc" is 12, "abc" 0)
//   - a vector becomes a number by its length; a number a vector by filling
//     all three components
//   - arrays convert element by element; an array never becomes a scalar nor
//     a scalar an array (a type mismatch)
// Command results (cmd::Value) and command arguments (cmd::Arg) convert both
// ways, so a command's result can feed a variable and a variable a command.
#pragma once

#include "command/ast.h"
#include "command/registry.h"

#include <string>
#include <variant>
#include <vector>

namespace rdhost::cmd {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

class MelValue {
public:
    using Data = std::variant<std::monostate, int, double, std::string, Vec3, std::vector<int>,
                              std::vector<double>, std::vector<std::string>, std::vector<Vec3>>;

    MelValue() = default;
    static MelValue ofInt(int v) { return make<1>(v); }
    static MelValue ofFloat(double v) { return make<2>(v); }
    static MelValue ofString(std::string v) { return make<3>(std::move(v)); }
    static MelValue ofVector(Vec3 v) { return make<4>(v); }
    static MelValue ofInts(std::vector<int> v) { return make<5>(std::move(v)); }
    static MelValue ofFloats(std::vector<double> v) { return make<6>(std::move(v)); }
    static MelValue ofStrings(std::vector<std::string> v) { return make<7>(std::move(v)); }
    // The value a fresh variable of the type holds: 0, "", <<0, 0, 0>>, an empty array.
    static MelValue zero(Type t);

    bool isNone() const { return data_.index() == 0; }  // a command that returned nothing
    bool isArray() const { return data_.index() >= 5; }
    Type type() const;         // of a value that is not none
    std::size_t size() const;  // elements of an array

    int i() const { return std::get<1>(data_); }
    double f() const { return std::get<2>(data_); }
    const std::string& s() const { return std::get<3>(data_); }
    std::string& s() { return std::get<3>(data_); }
    const Vec3& v() const { return std::get<4>(data_); }

    // Element i of an array, as a scalar (i < size()).
    MelValue at(std::size_t i) const;
    // Sets element i, converting the value to the element type; the array
    // grows with zeros when i is past its end.
    void put(std::size_t i, const MelValue& v);
    void resize(std::size_t n);

    const Data& data() const { return data_; }
    Data& data() { return data_; }

    // The alternative built in place: a moved variant temporary trips
    // GCC's uninitialized-use analysis under the sanitizers.
    template <std::size_t I, typename... A>
    static MelValue make(A&&... a) {
        MelValue m;
        m.data_.template emplace<I>(std::forward<A>(a)...);
        return m;
    }

private:
    Data data_;
};

// "int", "float[]", ... ("nothing" for none).
std::string typeNameOf(const MelValue& v);

// Scalar conversions; an array throws HostError naming `what`.
int asInt(const MelValue& v, const std::string& what);
double asFloat(const MelValue& v, const std::string& what);
std::string asString(const MelValue& v, const std::string& what);
Vec3 asVector(const MelValue& v, const std::string& what);
// Any conversion that keeps the arrayness; what names the destination in
// the type mismatch message ("$count", "argument 2 of foo").
MelValue convertTo(const MelValue& v, Type t, const std::string& what);

// MEL's int arithmetic: 32 bits, wrapping; float to int truncates, clamped
// to the int range (NaN is 0).
int wrapInt(long long v);
int truncToInt(double v);

// A float as MEL writes it into a string.
std::string formatFloat(double v);
// What `// Result: ... //` shows: arrays and vectors space-separated.
std::string resultText(const MelValue& v);
// What print writes: an array one element per line.
std::string printText(const MelValue& v);

MelValue fromCommand(const Value& v);
Value toCommand(const MelValue& v);
// The value as command arguments: an array or vector gives one argument per
// element or component; a float's text reads back to the same double.
void appendArgs(const MelValue& v, std::vector<Arg>& out);

// Operators (mel_ops.cpp). Throw HostError for a type mismatch, a division
// by zero, or a string longer than maxString.
MelValue binaryOp(const std::string& op, const MelValue& a, const MelValue& b, std::size_t maxString);
MelValue unaryOp(const std::string& op, const MelValue& a);

}  // namespace rdhost::cmd
