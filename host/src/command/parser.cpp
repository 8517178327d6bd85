#include "command/parser.h"

namespace rdhost::cmd {

namespace {

Arg toArg(const Token& t) {
    Arg a;
    a.text = t.text;
    a.number = t.number;
    a.integral = t.integral;
    switch (t.kind) {
    case Token::Kind::String: a.kind = Arg::Kind::String; break;
    case Token::Kind::Number: a.kind = Arg::Kind::Number; break;
    case Token::Kind::Bool: a.kind = Arg::Kind::Bool; break;
    default: a.kind = Arg::Kind::Word; break;
    }
    return a;
}

}  // namespace

std::vector<Statement> parseScript(const std::string& text, int firstLine) {
    std::vector<Token> tokens = tokenize(text, firstLine);
    std::vector<Statement> out;
    size_t i = 0;
    while (i < tokens.size()) {
        const Token& head = tokens[i];
        if (head.kind == Token::Kind::Semicolon) {  // empty statement
            ++i;
            continue;
        }
        if (head.kind != Token::Kind::Word && head.kind != Token::Kind::Bool)
            throw SyntaxError(head.line, "expected a command name, found " +
                                             std::string(head.kind == Token::Kind::Flag ? "-" : "") +
                                             "'" + clipInput(head.text) + "'");
        Statement st;
        st.command = head.text;
        st.line = head.line;
        for (++i; i < tokens.size() && tokens[i].kind != Token::Kind::Semicolon; ++i) {
            Item it;
            it.line = tokens[i].line;
            if (tokens[i].kind == Token::Kind::Flag) {
                it.isFlag = true;
                it.flag = tokens[i].text;
            } else {
                it.arg = toArg(tokens[i]);
            }
            st.items.push_back(std::move(it));
        }
        if (i < tokens.size()) ++i;  // the ';'
        out.push_back(std::move(st));
    }
    return out;
}

void bind(const Statement& st, const CommandDef& def, Invocation& inv) {
    inv.command = def.name;
    inv.line = st.line;
    inv.flags.clear();
    inv.args.clear();
    // In query mode flags name what to query and take no arguments, as in MEL.
    bool query = false;
    for (const auto& f : def.flags)
        if (f.longName == "query")
            for (const Item& it : st.items)
                query = query || (it.isFlag && (it.flag == f.longName || it.flag == f.shortName));
    for (size_t i = 0; i < st.items.size(); ++i) {
        const Item& it = st.items[i];
        if (!it.isFlag) {
            inv.args.push_back(it.arg);
            continue;
        }
        const FlagSpec* fs = nullptr;
        for (const auto& f : def.flags)
            if (f.longName == it.flag || f.shortName == it.flag) fs = &f;
        if (!fs) throw HostError(def.name + ": unknown flag -" + clipInput(it.flag));
        FlagUse use;
        use.name = fs->longName;
        for (int k = 0; k < (query ? 0 : fs->argCount); ++k) {
            if (i + 1 >= st.items.size() || st.items[i + 1].isFlag)
                throw HostError(def.name + ": flag -" + clipInput(it.flag) + " needs " +
                                std::to_string(fs->argCount) +
                                (fs->argCount == 1 ? " argument" : " arguments"));
            use.args.push_back(st.items[++i].arg);
        }
        inv.flags.push_back(std::move(use));
    }
}

}  // namespace rdhost::cmd
