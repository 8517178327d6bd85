// Expressions: values of variables, operators, assignments.
#include "command/evaluator.h"

namespace rdhost::cmd {

namespace {

MelValue component(const MelValue& v, const std::string& name) {
    if (v.isNone() || v.isArray() || v.type().base != BaseType::Vector)
        throw HostError("type mismatch: '." + name + "' needs a vector, not " + typeNameOf(v));
    return MelValue::ofFloat(name == "x" ? v.v().x : name == "y" ? v.v().y : v.v().z);
}

std::string outOfRange(int i, const std::string& what, std::size_t size) {
    return "index " + std::to_string(i) + " is out of range for " + what +
           (size == 0
                ? " (it is empty)"
                : " (size " + std::to_string(size) + ", indices 0 to " + std::to_string(size - 1) + ")");
}

}  // namespace

std::string Evaluator::describe(const Expr& e) const {
    if (e.kind == Expr::Kind::Var) return "$" + e.name;
    if (e.kind == Expr::Kind::Index) return describe(*e.kids[0]) + "[...]";
    return "the value";
}

bool Evaluator::truth(const MelValue& v, int) {
    if (!v.isNone() && !v.isArray()) {
        if (v.type().base == BaseType::Int) return v.i() != 0;
        if (v.type().base == BaseType::Float) return v.f() != 0;
    }
    throw HostError("type mismatch: a condition needs an int or a float, not " + typeNameOf(v) +
                    (v.isArray() ? " (use size())" : " (compare it, as in $s != \"\")"));
}

const MelValue* Evaluator::peek(const Expr& e) {
    if (e.kind == Expr::Kind::Var) return &lookup(e.name, e.line).value;
    return nullptr;
}

// The dispatch keeps a small frame (deep expressions and recursive
// procedures pass through it); operators work in helpers.
MelValue Evaluator::eval(const Expr& e) {
    checkStack();
    switch (e.kind) {
    case Expr::Kind::Int:
        return MelValue::ofInt(e.ival);
    case Expr::Kind::Float:
        return MelValue::ofFloat(e.fval);
    case Expr::Kind::String:
        return MelValue::ofString(e.sval);
    case Expr::Kind::Var:
        return lookup(e.name, e.line).value;
    case Expr::Kind::Index:
        return index(e);
    case Expr::Kind::Array:
        return arrayLiteral(e);
    case Expr::Kind::Assign:
        return assign(e);
    case Expr::Kind::PreIncr:
    case Expr::Kind::PostIncr:
        return increment(e);
    case Expr::Kind::Call:
        return call(*e.call, nullptr);
    default:
        return operation(e);
    }
}

MelValue Evaluator::operation(const Expr& e) {
    switch (e.kind) {
    case Expr::Kind::Component: {
        if (const MelValue* v = peek(*e.kids[0])) return component(*v, e.name);
        return component(eval(*e.kids[0]), e.name);
    }
    case Expr::Kind::Vector: {
        double c[3];
        for (int k = 0; k < 3; ++k) c[k] = asFloat(eval(*e.kids[k]), "a vector component");
        return MelValue::ofVector({c[0], c[1], c[2]});
    }
    case Expr::Kind::Unary:
        return unaryOp(e.op, eval(*e.kids[0]));
    case Expr::Kind::Binary: {
        MelValue a = eval(*e.kids[0]);
        return binaryOp(e.op, a, eval(*e.kids[1]), limits.maxStringSize);
    }
    case Expr::Kind::And:
        return MelValue::ofInt(condition(*e.kids[0], e.line) && condition(*e.kids[1], e.line));
    case Expr::Kind::Or:
        return MelValue::ofInt(condition(*e.kids[0], e.line) || condition(*e.kids[1], e.line));
    case Expr::Kind::Ternary:
        return condition(*e.kids[0], e.line) ? eval(*e.kids[1]) : eval(*e.kids[2]);
    case Expr::Kind::Cast:
        return convertTo(eval(*e.kids[0]), e.type, "(" + typeName(e.type) + ")");
    default:
        return {};
    }
}

MelValue Evaluator::index(const Expr& e) {
    const int i = asInt(eval(*e.kids[1]), "an array index");
    MelValue held;
    const MelValue* base = peek(*e.kids[0]);
    if (!base) {
        held = eval(*e.kids[0]);
        base = &held;
    }
    if (!base->isArray())
        throw HostError("type mismatch: " + describe(*e.kids[0]) + " is " + typeNameOf(*base) +
                        ", not an array");
    if (i < 0 || static_cast<std::size_t>(i) >= base->size())
        throw HostError(outOfRange(i, describe(*e.kids[0]), base->size()));
    return base->at(static_cast<std::size_t>(i));
}

MelValue Evaluator::assign(const Expr& e) {
    const Expr& target = *e.kids[0];
    MelValue rhs = eval(*e.kids[1]);
    const std::string op = e.op.substr(0, 1);  // "+" of "+=", "=" of "="
    if (target.kind == Expr::Kind::Var) {
        Slot* s = find(target.name);
        if (!s) {
            if (e.op != "=") lookup(target.name, e.line);  // undeclared
            if (rhs.isNone())
                throw HostError("$" + target.name +
                                " has no type to take from a command that returns nothing; "
                                "declare it first");
            s = &declareLocal(target.name, rhs.type(), e.line);
        }
        if (e.op != "=") rhs = binaryOp(op, s->value, rhs, limits.maxStringSize);
        s->value = convertTo(rhs, s->type, "$" + target.name);
        return s->value;
    }
    // $array[index]
    const std::string& name = target.kids[0]->name;
    const int i = asInt(eval(*target.kids[1]), "an array index");
    Slot* s = find(name);
    if (!s) {
        if (e.op != "=") lookup(name, e.line);
        if (rhs.isNone() || rhs.isArray())
            throw HostError("type mismatch: cannot make $" + name + " an array of " + typeNameOf(rhs));
        s = &declareLocal(name, Type{rhs.type().base, true}, e.line);
    }
    if (!s->type.array)
        throw HostError("type mismatch: $" + name + " is " + typeName(s->type) + ", not an array");
    if (i < 0) throw HostError("index " + std::to_string(i) + " is negative (for $" + name + ")");
    checkArraySize(static_cast<std::size_t>(i) + 1);
    if (e.op != "=") {
        if (static_cast<std::size_t>(i) >= s->value.size())
            throw HostError(outOfRange(i, "$" + name, s->value.size()));
        rhs = binaryOp(op, s->value.at(static_cast<std::size_t>(i)), rhs, limits.maxStringSize);
    }
    if (rhs.isArray())
        throw HostError("type mismatch: an element of $" + name + " cannot hold " + typeNameOf(rhs));
    s->value.put(static_cast<std::size_t>(i), rhs);
    return s->value.at(static_cast<std::size_t>(i));
}

MelValue Evaluator::increment(const Expr& e) {
    const Expr& target = *e.kids[0];
    const int delta = e.op == "++" ? 1 : -1;
    auto step = [&](const MelValue& v, const std::string& what) {
        if (!v.isNone() && !v.isArray() && v.type().base == BaseType::Int)
            return MelValue::ofInt(wrapInt(static_cast<long long>(v.i()) + delta));
        if (!v.isNone() && !v.isArray() && v.type().base == BaseType::Float)
            return MelValue::ofFloat(v.f() + delta);
        throw HostError("type mismatch: '" + e.op + "' needs an int or a float, not " + what + " (" +
                        typeNameOf(v) + ")");
    };
    if (target.kind == Expr::Kind::Var) {
        Slot& s = lookup(target.name, e.line);
        MelValue before = s.value;
        s.value = step(before, "$" + target.name);
        return e.kind == Expr::Kind::PreIncr ? s.value : before;
    }
    const std::string& name = target.kids[0]->name;
    const int i = asInt(eval(*target.kids[1]), "an array index");
    Slot& s = lookup(name, e.line);
    if (!s.type.array)
        throw HostError("type mismatch: $" + name + " is " + typeName(s.type) + ", not an array");
    if (i < 0 || static_cast<std::size_t>(i) >= s.value.size())
        throw HostError(outOfRange(i, "$" + name, s.value.size()));
    MelValue before = s.value.at(static_cast<std::size_t>(i));
    MelValue after = step(before, "an element of $" + name);
    s.value.put(static_cast<std::size_t>(i), after);
    return e.kind == Expr::Kind::PreIncr ? after : before;
}

// {a, b, c}: an array of the widest element type (string over vector over
// float over int).
MelValue Evaluator::arrayLiteral(const Expr& e) {
    std::vector<MelValue> items;
    items.reserve(e.kids.size());
    int rank = 0;
    for (const ExprPtr& k : e.kids) {
        items.push_back(eval(*k));
        const MelValue& v = items.back();
        if (v.isNone() || v.isArray())
            throw HostError("type mismatch: an array cannot hold " + typeNameOf(v) + " as an element");
        switch (v.type().base) {
        case BaseType::Int:
            break;
        case BaseType::Float:
            rank = std::max(rank, 1);
            break;
        case BaseType::Vector:
            rank = std::max(rank, 2);
            break;
        case BaseType::String:
            rank = 3;
            break;
        }
    }
    static const BaseType bases[] = {BaseType::Int, BaseType::Float, BaseType::Vector, BaseType::String};
    MelValue out = MelValue::zero(Type{bases[rank], true});
    out.resize(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) out.put(i, items[i]);
    return out;
}

}  // namespace rdhost::cmd
