// Statements of a Maya ASCII file, one at a time, each with its verbatim text.
//
// A scene file is MEL restricted to plain statements, but the reader must be
// able to write back what it does not understand exactly as it was, so every
// statement keeps its source text (from the command name to the ';'). Beyond
// the script lexer this accepts what the host itself writes into scene files:
// long strings split over lines as "..." + "...", and any run of printable
// characters as a bare word (component data such as "f 4 0 2 -4 -2").
//
// Damage is reported as cmd::SyntaxError naming the line: a string or comment
// left open, a control character, a statement that does not start with a
// command name, the last statement without its ';' (a truncated file).
// Statements before the damage have been handed out already.
#pragma once

#include "command/lexer.h"
#include "command/statement.h"

#include <string>

namespace rdhost::ma {

struct MaStatement {
    std::string text;  // verbatim, from the command name through the ';'
    int line = 1;      // line of the command name
    cmd::Statement parsed;
};

class StatementReader {
public:
    // A UTF-8 byte order mark, which some editors add, is skipped.
    explicit StatementReader(const std::string& source)
        : s_(source), i_(source.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0) {}

    // The next statement; false at the end of the file. Throws cmd::SyntaxError.
    bool next(MaStatement& out);

    int line() const { return line_; }

private:
    char peek(std::size_t k = 0) const { return i_ + k < s_.size() ? s_[i_ + k] : '\0'; }
    void skipBlanksAndComments();
    std::string readString();
    cmd::Arg word(const std::string& text) const;

    const std::string& s_;
    std::size_t i_;
    int line_ = 1;
};

}  // namespace rdhost::ma
