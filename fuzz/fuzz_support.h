// What the fuzz targets share: a sandbox for commands that touch files, a
// fresh scene with rigDials loaded, and a cheap snapshot of the scene so a
// failing command can be checked to have changed nothing.
#pragma once

#include "graph/scene.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace rdfuzz {

// Once per process: makes a private temporary folder and wraps the commands
// that write files, render or load code (file, playblast, loadPlugin, requires)
// so that they refuse paths with a '/', put plain file names into the folder,
// refuse plug-ins other than rigDials and keep pictures small. The refusal is an ordinary command error. Only
// the fuzz targets install this; the host itself is unchanged.
void installSandbox();

// The folder holding rigDials.so (RIGDIALS_PLUGIN_DIR overrides the build's).
std::string pluginDir();

// A new scene, set current, with rigDials loaded from pluginDir() and that
// folder as the only plug-in path. Aborts when the plug-in does not load.
struct FuzzScene {
    FuzzScene();
    ~FuzzScene();
    FuzzScene(const FuzzScene&) = delete;
    FuzzScene& operator=(const FuzzScene&) = delete;
    std::unique_ptr<rdhost::Scene> scene;
    rdhost::Scene* previous = nullptr;
};

// Node list, DAG parents, connections and every stored input value (outputs and
// connected inputs are left out: reading them may legitimately compute).
struct Snapshot {
    std::vector<std::string> lines;
    bool operator==(const Snapshot& o) const { return lines == o.lines; }
};
Snapshot snapshot(rdhost::Scene& scene);
// The first line that differs, for the report.
std::string describeDifference(const Snapshot& before, const Snapshot& after);

// Prints the message and aborts, so libFuzzer records the input.
[[noreturn]] void fail(const std::string& message);

}  // namespace rdfuzz
