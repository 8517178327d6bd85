// The MEL evaluator: variables and their scopes, procedures, statements,
// expressions and calls. The Interpreter owns one and feeds it parsed units;
// commands it runs go back through Interpreter::runStatement.
//
// Scopes. The top level of every script (and eval, executeCommand, source)
// shares one scope that lives as long as the interpreter, so -c text sees
// what the script files before it declared. A procedure call starts a fresh
// scope chain that sees only its parameters and the globals it declares with
// `global TYPE $name`; a block { } opens a scope inside the current one.
// Arrays are passed to procedures by reference, scalars by value.
//
// Procedures. A unit defines its procedures when it is loaded: global ones
// for everyone, the others for calls from the same unit. A call looks for a
// procedure of the caller's unit, then a global one, then a built-in
// function, then a command, then NAME.mel on the script path.
//
// Limits. A procedure (or eval, or source) nested deeper than
// Limits::maxCallDepth, nesting that would exhaust the thread's stack, and a
// script running more than Limits::maxSteps statements end the script with a
// ScriptAbort, which catch does not stop. Arrays and strings are bounded by
// maxArraySize and maxStringSize.
#pragma once

#include "command/ast.h"
#include "command/mel_value.h"
#include "command/statement.h"

#include <deque>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace rdhost::cmd {

class Interpreter;
struct Builtin;

struct Limits {
    long long maxSteps = 0;  // statements a top-level text may run; 0 for no limit
    int maxCallDepth = 1000;
    std::size_t maxArraySize = 10'000'000;
    std::size_t maxStringSize = 10'000'000;
};

// An error of a script statement: where it happened (line 0 until known).
struct ScriptError : HostError {
    ScriptError(const std::string& message, int line = 0, std::string file = "")
        : HostError(message), line(line), file(std::move(file)) {}
    int line;
    std::string file;
};

// A limit ended the script; catch lets it through.
struct ScriptAbort : ScriptError {
    using ScriptError::ScriptError;
};

struct Slot {
    Type type;
    MelValue value;
};
using SlotPtr = std::shared_ptr<Slot>;

// An argument handed to a built-in function: its value, and the variable it
// came from when it was one (tokenize and clear fill the caller's array).
struct ArgRef {
    MelValue value;
    Slot* slot = nullptr;
    const MelValue& get() const { return slot ? slot->value : value; }
};

class Evaluator {
public:
    explicit Evaluator(Interpreter& in) : in_(in) {}

    Limits limits;

    // Defines the unit's procedures. Throws HostError (a name a command or
    // built-in function has).
    void load(const std::shared_ptr<const Unit>& unit);

    // Runs one top-level statement of a loaded unit. An expression statement
    // worth showing (a call, or any expression but an assignment) leaves its
    // result text in *shown. Throws ScriptError (located) or ScriptAbort.
    void topLevel(const Unit& unit, const Stmt& st, std::string* shown, bool* hasShown);

    // Runs a loaded anonymous unit (eval, executeCommand) at the top-level
    // scope; returns the value of its last statement (*raw: the command
    // result when that statement was a command). `label` names the text in
    // messages when it has several statements.
    MelValue runText(const Unit& unit, Value* raw, const std::string& label);

    // False when no statement is running: the next entry measures the
    // stack afresh, and a new top-level text restarts its step count.
    bool running() const { return !frames_.empty(); }
    void resetSteps() { steps_ = 0; }

    // Used by the built-in functions.
    Interpreter& interpreter() { return in_; }
    void checkString(const std::string& s) const;
    void checkArraySize(std::size_t n) const;

private:
    enum class Flow { Normal, Break, Continue, Return };

    struct ProcRef {
        std::shared_ptr<const Unit> unit;
        const ProcDef* def = nullptr;
    };
    using Scope = std::vector<std::pair<std::string, SlotPtr>>;
    struct Frame {
        const Unit* unit = nullptr;
        bool topLevel = false;  // sees the shared top-level scope under its own
        std::vector<Scope> scopes;
    };
    // A frame (a procedure's body, a top-level text) or a block's scope, for
    // as long as the guard lives.
    struct FrameGuard {
        FrameGuard(Evaluator& ev, const Unit* unit, bool topLevel);
        ~FrameGuard() { ev.frames_.pop_back(); }
        FrameGuard(const FrameGuard&) = delete;
        FrameGuard& operator=(const FrameGuard&) = delete;
        Evaluator& ev;
    };
    struct ScopeGuard {
        explicit ScopeGuard(Evaluator& ev) : ev(ev) { ev.frame().scopes.emplace_back(); }
        ~ScopeGuard() { ev.frame().scopes.pop_back(); }
        ScopeGuard(const ScopeGuard&) = delete;
        ScopeGuard& operator=(const ScopeGuard&) = delete;
        Evaluator& ev;
    };

    // Statements (eval_stmt.cpp).
    // The functions a recursive procedure passes through at every level
    // keep small frames (the stack bounds how deep scripts may nest); what
    // holds values is split into helpers the compiler must not fold back.
    Flow exec(const Stmt& st);
    Flow execInner(const Stmt& st);
    [[gnu::noinline]] void evalStatement(const Stmt& st);
    [[gnu::noinline]] Flow execScoped(const std::vector<StmtPtr>& body);
    [[gnu::noinline]] bool condition(const Expr& e, int line);
    [[gnu::noinline]] void setReturned(const Stmt& st);
    Flow execBlock(const std::vector<StmtPtr>& body, std::size_t from = 0);
    Flow execFor(const Stmt& st);
    Flow execForIn(const Stmt& st);
    Flow execSwitch(const Stmt& st);
    void declare(const Stmt& st);
    void step(int line);
    void checkStack();
    void locate(ScriptError& e, int line) const;
    [[noreturn]] void rethrowLocated(int line);

    // Variables.
    Slot* find(const std::string& name);
    SlotPtr* findShared(const std::string& name);
    Slot& lookup(const std::string& name, int line);
    Slot& declareLocal(const std::string& name, Type type, int line);
    Frame& frame() { return frames_.back(); }

    // Expressions (eval_expr.cpp).
    MelValue eval(const Expr& e);
    [[gnu::noinline]] MelValue operation(const Expr& e);
    const MelValue* peek(const Expr& e);  // a variable's value without a copy
    MelValue index(const Expr& e);
    MelValue assign(const Expr& e);
    MelValue increment(const Expr& e);
    MelValue arrayLiteral(const Expr& e);
    bool truth(const MelValue& v, int line);
    std::string describe(const Expr& e) const;

    // Calls (eval_call.cpp).
    MelValue call(const Call& c, Value* raw);
    MelValue callProc(const ProcRef& p, const Call& c);
    [[gnu::noinline]] std::vector<SlotPtr> bindArguments(const ProcDef& d, const Call& c);
    [[gnu::noinline]] MelValue procResult(const ProcDef& d, Flow f);
    [[gnu::noinline]] MelValue callBuiltin(const Builtin& b, const Call& c);
    [[gnu::noinline]] MelValue existsCall(const Call& c);
    [[noreturn, gnu::noinline]] void unknownCall(const Call& c);
    [[noreturn, gnu::noinline]] void tooDeep(const std::string& what, const std::string& where) const;
    MelValue callCommand(const CommandDef& def, const Call& c, Value* raw);
    MelValue catchCall(const Call& c, bool quiet);
    MelValue evalCall(const Call& c, Value* raw);
    MelValue sourceCall(const Call& c);
    MelValue source(const std::string& path, int line);
    std::vector<ArgRef> argValues(const Call& c);
    std::string argText(const Call& c);
    const ProcRef* findProc(const std::string& name);
    bool autoload(const std::string& name);
    MelValue statementValue(const Stmt& st, Value* raw);

    Interpreter& in_;
    Scope top_;
    std::deque<Frame> frames_;
    std::unordered_map<std::string, SlotPtr> globals_;
    std::unordered_map<std::string, ProcRef> procs_;
    std::unordered_map<const Unit*, std::unordered_map<std::string, ProcRef>> localProcs_;
    std::set<std::string> autoloaded_;
    std::vector<std::shared_ptr<const Unit>> units_;  // keeps every loaded unit's procedures alive
    MelValue returned_;
    long long steps_ = 0;
    int callDepth_ = 0;
    char* stackBase_ = nullptr;
    std::size_t stackBudget_ = 0;
};

}  // namespace rdhost::cmd
