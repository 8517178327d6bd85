#include "graph/draw_registry.h"

#include "graph/handles.h"

#include <maya/MPxDrawOverride.h>

#include <algorithm>

namespace rdhost {

namespace {

const char kDrawdb[] = "drawdb/";

bool beginsWithDrawdb(const std::string& s) { return s.compare(0, sizeof kDrawdb - 1, kDrawdb) == 0; }

std::string quoted(const std::string& s) { return "'" + clipInput(s) + "'"; }

}  // namespace

std::string drawClassificationOf(const std::string& classification) {
    std::size_t start = 0;
    while (start <= classification.size()) {
        std::size_t end = classification.find(':', start);
        if (end == std::string::npos) end = classification.size();
        const std::string part = classification.substr(start, end - start);
        if (beginsWithDrawdb(part)) return part;
        start = end + 1;
    }
    return std::string();
}

DrawRegistry::DrawRegistry(Scene& scene) : scene_(&scene) { scene.addObserver(this); }

DrawRegistry::~DrawRegistry() {
    for (auto& kv : slots_) freeSlot(kv.second);
    scene_->removeObserver(this);
}

void DrawRegistry::freeSlot(OverrideSlot& slot) {
    delete slot.data;
    slot.data = nullptr;
    delete slot.override;
    slot.override = nullptr;
}

MStatus DrawRegistry::add(const std::string& classification, const std::string& registrant,
                          MHWRender::MDrawRegistry::DrawOverrideCreator creator) {
    auto fail = [&](MStatus::MStatusCode code, const std::string& why) {
        const std::string message = "registerDrawOverrideCreator: " + why;
        scene_->warn(message);
        return MStatus(code, message.c_str());
    };
    if (registrant.empty())
        return fail(MS::kInvalidParameter,
                    "no registrant id given for classification " + quoted(classification));
    if (!creator)
        return fail(MS::kInvalidParameter,
                    "registrant " + quoted(registrant) + " gave no creator for " + quoted(classification));
    if (!beginsWithDrawdb(classification) || classification.size() == sizeof kDrawdb - 1 ||
        classification.find(':') != std::string::npos)
        return fail(MS::kInvalidParameter, "registrant " + quoted(registrant) + ": the classification " +
                                               quoted(classification) +
                                               " is not a draw classification (drawdb/...)");
    const DrawOverrideEntry* first = nullptr;
    for (const DrawOverrideEntry& e : entries_) {
        if (e.classification != classification) continue;
        if (e.registrant == registrant)
            return fail(MS::kFailure,
                        "registrant " + quoted(registrant) + " already registered " + quoted(classification));
        if (!first) first = &e;
    }
    if (first)
        scene_->warn("registerDrawOverrideCreator: " + quoted(classification) +
                     " already has an override from " + quoted(first->registrant) + "; the one from " +
                     quoted(registrant) + " is kept but draws only once that one is deregistered");
    DrawOverrideEntry e;
    e.id = nextId_++;
    e.classification = classification;
    e.registrant = registrant;
    e.creator = creator;
    e.plugin = scene_->activePlugin();
    entries_.push_back(e);
    // Nodes that drew the legacy way (or by an override now second) choose again.
    for (auto it = slots_.begin(); it != slots_.end();)
        if (!it->second.override && !it->second.failed)
            it = slots_.erase(it);
        else
            ++it;
    return MS::kSuccess;
}

MStatus DrawRegistry::remove(const std::string& classification, const std::string& registrant) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const DrawOverrideEntry& e) {
        return e.classification == classification && e.registrant == registrant;
    });
    if (it == entries_.end()) {
        const std::string message = "deregisterDrawOverrideCreator: registrant " + quoted(registrant) +
                                    " has no override registered for " + quoted(classification);
        scene_->warn(message);
        return MStatus(MS::kFailure, message.c_str());
    }
    const std::uint64_t id = it->id;
    entries_.erase(it);
    dropSlotsOf(id);
    // Nodes without an override may now get the next registrant's.
    for (auto s = slots_.begin(); s != slots_.end();)
        if (!s->second.override)
            s = slots_.erase(s);
        else
            ++s;
    return MS::kSuccess;
}

void DrawRegistry::dropSlotsOf(std::uint64_t entry) {
    for (auto it = slots_.begin(); it != slots_.end();) {
        if (it->second.entry == entry) {
            freeSlot(it->second);
            it = slots_.erase(it);
        } else {
            ++it;
        }
    }
}

const DrawOverrideEntry* DrawRegistry::entryFor(const NodeType* type) const {
    if (!type || type->classification.empty()) return nullptr;
    const std::string dc = drawClassificationOf(type->classification);
    if (dc.empty()) return nullptr;
    for (const DrawOverrideEntry& e : entries_)
        if (e.classification == dc) return &e;
    return nullptr;
}

OverrideSlot* DrawRegistry::slotFor(Node* node) {
    auto found = slots_.find(node);
    if (found != slots_.end()) return &found->second;
    OverrideSlot slot;
    if (const DrawOverrideEntry* e = entryFor(node->type)) {
        slot.entry = e->id;
        const std::string registrant = e->registrant;
        const MObject obj = ObjectAccess::make(node);
        try {
            slot.override = e->creator(obj);
        } catch (...) {
            slot.override = nullptr;
        }
        if (!slot.override) {
            slot.failed = true;
            scene_->warn("draw: the override creator of registrant " + quoted(registrant) +
                         " returned null for " + quoted(node->name) + "; it draws through its legacy draw");
        }
    }
    return &slots_.emplace(node, slot).first->second;
}

void DrawRegistry::forgetPlugin(Plugin* plugin, bool warnLeft) {
    std::string left;
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->plugin == plugin) {
            left += (left.empty() ? "" : ", ") + it->classification + " (" + it->registrant + ")";
            dropSlotsOf(it->id);
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
    for (auto s = slots_.begin(); s != slots_.end();)
        if (!s->second.override)
            s = slots_.erase(s);
        else
            ++s;
    if (warnLeft && !left.empty())
        scene_->warn("unloadPlugin: '" + plugin->name + "' left draw overrides registered (" + left +
                     "); removing them");
}

void DrawRegistry::nodeDeleting(Node* node) {
    auto it = slots_.find(node);
    if (it == slots_.end()) return;
    freeSlot(it->second);
    slots_.erase(it);
}

void DrawRegistry::sceneClosing() {
    // The overrides' code lives in plug-ins the scene unloads next.
    for (auto& kv : slots_) freeSlot(kv.second);
    slots_.clear();
}

DrawRegistry& drawRegistry(Scene& scene) { return scene.extension<DrawRegistry>(); }

}  // namespace rdhost

// ---------------------------------------------------------------- MDrawRegistry

namespace MHWRender {

MStatus MDrawRegistry::registerDrawOverrideCreator(const MString& drawClassification,
                                                   const MString& registrantId,
                                                   DrawOverrideCreator createFunction) {
    rdhost::Scene* scene = rdhost::Scene::current();
    if (!scene) return MStatus(MS::kFailure, "registerDrawOverrideCreator: no scene");
    return rdhost::drawRegistry(*scene).add(drawClassification.asChar(), registrantId.asChar(),
                                            createFunction);
}

MStatus MDrawRegistry::deregisterDrawOverrideCreator(const MString& drawClassification,
                                                     const MString& registrantId) {
    rdhost::Scene* scene = rdhost::Scene::current();
    if (!scene) return MStatus(MS::kFailure, "deregisterDrawOverrideCreator: no scene");
    return rdhost::drawRegistry(*scene).remove(drawClassification.asChar(), registrantId.asChar());
}

// ---------------------------------------------------------------- MPxDrawOverride

MPxDrawOverride::MPxDrawOverride(const MObject& obj, GeometryDrawOverrideCb callback)
    : fObject(obj), fCallback(callback) {}

MPxDrawOverride::~MPxDrawOverride() {}

DrawAPI MPxDrawOverride::supportedDrawAPIs() const { return kOpenGL; }

bool MPxDrawOverride::hasUIDrawables() const { return false; }

MMatrix MPxDrawOverride::transform(const MDagPath& objPath, const MDagPath&) const {
    return objPath.inclusiveMatrix();
}

MBoundingBox MPxDrawOverride::boundingBox(const MDagPath&, const MDagPath&) const { return MBoundingBox(); }

bool MPxDrawOverride::isBounded(const MDagPath&, const MDagPath&) const { return false; }

bool MPxDrawOverride::disableInternalBoundingBoxDraw() const { return false; }

void MPxDrawOverride::addUIDrawables(const MDagPath&, MUIDrawManager&, const MFrameContext&,
                                     const MUserData*) {}

}  // namespace MHWRender
