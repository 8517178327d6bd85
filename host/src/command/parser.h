// Statements of the MEL subset: a command name followed by flags and
// arguments, ended by ';' (the last statement of a text may omit it).
//
// The parser does not know the commands: which following items belong to a
// flag is settled when the statement is bound to its CommandDef (bind()),
// because only the flag table says how many arguments a flag takes.
#pragma once

#include "command/lexer.h"
#include "command/registry.h"

#include <string>
#include <vector>

namespace rdhost::cmd {

struct Item {
    bool isFlag = false;
    std::string flag;  // flag name as written, without '-'
    Arg arg;           // when !isFlag
    int line = 1;
};

struct Statement {
    std::string command;
    std::vector<Item> items;
    int line = 1;
};

// Throws SyntaxError (unterminated string or comment, a statement that does not
// start with a command name).
std::vector<Statement> parseScript(const std::string& text, int firstLine = 1);

// Matches the items against the command's flag table, filling inv.flags (by long
// name) and inv.args. Throws HostError naming an unknown flag or a flag short of
// arguments. When the command has a -query flag and it is given, the other
// flags take no arguments.
void bind(const Statement& st, const CommandDef& def, Invocation& inv);

}  // namespace rdhost::cmd
