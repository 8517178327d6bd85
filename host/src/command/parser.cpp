#include "command/parser_impl.h"

#include <set>

namespace rdhost::cmd {

std::string typeName(Type t) {
    const char* base = "int";
    switch (t.base) {
    case BaseType::Int:
        base = "int";
        break;
    case BaseType::Float:
        base = "float";
        break;
    case BaseType::String:
        base = "string";
        break;
    case BaseType::Vector:
        base = "vector";
        break;
    }
    return std::string(base) + (t.array ? "[]" : "");
}

bool isTypeName(const std::string& w) {
    return w == "int" || w == "float" || w == "string" || w == "vector" || w == "matrix";
}

Type typeOf(const std::string& w) {
    Type t;
    if (w == "float") t.base = BaseType::Float;
    if (w == "string") t.base = BaseType::String;
    if (w == "vector") t.base = BaseType::Vector;
    return t;
}

bool isKeyword(const std::string& w) {
    static const std::set<std::string> words = {
        "if",       "else",   "while", "do",     "for", "in",    "switch", "case",   "default", "break",
        "continue", "return", "proc",  "global", "int", "float", "string", "vector", "matrix"};
    return words.count(w) != 0;
}

ExprPtr makeExpr(Expr::Kind kind, int line) {
    auto e = std::make_unique<Expr>();
    e->kind = kind;
    e->line = line;
    return e;
}

std::string describeToken(const Token& t) {
    switch (t.kind) {
    case Token::Kind::End:
        return "the end of the text";
    case Token::Kind::String:
        return "\"" + clipInput(t.text) + "\"";
    case Token::Kind::Var:
        return "'$" + clipInput(t.text) + "'";
    case Token::Kind::Flag:
        return "'-" + clipInput(t.text) + "'";
    default:
        return "'" + clipInput(t.text) + "'";
    }
}

Nest::Nest(Parser& p, int line) : p_(p) {
    if (++p_.nesting_ > kMaxNesting) {
        --p_.nesting_;
        throw SyntaxError(
            line, "statements or expressions nested deeper than " + std::to_string(kMaxNesting) + " levels");
    }
}

namespace {

StmtPtr makeStmt(Stmt::Kind kind, int line) {
    auto s = std::make_unique<Stmt>();
    s->kind = kind;
    s->line = line;
    return s;
}

// Counts a loop or switch for as long as its body is being read, so break and
// continue know whether they have something to leave.
struct Within {
    int& n;
    explicit Within(int& n) : n(n) { ++n; }
    ~Within() { --n; }
};

}  // namespace

void Parser::fail(const Token& t, const std::string& expected) const {
    throw SyntaxError(t.line, "syntax error: expected " + expected + ", found " + describeToken(t));
}

Token Parser::expect(const char* op, const char* what) {
    Token t = sc_.next();
    if (!t.is(op)) fail(t, what);
    return t;
}

bool Parser::accept(const char* op) {
    if (!sc_.peek().is(op)) return false;
    sc_.next();
    return true;
}

void Parser::endStatement() {
    Token t = sc_.peek();
    if (t.is(";")) {
        sc_.next();
        return;
    }
    // The last statement of a text or a block may go without its ';'.
    if (t.kind == Token::Kind::End || t.is("}")) return;
    fail(t, "';'");
}

void Parser::parse(Unit& unit) {
    unit_ = &unit;
    while (sc_.peek().kind != Token::Kind::End) {
        const std::size_t from = sc_.mark().pos;
        if (StmtPtr s = statement(true)) {
            s->source = sc_.text().substr(from, sc_.mark().pos - from);
            unit.statements.push_back(std::move(s));
        }
    }
}

StmtPtr Parser::statement(bool topLevel) {
    Token t = sc_.peek();
    Nest nest(*this, t.line);
    if (t.is(";")) {
        sc_.next();
        return makeStmt(Stmt::Kind::Empty, t.line);
    }
    if (t.is("{")) return block();
    if (t.kind != Token::Kind::Ident) return expressionStatement(nullptr);
    const std::string& w = t.text;
    if (w == "if") return ifStatement();
    if (w == "while") return whileStatement();
    if (w == "do") return doStatement();
    if (w == "for") return forStatement();
    if (w == "switch") return switchStatement();
    if (w == "return") return returnStatement();
    if (w == "break" || w == "continue") {
        sc_.next();
        if (w == "break" ? loops_ + switches_ == 0 : loops_ == 0)
            throw SyntaxError(t.line, w + " outside a loop" + (w == "break" ? " or switch" : ""));
        endStatement();
        return makeStmt(w == "break" ? Stmt::Kind::Break : Stmt::Kind::Continue, t.line);
    }
    if (w == "proc" || w == "global") {
        sc_.next();
        bool global = w == "global";
        if (global && sc_.peek().kind == Token::Kind::Ident && isTypeName(sc_.peek().text))
            return declaration(true);
        if (global) {
            Token p = sc_.next();
            if (!(p.kind == Token::Kind::Ident && p.text == "proc"))
                fail(p, "'proc' or a type after 'global'");
        }
        if (!topLevel)
            throw SyntaxError(t.line,
                              "a procedure is defined at the top level of a script, not inside a block");
        procedure(global, t);
        return nullptr;
    }
    if (isTypeName(w)) {
        Scanner::Mark m = sc_.mark();
        sc_.next();
        const bool decl = sc_.peek().kind == Token::Kind::Var;
        const bool cast = sc_.peekChar() == '(';  // float($x) / 2;
        sc_.reset(m);
        if (decl) return declaration(false);
        if (cast) return expressionStatement(nullptr);
        fail(t, "a statement");
    }
    if (w == "true" || w == "false" || w == "yes" || w == "no" || w == "on" || w == "off")
        return expressionStatement(nullptr);
    if (w == "else") fail(t, "a statement ('else' without 'if')");
    if (w == "case" || w == "default") fail(t, "a statement ('" + w + "' outside a switch)");
    if (isKeyword(w)) fail(t, "a statement");
    return callStatement();
}

StmtPtr Parser::block() {
    Token open = expect("{", "'{'");
    auto b = makeStmt(Stmt::Kind::Block, open.line);
    for (;;) {
        Token t = sc_.peek();
        if (t.is("}")) break;
        if (t.kind == Token::Kind::End)
            fail(t, "'}' to close the block opened on line " + std::to_string(open.line));
        if (StmtPtr s = statement(false)) b->body.push_back(std::move(s));
    }
    sc_.next();
    return b;
}

StmtPtr Parser::declaration(bool global) {
    Token type = sc_.next();
    if (type.text == "matrix")
        throw SyntaxError(type.line, "matrix variables are not supported (use float arrays or vectors)");
    auto st = makeStmt(Stmt::Kind::Decl, type.line);
    st->global = global;
    st->type = typeOf(type.text);
    declarators(*st);
    endStatement();
    return st;
}

void Parser::declarators(Stmt& st) {
    do {
        Token v = sc_.next();
        if (v.kind != Token::Kind::Var) fail(v, "a variable name ($name)");
        Declarator d;
        d.name = v.text;
        d.line = v.line;
        if (accept("[")) {
            d.array = true;
            if (!sc_.peek().is("]")) d.size = expression();
            expect("]", "']'");
        }
        if (accept("=")) d.init = expression();
        st.decls.push_back(std::move(d));
    } while (accept(","));
}

StmtPtr Parser::loopBody() {
    Within w(loops_);
    return statement(false);
}

StmtPtr Parser::ifStatement() {
    Token kw = sc_.next();
    auto st = makeStmt(Stmt::Kind::If, kw.line);
    expect("(", "'(' after if");
    st->expr = expression();
    expect(")", "')'");
    st->then = statement(false);
    Token e = sc_.peek();
    if (e.kind == Token::Kind::Ident && e.text == "else") {
        sc_.next();
        st->otherwise = statement(false);
    }
    return st;
}

StmtPtr Parser::whileStatement() {
    Token kw = sc_.next();
    auto st = makeStmt(Stmt::Kind::While, kw.line);
    expect("(", "'(' after while");
    st->expr = expression();
    expect(")", "')'");
    st->then = loopBody();
    return st;
}

StmtPtr Parser::doStatement() {
    Token kw = sc_.next();
    auto st = makeStmt(Stmt::Kind::DoWhile, kw.line);
    st->then = loopBody();
    Token w = sc_.next();
    if (!(w.kind == Token::Kind::Ident && w.text == "while")) fail(w, "'while' after the body of do");
    expect("(", "'(' after while");
    st->expr = expression();
    expect(")", "')'");
    endStatement();
    return st;
}

StmtPtr Parser::forStatement() {
    Token kw = sc_.next();
    expect("(", "'(' after for");
    // for ([type] $x in $array) or for (init; condition; step)
    Scanner::Mark m = sc_.mark();
    Token a = sc_.next();
    bool declares = a.kind == Token::Kind::Ident && isTypeName(a.text);
    Token var = declares ? sc_.next() : a;
    Token in = sc_.next();
    if (var.kind == Token::Kind::Var && in.kind == Token::Kind::Ident && in.text == "in") {
        auto st = makeStmt(Stmt::Kind::ForIn, kw.line);
        st->declares = declares;
        if (declares) {
            if (a.text == "matrix") throw SyntaxError(a.line, "matrix variables are not supported");
            st->type = typeOf(a.text);
        }
        st->name = var.text;
        st->expr = expression();
        expect(")", "')'");
        st->then = loopBody();
        return st;
    }
    sc_.reset(m);
    auto st = makeStmt(Stmt::Kind::For, kw.line);
    if (!sc_.peek().is(";")) {
        Token t = sc_.peek();
        if (t.kind == Token::Kind::Ident && isTypeName(t.text)) {
            sc_.next();
            auto d = makeStmt(Stmt::Kind::Decl, t.line);
            d->type = typeOf(t.text);
            declarators(*d);
            st->body.push_back(std::move(d));
        } else {
            do {
                auto e = makeStmt(Stmt::Kind::Expr, t.line);
                e->expr = expression();
                st->body.push_back(std::move(e));
            } while (accept(","));
        }
    }
    expect(";", "';' after the start of the for loop");
    if (!sc_.peek().is(";")) st->expr = expression();
    expect(";", "';' after the condition of the for loop");
    if (!sc_.peek().is(")")) {
        do st->step.push_back(expression());
        while (accept(","));
    }
    expect(")", "')'");
    st->then = loopBody();
    return st;
}

StmtPtr Parser::switchStatement() {
    Token kw = sc_.next();
    auto st = makeStmt(Stmt::Kind::Switch, kw.line);
    expect("(", "'(' after switch");
    st->expr = expression();
    expect(")", "')'");
    expect("{", "'{' to open the cases of the switch");
    Within w(switches_);
    bool hasDefault = false;
    for (;;) {
        Token t = sc_.peek();
        if (t.is("}")) break;
        if (t.kind == Token::Kind::End)
            fail(t, "'}' to close the switch opened on line " + std::to_string(kw.line));
        if (t.kind == Token::Kind::Ident && (t.text == "case" || t.text == "default")) {
            sc_.next();
            SwitchCase c;
            c.line = t.line;
            c.first = st->body.size();
            if (t.text == "case") {
                c.value = expression();
            } else {
                if (hasDefault) throw SyntaxError(t.line, "a switch has one default");
                hasDefault = true;
            }
            expect(":", "':' after the case");
            st->cases.push_back(std::move(c));
            continue;
        }
        if (st->cases.empty()) fail(t, "'case' or 'default'");
        if (StmtPtr s = statement(false)) st->body.push_back(std::move(s));
    }
    sc_.next();
    return st;
}

StmtPtr Parser::returnStatement() {
    Token kw = sc_.next();
    if (!proc_) throw SyntaxError(kw.line, "return outside a procedure");
    auto st = makeStmt(Stmt::Kind::Return, kw.line);
    Token t = sc_.peek();
    bool bare = t.is(";") || t.is("}") || t.kind == Token::Kind::End;
    if (!bare) st->expr = expression();
    if (proc_->returns && bare)
        throw SyntaxError(kw.line, "procedure '" + proc_->name + "' returns " + typeName(proc_->result) +
                                       ": return needs a value");
    if (!proc_->returns && !bare)
        throw SyntaxError(kw.line,
                          "procedure '" + proc_->name + "' has no return type: return cannot give a value");
    endStatement();
    return st;
}

void Parser::procedure(bool global, const Token& at) {
    auto def = std::make_unique<ProcDef>();
    def->global = global;
    def->line = at.line;
    def->file = unit_->file;
    Token t = sc_.next();
    if (t.kind == Token::Kind::Ident && isTypeName(t.text)) {
        if (t.text == "matrix") throw SyntaxError(t.line, "matrix values are not supported");
        def->returns = true;
        def->result = typeOf(t.text);
        if (accept("[")) {
            expect("]", "']'");
            def->result.array = true;
        }
        t = sc_.next();
    }
    if (t.kind != Token::Kind::Ident || isKeyword(t.text)) fail(t, "the procedure's name");
    def->name = t.text;
    expect("(", "'(' after the procedure's name");
    if (!sc_.peek().is(")")) {
        do {
            Token type = sc_.next();
            if (type.kind != Token::Kind::Ident || !isTypeName(type.text) || type.text == "matrix")
                fail(type, "a parameter type (int, float, string or vector)");
            Token name = sc_.next();
            if (name.kind != Token::Kind::Var) fail(name, "a parameter name ($name)");
            Param p{typeOf(type.text), name.text};
            if (accept("[")) {
                expect("]", "']'");
                p.type.array = true;
            }
            for (const Param& q : def->params)
                if (q.name == p.name)
                    throw SyntaxError(name.line,
                                      "procedure '" + def->name + "' has two parameters named $" + p.name);
            def->params.push_back(std::move(p));
        } while (accept(","));
    }
    expect(")", "')'");
    if (!sc_.peek().is("{")) fail(sc_.peek(), "'{' to open the body of procedure '" + def->name + "'");
    proc_ = def.get();
    int loops = loops_, switches = switches_;
    loops_ = switches_ = 0;
    StmtPtr body = block();
    loops_ = loops;
    switches_ = switches;
    proc_ = nullptr;
    def->body = std::move(body->body);
    unit_->procs.push_back(std::move(def));
}

StmtPtr Parser::callStatement() {
    Token name = sc_.next();
    auto c = call(name, true);
    const bool commandSyntax = c->commandSyntax;
    auto e = makeExpr(Expr::Kind::Call, name.line);
    e->call = std::move(c);
    if (!commandSyntax) return expressionStatement(postfix(std::move(e)));  // getAttr("a.tx") + 1;
    auto st = makeStmt(Stmt::Kind::Expr, name.line);
    st->expr = std::move(e);
    endStatement();
    return st;
}

StmtPtr Parser::expressionStatement(ExprPtr first) {
    auto st = makeStmt(Stmt::Kind::Expr, first ? first->line : sc_.peek().line);
    st->expr = expression(std::move(first));
    endStatement();
    return st;
}

std::shared_ptr<Unit> parseUnit(const std::string& text, const std::string& file, bool anonymous,
                                int firstLine) {
    auto unit = std::make_shared<Unit>();
    unit->file = file;
    unit->anonymous = anonymous;
    Parser(text, firstLine).parse(*unit);
    return unit;
}

}  // namespace rdhost::cmd
