// The shipped module end to end: installed from this build with the stand-in
// host laid out as a devkit, and used as a rigger would, with nothing set but
// MAYA_MODULE_PATH. (scripts/ship.sh does the same with the plug-in built
// through the devkit build and the release archive.)
#include "program_run.h"

#include "view/png_io.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>

namespace {

bool contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

const char* const kTypes[] = {"KelPrimitiveLocator", "KelSliderManipulator", "KelArcSliderManipulator"};

class Installed : public ::testing::Test {
protected:
    // One install for the whole suite: devkit/ (the program) and mods/rigDials.
    static void SetUpTestSuite() {
        prefix_ = new std::string(makeTempDir());
        for (const char* component : {"devkit", "module"}) {
            const std::string cmd = std::string("'") + RIGDIALS_CMAKE_COMMAND + "' --install '" +
                                    RIGDIALS_BUILD_DIR + "' --component " + component + " --prefix '" +
                                    *prefix_ + (component == std::string("devkit") ? "/devkit" : "/mods") +
                                    "' >/dev/null";
            ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        }
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        std::filesystem::remove_all(*prefix_, ec);  // the library alone is tens of megabytes
        delete prefix_;
        prefix_ = nullptr;
    }
    static std::string module() { return *prefix_ + "/mods/rigDials"; }
    static ProgramRun run(const std::string& commands, const std::string& modulePath = module()) {
        return runProgram(*prefix_ + "/devkit/bin/rigdials", {"-c", commands}, "",
                          {"MAYA_MODULE_PATH=" + modulePath});
    }
    static std::string* prefix_;
};
std::string* Installed::prefix_ = nullptr;

TEST_F(Installed, ModuleLoadsAndEachCreateProcedureMakesItsControl) {
    ProgramRun r = run(
        "loadPlugin rigDials; source rigDialsCreate.mel;"
        "rigDialsCreatePrimitiveLocator(); rigDialsCreateSlider(); rigDialsCreateSlider(); "
        "rigDialsCreateArcSlider(); ls -selection; nodeType sliderShape2; getAttr sliderShape1.currentValue;"
        "moduleInfo -listModules;");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "// Result: rigDials //\n"
              "// Result: primitiveLocator1 primitiveLocatorShape1 //\n"
              "// Result: slider1 sliderShape1 //\n"
              "// Result: slider2 sliderShape2 //\n"
              "// Result: arcSlider1 arcSliderShape1 //\n"
              "// Result: arcSlider1 //\n"
              "// Result: KelSliderManipulator //\n"
              "// Result: 5 //\n"
              "// Result: rigDials //\n");
    // The procedures load the plug-in themselves.
    ProgramRun alone = run("source rigDialsCreate.mel; rigDialsCreateArcSlider();");
    EXPECT_EQ(alone.status, 0) << alone.err;
    EXPECT_TRUE(contains(alone.out, "// Result: arcSlider1 arcSliderShape1 //")) << alone.out;
}

TEST_F(Installed, AModuleWithoutItsPluginIsNamedByLoadPlugin) {
    rdtest::TempDir dir("rigdials-e2e");
    const std::string broken = dir.path();
    const std::string cmd =
        "cp -r '" + module() + "' '" + broken + "/' && rm '" + broken + "/rigDials/plug-ins/rigDials.so'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    ProgramRun r = run("loadPlugin rigDials;", broken + "/rigDials");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "loadPlugin: module 'rigDials' 3.0 (" + broken + "/rigDials, from " + broken +
                                    "/rigDials/rigDials.mod) has no rigDials.so in its plug-in folders " +
                                    broken + "/rigDials/plug-ins; reinstall the module"))
        << r.err;
}

// Each template names every attribute of its node exactly once (a colour or
// point compound stands for its children), in frames, with none left over.
TEST_F(Installed, AttributeEditorTemplatesNameEveryAttributeOnce) {
    for (const char* type : kTypes) {
        SCOPED_TRACE(type);
        ProgramRun r = run(std::string("loadPlugin rigDials; createNode ") + type + " -n n; showEditor n;");
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(contains(r.out, "\"template\": \"AE" + std::string(type) + "Template\"")) << r.out;
        EXPECT_TRUE(contains(r.out, "\"missing\": [], \"extra\": []")) << r.out;
        std::map<std::string, int> named;
        static const std::regex list("\"(controls|suppressed)\": \\[([^\\]]*)\\]");
        static const std::regex name("\"([A-Za-z]+)\"");
        for (auto l = std::sregex_iterator(r.out.begin(), r.out.end(), list); l != std::sregex_iterator();
             ++l) {
            const std::string items = (*l)[2];
            for (auto n = std::sregex_iterator(items.begin(), items.end(), name); n != std::sregex_iterator();
                 ++n)
                ++named[(*n)[1]];
        }
        EXPECT_GE(named.size(), 14u);
        for (const auto& [attr, count] : named) EXPECT_EQ(count, 1) << attr;
    }
}

// The icons are the nodes' pictures as this host draws them now, at the
// Outliner's 20 x 20 and at 32 x 32.
TEST_F(Installed, IconsAreTheNodesPicturesAtBothSizes) {
    rdtest::TempDir dir("rigdials-e2e");
    const std::string fresh = dir.path();
    ProgramRun r = runRigdials({std::string(RIGDIALS_SOURCE_DIR) + "/scripts/icons.mel"}, fresh);
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* type : kTypes) {
        for (const auto& [suffix, side] : {std::pair<std::string, int>{"", 20}, {"_32", 32}}) {
            const std::string file = std::string("out_") + type + suffix + ".png";
            SCOPED_TRACE(file);
            rdhost::Image shipped = rdhost::readPng(module() + "/icons/" + file);
            rdhost::Image drawn = rdhost::readPng(fresh + "/" + file);
            ASSERT_EQ(shipped.width, side);
            ASSERT_EQ(shipped.height, side);
            ASSERT_EQ(drawn.width, side);
            ASSERT_EQ(drawn.height, side);
            double diff = 0;
            int background = 0;
            for (size_t i = 0; i < shipped.rgba.size(); ++i)
                diff += std::abs(int(shipped.rgba[i]) - int(drawn.rgba[i]));
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x)
                    background += drawn.pixel(x, y)[0] == drawn.pixel(0, 0)[0] &&
                                  drawn.pixel(x, y)[1] == drawn.pixel(0, 0)[1] &&
                                  drawn.pixel(x, y)[2] == drawn.pixel(0, 0)[2];
            EXPECT_LT(diff / shipped.rgba.size(), 2.0)
                << "module/icons is stale: bash scripts/icons.sh redraws it";
            EXPECT_LT(background, side * side * 98 / 100) << "the node hardly shows";
        }
    }
}

}  // namespace
