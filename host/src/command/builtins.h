// MEL's built-in functions riggers use: strings, arrays, math, vectors, and
// error and warning. Each is called in either syntax (size($a), size $a) and
// checks its argument count before it runs.
#pragma once

#include "command/evaluator.h"

#include <string>
#include <vector>

namespace rdhost::cmd {

struct BuiltinCall {
    Evaluator& ev;
    const std::string& name;
    std::vector<ArgRef>& args;
};

struct Builtin {
    const char* name;
    int minArgs, maxArgs;
    MelValue (*run)(BuiltinCall&);
    const char* synopsis;  // for --help: "int size(array|string)"
};

const Builtin* findBuiltin(const std::string& name);
const std::vector<Builtin>& allBuiltins();

}  // namespace rdhost::cmd
