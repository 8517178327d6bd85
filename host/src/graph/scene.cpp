// The scene's life: its built-in types on creation, its observers and
// extensions, and what it frees on closing; time, selection, hooks and
// warnings. Types, names, nodes and values have files of their own.
#define MNoVersionString
#include "graph/scene.h"

#include "graph/scene_impl.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <sstream>

namespace rdhost {

namespace {

Scene* g_current = nullptr;

std::vector<void (*)(Scene&)>& installers() {
    static std::vector<void (*)(Scene&)> list;
    return list;
}

}  // namespace

BuiltinInstaller::BuiltinInstaller(void (*install)(Scene&)) { installers().push_back(install); }

Scene* Scene::current() { return g_current; }
void Scene::setCurrent(Scene* scene) { g_current = scene; }

Scene::Scene() : impl_(std::make_unique<Impl>()) {
    if (const char* env = std::getenv("MAYA_PLUG_IN_PATH")) impl_->pluginPath = splitSearchPath(env);
    if (const char* env = std::getenv("MAYA_MODULE_PATH")) {
        impl_->modules = readModules(
            splitSearchPath(env), ModuleHost(),
            [](const std::string& name) { return std::getenv(name.c_str()); },
            [this](const std::string& message) { warn(message); });
        for (const Module& m : impl_->modules)
            impl_->pluginPath.insert(impl_->pluginPath.end(), m.plugInPath.begin(), m.plugInPath.end());
    }
    impl_->undo = std::make_unique<UndoQueue>(*this);
    CurrentSceneGuard guard(this);
    installHostTypes(*this);
    for (auto install : installers()) install(*this);
}

Scene::~Scene() {
    CurrentSceneGuard guard(this);
    impl_->notify([](SceneObserver& o) { o.sceneClosing(); });
    // The nodes the undo queue kept, while their plug-ins are loaded.
    impl_->undo->flush();
    // Nodes first: their MPxNode instances live in plug-in code.
    for (auto it = impl_->nodes.rbegin(); it != impl_->nodes.rend(); ++it) {
        delete (*it)->user;
        delete *it;
    }
    impl_->nodes.clear();
    impl_->byName.clear();
    impl_->takenBelow.clear();
    while (!impl_->plugins.empty()) {
        std::string name = impl_->plugins.back()->name;
        try {
            unloadPlugin(name);
        } catch (const HostError& e) {
            // The scene is going away: close the module all the same.
            std::cerr << "// Warning: " << e.what() << " //\n";
            void* handle = impl_->plugins.back()->handle;
            impl_->plugins.pop_back();
            if (handle) ::dlclose(handle);
        }
    }
    // Newest first; one being destroyed can no longer be found.
    auto& extensions = impl_->extensions;
    while (!extensions.empty()) {
        std::unique_ptr<SceneExtension> last = std::move(extensions.back().second);
        extensions.pop_back();
        last.reset();
    }
    if (guard.saved == this) guard.saved = nullptr;
}

// ---------------------------------------------------------------- observers, extensions

void Scene::addObserver(SceneObserver* observer) { impl_->observers.push_back(observer); }

void Scene::removeObserver(SceneObserver* observer) {
    auto& v = impl_->observers;
    v.erase(std::remove(v.begin(), v.end(), observer), v.end());
}

SceneExtension* Scene::findExtension(std::type_index type) const {
    for (auto& [key, extension] : impl_->extensions)
        if (key == type) return extension.get();
    return nullptr;
}

void Scene::addExtension(std::type_index type, std::unique_ptr<SceneExtension> extension) {
    impl_->extensions.emplace_back(type, std::move(extension));
}

// ---------------------------------------------------------------- time

double Scene::currentTime() const { return impl_->time; }

// ---------------------------------------------------------------- selection

const std::vector<Node*>& Scene::selection() const { return impl_->selection; }

// ---------------------------------------------------------------- file activity

bool Scene::isDoing(FileActivity activity) const { return impl_->activity[static_cast<int>(activity)] > 0; }
void Scene::beginActivity(FileActivity activity) { ++impl_->activity[static_cast<int>(activity)]; }
void Scene::endActivity(FileActivity activity) { --impl_->activity[static_cast<int>(activity)]; }

// ---------------------------------------------------------------- hooks

const Scene::ExecuteHook& Scene::executeHook() const { return impl_->executeHook; }
void Scene::setExecuteHook(ExecuteHook hook) { impl_->executeHook = std::move(hook); }
const Scene::ExecuteListHook& Scene::executeListHook() const { return impl_->executeListHook; }
void Scene::setExecuteListHook(ExecuteListHook hook) { impl_->executeListHook = std::move(hook); }
const Scene::MessageSink& Scene::warningSink() const { return impl_->warningSink; }
void Scene::setWarningSink(MessageSink sink) { impl_->warningSink = std::move(sink); }
void Scene::setDirtyHook(std::function<void(PlugRef)> hook) { impl_->onDirty = std::move(hook); }

void Scene::warn(const std::string& raw) {
    const std::string message = readableMessage(raw);
    if (impl_->warningSink)
        impl_->warningSink(message);
    else
        std::cerr << "// Warning: " << message << " //" << std::endl;
}

}  // namespace rdhost
