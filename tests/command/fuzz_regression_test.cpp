// Kept from fuzzing the interpreter and scene reader (fuzz/script_fuzzer.cpp,
// fuzz/ma_fuzzer.cpp): the committed seeds replayed under the fuzzers' checks,
// and the findings of the node fuzzer reached through commands.

#include "command/ma_reader.h"
#include "command_fixture.h"
#include "files.h"

#include <unistd.h>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using rdtest::readFile;

std::vector<fs::path> seeds(const std::string& target) {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(fs::path(RIGDIALS_SOURCE_DIR) / "fuzz/corpus" / target))
        out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

// rigDials is loaded, as in the fuzz targets. Files the seeds write (playblast, file -save) land in a private
// folder.
class FuzzRegression : public CommandFixture {
protected:
    void SetUp() override {
        CommandFixture::SetUp();
        ASSERT_NE(loadRigDials(), nullptr);  // as in the fuzz targets
        previousDir_ = fs::current_path();
        fs::current_path(dir_.path());
    }
    void TearDown() override {
        fs::current_path(previousDir_);
        CommandFixture::TearDown();
    }
    rdtest::TempDir dir_{"rigdials-fuzzreg"};
    fs::path previousDir_;
};

// Each script seed as the fuzzer runs it: errors are host errors only, and a
// failing command leaves the scene as it was.
TEST_F(FuzzRegression, ScriptSeedsFailCleanly) {
    const auto files = seeds("script");
    ASSERT_GE(files.size(), 3u);
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        TearDown();
        SetUp();
        interp().limits().maxSteps = 20000;
        std::vector<std::string> before;
        interp().beforeCommand = [&](const rdhost::cmd::Statement&) { before.push_back(snapshot()); };
        interp().afterCommand = [&](const rdhost::cmd::Statement& st, const rdhost::HostError* failure) {
            std::string was = before.back();
            before.pop_back();
            if (failure) {
                EXPECT_EQ(snapshot(), was)
                    << st.command << " failed (" << failure->what() << ") and changed the scene";
            }
        };
        EXPECT_NO_THROW(run(readFile(file)));
        EXPECT_TRUE(before.empty());
    }
}

// Each scene seed reads, or fails with a host error naming the file.
TEST_F(FuzzRegression, SceneSeedsReadOrFailWithAHostError) {
    const auto files = seeds("ma");
    ASSERT_GE(files.size(), 2u);
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        rdhost::ma::clearScene(scene());
        try {
            rdhost::ma::readScene(scene(), readFile(file), file.filename().string());
        } catch (const rdhost::HostError& e) {
            EXPECT_NE(std::string(e.what()).find(file.filename().string()), std::string::npos) << e.what();
        } catch (const std::exception& e) {
            ADD_FAILURE() << "non-host error: " << e.what();
        }
        scene().runIdle();
    }
}

// A connection delivers any number; a huge one into a short tessellation input
// used to be cast straight to short, and a negative one made GLUT allocate a
// negative size while drawing. Now the input saturates and the drawing holds
// the count to what the shapes take.
TEST_F(FuzzRegression, ConnectedHugeAndNegativeTessellationDraws) {
    ok("createNode KelSliderManipulator -n s; createNode KelArcSliderManipulator -n a;"
       "createNode transform -n big; setAttr big.tx 1e30; createNode transform -n neg;"
       "setAttr neg.tx -108;");
    ok("connectAttr big.tx s.headSlices; connectAttr neg.tx s.headStacks;"
       "connectAttr big.tx a.headSlices; connectAttr neg.tx a.handleStacks;");
    EXPECT_EQ(result("getAttr s.headSlices"), "32767");
    EXPECT_EQ(result("getAttr s.headStacks"), "-108");
    for (const char* field : {"0", "1", "2", "3", "4", "5", "6"}) {
        ok(std::string("setAttr s.startHeadType ") + field + "; setAttr s.handleType " + field +
           "; setAttr a.startHeadType " + field + "; setAttr a.handleType " + field + ";");
        EXPECT_TRUE(run("playblast -completeFilename \"p.png\" -widthHeight 32 32")) << err();
        EXPECT_EQ(err().find("unbalanced"), std::string::npos) << err();
    }
}

}  // namespace
