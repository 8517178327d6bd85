// Loading and unloading real plug-in modules: search path, entry points,
// registration clashes, failure clean-up and refusal while nodes exist.
#include "scene_fixture.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MFnPlugin.h>
#include <maya/MPxNode.h>

#include <cstdlib>

using rdhost::HostError;
using rdhost::Node;
using rdhost::Plugin;

namespace {

class Plugins : public SceneFixture {
protected:
    std::string dir = RIGDIALS_TEST_PLUGIN_DIR;
    std::string errorOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const HostError& e) {
            return e.what();
        }
        return "(no error)";
    }
};

TEST_F(Plugins, LoadsByNameFromThePluginPathCallsInitializeAndComputes) {
    scene().setPluginPath({"/nonexistent", dir});
    Plugin* p = scene().loadPlugin("graph_good");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->apiVersion, "300");
    EXPECT_EQ(p->vendor, "rigDials tests");
    EXPECT_EQ(p->version, "1.0");
    ASSERT_EQ(p->types.size(), 2u);
    EXPECT_EQ(p->types[0]->name, "graphAdd");
    EXPECT_EQ(p->types[1]->name, "graphLocator");
    EXPECT_TRUE(p->types[1]->isDag);
    Node* add = create("graphAdd");
    setNumber(add, "inputA", 1.25);
    setNumber(add, "ib", 2.0);
    EXPECT_DOUBLE_EQ(getNumber(add, "sum"), 3.25);
    MFnDependencyNode fn(object(add));
    EXPECT_STREQ(fn.typeName().asChar(), "graphAdd");
    EXPECT_NE(fn.userNode(), nullptr);
}

TEST_F(Plugins, LoadingTwiceWarnsAndChangesNothing) {
    ASSERT_TRUE(loadTestPlugin("graph_good"));
    std::vector<std::string> warnings;
    scene().setWarningSink([&](const std::string& w) { warnings.push_back(w); });
    EXPECT_EQ(scene().loadPlugin(dir + "/graph_good.so"), nullptr);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("'graph_good' is already loaded"), std::string::npos);
    EXPECT_EQ(scene().plugins().size(), 1u);
}

TEST_F(Plugins, MissingFilesAndEntryPointsAreClearErrors) {
    scene().setPluginPath({dir});
    EXPECT_NE(errorOf([&] { scene().loadPlugin("noSuchPlugin"); }).find("cannot find plug-in 'noSuchPlugin'"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { scene().loadPlugin("/"); }).find("'/' is a folder, not a plug-in file"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { scene().loadPlugin("/tmp/none/x.so"); }).find("'/tmp/none/x.so' does not exist"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { scene().loadPlugin("graph_noentry"); }).find("does not export initializePlugin"),
              std::string::npos);
    EXPECT_TRUE(scene().plugins().empty());
    EXPECT_NE(errorOf([&] { scene().unloadPlugin("graph_good"); }).find("'graph_good' is not loaded"),
              std::string::npos);
}

TEST_F(Plugins, CxxLinkageEntryPointsAreFound) {
    Plugin* p = loadTestPlugin("graph_cxxentry");
    ASSERT_TRUE(p);
    EXPECT_TRUE(scene().findType("graphCxx"));
    EXPECT_EQ(p->version, "2.5");
    scene().unloadPlugin("graph_cxxentry");
    EXPECT_FALSE(scene().findType("graphCxx"));
}

TEST_F(Plugins, AFailingInitializeLeavesNothingBehind) {
    std::string err = errorOf([&] { scene().loadPlugin(dir + "/graph_failinit.so"); });
    EXPECT_NE(err.find("initializePlugin of 'graph_failinit' failed"), std::string::npos) << err;
    EXPECT_NE(err.find("gives up on purpose"), std::string::npos) << err;
    EXPECT_EQ(scene().findType("graphLeftover"), nullptr);
    EXPECT_EQ(scene().findType(0x7f110u), nullptr);
    EXPECT_EQ(scene().findPlugin("graph_failinit"), nullptr);
    EXPECT_THROW(scene().createNode("graphLeftover"), HostError);
}

TEST_F(Plugins, ARegistrationClashFailsTheLoadAndIsPrintedByPerror) {
    ASSERT_TRUE(loadTestPlugin("graph_good"));
    captureStderr();
    std::string err = errorOf([&] { scene().loadPlugin(dir + "/graph_clash.so"); });
    std::string printed = capturedStderr();
    EXPECT_EQ(printed.rfind("registerNode: ", 0), 0u) << printed;
    EXPECT_NE(printed.find("node type id 0x7f100 of 'graphClash' is already registered as 'graphAdd'"),
              std::string::npos)
        << printed;
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1);
    EXPECT_NE(err.find("graph_clash"), std::string::npos);
    EXPECT_EQ(scene().findType("graphClash"), nullptr);
    EXPECT_EQ(scene().findType(0x7f100u)->name, "graphAdd");  // the first owner keeps it
}

TEST_F(Plugins, RegisterNodeRefusesTakenNamesAndIds) {
    Plugin* p = loadTestPlugin("graph_good");
    ASSERT_TRUE(p);
    MObject obj = rdhost::ObjectAccess::make(p);
    MFnPlugin fn(obj);
    auto creator = []() -> void* { return nullptr; };
    MStatus byName = fn.registerNode("graphAdd", 0x7f1ff, creator, nullptr);
    EXPECT_FALSE(byName);
    EXPECT_NE(std::string(byName.errorString().asChar())
                  .find("'graphAdd' is already registered by plug-in 'graph_good'"),
              std::string::npos);
    MStatus byHost = fn.registerNode("transform", 0x7f1fe, creator, nullptr);
    EXPECT_NE(std::string(byHost.errorString().asChar()).find("by the host"), std::string::npos);
    EXPECT_FALSE(fn.registerNode("graphOther", 0x7f101, creator, nullptr));
}

TEST_F(Plugins, UnloadRefusesWhileNodesExistThenDeregistersEverything) {
    ASSERT_TRUE(loadTestPlugin("graph_good"));
    Node* loc = create("graphLocator", "myLoc");
    ASSERT_TRUE(loc);
    std::string err = errorOf([&] { scene().unloadPlugin("graph_good"); });
    EXPECT_NE(err.find("cannot unload 'graph_good': node 'myLoc' of type 'graphLocator' still exists"),
              std::string::npos)
        << err;
    EXPECT_TRUE(scene().findType("graphAdd"));
    scene().deleteNode(loc->parent);
    scene().unloadPlugin("graph_good");
    EXPECT_FALSE(scene().findType("graphAdd"));
    EXPECT_FALSE(scene().findType("graphLocator"));
    EXPECT_TRUE(scene().plugins().empty());
    // And it loads again afresh.
    ASSERT_TRUE(loadTestPlugin("graph_good"));
    EXPECT_DOUBLE_EQ(getNumber(create("graphAdd"), "sum"), 0.0);
}

TEST_F(Plugins, InjectedRegistrationFaults) {
    scene().faults().failNext(rdhost::Fault::RegisterNode, 2);  // graphLocator
    EXPECT_THROW(scene().loadPlugin(dir + "/graph_good.so"), HostError);
    EXPECT_FALSE(scene().findType("graphAdd"));
    ASSERT_TRUE(loadTestPlugin("graph_good"));
    scene().faults().failNext(rdhost::Fault::DeregisterNode, 1);
    std::string err = errorOf([&] { scene().unloadPlugin("graph_good"); });
    EXPECT_NE(err.find("stays loaded"), std::string::npos) << err;
    EXPECT_TRUE(scene().findType("graphAdd"));  // the first deregistration failed: nothing removed
    scene().unloadPlugin("graph_good");
    EXPECT_FALSE(scene().findType("graphAdd"));
}

TEST_F(Plugins, ThePluginPathTakesFoldersFromTheEnvironment) {
    ::setenv("MAYA_PLUG_IN_PATH", ("/nowhere:" + dir).c_str(), 1);
    rdhost::Scene other;
    ::unsetenv("MAYA_PLUG_IN_PATH");
    EXPECT_EQ(other.pluginPath(), (std::vector<std::string>{"/nowhere", dir}));
    EXPECT_TRUE(other.loadPlugin("graph_cxxentry"));
}

}  // namespace
