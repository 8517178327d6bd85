// One command invocation as the registry runs it: a command name followed by
// flags and arguments whose values are known. Scripts build one per command
// call after evaluating its arguments; the scene file reader builds them
// straight from a file's statements.
//
// Which items belong to a flag is settled when the statement is bound to its
// CommandDef (bind()), because only the flag table says how many arguments a
// flag takes.
#pragma once

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

// Matches the items against the command's flag table, filling inv.flags (by long
// name) and inv.args. Throws HostError naming an unknown flag or a flag short of
// arguments. When the command has a -query flag and it is given, the other
// flags take no arguments.
void bind(const Statement& st, const CommandDef& def, Invocation& inv);

}  // namespace rdhost::cmd
