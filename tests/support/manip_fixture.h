// A scene with an interpreter, for the manipulator runtime's tests and the
// plug-in's containers: the manip_probe test plug-in, rigDials' sliders shown,
// and the shown containers' children.
#pragma once

#include "interpreter_fixture.h"
#include "manip/manip.h"

#include <string>

class ManipFixture : public InterpreterFixture {
protected:
    // A probe under transform "xf".
    rdhost::Node* makeProbe(const std::string& name = "probe1") {
        ok("loadPlugin manip_probe");
        ok("createNode transform -n xf; createNode manipProbe -n " + name + " -p xf");
        return scene().findNode(name);
    }
    // rigDials' arc slider "arc1" under transform "arcXf", its container shown.
    rdhost::Node* showArcSlider() {
        ok("loadPlugin rigDials; createNode transform -n arcXf; "
           "createNode KelArcSliderManipulator -n arc1 -p arcXf; showManip arc1");
        return scene().findNode("arc1");
    }
    rdhost::ShownManip& shown(rdhost::Node* node) {
        rdhost::ShownManip* s = rdhost::shownManipFor(scene(), node);
        if (!s) ADD_FAILURE() << "no container shown";
        return *s;
    }
    rdhost::StockManip& child(rdhost::Node* node, size_t i) { return *shown(node).state->children.at(i); }
};
