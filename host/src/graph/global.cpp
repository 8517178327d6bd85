// MGlobal: running commands through the command module's hook, deferring
// them to the idle step, and messages.
#define MNoVersionString
#include "graph/scene.h"
#include "graph/undo.h"

#include <maya/MGlobal.h>
#include <maya/MStringArray.h>

#include <cstdlib>
#include <iostream>
#include <memory>

namespace {

// A plug-in's command runs unrecorded unless it asks for undo, as in the host.
MStatus run(const MString& command, std::string* result, bool undoable) {
    rdhost::Scene* scene = rdhost::Scene::current();
    if (scene && !undoable) {
        rdhost::UndoPause pause(scene->undoQueue());
        return run(command, result, true);
    }
    if (!scene) return MStatus(MS::kFailure, "executeCommand: no scene");
    if (!scene->executeHook())
        return MStatus(MS::kFailure, ("executeCommand: no command interpreter to run \"" +
                                      std::string(command.asChar()) + "\"")
                                         .c_str());
    bool ok = scene->executeHook()(command.asChar(), result);
    if (!ok) return MStatus(MS::kFailure, ("command failed: " + std::string(command.asChar())).c_str());
    return MS::kSuccess;
}

}  // namespace

MStatus MGlobal::executeCommand(const MString& command, bool, bool undoable) {
    return run(command, nullptr, undoable);
}

MStatus MGlobal::executeCommand(const MString& command, int& result, bool, bool undoable) {
    std::string out;
    MStatus st = run(command, &out, undoable);
    if (!st) return st;
    char* end = nullptr;
    long v = std::strtol(out.c_str(), &end, 10);
    if (out.empty() || *end)
        return MStatus(MS::kInvalidParameter, ("the result \"" + out + "\" is not an integer").c_str());
    result = static_cast<int>(v);
    return MS::kSuccess;
}

MStatus MGlobal::executeCommand(const MString& command, double& result, bool, bool undoable) {
    std::string out;
    MStatus st = run(command, &out, undoable);
    if (!st) return st;
    char* end = nullptr;
    double v = std::strtod(out.c_str(), &end);
    if (out.empty() || *end)
        return MStatus(MS::kInvalidParameter, ("the result \"" + out + "\" is not a number").c_str());
    result = v;
    return MS::kSuccess;
}

MStatus MGlobal::executeCommand(const MString& command, MString& result, bool, bool undoable) {
    std::string out;
    MStatus st = run(command, &out, undoable);
    if (st) result = MString(out.c_str());
    return st;
}

MStatus MGlobal::executeCommand(const MString& command, MStringArray& result, bool, bool undoable) {
    rdhost::Scene* scene = rdhost::Scene::current();
    std::unique_ptr<rdhost::UndoPause> pause;
    if (scene && !undoable) pause = std::make_unique<rdhost::UndoPause>(scene->undoQueue());
    if (scene && scene->executeListHook()) {
        std::vector<std::string> out;
        if (!scene->executeListHook()(command.asChar(), &out))
            return MStatus(MS::kFailure, ("command failed: " + std::string(command.asChar())).c_str());
        result.clear();
        for (auto& s : out) result.append(MString(s.c_str()));
        return MS::kSuccess;
    }
    std::string out;
    MStatus st = run(command, &out, true);
    if (!st) return st;
    result.clear();
    if (!out.empty()) result.append(MString(out.c_str()));
    return MS::kSuccess;
}

MStatus MGlobal::executeCommandOnIdle(const MString& command, bool) {
    rdhost::Scene* scene = rdhost::Scene::current();
    if (!scene) return MStatus(MS::kFailure, "executeCommandOnIdle: no scene");
    scene->deferCommand(command.asChar());
    return MS::kSuccess;
}

void MGlobal::displayInfo(const MString& msg) { std::cerr << msg.asChar() << std::endl; }

void MGlobal::displayWarning(const MString& msg) {
    if (rdhost::Scene* scene = rdhost::Scene::current())
        scene->warn(msg.asChar());
    else
        std::cerr << "// Warning: " << msg.asChar() << " //" << std::endl;
}

void MGlobal::displayError(const MString& msg) {
    std::cerr << "// Error: " << msg.asChar() << " //" << std::endl;
}
