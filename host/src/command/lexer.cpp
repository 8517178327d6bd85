#include "command/lexer.h"

#include <cctype>
#include <cstdlib>

namespace rdhost::cmd {

namespace {

bool isWordStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '|' ||
           c == ':' || c == '*' || c == '[' || c == '/';
}

bool isWordChar(char c) {
    return isWordStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == ']' ||
           c == '?';
}

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

std::string describe(char c) {
    if (std::isprint(static_cast<unsigned char>(c))) return std::string("'") + c + "'";
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%02x", static_cast<unsigned char>(c));
    return buf;
}

class Lexer {
public:
    Lexer(const std::string& s, int line) : s_(s), line_(line) {}

    std::vector<Token> run() {
        std::vector<Token> out;
        for (;;) {
            skipBlanksAndComments();
            if (i_ >= s_.size()) break;
            out.push_back(next());
        }
        return out;
    }

private:
    char peek(size_t k = 0) const { return i_ + k < s_.size() ? s_[i_ + k] : '\0'; }

    void skipBlanksAndComments() {
        while (i_ < s_.size()) {
            char c = s_[i_];
            if (c == '\n') {
                ++line_;
                ++i_;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++i_;
            } else if (c == '/' && peek(1) == '/') {
                while (i_ < s_.size() && s_[i_] != '\n') ++i_;
            } else if (c == '/' && peek(1) == '*') {
                int start = line_;
                i_ += 2;
                for (;;) {
                    if (i_ >= s_.size())
                        throw SyntaxError(start, "unterminated comment (opened with /* on line " +
                                                     std::to_string(start) + ")");
                    if (s_[i_] == '*' && peek(1) == '/') {
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
    }

    Token make(Token::Kind k, std::string text) {
        Token t;
        t.kind = k;
        t.text = std::move(text);
        t.line = line_;
        return t;
    }

    Token next() {
        char c = s_[i_];
        if (c == ';') {
            ++i_;
            return make(Token::Kind::Semicolon, ";");
        }
        if (c == '"') return string();
        bool signedNum = (c == '-' || c == '+') &&
                         (isDigit(peek(1)) || (peek(1) == '.' && isDigit(peek(2))));
        if (isDigit(c) || signedNum || (c == '.' && isDigit(peek(1)))) return number();
        if (c == '-' && std::isalpha(static_cast<unsigned char>(peek(1)))) {
            size_t b = ++i_;
            while (i_ < s_.size() &&
                   (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '_'))
                ++i_;
            return make(Token::Kind::Flag, s_.substr(b, i_ - b));
        }
        if (isWordStart(c)) {
            size_t b = i_;
            while (i_ < s_.size() && isWordChar(s_[i_])) {
                // A comment may follow a word without a blank.
                if (s_[i_] == '/' && (peek(1) == '/' || peek(1) == '*')) break;
                ++i_;
            }
            std::string w = s_.substr(b, i_ - b);
            Token t = make(Token::Kind::Word, w);
            if (w == "yes" || w == "on" || w == "true") {
                t.kind = Token::Kind::Bool;
                t.number = 1;
            } else if (w == "no" || w == "off" || w == "false") {
                t.kind = Token::Kind::Bool;
                t.number = 0;
            }
            return t;
        }
        if (c == '`') throw SyntaxError(line_, "command substitution with ` is not supported");
        if (c == '$') throw SyntaxError(line_, "variables are not supported");
        throw SyntaxError(line_, "unexpected character " + describe(c));
    }

    Token string() {
        int start = line_;
        ++i_;
        std::string v;
        for (;;) {
            if (i_ >= s_.size() || s_[i_] == '\n')
                throw SyntaxError(start, "unterminated string");
            char c = s_[i_++];
            if (c == '"') break;
            if (c != '\\') {
                v += c;
                continue;
            }
            if (i_ >= s_.size()) throw SyntaxError(start, "unterminated string");
            char e = s_[i_++];
            switch (e) {
            case 'n': v += '\n'; break;
            case 't': v += '\t'; break;
            case 'r': v += '\r'; break;
            case '"': v += '"'; break;
            case '\\': v += '\\'; break;
            case '\n':
                // A backslash at the end of a line continues the string.
                ++line_;
                break;
            default: v += e; break;
            }
        }
        Token t = make(Token::Kind::String, std::move(v));
        t.line = start;
        return t;
    }

    Token number() {
        size_t b = i_;
        bool integral = true;
        if (s_[i_] == '-' || s_[i_] == '+') ++i_;
        while (isDigit(peek())) ++i_;
        if (peek() == '.') {
            integral = false;
            ++i_;
            while (isDigit(peek())) ++i_;
        }
        if ((peek() == 'e' || peek() == 'E') &&
            (isDigit(peek(1)) || ((peek(1) == '-' || peek(1) == '+') && isDigit(peek(2))))) {
            integral = false;
            i_ += 2;
            while (isDigit(peek())) ++i_;
        }
        std::string text = s_.substr(b, i_ - b);
        if (i_ < s_.size() && isWordChar(s_[i_]) && s_[i_] != '/') {
            size_t e = i_;
            while (e < s_.size() && isWordChar(s_[e])) ++e;
            throw SyntaxError(line_, "malformed number '" + clipInput(std::string_view(s_).substr(b, e - b)) + "'");
        }
        Token t = make(Token::Kind::Number, text);
        t.number = std::strtod(text.c_str(), nullptr);
        t.integral = integral;
        return t;
    }

    const std::string& s_;
    size_t i_ = 0;
    int line_;
};

}  // namespace

std::vector<Token> tokenize(const std::string& text, int firstLine) {
    return Lexer(text, firstLine).run();
}

}  // namespace rdhost::cmd
