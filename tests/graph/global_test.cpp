// MGlobal goes through the current scene's command hook; nothing is shared
// between scenes.
#include "scene_fixture.h"

#include <maya/MGlobal.h>

namespace {

class Global : public SceneFixture {};

TEST_F(Global, ExecuteCommandNeedsAnInterpreter) {
    MStatus st = MGlobal::executeCommand("print 1");
    EXPECT_FALSE(st);
    EXPECT_NE(std::string(st.errorString().asChar()).find("no command interpreter"), std::string::npos);
}

TEST_F(Global, ResultFormsConvertTheHooksResult) {
    std::vector<std::string> seen;
    scene().setExecuteHook([&](const std::string& text, std::string* result) {
        seen.push_back(text);
        if (text == "fail") return false;
        if (result) *result = text == "int" ? "42" : text == "double" ? "2.5" : "not a number";
        return true;
    });
    int i = -1;
    double d = -1;
    MString s;
    EXPECT_TRUE(MGlobal::executeCommand("int", i, false, false));
    EXPECT_EQ(i, 42);
    EXPECT_TRUE(MGlobal::executeCommand("double", d));
    EXPECT_EQ(d, 2.5);
    EXPECT_TRUE(MGlobal::executeCommand("text", s));
    EXPECT_STREQ(s.asChar(), "not a number");
    i = 7;
    EXPECT_FALSE(MGlobal::executeCommand("text", i));  // not an integer: unchanged
    EXPECT_EQ(i, 7);
    EXPECT_FALSE(MGlobal::executeCommand("fail"));
    MStringArray list;
    EXPECT_TRUE(MGlobal::executeCommand("text", list));
    ASSERT_EQ(list.length(), 1u);
    EXPECT_EQ(seen.size(), 6u);
}

TEST_F(Global, ExecuteCommandOnIdleQueuesForTheIdleStep) {
    std::vector<std::string> ran;
    scene().setExecuteHook([&](const std::string& text, std::string*) {
        ran.push_back(text);
        return true;
    });
    EXPECT_TRUE(MGlobal::executeCommandOnIdle("later"));
    EXPECT_TRUE(ran.empty());
    scene().runIdle();
    EXPECT_EQ(ran, std::vector<std::string>{"later"});
}

TEST_F(Global, EachTestGetsAFreshCurrentScene) {
    EXPECT_EQ(rdhost::Scene::current(), &scene());
    EXPECT_FALSE(scene().executeHook());
    EXPECT_TRUE(scene().deferredCommands().empty());
    EXPECT_TRUE(scene().plugins().empty());
    {
        rdhost::Scene other;
        EXPECT_EQ(rdhost::Scene::current(), &scene());  // creating a scene does not make it current
    }
    EXPECT_EQ(rdhost::Scene::current(), &scene());
}

}  // namespace
