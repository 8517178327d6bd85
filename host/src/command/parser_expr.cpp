// Expressions, in MEL's precedence (lowest first):
//   = += -= *= /=    (right to left)
//   ?:
//   ||
//   &&
//   == !=
//   < <= > >=
//   + -
//   * / % ^
//   ! - + ++ -- (type)   (prefix)
//   [] .x ++ --          (postfix)
// and calls in both syntaxes.
#include "command/parser_impl.h"

#include <cctype>
#include <climits>

namespace rdhost::cmd {

namespace {

int levelOf(const Token& t) {
    if (t.kind != Token::Kind::Op) return -1;
    const std::string& o = t.text;
    if (o == "||") return 1;
    if (o == "&&") return 2;
    if (o == "==" || o == "!=") return 3;
    if (o == "<" || o == "<=" || o == ">" || o == ">=") return 4;
    if (o == "+" || o == "-") return 5;
    if (o == "*" || o == "/" || o == "%" || o == "^") return 6;
    return -1;
}

bool isAssignment(const Token& t) {
    return t.is("=") || t.is("+=") || t.is("-=") || t.is("*=") || t.is("/=");
}

bool isLvalue(const Expr& e) {
    return e.kind == Expr::Kind::Var || (e.kind == Expr::Kind::Index && e.kids[0]->kind == Expr::Kind::Var);
}

void needLvalue(const Expr& e, const Token& op) {
    if (isLvalue(e)) return;
    if (e.kind == Expr::Kind::Component)
        throw SyntaxError(op.line,
                          "a vector's component cannot be set on its own; assign the whole vector "
                          "(<<x, y, z>>)");
    throw SyntaxError(op.line,
                      "syntax error: '" + op.text + "' needs a variable or an array element on its left");
}

Arg literalArg(const Token& t) {
    Arg a;
    a.text = t.text;
    a.number = t.number;
    a.integral = t.integral;
    switch (t.kind) {
    case Token::Kind::String:
        a.kind = Arg::Kind::String;
        break;
    case Token::Kind::Number:
        a.kind = Arg::Kind::Number;
        break;
    case Token::Kind::Bool:
        a.kind = Arg::Kind::Bool;
        break;
    default:
        a.kind = Arg::Kind::Word;
        break;
    }
    return a;
}

bool isAlpha(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

bool isIdentifier(const std::string& w) {
    if (w.empty() || !(isAlpha(w[0]) || w[0] == '_')) return false;
    for (char c : w)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
    return true;
}
bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Each operator of a chain (a + b + c..., $a[0][1]...) is one more level of
// the tree the evaluator walks and frees recursively.
constexpr int kMaxChain = 1000;

[[noreturn]] void tooLong(const Token& t) {
    throw SyntaxError(t.line, "an expression of more than " + std::to_string(kMaxChain) +
                                  " operators in a row; split it into several statements");
}

}  // namespace

ExprPtr Parser::expression(ExprPtr first) {
    ExprPtr lhs = ternary(std::move(first));
    Token t = sc_.peek();
    if (!isAssignment(t)) return lhs;
    needLvalue(*lhs, t);
    sc_.next();
    Nest nest(*this, t.line);
    auto e = makeExpr(Expr::Kind::Assign, t.line);
    e->op = t.text;
    e->kids.push_back(std::move(lhs));
    e->kids.push_back(expression());
    return e;
}

ExprPtr Parser::ternary(ExprPtr first) {
    ExprPtr cond = binary(1, first ? std::move(first) : unary());
    Token q = sc_.peek();
    if (!q.is("?")) return cond;
    sc_.next();
    Nest nest(*this, q.line);
    auto e = makeExpr(Expr::Kind::Ternary, q.line);
    e->kids.push_back(std::move(cond));
    e->kids.push_back(expression());
    expect(":", "':' of the ?: operator");
    e->kids.push_back(ternary(nullptr));
    return e;
}

ExprPtr Parser::binary(int minLevel, ExprPtr lhs) {
    for (int chain = 0;; ++chain) {
        Token op = sc_.peek();
        int level = levelOf(op);
        if (level < minLevel) return lhs;
        if (chain >= kMaxChain) tooLong(op);
        sc_.next();
        Nest nest(*this, op.line);
        ExprPtr rhs = unary();
        while (levelOf(sc_.peek()) > level) rhs = binary(level + 1, std::move(rhs));
        Expr::Kind kind = op.is("&&") ? Expr::Kind::And : op.is("||") ? Expr::Kind::Or : Expr::Kind::Binary;
        auto e = makeExpr(kind, op.line);
        e->op = op.text;
        e->kids.push_back(std::move(lhs));
        e->kids.push_back(std::move(rhs));
        lhs = std::move(e);
    }
}

ExprPtr Parser::unary() {
    Token t = sc_.peek();
    Nest nest(*this, t.line);
    if (t.is("!") || t.is("-") || t.is("+")) {
        sc_.next();
        auto e = makeExpr(Expr::Kind::Unary, t.line);
        e->op = t.text;
        e->kids.push_back(unary());
        return e;
    }
    if (t.is("++") || t.is("--")) {
        sc_.next();
        ExprPtr target = unary();
        needLvalue(*target, t);
        auto e = makeExpr(Expr::Kind::PreIncr, t.line);
        e->op = t.text;
        e->kids.push_back(std::move(target));
        return e;
    }
    if (t.is("(")) {
        // (type) value
        Scanner::Mark m = sc_.mark();
        sc_.next();
        Token type = sc_.next();
        if (type.kind == Token::Kind::Ident && isTypeName(type.text) && sc_.peek().is(")")) {
            sc_.next();
            if (type.text == "matrix") throw SyntaxError(type.line, "matrix values are not supported");
            auto e = makeExpr(Expr::Kind::Cast, t.line);
            e->type = typeOf(type.text);
            e->kids.push_back(unary());
            return e;
        }
        sc_.reset(m);
    }
    return postfix(primary());
}

ExprPtr Parser::postfix(ExprPtr e) {
    for (int chain = 0;; ++chain) {
        Token t = sc_.peek();
        if (chain >= kMaxChain) tooLong(t);
        if (t.is("[")) {
            sc_.next();
            Nest nest(*this, t.line);
            auto ix = makeExpr(Expr::Kind::Index, t.line);
            ix->kids.push_back(std::move(e));
            ix->kids.push_back(expression());
            expect("]", "']'");
            e = std::move(ix);
        } else if (t.is(".") && !t.spaced) {
            sc_.next();
            Token c = sc_.next();
            if (c.kind != Token::Kind::Ident || (c.text != "x" && c.text != "y" && c.text != "z"))
                fail(c, "x, y or z after '.'");
            auto comp = makeExpr(Expr::Kind::Component, t.line);
            comp->name = c.text;
            comp->kids.push_back(std::move(e));
            e = std::move(comp);
        } else if (t.is("++") || t.is("--")) {
            needLvalue(*e, t);
            sc_.next();
            auto inc = makeExpr(Expr::Kind::PostIncr, t.line);
            inc->op = t.text;
            inc->kids.push_back(std::move(e));
            e = std::move(inc);
        } else {
            return e;
        }
    }
}

ExprPtr Parser::primary() {
    Token t = sc_.next();
    switch (t.kind) {
    case Token::Kind::Number: {
        if (t.integral && t.number <= INT_MAX) {
            auto e = makeExpr(Expr::Kind::Int, t.line);
            e->ival = static_cast<int>(t.number);
            return e;
        }
        auto e = makeExpr(Expr::Kind::Float, t.line);
        e->fval = t.number;
        return e;
    }
    case Token::Kind::String: {
        auto e = makeExpr(Expr::Kind::String, t.line);
        e->sval = t.text;
        return e;
    }
    case Token::Kind::Var: {
        auto e = makeExpr(Expr::Kind::Var, t.line);
        e->name = t.text;
        return e;
    }
    case Token::Kind::Ident:
        return identifier(t);
    default:
        break;
    }
    if (t.is("(")) {
        ExprPtr e = expression();
        expect(")", "')'");
        return e;
    }
    if (t.is("<<")) return vectorLiteral(t);
    if (t.is("{")) return arrayLiteral(t);
    if (t.is("`")) return backquote(t);
    fail(t, "a value");
}

ExprPtr Parser::vectorLiteral(const Token& open) {
    auto e = makeExpr(Expr::Kind::Vector, open.line);
    for (int k = 0; k < 3; ++k) {
        if (k > 0) expect(",", "',' between the three components of a vector");
        e->kids.push_back(ternary(nullptr));
    }
    expect(">>", "'>>' after the three components of a vector");
    return e;
}

ExprPtr Parser::arrayLiteral(const Token& open) {
    auto e = makeExpr(Expr::Kind::Array, open.line);
    if (accept("}")) return e;
    do e->kids.push_back(expression());
    while (accept(","));
    expect("}", "'}' to close the array");
    return e;
}

ExprPtr Parser::backquote(const Token& open) {
    Token name = sc_.next();
    if (name.kind != Token::Kind::Ident || isKeyword(name.text)) fail(name, "a command name after '`'");
    ++backquotes_;
    auto c = call(name, true);
    --backquotes_;
    Token close = sc_.next();
    if (!close.is("`")) fail(close, "'`' to close the command opened on line " + std::to_string(open.line));
    auto e = makeExpr(Expr::Kind::Call, name.line);
    e->call = std::move(c);
    return e;
}

ExprPtr Parser::identifier(const Token& t) {
    const std::string& w = t.text;
    if (w == "true" || w == "on" || w == "yes" || w == "false" || w == "off" || w == "no") {
        auto e = makeExpr(Expr::Kind::Int, t.line);
        e->ival = (w == "true" || w == "on" || w == "yes") ? 1 : 0;
        return e;
    }
    if (sc_.peekChar() != '(')
        throw SyntaxError(t.line, "syntax error: '" + clipInput(w) +
                                      "' in an expression needs its arguments in "
                                      "parentheses (" +
                                      clipInput(w) + "(...)) or the command in backquotes (`" + clipInput(w) +
                                      " ...`)");
    if (isTypeName(w)) {
        if (w == "matrix") throw SyntaxError(t.line, "matrix values are not supported");
        sc_.next();
        auto e = makeExpr(Expr::Kind::Cast, t.line);
        e->type = typeOf(w);
        e->kids.push_back(expression());
        expect(")", "')'");
        return e;
    }
    if (isKeyword(w)) fail(t, "a value");
    auto e = makeExpr(Expr::Kind::Call, t.line);
    e->call = call(t, false);
    return e;
}

// After name(one expression) with a blank and then something that starts an
// argument, the parentheses held the first argument of command syntax:
//   setAttr ($node + ".tx") 2;
bool Parser::continuesAsCommand() {
    bool spaced = false;
    char c = sc_.peekChar(&spaced);
    if (!spaced) return false;
    char c1 = sc_.peekChar(nullptr, 1);
    if (c == '`') return backquotes_ == 0;  // inside backquotes, one closes them
    if (c == '"' || c == '$' || c == '(' || c == '{' || c == '|' || c == '_' || isAlpha(c) || isDigit(c))
        return true;
    if (c == '-' && (isAlpha(c1) || isDigit(c1) || c1 == '.')) return true;
    if ((c == '+' || c == '.') && (isDigit(c1) || c1 == '.')) return true;
    return false;
}

std::unique_ptr<Call> Parser::call(const Token& name, bool commandAllowed) {
    auto c = std::make_unique<Call>();
    c->name = name.text;
    c->line = name.line;
    if (sc_.peekChar() != '(') {
        if (!commandAllowed) fail(sc_.peek(), "'(' after " + describeToken(name));
        c->commandSyntax = true;
        commandArgs(*c);
        return c;
    }
    Token open = sc_.next();
    Nest nest(*this, open.line);
    if (!accept(")")) {
        do {
            CallArg a;
            a.line = sc_.peek().line;
            a.expr = expression();
            c->args.push_back(std::move(a));
        } while (accept(","));
        expect(")", "')' or ',' in the arguments");
    }
    if (commandAllowed && c->args.size() == 1 && continuesAsCommand()) {
        c->commandSyntax = true;
        commandArgs(*c);
    }
    return c;
}

void Parser::commandArgs(Call& c) {
    for (;;) {
        Token t = sc_.peekArg();
        if (t.kind == Token::Kind::End || t.is(";") || t.is("}") || (t.is("`") && backquotes_ > 0)) return;
        if (t.is(")") || t.is(","))
            fail(t, "a command argument or ';' (arguments of a command are separated by blanks)");
        sc_.nextArg();
        CallArg a;
        a.line = t.line;
        switch (t.kind) {
        case Token::Kind::Flag:
            a.kind = CallArg::Kind::Flag;
            a.flag = t.text;
            break;
        case Token::Kind::Var:
            a.expr = commandVariable(t);
            break;
        case Token::Kind::Op: {
            Nest nest(*this, t.line);
            if (t.is("(")) {
                a.expr = expression();
                expect(")", "')'");
            } else if (t.is("{")) {
                a.expr = arrayLiteral(t);
            } else {
                a.expr = backquote(t);
            }
            break;
        }
        default: {
            bool glued = false;
            if (t.kind == Token::Kind::Word && isIdentifier(t.text) &&
                (!isKeyword(t.text) || isTypeName(t.text)) && sc_.peekChar(&glued) == '(' && !glued) {
                // print size($a): a call among the arguments, not the word "size"
                Token name = t;
                name.kind = Token::Kind::Ident;
                a.expr = identifier(name);
                break;
            }
            a.kind = CallArg::Kind::Literal;
            a.literal = literalArg(t);
            break;
        }
        }
        c.args.push_back(std::move(a));
    }
}

// $name or $name[index] among command arguments; anything glued to it is a
// mistake worth naming: "setAttr $node.tx 2" reads as two arguments.
ExprPtr Parser::commandVariable(const Token& var) {
    auto e = makeExpr(Expr::Kind::Var, var.line);
    e->name = var.text;
    bool spaced = false;
    char c = sc_.peekChar(&spaced);
    if (!spaced && c == '[') {
        Token open = sc_.next();
        Nest nest(*this, open.line);
        auto ix = makeExpr(Expr::Kind::Index, open.line);
        ix->kids.push_back(std::move(e));
        ix->kids.push_back(expression());
        expect("]", "']'");
        e = std::move(ix);
        c = sc_.peekChar(&spaced);
    }
    if (!spaced && c != '\0' && c != ';' && c != '}' && c != ')' && c != '`' && c != '(')
        throw SyntaxError(var.line,
                          "syntax error: a variable among command arguments stands alone; "
                          "to join it with text write ($" +
                              var.text + " + \"...\")");
    return e;
}

}  // namespace rdhost::cmd
