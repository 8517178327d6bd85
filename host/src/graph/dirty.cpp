// Connections, dirty propagation and the idle step.
//
// Propagation collects every plug downstream of a change first (breadth
// first, each plug once), then marks them, so a loop in the graph cannot make
// it run forever and each plug is marked once per change.
#define MNoVersionString
#include "graph/handles.h"
#include "graph/scene.h"
#include "graph/scene_impl.h"

#include <maya/MPlug.h>
#include <maya/MPxNode.h>

#include <algorithm>
#include <unordered_set>

namespace rdhost {

namespace {

// Plugs one step downstream of p.
template <typename F>
void forEachDownstream(const PlugRef& p, F&& visit) {
    Node* n = p.node;
    Attr* a = n->attrAt(p.attr);
    for (int i : a->affects) visit(PlugRef{n, i});
    // A child's change is its compound's change.
    if (a->parent && a->parent->index >= 0) visit(PlugRef{n, a->parent->index});
    for (const PlugRef& d : n->destinations(p.attr)) visit(d);
    // A compound fed through a connection feeds its children.
    if (a->isCompound() && n->source(p.attr))
        for (Attr* c : a->children) visit(PlugRef{n, c->index});
    // A world matrix moves its children's.
    if (a->followsParent)
        for (Node* c : n->children)
            for (Attr* ca : c->type->attrs)
                if (ca->followsParent) visit(PlugRef{c, ca->index});
}

std::vector<PlugRef> collectDownstream(const PlugRef& start, bool includeStart) {
    std::vector<PlugRef> out;
    std::unordered_set<PlugRef, PlugRefHash> seen;
    std::vector<PlugRef> queue{start};
    seen.insert(start);
    if (includeStart) out.push_back(start);
    for (size_t head = 0; head < queue.size(); ++head) {
        const PlugRef current = queue[head];  // a copy: visiting grows the queue
        forEachDownstream(current, [&](const PlugRef& q) {
            if (seen.insert(q).second) {
                out.push_back(q);
                queue.push_back(q);
            }
        });
    }
    return out;
}

bool isNumericKind(const Attr* a) { return a->isNumeric(); }

std::string quoted(const Node* n, int attr) { return "'" + n->plugName(attr) + "'"; }

}  // namespace

void Scene::propagateDirty(PlugRef changed) {
    if (!changed) return;
    std::vector<PlugRef> reached = collectDownstream(changed, false);
    for (const PlugRef& p : reached) markReached(p);
}

void Scene::markReached(const PlugRef& p) {
    p.node->noteSlot(p.attr, false);
    p.node->dirty_[p.node->at(p.attr)] = 1;
    if (impl_->onDirty) impl_->onDirty(p);
    if (impl_->reachedKeys.insert(p).second) impl_->reached.push_back(p);
}

std::vector<PlugRef> Scene::reachedSinceIdle() const { return impl_->reached; }

// ---------------------------------------------------------------- connections

void Scene::connect(PlugRef src, PlugRef dst, bool force) {
    if (!src || !dst) throw HostError("cannot connect an invalid plug");
    Attr* sa = src.node->attrAt(src.attr);
    Attr* da = dst.node->attrAt(dst.attr);
    std::string sn = quoted(src.node, src.attr), dn = quoted(dst.node, dst.attr);
    if (src == dst) throw HostError("cannot connect " + sn + " to itself");
    bool compatible = (isNumericKind(sa) && isNumericKind(da)) ||
                      (sa->kind == AttrKind::String && da->kind == AttrKind::String) ||
                      (sa->isCompound() && da->isCompound() && sa->children.size() == da->children.size());
    if (!compatible) throw HostError("the types of " + sn + " and " + dn + " do not match");
    if (!sa->readable || !sa->connectable) throw HostError(sn + " cannot be the source of a connection");
    if (!da->writable || !da->connectable)
        throw HostError(dn + " is not writable; it cannot take a connection");
    if (dst.node->source(dst.attr) == src) throw HostError(sn + " is already connected to " + dn);
    if (dst.node->source(dst.attr) && !force) {
        PlugRef old = dst.node->source(dst.attr);
        throw HostError(dn + " already has an incoming connection from " + quoted(old.node, old.attr) +
                        " (use force to replace it)");
    }
    // A connection must not close a loop: nothing downstream of dst may feed src.
    for (const PlugRef& p : collectDownstream(dst, true))
        if (p == src) throw HostError("connecting " + sn + " to " + dn + " would make a cycle");
    // Give the nodes a say, as the host does.
    for (int end = 0; end < 2; ++end) {
        PlugRef self = end ? src : dst, other = end ? dst : src;
        if (!self.node->user) continue;
        bool legal = true;
        MStatus st = self.node->user->legalConnection(ObjectAccess::plug(self), ObjectAccess::plug(other),
                                                      end == 1, legal);
        if (st == MS::kSuccess && !legal)
            throw HostError("node '" + self.node->name + "' refuses the connection from " + sn + " to " + dn);
    }
    if (dst.node->source(dst.attr)) disconnect(dst.node->source(dst.attr), dst);
    dst.node->source_[dst.node->at(dst.attr)] = src;
    src.node->dests_[src.node->at(src.attr)].push_back(dst);
    noteLink(src, dst, true, src.node->dests_[src.node->at(src.attr)].size() - 1);
    if (da->multi) dst.node->setPlugFlag(dst.attr, Node::kInUse, true);
    if (src.node->user)
        src.node->user->connectionMade(ObjectAccess::plug(src), ObjectAccess::plug(dst), true);
    if (dst.node->user)
        dst.node->user->connectionMade(ObjectAccess::plug(dst), ObjectAccess::plug(src), false);
    // The destination now follows its source: it and all it feeds are dirty.
    for (const PlugRef& p : collectDownstream(dst, true)) markReached(p);
}

void Scene::disconnect(PlugRef src, PlugRef dst) {
    if (!src || !dst || !(dst.node->source(dst.attr) == src))
        throw HostError((src ? quoted(src.node, src.attr) : std::string("an invalid plug")) +
                        " is not connected to " +
                        (dst ? quoted(dst.node, dst.attr) : std::string("an invalid plug")));
    // The destination keeps the value it had through the connection.
    Attr* da = dst.node->attrAt(dst.attr);
    if (da->isCompound()) {
        for (Attr* c : da->children) evaluateSlot(dst.node, c->index);
    } else {
        evaluateSlot(dst.node, dst.attr);
    }
    dst.node->source_[dst.node->at(dst.attr)] = PlugRef{};
    auto& d = src.node->dests_[src.node->at(src.attr)];
    const auto at = std::find(d.begin(), d.end(), dst);
    const std::size_t index = static_cast<std::size_t>(at - d.begin());
    d.erase(std::remove(d.begin(), d.end(), dst), d.end());
    noteLink(src, dst, false, index);
    if (src.node->user)
        src.node->user->connectionBroken(ObjectAccess::plug(src), ObjectAccess::plug(dst), true);
    if (dst.node->user)
        dst.node->user->connectionBroken(ObjectAccess::plug(dst), ObjectAccess::plug(src), false);
}

// ---------------------------------------------------------------- idle

void Scene::deferCommand(const std::string& text) { impl_->deferred.push_back(text); }
void Scene::deferCommandFirst(const std::string& text) { impl_->deferred.push_front(text); }
const std::deque<std::string>& Scene::deferredCommands() const { return impl_->deferred; }
void Scene::setDeferredLimit(int commands) { impl_->deferredLimit = commands; }

void Scene::runIdle() {
    int commandsRun = 0;
    // Rounds: deferred commands may change the scene and reach more outputs.
    for (;;) {
        // deleteNode drops a deleted node's plugs from this list.
        std::vector<PlugRef> reached;
        reached.swap(impl_->reached);
        impl_->reachedKeys.clear();
        for (const PlugRef& p : reached) {
            Attr* a = p.node->attrAt(p.attr);
            bool fed = static_cast<bool>(p.node->source(p.attr)) ||
                       (a->parent && a->parent->index >= 0 && p.node->source(a->parent->index));
            if (!a->computed && !fed) continue;
            // Reached plugs that were dirty already are pulled too; one read
            // since it was reached is clean and evaluateSlot leaves it.
            evaluateSlot(p.node, p.attr);
            if (a->isCompound())
                for (Attr* c : a->children) evaluateSlot(p.node, c->index);
        }
        auto& deferred = impl_->deferred;
        if (deferred.empty()) break;
        while (!deferred.empty()) {
            if (commandsRun >= impl_->deferredLimit) {
                warn("evalDeferred: stopped after " + std::to_string(impl_->deferredLimit) +
                     " deferred commands; " + std::to_string(deferred.size()) + " dropped");
                deferred.clear();
                break;
            }
            std::string cmd = deferred.front();
            deferred.pop_front();
            ++commandsRun;
            if (!impl_->executeHook) {
                warn("evalDeferred: no command interpreter to run \"" + cmd + "\"");
                continue;
            }
            CurrentSceneGuard guard(this);
            impl_->executeHook(cmd, nullptr);
        }
        if (impl_->reached.empty()) break;
    }
}

}  // namespace rdhost
