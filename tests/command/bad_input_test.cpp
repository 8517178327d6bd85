// Bad input: each gets a message naming the offending thing, fails the script,
// and leaves the scene exactly as it was.
#include "command_fixture.h"

#include <fstream>

namespace {

class BadInput : public CommandFixture {
protected:
    void SetUp() override {
        CommandFixture::SetUp();
        ok("loadPlugin rigDials;"
           "createNode transform -n t1;"
           "createNode KelPrimitiveLocator -n loc1 -p t1;"
           "createNode transform -n a; createNode transform -n b;"
           "connectAttr a.tx b.tx;"
           "setAttr -lock on b.tz; setAttr -lock on t1.rotate; setAttr -lock on a.sy;"
           "select -r t1;");
    }
};

struct Case {
    const char* script;
    const char* message;  // the whole error line
};

TEST_F(BadInput, NamesTheThingAndChangesNothing) {
    const Case cases[] = {
        {"createNode noSuchType", "// Error: line 1: createNode: unknown node type 'noSuchType' //"},
        {"createNode transform -n \"bad name\"",
         "// Error: line 1: createNode: 'bad name' is not a valid node name //"},
        {"createNode transform -p nowhere", "// Error: line 1: createNode: no node named 'nowhere' //"},
        {"setAttr nobody.tx 1", "// Error: line 1: setAttr: no node named 'nobody' //"},
        {"setAttr loc1.radiu 1", "// Error: line 1: setAttr: 'loc1' has no attribute 'radiu' //"},
        {"setAttr loc1.color 1 2", "// Error: line 1: setAttr: 'loc1.color' takes 3 values, got 2 //"},
        {"setAttr loc1.radius 1 2", "// Error: line 1: setAttr: 'loc1.radius' takes 1 value, got 2 //"},
        {"setAttr loc1.radius", "// Error: line 1: setAttr: no value given for 'loc1.radius' //"},
        {"setAttr loc1.radius big",
         "// Error: line 1: setAttr: 'big' is not a number (for 'loc1.radius') //"},
        {"setAttr loc1.color 1 x 0", "// Error: line 1: setAttr: 'x' is not a number (for 'loc1.colorG') //"},
        {"setAttr loc1.color 0.5 0.5 1e999",
         "// Error: line 1: setAttr: 1e999 is not a finite number (for 'loc1.colorB') //"},
        {"setAttr loc1.radius 1e39", "// Error: line 1: setAttr: 1e39 is out of range for 'loc1.radius' //"},
        {"setAttr loc1.colorR 3.4028236e38",
         "// Error: line 1: setAttr: 3.4028236e38 is out of range for 'loc1.colorR' //"},
        {"setKeyframe -v 1e39 loc1.radius",
         "// Error: line 1: setKeyframe: 1e39 is out of range for 'loc1.radius' //"},
        {"setKeyframe -v 1e999 a.rx",
         "// Error: line 1: setKeyframe: 1e999 is not a finite number (for 'a.rotateX') //"},
        {"setKeyframe -v 0 loc1.type",
         "// Error: line 1: setKeyframe: 0 is not a value of enum 'loc1.type' "
         "(cube=1:sphere=2:cone=3:torus=4:rectangle=5:cylinder=6) //"},
        {"setAttr loc1.label \"x\"",
         "// Error: line 1: setAttr: 'loc1.label' is a string attribute; give -type \"string\" //"},
        {"setAttr loc1.radius -type \"string\" \"x\"",
         "// Error: line 1: setAttr: 'loc1.radius' is not a string attribute (it is float) //"},
        {"setAttr loc1.type 0",
         "// Error: line 1: setAttr: 0 is not a value of enum 'loc1.type' "
         "(cube=1:sphere=2:cone=3:torus=4:rectangle=5:cylinder=6) //"},
        {"setAttr loc1", "// Error: line 1: setAttr: 'loc1' is not a plug (expected node.attribute) //"},
        {"setAttr b.tx 3",
         "// Error: line 1: setAttr: 'b.translateX' is driven by a connection from 'a.translateX'; "
         "disconnect it first //"},
        {"setAttr -bogus 1 loc1.radius 2", "// Error: line 1: setAttr: unknown flag -bogus //"},
        {"getAttr loc1.radius -x", "// Error: line 1: getAttr: unknown flag -x //"},
        {"getAttr loc1.nope", "// Error: line 1: getAttr: 'loc1' has no attribute 'nope' //"},
        {"connectAttr a.tx b.tx",
         "// Error: line 1: connectAttr: 'a.translateX' is already connected to 'b.translateX' //"},
        {"connectAttr a.ty b.tx",
         "// Error: line 1: connectAttr: 'b.translateX' is already connected from 'a.translateX'; use -force "
         "to replace it //"},
        {"connectAttr loc1.label a.ty",
         "// Error: line 1: connectAttr: cannot connect 'loc1.label' (string) to 'a.translateY' "
         "(doubleLinear) //"},
        {"disconnectAttr a.ty b.ty",
         "// Error: line 1: disconnectAttr: 'a.translateY' is not connected to 'b.translateY' //"},
        {"parent t1 t1", "// Error: line 1: parent: cannot parent 't1' under 't1', which is itself //"},
        {"parent a b; parent b a",
         "// Error: line 1: parent: cannot parent 'b' under 'a', which is below it //"},
        {"parent -w loc1", "// Error: line 1: parent: 'loc1' is a shape; it must stay under a transform //"},
        {"parent a loc1", "// Error: line 1: parent: 'loc1' is not a transform; it cannot be a parent //"},
        {"unloadPlugin rigDials rigDials", "// Error: line 1: unloadPlugin: expects one plug-in name //"},
        {"delete t1 ghost", "// Error: line 1: delete: no node named 'ghost' //"},
        {"rename a \"1abc\"", "// Error: line 1: rename: '1abc' is not a valid node name //"},
        {"select -r a ghost", "// Error: line 1: select: no node named 'ghost' //"},
        {"nodeType ghost", "// Error: line 1: nodeType: no node named 'ghost' //"},
        {"attributeQuery -node loc1 -listEnum radius",
         "// Error: line 1: attributeQuery: 'radius' is not an enum //"},
        {"attributeQuery -node loc1 -minimum color",
         "// Error: line 1: attributeQuery: 'color' has no minimum //"},
        {"attributeQuery -node loc1 -keyable nope",
         "// Error: line 1: attributeQuery: 'loc1' has no attribute 'nope' //"},
        {"attributeQuery -node loc1 -keyable -hidden radius",
         "// Error: line 1: attributeQuery: give one query flag, not -keyable and -hidden //"},
        {"unloadPlugin rigDials", nullptr},
        {"unloadPlugin notLoaded", "// Error: line 1: unloadPlugin: plug-in 'notLoaded' is not loaded //"},
        {"loadPlugin noSuchPlugin", nullptr},
        {"loadPlugin cmd_no_entry", nullptr},
        {"noSuchCommand 1 2", "// Error: line 1: unknown command 'noSuchCommand' //"},
        {"pluginInfo -q -dependNode notLoaded",
         "// Error: line 1: pluginInfo: plug-in 'notLoaded' is not loaded //"},
        // Syntax errors stop the script before anything runs.
        {"createNode transform -n x; print \"open", "// Error: line 1: unterminated string //"},
        {"createNode transform -n x;\n/* open\n",
         "// Error: line 2: unterminated comment (opened with /* on line 2) //"},
        {"createNode transform -n x;\n\ncreateNode transform -n \"y",
         "// Error: line 3: unterminated string //"},
        // Locked plugs refuse every change, naming the lock that stops it.
        {"setAttr b.tz 1", "// Error: line 1: setAttr: 'b.translateZ' is locked; it cannot be changed //"},
        {"setAttr -keyable off b.tz 1",
         "// Error: line 1: setAttr: 'b.translateZ' is locked; it cannot be changed //"},
        {"setAttr t1.rx 10",
         "// Error: line 1: setAttr: 't1.rotateX' is locked (its parent 't1.rotate' is locked); it cannot be "
         "changed //"},
        {"setAttr a.s 1 2 3",
         "// Error: line 1: setAttr: 'a.scale' is locked (its child 'a.scaleY' is locked); it cannot be "
         "changed //"},
        {"createNode plusMinusAverage -n x; setAttr x.i1[0] 1; setAttr -l on x.i1[1]; setAttr x.i1[0:1] 5 6",
         "// Error: line 1: setAttr: 'x.input1D[1]' is locked; it cannot be changed //"},  // [0] stays 1
        {"connectAttr a.tz b.tz",
         "// Error: line 1: connectAttr: 'b.translateZ' is locked; it cannot be connected to //"},
        {"setKeyframe t1.rz",
         "// Error: line 1: setKeyframe: 't1.rotateZ' is locked (its parent 't1.rotate' is locked); it "
         "cannot be keyed //"},
        {"createNode transform -n x; createNode KelSliderManipulator -n xs -p x; setAttr -l on xs.hp; "
         "showManip xs;"
         "dragManip xs distanceManip 1",
         "// Error: line 1: dragManip: 'xs.posHandle' is locked; it cannot be changed //"},
        {"connectAttr a.ty b.ty; setAttr -l on b.ty; disconnectAttr a.ty b.ty",
         "// Error: line 1: disconnectAttr: 'b.translateY' is locked; it cannot be disconnected //"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        // Multi-statement cases start from the same scene: the failing statement is
        // compared with the state just before it.
        std::string script = c.script;
        size_t split = script.rfind(';');
        bool syntax = script.find('"') != std::string::npos &&
                      std::string(c.message ? c.message : "").find("unterminated") != std::string::npos;
        if (!syntax && split != std::string::npos && split + 1 < script.size()) {
            ok(script.substr(0, split + 1));
            script = script.substr(split + 1);
        }
        std::string before = snapshot();
        EXPECT_FALSE(run(script));
        EXPECT_EQ(out(), "");
        if (c.message) {
            EXPECT_EQ(err(), std::string(c.message) + "\n");
        } else {
            EXPECT_EQ(err().rfind("// Error: line 1: ", 0), 0u) << err();
        }
        EXPECT_EQ(snapshot(), before);
        // Undo the set-up of multi-statement cases.
        if (scene().findNode("x")) ok("delete x");
        if (scene().findNode("a")->parent) ok("parent -w a");
    }
}

TEST_F(BadInput, LongInputIsClippedWhereMessagesQuoteIt) {
    const std::string word(1000000, 'z');
    const std::string shown = std::string(60, 'z') + "... (1000000 characters)";
    struct {
        std::string script, message;
    } cases[] = {
        {word, "unknown command '" + shown + "'"},
        {"setAttr t1.tx " + word, "setAttr: '" + shown + "' is not a number (for 't1.translateX')"},
        {"setAttr -" + word + " 1 t1.tx 2", "setAttr: unknown flag -" + shown},
        {"createNode transform -n \"" + word + " \"",
         "createNode: '" + std::string(60, 'z') + "... (1000001 characters)' is not a valid node name"},
        // Quoted nowhere on purpose (a path): clipped on its way out.
        {"loadPlugin \"/" + word + "\"",
         "loadPlugin: plug-in file '/" + std::string(58, 'z') + "... (1000003 characters) does not exist"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(run(c.script));
        EXPECT_EQ(err(), "// Error: line 1: " + c.message + " //\n");
    }
    std::string accents;
    for (int i = 0; i < 100; ++i) accents += "\u00e9";
    EXPECT_EQ(rdhost::clipInput(accents), accents.substr(0, 120) + "... (100 characters)")
        << "whole characters";
    std::string spaced;
    for (int i = 0; i < 3000; ++i) spaced += "ab ";
    const std::string readable = rdhost::readableMessage(spaced + "end");
    EXPECT_LT(readable.size(), 4100u);
    EXPECT_EQ(readable.substr(readable.size() - 6), "ab end") << "the end of the message stays";
}

TEST_F(BadInput, PluginFailuresNameThePlugin) {
    EXPECT_FALSE(run("loadPlugin noSuchPlugin"));
    EXPECT_NE(err().find("noSuchPlugin"), std::string::npos) << err();
    EXPECT_FALSE(run("loadPlugin cmd_no_entry"));
    EXPECT_NE(err().find("cmd_no_entry"), std::string::npos) << err();
    EXPECT_NE(err().find("initializePlugin"), std::string::npos) << err();
    EXPECT_FALSE(run("unloadPlugin rigDials"));
    EXPECT_NE(err().find("rigDials"), std::string::npos) << err();
}

using FreshScene = CommandFixture;

TEST_F(FreshScene, LoadingSeveralPluginsIsAllOrNothing) {
    EXPECT_FALSE(run("loadPlugin rigDials noSuchPlugin"));
    EXPECT_NE(err().find("noSuchPlugin"), std::string::npos) << err();
    EXPECT_TRUE(scene().plugins().empty());
    EXPECT_EQ(result("pluginInfo -q -loaded rigDials"), "0");
}

TEST_F(BadInput, ErrorStopsTheScriptAtItsLine) {
    EXPECT_FALSE(
        run("createNode transform -n x1;\n"
            "setAttr x1.tx 5;\n"
            "setAttr x1.tx nope;\n"
            "createNode transform -n x2;"));
    EXPECT_EQ(err(), "// Error: line 3: setAttr: 'nope' is not a number (for 'x1.translateX') //\n");
    EXPECT_NE(scene().findNode("x1"), nullptr);
    EXPECT_EQ(scene().findNode("x2"), nullptr);
    EXPECT_EQ(result("getAttr x1.tx"), "5");
}

TEST_F(BadInput, MissingOrUnreadableScriptIsNamed) {
    std::string before = snapshot();
    out_.str("");
    err_.str("");
    EXPECT_FALSE(interp().runFile("/nonexistent/dir/script.mel"));
    EXPECT_EQ(err(), "// Error: cannot read script '/nonexistent/dir/script.mel' //\n");
    err_.str("");
    EXPECT_FALSE(interp().runFile(RIGDIALS_SOURCE_DIR));  // a folder
    EXPECT_NE(err().find("cannot read script"), std::string::npos);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(BadInput, FlagCombinationsAreValidatedBeforeAnyChange) {
    std::string before = snapshot();
    EXPECT_FALSE(run("createNode transform -n x -p"));
    EXPECT_EQ(err(), "// Error: line 1: createNode: flag -p needs 1 argument //\n");
    EXPECT_FALSE(run("setAttr -k maybe loc1.radius 2"));
    EXPECT_EQ(err(), "// Error: line 1: setAttr: flag -keyable expects on or off, got 'maybe' //\n");
    EXPECT_EQ(snapshot(), before);
}

}  // namespace
