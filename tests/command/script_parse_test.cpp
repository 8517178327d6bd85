// Tokens of command arguments, damage named by line, and binding a
// command's arguments to its flag table.
#include "command/lexer.h"
#include "command/ma_lexer.h"
#include "command/parser.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace rdhost::cmd;

namespace {

struct TokenCase {
    const char* text;
    Token::Kind kind;
    const char* value;
    double number;
    bool integral;
};

TEST(ScriptLexer, ReadsEachKindOfToken) {
    const TokenCase cases[] = {
        {"createNode", Token::Kind::Word, "createNode", 0, false},
        {"loc1.tx", Token::Kind::Word, "loc1.tx", 0, false},
        {"|group1|loc1.translateX", Token::Kind::Word, "|group1|loc1.translateX", 0, false},
        {":time1", Token::Kind::Word, ":time1", 0, false},
        {"*Shape*", Token::Kind::Word, "*Shape*", 0, false},
        {"\"a \\\"q\\\" b\"", Token::Kind::String, "a \"q\" b", 0, false},
        {"\"back\\\\slash\"", Token::Kind::String, "back\\slash", 0, false},
        {"\"tab\\tnl\\n\"", Token::Kind::String, "tab\tnl\n", 0, false},
        {"\"\"", Token::Kind::String, "", 0, false},
        {"\"// not a comment\"", Token::Kind::String, "// not a comment", 0, false},
        {"12", Token::Kind::Number, "12", 12, true},
        {"-3", Token::Kind::Number, "-3", -3, true},
        {"+4", Token::Kind::Number, "+4", 4, true},
        {"0.7", Token::Kind::Number, "0.7", 0.7, false},
        {".5", Token::Kind::Number, ".5", 0.5, false},
        {"-.25", Token::Kind::Number, "-.25", -0.25, false},
        {"5.", Token::Kind::Number, "5.", 5, false},
        {"1e-9", Token::Kind::Number, "1e-9", 1e-9, false},
        {"-2.5E+3", Token::Kind::Number, "-2.5E+3", -2500, false},
        {"yes", Token::Kind::Bool, "yes", 1, false},
        {"on", Token::Kind::Bool, "on", 1, false},
        {"true", Token::Kind::Bool, "true", 1, false},
        {"no", Token::Kind::Bool, "no", 0, false},
        {"off", Token::Kind::Bool, "off", 0, false},
        {"false", Token::Kind::Bool, "false", 0, false},
        {"-n", Token::Kind::Flag, "n", 0, false},
        {"-name", Token::Kind::Flag, "name", 0, false},
        {"-cb", Token::Kind::Flag, "cb", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Scanner sc(c.text);
        Token t = sc.nextArg();
        EXPECT_EQ(sc.nextArg().kind, Token::Kind::End);
        EXPECT_EQ(t.kind, c.kind);
        EXPECT_EQ(t.text, c.value);
        EXPECT_EQ(t.number, c.number);
        if (c.kind == Token::Kind::Number) {
            EXPECT_EQ(t.integral, c.integral);
        }
    }
}

TEST(ScriptLexer, SkipsCommentsAndCountsLines) {
    Scanner sc("a // one\n/* two\nthree */ b;/**/c\n\n  d//x");
    std::vector<Token> t;
    for (Token k = sc.nextArg(); k.kind != Token::Kind::End; k = sc.nextArg()) t.push_back(k);
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(t[0].text, "a");
    EXPECT_EQ(t[0].line, 1);
    EXPECT_EQ(t[1].text, "b");
    EXPECT_EQ(t[1].line, 3);
    EXPECT_TRUE(t[2].is(";"));
    EXPECT_EQ(t[3].text, "c");
    EXPECT_EQ(t[4].text, "d");
    EXPECT_EQ(t[4].line, 5);
}

struct BadCase {
    const char* text;
    int line;
    const char* fragment;
};

TEST(ScriptLexer, NamesTheLineOfDamage) {
    const BadCase cases[] = {
        {"print \"open", 1, "unterminated string"},
        {"a;\nb;\nprint \"open\nmore\";", 3, "unterminated string"},
        {"a;\n/* never closed\n\n", 2, "unterminated comment"},
        {"a;\nb /* x */ c;\nd /* y", 3, "unterminated comment"},
        {"setAttr a.b 12abc;", 1, "malformed number '12abc'"},
        {"\n\nprint $;", 3, "expected a variable name after '$'"},
        {"int $x = 12abc;", 1, "malformed number '12abc'"},
        {"a;\n\n\nb # c", 4, "unexpected character '#'"},
        {"print \"trailing\\", 1, "unterminated string"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            parseUnit(c.text);
            ADD_FAILURE() << "no error";
        } catch (const SyntaxError& e) {
            EXPECT_EQ(e.line, c.line);
            EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << e.what();
        }
    }
}

CommandDef def() {
    CommandDef s;
    s.name = "demo";
    s.flags = {{"name", "n", 1}, {"widthHeight", "wh", 2}, {"query", "q", 0}, {"force", "f", 0}};
    return s;
}

Invocation bound(rdhost::Scene* scene, const std::string& text) {
    const std::string source = text + ";";
    rdhost::ma::StatementReader reader(source);
    rdhost::ma::MaStatement st;
    reader.next(st);
    static std::ostringstream sink;
    Invocation inv{*scene, "", {}, {}, 0, true, false, sink};
    bind(st.parsed, def(), inv);
    return inv;
}

// Binding needs no scene state; a scene is only carried along.
rdhost::Scene* noScene() {
    static rdhost::Scene scene;
    return &scene;
}

TEST(ScriptBinder, MatchesLongAndShortFlagsWithTheirArguments) {
    Invocation inv = bound(noScene(), "demo a -n x -wh 10 -20 b -force c");
    ASSERT_EQ(inv.flags.size(), 3u);
    EXPECT_EQ(inv.flags[0].name, "name");
    EXPECT_EQ(inv.flagText("name"), "x");
    EXPECT_EQ(inv.flags[1].name, "widthHeight");
    EXPECT_EQ(inv.flagNumber("widthHeight", 1), -20);
    EXPECT_TRUE(inv.has("force"));
    EXPECT_FALSE(inv.has("query"));
    ASSERT_EQ(inv.args.size(), 3u);
    EXPECT_EQ(inv.args[2].text, "c");
}

TEST(ScriptBinder, RejectsUnknownFlagsAndMissingArguments) {
    struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"demo -bogus 1", "demo: unknown flag -bogus"},
        {"demo -n", "demo: flag -n needs 1 argument"},
        {"demo -wh 1", "demo: flag -wh needs 2 arguments"},
        {"demo -name -f", "demo: flag -name needs 1 argument"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            bound(noScene(), c.text);
            ADD_FAILURE() << "no error";
        } catch (const rdhost::HostError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

TEST(ScriptBinder, QueryModeFlagsTakeNoArguments) {
    Invocation inv = bound(noScene(), "demo -q -name obj");
    EXPECT_TRUE(inv.has("name"));
    EXPECT_TRUE(inv.flag("name")->empty());
    ASSERT_EQ(inv.args.size(), 1u);
    EXPECT_EQ(inv.args[0].text, "obj");
}

TEST(ScriptBinder, FlagNumberNamesANonNumber) {
    Invocation inv = bound(noScene(), "demo -wh wide 3");
    try {
        inv.flagNumber("widthHeight", 0);
        ADD_FAILURE() << "no error";
    } catch (const rdhost::HostError& e) {
        EXPECT_EQ(std::string(e.what()), "demo: flag -widthHeight expects a number, got 'wide'");
    }
}

}  // namespace
