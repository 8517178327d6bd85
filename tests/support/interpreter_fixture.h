// A fresh scene with an interpreter attached, as the program runs it: plug-ins
// load by name from the build's folders, and the output and error streams are
// captured per command.
#pragma once

#include "command/interpreter.h"
#include "scene_fixture.h"

#include <memory>
#include <sstream>
#include <string>

class InterpreterFixture : public SceneFixture {
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
    // Runs text that must fail; returns the error text.
    std::string error(const std::string& text) {
        EXPECT_FALSE(run(text)) << text;
        return err_.str();
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

    std::ostringstream out_, err_;
    std::unique_ptr<rdhost::cmd::Interpreter> interp_;
};
