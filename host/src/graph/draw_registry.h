// The scene's Viewport 2.0 draw registry: the draw override creators plug-ins
// registered (MDrawRegistry) and the override each node draws through.
//
//  - A registration is a draw classification ("drawdb/..."), a registrant id,
//    a creator and the plug-in that was loading or unloading when it was made.
//    A classification may have several registrants; the oldest one still
//    registered draws, the others wait.
//  - A node type's draw classification is the part of its registered
//    classification (parts separated by ':') that begins with "drawdb/".
//  - The registry makes one override per node, on first use, and keeps it with
//    the user data its prepareForDraw returned. Deregistering a creator, a
//    node's deletion, the plug-in's unloading and the scene's closing delete
//    the overrides (and their data) made by that creator or for that node.
#pragma once

#include "graph/scene.h"

#include <maya/MDrawRegistry.h>
#include <maya/MUserData.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace MHWRender {
class MPxDrawOverride;
}

namespace rdhost {

// The part of `classification` that begins with "drawdb/", or empty.
std::string drawClassificationOf(const std::string& classification);

struct DrawOverrideEntry {
    std::uint64_t id = 0;
    std::string classification, registrant;
    MHWRender::MDrawRegistry::DrawOverrideCreator creator = nullptr;
    Plugin* plugin = nullptr;  // null when registered outside a plug-in's load
};

// A node's override and the data it keeps between refreshes.
struct OverrideSlot {
    std::uint64_t entry = 0;  // the registration that made it
    MHWRender::MPxDrawOverride* override = nullptr;
    MUserData* data = nullptr;  // cached (deleteAfterUse false), owned
    bool failed = false;        // the creator returned null: warned once, drawn the legacy way
};

class DrawRegistry : public SceneExtension, SceneObserver {
public:
    explicit DrawRegistry(Scene& scene);
    ~DrawRegistry() override;

    // MDrawRegistry's calls; failures carry the message and are warned.
    MStatus add(const std::string& classification, const std::string& registrant,
                MHWRender::MDrawRegistry::DrawOverrideCreator creator);
    MStatus remove(const std::string& classification, const std::string& registrant);

    // The registration drawing a node of this type, or null.
    const DrawOverrideEntry* entryFor(const NodeType* type) const;

    // The node's slot: its override made when the node's type has a
    // registration (null override when none, or when the creator failed).
    OverrideSlot* slotFor(Node* node);

    // Drops what a plug-in left registered after its uninitializePlugin (or
    // a failed initializePlugin); warns when `warnLeft`.
    void forgetPlugin(Plugin* plugin, bool warnLeft);

    const std::vector<DrawOverrideEntry>& entries() const { return entries_; }

private:
    void nodeDeleting(Node* node) override;
    void sceneClosing() override;
    void dropSlotsOf(std::uint64_t entry);
    static void freeSlot(OverrideSlot& slot);

    Scene* scene_;
    std::uint64_t nextId_ = 1;
    std::vector<DrawOverrideEntry> entries_;  // registration order
    std::unordered_map<Node*, OverrideSlot> slots_;
};

DrawRegistry& drawRegistry(Scene& scene);

}  // namespace rdhost
