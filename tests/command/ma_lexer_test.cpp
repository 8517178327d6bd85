// Statements of scene files: verbatim text, lines, and damage named by line.
#include "command/ma_lexer.h"

#include <gtest/gtest.h>

using rdhost::cmd::Arg;
using rdhost::ma::MaStatement;
using rdhost::ma::StatementReader;

namespace {

std::vector<MaStatement> readAll(const std::string& text) {
    StatementReader reader(text);
    std::vector<MaStatement> out;
    MaStatement st;
    while (reader.next(st)) out.push_back(st);
    return out;
}

int damageLine(const std::string& text, std::size_t* readBefore = nullptr) {
    StatementReader reader(text);
    MaStatement st;
    std::size_t n = 0;
    try {
        while (reader.next(st)) ++n;
    } catch (const rdhost::cmd::SyntaxError& e) {
        if (readBefore) *readBefore = n;
        return e.line;
    }
    return 0;
}

}  // namespace

TEST(MaLexer, KeepsVerbatimTextAndLinesOfMultiLineStatements) {
    const std::string text =
        "//Maya ASCII 2024 scene\n"
        "createNode joint -n \"joint1\" -p \"skel_root\";\n"
        "\tsetAttr \".bps\" -type \"matrix\" -1 0 0 0 0 1 0 0\n"
        "\t\t 0 0 -1 0 0 0 0 1;\n"
        "\tsetAttr -s 2 \".ktv[0:1]\"  1 0.4 3 -0.5; select -ne :time1;\n";
    auto sts = readAll(text);
    ASSERT_EQ(sts.size(), 4u);
    EXPECT_EQ(sts[0].text, "createNode joint -n \"joint1\" -p \"skel_root\";");
    EXPECT_EQ(sts[0].line, 2);
    EXPECT_EQ(sts[1].text, "setAttr \".bps\" -type \"matrix\" -1 0 0 0 0 1 0 0\n\t\t 0 0 -1 0 0 0 0 1;");
    EXPECT_EQ(sts[1].line, 3);
    EXPECT_EQ(sts[1].parsed.items.size(), 19u);
    EXPECT_EQ(sts[2].line, 5);
    EXPECT_EQ(sts[3].text, "select -ne :time1;");

    const auto& items = sts[2].parsed.items;
    ASSERT_EQ(items.size(), 7u);
    EXPECT_TRUE(items[0].isFlag);
    EXPECT_EQ(items[0].flag, "s");
    EXPECT_EQ(items[1].arg.kind, Arg::Kind::Number);
    EXPECT_EQ(items[2].arg.kind, Arg::Kind::String);
    EXPECT_EQ(items[2].arg.text, ".ktv[0:1]");
    EXPECT_EQ(items[6].arg.number, -0.5);
    EXPECT_FALSE(items[6].isFlag) << "a negative number is not a flag";
    EXPECT_EQ(sts[3].parsed.items[1].arg.kind, Arg::Kind::Word);
    EXPECT_EQ(sts[3].parsed.items[1].arg.text, ":time1");
}

TEST(MaLexer, ReadsSplitStringsEscapesBooleansAndComponentWords) {
    auto sts = readAll(
        "setAttr \".b\" -type \"string\" (\"x\") \"line \\\"one\\\"\\n\"\n"
        "\t\t+ \"line two\" yes off;\n"
        "setAttr \".cd\" -type \"dataPolyComponent\" Index_Data Edge 0 ; /* note; */ "
        "setAttr -ch 4 \".fc[0]\" -type \"polyFaces\" f 4 0 2 -4 -2;\n");
    ASSERT_EQ(sts.size(), 3u);
    const auto& a = sts[0].parsed.items;
    ASSERT_EQ(a.size(), 9u);
    EXPECT_EQ(a[3].arg.text, "(");
    EXPECT_EQ(a[4].arg.kind, Arg::Kind::String) << "a quote ends a word and starts a string";
    EXPECT_EQ(a[5].arg.text, ")");
    EXPECT_EQ(a[6].arg.text, "line \"one\"\nline two");
    EXPECT_EQ(a[7].arg.kind, Arg::Kind::Bool);
    EXPECT_EQ(a[7].arg.number, 1);
    EXPECT_EQ(a[8].arg.number, 0);
    EXPECT_EQ(sts[1].parsed.items[3].arg.text, "Index_Data");
    EXPECT_EQ(sts[2].parsed.items.back().arg.number, -2);
}

TEST(MaLexer, SkipsAByteOrderMark) {
    auto sts = readAll("\xEF\xBB\xBF//Maya ASCII 2024 scene\nrequires maya \"2024\";\n");
    ASSERT_EQ(sts.size(), 1u);
    EXPECT_EQ(sts[0].parsed.command, "requires");
    EXPECT_EQ(sts[0].line, 2);
}

TEST(MaLexer, DamageIsReportedAtItsLineAfterTheGoodStatements) {
    struct Case {
        const char* text;
        int line;
        std::size_t before;
    } cases[] = {
        {"createNode transform -n \"a\";\nsetAttr \".t\" -type \"double3\" 1 2", 2, 1},
        {"createNode transform -n \"a\";\n\tsetAttr \".nm\" -type \"string\" \"cut", 2, 1},
        {"createNode transform -n \"a\";\nsetAttr \".t\" 1;\n%$#@! garbage;\n", 3, 2},
        {"createNode transform -n \"a\";\n42 is not a command;\n", 2, 1},
        {"createNode transform\x01 -n \"a\";\n", 1, 0},
        {"requires maya \"2024\";\n/* never closed\n\n", 2, 1},
        {"createNode transform -n \"a\"\n", 1, 0},
    };
    for (const auto& c : cases) {
        std::size_t before = 99;
        EXPECT_EQ(damageLine(c.text, &before), c.line) << c.text;
        EXPECT_EQ(before, c.before) << c.text;
    }
}
