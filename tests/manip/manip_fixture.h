// A scene with an interpreter and the manip_probe test plug-in loaded, for the
// manipulator runtime's tests.
#pragma once

#include "command/interpreter.h"
#include "manip/manip.h"
#include "scene_fixture.h"

#include <memory>
#include <sstream>
#include <string>

class ManipFixture : public SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        scene().setPluginPath({RIGDIALS_BIN_DIR, RIGDIALS_TEST_PLUGIN_DIR});
        interp_ = std::make_unique<rdhost::cmd::Interpreter>(scene(), out_, err_);
    }
    void TearDown() override {
        interp_.reset();
        SceneFixture::TearDown();
    }

    bool run(const std::string& text) {
        out_.str("");
        err_.str("");
        return interp_->run(text);
    }
    void ok(const std::string& text) { EXPECT_TRUE(run(text)) << text << "\n" << err_.str(); }
    // The printed result of one command.
    std::string result(const std::string& text) {
        ok(text);
        const std::string o = out_.str(), head = "// Result: ", tail = " //\n";
        if (o.rfind(head, 0) != 0 || o.size() < head.size() + tail.size()) return "";
        return o.substr(head.size(), o.size() - head.size() - tail.size());
    }
    // Runs text that must fail; returns the error text.
    std::string error(const std::string& text) {
        EXPECT_FALSE(run(text)) << text;
        return err_.str();
    }

    // A probe under transform "xf".
    rdhost::Node* makeProbe(const std::string& name = "probe1") {
        ok("loadPlugin manip_probe");
        ok("createNode transform -n xf; createNode manipProbe -n " + name + " -p xf");
        return scene().findNode(name);
    }
    rdhost::ShownManip& shown(rdhost::Node* node) {
        rdhost::ShownManip* s = rdhost::shownManipFor(scene(), node);
        if (!s) ADD_FAILURE() << "no container shown";
        return *s;
    }
    rdhost::StockManip& child(rdhost::Node* node, size_t i) { return *shown(node).state->children.at(i); }

    std::ostringstream out_, err_;
    std::unique_ptr<rdhost::cmd::Interpreter> interp_;
};
