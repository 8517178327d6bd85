// The undo queue: the graph's edits, the steps they make, and the scene-side
// primitives that take a node out and put it back.
#define MNoVersionString
#include "graph/undo.h"

#include "graph/handles.h"
#include "graph/scene_impl.h"

#include <maya/MPxNode.h>

#include <algorithm>
#include <utility>

namespace rdhost {

// The undo queue's access to a node's slots and connections.
struct SlotAccess {
    static void swapSlot(Node* n, int attr, double& num, std::string& str, std::uint8_t& dirty) {
        std::swap(n->num_[n->at(attr)], num);
        std::swap(n->dirty_[n->at(attr)], dirty);
        if (n->attrAt(attr)->kind == AttrKind::String) std::swap(n->str_[n->at(attr)], str);
    }
    static void swapState(Node* n, int attr, std::uint8_t& bits) {
        std::swap(n->plugState_[n->at(attr)], bits);
    }
    static PlugRef& source(Node* n, int attr) { return n->source_[n->at(attr)]; }
    static std::vector<PlugRef>& destinations(Node* n, int attr) { return n->dests_[n->at(attr)]; }
};

// ---------------------------------------------------------------- nodes in and out

NodeHold::NodeHold(Node* node) : node_(node) { ++node_->undoRefs; }

NodeHold::~NodeHold() {
    if (--node_->undoRefs == 0 && node_->detached) freeNode(node_);
}

void freeNode(Node* node) {
    {
        CurrentSceneGuard guard(node->scene);
        delete node->user;
    }
    delete node;
}

NodePlacement detachNode(Scene& scene, Node* n, bool notify) {
    Scene::Impl& impl = *scene.impl();
    if (notify) impl.notify([n](SceneObserver& o) { o.nodeDeleting(n); });
    NodePlacement at;
    at.parent = n->parent;
    if (n->parent) {
        auto& sib = n->parent->children;
        auto it = std::find(sib.begin(), sib.end(), n);
        at.childIndex = static_cast<std::size_t>(it - sib.begin());
        if (it != sib.end()) sib.erase(it);
    }
    auto& r = impl.reached;
    if (std::find_if(r.begin(), r.end(), [n](const PlugRef& p) { return p.node == n; }) != r.end()) {
        r.erase(std::remove_if(r.begin(), r.end(), [n](const PlugRef& p) { return p.node == n; }), r.end());
        impl.reachedKeys.clear();
        for (auto& p : r) impl.reachedKeys.insert(p);
    }
    // Searched from the end: scenes are cleared last node first.
    auto& all = impl.nodes;
    auto it = std::find(all.rbegin(), all.rend(), n);
    at.index = all.size();
    if (it != all.rend()) {
        at.index = static_cast<std::size_t>(std::next(it).base() - all.begin());
        all.erase(std::next(it).base());
    }
    impl.unindexName(n);
    n->detached = true;
    return at;
}

void attachNode(Scene& scene, Node* n, const NodePlacement& at) {
    Scene::Impl& impl = *scene.impl();
    auto& all = impl.nodes;
    all.insert(all.begin() + static_cast<std::ptrdiff_t>(std::min(at.index, all.size())), n);
    n->parent = at.parent;
    if (at.parent) {
        auto& sib = at.parent->children;
        sib.insert(sib.begin() + static_cast<std::ptrdiff_t>(std::min(at.childIndex, sib.size())), n);
    }
    n->detached = false;
    impl.indexName(n);
}

void linkPlugs(PlugRef src, PlugRef dst, std::size_t destIndex) {
    SlotAccess::source(dst.node, dst.attr) = src;
    auto& d = SlotAccess::destinations(src.node, src.attr);
    d.insert(d.begin() + static_cast<std::ptrdiff_t>(std::min(destIndex, d.size())), dst);
    CurrentSceneGuard guard(src.node->scene);
    if (src.node->user)
        src.node->user->connectionMade(ObjectAccess::plug(src), ObjectAccess::plug(dst), true);
    if (dst.node->user)
        dst.node->user->connectionMade(ObjectAccess::plug(dst), ObjectAccess::plug(src), false);
}

std::size_t unlinkPlugs(PlugRef src, PlugRef dst) {
    SlotAccess::source(dst.node, dst.attr) = PlugRef{};
    auto& d = SlotAccess::destinations(src.node, src.attr);
    auto it = std::find(d.begin(), d.end(), dst);
    const std::size_t index = static_cast<std::size_t>(it - d.begin());
    if (it != d.end()) d.erase(it);
    CurrentSceneGuard guard(src.node->scene);
    if (src.node->user)
        src.node->user->connectionBroken(ObjectAccess::plug(src), ObjectAccess::plug(dst), true);
    if (dst.node->user)
        dst.node->user->connectionBroken(ObjectAccess::plug(dst), ObjectAccess::plug(src), false);
    return index;
}

// ---------------------------------------------------------------- the graph's edits

namespace {

// A slot's value, text and dirty flag.
class SlotEdit : public UndoEdit {
public:
    SlotEdit(Node* n, int attr) : node_(n), attr_(attr) {
        num_ = n->storedNumber(attr);
        dirty_ = n->isDirty(attr) ? 1 : 0;
        if (n->attrAt(attr)->kind == AttrKind::String) str_ = n->storedString(attr);
    }
    void undo() override { SlotAccess::swapSlot(node_.get(), attr_, num_, str_, dirty_); }
    void redo() override { undo(); }

private:
    NodeHold node_;
    int attr_;
    double num_ = 0.0;
    std::string str_;
    std::uint8_t dirty_ = 0;
};

class PlugStateEdit : public UndoEdit {
public:
    PlugStateEdit(Node* n, int attr) : node_(n), attr_(attr), bits_(n->plugStateBits(attr)) {}
    void undo() override { SlotAccess::swapState(node_.get(), attr_, bits_); }
    void redo() override { undo(); }

private:
    NodeHold node_;
    int attr_;
    std::uint8_t bits_;
};

// A write the node heard through setInternalValue: it hears either side again.
class InternalWriteEdit : public UndoEdit {
public:
    InternalWriteEdit(Node* n, int attr, double value, std::string text)
        : node_(n), attr_(attr), newNum_(value), newText_(std::move(text)) {
        oldNum_ = n->storedNumber(attr);
        oldText_ = n->storedString(attr);
    }
    void undo() override { offer(oldNum_, oldText_); }
    void redo() override { offer(newNum_, newText_); }

private:
    void offer(double value, const std::string& text) {
        if (node_->user && !node_->detached) offerInternalValue(node_.get(), attr_, value, text);
    }
    NodeHold node_;
    int attr_;
    double oldNum_ = 0.0, newNum_;
    std::string oldText_, newText_;
};

// A node made (its creation undone takes it out) or deleted (undone: back in).
class NodeEdit : public UndoEdit {
public:
    NodeEdit(Node* n, bool created, const NodePlacement& at) : node_(n), created_(created), at_(at) {}
    void undo() override { created_ ? takeOut() : putBack(); }
    void redo() override { created_ ? putBack() : takeOut(); }

private:
    void takeOut() {
        if (!node_->detached) at_ = detachNode(*node_->scene, node_.get(), true);
    }
    void putBack() {
        if (node_->detached) attachNode(*node_->scene, node_.get(), at_);
    }
    NodeHold node_;
    bool created_;
    NodePlacement at_;
};

class LinkEdit : public UndoEdit {
public:
    LinkEdit(PlugRef src, PlugRef dst, bool linked, std::size_t index)
        : src_(src.node),
          dst_(dst.node),
          srcAttr_(src.attr),
          dstAttr_(dst.attr),
          linked_(linked),
          index_(index) {}
    void undo() override { toggle(); }
    void redo() override { toggle(); }

private:
    void toggle() {
        const PlugRef src{src_.get(), srcAttr_}, dst{dst_.get(), dstAttr_};
        if (linked_)
            index_ = unlinkPlugs(src, dst);
        else
            linkPlugs(src, dst, index_);
        linked_ = !linked_;
    }
    NodeHold src_, dst_;
    int srcAttr_, dstAttr_;
    bool linked_;  // as the scene has it now
    std::size_t index_;
};

class NameEdit : public UndoEdit {
public:
    NameEdit(Node* n, std::string old) : node_(n), other_(std::move(old)) {}
    void undo() override {
        Scene::Impl& impl = *node_->scene->impl();
        if (!node_->detached) impl.unindexName(node_.get());
        std::swap(node_->name, other_);
        if (!node_->detached) impl.indexName(node_.get());
    }
    void redo() override { undo(); }

private:
    NodeHold node_;
    std::string other_;
};

class ParentEdit : public UndoEdit {
public:
    ParentEdit(Node* n, Node* oldParent, std::size_t oldIndex)
        : node_(n), parent_(oldParent ? std::make_unique<NodeHold>(oldParent) : nullptr), index_(oldIndex) {}
    void undo() override {
        Node* n = node_.get();
        std::unique_ptr<NodeHold> current = n->parent ? std::make_unique<NodeHold>(n->parent) : nullptr;
        std::size_t currentIndex = 0;
        if (n->parent) {
            auto& sib = n->parent->children;
            auto it = std::find(sib.begin(), sib.end(), n);
            currentIndex = static_cast<std::size_t>(it - sib.begin());
            if (it != sib.end()) sib.erase(it);
        }
        n->parent = parent_ ? parent_->get() : nullptr;
        if (n->parent) {
            auto& sib = n->parent->children;
            sib.insert(sib.begin() + static_cast<std::ptrdiff_t>(std::min(index_, sib.size())), n);
        }
        parent_ = std::move(current);
        index_ = currentIndex;
    }
    void redo() override { undo(); }

private:
    NodeHold node_;
    std::unique_ptr<NodeHold> parent_;
    std::size_t index_;
};

class SelectionEdit : public UndoEdit {
public:
    SelectionEdit(Scene& scene, const std::vector<Node*>& next) : scene_(scene), other_(scene.selection()) {
        for (Node* n : other_) holds_.push_back(std::make_unique<NodeHold>(n));
        for (Node* n : next) holds_.push_back(std::make_unique<NodeHold>(n));
    }
    void undo() override { std::swap(scene_.impl()->selection, other_); }
    void redo() override { undo(); }

private:
    Scene& scene_;
    std::vector<Node*> other_;
    std::vector<std::unique_ptr<NodeHold>> holds_;
};

class TimeEdit : public UndoEdit {
public:
    explicit TimeEdit(Scene& scene) : scene_(scene), other_(scene.currentTime()) {}
    void undo() override { std::swap(scene_.impl()->time, other_); }
    void redo() override { undo(); }

private:
    Scene& scene_;
    double other_;
};

}  // namespace

// ---------------------------------------------------------------- hooks the graph calls

void Node::noteSlot(int attr, bool significant) {
    if (!scene || outsideUndo) return;
    UndoQueue& q = scene->undoQueue();
    if (q.recording()) q.slotChanging(this, attr, significant);
}

void Node::notePlugState(int attr) {
    if (!scene || outsideUndo) return;
    UndoQueue& q = scene->undoQueue();
    if (q.recording()) q.record(std::make_unique<PlugStateEdit>(this, attr));
}

void noteInternalWrite(Node* n, int attr, double value, const std::string& text) {
    if (n->outsideUndo) return;
    UndoQueue& q = n->scene->undoQueue();
    if (q.recording()) q.record(std::make_unique<InternalWriteEdit>(n, attr, value, text));
}

void noteNodeMade(Node* n) {
    UndoQueue& q = n->scene->undoQueue();
    if (q.recording()) q.record(std::make_unique<NodeEdit>(n, true, NodePlacement{}));
}

// After a node left the scene: recorded, kept for the queue, or freed.
void nodeGone(Node* n, const NodePlacement& at) {
    UndoQueue& q = n->scene->undoQueue();
    if (q.recording())
        q.record(std::make_unique<NodeEdit>(n, false, at));
    else if (n->undoRefs == 0)
        freeNode(n);
}

void noteLink(PlugRef src, PlugRef dst, bool linked, std::size_t index) {
    UndoQueue& q = src.node->scene->undoQueue();
    if (q.recording()) q.record(std::make_unique<LinkEdit>(src, dst, linked, index));
}

void noteRename(Node* n, const std::string& oldName) {
    UndoQueue& q = n->scene->undoQueue();
    if (q.recording() && oldName != n->name) q.record(std::make_unique<NameEdit>(n, oldName));
}

void noteReparent(Node* n, Node* oldParent, std::size_t oldIndex) {
    UndoQueue& q = n->scene->undoQueue();
    if (q.recording()) q.record(std::make_unique<ParentEdit>(n, oldParent, oldIndex));
}

UndoQueue& Scene::undoQueue() { return *impl_->undo; }

void Scene::setSelection(std::vector<Node*> nodes) {
    if (nodes == impl_->selection) return;
    if (impl_->undo->recording()) impl_->undo->record(std::make_unique<SelectionEdit>(*this, nodes));
    impl_->selection = std::move(nodes);
}

void Scene::setCurrentTime(double frame) {
    if (frame == impl_->time) return;
    if (impl_->undo->recording()) impl_->undo->record(std::make_unique<TimeEdit>(*this));
    impl_->time = frame;
}

// ---------------------------------------------------------------- the queue

UndoQueue::UndoQueue(Scene& scene) : scene_(scene) {}

UndoQueue::~UndoQueue() { flush(); }

void UndoQueue::record(std::unique_ptr<UndoEdit> edit, bool significant) {
    open_.edits.push_back(std::move(edit));
    if (significant) markChanged();
}

void UndoQueue::markChanged() {
    if (open_.significant || quiet_ > 0 || !recording()) return;
    open_.significant = true;
    open_.name = pendingName_;
}

void UndoQueue::slotChanging(Node* node, int attr, bool significant) {
    if (significant) markChanged();
    if (!touched_.insert(PlugRef{node, attr}).second) return;
    open_.edits.push_back(std::make_unique<SlotEdit>(node, attr));
}

void UndoQueue::beginStep(const std::string& name) {
    if (depth_++ == 0) pendingName_ = name;
}

void UndoQueue::endStep() {
    if (depth_ > 0 && --depth_ > 0) return;
    if (!on_) {
        clear(open_);
        return;
    }
    if (chunkDepth_ > 0) return;
    finish();
}

void UndoQueue::finish() {
    if (!open_.significant) return;  // only evaluation: it stays open and joins the next step
    if (!chunkName_.empty()) open_.name = chunkName_;
    while (!redo_.empty()) {
        clear(redo_.back());
        redo_.pop_back();
    }
    done_.push_back(std::move(open_));
    open_ = Step{};
    touched_.clear();
    touchedOther_.clear();
    trim();
}

void UndoQueue::clear(Step& step) {
    while (!step.edits.empty()) step.edits.pop_back();
    step.significant = false;
    step.name.clear();
    if (&step == &open_) {
        touched_.clear();
        touchedOther_.clear();
    }
}

void UndoQueue::replay(Step& step, bool backwards) {
    struct Replaying {
        bool& flag;
        explicit Replaying(bool& f) : flag(f) { flag = true; }
        ~Replaying() { flag = false; }
    } replaying(replaying_);
    CurrentSceneGuard guard(&scene_);
    if (backwards) {
        for (auto it = step.edits.rbegin(); it != step.edits.rend(); ++it) (*it)->undo();
    } else {
        for (auto& e : step.edits) e->redo();
    }
}

void UndoQueue::revertOpen() {
    replay(open_, true);
    clear(open_);
}

void UndoQueue::trim() {
    while (!infinite_ && done_.size() > static_cast<std::size_t>(length_)) {
        clear(done_.front());
        done_.pop_front();
    }
}

void UndoQueue::openChunk(const std::string& name) {
    if (chunkDepth_++ == 0) chunkName_ = name;
}

bool UndoQueue::closeChunk() {
    if (chunkDepth_ == 0) return false;
    if (--chunkDepth_ == 0) {
        if (on_) finish();
        chunkName_.clear();
    }
    return true;
}

bool UndoQueue::undo(std::string* name) {
    if (replaying_) return false;
    if (chunkDepth_ > 0) {
        chunkDepth_ = 1;
        closeChunk();
    }
    if (open_.significant)
        finish();
    else
        revertOpen();
    if (done_.empty()) return false;
    Step step = std::move(done_.back());
    done_.pop_back();
    replay(step, true);
    if (name) *name = step.name;
    redo_.push_back(std::move(step));
    return true;
}

bool UndoQueue::redo(std::string* name) {
    if (replaying_) return false;
    if (chunkDepth_ > 0) {
        chunkDepth_ = 1;
        closeChunk();
    }
    if (open_.significant)
        finish();
    else
        revertOpen();
    if (redo_.empty()) return false;
    Step step = std::move(redo_.back());
    redo_.pop_back();
    replay(step, false);
    if (name) *name = step.name;
    done_.push_back(std::move(step));
    trim();
    return true;
}

void UndoQueue::flush() {
    clear(open_);
    while (!redo_.empty()) {
        clear(redo_.back());
        redo_.pop_back();
    }
    while (!done_.empty()) {
        clear(done_.back());
        done_.pop_back();
    }
}

void UndoQueue::setState(bool on, bool flushToo) {
    if (!on) {
        if (flushToo)
            flush();
        else if (open_.significant)
            finish();
        else
            clear(open_);
    }
    on_ = on;
}

void UndoQueue::setLength(int steps) {
    length_ = std::max(0, steps);
    trim();
}

void UndoQueue::setInfinite(bool on) {
    infinite_ = on;
    trim();
}

std::string UndoQueue::undoName() const { return done_.empty() ? std::string() : done_.back().name; }
std::string UndoQueue::redoName() const { return redo_.empty() ? std::string() : redo_.back().name; }

}  // namespace rdhost
