// Viewport 2.0 on the host side: the draw registry, the recording draw
// manager, and what the host does with faulty overrides and submissions.
#include "view_fixture.h"

#include "files.h"
#include "pictures.h"

#include "../plugins/vp2_nodes.h"

#include "command/interpreter.h"
#include "graph/draw_registry.h"
#include "view/playblast.h"
#include "view/png_io.h"
#include "view/render.h"
#include "view/vp2.h"
#include "view/vp2_render.h"

#include <maya/MDrawRegistry.h>
#include <maya/MPxDrawOverride.h>

#include <dlfcn.h>

#include <cstdlib>
#include <functional>
#include <sstream>

namespace {

using namespace MHWRender;
using Kind = rdhost::UIPrimitive::Kind;

using Vp2Stats = Vp2NodeStats;

class Vp2Test : public ViewFixture {
protected:
    rdhost::Plugin* loadVp2Nodes() {
        rdhost::Plugin* p = loadTestPlugin("vp2_nodes");
        if (p) stats = reinterpret_cast<const Vp2Stats* (*)()>(::dlsym(p->handle, "vp2QuadStats"))();
        return p;
    }
    // A traced playblast with the given renderer: the trace's text.
    std::string blast(const char* renderer, const std::string& name = "shot") {
        rdhost::setRenderer(scene(), renderer);
        rdhost::PlayblastOptions o;
        o.file = dir + "/" + name + ".png";
        o.traceFile = dir + "/" + name + ".json";
        o.width = 96;
        o.height = 72;
        rdhost::playblast(scene(), o);
        return rdtest::readFile(o.traceFile);
    }
    // One node's line count in the last trace of that name.
    std::size_t tracedLines(const std::string& name = "shot") {
        const std::string t = rdtest::readFile(dir + "/" + name + ".json");
        const auto at = t.find("\"lines\": ");
        return at == std::string::npos ? 0 : std::strtoul(t.c_str() + at + 9, nullptr, 10);
    }
    rdhost::cmd::Value mel(const std::string& text) {
        std::ostringstream out, err;
        rdhost::cmd::Interpreter interp(scene(), out, err);
        return interp.execute(text);
    }

    const Vp2Stats* stats = nullptr;
    rdtest::TempDir tmp_{"rdvp2"};
    std::string dir = tmp_.path();
};

MPxDrawOverride* noOverride(const MObject&) { return nullptr; }

TEST_F(Vp2Test, RegistryMatchesTheDrawdbPartAndOwnsTheOverrides) {
    const struct {
        const char* classification;
        const char* drawPart;
    } parts[] = {{"drawdb/geometry/a", "drawdb/geometry/a"},
                 {"shader/surface:drawdb/geometry/a:utility", "drawdb/geometry/a"},
                 {"shader/surface", ""},
                 {"", ""}};
    for (const auto& p : parts) EXPECT_EQ(rdhost::drawClassificationOf(p.classification), p.drawPart);

    ASSERT_NE(loadVp2Nodes(), nullptr);
    rdhost::DrawRegistry& reg = rdhost::drawRegistry(scene());
    const rdhost::DrawOverrideEntry* e = reg.entryFor(scene().findType("vp2Quad"));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->registrant, "rdtestVp2");
    EXPECT_EQ(reg.entryFor(scene().findType("vp2Legacy")), nullptr);

    rdhost::Node* quad = create("vp2Quad");
    rdhost::OverrideSlot* slot = reg.slotFor(quad);
    ASSERT_NE(slot->override, nullptr);
    EXPECT_EQ(slot, reg.slotFor(quad));  // one override per node
    EXPECT_EQ(stats->overridesAlive, 1);
    scene().deleteNode(quad->parent);
    EXPECT_EQ(stats->overridesAlive, 0);

    EXPECT_EQ(reg.slotFor(create("vp2Legacy"))->override, nullptr);
    create("vp2Quad");
    reg.slotFor(create("vp2Quad"));
    EXPECT_EQ(stats->overridesAlive, 1);
    // Deregistering drops the overrides the creator made.
    rdhost::CurrentSceneGuard guard(&scene());
    ASSERT_TRUE(MDrawRegistry::deregisterDrawOverrideCreator("drawdb/geometry/rdtest/vp2Quad", "rdtestVp2"));
    EXPECT_EQ(stats->overridesAlive, 0);
    EXPECT_TRUE(warnings.empty());
}

TEST_F(Vp2Test, DrawManagerRecordsEachDrawableWithItsState) {
    rdhost::UIDrawList list;
    MUIDrawManager dm(&list);
    dm.beginDrawable();
    dm.setColor(MColor(1.0f, 0.5f, 0.25f, 1.0f));
    dm.setLineWidth(3.0f);
    dm.setLineStyle(MUIDrawManager::kDashed);
    dm.setPaintStyle(MUIDrawManager::kShaded);
    dm.setDepthPriority(5);
    dm.setFontSize(MUIDrawManager::kSmallFontSize);
    MPointArray pts;
    pts.append(0, 0, 0);
    pts.append(1, 0, 0);
    EXPECT_TRUE(dm.lineList(pts, false));
    dm.text(MPoint(0, 1, 0), "label", MUIDrawManager::kRight);
    dm.endDrawable();
    dm.beginDrawable();
    dm.line(MPoint(0, 0, 0), MPoint(0, 0, 2));
    dm.endDrawable();

    ASSERT_EQ(list.prims.size(), 3u);
    const rdhost::UIPrimitive& a = list.prims[0];
    EXPECT_EQ(a.kind, Kind::Lines);
    EXPECT_EQ(a.drawable, 1);
    EXPECT_EQ(a.state.color, (std::array<float, 4>{1.0f, 0.5f, 0.25f, 1.0f}));
    EXPECT_EQ(a.state.lineWidth, 3.0f);
    EXPECT_EQ(a.state.lineStyle, MUIDrawManager::kDashed);
    EXPECT_EQ(a.state.paintStyle, MUIDrawManager::kShaded);
    EXPECT_EQ(a.state.depthPriority, 5u);
    EXPECT_EQ(a.state.fontSize, 9u);
    EXPECT_EQ(a.positions.size(), 2u);
    EXPECT_EQ(list.prims[1].kind, Kind::Text);
    EXPECT_EQ(list.prims[1].text, "label");
    EXPECT_EQ(list.prims[1].align, MUIDrawManager::kRight);
    // endDrawable put every state back.
    const rdhost::UIPrimitive& c = list.prims[2];
    EXPECT_EQ(c.drawable, 2);
    EXPECT_EQ(c.state.color, rdhost::UIState().color);
    EXPECT_EQ(c.state.lineWidth, 1.0f);
    EXPECT_EQ(c.state.lineStyle, MUIDrawManager::kSolid);
    EXPECT_EQ(c.state.paintStyle, MUIDrawManager::kFlat);
    EXPECT_EQ(c.state.depthPriority, 0u);
    EXPECT_EQ(c.state.fontSize, 12u);
    EXPECT_TRUE(list.warnings.empty());
}

// Faulty input, each row: what a plug-in does, the warning it gets (naming
// the node or registrant) and how many primitives are still drawn (-1: the
// row draws nothing by nature).
TEST_F(Vp2Test, FaultyInputIsWarnedAndDrawsNothingWrong) {
    ASSERT_NE(loadVp2Nodes(), nullptr);
    rdhost::CurrentSceneGuard guard(&scene());
    MPointArray three;
    three.append(0, 0, 0);
    three.append(1, 0, 0);
    three.append(0, 1, 0);
    // A submission into a draw list for node "n1": warnings and primitives kept.
    auto submit = [](std::function<void(MUIDrawManager&)> calls) {
        return [calls](std::vector<std::string>& w) {
            rdhost::UIDrawList list;
            list.node = "n1";
            MUIDrawManager dm(&list);
            calls(dm);
            list.finish();
            w = list.warnings;
            return static_cast<long>(list.prims.size());
        };
    };
    // A registration; the warnings come through the scene.
    auto reg = [](const char* classification, const char* registrant, bool ok) {
        return [=](std::vector<std::string>&) {
            EXPECT_EQ(
                bool(MDrawRegistry::registerDrawOverrideCreator(classification, registrant, noOverride)), ok);
            return -1L;
        };
    };
    // A locator of vp2_nodes drawn by a traced vp2Renderer playblast.
    auto drawn = [this](const char* type) {
        return [=](std::vector<std::string>&) {
            rdhost::Node* n = create(type);
            blast(rdhost::kVp2Renderer);
            scene().deleteNode(n->parent);
            return static_cast<long>(tracedLines());
        };
    };
    const struct Row {
        const char* name;
        std::function<long(std::vector<std::string>&)> act;
        const char* warning;
        long drawn;
    } rows[] = {
        {"line outside a drawable", submit([](MUIDrawManager& dm) { dm.line(MPoint(), MPoint(1, 1, 1)); }),
         "node 'n1': line outside beginDrawable/endDrawable", 0},
        {"text outside a drawable", submit([](MUIDrawManager& dm) { dm.text(MPoint(), "t"); }),
         "node 'n1': text outside", 0},
        {"colour outside a drawable", submit([](MUIDrawManager& dm) { dm.setColor(MColor(1, 0, 0)); }),
         "node 'n1': setColor outside", 0},
        {"endDrawable alone", submit([](MUIDrawManager& dm) { dm.endDrawable(); }),
         "node 'n1': endDrawable without beginDrawable", 0},
        {"drawable left open", submit([](MUIDrawManager& dm) {
             dm.beginDrawable();
             dm.line(MPoint(), MPoint(1, 0, 0));
         }),
         "node 'n1': beginDrawable without endDrawable", 1},
        {"mesh index past its positions", submit([&](MUIDrawManager& dm) {
             MUintArray index(3, 0);
             index[2] = 3;
             dm.beginDrawable();
             dm.mesh(MUIDrawManager::kTriangles, three, nullptr, nullptr, &index);
             dm.endDrawable();
         }),
         "node 'n1': mesh index 3 (at 2) is past its 3 positions", 0},
        {"triangles of four vertices", submit([&](MUIDrawManager& dm) {
             MPointArray four(three);
             four.append(1, 1, 0);
             dm.beginDrawable();
             dm.mesh(MUIDrawManager::kTriangles, four);
             dm.endDrawable();
         }),
         "node 'n1': mesh of 4 vertices does not fit kTriangles", 0},
        {"lines of three vertices", submit([&](MUIDrawManager& dm) {
             dm.beginDrawable();
             dm.mesh(MUIDrawManager::kLines, three);
             dm.endDrawable();
         }),
         "node 'n1': mesh of 3 vertices does not fit kLines", 0},
        {"line list of three points", submit([&](MUIDrawManager& dm) {
             dm.beginDrawable();
             dm.lineList(three, false);
             dm.endDrawable();
         }),
         "node 'n1': lineList of 3 points", 0},
        {"normals not one per position", submit([&](MUIDrawManager& dm) {
             MVectorArray normals(2, MVector(0, 0, 1));
             dm.beginDrawable();
             dm.mesh(MUIDrawManager::kTriangles, three, &normals);
             dm.endDrawable();
         }),
         "node 'n1': mesh with 2 normals for 3 positions", 1},
        {"classification without drawdb/", reg("geometry/t", "r2", false),
         "registrant 'r2': the classification 'geometry/t' is not a draw classification", -1},
        {"first registrant", reg("drawdb/geometry/t", "first", true), nullptr, -1},
        {"same registrant twice", reg("drawdb/geometry/t", "first", false),
         "registrant 'first' already registered 'drawdb/geometry/t'", -1},
        {"two registrants for one classification", reg("drawdb/geometry/t", "second", true),
         "'drawdb/geometry/t' already has an override from 'first'; the one from 'second' is kept", -1},
        {"creator returning null", drawn("vp2NullMaker"),
         "the override creator of registrant 'rdtestVp2' returned null for 'vp2NullMaker1'", 1},
        {"prepareForDraw returning null", drawn("vp2NoData"),
         "node 'vp2NoData1': prepareForDraw returned no data", 0},
        {"submissions outside a drawable and bad meshes", drawn("vp2Faulty"),
         "node 'vp2Faulty1': line outside beginDrawable/endDrawable", 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        warnings.clear();
        std::vector<std::string> own;
        const long n = r.act(own);
        own.insert(own.end(), warnings.begin(), warnings.end());
        if (r.warning) {
            ASSERT_FALSE(own.empty());
            EXPECT_NE(own[0].find(r.warning), std::string::npos) << own[0];
        } else {
            EXPECT_TRUE(own.empty()) << own[0];
        }
        EXPECT_EQ(n, r.drawn);
    }
    // vp2Faulty's other faults are each named once.
    for (const char* w :
         {"mesh index 7 (at 2) is past its 3 positions", "mesh of 4 vertices does not fit kTriangles"})
        EXPECT_TRUE(warnedWith("node 'vp2Faulty1': " + std::string(w))) << w;
    EXPECT_EQ(rdhost::drawRegistry(scene()).entries().size(), 7u);
    EXPECT_FALSE(MDrawRegistry::deregisterDrawOverrideCreator("drawdb/geometry/t", "third"));
}

TEST_F(Vp2Test, ModelEditorQueriesAndSwitchesTheRenderer) {
    EXPECT_EQ(mel("modelEditor -query -rendererName modelPanel4").text(), "vp2Renderer");
    mel("modelEditor -edit -rendererName base_OpenGL_Renderer modelPanel4");
    EXPECT_EQ(mel("modelEditor -q -rnm modelPanel4").text(), "base_OpenGL_Renderer");
    mel("modelEditor -e -rnm vp2Renderer modelPanel4");
    EXPECT_EQ(rdhost::rendererOf(scene()), "vp2Renderer");
    const struct {
        const char* script;
        const char* error;
    } errors[] = {
        {"modelEditor -e -rnm mayaHardware modelPanel4",
         "modelEditor: unknown renderer 'mayaHardware' (use vp2Renderer or base_OpenGL_Renderer)"},
        {"modelEditor -q -rnm modelPanel1",
         "modelEditor: no panel named 'modelPanel1' (this host's panel is modelPanel4)"},
        {"modelEditor -q -rnm", "modelEditor: no panel named"},
        {"modelEditor -rnm vp2Renderer modelPanel4", "creating editors is not supported"},
        {"modelEditor -q -e -rnm modelPanel4", "-query and -edit cannot be given together"},
        {"modelEditor -q modelPanel4", "-query needs a flag to answer"},
        {"modelEditor -e modelPanel4", "-edit needs a flag to change"},
    };
    for (const auto& e : errors) {
        SCOPED_TRACE(e.script);
        try {
            mel(e.script);
            ADD_FAILURE() << "no error";
        } catch (const rdhost::HostError& err) {
            EXPECT_NE(std::string(err.what()).find(e.error), std::string::npos) << err.what();
        }
    }
    EXPECT_EQ(rdhost::rendererOf(scene()), "vp2Renderer");  // errors change nothing
}

// vp2Quad draws the same picture both ways: through its override in
// vp2Renderer, through its legacy draw in base_OpenGL_Renderer.
TEST_F(Vp2Test, RenderersDrawTheSamePictureAndKeepUserData) {
    ASSERT_NE(loadVp2Nodes(), nullptr);
    rdhost::Node* quad = create("vp2Quad");
    setNumber(quad->parent, "translateX", 2.0);
    create("vp2Legacy");
    const std::string legacy = blast(rdhost::kLegacyRenderer, "legacy");
    EXPECT_EQ(stats->prepares, 0);
    const std::string vp2 = blast(rdhost::kVp2Renderer, "vp2");
    EXPECT_EQ(vp2, legacy);
    EXPECT_NE(vp2.find("\"lines\": 3, \"polygons\": 2"), std::string::npos) << vp2;
    const rdhost::Image a = rdhost::readPng(dir + "/legacy.png"), b = rdhost::readPng(dir + "/vp2.png");
    EXPECT_LE(rdtest::differingPixels(a, b, 2), a.width * a.height / 200);
    // prepareForDraw for the pass that frames the camera and for the picture
    // (the trace's counting pass reuses the picture's); its data kept and
    // handed back. From a camera already placed, once per refresh.
    EXPECT_EQ(stats->prepares, 2);
    blast(rdhost::kVp2Renderer);
    EXPECT_EQ(stats->prepares, 4);
    rdhost::RenderOptions placed;
    placed.view = rdhost::renderScene(scene(), placed).camera;
    rdhost::renderScene(scene(), placed);
    EXPECT_EQ(stats->prepares, 7);
    EXPECT_EQ(stats->dataAlive, 1);
    scene().deleteNode(quad->parent);
    EXPECT_EQ(stats->dataAlive, 0);
    EXPECT_EQ(stats->overridesAlive, 0);
    // The picture pass draws every node's drawables in one draw per state,
    // however many nodes there are: the quads' triangles, then their lines.
    for (double x : {-2.0, 0.0, 2.0}) setNumber(create("vp2Quad")->parent, "translateX", x);
    blast(rdhost::kVp2Renderer);
    EXPECT_EQ(rdhost::drawBatchStats().draws, 2u);
    EXPECT_EQ(rdhost::drawBatchStats().vertices, 3u * (6 + 6));
    EXPECT_TRUE(warnings.empty()) << warnings[0];
}

// The frame context tells an override what the legacy draw finds in GL: the
// object's world and view, the projection, the viewport and the display
// style. User data that asks to be deleted after use is, after each refresh.
TEST_F(Vp2Test, FrameContextIsTheLegacyViewAndDataIsDeletedAfterUse) {
    ASSERT_NE(loadVp2Nodes(), nullptr);
    rdhost::Node* node = create("vp2Frame");
    setNumber(node->parent, "translateX", 2.0);
    setNumber(node->parent, "rotateY", 30.0);
    // Pictures only: each renderer's last draw is the picture's.
    const auto picture = [&](const char* renderer) {
        rdhost::setRenderer(scene(), renderer);
        rdhost::PlayblastOptions o;
        o.file = dir + "/frame.png";
        o.width = 96;
        o.height = 72;
        rdhost::playblast(scene(), o);
    };
    picture(rdhost::kLegacyRenderer);
    picture(rdhost::kVp2Renderer);
    const FrameSeen &want = stats->legacy, &got = stats->vp2;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(got.modelView[r][c], want.modelView[r][c], 1e-5) << r << c;
            EXPECT_NEAR(got.projection[r][c], want.projection[r][c], 1e-5) << r << c;
            EXPECT_NEAR(got.viewProjCheck[r][c], r == c ? 1.0 : 0.0, 1e-9) << r << c;
        }
    EXPECT_LT(want.modelView[3][2], -1.0) << "the node sits in front of the camera";
    for (int k = 0; k < 4; ++k) EXPECT_EQ(got.viewport[k], want.viewport[k]) << k;
    EXPECT_EQ(got.viewport[2], 96);
    EXPECT_EQ(got.displayStyle, unsigned(MFrameContext::kGouraudShaded));
    EXPECT_EQ(want.displayStyle, unsigned(M3dView::kGouraudShaded));
    // Prepared for the pass that frames the camera and for the picture.
    EXPECT_EQ(stats->frameDataMade, 2);
    EXPECT_EQ(stats->frameDataAlive, 0);
    blast(rdhost::kVp2Renderer);
    EXPECT_EQ(stats->frameDataMade, 4);
    EXPECT_EQ(stats->frameDataAlive, 0);
    EXPECT_EQ(stats->frameDataHandedBack, 0) << "deleted data is never handed back";
    EXPECT_TRUE(warnings.empty()) << warnings[0];
}

}  // namespace
