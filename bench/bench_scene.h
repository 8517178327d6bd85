// A scene with rigDials loaded, set current, and an interpreter attached: what
// every benchmark starts from.
#pragma once

#include "command/interpreter.h"
#include "graph/handles.h"
#include "graph/scene.h"

#include <maya/MObject.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace bench {

extern const char* const kLocator;  // "KelPrimitiveLocator"
extern const char* const kSlider;   // "KelSliderManipulator"
extern const char* const kArc;      // "KelArcSliderManipulator"

class BenchScene {
public:
    BenchScene();
    ~BenchScene();

    rdhost::Scene& scene() { return *scene_; }
    rdhost::cmd::Interpreter& interp() { return *interp_; }

    // Runs MEL text at top level; aborts the program naming the error.
    void run(const std::string& text);

    // A locator shape of `type` under a new transform placed at (x, y, z).
    rdhost::Node* create(const std::string& type, double x = 0, double y = 0, double z = 0);

    // `count` shapes of `type` spread on a grid in the XZ plane.
    std::vector<rdhost::Node*> createMany(const std::string& type, int count);

    MObject object(rdhost::Node* node) { return rdhost::ObjectAccess::make(node); }
    MObject attribute(rdhost::Node* node, const std::string& name);

private:
    std::unique_ptr<rdhost::Scene> scene_;
    rdhost::Scene* previous_ = nullptr;
    std::ostringstream out_, err_;
    std::unique_ptr<rdhost::cmd::Interpreter> interp_;
};

// Aborts the run with a message (a benchmark that cannot set up measures nothing).
[[noreturn]] void fail(const std::string& message);

}  // namespace bench
