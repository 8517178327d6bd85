// Tokens of the MEL the host runs (scripts, -c text, eval, executeCommand).
//
// MEL reads the same characters two ways, so the scanner has two modes and
// the parser asks for the one it needs:
//
//   expressions   $name  ident  12  0x1F  0.5  1e-9  "text"  << >> ++ -- += ...
//   command args  words (loc1.tx  |grp|loc1  :time1  .ktv[0:2]  *Shape*),
//                 signed numbers (-3 .5), yes/no/on/off/true/false, flags
//                 (-n -name), strings, $name, and ( { ` ; } which the parser
//                 takes from there
//
// Both skip blanks, // and /* */ comments, and count lines. Strings are "..."
// on one line with \" \\ \n \t \r escapes (a backslash at the end of a line
// continues the string). Damage (an unterminated string or comment, a
// character outside the language, a malformed number) throws SyntaxError
// naming the line.
#pragma once

#include "graph/scene.h"

#include <cstddef>
#include <string>
#include <vector>

namespace rdhost::cmd {

struct SyntaxError : HostError {
    SyntaxError(int line, const std::string& message) : HostError(message), line(line) {}
    int line;
};

struct Token {
    enum class Kind {
        End,     // no more text
        Ident,   // createNode, if, int, size (expression mode; also a command name)
        Var,     // $name: text is the name without '$'
        Number,  // text as written; number holds it; integral when written as an integer
        String,  // text unescaped
        Op,      // punctuation and operators: ( ) [ ] { } , ; ? : . ` << >> + - ...
        Word,    // command mode: a bare word
        Bool,    // command mode: yes/no/on/off/true/false (number 1 or 0)
        Flag,    // command mode: -name (text without '-')
    };
    Kind kind = Kind::End;
    std::string text;
    double number = 0.0;
    bool integral = false;
    int line = 1;
    bool spaced = false;  // blanks or a comment came before it

    bool is(const char* op) const { return kind == Kind::Op && text == op; }
};

class Scanner {
public:
    explicit Scanner(const std::string& text, int firstLine = 1) : s_(text), line_(firstLine) {}

    Token next();     // expression mode
    Token nextArg();  // command-argument mode

    // A place in the text, to look ahead and come back.
    struct Mark {
        std::size_t pos;
        int line;
    };
    Mark mark() const { return {i_, line_}; }
    const std::string& text() const { return s_; }
    void reset(Mark m) {
        i_ = m.pos;
        line_ = m.line;
    }
    Token peek() {
        Mark m = mark();
        Token t = next();
        reset(m);
        return t;
    }
    Token peekArg() {
        Mark m = mark();
        Token t = nextArg();
        reset(m);
        return t;
    }

    // The next character after blanks and comments ('\0' at the end), and
    // whether blanks or comments came before it. Does not move.
    char peekChar(bool* spaced = nullptr, std::size_t k = 0);
    int line() const { return line_; }

private:
    char at(std::size_t k = 0) const { return i_ + k < s_.size() ? s_[i_ + k] : '\0'; }
    bool skipBlanks();  // true when anything was skipped
    Token make(Token::Kind k, std::string text, bool spaced) const;
    Token string(bool spaced);
    Token number(bool spaced, bool signedForm);

    std::string s_;
    std::size_t i_ = 0;
    int line_;
};

// "'x'" for a printable character, "0x07" otherwise.
std::string describeChar(char c);

}  // namespace rdhost::cmd
