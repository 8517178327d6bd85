// The command registry: how a module of the host adds a MEL command.
//
// A command is a CommandDef: its name, its flag table and a handler. The
// interpreter parses a statement, checks every flag against the table (an
// unknown flag, or a flag given the wrong number of arguments, is an error
// naming it, raised before the handler runs) and calls the handler with an
// Invocation. The handler returns a Value; the interpreter prints the value of
// a top-level command as "// Result: VALUE //".
//
// Rules for handlers:
//  - Validate everything first, then change the scene: a command that throws
//    must leave the scene as it found it.
//  - Report failure by throwing rdhost::HostError whose message starts with the
//    command's name and names the offending thing:
//      "setAttr: 'loc1' has no attribute 'radiu'".
//    The interpreter adds "line N:" and stops the script.
//  - Report warnings through Scene::warn (the interpreter adds nothing).
//  - Commands speak UI units: degrees and centimetres.
//
// The table is process-wide and holds no scene state: a handler reaches its
// scene through Invocation::scene. Modules register from a static object in
// their own .cpp:
//
//     static const rdhost::cmd::Registrar reg{{
//         "playblast",
//         {{"completeFilename", "f", 1}, {"widthHeight", "wh", 2}},
//         runPlayblast,
//         "playblast -completeFilename F.png [-widthHeight W H] ...",
//         "none"}};
#pragma once

#include "graph/scene.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace rdhost::cmd {

// One argument as written in the script: a quoted string, a bare word
// (node.attr, a type name), a number or a yes/no/on/off/true/false word.
struct Arg {
    enum class Kind { String, Word, Number, Bool };
    Kind kind = Kind::Word;
    std::string text;       // the source text (unescaped for strings)
    double number = 0.0;    // Number, and Bool as 0/1
    bool integral = false;  // Number written without '.' or exponent

    bool isNumber() const { return kind == Kind::Number || kind == Kind::Bool; }
};

// A flag as a command declares it. argCount arguments always follow the flag
// (0 for switches such as -query); in query mode (the command has a "query"
// flag and it is given) flags take none, except those that say which things to
// query (queryArgs: keyframe -query -time 10). A flag may be given more than
// once.
struct FlagSpec {
    std::string longName;   // "name"
    std::string shortName;  // "n"
    int argCount = 0;
    bool queryArgs = false;
};

// A flag as it was given; name is always the long name.
struct FlagUse {
    std::string name;
    std::vector<Arg> args;
};

// The result of a command.
struct Value {
    enum class Kind { None, Int, Float, Double, String, Bool, List, Angle };
    Kind kind = Kind::None;
    long long i = 0;          // Int, Bool
    double d = 0.0;           // Float (holding a float's value), Double, Angle (radians)
    std::string s;            // String
    std::vector<Value> list;  // List: printed blank-separated

    static Value none() { return {}; }
    static Value integer(long long v);
    static Value floating(float v);      // a float attribute: printed at float precision
    static Value real(double v);         // a double: printed at double precision
    static Value angle(double radians);  // printed in degrees, the shortest text that reads back
    static Value string(std::string v);
    static Value boolean(bool v);
    static Value strings(const std::vector<std::string>& v);
    static Value of(std::vector<Value> v);

    // MEL-style text: numbers in their shortest form that reads back to the same
    // float or double, booleans as 0/1, lists blank-separated.
    std::string text() const;
};

struct Invocation {
    Scene& scene;
    std::string command;
    std::vector<FlagUse> flags;  // in the order given
    std::vector<Arg> args;       // positional arguments
    int line = 0;                // source line of the command name
    bool topLevel = true;        // false inside a nested executeCommand
    bool fileContext = false;    // reading a scene file: be lenient where the host is
    std::ostream& out;           // where print writes (stdout in the program)

    bool has(const std::string& longName) const;
    // The arguments of the last use of the flag; nullptr when it was not given.
    const std::vector<Arg>* flag(const std::string& longName) const;
    // The flag's i-th argument as text / number; throws HostError naming the
    // command and flag when the flag is missing or the argument is not a number.
    std::string flagText(const std::string& longName, int i = 0) const;
    double flagNumber(const std::string& longName, int i = 0) const;
    // Every use of a repeatable flag, each use's first argument as text.
    std::vector<std::string> flagTexts(const std::string& longName) const;

    // Throws HostError("COMMAND: " + message).
    [[noreturn]] void fail(const std::string& message) const;
};

using Handler = std::function<Value(Invocation&)>;

struct CommandDef {
    std::string name;
    std::vector<FlagSpec> flags;
    Handler run;
    std::string usage;   // one line for --help: synopsis with every flag
    std::string result;  // what the result is, for --help ("the node's name")
};

// Adds a command; a later registration of the same name replaces the earlier.
void registerCommand(CommandDef def);
// nullptr when no such command.
const CommandDef* findCommand(const std::string& name);
// Every command, sorted by name (for --help).
std::vector<const CommandDef*> allCommands();

// Registers at static-initialisation time.
struct Registrar {
    explicit Registrar(CommandDef def) { registerCommand(std::move(def)); }
};

}  // namespace rdhost::cmd
