// Keys through commands: setKeyframe, keyframe -query, currentTime,
// evalDeferred, and how keyed attributes behave under setAttr and connectAttr.
#include "command/keys_nodes.h"
#include "command_fixture.h"

#include <cstdio>
#include <filesystem>

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

TEST_F(Keys, CurrentTimeInterpolatesLinearlyAndHoldsOutsideTheKeys) {
    ok("currentTime 1; setAttr ball.tx 0; setKeyframe ball.tx;"
       "currentTime 11; setAttr ball.tx 10; setKeyframe ball.tx;"
       "currentTime 21; setAttr ball.tx -10; setKeyframe ball.tx;");
    struct {
        const char* time;
        const char* value;
    } cases[] = {{"-5", "0"}, {"1", "0"},    {"3.5", "2.5"}, {"11", "10"},
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
        {"keyframe ball.tx;", "-query"},
        {"keyframe -q -tc -vc ball.tx;", "one of"},
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
    EXPECT_NEAR(std::stod(result("getAttr ball.rz")), 30.0 - 42.5 / 3.0, 1e-12);
    ok("currentTime 4;");
    EXPECT_EQ(result("getAttr ball.tx"), "-1e-09");
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
