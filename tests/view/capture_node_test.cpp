// The capture helper on nodes of loaded plug-ins, as plug-in tests use it:
// geometry in object space whatever the node's transform, GL calls of code in
// a dlopen'ed module counted, state reported.
#include "view_fixture.h"

#include <gtest/gtest-spi.h>

namespace {

using CaptureNodeTest = ViewFixture;

TEST_F(CaptureNodeTest, NodeGeometryComesBackInObjectSpace) {
    loadViewNodes();
    rdhost::Node* quad = create("viewQuad");
    setNumber(quad->parent, "translateX", 30.0);  // the world matrix plays no part
    rdtest::Capture c = rdtest::captureNodeDraw(scene(), quad);
    ASSERT_EQ(c.polygons.size(), 2u);
    ASSERT_EQ(c.lines.size(), 3u);
    rdtest::Box b = c.bounds();
    EXPECT_NEAR(b.min[0], -1.0, 1e-5);
    EXPECT_NEAR(b.max[0], 1.0, 1e-5);
    EXPECT_NEAR(b.min[2], -1.0, 1e-5);
    EXPECT_NEAR(b.max[2], 1.0, 1e-5);
    for (const auto& v : c.polygons[0].vertices) {
        EXPECT_NEAR(v.z, 0.5, 1e-5);
        EXPECT_FLOAT_EQ(v.color[0], 1.0f);
        EXPECT_FLOAT_EQ(v.color[1], 0.0f);
    }
    EXPECT_FLOAT_EQ(c.lines[0].a.color[1], 1.0f);
    ASSERT_EQ(c.texts.size(), 1u);
    EXPECT_EQ(c.texts[0].node, quad->partialPathName());
    EXPECT_EQ(c.texts[0].point, (std::array<double, 3>{0.0, 1.2, 0.0}));
    EXPECT_FLOAT_EQ(c.colorAfter[2], 0.7f);
    EXPECT_TRUE(c.balanced());
    EXPECT_TRUE(c.warnings.empty());
}

TEST_F(CaptureNodeTest, CallsOfALoadedModuleAreCounted) {
    loadViewNodes();
    rdhost::Node* leaky = create("viewLeaky");
    rdtest::Capture c = rdtest::captureNodeDraw(scene(), leaky);
    EXPECT_EQ(c.calls.pushMatrix, 1);
    EXPECT_EQ(c.calls.popMatrix, 0);  // the host's restoring pops are not the node's
    EXPECT_EQ(c.calls.pushAttrib, 1);
    EXPECT_EQ(c.calls.popAttrib, 0);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("'" + leaky->partialPathName() + "'"), std::string::npos);
    EXPECT_TRUE(c.balanced());  // endGL put things right
    ASSERT_EQ(c.lines.size(), 1u);
    EXPECT_NEAR(c.lines[0].a.x, 100.0 - 100.0 * 1e-6, 1e-3);  // drawn under its own translation
    EXPECT_TRUE(c.touchedExtent);

    rdhost::Node* loose = create("viewNoBracket");
    rdtest::Capture d = rdtest::captureNodeDraw(scene(), loose);
    EXPECT_EQ(d.calls.enableLighting, 1);
    EXPECT_TRUE(d.lightingUsed);
    EXPECT_TRUE(d.lightingAfter);
    EXPECT_EQ(d.after.modelview, d.before.modelview + 1);  // no bracket: the capture just reports
}

TEST_F(CaptureNodeTest, PrimitiveLocatorDrawsThroughFreeglut) {
    if (!loadRigDials()) return;
    rdhost::Node* loc = create("KelPrimitiveLocator");
    ASSERT_NE(loc, nullptr);
    rdtest::Capture c = rdtest::captureNodeDraw(scene(), loc);
    // A lit solid sphere of radius 1 and a centred label above it.
    EXPECT_GT(c.polygons.size(), 50u);
    EXPECT_TRUE(c.lightingUsed);
    EXPECT_FALSE(c.lightingAfter);
    rdtest::Box b = c.bounds();
    EXPECT_NEAR(b.max[1], 1.0, 1e-3);
    EXPECT_NEAR(b.min[1], -1.0, 1e-3);
    ASSERT_EQ(c.texts.size(), 1u);
    EXPECT_EQ(c.texts[0].text, "KelPrimitiveLocator");
    EXPECT_EQ(c.texts[0].align, M3dView::kCenter);
    EXPECT_TRUE(c.balanced());
    EXPECT_TRUE(c.warnings.empty());
}

TEST_F(CaptureNodeTest, NonLocatorIsATestFailure) {
    rdhost::Node* t = create("transform");
    testing::TestPartResultArray results;
    {
        testing::ScopedFakeTestPartResultReporter reporter(
            testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
        rdtest::Capture c = rdtest::captureNodeDraw(scene(), t);
        EXPECT_TRUE(c.lines.empty() && c.polygons.empty());
    }
    ASSERT_EQ(results.size(), 1);
    EXPECT_TRUE(results.GetTestPartResult(0).nonfatally_failed());
    EXPECT_NE(std::string(results.GetTestPartResult(0).message()).find("is not a locator"),
              std::string::npos);
}

}  // namespace
