// A scene with an interpreter attached, its output and error streams captured,
// and a snapshot of the whole scene to show that a failed command changed nothing.
#pragma once

#include "command/interpreter.h"
#include "scene_fixture.h"

#include <memory>
#include <sstream>
#include <string>

class CommandFixture : public SceneFixture {
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

    rdhost::cmd::Interpreter& interp() { return *interp_; }

    // Runs text at the top level; the streams are cleared first.
    bool run(const std::string& text) {
        out_.str("");
        err_.str("");
        return interp_->run(text);
    }
    // Runs text that must succeed; returns its output.
    std::string ok(const std::string& text) {
        bool good = run(text);
        EXPECT_TRUE(good) << text << "\n" << err_.str();
        return out_.str();
    }
    // The printed result of one command ("" when none).
    std::string result(const std::string& text) {
        std::string o = ok(text);
        const std::string head = "// Result: ", tail = " //\n";
        if (o.rfind(head, 0) != 0 || o.size() < head.size() + tail.size()) return "";
        return o.substr(head.size(), o.size() - head.size() - tail.size());
    }
    std::string out() const { return out_.str(); }
    std::string err() const { return err_.str(); }

    // Everything a command could change: nodes, values, connections, DAG,
    // selection, loaded plug-ins, plug states. Values are read as stored (no
    // evaluation).
    std::string snapshot() {
        std::ostringstream s;
        s.precision(17);
        for (const auto& p : scene().plugins()) s << "plugin " << p->name << "\n";
        for (rdhost::Node* n : scene().nodes()) {
            s << "node " << n->name << " " << (n->type ? n->type->name : "?") << " parent "
              << (n->parent ? n->parent->name : "-") << "\n";
            for (int i = 0; i < n->slotCount(); ++i) {
                s << "  " << i << " " << n->storedNumber(i) << " '" << n->storedString(i) << "' "
                  << int(n->plugStateBits(i));
                if (n->source(i)) s << " <- " << n->source(i).node->name << "." << n->source(i).attr;
                s << "\n";
            }
        }
        s << "selection";
        for (rdhost::Node* n : scene().selection()) s << " " << n->name;
        s << "\n";
        return s.str();
    }

    std::ostringstream out_, err_;
    std::unique_ptr<rdhost::cmd::Interpreter> interp_;
};
