// Statements, scopes and the limits of the evaluator.
#include "command/evaluator.h"
#include "command/interpreter.h"

#include <sys/resource.h>

#include <algorithm>
#include <new>

namespace rdhost::cmd {

Evaluator::FrameGuard::FrameGuard(Evaluator& ev, const Unit* unit, bool topLevel) : ev(ev) {
    if (ev.frames_.empty()) {
        // The outermost entry: measure the stack from here.
        ev.stackBase_ = static_cast<char*>(__builtin_frame_address(0));
        if (ev.stackBudget_ == 0) {
            rlimit rl{};
            std::size_t size = 8u << 20;
            if (::getrlimit(RLIMIT_STACK, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY) size = rl.rlim_cur;
            // Half of it: the caller's frames and a command's own work need the rest.
            ev.stackBudget_ = std::max<std::size_t>(size / 2, 256u << 10);
        }
    }
    ev.frames_.push_back(Frame{unit, topLevel, {Scope{}}});
}

void Evaluator::checkString(const std::string& s) const {
    if (s.size() > limits.maxStringSize)
        throw HostError("a string of " + std::to_string(s.size()) +
                        " characters is longer than the limit of " + std::to_string(limits.maxStringSize));
}

void Evaluator::checkArraySize(std::size_t n) const {
    if (n > limits.maxArraySize)
        throw HostError("an array of " + std::to_string(n) + " elements is larger than the limit of " +
                        std::to_string(limits.maxArraySize));
}

void Evaluator::step(int line) {
    if (limits.maxSteps > 0 && ++steps_ > limits.maxSteps)
        throw ScriptAbort("the script ran more than " + std::to_string(limits.maxSteps) +
                              " statements and was stopped (step limit; see --step-limit)",
                          line);
    checkStack();
}

void Evaluator::checkStack() {
    char* here = static_cast<char*>(__builtin_frame_address(0));
    if (stackBase_ && static_cast<std::size_t>(stackBase_ - here) > stackBudget_)
        throw ScriptAbort("calls and expressions nested too deeply for the stack; the script was stopped");
}

void Evaluator::locate(ScriptError& e, int line) const {
    if (e.line != 0 || frames_.back().unit->anonymous) return;
    e.line = line;
    e.file = frames_.back().unit->file;
}

// Gives an error from a statement its place: the innermost statement that
// failed, in the file it was written in. Text run by eval or executeCommand
// is placed at its caller.
void Evaluator::rethrowLocated(int line) {
    try {
        throw;
    } catch (ScriptError& e) {
        locate(e, line);
        throw;
    } catch (const HostError& e) {
        ScriptError located(e.what());
        locate(located, line);
        throw located;
    } catch (const std::bad_alloc&) {
        ScriptError located("out of memory");
        locate(located, line);
        throw located;
    }
}

Evaluator::Flow Evaluator::exec(const Stmt& st) {
    try {
        step(st.line);
        return execInner(st);
    } catch (...) {
        rethrowLocated(st.line);
    }
}

Evaluator::Flow Evaluator::execBlock(const std::vector<StmtPtr>& body, std::size_t from) {
    for (std::size_t i = from; i < body.size(); ++i) {
        Flow f = exec(*body[i]);
        if (f != Flow::Normal) return f;
    }
    return Flow::Normal;
}

// Like call(), the statement dispatch stays small: values live in helpers.
Evaluator::Flow Evaluator::execInner(const Stmt& st) {
    switch (st.kind) {
    case Stmt::Kind::Empty:
        return Flow::Normal;
    case Stmt::Kind::Expr:
        evalStatement(st);
        return Flow::Normal;
    case Stmt::Kind::Decl:
        declare(st);
        return Flow::Normal;
    case Stmt::Kind::Block:
        return execScoped(st.body);
    case Stmt::Kind::If:
        if (condition(*st.expr, st.line)) return exec(*st.then);
        return st.otherwise ? exec(*st.otherwise) : Flow::Normal;
    case Stmt::Kind::While:
        while (condition(*st.expr, st.line)) {
            Flow f = exec(*st.then);
            if (f == Flow::Break) break;
            if (f == Flow::Return) return f;
        }
        return Flow::Normal;
    case Stmt::Kind::DoWhile:
        do {
            Flow f = exec(*st.then);
            if (f == Flow::Break) break;
            if (f == Flow::Return) return f;
        } while (condition(*st.expr, st.line));
        return Flow::Normal;
    case Stmt::Kind::For:
        return execFor(st);
    case Stmt::Kind::ForIn:
        return execForIn(st);
    case Stmt::Kind::Switch:
        return execSwitch(st);
    case Stmt::Kind::Break:
        return Flow::Break;
    case Stmt::Kind::Continue:
        return Flow::Continue;
    case Stmt::Kind::Return:
        setReturned(st);
        return Flow::Return;
    }
    return Flow::Normal;
}

void Evaluator::evalStatement(const Stmt& st) {
    if (st.expr->kind == Expr::Kind::Call)
        call(*st.expr->call, nullptr);
    else
        eval(*st.expr);
}

Evaluator::Flow Evaluator::execScoped(const std::vector<StmtPtr>& body) {
    ScopeGuard scope(*this);
    return execBlock(body);
}

bool Evaluator::condition(const Expr& e, int line) { return truth(eval(e), line); }

void Evaluator::setReturned(const Stmt& st) { returned_ = st.expr ? eval(*st.expr) : MelValue(); }

// A for loop opens no scope: a loop variable it declares, as MEL's implicit
// declarations do, stays for the statements after it.
Evaluator::Flow Evaluator::execFor(const Stmt& st) {
    for (const StmtPtr& init : st.body) exec(*init);
    for (;;) {
        if (st.expr && !condition(*st.expr, st.line)) break;
        Flow f = exec(*st.then);
        if (f == Flow::Break) break;
        if (f == Flow::Return) return f;
        for (const ExprPtr& e : st.step) eval(*e);
    }
    return Flow::Normal;
}

Evaluator::Flow Evaluator::execForIn(const Stmt& st) {
    const MelValue items = eval(*st.expr);
    if (!items.isArray())
        throw HostError("type mismatch: for (... in ...) needs an array, not " + typeNameOf(items));
    Slot* var = nullptr;
    if (st.declares) {
        var = &declareLocal(st.name, st.type, st.line);
    } else {
        var = find(st.name);
        if (!var) var = &declareLocal(st.name, Type{items.type().base, false}, st.line);
    }
    if (var->type.array)
        throw HostError("type mismatch: the loop variable $" + st.name + " is " + typeName(var->type) +
                        ", not one element");
    for (std::size_t i = 0; i < items.size(); ++i) {
        var->value = convertTo(items.at(i), var->type, "$" + st.name);
        Flow f = exec(*st.then);
        if (f == Flow::Break) break;
        if (f == Flow::Return) return f;
    }
    return Flow::Normal;
}

Evaluator::Flow Evaluator::execSwitch(const Stmt& st) {
    const MelValue subject = eval(*st.expr);
    const SwitchCase* chosen = nullptr;
    for (const SwitchCase& c : st.cases) {
        if (!c.value) continue;
        MelValue v = eval(*c.value);
        if (truth(binaryOp("==", subject, v, limits.maxStringSize), c.line)) {
            chosen = &c;
            break;
        }
    }
    if (!chosen)
        for (const SwitchCase& c : st.cases)
            if (!c.value) chosen = &c;
    if (!chosen) return Flow::Normal;
    // From the chosen case to a break or the end: the cases below run too.
    ScopeGuard scope(*this);
    Flow f = execBlock(st.body, chosen->first);
    return f == Flow::Break ? Flow::Normal : f;
}

SlotPtr* Evaluator::findShared(const std::string& name) {
    Frame& f = frame();
    for (auto s = f.scopes.rbegin(); s != f.scopes.rend(); ++s)
        for (auto& [n, slot] : *s)
            if (n == name) return &slot;
    if (f.topLevel)
        for (auto& [n, slot] : top_)
            if (n == name) return &slot;
    return nullptr;
}

Slot* Evaluator::find(const std::string& name) {
    SlotPtr* s = findShared(name);
    return s ? s->get() : nullptr;
}

Slot& Evaluator::lookup(const std::string& name, int) {
    if (Slot* s = find(name)) return *s;
    throw HostError("\"$" + name + "\" is an undeclared variable");
}

Slot& Evaluator::declareLocal(const std::string& name, Type type, int) {
    Frame& f = frame();
    // The top-level text declares into the scope all top-level texts share.
    Scope& scope = f.topLevel && f.scopes.size() == 1 ? top_ : f.scopes.back();
    for (auto& [n, slot] : scope) {
        if (n != name) continue;
        if (slot->type != type)
            throw HostError("$" + name + " is already declared as " + typeName(slot->type) +
                            "; it cannot be declared again as " + typeName(type));
        slot->value = MelValue::zero(type);
        return *slot;
    }
    scope.emplace_back(name, std::make_shared<Slot>(Slot{type, MelValue::zero(type)}));
    return *scope.back().second;
}

void Evaluator::declare(const Stmt& st) {
    for (const Declarator& d : st.decls) {
        Type type{st.type.base, d.array};
        std::size_t size = 0;
        if (d.size) {
            int n = asInt(eval(*d.size), "the size of $" + d.name);
            if (n < 0)
                throw HostError("$" + d.name + ": an array size cannot be negative (" + std::to_string(n) +
                                ")");
            checkArraySize(static_cast<std::size_t>(n));
            size = static_cast<std::size_t>(n);
        }
        if (st.global) {
            auto it = globals_.find(d.name);
            if (it != globals_.end() && it->second->type != type)
                throw HostError("global $" + d.name + " is already declared as " +
                                typeName(it->second->type) + "; it cannot be declared again as " +
                                typeName(type));
            if (it == globals_.end()) {
                // A global is set up once: a later declaration (another
                // script, the next call of a procedure) shares its value.
                auto slot = std::make_shared<Slot>(Slot{type, MelValue::zero(type)});
                if (size) slot->value.resize(size);
                if (d.init) slot->value = convertTo(eval(*d.init), type, "$" + d.name);
                it = globals_.emplace(d.name, std::move(slot)).first;
            }
            Frame& f = frame();
            Scope& scope = f.topLevel && f.scopes.size() == 1 ? top_ : f.scopes.back();
            bool bound = false;
            for (auto& [n, slot] : scope)
                if (n == d.name) {
                    if (slot != it->second && slot->type != type)
                        throw HostError("$" + d.name + " is already declared as " + typeName(slot->type) +
                                        "; it cannot be declared again as global " + typeName(type));
                    slot = it->second;
                    bound = true;
                }
            if (!bound) scope.emplace_back(d.name, it->second);
            continue;
        }
        MelValue init = d.init ? convertTo(eval(*d.init), type, "$" + d.name) : MelValue::zero(type);
        if (size && init.size() < size) init.resize(size);
        declareLocal(d.name, type, d.line).value = std::move(init);
    }
}

void Evaluator::topLevel(const Unit& unit, const Stmt& st, std::string* shown, bool* hasShown) {
    FrameGuard guard(*this, &unit, true);
    *hasShown = false;
    const bool quiet = st.kind != Stmt::Kind::Expr || st.expr->kind == Expr::Kind::Assign ||
                       st.expr->kind == Expr::Kind::PreIncr || st.expr->kind == Expr::Kind::PostIncr;
    if (quiet) {
        exec(st);
        return;
    }
    Value raw;
    MelValue v;
    try {
        step(st.line);
        v = statementValue(st, &raw);
    } catch (...) {
        rethrowLocated(st.line);
    }
    if (raw.kind != Value::Kind::None) {
        *shown = raw.text();
        *hasShown = true;
    } else if (!v.isNone()) {
        *shown = resultText(v);
        *hasShown = true;
    }
}

MelValue Evaluator::statementValue(const Stmt& st, Value* raw) {
    if (st.expr->kind == Expr::Kind::Call) return call(*st.expr->call, raw);
    return eval(*st.expr);
}

MelValue Evaluator::runText(const Unit& unit, Value* raw, const std::string& label) {
    if (callDepth_ >= limits.maxCallDepth) tooDeep("eval and procedure calls", "");
    struct Depth {
        int& d;
        explicit Depth(int& d) : d(d) { ++d; }
        ~Depth() { --d; }
    } depth(callDepth_);
    FrameGuard guard(*this, &unit, true);
    MelValue last;
    for (const StmtPtr& st : unit.statements) {
        last = MelValue();
        if (raw) *raw = Value::none();
        try {
            if (st->kind == Stmt::Kind::Expr) {
                step(st->line);
                last = statementValue(*st, raw);
            } else {
                exec(*st);
            }
        } catch (ScriptAbort&) {
            throw;
        } catch (const HostError& e) {
            // Nested text has its own line numbers; say where when there are several.
            if (unit.statements.size() > 1)
                throw HostError(std::string(e.what()) + " (in " + label + ", line " +
                                std::to_string(st->line) + ")");
            throw;
        }
    }
    return last;
}

}  // namespace rdhost::cmd
