// A fresh scene with the viewport test nodes loaded and warnings collected.
#pragma once

#include "gl_capture.h"
#include "scene_fixture.h"
#include "view/viewport.h"

#include <string>
#include <vector>

class ViewFixture : public SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        scene().setWarningSink([this](const std::string& w) { warnings.push_back(w); });
    }

    void loadViewNodes() { ASSERT_NE(loadTestPlugin("view_nodes"), nullptr); }

    rdhost::Viewport& viewport() { return rdhost::viewportFor(scene()); }

    bool warnedWith(const std::string& part) const {
        for (const auto& w : warnings)
            if (w.find(part) != std::string::npos) return true;
        return false;
    }

    std::vector<std::string> warnings;
};
