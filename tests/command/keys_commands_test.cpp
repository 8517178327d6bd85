// Keys through commands: setKeyframe, keyframe -query, currentTime,
// evalDeferred, and how keyed attributes behave under setAttr and connectAttr.
#include "command/keys_nodes.h"
#include "command_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

class Keys : public CommandFixture {
protected:
    void SetUp() override {
        CommandFixture::SetUp();
        ok("createNode transform -n \"ball\";");
    }
};

TEST_F(Keys, SetKeyframeCreatesTheCurveNamedAfterThePlug) {
    ok("currentTime 1; setAttr ball.tx 2;");
    EXPECT_EQ(result("setKeyframe \"ball.tx\""), "1");
    rdhost::Node* curve = scene().findNode("ball_translateX");
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->type->name, "animCurveTL");
    rdhost::Node* ball = scene().findNode("ball");
    const auto& src = ball->source(ball->findAttr("tx")->index);
    EXPECT_EQ(src.node, curve) << "the curve's output drives the attribute";

    // Short and long names reach the same curve; types follow the unit.
    ok("currentTime 5; setAttr ball.tx 6; setKeyframe ball.translateX;");
    EXPECT_EQ(result("keyframe -query -keyframeCount ball.tx"), "2");
    ok("setKeyframe ball.rx; setKeyframe ball.visibility;");
    EXPECT_EQ(scene().findNode("ball_rotateX")->type->name, "animCurveTA");
    EXPECT_EQ(scene().findNode("ball_visibility")->type->name, "animCurveTU");

    // A second node keyed on an attribute with a clashing curve name.
    ok("createNode transform -n ball_translate; createNode animCurveTU -n \"ball_translateY\";"
       "setKeyframe ball.ty;");
    rdhost::Node* ty = rdhost::keys::drivingCurve({ball, ball->findAttr("ty")->index});
    ASSERT_NE(ty, nullptr);
    EXPECT_EQ(ty->name, "ball_translateY1");
}

TEST_F(Keys, CurrentTimeFollowsAutoTangentsAndHoldsOutsideTheKeys) {
    ok("currentTime 1; setAttr ball.tx 0; setKeyframe ball.tx;"
       "currentTime 11; setAttr ball.tx 10; setKeyframe ball.tx;"
       "currentTime 21; setAttr ball.tx -10; setKeyframe ball.tx;");
    // Auto tangents: level at the ends and at the peak, so each segment eases
    // in and out (a quarter of the way: 0.15625 of the rise).
    struct {
        const char* time;
        const char* value;
    } cases[] = {{"-5", "0"}, {"1", "0"},    {"3.5", "1.5625"}, {"11", "10"},
                 {"16", "0"}, {"21", "-10"}, {"1000", "-10"}};
    for (const auto& c : cases) {
        EXPECT_EQ(result(std::string("currentTime ") + c.time), c.time);
        EXPECT_EQ(result("currentTime -query"), c.time);
        EXPECT_EQ(result("getAttr ball.tx"), c.value) << "at " << c.time;
    }
    EXPECT_EQ(result("keyframe -q -tc ball.tx"), "1 11 21");
    EXPECT_EQ(result("keyframe -q -vc ball.tx"), "0 10 -10");
    EXPECT_EQ(result("keyframe -q ball.tx"), "3");
}

TEST_F(Keys, ChangingTheTimeDirtiesWhatTheKeyedAttributeDrives) {
    ok("createNode transform -n follower; connectAttr ball.tx follower.ty;"
       "currentTime 1; setAttr ball.tx 0; setKeyframe ball.tx; currentTime 3; setAttr ball.tx 4;"
       "setKeyframe ball.tx;");
    rdhost::Node* follower = scene().findNode("follower");
    const int ty = follower->findAttr("ty")->index;
    std::vector<rdhost::PlugRef> marked;
    scene().setDirtyHook([&](rdhost::PlugRef p) { marked.push_back(p); });
    ok("currentTime 2;");
    scene().setDirtyHook(nullptr);
    bool reached = false;
    for (const auto& p : marked) reached = reached || (p.node == follower && p.attr == ty);
    EXPECT_TRUE(reached) << "the time change reached follower.ty";
    EXPECT_EQ(follower->storedNumber(ty), 2.0) << "the idle step pulled it already";
    EXPECT_EQ(result("getAttr follower.ty"), "2");
}

TEST_F(Keys, AngleKeysAreDegreesInCommandsAndRadiansInside) {
    ok("currentTime 1; setAttr ball.ry 90; setKeyframe ball.ry; currentTime 3; setAttr ball.ry 0;"
       "setKeyframe ball.ry; currentTime 2;");
    EXPECT_EQ(result("keyframe -q -vc ball.ry"), "90 0");
    EXPECT_EQ(result("getAttr ball.ry"), "45");
    rdhost::Node* curve = scene().findNode("ball_rotateY");
    ASSERT_NE(curve, nullptr);
    EXPECT_DOUBLE_EQ(rdhost::keys::curveKeys(curve)[0].value, 3.14159265358979323846 / 2);
}

TEST_F(Keys, SettingAKeyedAttributeHoldsUntilTheTimeChanges) {
    ok("currentTime 1; setAttr ball.tx 4; setKeyframe ball.tx;");
    ok("setAttr ball.tx 7;");
    EXPECT_EQ(result("getAttr ball.tx"), "7") << "the set value holds at this time";
    ok("setKeyframe ball.tx;");  // so it can be keyed again
    EXPECT_EQ(result("keyframe -q -vc ball.tx"), "7");
    ok("setAttr ball.tx 9; currentTime 2;");
    EXPECT_EQ(result("getAttr ball.tx"), "7") << "a new time evaluates the curve again";
}

TEST_F(Keys, OtherConnectionsRefuseSetAttrAndKeysAndNeedForce) {
    ok("createNode transform -n driver; createNode transform -n other; connectAttr driver.tx ball.tz;");
    const std::string before = snapshot();
    EXPECT_FALSE(run("setAttr ball.tz 3;"));
    EXPECT_NE(err().find("driver"), std::string::npos) << err();
    EXPECT_FALSE(run("setKeyframe ball.tz;"));
    EXPECT_NE(err().find("driven by"), std::string::npos) << err();
    EXPECT_FALSE(run("connectAttr other.tx ball.tz;"));
    EXPECT_NE(err().find("-force"), std::string::npos) << err();
    EXPECT_EQ(snapshot(), before);

    // A keyed attribute is connected too: replacing its curve needs -force.
    ok("setKeyframe ball.sx;");
    EXPECT_FALSE(run("connectAttr other.sx ball.sx;"));
    ok("connectAttr -force other.sx ball.sx;");
    EXPECT_EQ(rdhost::keys::drivingCurve(
                  {scene().findNode("ball"), scene().findNode("ball")->findAttr("sx")->index}),
              nullptr);
}

TEST_F(Keys, BadTargetsChangeNothing) {
    ok("loadPlugin rigDials; createNode KelPrimitiveLocator -n loc -p ball;");
    const std::string before = snapshot();
    struct {
        const char* command;
        const char* message;
    } cases[] = {
        {"setKeyframe loc.label;", "cannot be keyed"},
        {"setKeyframe ball.tx ball.nope;", "nope"},
        {"setKeyframe nobody.tx;", "nobody"},
        {"keyframe ball.tx;", "nothing to change"},
        {"keyframe -q -tc -vc ball.tx;", "one of"},
        {"keyframe -e -tc 5 -time \"9:1\" ball.tx;", "not a range"},
        {"keyTangent -itt bouncy ball.tx;", "not a tangent type"},
        {"keyTangent -global -itt fixed;", "no default"},
        {"keyTangent -ia 90 ball.tx;", "between -90 and 90"},
        {"setInfinity -pri sometimes ball.tx;", "not an infinity"},
        {"pasteKey ball.tx;", "clipboard is empty"},
        {"playbackOptions -min 50 -max 10;", "after its end"},
        {"setDrivenKeyframe ball.ty;", "-currentDriver"},
        {"setDrivenKeyframe -cd ball.ty ball.ty;", "drive itself"},
        {"setDrivenKeyframe -cd loc.label ball.ty;", "not a number"},
        {"currentTime;", "one time"},
        {"currentTime abc;", "one time"},
        {"evalDeferred;", "one command"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(run(c.command)) << c.command;
        EXPECT_NE(err().find(c.message), std::string::npos) << c.command << ": " << err();
        EXPECT_EQ(snapshot(), before) << c.command;
    }
    EXPECT_EQ(result("keyframe -q -kc ball.tx"), "0");
    EXPECT_EQ(result("keyframe -q -tc ball.tx"), "");
}

// Each row starts from the ball keyed 0 at frame 0 and 10 at frame 10 on
// translateX, and a driver node "drv"; it runs its commands, then the last
// one's result is checked ("!text": the last command fails saying text, and
// changes nothing).
TEST_F(Keys, KeyCommandsAsAnimatorsUseThem) {
    struct {
        const char* commands;
        const char* last;
        const char* expect;
    } cases[] = {
        // keyTangent: types, angles, weights, locks
        {"", "keyTangent -q -itt ball.tx", "auto auto"},
        {"keyTangent -itt linear -ott linear ball.tx", "getAttr -time 2.5 ball.tx", "2.5"},
        {"keyTangent -t 0 -ott linear ball.tx", "keyTangent -q -ott ball.tx", "linear auto"},
        {"keyTangent -index 0 -outAngle 30 ball.tx", "keyTangent -q -ia -index 0 ball.tx", "30"},
        {"keyTangent -index 0 -outAngle 30 ball.tx", "keyTangent -q -itt ball.tx", "fixed auto"},
        {"keyTangent -index 0 -lock off -outAngle 30 ball.tx", "keyTangent -q -itt ball.tx", "auto auto"},
        {"keyTangent -index 0 -lock off ball.tx", "keyTangent -q -lock ball.tx", "0 1"},
        // A 10 frame (10/24 s) tangent rising 20: slope 2 a frame.
        {"keyTangent -weightedTangents on ball.tx; keyTangent -index 0 -outAngle 88.806510576 -outWeight "
         "20.004339807 ball.tx",
         "getAttr -time 5 ball.tx", "7.5"},
        {"keyTangent -weightedTangents on ball.tx", "keyTangent -q -weightedTangents ball.tx", "1"},
        {"", "keyTangent -index 0 -inWeight 2 ball.tx", "!not weighted"},
        {"keyTangent -weightedTangents on ball.tx; keyTangent -index 1 -inWeight 2 -inAngle 0 ball.tx",
         "keyTangent -q -iw -index 1 ball.tx", "2"},
        // Tangents as x (seconds) and y: 1 s rising 24 is 1 a frame.
        {"keyTangent -index 0 -ox 1 -oy 24 ball.tx", "getAttr -time 5 ball.tx", "6.25"},
        {"keyTangent -index 0 -ox 1 -oy 24 ball.tx", "keyTangent -q -itt ball.tx", "fixed auto"},
        {"keyTangent -index 0 -lock off -ox 1 -oy 24 ball.tx", "keyTangent -q -itt ball.tx", "auto auto"},
        {"keyTangent -index 0 -ox 3 -oy 4 ball.tx", "keyTangent -q -ix -index 0 ball.tx", "0.6"},
        {"keyTangent -index 0 -ia 30 ball.tx", "keyTangent -q -oy -index 0 ball.tx", "0.5"},
        {"keyTangent -weightedTangents on ball.tx; keyTangent -index 1 -ix 0.3 -iy 0.4 ball.tx",
         "keyTangent -q -iw -index 1 ball.tx", "0.5"},
        {"keyTangent -weightedTangents on ball.tx; keyTangent -index 1 -iy 0 ball.tx",
         "keyTangent -q -ix -index 1 ball.tx", "0.416666667"},
        {"", "keyTangent -index 0 -ox 0 -oy 1 ball.tx", "!a tangent's x must be above 0"},
        {"", "keyTangent -index 0 -ox 1 -oa 10 ball.tx", "!not both"},
        // setInfinity
        {"keyTangent -itt linear -ott linear ball.tx; setInfinity -pri cycle -poi oscillate ball.tx",
         "setInfinity -q -poi ball.tx", "oscillate"},
        {"keyTangent -itt linear -ott linear ball.tx; setInfinity -pri cycle -poi oscillate ball.tx",
         "getAttr -time 12 ball.tx", "8"},
        {"keyTangent -itt linear -ott linear ball.tx; setInfinity -pri cycleRelative ball.tx",
         "getAttr -time -7 ball.tx", "-7"},
        // keyframe -edit and queries
        {"keyframe -e -t 10 -tc 20 ball.tx", "keyframe -q -tc ball.tx", "0 20"},
        {"keyframe -e -r -tc 5 -time \"0:\" ball.tx", "keyframe -q -tc ball.tx", "5 15"},
        {"keyframe -e -vc 3 -index 1 ball.tx", "keyframe -q -vc ball.tx", "0 3"},
        {"keyframe -e -r -vc 2 ball.tx", "keyframe -q -vc ball.tx", "2 12"},
        {"setKeyframe -t 0 -v 90 ball.ry; keyframe -e -r -vc -45 ball.ry", "keyframe -q -vc ball.ry", "45"},
        {"", "keyframe -q -iv -t \"5:\" ball.tx", "1"},
        {"", "keyframe -q -name ball", "ball_translateX"},
        {"", "keyframe -e -tc 10 -index 0 ball.tx", "!share the time 10"},
        {"setKeyframe -t 5 -v 1 -breakdown 1 ball.tx", "keyframe -q -breakdown ball.tx", "0 1 0"},
        // A breakdown keeps its share of the time between the keys around it.
        {"setKeyframe -t 5 -v 1 -bd 1 ball.tx; keyframe -e -t 10 -tc 20 ball.tx", "keyframe -q -tc ball.tx",
         "0 10 20"},
        {"setKeyframe -t 5 -v 1 -bd 1 ball.tx; keyframe -e -r -tc 4 -t 0 ball.tx", "keyframe -q -tc ball.tx",
         "4 7 10"},
        {"setKeyframe -t 5 -v 1 -bd 1 ball.tx; keyframe -e -t 10 -tc 20 ball.tx", "keyframe -q -vc ball.tx",
         "0 1 10"},
        {"setKeyframe -t 15 -v 2 -bd 1 ball.tx; keyframe -e -t 10 -tc 12 ball.tx", "keyframe -q -tc ball.tx",
         "0 12 15"},
        {"setKeyframe -t 5 -v 1 -bd 1 ball.tx; keyframe -e -index 1 -tc 3 ball.tx", "keyframe -q -tc ball.tx",
         "0 3 10"},
        {"setKeyframe -t 5 -v 1 -bd 1 ball.tx; setKeyframe -t 20 -v 0 ball.tx; keyframe -e -t 10 -tc 15 "
         "ball.tx",
         "keyframe -q -tc ball.tx", "0 7.5 15 20"},
        // cutKey, copyKey, pasteKey
        {"cutKey -t 10 ball.tx", "keyframe -q -tc ball.tx", "0"},
        {"currentTime 10; cutKey ball.tx", "ls -type animCurveTL", ""},
        {"currentTime 10; cutKey ball.tx", "getAttr ball.tx", "10"},
        {"copyKey ball.tx; pasteKey -time 20 ball.ty", "keyframe -q -tc ball.ty", "20 30"},
        {"copyKey ball.tx; pasteKey -time 20 -valueOffset 1 ball.ty", "keyframe -q -vc ball.ty", "1 11"},
        {"copyKey ball.tx; pasteKey -time 5 ball.tx", "keyframe -q -tc ball.tx", "0 5 15 20"},
        {"copyKey ball.tx; pasteKey -time 5 -option merge ball.tx", "keyframe -q -tc ball.tx", "0 5 10 15"},
        {"copyKey ball.tx; pasteKey -time 5 -option replace ball.tx", "keyframe -q -tc ball.tx", "0 5 15"},
        {"copyKey -t 10 ball.tx", "pasteKey -time 3 ball.tz ball.sx", "2"},
        // playbackOptions, getAttr -time
        {"playbackOptions -min 5 -max 50", "playbackOptions -q -max", "50"},
        {"playbackOptions -min 5 -max 50", "playbackOptions -q -min", "5"},
        {"", "playbackOptions -q -animationEndTime", "200"},
        {"currentTime 1; getAttr -time 5 ball.tx", "currentTime -q", "1"},
        {"currentTime 1; setAttr ball.tx 7; getAttr -time 5 ball.tx", "getAttr ball.tx", "7"},
        // setDrivenKeyframe
        {"setDrivenKeyframe -cd drv.tx -dv 0 -v 0 ball.ty; setDrivenKeyframe -cd drv.tx -dv 10 -v 5 ball.ty;"
         "setAttr drv.tx 5",
         "getAttr ball.ty", "2.5"},
        {"setDrivenKeyframe -cd drv.tx -dv 0 -v 0 ball.ty", "nodeType ball_translateY", "animCurveUL"},
        {"setDrivenKeyframe -cd drv.rx -dv 0 -v 0 ball.rz; setDrivenKeyframe -cd drv.rx -dv 90 -v 45 ball.rz;"
         "setAttr drv.rx 45",
         "getAttr ball.rz", "22.5"},
        {"setDrivenKeyframe -cd drv.rx -dv 90 -v 45 ball.rz", "keyframe -q -tc ball_rotateZ", "90"},
        {"setAttr drv.tx 3; setAttr ball.sy 2; setDrivenKeyframe -cd drv.tx ball.sy; setAttr drv.tx 0",
         "keyframe -q -tc ball.sy", "3"},
        {"setAttr drv.tx 3; setAttr ball.sy 2; setDrivenKeyframe -cd drv.tx ball.sy; setAttr drv.tx 0",
         "getAttr ball.sy", "2"},
        {"", "setDrivenKeyframe -cd drv.tx -dv 0 -v 0 ball.ty ball.tz", "2"},
        {"setDrivenKeyframe -cd drv.tx -dv 0 -v 0 ball.tz; setDrivenKeyframe -cd drv.tx -dv 10 -v 10 ball.tz;"
         "setDrivenKeyframe -cd drv.ty -dv 0 -v 0 ball.tz; setDrivenKeyframe -cd drv.ty -dv 10 -v 1 ball.tz;"
         "setAttr drv.tx 10; setAttr drv.ty 10",
         "getAttr ball.tz", "11"},
        {"setDrivenKeyframe -cd drv.tx -v 0 ball.tz; setDrivenKeyframe -cd drv.ty -v 0 ball.tz",
         "setDrivenKeyframe -q -driver ball.tz", "drv.translateX drv.translateY"},
        {"setDrivenKeyframe -cd drv.tx -v 0 ball.tz; setDrivenKeyframe -cd drv.ty -v 0 ball.tz;"
         "setDrivenKeyframe -cd drv.tz -v 0 ball.tz",
         "nodeType blendWeighted1", "blendWeighted"},
        {"setDrivenKeyframe -cd drv.tx -v 0 ball.tz; setDrivenKeyframe -cd drv.ty -dv 0 -v 0 ball.tz;"
         "setDrivenKeyframe -cd drv.ty -dv 1 -v 4 ball.tz; setAttr drv.ty 1; setAttr blendWeighted1.w[1] 0.5",
         "getAttr ball.tz", "2"},
        {"", "setDrivenKeyframe -cd drv.tx ball.tx", "!is keyed"},
        {"setDrivenKeyframe -cd drv.tx -v 0 ball.ty; copyKey ball.tx", "pasteKey ball.ty",
         "!driven key curve"},
        {"keyTangent -global -itt linear -ott step; setKeyframe -t 3 ball.ty", "keyTangent -q -ott ball.ty",
         "step"},
    };
    for (const auto& c : cases) {
        ok("file -new -force; createNode transform -n ball; createNode transform -n drv;"
           "keyTangent -global -itt auto -ott auto -weightedTangents off;"
           "setKeyframe -t 0 -v 0 ball.tx; setKeyframe -t 10 -v 10 ball.tx; currentTime 0;");
        if (*c.commands) ok(c.commands);
        const std::string expect = c.expect;
        if (!expect.empty() && expect[0] == '!') {
            const std::string before = snapshot();
            EXPECT_FALSE(run(c.last)) << c.commands << " | " << c.last;
            EXPECT_NE(err().find(expect.substr(1)), std::string::npos) << c.last << ": " << err();
            EXPECT_EQ(snapshot(), before) << c.last;
            continue;
        }
        // A single number is compared to 1e-6: angles and weights go through
        // trigonometry.
        const std::string got = result(c.last);
        char* end = nullptr;
        const double number = std::strtod(got.c_str(), &end);
        if (!got.empty() && *end == '\0' && got != expect)
            EXPECT_NEAR(number, std::stod(expect), 1e-6) << c.commands << " | " << c.last;
        else
            EXPECT_EQ(got, expect) << c.commands << " | " << c.last;
    }
}

TEST_F(Keys, CompoundsAndNodesKeyTheirChildrenAndKeyableAttributes) {
    EXPECT_EQ(result("setKeyframe ball.t"), "3");
    EXPECT_EQ(result("keyframe -q -kc ball.t"), "3");
    EXPECT_EQ(result("keyframe -q -kc ball"), "3") << "a node's keyed attributes";
    EXPECT_EQ(result("setKeyframe -time 10 -value 2 -attribute tx ball"), "1");
    EXPECT_EQ(result("keyframe -q -tc ball.tx"), "1 10");
    EXPECT_EQ(result("keyframe -q -vc ball_translateX"), "0 2") << "a curve named directly";
}

TEST_F(Keys, EvalDeferredRunsAfterTheCommandInOrder) {
    ok("evalDeferred \"setAttr ball.tx 1\"; evalDeferred \"setAttr ball.tx 2\";"
       "evalDeferred -evaluateNext \"setAttr ball.ty 5\";");
    EXPECT_TRUE(scene().deferredCommands().empty()) << "the idle step emptied the queue";
    EXPECT_EQ(result("getAttr ball.tx"), "2");
    EXPECT_EQ(result("getAttr ball.ty"), "5");
    // Nested: queued by a command, run by the idle step after the top-level one.
    ok("evalDeferred \"setKeyframe ball.tz\";");
    EXPECT_EQ(result("keyframe -q -kc ball.tz"), "1");
}

TEST_F(Keys, TheSlidersKeyToggleKeysItsHandleOnceTheCommandIsDone) {
    ok("loadPlugin rigDials; createNode transform -n sl; createNode KelSliderManipulator -n slider1 -p sl;"
       "currentTime 1; setAttr slider1.posHandle 1.5;");
    ok("setAttr slider1.KeyCurrentValue 1;");
    EXPECT_EQ(result("keyframe -q -kc slider1.posHandle"), "1") << "the deferred setKeyframe ran";
    EXPECT_EQ(result("getAttr slider1.KeyCurrentValue"), "0") << "the toggle switched itself off";
    ok("currentTime 10; setAttr slider1.posHandle 3; setAttr slider1.KeyCurrentValue 1; currentTime 5.5;");
    EXPECT_EQ(result("keyframe -q -tc slider1.hp"), "1 10");
    EXPECT_EQ(result("getAttr slider1.posHandle"), "2.25");
    EXPECT_EQ(scene().findNode("slider1_posHandle")->type->name, "animCurveTL");
}

TEST_F(Keys, KeyTogglesKeyOnlyWhenAUserChangesThem) {
    namespace fs = std::filesystem;
    // A dial keyed at 1 and 10 through its toggle, which is off again when
    // saved: reading the file's setAttr of the toggle asks for no key.
    const std::string file =
        (fs::temp_directory_path() / ("rigdials_toggle_" + std::to_string(::getpid()) + ".ma")).string();
    ok("loadPlugin rigDials; createNode transform -n dial; createNode KelArcSliderManipulator -n dialShape "
       "-p dial;"
       "currentTime 1; setAttr dialShape.currentAngle 30; setAttr dialShape.KeyCurrentAngle 1;"
       "currentTime 10; setAttr dialShape.currentAngle 90; setAttr dialShape.KeyCurrentAngle 1; currentTime "
       "5;");
    ASSERT_EQ(result("keyframe -q -tc dialShape.currentAngle"), "1 10");
    ok("file -rename \"" + file + "\"; file -save;");
    for (int open = 0; open < 2; ++open) {
        ok("file -open -force \"" + file + "\"; file -save;");
        EXPECT_EQ(result("keyframe -q -tc dialShape.currentAngle"), "1 10") << "after opening " << open + 1;
    }
    std::remove(file.c_str());

    // Keying every keyable attribute keys the toggle too; its animation
    // changes it at each new time, which asks for no key either.
    ok("createNode transform -n ctl; createNode KelSliderManipulator -n ctlShape -p ctl;"
       "currentTime 1; setKeyframe ctlShape; currentTime 10; setAttr ctlShape.posHandle 4; setKeyframe "
       "ctlShape;");
    for (const char* t : {"3", "4", "5", "6", "7.5"}) ok(std::string("currentTime ") + t);
    EXPECT_EQ(result("keyframe -q -tc ctlShape.posHandle"), "1 10");
    // A user's own change of the animated toggle still keys the handle.
    ok("setAttr ctlShape.KeyCurrentValue 1;");
    EXPECT_EQ(result("keyframe -q -tc ctlShape.posHandle"), "1 7.5 10");
}

TEST_F(Keys, CurvesAreSavedAndOpenedWithTheScene) {
    namespace fs = std::filesystem;
    const std::string file =
        (fs::temp_directory_path() / ("rigdials_keys_" + std::to_string(::getpid()) + ".ma")).string();
    ok("currentTime 1; setAttr ball.tx 0.7; setAttr ball.rz 30; setKeyframe ball.tx ball.rz;"
       "currentTime 4; setAttr ball.tx -1e-9; setAttr ball.rz -12.5; setKeyframe ball.tx ball.rz;"
       "currentTime 2;");
    ok("file -rename \"" + file + "\"; file -save;");
    ok("file -new -force;");
    EXPECT_EQ(scene().findNode("ball"), nullptr);
    ok("file -open \"" + file + "\";");
    std::remove(file.c_str());
    EXPECT_EQ(result("currentTime -q"), "2");
    EXPECT_EQ(result("keyframe -q -tc ball.tx"), "1 4");
    EXPECT_EQ(result("keyframe -q -vc ball.tx"), "0.7 -1e-09");
    EXPECT_EQ(result("keyframe -q -vc ball.rz"), "30 -12.5");
    EXPECT_EQ(scene().findNode("ball_rotateZ")->type->name, "animCurveTA");
    // A third of the way with level tangents at both ends: 7/27 of the fall.
    EXPECT_NEAR(std::stod(result("getAttr ball.rz")), 30.0 - 42.5 * 7.0 / 27.0, 1e-12);
    ok("currentTime 4;");
    EXPECT_EQ(result("getAttr ball.tx"), "-1e-09");
}

// Every curve, with its keys, tangents, weights, locks, breakdowns and
// infinities, and the playback range read back exactly what was saved; saving
// again writes the same text.
TEST_F(Keys, CurvesTangentsAndInfinitiesSaveAndReadBackExactly) {
    namespace fs = std::filesystem;
    const std::string file =
        (fs::temp_directory_path() / ("rigdials_keytypes_" + std::to_string(::getpid()) + ".ma")).string();
    const char* scripts[] = {
        // Every tangent type on one curve, a fixed angle, a breakdown, an
        // unlocked key, infinities.
        "createNode transform -n ball;"
        "setKeyframe -t 0 -v 0 -itt linear -ott flat ball.tx; setKeyframe -t 5 -v 3 -itt step -ott stepnext "
        "ball.tx;"
        "setKeyframe -t 10 -v 1 -itt spline -ott clamped ball.tx; setKeyframe -t 15 -v 4 -itt plateau -ott "
        "auto "
        "-breakdown on ball.tx; setKeyframe -t 20 -v 2 ball.tx;"
        "keyTangent -index 4 -lock off -inAngle 12.5 ball.tx; setInfinity -pri cycleRelative -poi oscillate "
        "ball.tx; playbackOptions -min 5 -max 250.5;",
        // A weighted curve with fixed weights, an angle curve, a time curve.
        "createNode transform -n ball; setKeyframe -t 1 -v 10 ball.ry; setKeyframe -t 9 -v -30 ball.ry;"
        "keyTangent -weightedTangents on ball.ry; keyTangent -index 0 -outWeight 3.25 -outAngle -40 ball.ry;"
        "keyTangent -index 1 -weightLock off -inWeight 0.5 ball.ry; setInfinity -poi linear ball.ry;",
        // Driven keys: two drivers blended, a weight changed.
        "createNode transform -n ball; createNode transform -n drv;"
        "setDrivenKeyframe -cd drv.rx -dv 0 -v 0 ball.tz; setDrivenKeyframe -cd drv.rx -dv 45 -v 2 ball.tz;"
        "setDrivenKeyframe -cd drv.ty -dv 0 -v 0 -itt linear -ott linear ball.tz;"
        "setDrivenKeyframe -cd drv.ty -dv 1 -v 1 ball.tz; setAttr blendWeighted1.w[1] 0.25; setAttr drv.rx "
        "30;"
        "setAttr drv.ty 0.5;",
        // Every kind of curve as the host writes them (a scene file: "//" first).
        "//Maya ASCII 2020 scene\ncreateNode transform -n ball;\n"
        "createNode animCurveTT -n tt;\n setAttr \".tan\" 9;\n setAttr -s 2 \".ktv[0:1]\" 1 1 24 48;\n"
        "createNode animCurveUT -n ut;\n setAttr -s 2 \".ktv[0:1]\" -1 2 1 4;\n setAttr \".kot[0]\" 5;\n"
        "createNode animCurveUA -n ua;\n setAttr \".wgt\" no;\n setAttr -s 3 \".ktv[0:2]\" 0 0 1 90 2 45;\n"
        " setAttr -s 3 \".kit[1:2]\" 1 3;\n setAttr \".kix[1]\" 0.5;\n setAttr \".kiy[1]\" 0.25;\n"
        " setAttr \".pre\" 1;\n"
        "createNode animCurveUU -n uu;\n setAttr -s 2 \".ktv[0:1]\" 0 1 1 0;\n setAttr \".kl[1]\" no;\n"
        " setAttr \".kwl[0]\" no;\n setAttr \".kbd[1]\" yes;\n setAttr \".pst\" 4;\n"
        "createNode animCurveTU -n tu;\n setAttr -s 2 \".ktv[0:1]\" 1 0 2 1;\n"
        "createNode animCurveUL -n ul;\n setAttr -s 1 \".ktv[0]\" 3 7;\n",
    };
    struct Saved {
        std::string name, type;
        rdhost::keys::Curve curve;
        std::string at;  // its output at a few inputs
    };
    auto state = [&] {
        std::vector<Saved> out;
        for (rdhost::Node* n : scene().nodes()) {
            if (!rdhost::keys::isAnimCurve(n)) continue;
            Saved s{n->name, n->type->name, rdhost::keys::curveOf(n), ""};
            for (double t : {-7.0, 0.5, 3.0, 12.25, 30.0})
                s.at += std::to_string(rdhost::keys::evaluate(s.curve, t)) + " ";
            out.push_back(s);
        }
        return out;
    };
    for (const char* script : scripts) {
        if (std::string(script).rfind("//", 0) == 0) {
            std::ofstream(file) << script;
            ok("file -open -force \"" + file + "\";");
        } else {
            ok(std::string("file -new -force;") + script);
        }
        const std::vector<Saved> before = state();
        auto range = [&] {
            return result("playbackOptions -q -min") + " " + result("playbackOptions -q -max") + " " +
                   result("playbackOptions -q -aet");
        };
        const std::string rangeBefore = range();
        const std::string drivenBefore = result("getAttr ball.tz") + result("getAttr ball.tx");
        ok("file -rename \"" + file + "\"; file -save;");
        std::ifstream in1(file);
        const std::string first((std::istreambuf_iterator<char>(in1)), std::istreambuf_iterator<char>());
        ok("file -new -force; file -open \"" + file + "\"; file -save;");
        std::ifstream in2(file);
        const std::string second((std::istreambuf_iterator<char>(in2)), std::istreambuf_iterator<char>());
        const std::vector<Saved> after = state();
        ASSERT_EQ(after.size(), before.size()) << script;
        for (std::size_t i = 0; i < before.size(); ++i) {
            EXPECT_EQ(after[i].name, before[i].name) << script;
            EXPECT_EQ(after[i].type, before[i].type) << before[i].name;
            EXPECT_EQ(after[i].curve.keys, before[i].curve.keys) << before[i].name;
            EXPECT_EQ(after[i].curve.weighted, before[i].curve.weighted) << before[i].name;
            EXPECT_EQ(after[i].curve.pre, before[i].curve.pre) << before[i].name;
            EXPECT_EQ(after[i].curve.post, before[i].curve.post) << before[i].name;
            EXPECT_EQ(after[i].at, before[i].at) << before[i].name;
        }
        EXPECT_EQ(result("getAttr ball.tz") + result("getAttr ball.tx"), drivenBefore) << script;
        EXPECT_EQ(range(), rangeBefore) << script;
        EXPECT_EQ(second, first) << script;
    }
    std::remove(file.c_str());
}

TEST_F(Keys, KeyValuesMeetSetAttrsLimitsAndComeBackFromAFile) {
    ok("loadPlugin rigDials; createNode KelPrimitiveLocator -n loc -p ball;");
    ok("setKeyframe -t 1 -v 20 loc.radius;");
    EXPECT_NE(err().find("above the maximum 10 of 'loc.radius'; clamped to 10"), std::string::npos) << err();
    EXPECT_EQ(result("keyframe -q -vc loc.radius"), "10");
    // Keys near the edges of the float and double ranges, and half way between.
    ok("setKeyframe -t 1 -v 3.4028235e38 loc.colorR; setKeyframe -t 10 -v -3.4028235e38 loc.colorR;"
       "setKeyframe -t 1 -v 1e308 ball.rx; setKeyframe -t 10 -v -1e308 ball.rx; currentTime 5.5;");
    EXPECT_EQ(result("getAttr loc.colorR"), "0");
    EXPECT_EQ(result("getAttr ball.rx"), "0");
    const std::string file =
        (std::filesystem::temp_directory_path() / ("rigdials_keyrange_" + std::to_string(::getpid()) + ".ma"))
            .string();
    ok("file -rename \"" + file + "\"; file -save; file -open -force \"" + file + "\";");
    std::remove(file.c_str());
    EXPECT_EQ(result("keyframe -q -vc loc.colorR"), "3.4028235e+38 -3.4028235e+38");
    EXPECT_EQ(result("keyframe -q -vc ball.rx"), "1e+308 -1e+308");
    EXPECT_EQ(result("getAttr ball.rx"), "0");
}

}  // namespace
