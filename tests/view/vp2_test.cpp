// Viewport 2.0 on the host side: the draw registry, the recording draw
// manager, and what the host does with faulty overrides and submissions.
#include "view_fixture.h"

#include "graph/draw_registry.h"
#include "view/vp2.h"

#include <maya/MDrawRegistry.h>
#include <maya/MPxDrawOverride.h>

#include <dlfcn.h>

#include <functional>

namespace {

using namespace MHWRender;
using Kind = rdhost::UIPrimitive::Kind;

struct Vp2Stats {
    int prepares, dataAlive, overridesAlive;
};

class Vp2Test : public ViewFixture {
protected:
    rdhost::Plugin* loadVp2Nodes() {
        rdhost::Plugin* p = loadTestPlugin("vp2_nodes");
        if (p) stats = reinterpret_cast<const Vp2Stats* (*)()>(::dlsym(p->handle, "vp2QuadStats"))();
        return p;
    }
    const Vp2Stats* stats = nullptr;
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

// Faulty input, each row: what the plug-in does, the warning it gets (naming
// the node or registrant) and what is still drawn.
TEST_F(Vp2Test, FaultyInputIsWarnedAndDrawsNothingWrong) {
    MPointArray three;
    three.append(0, 0, 0);
    three.append(1, 0, 0);
    three.append(0, 1, 0);
    const struct Row {
        const char* name;
        std::function<void(MUIDrawManager&)> submit;  // into a list for node "n1"
        const char* warning;
        std::size_t drawn;
    } rows[] = {
        {"line outside a drawable", [](MUIDrawManager& dm) { dm.line(MPoint(), MPoint(1, 1, 1)); },
         "line outside beginDrawable/endDrawable", 0},
        {"text outside a drawable", [](MUIDrawManager& dm) { dm.text(MPoint(), "t"); }, "text outside", 0},
        {"colour outside a drawable", [](MUIDrawManager& dm) { dm.setColor(MColor(1, 0, 0)); },
         "setColor outside", 0},
        {"endDrawable alone", [](MUIDrawManager& dm) { dm.endDrawable(); },
         "endDrawable without beginDrawable", 0},
        {"drawable left open",
         [](MUIDrawManager& dm) {
             dm.beginDrawable();
             dm.line(MPoint(), MPoint(1, 0, 0));
         },
         "beginDrawable without endDrawable", 1},
        {"mesh index past its positions",
         [&](MUIDrawManager& dm) {
             MUintArray index(3, 0);
             index[2] = 3;
             dm.beginDrawable();
             dm.mesh(MUIDrawManager::kTriangles, three, nullptr, nullptr, &index);
             dm.endDrawable();
         },
         "mesh index 3 (at 2) is past its 3 positions", 0},
        {"triangles of four vertices",
         [&](MUIDrawManager& dm) {
             MPointArray four(three);
             four.append(1, 1, 0);
             dm.beginDrawable();
             dm.mesh(MUIDrawManager::kTriangles, four);
             dm.endDrawable();
         },
         "mesh of 4 vertices does not fit kTriangles", 0},
        {"lines of three vertices",
         [&](MUIDrawManager& dm) {
             dm.beginDrawable();
             dm.mesh(MUIDrawManager::kLines, three);
             dm.endDrawable();
         },
         "mesh of 3 vertices does not fit kLines", 0},
        {"line list of three points",
         [&](MUIDrawManager& dm) {
             dm.beginDrawable();
             dm.lineList(three, false);
             dm.endDrawable();
         },
         "lineList of 3 points", 0},
        {"normals not one per position",
         [&](MUIDrawManager& dm) {
             MVectorArray normals(2, MVector(0, 0, 1));
             dm.beginDrawable();
             dm.mesh(MUIDrawManager::kTriangles, three, &normals);
             dm.endDrawable();
         },
         "2 normals for 3 positions", 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        rdhost::UIDrawList list;
        list.node = "n1";
        MUIDrawManager dm(&list);
        r.submit(dm);
        list.finish();
        ASSERT_EQ(list.warnings.size(), 1u);
        EXPECT_NE(list.warnings[0].find("node 'n1'"), std::string::npos) << list.warnings[0];
        EXPECT_NE(list.warnings[0].find(r.warning), std::string::npos) << list.warnings[0];
        EXPECT_EQ(list.prims.size(), r.drawn);
    }

    // The registry's faults fail the call and name the registrant.
    rdhost::CurrentSceneGuard guard(&scene());
    const struct {
        const char* classification;
        const char* registrant;
        bool ok;
        const char* warning;
    } registrations[] = {
        {"drawdb/geometry/t", "first", true, nullptr},
        {"geometry/t", "r2", false,
         "registrant 'r2': the classification 'geometry/t' is not a draw classification"},
        {"drawdb/geometry/t", "first", false, "registrant 'first' already registered 'drawdb/geometry/t'"},
        {"drawdb/geometry/t", "second", true,
         "already has an override from 'first'; the one from 'second' is kept"},
    };
    for (const auto& r : registrations) {
        SCOPED_TRACE(r.registrant);
        warnings.clear();
        EXPECT_EQ(
            bool(MDrawRegistry::registerDrawOverrideCreator(r.classification, r.registrant, noOverride)),
            r.ok);
        if (r.warning) {
            ASSERT_EQ(warnings.size(), 1u);
            EXPECT_NE(warnings[0].find(r.warning), std::string::npos) << warnings[0];
        } else {
            EXPECT_TRUE(warnings.empty());
        }
    }
    EXPECT_EQ(rdhost::drawRegistry(scene()).entries().size(), 2u);
    EXPECT_FALSE(MDrawRegistry::deregisterDrawOverrideCreator("drawdb/geometry/t", "third"));
}

}  // namespace
