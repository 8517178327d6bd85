// The parser's inside, shared by its statement half (parser.cpp) and its
// expression and call half (parser_expr.cpp).
#pragma once

#include "command/parser.h"

namespace rdhost::cmd {

class Parser {
public:
    Parser(const std::string& text, int firstLine) : sc_(text, firstLine) {}

    void parse(Unit& unit);

private:
    friend struct Nest;

    // Statements (parser.cpp).
    StmtPtr statement(bool topLevel);
    StmtPtr block();
    StmtPtr declaration(bool global);
    void declarators(Stmt& st);
    StmtPtr ifStatement();
    StmtPtr whileStatement();
    StmtPtr doStatement();
    StmtPtr forStatement();
    StmtPtr switchStatement();
    StmtPtr returnStatement();
    void procedure(bool global, const Token& at);
    StmtPtr callStatement();
    StmtPtr expressionStatement(ExprPtr first);
    StmtPtr loopBody();
    void endStatement();

    // Expressions and calls (parser_expr.cpp). `first` is an operand parsed
    // already (a call at the start of a statement).
    ExprPtr expression(ExprPtr first = nullptr);
    ExprPtr ternary(ExprPtr first);
    ExprPtr binary(int minLevel, ExprPtr lhs);
    ExprPtr unary();
    ExprPtr postfix(ExprPtr e);
    ExprPtr primary();
    ExprPtr vectorLiteral(const Token& open);
    ExprPtr arrayLiteral(const Token& open);
    ExprPtr backquote(const Token& open);
    ExprPtr identifier(const Token& name);
    std::unique_ptr<Call> call(const Token& name, bool commandAllowed);
    bool continuesAsCommand();
    void commandArgs(Call& c);
    ExprPtr commandVariable(const Token& var);

    // Tokens.
    Token expect(const char* op, const char* what);
    bool accept(const char* op);
    [[noreturn]] void fail(const Token& t, const std::string& expected) const;

    Scanner sc_;
    Unit* unit_ = nullptr;
    int nesting_ = 0;
    int loops_ = 0;
    int switches_ = 0;
    int backquotes_ = 0;
    const ProcDef* proc_ = nullptr;
};

// Counts one level of nesting for as long as it lives; too deep is an error.
struct Nest {
    Nest(Parser& p, int line);
    ~Nest() { --p_.nesting_; }
    Nest(const Nest&) = delete;
    Nest& operator=(const Nest&) = delete;

private:
    Parser& p_;
};

bool isTypeName(const std::string& word);
Type typeOf(const std::string& word);
bool isKeyword(const std::string& word);
ExprPtr makeExpr(Expr::Kind kind, int line);
// How a token reads in a message: 'setAttr', "text", '$x', the end of the text.
std::string describeToken(const Token& t);

}  // namespace rdhost::cmd
