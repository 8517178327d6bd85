#include "command/ma_lexer.h"

#include "command/ma_format.h"

#include <cctype>
#include <cstdio>

namespace rdhost::ma {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

bool isControl(char c) {
    auto u = static_cast<unsigned char>(c);
    return (u < 0x20 && !isBlank(c)) || u == 0x7f;
}

std::string describe(char c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%02x", static_cast<unsigned char>(c));
    return buf;
}

bool isIdentifier(const std::string& w) {
    if (w.empty() || !(std::isalpha(static_cast<unsigned char>(w[0])) || w[0] == '_')) return false;
    for (char c : w)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
    return true;
}

}  // namespace

void StatementReader::skipBlanksAndComments() {
    while (i_ < s_.size()) {
        char c = s_[i_];
        if (c == '\n') {
            ++line_;
            ++i_;
        } else if (isBlank(c)) {
            ++i_;
        } else if (c == '/' && peek(1) == '/') {
            while (i_ < s_.size() && s_[i_] != '\n') ++i_;
        } else if (c == '/' && peek(1) == '*') {
            const int start = line_;
            i_ += 2;
            for (;;) {
                if (i_ >= s_.size()) throw cmd::SyntaxError(start, "comment opened with /* is never closed");
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

std::string StatementReader::readString() {
    std::string value;
    for (;;) {
        const int start = line_;
        ++i_;  // opening quote
        std::size_t b = i_;
        for (;;) {
            if (i_ >= s_.size() || s_[i_] == '\n')
                throw cmd::SyntaxError(start, "string is not closed on its line");
            char c = s_[i_];
            if (c == '\\' && i_ + 1 < s_.size() && s_[i_ + 1] != '\n') {
                i_ += 2;
                continue;
            }
            if (c == '"') break;
            ++i_;
        }
        value += unescape(std::string_view(s_).substr(b, i_ - b));
        ++i_;  // closing quote
        // The host splits long strings as "..." + "..." over several lines.
        std::size_t save = i_;
        int saveLine = line_;
        skipBlanksAndComments();
        if (peek() == '+') {
            ++i_;
            skipBlanksAndComments();
            if (peek() == '"') continue;
        }
        i_ = save;
        line_ = saveLine;
        return value;
    }
}

cmd::Arg StatementReader::word(const std::string& text) const {
    cmd::Arg a;
    a.text = text;
    if (text == "yes" || text == "on" || text == "true") {
        a.kind = cmd::Arg::Kind::Bool;
        a.number = 1;
    } else if (text == "no" || text == "off" || text == "false") {
        a.kind = cmd::Arg::Kind::Bool;
        a.number = 0;
    } else if (auto n = parseNumber(text)) {
        a.kind = cmd::Arg::Kind::Number;
        a.number = *n;
        a.integral =
            text.find_first_of(".eE") == std::string::npos || text.find_first_of("xX") != std::string::npos;
    } else {
        a.kind = cmd::Arg::Kind::Word;
    }
    return a;
}

bool StatementReader::next(MaStatement& out) {
    skipBlanksAndComments();
    if (i_ >= s_.size()) return false;
    out = MaStatement{};
    out.line = line_;
    out.parsed.line = line_;
    const std::size_t begin = i_;
    bool first = true;
    for (;;) {
        skipBlanksAndComments();
        if (i_ >= s_.size())
            throw cmd::SyntaxError(out.line, "statement '" + clipInput(out.parsed.command) +
                                                 "' is not ended with ';' (the file is cut short)");
        char c = s_[i_];
        if (c == ';') {
            ++i_;
            break;
        }
        if (isControl(c)) throw cmd::SyntaxError(line_, "unexpected character " + describe(c));
        cmd::Item item;
        item.line = line_;
        if (c == '"') {
            item.arg.kind = cmd::Arg::Kind::String;
            item.arg.text = readString();
        } else {
            std::size_t b = i_;
            while (i_ < s_.size() && !isBlank(s_[i_]) && s_[i_] != ';' && s_[i_] != '"' &&
                   !isControl(s_[i_]) && !(s_[i_] == '/' && (peek(1) == '/' || peek(1) == '*')))
                ++i_;
            std::string w = s_.substr(b, i_ - b);
            if (first) {
                if (!isIdentifier(w))
                    throw cmd::SyntaxError(line_, "'" + clipInput(w) + "' is not a command name");
                out.parsed.command = w;
                first = false;
                continue;
            }
            if (w.size() > 1 && w[0] == '-' && std::isalpha(static_cast<unsigned char>(w[1]))) {
                item.isFlag = true;
                item.flag = w.substr(1);
            } else {
                item.arg = word(w);
            }
        }
        if (first) throw cmd::SyntaxError(line_, "a statement must start with a command name");
        out.parsed.items.push_back(std::move(item));
    }
    out.text = s_.substr(begin, i_ - begin);
    return true;
}

}  // namespace rdhost::ma
