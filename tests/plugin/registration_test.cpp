// Loading and unloading rigDials.so: the registration table, and what the
// entry points print and leave registered when the host refuses a step.

#include "scene_fixture.h"

#include "graph/scene_impl.h"

#include <dlfcn.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Row {
    const char* name;
    unsigned id;
    int kind;
};

// Registration order, which is also the order of deregistration.
const Row kRows[] = {
    {"KelArcSliderManipulator", 0x80668, MPxNode::kLocatorNode},
    {"KelArcSliderManipulatorManip", 0x80670, MPxNode::kManipContainer},
    {"KelSliderManipulator", 0x80666, MPxNode::kLocatorNode},
    {"KelSliderManipulatorManip", 0x80667, MPxNode::kManipContainer},
    {"KelPrimitiveLocator", 0x80020, MPxNode::kLocatorNode},
};
const int kRowCount = 5;

const std::string kRigDials = RIGDIALS_BIN_DIR "/rigDials.so";

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

bool startsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

struct Outcome {
    bool ok = false;
    std::string error;  // the host's error when not ok
    std::vector<std::string> stderrLines;
};

class RegistrationTest : public SceneFixture {
protected:
    // Starts over with a new scene; whatever the old one prints while it
    // unloads what it still holds is not this test's concern.
    void freshScene() {
        captureStderr();
        scene_.reset();
        capturedStderr();
        scene_ = std::make_unique<rdhost::Scene>();
        rdhost::Scene::setCurrent(scene_.get());
    }

    Outcome load(const std::string& path) {
        Outcome o;
        captureStderr();
        try {
            o.ok = scene().loadPlugin(path) != nullptr;
        } catch (const rdhost::HostError& e) {
            o.error = e.what();
        }
        o.stderrLines = lines(capturedStderr());
        return o;
    }

    Outcome unload(const std::string& name) {
        Outcome o;
        captureStderr();
        try {
            scene().unloadPlugin(name);
            o.ok = true;
        } catch (const rdhost::HostError& e) {
            o.error = e.what();
        }
        o.stderrLines = lines(capturedStderr());
        return o;
    }

    // Calls the module's initializePlugin as loadPlugin does, without
    // loadPlugin's clean-up after a failure, so that what the module itself
    // leaves registered can be seen. The scene owns the plug-in afterwards.
    Outcome initializeDirectly() {
        Outcome o;
        void* handle = ::dlopen(kRigDials.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            o.error = ::dlerror();
            ADD_FAILURE() << o.error;
            return o;
        }
        auto init = reinterpret_cast<MStatus (*)(MObject)>(::dlsym(handle, "initializePlugin"));
        if (!init) {
            ADD_FAILURE() << "no initializePlugin";
            return o;
        }
        auto plugin = std::make_unique<rdhost::Plugin>();
        plugin->scene = scene_.get();
        plugin->name = "rigDials";
        plugin->path = kRigDials;
        plugin->handle = handle;
        rdhost::Plugin* p = plugin.get();
        scene_->impl()->plugins.push_back(std::move(plugin));
        captureStderr();
        const MStatus status = init(rdhost::ObjectAccess::make(p));
        o.stderrLines = lines(capturedStderr());
        o.ok = bool(status);
        o.error = status.errorString().asChar();
        return o;
    }

    // Which rows of the table are registered now.
    std::vector<bool> registered() const {
        std::vector<bool> out;
        for (const Row& row : kRows) {
            const bool byName = scene_->findType(row.name) != nullptr;
            EXPECT_EQ(byName, scene_->findType(row.id) != nullptr) << row.name;
            out.push_back(byName);
        }
        return out;
    }

    static std::vector<bool> firstRows(int n) {
        std::vector<bool> out(kRowCount, false);
        for (int i = 0; i < n; ++i) out[i] = true;
        return out;
    }

    // addAttribute calls a clean load makes, counted in a scratch scene.
    int addAttributeCallsOfACleanLoad() {
        rdhost::Scene scratch;
        rdhost::Scene::setCurrent(&scratch);
        int calls = -1;
        try {
            scratch.loadPlugin(kRigDials);
            calls = scratch.faults().calls(rdhost::Fault::AddAttribute);
        } catch (const rdhost::HostError& e) {
            ADD_FAILURE() << e.what();
        }
        rdhost::Scene::setCurrent(scene_.get());
        return calls;
    }

    // The primitive locator's type, also after a failed initialize has
    // withdrawn it.
    rdhost::NodeType* locatorType() const {
        for (auto& t : scene_->impl()->types)
            if (t->name == "KelPrimitiveLocator") return t.get();
        return nullptr;
    }
};

TEST_F(RegistrationTest, CleanLoadRegistersTheTableInOrder) {
    const Outcome o = load(kRigDials);
    ASSERT_TRUE(o.ok) << o.error;
    EXPECT_TRUE(o.stderrLines.empty()) << o.stderrLines[0];
    rdhost::Plugin* p = scene().findPlugin("rigDials");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->apiVersion, "300");
    EXPECT_EQ(p->vendor, "Orvane 2001");
    EXPECT_EQ(p->version, "3.0");
    ASSERT_EQ(p->types.size(), size_t(kRowCount));
    for (int i = 0; i < kRowCount; ++i) {
        EXPECT_EQ(p->types[i]->name, kRows[i].name) << i;
        EXPECT_EQ(p->types[i]->id, kRows[i].id) << kRows[i].name;
        EXPECT_EQ(p->types[i]->kind, kRows[i].kind) << kRows[i].name;
    }
}

TEST_F(RegistrationTest, CleanUnloadRemovesEveryType) {
    ASSERT_TRUE(load(kRigDials).ok);
    const Outcome o = unload("rigDials");
    ASSERT_TRUE(o.ok) << o.error;
    EXPECT_TRUE(o.stderrLines.empty());
    EXPECT_EQ(registered(), firstRows(0));
    EXPECT_EQ(scene().findPlugin("rigDials"), nullptr);
}

TEST_F(RegistrationTest, FailedRegistrationStopsTheTableAndIsReportedOnce) {
    for (int failing = 1; failing <= kRowCount; ++failing) {
        freshScene();
        scene().faults().failAt(rdhost::Fault::RegisterNode, failing);
        const Outcome o = initializeDirectly();
        EXPECT_FALSE(o.ok) << "row " << failing;
        ASSERT_EQ(o.stderrLines.size(), 1u) << "row " << failing;
        EXPECT_TRUE(startsWith(o.stderrLines[0], "registerNode: ")) << o.stderrLines[0];
        EXPECT_EQ(registered(), firstRows(failing - 1)) << "row " << failing;
        EXPECT_EQ(scene().faults().calls(rdhost::Fault::RegisterNode), failing)
            << "rows after the failure are not tried";
    }
    freshScene();
}

TEST_F(RegistrationTest, HostRefusesAModuleWhoseRegistrationFailed) {
    scene().faults().failAt(rdhost::Fault::RegisterNode, 3);
    const Outcome o = load(kRigDials);
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.error.find("initializePlugin"), std::string::npos) << o.error;
    ASSERT_EQ(o.stderrLines.size(), 1u);
    EXPECT_TRUE(startsWith(o.stderrLines[0], "registerNode: ")) << o.stderrLines[0];
    EXPECT_EQ(scene().findPlugin("rigDials"), nullptr);
    EXPECT_EQ(registered(), firstRows(0));
}

TEST_F(RegistrationTest, TypeIdTakenByAnotherPluginStopsAtTheSlider) {
    ASSERT_NE(loadTestPlugin("clash_slider_id"), nullptr);
    const Outcome o = initializeDirectly();
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.error.find("0x80666"), std::string::npos) << o.error;
    ASSERT_EQ(o.stderrLines.size(), 1u);
    EXPECT_TRUE(startsWith(o.stderrLines[0], "registerNode: ")) << o.stderrLines[0];
    // The arc slider and its container are in; the slider, its container and
    // the primitive locator are not.
    const std::vector<bool> arcOnly = firstRows(2);
    for (int i = 0; i < kRowCount; ++i) {
        if (i != 2) {
            EXPECT_EQ(scene().findType(kRows[i].name) != nullptr, arcOnly[i]) << kRows[i].name;
        }
    }
    EXPECT_EQ(scene().findType("KelSliderManipulator"), nullptr);
    // The clash plug-in still owns the id.
    ASSERT_NE(scene().findType(0x80666u), nullptr);
    EXPECT_EQ(scene().findType(0x80666u)->name, "clashSliderId");
    freshScene();
}

TEST_F(RegistrationTest, FailedDeregistrationStopsInRegistrationOrder) {
    for (int failing = 1; failing <= kRowCount; ++failing) {
        freshScene();
        ASSERT_TRUE(load(kRigDials).ok);
        scene().faults().reset();
        scene().faults().failAt(rdhost::Fault::DeregisterNode, failing);
        const Outcome o = unload("rigDials");
        EXPECT_FALSE(o.ok) << "row " << failing;
        const int reports =
            std::count_if(o.stderrLines.begin(), o.stderrLines.end(),
                          [](const std::string& l) { return startsWith(l, "deregisterNode: "); });
        EXPECT_EQ(reports, 1) << "row " << failing;
        EXPECT_EQ(scene().faults().calls(rdhost::Fault::DeregisterNode), failing)
            << "later rows are not tried";
        // The rows before the failing one are gone, the rest stay.
        std::vector<bool> left = firstRows(kRowCount);
        for (int i = 0; i < failing - 1; ++i) left[i] = false;
        EXPECT_EQ(registered(), left) << "row " << failing;
        EXPECT_NE(scene().findPlugin("rigDials"), nullptr) << "the module stays loaded";
    }
    freshScene();
}

TEST_F(RegistrationTest, FailedAddAttributeReportsTheRowsMessageAndStopsInitialize) {
    const int cleanCalls = addAttributeCallsOfACleanLoad();
    ASSERT_GE(cleanCalls, 20);
    // The primitive locator registers last and adds its twenty attributes last.
    const int base = cleanCalls - 20;
    struct Case {
        int row;
        const char* message;      // null: not examined, initialize goes on
        const char* lastAdded;    // the last own attribute that exists afterwards
        const char* lastCreated;  // the last own attribute created
    };
    const Case cases[] = {
        {1, "addAttribute NAME##error", nullptr, "displayLabel"},
        {2, "addAttribute: ATTR", "displayLabel", "label"},
        {5, "addAttribute NAME##error", "labelColorG", "labelColorB"},
        {6, nullptr, "outerRadius", "outerRadius"},
        {8, "addAttribute NAME error", "colorR", "colorG"},
        {11, "addAttribute: ATTR", "color", "type"},
        {12, "addAttribute: ATTR", "type", "drawType"},
        {20, "addAttribute NAME error", "innerRadius", "outerRadius"},
    };
    for (const Case& tc : cases) {
        freshScene();
        const std::string what = "row " + std::to_string(tc.row);
        scene().faults().failAt(rdhost::Fault::AddAttribute, base + tc.row);
        const Outcome o = initializeDirectly();
        rdhost::NodeType* t = locatorType();
        ASSERT_NE(t, nullptr) << what;
        if (tc.message) {
            EXPECT_FALSE(o.ok) << what;
            ASSERT_EQ(o.stderrLines.size(), 2u) << what;
            EXPECT_EQ(o.stderrLines[0], tc.message) << what;
            EXPECT_TRUE(startsWith(o.stderrLines[1], "registerNode: ")) << o.stderrLines[1];
            EXPECT_EQ(scene().findType("KelPrimitiveLocator"), nullptr) << what;
            EXPECT_EQ(registered(), firstRows(4)) << what;
        } else {
            EXPECT_TRUE(o.ok) << what << ": " << o.error;
            EXPECT_TRUE(o.stderrLines.empty()) << what;
            EXPECT_EQ(t->findAttr("labelColor"), nullptr) << what;
            EXPECT_NE(t->findAttr("labelColorB"), nullptr) << what;
        }
        // Attributes already added stay; the later rows were never created.
        const std::string added = t->attrs.empty() ? "" : t->attrs.back()->longName;
        const bool ownAdded = tc.lastAdded != nullptr;
        if (ownAdded)
            EXPECT_EQ(added, tc.lastAdded) << what;
        else
            EXPECT_EQ(t->findAttr("displayLabel"), nullptr) << what;
        ASSERT_FALSE(t->pool.empty()) << what;
        EXPECT_EQ(t->pool.back()->longName, tc.lastCreated) << what;
    }
    freshScene();
}

}  // namespace
