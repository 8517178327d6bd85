#include "command/lexer.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace rdhost::cmd {

namespace {

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool isAlpha(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool isIdentStart(char c) { return isAlpha(c) || c == '_'; }
bool isIdentChar(char c) { return isIdentStart(c) || isDigit(c); }

// Bare words of command arguments: node and plug names, DAG paths, patterns.
bool isWordStart(char c) {
    return isAlpha(c) || c == '_' || c == '.' || c == '|' || c == ':' || c == '*' || c == '[' || c == '/';
}
bool isWordChar(char c) { return isWordStart(c) || isDigit(c) || c == ']' || c == '?'; }

bool isBoolWord(const std::string& w, double& value) {
    if (w == "yes" || w == "on" || w == "true") {
        value = 1;
        return true;
    }
    if (w == "no" || w == "off" || w == "false") {
        value = 0;
        return true;
    }
    return false;
}

// Operators of expressions, longest first.
const char* const kOps2[] = {"<<", ">>", "<=", ">=", "==", "!=", "&&",
                             "||", "++", "--", "+=", "-=", "*=", "/="};
const char kOps1[] = "()[]{},;?:.`+-*/%^<>=!";

}  // namespace

std::string describeChar(char c) {
    if (std::isprint(static_cast<unsigned char>(c))) return std::string("'") + c + "'";
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%02x", static_cast<unsigned char>(c));
    return buf;
}

bool Scanner::skipBlanks() {
    const std::size_t start = i_;
    while (i_ < s_.size()) {
        char c = s_[i_];
        if (c == '\n') {
            ++line_;
            ++i_;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i_;
        } else if (c == '/' && at(1) == '/') {
            while (i_ < s_.size() && s_[i_] != '\n') ++i_;
        } else if (c == '/' && at(1) == '*') {
            int open = line_;
            i_ += 2;
            for (;;) {
                if (i_ >= s_.size())
                    throw SyntaxError(
                        open, "unterminated comment (opened with /* on line " + std::to_string(open) + ")");
                if (s_[i_] == '*' && at(1) == '/') {
                    i_ += 2;
                    break;
                }
                if (s_[i_] == '\n') ++line_;
                ++i_;
            }
        } else {
            break;
        }
    }
    return i_ != start;
}

char Scanner::peekChar(bool* spaced, std::size_t k) {
    Mark m = mark();
    bool sp = skipBlanks();
    char c = at(k);
    reset(m);
    if (spaced) *spaced = sp;
    return c;
}

Token Scanner::make(Token::Kind k, std::string text, bool spaced) const {
    Token t;
    t.kind = k;
    t.text = std::move(text);
    t.line = line_;
    t.spaced = spaced;
    return t;
}

Token Scanner::next() {
    bool spaced = skipBlanks();
    if (i_ >= s_.size()) return make(Token::Kind::End, "", spaced);
    char c = s_[i_];
    if (c == '"') return string(spaced);
    if (isDigit(c) || (c == '.' && isDigit(at(1)))) return number(spaced, false);
    if (c == '$') {
        if (!isIdentStart(at(1))) throw SyntaxError(line_, "expected a variable name after '$'");
        std::size_t b = ++i_;
        while (i_ < s_.size() && isIdentChar(s_[i_])) ++i_;
        return make(Token::Kind::Var, s_.substr(b, i_ - b), spaced);
    }
    if (isIdentStart(c)) {
        std::size_t b = i_;
        while (i_ < s_.size() && isIdentChar(s_[i_])) ++i_;
        return make(Token::Kind::Ident, s_.substr(b, i_ - b), spaced);
    }
    for (const char* op : kOps2)
        if (c == op[0] && at(1) == op[1]) {
            i_ += 2;
            return make(Token::Kind::Op, op, spaced);
        }
    if (c != '\0' && std::strchr(kOps1, c)) {
        ++i_;
        return make(Token::Kind::Op, std::string(1, c), spaced);
    }
    throw SyntaxError(line_, "unexpected character " + describeChar(c));
}

Token Scanner::nextArg() {
    bool spaced = skipBlanks();
    if (i_ >= s_.size()) return make(Token::Kind::End, "", spaced);
    char c = s_[i_];
    if (c == '"') return string(spaced);
    bool signedNum = (c == '-' || c == '+') && (isDigit(at(1)) || (at(1) == '.' && isDigit(at(2))));
    if (isDigit(c) || signedNum || (c == '.' && isDigit(at(1)))) return number(spaced, true);
    if (c == '-' && isAlpha(at(1))) {
        std::size_t b = ++i_;
        while (i_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '_')) ++i_;
        return make(Token::Kind::Flag, s_.substr(b, i_ - b), spaced);
    }
    if (c == '$') return next();
    if (isWordStart(c)) {
        std::size_t b = i_;
        while (i_ < s_.size() && isWordChar(s_[i_])) {
            // A comment may follow a word without a blank.
            if (s_[i_] == '/' && (at(1) == '/' || at(1) == '*')) break;
            ++i_;
        }
        Token t = make(Token::Kind::Word, s_.substr(b, i_ - b), spaced);
        if (isBoolWord(t.text, t.number)) t.kind = Token::Kind::Bool;
        return t;
    }
    if (std::strchr("(){},;`", c) && c != '\0') {
        ++i_;
        return make(Token::Kind::Op, std::string(1, c), spaced);
    }
    throw SyntaxError(line_, "unexpected character " + describeChar(c));
}

Token Scanner::string(bool spaced) {
    int start = line_;
    ++i_;
    std::string v;
    for (;;) {
        if (i_ >= s_.size() || s_[i_] == '\n') throw SyntaxError(start, "unterminated string");
        char c = s_[i_++];
        if (c == '"') break;
        if (c != '\\') {
            v += c;
            continue;
        }
        if (i_ >= s_.size()) throw SyntaxError(start, "unterminated string");
        char e = s_[i_++];
        switch (e) {
        case 'n':
            v += '\n';
            break;
        case 't':
            v += '\t';
            break;
        case 'r':
            v += '\r';
            break;
        case '"':
            v += '"';
            break;
        case '\\':
            v += '\\';
            break;
        case '\n':
            // A backslash at the end of a line continues the string.
            ++line_;
            break;
        default:
            v += e;
            break;
        }
    }
    Token t = make(Token::Kind::String, std::move(v), spaced);
    t.line = start;
    return t;
}

Token Scanner::number(bool spaced, bool signedForm) {
    std::size_t b = i_;
    bool integral = true;
    if (signedForm && (s_[i_] == '-' || s_[i_] == '+')) ++i_;
    double hexValue = -1;
    if (!signedForm && s_[i_] == '0' && (at(1) == 'x' || at(1) == 'X') &&
        std::isxdigit(static_cast<unsigned char>(at(2)))) {
        i_ += 2;
        hexValue = 0;
        while (std::isxdigit(static_cast<unsigned char>(at()))) {
            char h = at();
            hexValue = hexValue * 16 + (isDigit(h) ? h - '0' : std::tolower(h) - 'a' + 10);
            ++i_;
        }
    } else {
        while (isDigit(at())) ++i_;
        if (at() == '.') {
            integral = false;
            ++i_;
            while (isDigit(at())) ++i_;
        }
        if ((at() == 'e' || at() == 'E') &&
            (isDigit(at(1)) || ((at(1) == '-' || at(1) == '+') && isDigit(at(2))))) {
            integral = false;
            i_ += 2;
            while (isDigit(at())) ++i_;
        }
    }
    std::string text = s_.substr(b, i_ - b);
    // Command words may hold digits and dots ("1.2.3" is a malformed number,
    // not two); in expressions a letter after a number is the damage.
    bool damaged = signedForm ? (i_ < s_.size() && isWordChar(s_[i_]) && s_[i_] != '/')
                              : (i_ < s_.size() && isIdentChar(s_[i_]));
    if (damaged) {
        std::size_t e = i_;
        while (e < s_.size() && (signedForm ? isWordChar(s_[e]) : isIdentChar(s_[e]))) ++e;
        throw SyntaxError(line_,
                          "malformed number '" + clipInput(std::string_view(s_).substr(b, e - b)) + "'");
    }
    Token t = make(Token::Kind::Number, text, spaced);
    t.number = hexValue >= 0 ? hexValue : std::strtod(text.c_str(), nullptr);
    t.integral = integral;
    return t;
}

}  // namespace rdhost::cmd
