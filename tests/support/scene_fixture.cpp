#include "scene_fixture.h"

void SceneFixture::SetUp() {
    previous_ = rdhost::Scene::current();
    scene_ = std::make_unique<rdhost::Scene>();
    rdhost::Scene::setCurrent(scene_.get());
}

void SceneFixture::TearDown() {
    scene_.reset();
    rdhost::Scene::setCurrent(previous_);
}

rdhost::Plugin* SceneFixture::loadPluginFile(const std::string& path) {
    try {
        return scene_->loadPlugin(path);
    } catch (const rdhost::HostError& e) {
        ADD_FAILURE() << "loadPlugin " << path << ": " << e.what();
        return nullptr;
    }
}

rdhost::Node* SceneFixture::create(const std::string& type, const std::string& name) {
    try {
        return scene_->createNode(type, name);
    } catch (const rdhost::HostError& e) {
        ADD_FAILURE() << "createNode " << type << ": " << e.what();
        return nullptr;
    }
}

int SceneFixture::slot(rdhost::Node* node, const std::string& attr) {
    if (!node) {
        ADD_FAILURE() << "no node";
        return -1;
    }
    rdhost::Attr* a = node->findAttr(attr);
    if (!a) {
        ADD_FAILURE() << "'" << node->name << "' has no attribute '" << attr << "'";
        return -1;
    }
    return a->index;
}

double SceneFixture::getNumber(rdhost::Node* node, const std::string& attr) {
    int i = slot(node, attr);
    return i < 0 ? 0.0 : node->getNumber(i);
}

void SceneFixture::setNumber(rdhost::Node* node, const std::string& attr, double value) {
    int i = slot(node, attr);
    if (i >= 0) node->setNumber(i, value);
}

std::string SceneFixture::getString(rdhost::Node* node, const std::string& attr) {
    int i = slot(node, attr);
    return i < 0 ? std::string() : node->getString(i);
}

void SceneFixture::setString(rdhost::Node* node, const std::string& attr, const std::string& value) {
    int i = slot(node, attr);
    if (i >= 0) node->setString(i, value);
}

MPlug SceneFixture::plug(rdhost::Node* node, const std::string& attr) {
    int i = slot(node, attr);
    return i < 0 ? MPlug() : rdhost::ObjectAccess::plug(node, i);
}

void SceneFixture::captureStderr() { ::testing::internal::CaptureStderr(); }

std::string SceneFixture::capturedStderr() { return ::testing::internal::GetCapturedStderr(); }
