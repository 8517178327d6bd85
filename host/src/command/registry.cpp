#include "command/registry.h"

#include "command/ma_format.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <memory>

namespace rdhost::cmd {

namespace {

// Function-local so registrations from other translation units' static
// objects never run before the table exists.
std::map<std::string, std::unique_ptr<CommandDef>>& table() {
    static std::map<std::string, std::unique_ptr<CommandDef>> commands;
    return commands;
}

template <typename T>
std::string shortest(T v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    std::string s(buf, r.ptr);
    if (s == "-0") s = "0";
    return s;
}

}  // namespace

Value Value::integer(long long v) {
    Value r;
    r.kind = Kind::Int;
    r.i = v;
    return r;
}

Value Value::floating(float v) {
    Value r;
    r.kind = Kind::Float;
    r.d = v;
    return r;
}

Value Value::real(double v) {
    Value r;
    r.kind = Kind::Double;
    r.d = v;
    return r;
}

Value Value::angle(double radians) {
    Value r;
    r.kind = Kind::Angle;
    r.d = radians;
    return r;
}

Value Value::string(std::string v) {
    Value r;
    r.kind = Kind::String;
    r.s = std::move(v);
    return r;
}

Value Value::boolean(bool v) {
    Value r;
    r.kind = Kind::Bool;
    r.i = v ? 1 : 0;
    return r;
}

Value Value::strings(const std::vector<std::string>& v) {
    Value r;
    r.kind = Kind::List;
    for (const auto& s : v) r.list.push_back(string(s));
    return r;
}

Value Value::of(std::vector<Value> v) {
    Value r;
    r.kind = Kind::List;
    r.list = std::move(v);
    return r;
}

std::string Value::text() const {
    switch (kind) {
    case Kind::None:
        return "";
    case Kind::Int:
    case Kind::Bool:
        return std::to_string(i);
    case Kind::Float:
        return shortest(static_cast<float>(d));
    case Kind::Double:
        return shortest(d);
    case Kind::Angle:
        return ma::formatAngle(d);
    case Kind::String:
        return s;
    case Kind::List: {
        std::string out;
        for (const auto& v : list) {
            std::string t = v.text();
            if (v.kind == Kind::None) continue;
            if (!out.empty()) out += ' ';
            out += t;
        }
        return out;
    }
    }
    return "";
}

bool Invocation::has(const std::string& longName) const { return flag(longName) != nullptr; }

const std::vector<Arg>* Invocation::flag(const std::string& longName) const {
    for (auto it = flags.rbegin(); it != flags.rend(); ++it)
        if (it->name == longName) return &it->args;
    return nullptr;
}

std::string Invocation::flagText(const std::string& longName, int i) const {
    const auto* a = flag(longName);
    if (!a) fail("flag -" + longName + " is required");
    if (i < 0 || i >= static_cast<int>(a->size())) fail("flag -" + longName + " needs an argument");
    return (*a)[i].text;
}

double Invocation::flagNumber(const std::string& longName, int i) const {
    const auto* a = flag(longName);
    if (!a) fail("flag -" + longName + " is required");
    if (i < 0 || i >= static_cast<int>(a->size())) fail("flag -" + longName + " needs an argument");
    if (!(*a)[i].isNumber())
        fail("flag -" + longName + " expects a number, got '" + clipInput((*a)[i].text) + "'");
    return (*a)[i].number;
}

std::vector<std::string> Invocation::flagTexts(const std::string& longName) const {
    std::vector<std::string> out;
    for (const auto& f : flags)
        if (f.name == longName && !f.args.empty()) out.push_back(f.args[0].text);
    return out;
}

void Invocation::fail(const std::string& message) const { throw HostError(command + ": " + message); }

void registerCommand(CommandDef def) {
    std::string name = def.name;
    table()[name] = std::make_unique<CommandDef>(std::move(def));
}

const CommandDef* findCommand(const std::string& name) {
    auto& t = table();
    auto it = t.find(name);
    return it == t.end() ? nullptr : it->second.get();
}

std::vector<const CommandDef*> allCommands() {
    std::vector<const CommandDef*> out;
    for (const auto& [name, def] : table()) out.push_back(def.get());
    return out;
}

}  // namespace rdhost::cmd
