// Tokens of the MEL subset the host reads: scripts (-c text, .mel files) and
// Maya ASCII scene files.
//
//   words      createNode  loc1.tx  |group1|loc1  :time1  .ktv[0:2]  *Shape*
//   strings    "text" with \" \\ \n \t escapes, on one line
//   numbers    12  -3  0.7  .5  1e-9  -2.5E+3
//   booleans   yes no on off true false
//   flags      -n  -name  (a '-' followed by a letter)
//   ;          ends a statement
//   comments   // to the end of the line, /* ... */
//
// Every token carries its line. An unterminated string or comment, or a
// character outside the subset, throws SyntaxError naming the line.
#pragma once

#include "graph/scene.h"

#include <string>
#include <vector>

namespace rdhost::cmd {

struct SyntaxError : HostError {
    SyntaxError(int line, const std::string& message)
        : HostError(message), line(line) {}
    int line;
};

struct Token {
    enum class Kind { Word, String, Number, Bool, Flag, Semicolon };
    Kind kind = Kind::Word;
    std::string text;       // word, unescaped string, flag name without '-', number as written
    double number = 0.0;    // Number; Bool as 0 or 1
    bool integral = false;  // Number written as an integer
    int line = 1;
};

std::vector<Token> tokenize(const std::string& text, int firstLine = 1);

}  // namespace rdhost::cmd
