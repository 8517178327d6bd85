// A fresh scene per test, set current for the static host API (MGlobal,
// MPxNode::addAttribute), with small helpers to load plug-ins, make nodes and
// read or write attributes by name. Nothing survives from one test to the next.
#pragma once

#include "graph/handles.h"
#include "graph/scene.h"

#include <gtest/gtest.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>

#include <memory>
#include <string>

class SceneFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    rdhost::Scene& scene() { return *scene_; }

    // Loads a plug-in by path; fails the test (and returns null) on error.
    rdhost::Plugin* loadPluginFile(const std::string& path);
#ifdef RIGDIALS_BIN_DIR
    rdhost::Plugin* loadRigDials() { return loadPluginFile(RIGDIALS_BIN_DIR "/rigDials.so"); }
#endif
#ifdef RIGDIALS_TEST_PLUGIN_DIR
    rdhost::Plugin* loadTestPlugin(const std::string& name) {
        return loadPluginFile(std::string(RIGDIALS_TEST_PLUGIN_DIR "/") + name + ".so");
    }
#endif

    // Creates a node of the type; for a locator type this is the shape (its
    // parent transform is made as the host does). Fails the test on error.
    rdhost::Node* create(const std::string& type, const std::string& name = "");

    // By long or short attribute name; values in internal units. A missing
    // attribute fails the test.
    double getNumber(rdhost::Node* node, const std::string& attr);
    void setNumber(rdhost::Node* node, const std::string& attr, double value);
    std::string getString(rdhost::Node* node, const std::string& attr);
    void setString(rdhost::Node* node, const std::string& attr, const std::string& value);

    MObject object(rdhost::Node* node) { return rdhost::ObjectAccess::make(node); }
    MPlug plug(rdhost::Node* node, const std::string& attr);
    int slot(rdhost::Node* node, const std::string& attr);  // -1 (and a test failure) if missing

    // Captures what the code under test writes to stderr.
    void captureStderr();
    std::string capturedStderr();

    std::unique_ptr<rdhost::Scene> scene_;
    rdhost::Scene* previous_ = nullptr;
};
