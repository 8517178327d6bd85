// The MEL language of scripts: values of expressions, control flow and
// procedures, scopes, and the errors a script can meet, each naming its line.
#include "command_fixture.h"

namespace {

class Language : public CommandFixture {
protected:
    void SetUp() override {
        CommandFixture::SetUp();
        ok("createNode transform -n t; setAttr t.tx 2.5;");
    }
    // A new interpreter: no variables or procedures of an earlier case.
    void fresh() {
        interp_.reset();
        interp_ = std::make_unique<rdhost::cmd::Interpreter>(scene(), out_, err_);
        interp_->limits().maxSteps = 100000;
    }
};

struct Case {
    const char* text;
    const char* expected;
};

// Each expression alone on a top-level line: its value prints as the result.
TEST_F(Language, ExpressionsHaveMelValues) {
    const Case cases[] = {
        // arithmetic, precedence, integer division
        {"7 / 2", "3"},
        {"7 / 2.0", "3.5"},
        {"-7 / 2", "-3"},
        {"-7 % 3", "-1"},
        {"7.5 % 2", "1.5"},
        {"1 + 2 * 3", "7"},
        {"(1 + 2) * 3", "9"},
        {"2 - 3 - 4", "-5"},
        {"!0 + 1", "2"},
        {"1 < 2 == 1", "1"},
        {"2147483647 + 1", "-2147483648"},
        {"1.0 / 3", "0.3333333333"},
        {"0.1 + 0.2", "0.3"},
        {"0x1F + 1e3", "1031"},
        {"true + yes + on - off", "3"},
        // strings dominate, then vectors, then floats
        {"\"a\" + 1", "a1"},
        {"\"500\" + 5", "5005"},
        {"1 + 2 + \"x\"", "3x"},
        {"\"x\" + 1 + 2", "x12"},
        {"\"v\" + <<1, 2.5, 3>>", "v1 2.5 3"},
        {"<<1, 2, 3>> + 1", "2 3 4"},
        {"<<1, 2, 3>> * 2", "2 4 6"},
        {"<<1, 2, 3>> * <<1, 1, 1>>", "6"},
        {"<<1, 0, 0>> ^ <<0, 1, 0>>", "0 0 1"},
        {"<<1, 2, 3>>.y", "2"},
        // conversions: float to int truncates, strings read their leading number
        {"(int) 3.9", "3"},
        {"(int) -3.9", "-3"},
        {"int(\"12abc\")", "12"},
        {"(float) \"2.5e1x\"", "25"},
        {"(int) \"abc\"", "0"},
        {"(string) 47.554", "47.554"},
        {"(vector) \"<<1, 2, 3>>\"", "1 2 3"},
        {"(int) <<3, 4, 0>>", "5"},
        {"float(7) / 2", "3.5"},
        // comparisons, logic, ?:
        {"3 > 2 ? \"yes\" : \"no\"", "yes"},
        {"0 || 2", "1"},
        {"1 && 0", "0"},
        {"\"b\" > \"a\"", "1"},
        {"\"a\" == \"a\"", "1"},
        {"1 == 1.0", "1"},
        {"<<1, 2, 3>> != <<1, 2, 3>>", "0"},
        // arrays
        {"({1, 2.5})", "1 2.5"},
        {"({1, \"a\"})", "1 a"},
        {"size({1, 2, 3})", "3"},
        {"size(\"hello\")", "5"},
        {"({4, 5, 6})[1]", "5"},
        // built-in functions
        {"abs(-3)", "3"},
        {"floor(-2.5)", "-3"},
        {"ceil(2.1)", "3"},
        {"min(3, 4.5)", "3"},
        {"max(2, 3)", "3"},
        {"clamp(0, 10, 12)", "10"},
        {"sqrt(16)", "4"},
        {"pow(2, 10)", "1024"},
        {"sin(0) + cos(0)", "1"},
        {"rad_to_deg(deg_to_rad(90))", "90"},
        {"mag(<<3, 4, 0>>)", "5"},
        {"unit(<<0, 0, 5>>)", "0 0 1"},
        {"cross(<<1, 0, 0>>, <<0, 1, 0>>)", "0 0 1"},
        {"dot(<<1, 2, 3>>, <<1, 1, 1>>)", "6"},
        {"substitute(\"o\", \"foo\", \"0\")", "f0o"},
        {"match(\"w[a-z]+\", \"hello world\")", "world"},
        {"match(\"^[0-9]+\", \"12ab\")", "12"},
        {"gmatch(\"loc12\", \"loc*\")", "1"},
        {"gmatch(\"loc\", \"l?c[0-9]\")", "0"},
        {"startsWith(\"abc\", \"ab\")", "1"},
        {"endsWith(\"abc\", \"ab\")", "0"},
        {"toupper(\"ab\") + tolower(\"CD\")", "ABcd"},
        {"substring(\"hello\", 2, 4)", "ell"},
        {"strip(\"  x y  \")", "x y"},
        {"sort({3, 1, 2})", "1 2 3"},
        {"sort({\"b\", \"a\"})", "a b"},
        {"stringArrayRemoveDuplicates({\"b\", \"a\", \"b\"})", "b a"},
        // command results as values, in both syntaxes
        {"`getAttr t.tx` + 1", "3.5"},
        {"getAttr(\"t.tx\") * 2", "5"},
        {"size(`ls -type transform`)", "1"},
        {"ls(\"-type\", \"transform\")", "t"},
        {"eval(\"1 + 2\")", "3"},
        {"catch(`getAttr t.tx`)", "0"},
        {"exists(\"tokenize\") + exists(\"setAttr\") + exists(\"nope\")", "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(result(std::string(c.text) + ";"), c.expected);
    }
}

// Whole programs and what they print.
TEST_F(Language, ControlFlowAndProceduresPrintWhatMelPrints) {
    const Case cases[] = {
        {"int $x = 5;\nif ($x < 3) print \"small\";\nelse if ($x < 10) print \"medium\";\nelse print "
         "\"large\";",
         "medium"},
        {"for ($i = 0; $i < 10; $i++) { if ($i == 2) continue; if ($i == 5) break; print $i; }", "0134"},
        {"string $names[] = {\"a\", \"b\"};\nfor ($n in $names) print ($n + \";\");", "a;b;"},
        {"for (float $f in {1.5, 2}) print ($f * 2);", "34"},
        {"int $i = 3; while ($i > 0) print ($i--);", "321"},
        {"int $i = 0; do { $i++; if ($i == 2) continue; print $i; } while ($i < 4);", "134"},
        {"for ($i = 0; $i < 3; $i++) for ($j = 0; $j < 3; $j++) { if ($j > $i) break; print $j; }", "001012"},
        {"string $c = \"PINK\";\nswitch ($c) {\n case \"GREEN\": print \"g\"; break;\n case \"PINK\": print "
         "\"p\";\n"
         " case \"RED\": print \"r\"; break;\n default: print \"d\";\n}",
         "pr"},
        {"switch (7) { case 1: print 1; default: print \"d\"; case 2: print 2; }", "d2"},
        {"switch (3) { case 1: print 1; }", ""},
        // declarations, conversions on assignment, implicit declaration
        {"int $i = 3.9; float $f = 7; string $s = 2.50; print ($i + \" \" + $f / 2 + \" \" + $s);",
         "3 3.5 2.5"},
        {"$n = 2.5; $n = 3; $s = \"a\"; $s += 1; print ($n / 2 + $s);", "1.5a1"},
        {"float $f = 1; $f += 2; $f *= 3; $f /= 2; $f -= 0.5; print $f;", "4"},
        {"int $i = 1; print ($i++ + ++$i); print $i;", "43"},
        {"int $x = 1; { int $x = 2; print $x; } print $x;", "21"},
        {"vector $v = <<1, 2, 3>>; vector $w = $v * 2; print ($w.z + $v.x);", "7"},
        // arrays grow, print a line per element, tokenize and clear fill them
        {"int $a[]; $a[3] = 7; print (size($a) + \":\" + $a[0] + $a[3]);", "4:07"},
        {"int $b[5]; print size($b);", "5"},
        {"string $a[] = {\"x\", \"y\"}; print $a;", "x\ny\n"},
        {"string $p[]; int $n = tokenize(\"a b  c\", $p); print ($n + $p[2]);\n"
         "$n = tokenize(\"k|l\", \"|\", $p); print $p[1]; clear($p); print size($p);",
         "3cl0"},
        // procedures: recursion, return types, arrays by reference, command syntax
        {"proc int fact(int $n) { if ($n <= 1) return 1; return $n * fact($n - 1); }\nprint fact(10);",
         "3628800"},
        {"proc string[] names(int $n) { string $r[]; for ($i = 0; $i < $n; $i++) $r[$i] = \"n\" + $i; return "
         "$r; }\n"
         "string $x[] = names(2); print $x;",
         "n0\nn1\n"},
        {"proc add(string $list[]) { $list[size($list)] = \"new\"; }\nstring $l[] = {\"a\"}; add($l); print "
         "size($l);",
         "2"},
        {"proc bump(int $n) { $n++; }\nint $k = 1; bump($k); print $k;", "1"},
        {"proc p(string $a, int $b, float $c) { print ($a + ($b + $c)); }\np hello 3 0.5;", "hello3.5"},
        {"proc float half(float $x) { return $x / 2; }\nprint (half(3) + half(1));", "2"},
        {"proc int none() { }\nprint none();", "0"},
        {"proc int later() { return sooner() + 1; }\nproc int sooner() { return 1; }\nprint later();", "2"},
        // globals are set up once and shared
        {"global int $g = 5;\nproc show() { global int $g = 100; print $g; $g++; }\nshow(); show(); print "
         "$g;",
         "567"},
        // catch, eval
        {"int $r = catch(`getAttr nothing.tx`); print ($r + \" on\");", "1 on"},
        {"print catch(error(\"x\"));", "1"},
        {"eval(\"int $e = 3\"); print ($e * 2);", "6"},
        {"string $type = \"transform\";\nstring $made = eval(\"createNode\", $type, \"-n made\");\nprint "
         "`nodeType $made`;",
         "transform"},
        {"global proc int twice(int $x) { return 2 * $x; }\nprint (`twice 4` + eval(\"twice(1)\"));", "10"},
        // commands with computed arguments
        {"string $n = \"t\";\nsetAttr ($n + \".ty\") (1.5 * 2);\nprint `getAttr t.ty`;", "3"},
        {"string $all[] = `ls -type transform \"t*\"`; select $all; print `ls -sl`;", "t\n"},
        {"setAttr(\"t.tz\", 4); print getAttr(\"t.tz\");", "4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        fresh();
        EXPECT_EQ(ok(c.text), c.expected) << err();
    }
}

// Each mistake stops the script with one message naming the line.
TEST_F(Language, ErrorsNameTheLine) {
    const Case cases[] = {
        // syntax: the line and the token
        {"int $a = 1;\nint $b = ;", "line 2: syntax error: expected a value, found ';'"},
        {"for ($i = 0; $i < 3 $i++)\n  print $i;",
         "line 1: syntax error: expected ';' after the condition of the for loop, found '$i'"},
        {"if (1) {\n  print 1;\n",
         "line 3: syntax error: expected '}' to close the block opened on line 1, "
         "found the end of the text"},
        {"int $a = 1\nint $b = 2;", "line 2: syntax error: expected ';', found 'int'"},
        {"setAttr $n.tx 1;",
         "line 1: syntax error: a variable among command arguments stands alone; to join it "
         "with text write ($n + \"...\")"},
        {"int $s = size $a;",
         "line 1: syntax error: 'size' in an expression needs its arguments in parentheses "
         "(size(...)) or the command in backquotes (`size ...`)"},
        {"while (1) {}\nbreak;", "line 2: break outside a loop or switch"},
        {"proc p() { return 1; }", "line 1: procedure 'p' has no return type: return cannot give a value"},
        {"if (1) { proc q() {} }",
         "line 1: a procedure is defined at the top level of a script, not inside a block"},
        {"matrix $m;", "line 1: matrix variables are not supported (use float arrays or vectors)"},
        {"print 1;\n$v.x = 1;",
         "line 2: a vector's component cannot be set on its own; assign the whole vector (<<x, y, z>>)"},
        // undeclared variables, and the scopes that hide them
        {"print 1;\nprint $nope;", "line 2: \"$nope\" is an undeclared variable"},
        {"int $x = 1;\nproc f() {\n  print $x;\n}\nf();", "line 3: \"$x\" is an undeclared variable"},
        {"{ int $inner = 1; }\nprint $inner;", "line 2: \"$inner\" is an undeclared variable"},
        {"proc f() { int $local = 1; eval(\"print $local\"); }\nf();",
         "line 1: \"$local\" is an undeclared variable"},
        // type mismatches
        {"string $s[] = {\"a\"};\nint $i = $s;", "line 2: type mismatch: cannot use string[] as int ($i)"},
        {"int $a[] = 3;", "line 1: type mismatch: cannot use int as int[] ($a)"},
        {"print (\"a\" * 2);", "line 1: type mismatch: '*' cannot take a string"},
        {"if (\"yes\") print 1;",
         "line 1: type mismatch: a condition needs an int or a float, not string "
         "(compare it, as in $s != \"\")"},
        {"int $i = 1;\nstring $i;",
         "line 2: $i is already declared as int; it cannot be declared again as string"},
        {"int $n = 1; print $n[0];", "line 1: type mismatch: $n is int, not an array"},
        {"print (<<1, 0, 0>> ^ 2);",
         "line 1: type mismatch: '^' cannot take vector and int (^ is the cross product of "
         "two vectors)"},
        // calls
        {"proc p(int $a, string $b) {}\np(1);",
         "line 2: p: wrong number of arguments (takes 2: int $a, string $b; got 1)"},
        {"print size(1, 2);",
         "line 1: size: wrong number of arguments (takes int size(array|string); got 2)"},
        {"nope(1);", "line 1: cannot find procedure 'nope'"},
        {"nope 1;", "line 1: unknown command 'nope'"},
        {"proc setAttr() {}", "line 1: procedure 'setAttr' cannot be defined: 'setAttr' is a command"},
        {"proc f() {\n  error \"boom\";\n}\nf();", "line 2: boom"},
        {"print (1 / 0);", "line 1: division by zero"},
        // arrays read past their end
        {"int $a[] = {1, 2};\nprint $a[2];",
         "line 2: index 2 is out of range for $a (size 2, indices 0 to 1)"},
        {"string $e[];\nprint $e[-1];", "line 2: index -1 is out of range for $e (it is empty)"},
        // limits: they stop the script, and catch does not stop them
        {"proc f(int $n) {\n  f($n + 1);\n}\ncatch(f(0));",
         "line 2: procedure calls nested deeper than 1000 levels (recursion limit) in f; the script was "
         "stopped"},
        {"int $i = 0;\nwhile (1) $i++;",
         "line 2: the script ran more than 100000 statements and was stopped (step limit; see --step-limit)"},
        {"int $a[];\n$a[10000000] = 1;",
         "line 2: an array of 10000001 elements is larger than the limit of 10000000"},
        {"int $a[20000000];", "line 1: an array of 20000000 elements is larger than the limit of 10000000"},
        {"string $s = \"x\";\nwhile (1) $s += $s;",
         "line 2: a string of 16777216 characters is longer than the limit of 10000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        fresh();
        EXPECT_FALSE(run(c.text));
        EXPECT_EQ(err(), "// Error: " + std::string(c.expected) + " //\n");
    }
    // Text too deep for the parser and evaluator to walk safely.
    EXPECT_FALSE(run("print " + std::string(201, '(') + "1" + std::string(201, ')') + ";"));
    EXPECT_EQ(err(), "// Error: line 1: statements or expressions nested deeper than 200 levels //\n");
    std::string sum = "print (1";
    for (int i = 0; i < 1001; ++i) sum += " + 1";
    EXPECT_FALSE(run(sum + ");"));
    EXPECT_EQ(err(),
              "// Error: line 1: an expression of more than 1000 operators in a row; split it into "
              "several statements //\n");
}

// A caught error shows but neither stops the script nor counts as a failure.
TEST_F(Language, CatchShowsTheErrorAndGoesOn) {
    const int before = interp().errorCount();
    EXPECT_EQ(ok("if (catch(`setAttr nothing.tx 1`)) print \"caught\\n\";\n"
                 "if (catchQuiet(`setAttr nothing.tx 1`)) print \"quiet\\n\";"),
              "caught\nquiet\n");
    EXPECT_EQ(err(), "// Error: line 1: setAttr: no node named 'nothing' //\n");
    EXPECT_EQ(interp().errorCount(), before);
}

// Every script of one interpreter shares the top-level variables and the
// global procedures; a procedure without `global` stays with its script.
TEST_F(Language, TopLevelVariablesAndGlobalProceduresOutliveTheirScript) {
    ok("int $shared = 4;\nproc int local() { return 1; }\nglobal proc int everywhere() { return local() + 1; "
       "}");
    EXPECT_EQ(ok("print ($shared + everywhere());"), "6");
    EXPECT_FALSE(run("local();"));
    EXPECT_EQ(err(), "// Error: line 1: cannot find procedure 'local' //\n");
}

// A statement's result shows when it is a call or an expression; a
// declaration, an assignment and a loop show nothing.
TEST_F(Language, TopLevelResultsShowForCallsAndExpressions) {
    EXPECT_EQ(ok("int $a = 2; $a = 3; $a++; $a; $a * 2; for ($i = 0; $i < 2; $i++) getAttr t.tx;\n"
                 "proc float f() { return 1.5; }\nf(); getAttr(\"t.tx\"); `getAttr t.tx`; print \"\";"),
              "// Result: 4 //\n// Result: 8 //\n// Result: 1.5 //\n// Result: 2.5 //\n// Result: 2.5 //\n");
}

}  // namespace
