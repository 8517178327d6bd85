// Built-in commands driven through the interpreter as a script would.
#include "command/ma_lexer.h"
#include "command/program.h"
#include "command_fixture.h"

#include <cmath>

namespace {

// One statement as a scene file gives it to the interpreter.
rdhost::cmd::Statement fileStatement(const std::string& text) {
    rdhost::ma::StatementReader reader(text);
    rdhost::ma::MaStatement st;
    reader.next(st);
    return st.parsed;
}

}  // namespace

namespace {

class Commands : public CommandFixture {
protected:
    void SetUp() override {
        CommandFixture::SetUp();
        ok("loadPlugin rigDials;");
    }
    // A primitive locator "loc1" under transform "t1".
    void makeLocator() { ok("createNode transform -n t1; createNode KelPrimitiveLocator -n loc1 -p t1;"); }
};

TEST_F(Commands, CreateNodeResultIsTheNewName) {
    EXPECT_EQ(result("createNode transform -n t1"), "t1");
    EXPECT_EQ(result("createNode KelPrimitiveLocator -n loc1 -p t1"), "loc1");
    EXPECT_EQ(result("nodeType loc1"), "KelPrimitiveLocator");
    EXPECT_EQ(result("nodeType t1"), "transform");
    // Without a parent, a locator gets a transform as in the host.
    std::string shape = result("createNode KelPrimitiveLocator");
    rdhost::Node* n = scene().findNode(shape);
    ASSERT_NE(n, nullptr);
    ASSERT_NE(n->parent, nullptr);
    EXPECT_EQ(n->parent->type->name, "transform");
}

TEST_F(Commands, GetAttrGivesDefaultsInTheirOwnForm) {
    makeLocator();
    struct {
        const char* plug;
        const char* value;
    } cases[] = {
        {"loc1.labelColorB", "0.7"},  // a float attribute prints at float precision
        {"loc1.lcb", "0.7"},          // short name
        {"loc1.colorR", "1.2"},
        {"loc1.color", "1.2 0.8 0"},  // compound: its three children
        {"loc1.labelColor", "0 0 0.7"},
        {"loc1.type", "2"},  // enum as its number
        {"loc1.drawType", "2"},
        {"loc1.displayLabel", "1"},  // boolean as an integer
        {"loc1.slices", "12"},
        {"loc1.label", "KelPrimitiveLocator"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plug);
        EXPECT_EQ(result(std::string("getAttr ") + c.plug), c.value);
    }
    EXPECT_EQ(result("getAttr -type loc1.color"), "float3");
    EXPECT_EQ(result("getAttr -type loc1.type"), "enum");
    EXPECT_EQ(result("getAttr -type loc1.label"), "string");
}

TEST_F(Commands, SetAttrStoresEachKindOfValue) {
    makeLocator();
    ok("setAttr loc1.radius 0.7;"
       "setAttr loc1.color 0.1 0.2 0.3;"
       "setAttr loc1.colorG 0.25;"
       "setAttr loc1.type 4;"
       "setAttr loc1.displayLabel off;"
       "setAttr loc1.label -type \"string\" \"Head \\\"ctrl\\\"\";"
       "setAttr loc1.slices 7;"
       "setAttr -k on loc1.stacks 9;");
    EXPECT_EQ(result("getAttr loc1.radius"), "0.7");
    EXPECT_EQ(result("getAttr loc1.color"), "0.1 0.25 0.3");
    EXPECT_EQ(result("getAttr loc1.type"), "4");
    EXPECT_EQ(result("getAttr loc1.dlb"), "0");
    EXPECT_EQ(result("getAttr loc1.label"), "Head \"ctrl\"");
    EXPECT_EQ(result("getAttr loc1.sl"), "7");
    EXPECT_EQ(result("getAttr loc1.st"), "9");
    // The stored float is the float nearest 0.7, as the host's float attribute holds it.
    EXPECT_EQ(getNumber(scene().findNode("loc1"), "radius"), static_cast<double>(0.7f));
    EXPECT_EQ(result("getAttr loc1.width"), "2");
    ok("setAttr loc1.width 1e-9");
    EXPECT_EQ(result("getAttr loc1.width"), "1e-09");
}

TEST_F(Commands, AnglesAndDistancesSpeakUiUnits) {
    ok("createNode transform -n t1; setAttr t1.rx 90; setAttr t1.translate 1 2.5 -3;");
    rdhost::Node* t = scene().findNode("t1");
    EXPECT_DOUBLE_EQ(getNumber(t, "rotateX"), M_PI / 2);
    EXPECT_EQ(result("getAttr t1.rotateX"), "90");
    EXPECT_EQ(result("getAttr t1.t"), "1 2.5 -3");
    EXPECT_EQ(getNumber(t, "translateY"), 2.5);
    ok("setAttr t1.ry 33.3");
    EXPECT_EQ(result("getAttr t1.ry"), "33.3");
}

TEST_F(Commands, ValueOutsideHardLimitsIsClampedWithAWarning) {
    makeLocator();
    struct {
        const char* command;
        const char* plug;
        const char* value;
        const char* warning;
    } cases[] = {
        {"setAttr loc1.slices 60", "loc1.slices", "50", "60 is above the maximum 50 of 'loc1.slices'"},
        {"setAttr loc1.stacks 0", "loc1.stacks", "1", "0 is below the minimum 1 of 'loc1.stacks'"},
        {"setAttr loc1.radius -2", "loc1.radius", "0", "-2 is below the minimum 0 of 'loc1.radius'"},
        {"setAttr loc1.outerRadius 7.5", "loc1.outerRadius", "5", "above the maximum 5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_TRUE(run(c.command));
        EXPECT_NE(err().find("// Warning: setAttr: "), std::string::npos) << err();
        EXPECT_NE(err().find(c.warning), std::string::npos) << err();
        EXPECT_EQ(result(std::string("getAttr ") + c.plug), c.value);
    }
    // No limits: stored as given, no warning.
    EXPECT_TRUE(run("setAttr loc1.colorR 3.5"));
    EXPECT_EQ(err(), "");
    EXPECT_EQ(result("getAttr loc1.colorR"), "3.5");
}

TEST_F(Commands, ConnectAndDisconnect) {
    ok("createNode transform -n a; createNode transform -n b;");
    EXPECT_EQ(result("connectAttr a.tx b.ty"), "Connected a.translateX to b.translateY.");
    ok("setAttr a.tx 4");
    EXPECT_EQ(result("getAttr b.ty"), "4");
    // A driven plug refuses setAttr; a second source needs -force.
    EXPECT_FALSE(run("setAttr b.ty 1"));
    EXPECT_NE(err().find("'b.translateY' is driven by a connection from 'a.translateX'"), std::string::npos)
        << err();
    EXPECT_FALSE(run("connectAttr a.tz b.ty"));
    EXPECT_NE(err().find("use -force"), std::string::npos) << err();
    ok("connectAttr -f a.tz b.ty; setAttr a.tz 6;");
    EXPECT_EQ(result("getAttr b.ty"), "6");
    EXPECT_EQ(result("disconnectAttr a.tz b.ty"), "Disconnected a.translateZ from b.translateY.");
    ok("setAttr b.ty 1");
    EXPECT_EQ(result("getAttr b.ty"), "1");
    // Any numeric output to any numeric input: an angle into a distance keeps
    // its number in user units, 90 degrees giving 90 centimetres.
    ok("setAttr a.rx 90; connectAttr a.rx b.tx;");
    EXPECT_DOUBLE_EQ(getNumber(scene().findNode("b"), "tx"), 90.0);
    std::string usage = rdhost::cmd::helpText();
    usage = usage.substr(usage.find("\n  connectAttr\n"));
    usage = usage.substr(0, usage.find("\n  disconnectAttr\n"));
    EXPECT_NE(usage.find("in degrees"), std::string::npos) << usage;
}

TEST_F(Commands, ParentDeleteRenameSelectLs) {
    ok("createNode transform -n g; createNode transform -n a; createNode transform -n b;");
    EXPECT_EQ(result("parent a g"), "a");
    EXPECT_EQ(scene().findNode("a")->parent, scene().findNode("g"));
    EXPECT_EQ(result("ls -long a"), "|g|a");
    ok("parent -w a");
    EXPECT_EQ(scene().findNode("a")->parent, nullptr);
    EXPECT_EQ(result("rename b c"), "c");
    EXPECT_EQ(scene().findNode("b"), nullptr);
    ok("select -r a c; select -add g; select -d a;");
    EXPECT_EQ(result("ls -sl"), "c g");
    ok("select -cl");
    EXPECT_EQ(result("ls -sl"), "");
    EXPECT_EQ(result("ls -type transform"), "g a c");
    EXPECT_EQ(result("ls \"?\""), "g a c");
    ok("parent c g; delete g;");
    EXPECT_EQ(scene().findNode("c"), nullptr);  // went with its parent
    EXPECT_EQ(result("ls -type transform"), "a");
}

TEST_F(Commands, RenamingATransformRenamesTheShapesNamedAfterIt) {
    ok("createNode transform -n browL_ctrl; createNode KelSliderManipulator -n browL_ctrlShape -p browL_ctrl;"
       "createNode KelPrimitiveLocator -n extra -p browL_ctrl;"
       "createNode transform -n pCube1; createNode KelPrimitiveLocator -n pCubeShape1 -p pCube1;"
       "createNode transform -n keep; createNode KelPrimitiveLocator -n keepShape -p keep;");
    const struct {
        const char* command;
        const char* result;
        const char* shapes;  // ls of the locators afterwards
    } cases[] = {
        {"rename browL_ctrl browLeft_ctrl", "browLeft_ctrl",
         "browLeft_ctrlShape extra pCubeShape1 keepShape"},
        // The host's numbered form: pCube1 | pCubeShape1.
        {"rename pCube1 bar1", "bar1", "browLeft_ctrlShape extra barShape1 keepShape"},
        {"rename bar1 bar", "bar", "browLeft_ctrlShape extra barShape keepShape"},
        {"rename bar bar1", "bar1", "browLeft_ctrlShape extra bar1Shape keepShape"},
        {"rename -ignoreShape keep kept", "kept", "browLeft_ctrlShape extra bar1Shape keepShape"},
        {"rename keepShape other", "other", "browLeft_ctrlShape extra bar1Shape other"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(result(c.command), c.result);
        EXPECT_EQ(result("ls -type KelSliderManipulator -type KelPrimitiveLocator"), c.shapes);
    }
    EXPECT_EQ(scene().findNode("browLeft_ctrlShape")->parent, scene().findNode("browLeft_ctrl"));
}

TEST_F(Commands, LsMatchesPatterns) {
    makeLocator();
    ok("createNode KelPrimitiveLocator -n loc2 -p t1;");
    EXPECT_EQ(result("ls \"loc*\""), "loc1 loc2");
    EXPECT_EQ(result("ls -type KelPrimitiveLocator"), "loc1 loc2");
    EXPECT_EQ(result("ls \"*2\""), "loc2");
    EXPECT_EQ(result("ls -type nothingLikeThis"), "");
    // Types derived from the one asked for are listed too, as the host's type tree has them.
    ok("createNode joint -n j; setKeyframe -t 1 -v 2 j.tx; setKeyframe -t 1 -v 2 j.rx;");
    EXPECT_EQ(result("ls -type transform"), "t1 j");
    EXPECT_EQ(result("ls -type locator"), "loc1 loc2");
    EXPECT_EQ(result("ls -type animCurve"), "j_translateX j_rotateX");
    EXPECT_EQ(result("ls -type animCurveTA"), "j_rotateX");
}

TEST_F(Commands, ListAttrInCreationOrder) {
    makeLocator();
    // The locator base's own attributes come first, then the plug-in's in its order.
    EXPECT_EQ(result("listAttr loc1"),
              "visibility displayLabel label labelColorR labelColorG labelColorB labelColor colorR colorG "
              "colorB color type drawType radius slices stacks width height depth innerRadius "
              "outerRadius");
}

TEST_F(Commands, LockKeyableAndChannelBoxArePerPlugStates) {
    ok("createNode transform -n grp; createNode transform -n other;"
       "setAttr -lock on grp.tx 5;"  // the value, then the lock
       "setAttr -keyable off grp.rx;"
       "setAttr -k off -cb on grp.rz;"
       "setAttr -lock on grp.scale;"  // a compound's lock covers its children
       "setAttr -k off other.t;");    // a compound's keyable state is its children's
    const struct {
        const char* command;
        const char* result;
    } cases[] = {
        {"getAttr grp.tx", "5"},
        {"getAttr -lock grp.tx", "1"},
        {"getAttr -lock grp.ty", "0"},
        {"getAttr -lock grp.sy", "1"},
        {"getAttr -keyable grp.rx", "0"},
        {"getAttr -keyable grp.ry", "1"},
        {"getAttr -channelBox grp.rz", "1"},
        {"getAttr -channelBox grp.ry", "0"},
        {"listAttr -keyable grp", "visibility translateX translateY translateZ rotateY scaleX scaleY scaleZ"},
        {"listAttr -channelBox grp", "rotateZ"},
        {"listAttr -locked grp", "translateX scale"},
        {"listAttr -keyable other", "visibility rotateX rotateY rotateZ scaleX scaleY scaleZ"},
        // Keying the node keys its keyable channels that are not locked.
        {"setKeyframe grp", "4"},
        {"keyframe -q -kc grp", "4"},
        {"setAttr -lock off grp.tx 2; getAttr grp.tx", "2"},
        {"setAttr -l on grp.ty; setAttr -l off grp.ty; setAttr grp.ty 3; getAttr grp.ty", "3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        std::string o = ok(c.command);
        EXPECT_NE(o.find(std::string("// Result: ") + c.result + " //"), std::string::npos) << o;
    }
}

TEST_F(Commands, InheritedAttributesComeFirstAndTheHelpSaysSo) {
    makeLocator();
    ok("createNode transform -n t;");
    EXPECT_EQ(result("listAttr t").rfind("visibility translate ", 0), 0u) << result("listAttr t");
    EXPECT_EQ(result("attributeQuery -node loc1 -exists visibility"), "1");
    EXPECT_EQ(result("attributeQuery -type KelPrimitiveLocator -shortName visibility"), "v");
    // Wrapped lines joined, so a phrase reads whole wherever the wrapping fell.
    std::string help;
    for (char c : rdhost::cmd::helpText()) {
        if (c == '\n') c = ' ';
        if (!(c == ' ' && !help.empty() && help.back() == ' ')) help += c;
    }
    EXPECT_NE(help.find("inherits from the host first"), std::string::npos) << help;
    EXPECT_NE(help.find("result: attribute long names (short with -shortNames): inherited ones first"),
              std::string::npos)
        << help;
}

TEST_F(Commands, PluginInfoAndPluginLifetime) {
    EXPECT_EQ(result("pluginInfo -q -loaded rigDials"), "1");
    EXPECT_EQ(result("pluginInfo -query -listPlugins"), "rigDials");
    EXPECT_EQ(result("pluginInfo -q -dependNode rigDials"),
              "KelArcSliderManipulator KelArcSliderManipulatorManip KelSliderManipulator "
              "KelSliderManipulatorManip KelPrimitiveLocator");
    // Already loaded: a warning, nothing else.
    std::string before = snapshot();
    EXPECT_TRUE(run("loadPlugin rigDials"));
    EXPECT_NE(err().find("// Warning: "), std::string::npos);
    EXPECT_EQ(out(), "");
    EXPECT_EQ(snapshot(), before);
    // Unloading is refused while its nodes exist, then allowed.
    makeLocator();
    EXPECT_FALSE(run("unloadPlugin rigDials"));
    EXPECT_NE(err().find("// Error: line 1: unloadPlugin: "), std::string::npos) << err();
    ok("delete t1");
    EXPECT_EQ(result("unloadPlugin rigDials"), "rigDials");
    EXPECT_EQ(result("pluginInfo -q -loaded rigDials"), "0");
    EXPECT_EQ(result("loadPlugin \"" RIGDIALS_BIN_DIR "/rigDials.so\""), "rigDials");
}

TEST_F(Commands, RequiresAcceptsLoadedAndHostPlugins) {
    EXPECT_TRUE(run("requires maya \"2022\"; requires \"rigDials\" \"3.0\";"));
    EXPECT_EQ(err(), "");
    EXPECT_FALSE(run("requires \"noSuchPlugin\" \"1.0\";"));
    EXPECT_NE(err().find("// Error: line 1: requires: "), std::string::npos) << err();
    rdhost::cmd::Statement st = fileStatement("requires \"noSuchPlugin\" \"1.0\";");
    err_.str("");
    interp().runStatement(st, false, /*fileContext=*/true);
    EXPECT_NE(err().find("// Warning: requires: plug-in 'noSuchPlugin' is not available"), std::string::npos)
        << err();
}

TEST_F(Commands, PrintWritesValuesAsTheyAre) {
    EXPECT_EQ(ok("print \"a\\tb\\n\"; print 3; print 0.70; print yes;"), "a\tb\n30.71");
}

TEST_F(Commands, CurrentUnitHonoursCentimetresAndDegreesOnly) {
    EXPECT_TRUE(run("currentUnit -l centimeter -a degree -t film"));
    EXPECT_EQ(err(), "");
    EXPECT_EQ(result("currentUnit -q -linear"), "cm");
    EXPECT_EQ(result("currentUnit -q -f -angle"), "degree");
    EXPECT_TRUE(run("currentUnit -l inch"));
    EXPECT_NE(err().find("// Warning: currentUnit: linear unit 'inch' is not supported"), std::string::npos)
        << err();
}

TEST_F(Commands, ExecuteCommandRunsNestedTextWithoutPrinting) {
    makeLocator();
    out_.str("");
    std::string r;
    ASSERT_TRUE(scene().executeHook()("getAttr loc1.color", &r));
    EXPECT_EQ(r, "1.2 0.8 0");
    std::vector<std::string> list;
    ASSERT_TRUE(scene().executeListHook()("ls -type KelPrimitiveLocator", &list));
    EXPECT_EQ(list, std::vector<std::string>({"loc1"}));
    EXPECT_EQ(out(), "");
    // A failure is reported, counted, and returned as failure.
    int before = interp().errorCount();
    EXPECT_FALSE(scene().executeHook()("getAttr loc1.nothing", &r));
    EXPECT_EQ(interp().errorCount(), before + 1);
    EXPECT_NE(err().find("// Error: getAttr: 'loc1' has no attribute 'nothing' //"), std::string::npos)
        << err();
}

TEST_F(Commands, ResultsPrintAfterEachTopLevelCommand) {
    EXPECT_EQ(ok("createNode transform -n a; setAttr a.tx 2; getAttr a.tx; ls a;"),
              "// Result: a //\n// Result: 2 //\n// Result: a //\n");
}

}  // namespace

namespace {

using Interpreting = CommandFixture;

TEST_F(Interpreting, IdleStepRunsAfterEachTopLevelCommand) {
    // The deferred command runs in the idle step right after the command that
    // queued it, after its result, before the next statement.
    EXPECT_EQ(ok("evalDeferred \"print \\\"deferred\\\\n\\\"\"; print \"next\\n\";"), "deferred\nnext\n");
}

TEST_F(Interpreting, KeyedAttributeCanBeSetUntilTimeChanges) {
    ok("createNode transform -n a; currentTime 1; setAttr a.tx 2; setKeyframe \"a.tx\";");
    EXPECT_TRUE(run("setAttr a.tx 5")) << err();
    EXPECT_EQ(result("getAttr a.tx"), "5");
}

TEST_F(Interpreting, SceneFileContextSkipsUnknownCommandsWithAWarning) {
    rdhost::cmd::Statement st = fileStatement("fileInfo \"application\" \"maya\";");
    EXPECT_THROW(interp().runStatement(st, false), rdhost::HostError);
    err_.str("");
    EXPECT_NO_THROW(interp().runStatement(st, false, /*fileContext=*/true));
    EXPECT_EQ(err(), "// Warning: line 1: unknown command 'fileInfo' skipped //\n");
}

TEST_F(Interpreting, UnknownNodeTypeInASceneFileBecomesAPlaceholder) {
    rdhost::cmd::Statement st = fileStatement("createNode mysteryNode -n \"m1\";");
    rdhost::cmd::Value v = interp().runStatement(st, false, /*fileContext=*/true);
    EXPECT_EQ(v.text(), "m1");
    EXPECT_EQ(result("nodeType m1"), "mysteryNode");
    EXPECT_EQ(result("ls -type mysteryNode"), "m1");
}

}  // namespace

namespace {

TEST_F(Interpreting, PatternsMatchWholeNamesQuickly) {
    ok("createNode transform -n aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa;"
       "createNode transform -n abc; createNode transform -n xabcx;");
    struct {
        const char* pattern;
        const char* names;
    } cases[] = {
        {"abc", "abc"},
        {"a*", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa abc"},
        {"*c", "abc"},
        {"*abc*", "abc xabcx"},
        {"?abc?", "xabcx"},
        {"a?c", "abc"},
        {"*b*c", "abc"},
        {"**", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa abc xabcx"},
        // Would take exponential time with a naive backtracking matcher.
        {"*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(result(std::string("ls -type transform \"") + c.pattern + "\""), c.names);
    }
}

}  // namespace
