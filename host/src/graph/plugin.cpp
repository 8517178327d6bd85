// Plug-in loading and MFnPlugin.
//
// loadPlugin dlopens the module, reads MApiVersion and calls initializePlugin
// (C names first, then the C++ mangled ones). A failing initializePlugin
// leaves nothing behind: the types it registered are removed and the module
// is closed. unloadPlugin refuses while nodes of the plug-in's types exist.
#define MNoVersionString
#include "graph/draw_registry.h"
#include "graph/handles.h"
#include "graph/scene_impl.h"

#include <maya/MFnPlugin.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>

#if defined(__SANITIZE_ADDRESS__)
#define RDHOST_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RDHOST_LEAK_CHECKED 1
#endif
#endif
#ifndef RDHOST_LEAK_CHECKED
#define RDHOST_LEAK_CHECKED 0
#endif

namespace rdhost {

namespace {

using EntryPoint = MStatus (*)(MObject);

bool isFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string baseName(const std::string& path) {
    std::string b = path.substr(path.find_last_of('/') + 1);
    if (b.size() > 3 && b.compare(b.size() - 3, 3, ".so") == 0) b.resize(b.size() - 3);
    return b;
}

EntryPoint lookup(void* handle, const char* cName, const char* cxxName) {
    if (void* p = ::dlsym(handle, cName)) return reinterpret_cast<EntryPoint>(p);
    if (void* p = ::dlsym(handle, cxxName)) return reinterpret_cast<EntryPoint>(p);
    return nullptr;
}

// Removes the types a plug-in registered (newest first) and the plug-in itself.
void forget(Scene::Impl& impl, Plugin* plugin) {
    for (auto it = plugin->types.rbegin(); it != plugin->types.rend(); ++it) (*it)->removed = true;
    plugin->types.clear();
    auto& v = impl.plugins;
    v.erase(std::remove_if(v.begin(), v.end(),
                           [plugin](const std::unique_ptr<Plugin>& p) { return p.get() == plugin; }),
            v.end());
}

}  // namespace

const std::vector<std::unique_ptr<Plugin>>& Scene::plugins() const { return impl_->plugins; }

Plugin* Scene::activePlugin() const { return impl_->activePlugin; }

const std::vector<std::string>& Scene::pluginPath() const { return impl_->pluginPath; }
const std::vector<Module>& Scene::modules() const { return impl_->modules; }
void Scene::setPluginPath(std::vector<std::string> folders) { impl_->pluginPath = std::move(folders); }

FaultInjection& Scene::faults() { return impl_->faults; }

Plugin* Scene::findPlugin(const std::string& name) const {
    std::string n = baseName(name);
    for (auto& p : impl_->plugins)
        if (p->name == n || p->path == name) return p.get();
    return nullptr;
}

Plugin* Scene::loadPlugin(const std::string& nameOrPath) {
    if (nameOrPath.empty()) throw HostError("loadPlugin: no plug-in name given");
    std::string name = baseName(nameOrPath);
    std::string path;
    if (nameOrPath.find('/') != std::string::npos) {
        path = nameOrPath;
        struct stat st;
        if (::stat(path.c_str(), &st) != 0)
            throw HostError("loadPlugin: plug-in file '" + path + "' does not exist");
        if (S_ISDIR(st.st_mode))
            throw HostError("loadPlugin: '" + path + "' is a folder, not a plug-in file");
        if (!S_ISREG(st.st_mode)) throw HostError("loadPlugin: '" + path + "' is not a regular file");
    } else {
        std::string file = name + ".so";
        std::string searched;
        std::vector<std::string> seen;
        for (const std::string& dir : impl_->pluginPath) {
            // A folder given twice (or once with a trailing '/') is searched once.
            std::string folder = dir;
            while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
            if (folder.empty() || std::find(seen.begin(), seen.end(), folder) != seen.end()) continue;
            seen.push_back(folder);
            std::string candidate = folder + "/" + file;
            if (isFile(candidate)) {
                path = candidate;
                break;
            }
            searched += (searched.empty() ? "" : ":") + folder;
        }
        // A module of the plug-in's name that lacks it is a broken install: say so.
        for (const Module& m : impl_->modules)
            if (path.empty() && m.name == name) {
                std::string folders;
                for (const auto& f : m.plugInPath) folders += (folders.empty() ? "" : ":") + f;
                throw HostError("loadPlugin: module '" + m.name + "' " + m.version + " (" + m.path +
                                ", from " + m.definition + ") has no " + file + " in its plug-in folders" +
                                (folders.empty() ? std::string(" (it has none)") : " " + folders) +
                                "; reinstall the module");
            }
        if (path.empty())
            throw HostError("loadPlugin: cannot find plug-in '" + clipInput(name) + "' (" + clipInput(file) +
                            ") on the plug-in path" +
                            (searched.empty() ? std::string(" (empty)") : " " + searched));
    }
    if (findPlugin(name)) {
        warn("loadPlugin: plug-in '" + name + "' is already loaded");
        return nullptr;
    }

    int mode = RTLD_NOW | RTLD_LOCAL;
#if RDHOST_LEAK_CHECKED
    // Under the leak checker a module stays mapped after unloading, so that a
    // report can still name the code that allocated. Unloading deregisters
    // everything all the same.
    mode |= RTLD_NODELETE;
#endif
    void* handle = ::dlopen(path.c_str(), mode);
    if (!handle) {
        const char* err = ::dlerror();
        throw HostError("loadPlugin: cannot load '" + path + "': " + (err ? err : "unknown error"));
    }
    EntryPoint init = lookup(handle, "initializePlugin", "_Z16initializePlugin7MObject");
    EntryPoint uninit = lookup(handle, "uninitializePlugin", "_Z18uninitializePlugin7MObject");
    if (!init || !uninit) {
        ::dlclose(handle);
        throw HostError("loadPlugin: '" + path + "' does not export " +
                        (!init ? "initializePlugin" : "uninitializePlugin") + "; it is not a plug-in");
    }

    auto plugin = std::make_unique<Plugin>();
    plugin->scene = this;
    plugin->name = name;
    plugin->path = path;
    plugin->handle = handle;
    if (const char* version = static_cast<const char*>(::dlsym(handle, "MApiVersion")))
        plugin->apiVersion = version;
    else
        warn("loadPlugin: '" + name + "' does not export MApiVersion");
    Plugin* p = plugin.get();
    impl_->plugins.push_back(std::move(plugin));

    MStatus st;
    {
        CurrentSceneGuard guard(this);
        impl_->activePlugin = p;
        st = init(ObjectAccess::make(p));
        impl_->activePlugin = nullptr;
    }
    if (!st) {
        if (auto* reg = findExtension<DrawRegistry>()) reg->forgetPlugin(p, false);
        // Nodes made by initializePlugin itself go too, before their types.
        for (Node* n : std::vector<Node*>(impl_->nodes))
            if (std::find(impl_->nodes.begin(), impl_->nodes.end(), n) != impl_->nodes.end() &&
                n->type->plugin == p)
                deleteNode(n);
        forget(*impl_, p);
        ::dlclose(handle);
        throw HostError("loadPlugin: initializePlugin of '" + name + "' failed " + st.errorString().asChar());
    }
    return p;
}

void Scene::unloadPlugin(const std::string& nameOrPath) {
    Plugin* p = findPlugin(nameOrPath);
    if (!p) throw HostError("unloadPlugin: plug-in '" + baseName(nameOrPath) + "' is not loaded");
    for (Node* n : impl_->nodes)
        if (n->type->plugin == p)
            throw HostError("unloadPlugin: cannot unload '" + p->name + "': node '" + n->name +
                            "' of type '" + n->type->name + "' still exists");
    // Nodes the undo queue keeps run the plug-in's code when freed: as in the
    // host, unloading forgets the queue.
    impl_->undo->flush();
    impl_->notify([p](SceneObserver& o) { o.pluginUnloading(p); });
    EntryPoint uninit = lookup(p->handle, "uninitializePlugin", "_Z18uninitializePlugin7MObject");
    MStatus st;
    {
        CurrentSceneGuard guard(this);
        impl_->activePlugin = p;
        st = uninit(ObjectAccess::make(p));
        impl_->activePlugin = nullptr;
    }
    if (!st)
        throw HostError("unloadPlugin: uninitializePlugin of '" + p->name + "' failed " +
                        st.errorString().asChar() + "; the plug-in stays loaded");
    if (!p->types.empty()) {
        std::string left;
        for (NodeType* t : p->types) left += (left.empty() ? "" : ", ") + t->name;
        warn("unloadPlugin: '" + p->name + "' left node types registered (" + left + "); removing them");
    }
    if (auto* reg = findExtension<DrawRegistry>()) reg->forgetPlugin(p, true);
    void* handle = p->handle;
    forget(*impl_, p);
    ::dlclose(handle);
}

}  // namespace rdhost

using rdhost::ObjectAccess;
using rdhost::Plugin;
using rdhost::setStatus;

// ---------------------------------------------------------------- MFnPlugin

MFnPlugin::MFnPlugin() {}

MFnPlugin::MFnPlugin(MObject& object, const char* vendor, const char* version, const char*, MStatus* st) {
    Plugin* p = ObjectAccess::plugin(object);
    if (!p) {
        setStatus(st, MStatus(MS::kInvalidParameter, "the object is not a plug-in"));
        return;
    }
    rdObject_ = object;
    // Only initializePlugin's function set describes the plug-in; the one made
    // in uninitializePlugin (vendor "Unknown") must not overwrite it.
    if (p->vendor.empty() || std::string(vendor) != "Unknown") p->vendor = vendor ? vendor : "";
    if (p->version.empty() || std::string(version) != "Unknown") p->version = version ? version : "";
    setStatus(st, MS::kSuccess);
}

MFnPlugin::~MFnPlugin() {}

#define RD_PLUGIN() ObjectAccess::plugin(rdObject_)

MString MFnPlugin::vendor(MStatus* st) const {
    Plugin* p = RD_PLUGIN();
    setStatus(st, p ? MS::kSuccess : MS::kFailure);
    return p ? MString(p->vendor.c_str()) : MString();
}

MString MFnPlugin::version(MStatus* st) const {
    Plugin* p = RD_PLUGIN();
    setStatus(st, p ? MS::kSuccess : MS::kFailure);
    return p ? MString(p->version.c_str()) : MString();
}

MString MFnPlugin::apiVersion(MStatus* st) const {
    Plugin* p = RD_PLUGIN();
    setStatus(st, p ? MS::kSuccess : MS::kFailure);
    return p ? MString(p->apiVersion.c_str()) : MString();
}

MString MFnPlugin::name(MStatus* st) const {
    Plugin* p = RD_PLUGIN();
    setStatus(st, p ? MS::kSuccess : MS::kFailure);
    return p ? MString(p->name.c_str()) : MString();
}

MString MFnPlugin::loadPath(MStatus* st) const {
    Plugin* p = RD_PLUGIN();
    setStatus(st, p ? MS::kSuccess : MS::kFailure);
    if (!p) return MString();
    auto slash = p->path.find_last_of('/');
    return MString(slash == std::string::npos ? "." : p->path.substr(0, slash).c_str());
}

MStatus MFnPlugin::registerNode(const MString& typeName, const MTypeId& typeId,
                                MCreatorFunction creatorFunction, MInitializeFunction initFunction,
                                MPxNode::Type type, const MString* classification) {
    Plugin* p = RD_PLUGIN();
    if (!p) return MStatus(MS::kFailure, "registerNode: the function set is not attached to a plug-in");
    try {
        rdhost::NodeType* t =
            p->scene->registerType(p, typeName.asChar(), typeId.id(), type, creatorFunction, initFunction);
        if (t && classification) {
            t->classification = classification->asChar();
            // A locator's classification is there to name its draw override.
            if (type == MPxNode::kLocatorNode && !t->classification.empty() &&
                rdhost::drawClassificationOf(t->classification).empty())
                p->scene->warn("registerNode: the classification '" + rdhost::clipInput(t->classification) +
                               "' of node type '" + t->name +
                               "' has no part beginning with drawdb/; it draws through its legacy draw");
        }
    } catch (const rdhost::HostError& e) {
        return MStatus(MS::kFailure, e.what());
    }
    return MS::kSuccess;
}

MStatus MFnPlugin::deregisterNode(const MTypeId& typeId) {
    Plugin* p = RD_PLUGIN();
    if (!p) return MStatus(MS::kFailure, "deregisterNode: the function set is not attached to a plug-in");
    rdhost::NodeType* t = p->scene->findType(typeId.id());
    if (t && t->plugin != p) {
        p->scene->faults().failsNow(rdhost::Fault::DeregisterNode);  // counted; refused all the same
        return MStatus(
            MS::kFailure,
            ("node type '" + t->name + "' was not registered by plug-in '" + p->name + "'").c_str());
    }
    try {
        p->scene->deregisterType(typeId.id());
    } catch (const rdhost::HostError& e) {
        return MStatus(MS::kFailure, e.what());
    }
    return MS::kSuccess;
}
