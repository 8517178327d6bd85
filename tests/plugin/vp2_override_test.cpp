// The locators' Viewport 2.0 draw overrides: what they submit against what the
// legacy draw of the same node emits, their user data and bounds, and their
// registration.

#include "rigdials_fixture.h"

#include "files.h"
#include "pictures.h"

#include "command/interpreter.h"
#include "graph/draw_registry.h"
#include "graph/scene_impl.h"
#include "view/camera.h"
#include "view/playblast.h"
#include "view/png_io.h"
#include "view/vp2.h"
#include "view/vp2_render.h"

#include <maya/MDagPath.h>
#include <maya/MDrawRegistry.h>
#include <maya/MFrameContext.h>
#include <maya/MPxDrawOverride.h>
#include <maya/MUIDrawManager.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Kind = rdhost::UIPrimitive::Kind;

struct Counts {
    size_t lines = 0, polygons = 0;
};

Counts countOf(const rdhost::UIDrawList& list) {
    Counts c;
    for (const rdhost::UIPrimitive& p : list.prims) {
        const size_t n = p.vertexCount();
        switch (p.kind) {
        case Kind::Lines:
            c.lines += n / 2;
            break;
        case Kind::LineStrip:
            c.lines += n > 0 ? n - 1 : 0;
            break;
        case Kind::ClosedLine:
            c.lines += n;
            break;
        case Kind::Triangles:
            c.polygons += n / 3;
            break;
        case Kind::TriStrip:
            c.polygons += n > 2 ? n - 2 : 0;
            break;
        default:
            break;
        }
    }
    return c;
}

class Vp2Override : public RigDialsFixture {
protected:
    MHWRender::MPxDrawOverride* overrideOf(rdhost::Node* n) {
        rdhost::OverrideSlot* slot = rdhost::drawRegistry(scene()).slotFor(n);
        return slot ? slot->override : nullptr;
    }

    // One refresh of the node through its override, as Viewport 2.0 makes it:
    // prepareForDraw with the data kept from the last one, then
    // addUIDrawables into a fresh list.
    rdhost::UIDrawList vp2(rdhost::Node* n) {
        rdhost::UIDrawList list;
        list.node = "vp2";
        MHWRender::MPxDrawOverride* o = overrideOf(n);
        if (!o) {
            ADD_FAILURE() << "no draw override";
            return list;
        }
        const MDagPath path = rdhost::ObjectAccess::path(n);
        rdhost::FrameState state;
        const MHWRender::MFrameContext frame(&state);
        kept_ = o->prepareForDraw(path, MDagPath(), frame, kept_);
        MHWRender::MUIDrawManager manager(&list);
        o->addUIDrawables(path, manager, frame, kept_);
        list.finish();
        return list;
    }

    void TearDown() override {
        // The user data is the override's to keep (deleteAfterUse false): the
        // host's registry owns what it hands back, not this fixture's copy.
        delete kept_;
        kept_ = nullptr;
        RigDialsFixture::TearDown();
    }

    // One traced playblast of the scene with the renderer: its trace and picture.
    struct Blast {
        std::vector<rdhost::TraceEntry> trace;
        rdhost::Image image;
    };
    Blast blast(const char* renderer, rdhost::CameraKind camera) {
        rdhost::setRenderer(scene(), renderer);
        rdhost::PlayblastOptions o;
        o.file = tmp_.path("shot.png");
        o.width = 200;
        o.height = 150;
        o.camera = camera;
        Blast b;
        b.trace = rdhost::playblastWithTrace(scene(), o);
        b.image = rdhost::readPng(o.file);
        return b;
    }

    // The scene drawn by both renderers: per node the same texts (string,
    // alignment, colour, point) and numbers of lines and polygons; pictures
    // differing in at most 0.5% of their pixels.
    void expectSamePicture(rdhost::CameraKind camera, bool comparePixels) {
        const Blast legacy = blast(rdhost::kLegacyRenderer, camera);
        const Blast vp2 = blast(rdhost::kVp2Renderer, camera);
        const std::vector<std::string>& warned = rdhost::viewportFor(scene()).warnings;
        EXPECT_TRUE(warned.empty()) << warned[0];
        ASSERT_EQ(vp2.trace.size(), legacy.trace.size());
        for (size_t n = 0; n < vp2.trace.size(); ++n) {
            const rdhost::TraceEntry &want = legacy.trace[n], &got = vp2.trace[n];
            SCOPED_TRACE(want.node);
            EXPECT_EQ(got.node, want.node);
            EXPECT_EQ(got.lines, want.lines);
            EXPECT_EQ(got.polygons, want.polygons);
            ASSERT_EQ(got.texts.size(), want.texts.size());
            for (size_t i = 0; i < got.texts.size(); ++i) {
                const rdhost::TextRecord &a = want.texts[i], &b = got.texts[i];
                EXPECT_EQ(b.text, a.text) << i;
                EXPECT_EQ(b.align, a.align) << i;
                for (int k = 0; k < 3; ++k) EXPECT_NEAR(b.point[k], a.point[k], 1e-5) << i;
                for (int k = 0; k < 4; ++k) EXPECT_NEAR(b.color[k], a.color[k], 1e-5) << i;
            }
        }
        ASSERT_EQ(vp2.image.rgba.size(), legacy.image.rgba.size());
        if (!comparePixels) return;
        const int differ = rdtest::differingPixels(vp2.image, legacy.image);
        const int pixels = vp2.image.width * vp2.image.height;
        EXPECT_LE(differ, pixels / 200) << differ << " of " << pixels << " pixels differ";
    }

    // From every built-in camera. Lit slider heads have a softer highlight
    // of their own in the legacy draw than the draw manager's stock one, which
    // shows where a camera looks straight at a head: their pixels are compared
    // from the perspective camera only, their traces from every camera.
    void expectSamePictureFromEveryCamera(bool litSliderHeads) {
        for (rdhost::CameraKind camera : {rdhost::CameraKind::Persp, rdhost::CameraKind::Top,
                                          rdhost::CameraKind::Front, rdhost::CameraKind::Side}) {
            SCOPED_TRACE(rdhost::cameraName(camera));
            expectSamePicture(camera, !litSliderHeads || camera == rdhost::CameraKind::Persp);
        }
    }

    // Builds the demo scene (examples/demo.mel, its own pictures written to a
    // temporary folder).
    void buildDemo() {
        std::ifstream in(RIGDIALS_SOURCE_DIR "/examples/demo.mel");
        std::stringstream text;
        text << in.rdbuf();
        std::string script = text.str();
        const std::string load = "loadPlugin rigDials;";
        script.erase(script.find(load), load.size());  // loaded by the fixture
        char here[4096];
        ASSERT_NE(::getcwd(here, sizeof here), nullptr);
        ASSERT_EQ(::chdir(tmp_.path().c_str()), 0);
        ::mkdir(tmp_.path("out").c_str(), 0755);
        std::ostringstream out, err;
        rdhost::cmd::Interpreter interp(scene(), out, err);
        const bool ok = interp.run(script);
        ASSERT_EQ(::chdir(here), 0);
        ASSERT_TRUE(ok) << err.str();
    }

    rdtest::TempDir tmp_{"rdvp2pic"};

    MUserData* kept_ = nullptr;
};

using Settings = std::vector<std::pair<const char*, double>>;

struct PictureCase {
    const char* type;
    Settings settings;
};

std::string describe(const PictureCase& tc) {
    std::string out = tc.type;
    for (const auto& s : tc.settings) out += " " + std::string(s.first) + "=" + std::to_string(s.second);
    return out;
}

std::vector<PictureCase> pictureCases() {
    std::vector<PictureCase> cases;
    const char* kLocator = "KelPrimitiveLocator";
    const char* kSlider = "KelSliderManipulator";
    const char* kArc = "KelArcSliderManipulator";
    // Every shape in every draw type: the locator's own, the sliders' heads
    // and handles.
    for (int kind = 1; kind <= 6; ++kind)
        for (int style = 0; style <= 2; ++style) {
            cases.push_back({kLocator, {{"type", kind}, {"drawType", style}}});
            cases.push_back({kSlider, {{"handleType", kind}, {"handleDrawType", style}}});
            cases.push_back(
                {kArc, {{"startHeadType", kind}, {"endHeadType", 6 - kind}, {"headDrawType", style}}});
        }
    const Settings common[] = {
        {},
        {{"displayLabel", 0}},
        {{"displayLine", 0}},
        {{"displaySnap", 0}},
        {{"size", 2.5}},
        {{"displaySnapValue", 0}},
        {{"snapMainValue", 0}},
        {{"snapMainValue", 3}, {"snapWidth", 4}, {"snapLength", 0.5}},
    };
    for (const Settings& s : common) {
        cases.push_back({kSlider, s});
        cases.push_back({kArc, s});
    }
    // Graduations in each snap mode, with and without main values; every
    // value display mode.
    for (int mode = 1; mode <= 3; ++mode)
        for (int values = 0; values <= 1; ++values)
            cases.push_back(
                {kSlider,
                 {{"snap", mode}, {"snapValue", mode == 3 ? 1.0 : 0.1}, {"displaySnapValue", values}}});
    for (int mode = 0; mode <= 3; ++mode) cases.push_back({kSlider, {{"snap", 1}, {"displayValue", mode}}});
    cases.push_back({kArc, {{"displayValue", 0}}});
    cases.push_back({kArc, {{"snapValue", 7.5}, {"angleOffset", 0.5}, {"radius", 1.5}}});
    cases.push_back({kLocator, {{"displayLabel", 0}}});
    cases.push_back({kLocator, {{"type", 4}, {"radius", 2.5}, {"slices", 5}, {"stacks", 3}}});
    return cases;
}

// Every row is drawn by both renderers, alone in the scene; the last row is
// the demo scene, with its manipulators shown.
TEST_F(Vp2Override, BothRenderersDrawTheSamePicture) {
    std::vector<PictureCase> cases = pictureCases();
    cases.push_back({"demo", {}});
    for (const PictureCase& tc : cases) {
        SCOPED_TRACE(describe(tc));
        if (std::string(tc.type) == "demo") {
            buildDemo();
            expectSamePictureFromEveryCamera(false);
            continue;
        }
        rdhost::Node* n = create(tc.type);
        ASSERT_NE(n, nullptr);
        for (const auto& s : tc.settings) setNumber(n, s.first, s.second);
        const bool slider = std::string(tc.type) != "KelPrimitiveLocator";
        expectSamePictureFromEveryCamera(
            slider && (getNumber(n, "headDrawType") == 2 || getNumber(n, "handleDrawType") == 2));
        scene().deleteNode(n->parent);
    }
}

TEST_F(Vp2Override, KeepsItsDataAndFollowsChanges) {
    rdhost::Node* n = create("KelPrimitiveLocator");
    vp2(n);
    MUserData* first = kept_;
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(first->deleteAfterUse());
    setNumber(n, "type", 1);
    setNumber(n, "drawType", 0);
    const rdhost::UIDrawList list = vp2(n);
    EXPECT_EQ(kept_, first) << "the old data is reused";
    ASSERT_FALSE(list.prims.empty());
    EXPECT_EQ(list.prims[0].kind, Kind::Lines);
    EXPECT_EQ(countOf(list).lines, 24u) << "a wire cube now";
}

TEST_F(Vp2Override, BoundsAsTheNodeAnswers) {
    const struct {
        const char* type;
        bool bounded;
        double half;
    } cases[] = {{"KelPrimitiveLocator", true, 8.0},
                 {"KelSliderManipulator", false, 0.0},
                 {"KelArcSliderManipulator", false, 0.0}};
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.type);
        rdhost::Node* n = create(tc.type);
        MHWRender::MPxDrawOverride* o = overrideOf(n);
        ASSERT_NE(o, nullptr);
        const MDagPath path = rdhost::ObjectAccess::path(n);
        EXPECT_EQ(o->isBounded(path, MDagPath()), tc.bounded);
        EXPECT_TRUE(o->hasUIDrawables());
        if (tc.bounded) {
            const MBoundingBox box = o->boundingBox(path, MDagPath());
            EXPECT_NEAR(box.max().x, tc.half, 1e-9);
            EXPECT_NEAR(box.min().z, -tc.half, 1e-9);
        }
    }
}

TEST_F(Vp2Override, EachLocatorTypeIsClassifiedForItsOverride) {
    const char* const types[][2] = {{"KelArcSliderManipulator", "drawdb/geometry/rigDials/kelArcSlider"},
                                    {"KelSliderManipulator", "drawdb/geometry/rigDials/kelSlider"},
                                    {"KelPrimitiveLocator", "drawdb/geometry/rigDials/kelPrimitiveLocator"}};
    rdhost::DrawRegistry& reg = rdhost::drawRegistry(scene());
    for (const auto& t : types) {
        const rdhost::DrawOverrideEntry* e = reg.entryFor(scene().findType(t[0]));
        ASSERT_NE(e, nullptr) << t[0];
        EXPECT_EQ(e->classification, t[1]);
        EXPECT_EQ(e->registrant, "rigDials");
    }
    EXPECT_EQ(reg.entryFor(scene().findType("KelSliderManipulatorManip")), nullptr);
    EXPECT_EQ(reg.entries().size(), 3u);
    // Unloading takes the overrides away with the node types.
    scene().unloadPlugin("rigDials");
    EXPECT_TRUE(reg.entries().empty());
}

TEST_F(Vp2Override, ARefusedOverrideFailsTheLoadWithItsOwnLine) {
    scene().unloadPlugin("rigDials");
    ASSERT_NE(loadTestPlugin("clash_slider_draw"), nullptr);
    captureStderr();
    bool loaded = true;
    try {
        loaded = scene().loadPlugin(RIGDIALS_BIN_DIR "/rigDials.so") != nullptr;
    } catch (const rdhost::HostError&) {
        loaded = false;
    }
    const std::string err = capturedStderr();
    EXPECT_FALSE(loaded);
    EXPECT_NE(err.find("registerDrawOverrideCreator: "), std::string::npos) << err;
    EXPECT_EQ(err.find("registerNode: "), std::string::npos) << err;
    EXPECT_EQ(scene().findPlugin("rigDials"), nullptr);
    EXPECT_EQ(scene().findType("KelArcSliderManipulator"), nullptr) << "the host unloads the module cleanly";
}

// An override that is gone when the module unloads (another hand removed it)
// stops the unload at its row with its own line: the rows before it are gone,
// the module and the rest stay.
TEST_F(Vp2Override, AFailedDeregistrationStopsTheUnloadWithItsOwnLine) {
    ASSERT_TRUE(MHWRender::MDrawRegistry::deregisterDrawOverrideCreator("drawdb/geometry/rigDials/kelSlider",
                                                                        "rigDials"));
    captureStderr();
    EXPECT_THROW(scene().unloadPlugin("rigDials"), rdhost::HostError);
    const std::string err = capturedStderr();
    EXPECT_NE(err.find("deregisterDrawOverrideCreator: "), std::string::npos) << err;
    EXPECT_EQ(err.find("deregisterNode: "), std::string::npos) << err;
    EXPECT_NE(scene().findPlugin("rigDials"), nullptr) << "the module stays loaded";
    EXPECT_EQ(scene().findType("KelArcSliderManipulator"), nullptr);
    EXPECT_NE(scene().findType("KelSliderManipulator"), nullptr);
    EXPECT_NE(scene().findType("KelPrimitiveLocator"), nullptr);
}

}  // namespace
