// The rigDials slider's container driven by the runtime, as a user would:
// showManip, manipInfo, dragManip.
#include "manip_fixture.h"

namespace {

class SliderManipTest : public ManipFixture {
protected:
    void SetUp() override {
        ManipFixture::SetUp();
        ok("loadPlugin rigDials; createNode transform -n sliderXf; "
           "createNode KelSliderManipulator -n slider1 -p sliderXf; showManip slider1");
    }
};

TEST_F(SliderManipTest, FreshSliderShowsHandleAndKeyToggle) {
    const std::string info = result("manipInfo slider1");
    EXPECT_EQ(
        info.find("[{\"name\": \"distanceManip\", \"kind\": \"distance\", \"plug\": \"slider1.posHandle\", "
                  "\"startPoint\": [0, 0, 0], \"direction\": [0, 5, 0], \"currentPoint\": [0, 2.5, 0], "
                  "\"scalingFactor\": 1, \"value\": 2.5}, "),
        0u)
        << info;
    EXPECT_NE(
        info.find("{\"name\": \"SetKeyManip\", \"kind\": \"toggle\", \"plug\": \"slider1.KeyCurrentValue\", "
                  "\"startPoint\": [0, 2.5, 0], \"direction\": [-1, 0, 0], \"length\": 0.5, "
                  "\"value\": false}]"),
        std::string::npos)
        << info;
}

TEST_F(SliderManipTest, DraggingTheHandleDrivesTheSliderOutputs) {
    ok("dragManip slider1 distanceManip 4");
    EXPECT_EQ(result("getAttr slider1.posHandle"), "4");
    EXPECT_EQ(result("getAttr slider1.ratio"), "0.8");
    // The key toggle follows the handle.
    EXPECT_NE(result("manipInfo slider1").find("\"startPoint\": [0, 4, 0], \"direction\": [-1, 0, 0]"),
              std::string::npos);
    ok("dragManip slider1 LengthManip 8");
    EXPECT_EQ(result("getAttr slider1.posEndY"), "8");
    EXPECT_EQ(result("getAttr slider1.ratio"), "0.5");
}

TEST_F(SliderManipTest, LengthManipReportsAndSetsTheTracksLength) {
    ok("setAttr slider1.posEnd 3 0 0");
    const std::string info = result("manipInfo slider1");
    EXPECT_NE(info.find("{\"name\": \"LengthManip\", \"kind\": \"distance\", \"plug\": \"slider1.posEnd\", "
                        "\"startPoint\": [0, 0, 0], \"direction\": [3, 0, 0], \"currentPoint\": [3, 0, 0], "
                        "\"scalingFactor\": 1, \"value\": 3}"),
              std::string::npos)
        << info;
    ok("dragManip slider1 LengthManip 4");
    EXPECT_EQ(result("getAttr slider1.posEnd"), "4 0 0");
    // The plug it writes keeps its lock.
    ok("setAttr -lock on slider1.posEnd");
    EXPECT_NE(error("dragManip slider1 LengthManip 6").find("'slider1.posEnd' is locked"), std::string::npos);
    EXPECT_EQ(result("getAttr slider1.posEnd"), "4 0 0");
    EXPECT_NE(result("manipInfo slider1").find("\"value\": 4}"), std::string::npos);
}

TEST_F(SliderManipTest, ScaledTransformScalesPlacementsAndDrags) {
    ok("setAttr sliderXf.sy 2");
    const std::string info = result("manipInfo slider1");
    // V = 2 * (0, 5, 0): the handle at ratio 0.5 sits at 5; scaling factor 2.
    EXPECT_NE(info.find("\"currentPoint\": [0, 5, 0], \"scalingFactor\": 2, \"value\": 2.5"),
              std::string::npos)
        << info;
    // A user's drag to world height 6 along the track is 3 in the node.
    rdhost::ShownManip& s = shown(scene().findNode("slider1"));
    rdhost::dragManipToPoint(scene(), s, *s.state->children[0], MPoint(0, 6, 0), "drag");
    EXPECT_EQ(result("getAttr slider1.posHandle"), "3");
}

TEST_F(SliderManipTest, KeyToggleRequestsAKey) {
    ok("dragManip slider1 SetKeyManip 1");
    // The slider switches its toggle off again once the key is set.
    EXPECT_EQ(result("getAttr slider1.KeyCurrentValue"), "0");
    EXPECT_NE(result("manipInfo slider1").find("\"value\": false}]"), std::string::npos);
    // ... and the handle is keyed: an anim curve drives it now.
    rdhost::Node* slider = scene().findNode("slider1");
    const rdhost::PlugRef src = slider->source(slot(slider, "posHandle"));
    ASSERT_TRUE(src);
    EXPECT_EQ(src.node->type->name.rfind("animCurve", 0), 0u);
}

}  // namespace
