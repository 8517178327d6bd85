// The parsed form of a MEL text: expressions, statements, procedures.
//
// A text parses whole into a Unit before anything runs, so a syntax error
// runs nothing. Procedures are taken out of the statement list: a unit
// defines them all when it is loaded, then runs its statements in order.
// Nodes keep their source line for messages; nothing here knows values,
// scopes or commands.
#pragma once

#include "command/registry.h"

#include <memory>
#include <string>
#include <vector>

namespace rdhost::cmd {

enum class BaseType { Int, Float, String, Vector };

struct Type {
    BaseType base = BaseType::Int;
    bool array = false;
    bool operator==(const Type& o) const { return base == o.base && array == o.array; }
    bool operator!=(const Type& o) const { return !(*this == o); }
};

// "int", "float[]", ...
std::string typeName(Type t);

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

// One argument of a call as written.
struct CallArg {
    enum class Kind {
        Literal,  // command syntax: a word, string, number or yes/no, as the old statements had it
        Flag,     // command syntax: -name
        Value,    // an expression: $var, (expr), `cmd`, or any argument of function syntax
    };
    Kind kind = Kind::Value;
    Arg literal;
    std::string flag;
    ExprPtr expr;
    int line = 1;
};

// A call of a procedure, built-in function or command:
//   name arg arg -flag arg;    `name arg ...`     (command syntax)
//   name(expr, expr)                               (function syntax)
struct Call {
    std::string name;
    bool commandSyntax = false;
    std::vector<CallArg> args;
    int line = 1;
};

struct Expr {
    enum class Kind {
        Int,
        Float,
        String,     // literals (ival, fval, sval)
        Var,        // $name (name)
        Index,      // kids[0][kids[1]]
        Component,  // kids[0].x (name is "x", "y" or "z")
        Vector,     // <<kids[0], kids[1], kids[2]>>
        Array,      // {kids...}
        Unary,      // op kids[0]: "-", "+", "!"
        Binary,     // kids[0] op kids[1]: + - * / % ^ < <= > >= == !=
        And,
        Or,       // short-circuit && ||
        Ternary,  // kids[0] ? kids[1] : kids[2]
        Assign,   // kids[0] op kids[1]: = += -= *= /=
        PreIncr,
        PostIncr,  // ++x --x x++ x-- (op "++" or "--")
        Cast,      // (type) kids[0], type(kids[0])
        Call,      // call
    };
    Kind kind = Kind::Int;
    int line = 1;
    std::string name;  // Var, Component
    std::string op;
    int ival = 0;
    double fval = 0.0;
    std::string sval;
    Type type;
    std::vector<ExprPtr> kids;
    std::unique_ptr<cmd::Call> call;
};

struct Stmt;
using StmtPtr = std::unique_ptr<Stmt>;

struct Declarator {
    std::string name;
    bool array = false;
    ExprPtr size;  // int $a[5]
    ExprPtr init;
    int line = 1;
};

struct SwitchCase {
    ExprPtr value;      // null for default
    std::size_t first;  // index of its first statement in the switch's body
    int line = 1;
};

struct Stmt {
    enum class Kind {
        Empty,
        Expr,     // expr;
        Decl,     // [global] type $a[ = init], $b ...;
        Block,    // { body }
        If,       // if (expr) then [else otherwise]
        While,    // while (expr) then
        DoWhile,  // do then while (expr);
        For,      // for (init; expr; step) then
        ForIn,    // for ([type] $var in expr) then
        Switch,   // switch (expr) { cases over body }
        Break,
        Continue,
        Return,  // return [expr];
    };
    Kind kind = Kind::Empty;
    int line = 1;
    ExprPtr expr;
    std::vector<StmtPtr> body;  // Block, Switch; For: its init statements
    StmtPtr then, otherwise;
    std::vector<ExprPtr> step;      // For
    Type type;                      // Decl; ForIn when it declares its variable
    bool global = false;            // Decl
    bool declares = false;          // ForIn: for (string $x in ...)
    std::string name;               // ForIn: the loop variable
    std::vector<Declarator> decls;  // Decl
    std::vector<SwitchCase> cases;  // Switch
    std::string source;             // a top-level statement's text as written (undo names it so)
};

struct Param {
    Type type;
    std::string name;
};

struct ProcDef {
    std::string name;
    bool global = false;
    bool returns = false;
    Type result;
    std::vector<Param> params;
    std::vector<StmtPtr> body;
    int line = 1;
    std::string file;  // the unit's file, for messages
};

struct Unit {
    std::string file;        // the script's path; "" for -c text
    bool anonymous = false;  // eval or executeCommand text: its errors are placed at the caller
    std::vector<StmtPtr> statements;
    std::vector<std::unique_ptr<ProcDef>> procs;  // in the order written
};

}  // namespace rdhost::cmd
