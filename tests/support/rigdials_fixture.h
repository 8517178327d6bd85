// A fresh scene with the rigDials plug-in loaded and, for a fixture made with
// a node type, one node of it (for a locator type the shape, under the
// transform the host makes). SetUp fails the test when either fails.
#pragma once

#include "gl_capture.h"
#include "scene_fixture.h"

#include <string>
#include <vector>

class RigDialsFixture : public SceneFixture {
protected:
    explicit RigDialsFixture(const char* nodeType = nullptr) : nodeType_(nodeType) {}

    void SetUp() override {
        SceneFixture::SetUp();
        ASSERT_NE(loadRigDials(), nullptr);
        if (!nodeType_) return;
        node = create(nodeType_);
        ASSERT_NE(node, nullptr);
    }

    // The node's attributes by name, in internal units.
    double get(const char* attr) { return getNumber(node, attr); }
    void set(const char* attr, double value) { setNumber(node, attr, value); }
    // The node's draw, captured as the viewport makes it.
    rdtest::Capture draw() { return rdtest::captureNodeDraw(scene(), node); }

    // From now on the commands nodes send to the interpreter land in
    // `commands` instead of running.
    void recordCommands() {
        scene().setExecuteHook([this](const std::string& text, std::string*) {
            commands.push_back(text);
            return true;
        });
    }

    rdhost::Node* node = nullptr;
    std::vector<std::string> commands;

private:
    const char* nodeType_;
};
