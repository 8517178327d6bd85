#include "bench_scene.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace bench {

const char* const kLocator = "KelPrimitiveLocator";
const char* const kSlider = "KelSliderManipulator";
const char* const kArc = "KelArcSliderManipulator";

void fail(const std::string& message) {
    std::fprintf(stderr, "bench: %s\n", message.c_str());
    std::exit(2);
}

BenchScene::BenchScene() : scene_(std::make_unique<rdhost::Scene>()) {
    previous_ = rdhost::Scene::current();
    rdhost::Scene::setCurrent(scene_.get());
    interp_ = std::make_unique<rdhost::cmd::Interpreter>(*scene_, out_, err_);
    run("loadPlugin \"" RIGDIALS_BIN_DIR "/rigDials.so\"");
}

BenchScene::~BenchScene() {
    interp_.reset();
    rdhost::Scene::setCurrent(previous_);
}

void BenchScene::run(const std::string& text) {
    if (!interp_->run(text)) fail("'" + text + "' failed: " + err_.str());
}

rdhost::Node* BenchScene::create(const std::string& type, double x, double y, double z) {
    rdhost::Node* shape = nullptr;
    try {
        shape = scene_->createNode(type);
    } catch (const rdhost::HostError& e) {
        fail(std::string("createNode ") + type + ": " + e.what());
    }
    rdhost::Node* xform = shape->parent;
    if (!xform) fail("no parent transform for " + shape->name);
    const double t[3] = {x, y, z};
    const char* names[3] = {"translateX", "translateY", "translateZ"};
    for (int i = 0; i < 3; ++i) xform->setNumber(xform->findAttr(names[i])->index, t[i]);
    return shape;
}

std::vector<rdhost::Node*> BenchScene::createMany(const std::string& type, int count) {
    std::vector<rdhost::Node*> out;
    const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
    for (int i = 0; i < count; ++i) out.push_back(create(type, 8.0 * (i % side), 0.0, 8.0 * (i / side)));
    scene_->runIdle();
    return out;
}

MObject BenchScene::attribute(rdhost::Node* node, const std::string& name) {
    rdhost::Attr* a = node->findAttr(name);
    if (!a) fail("'" + node->name + "' has no attribute '" + name + "'");
    return rdhost::ObjectAccess::make(a);
}

}  // namespace bench
