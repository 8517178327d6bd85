// Calls: procedures, built-in functions, commands, and the forms the
// language gives special rules (catch, eval, source, exists).
#include "command/evaluator.h"

#include "command/builtins.h"
#include "command/interpreter.h"
#include "command/parser.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

namespace rdhost::cmd {

namespace {

const char* const kSpecialForms[] = {"catch", "catchQuiet", "eval", "source", "exists"};

bool isSpecialForm(const std::string& name) {
    for (const char* s : kSpecialForms)
        if (name == s) return true;
    return false;
}

// A literal of command syntax as a value: quoted or bare text is a string,
// numbers are numbers, yes/no a number unless a string is wanted.
MelValue literalValue(const Arg& a, bool wantString) {
    switch (a.kind) {
    case Arg::Kind::Number:
        if (a.integral && a.number >= -2147483648.0 && a.number <= 2147483647.0)
            return MelValue::ofInt(static_cast<int>(a.number));
        return MelValue::ofFloat(a.number);
    case Arg::Kind::Bool:
        if (wantString) return MelValue::ofString(a.text);
        return MelValue::ofInt(a.number != 0);
    default:
        return MelValue::ofString(a.text);
    }
}

bool isFlagOf(const CommandDef& def, const std::string& text) {
    if (text.size() < 2 || text[0] != '-' || !std::isalpha(static_cast<unsigned char>(text[1]))) return false;
    const std::string name = text.substr(1);
    for (const FlagSpec& f : def.flags)
        if (f.longName == name || f.shortName == name) return true;
    return false;
}

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string paramList(const ProcDef& d) {
    std::string s;
    for (const Param& p : d.params) {
        if (!s.empty()) s += ", ";
        Type t = p.type;
        t.array = false;
        s += typeName(t) + " $" + p.name + (p.type.array ? "[]" : "");
    }
    return s;
}

[[noreturn]] void wrongCount(const std::string& name, const std::string& takes, std::size_t got) {
    throw HostError(name + ": wrong number of arguments (takes " + takes + "; got " + std::to_string(got) +
                    ")");
}

struct Depth {
    int& d;
    explicit Depth(int& d) : d(d) { ++d; }
    ~Depth() { --d; }
};

}  // namespace

void Evaluator::load(const std::shared_ptr<const Unit>& unit) {
    for (const auto& def : unit->procs) {
        std::string what = isSpecialForm(def->name) || findBuiltin(def->name) ? "a built-in function"
                           : findCommand(def->name)                           ? "a command"
                                                                              : "";
        if (!what.empty())
            throw ScriptError(
                "procedure '" + def->name + "' cannot be defined: '" + def->name + "' is " + what, def->line,
                unit->file);
    }
    for (const auto& def : unit->procs) {
        ProcRef ref{unit, def.get()};
        if (def->global)
            procs_[def->name] = ref;
        else
            localProcs_[unit.get()][def->name] = ref;
    }
    if (!unit->procs.empty()) units_.push_back(unit);
}

const Evaluator::ProcRef* Evaluator::findProc(const std::string& name) {
    if (!frames_.empty()) {
        auto u = localProcs_.find(frame().unit);
        if (u != localProcs_.end()) {
            auto p = u->second.find(name);
            if (p != u->second.end()) return &p->second;
        }
    }
    auto p = procs_.find(name);
    return p == procs_.end() ? nullptr : &p->second;
}

// The dispatch keeps a small frame: a recursive procedure passes through it
// at every level, so anything with locals of its own lives in a helper.
MelValue Evaluator::call(const Call& c, Value* raw) {
    const std::string& n = c.name;
    if (n == "catch" || n == "catchQuiet") return catchCall(c, n == "catchQuiet");
    if (n == "eval") return evalCall(c, raw);
    if (n == "source") return sourceCall(c);
    if (n == "exists") return existsCall(c);
    if (const ProcRef* p = findProc(n)) return callProc(*p, c);
    if (const Builtin* b = findBuiltin(n)) return callBuiltin(*b, c);
    if (const CommandDef* d = findCommand(n)) return callCommand(*d, c, raw);
    if (autoload(n))
        if (const ProcRef* p = findProc(n)) return callProc(*p, c);
    unknownCall(c);
}

void Evaluator::unknownCall(const Call& c) {
    if (!c.commandSyntax) throw HostError("cannot find procedure '" + clipInput(c.name) + "'");
    throw HostError("unknown command '" + clipInput(c.name) + "'");
}

MelValue Evaluator::existsCall(const Call& c) {
    std::vector<ArgRef> args = argValues(c);
    if (args.size() != 1) wrongCount(c.name, "1: a name", args.size());
    std::string name = asString(args[0].get(), "the name for exists");
    return MelValue::ofInt(findProc(name) || findBuiltin(name) || findCommand(name) || isSpecialForm(name));
}

MelValue Evaluator::callBuiltin(const Builtin& b, const Call& c) {
    std::vector<ArgRef> args = argValues(c);
    const int got = static_cast<int>(args.size());
    if (got < b.minArgs || got > b.maxArgs) wrongCount(c.name, std::string(b.synopsis), args.size());
    BuiltinCall bc{*this, c.name, args};
    return b.run(bc);
}

std::vector<ArgRef> Evaluator::argValues(const Call& c) {
    std::vector<ArgRef> out;
    for (const CallArg& a : c.args) {
        ArgRef r;
        if (a.kind == CallArg::Kind::Literal)
            r.value = literalValue(a.literal, false);
        else if (a.kind == CallArg::Kind::Flag)
            r.value = MelValue::ofString("-" + a.flag);
        else if (a.expr->kind == Expr::Kind::Var)
            r.slot = &lookup(a.expr->name, a.line);
        else
            r.value = eval(*a.expr);
        out.push_back(std::move(r));
    }
    return out;
}

MelValue Evaluator::callProc(const ProcRef& p, const Call& c) {
    const ProcDef& d = *p.def;
    std::vector<SlotPtr> bound = bindArguments(d, c);
    if (callDepth_ >= limits.maxCallDepth) tooDeep("procedure calls", "in " + d.name + "; ");
    Depth depth(callDepth_);
    FrameGuard guard(*this, p.unit.get(), false);
    Scope& scope = frame().scopes[0];
    for (std::size_t i = 0; i < d.params.size(); ++i)
        scope.emplace_back(d.params[i].name, std::move(bound[i]));
    returned_ = MelValue();
    return procResult(d, execBlock(d.body));
}

// Arguments are worked out in the caller's scope, in a frame of their own
// that is gone before the body runs; an array variable is passed by reference.
std::vector<SlotPtr> Evaluator::bindArguments(const ProcDef& d, const Call& c) {
    if (c.args.size() != d.params.size())
        wrongCount(d.name, std::to_string(d.params.size()) + (d.params.empty() ? "" : ": " + paramList(d)),
                   c.args.size());
    std::vector<SlotPtr> bound;
    for (std::size_t i = 0; i < d.params.size(); ++i) {
        const Param& prm = d.params[i];
        const CallArg& a = c.args[i];
        if (a.kind == CallArg::Kind::Value && a.expr->kind == Expr::Kind::Var && prm.type.array) {
            lookup(a.expr->name, a.line);
            const SlotPtr& shared = *findShared(a.expr->name);
            if (shared->type == prm.type) {
                bound.push_back(shared);
                continue;
            }
        }
        MelValue v = a.kind == CallArg::Kind::Literal
                         ? literalValue(a.literal, prm.type.base == BaseType::String)
                     : a.kind == CallArg::Kind::Flag ? MelValue::ofString("-" + a.flag)
                                                     : eval(*a.expr);
        const std::string what = "argument " + std::to_string(i + 1) + " ($" + prm.name + ") of " + d.name;
        bound.push_back(std::make_shared<Slot>(Slot{prm.type, convertTo(v, prm.type, what)}));
    }
    return bound;
}

MelValue Evaluator::procResult(const ProcDef& d, Flow f) {
    MelValue r;
    if (d.returns)
        r = f == Flow::Return ? convertTo(returned_, d.result, "the result of " + d.name)
                              : MelValue::zero(d.result);
    returned_ = MelValue();
    return r;
}

void Evaluator::tooDeep(const std::string& what, const std::string& where) const {
    throw ScriptAbort(what + " nested deeper than " + std::to_string(limits.maxCallDepth) +
                      " levels (recursion limit) " + where + "the script was stopped");
}

MelValue Evaluator::callCommand(const CommandDef& def, const Call& c, Value* raw) {
    Statement st;
    st.command = c.name;
    st.line = c.line;
    for (const CallArg& a : c.args) {
        Item it;
        it.line = a.line;
        if (a.kind == CallArg::Kind::Literal) {
            it.arg = a.literal;
            st.items.push_back(std::move(it));
            continue;
        }
        if (a.kind == CallArg::Kind::Flag) {
            it.isFlag = true;
            it.flag = a.flag;
            st.items.push_back(std::move(it));
            continue;
        }
        MelValue held;
        const MelValue* v = peek(*a.expr);
        if (!v) {
            held = eval(*a.expr);
            v = &held;
        }
        if (c.name == "print") {
            // print writes a value as MEL does: floats to 10 digits, an array a line per element.
            if (v->isNone()) continue;
            it.arg.kind = Arg::Kind::String;
            it.arg.text = printText(*v);
            st.items.push_back(std::move(it));
            continue;
        }
        std::vector<Arg> args;
        appendArgs(*v, args);
        for (Arg& arg : args) {
            Item one;
            one.line = a.line;
            // Function syntax has no other way to give a flag: getAttr("-type", "a.tx").
            if (!c.commandSyntax && arg.kind == Arg::Kind::String && isFlagOf(def, arg.text)) {
                one.isFlag = true;
                one.flag = arg.text.substr(1);
            } else {
                one.arg = std::move(arg);
            }
            st.items.push_back(std::move(one));
        }
    }
    Value result = in_.runStatement(st, !in_.nested());
    if (raw) *raw = result;
    return fromCommand(result);
}

MelValue Evaluator::catchCall(const Call& c, bool quiet) {
    if (c.args.size() != 1 || c.args[0].kind != CallArg::Kind::Value)
        wrongCount(c.name, "1: an expression in parentheses or a command in backquotes", c.args.size());
    const Expr& e = *c.args[0].expr;
    try {
        if (e.kind == Expr::Kind::Call)
            call(*e.call, nullptr);
        else
            eval(e);
    } catch (ScriptAbort&) {
        throw;
    } catch (const HostError& err) {
        if (!quiet) {
            // The error shows, as in the host, but does not fail the run.
            int line = 0;
            std::string file;
            if (auto* se = dynamic_cast<const ScriptError*>(&err); se && se->line > 0) {
                line = se->line;
                file = se->file;
            } else if (!frames_.empty() && !frame().unit->anonymous) {
                line = c.line;
                file = frame().unit->file;
            }
            const std::string top = frames_.empty() ? "" : frames_.front().unit->file;
            in_.reportError(line, err.what(), file == top ? "" : file, false);
        }
        return MelValue::ofInt(1);
    }
    return MelValue::ofInt(0);
}

std::string Evaluator::argText(const Call& c) {
    std::string text;
    for (const CallArg& a : c.args) {
        if (!text.empty()) text += ' ';
        if (a.kind == CallArg::Kind::Literal)
            text += a.literal.text;
        else if (a.kind == CallArg::Kind::Flag)
            text += "-" + a.flag;
        else
            text += resultText(eval(*a.expr));
    }
    return text;
}

// eval "text" / eval(text) / eval cmd arg...: the text runs at the top-level
// scope; its value is the value of its last statement.
MelValue Evaluator::evalCall(const Call& c, Value* raw) {
    if (c.args.empty()) wrongCount("eval", "1 or more: the text to run", 0);
    const std::string text = argText(c);
    std::shared_ptr<Unit> unit;
    try {
        unit = parseUnit(text, "", true);
    } catch (const SyntaxError& e) {
        throw HostError("eval: " + std::string(e.what()) +
                        (e.line > 1 ? " (line " + std::to_string(e.line) + " of the text)" : ""));
    }
    load(unit);
    return runText(*unit, raw, "the text of eval");
}

MelValue Evaluator::sourceCall(const Call& c) {
    if (c.args.size() != 1) wrongCount("source", "1: a script file", c.args.size());
    return source(argText(c), c.line);
}

MelValue Evaluator::source(const std::string& name, int) {
    if (name.empty()) throw HostError("source: no script named");
    std::vector<std::string> names = {name};
    if (name.size() < 4 || name.compare(name.size() - 4, 4, ".mel") != 0)
        names.insert(names.begin(), name + ".mel");
    std::string found;
    std::string looked;
    for (const std::string& n : names) {
        if (n[0] == '/') {
            if (found.empty() && isRegularFile(n)) found = n;
            continue;
        }
        for (const std::string& dir : in_.scriptPath) {
            std::string p = dir + (dir.empty() || dir.back() == '/' ? "" : "/") + n;
            if (found.empty() && isRegularFile(p)) found = p;
        }
        if (found.empty() && isRegularFile(n)) found = n;
    }
    if (found.empty()) {
        for (const std::string& dir : in_.scriptPath) looked += (looked.empty() ? "" : ":") + dir;
        throw HostError("source: cannot find script '" + clipInput(name) + "' on the script path" +
                        (looked.empty() ? std::string(" (MAYA_SCRIPT_PATH is empty)") : " " + looked) +
                        " or in the current folder");
    }
    std::ifstream in(found, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    if (!in.is_open() || in.bad()) throw HostError("source: cannot read script '" + clipInput(found) + "'");
    if (callDepth_ >= limits.maxCallDepth) tooDeep("source", "");
    Depth depth(callDepth_);
    std::shared_ptr<Unit> unit;
    try {
        unit = parseUnit(ss.str(), found);
    } catch (const SyntaxError& e) {
        throw ScriptError(e.what(), e.line, found);
    }
    load(unit);
    FrameGuard guard(*this, unit.get(), true);
    for (const StmtPtr& st : unit->statements) exec(*st);
    return {};
}

// Calling a procedure nobody defined sources NAME.mel from the script path,
// once, as the host does.
bool Evaluator::autoload(const std::string& name) {
    if (!autoloaded_.insert(name).second) return false;
    for (const std::string& dir : in_.scriptPath) {
        std::string p = dir + (dir.empty() || dir.back() == '/' ? "" : "/") + name + ".mel";
        if (isRegularFile(p)) {
            source(p, 0);
            return true;
        }
    }
    return false;
}

}  // namespace rdhost::cmd
