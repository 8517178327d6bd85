// The undo queue of a scene.
//
// Changes are recorded where the graph makes them, not per command: a slot's
// value and dirty flag, a plug's lock/keyable/channel box state, a connection
// made or broken, a node made or deleted (with everything it holds), a name, a
// parent, the selection, the current time. A module above the graph records
// state of its own (an anim curve's keys) as an UndoEdit. So every command,
// whoever writes it, is undoable as soon as it changes the scene through the
// graph.
//
// Each edit keeps the other side of its change and swaps it in, so undoing
// the edits of a step newest first brings back the scene exactly as the step
// found it (values, computed values and dirty flags included), and redoing
// them oldest first brings back the scene as the step left it.
//
// Steps: the command module opens a step around each top-level statement
// (beginStep/endStep; nested ones join the outer). Nothing is recorded outside
// a step, while the queue is off or paused, or while an undo or redo runs. A
// step that changed the scene goes on the queue under the name of the
// statement that first changed it; one that only evaluated (a getAttr
// computing an output) stays open and joins the next, so no cached value is
// lost. A chunk (openChunk/closeChunk) makes every step inside it one.
//
// A deleted node is detached from the scene, not freed, while edits name it
// (Node::undoRefs); undoing the deletion puts the same node back. Dropping
// steps (flush, the length limit, a new step after undos) frees the nodes no
// edit names any more.
#pragma once

#include "graph/scene.h"

#include <deque>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace rdhost {

// One recorded change. undo() is called with the scene as the change left it
// (later edits undone), redo() with the scene as the change found it.
class UndoEdit {
public:
    virtual ~UndoEdit() = default;
    virtual void undo() = 0;
    virtual void redo() = 0;
};

// Keeps a node from being freed while an edit names it.
class NodeHold {
public:
    explicit NodeHold(Node* node);
    ~NodeHold();
    NodeHold(const NodeHold&) = delete;
    NodeHold& operator=(const NodeHold&) = delete;
    Node* get() const { return node_; }
    Node* operator->() const { return node_; }

private:
    Node* node_;
};

class UndoQueue {
public:
    explicit UndoQueue(Scene& scene);
    ~UndoQueue();
    UndoQueue(const UndoQueue&) = delete;
    UndoQueue& operator=(const UndoQueue&) = delete;

    // --- recording
    // True when a change made now is recorded.
    bool recording() const { return on_ && depth_ > 0 && paused_ == 0 && !replaying_; }
    // Adds an edit to the open step. Significant edits make the step one the
    // user undoes; the others (evaluation) only ride along.
    void record(std::unique_ptr<UndoEdit> edit, bool significant = true);
    // Before a slot's value or dirty flag changes; the first change of a slot
    // in a step records its state.
    void slotChanging(Node* node, int attr, bool significant);
    // True the first time `what` is asked about in the open step: a module
    // records state of its own once per step (an edit swaps it back whole).
    bool firstTouch(const void* what) { return touchedOther_.insert(what).second; }
    // Makes the open step one the user undoes (its edits were recorded as
    // evaluation, say).
    void markChanged();
    // While quiet, changes are recorded as evaluation: a read that changes
    // things and puts them back (a value read at another time).
    void beginQuiet() { ++quiet_; }
    void endQuiet() { --quiet_; }

    // Around one top-level statement; `name` is what undo shows for it.
    void beginStep(const std::string& name);
    void endStep();
    // Undo and redo do nothing else while these run (plug-in calls of
    // executeCommand with undo off, reading a scene file).
    void pause() { ++paused_; }
    void resume() { --paused_; }

    // --- chunks: everything until the matching close undoes as one.
    void openChunk(const std::string& name);
    bool closeChunk();  // false when no chunk is open
    bool chunkOpen() const { return chunkDepth_ > 0; }

    // --- undo and redo: false when there is nothing to undo or redo; the name
    // of the step undone or redone in `name`.
    bool undo(std::string* name);
    bool redo(std::string* name);

    // --- the queue
    void flush();  // forgets every step (frees the nodes they kept)
    bool state() const { return on_; }
    // Off: nothing is recorded; `flush` forgets the queue as well.
    void setState(bool on, bool flush);
    int length() const { return length_; }
    void setLength(int steps);  // oldest steps past it are forgotten
    bool infinite() const { return infinite_; }
    void setInfinite(bool on);
    std::size_t undoCount() const { return done_.size(); }
    std::size_t redoCount() const { return redo_.size(); }
    std::string undoName() const;  // "" when none
    std::string redoName() const;

private:
    struct Step {
        std::string name;
        bool significant = false;
        std::vector<std::unique_ptr<UndoEdit>> edits;
    };
    void finish();           // the open step onto the queue when it changed the scene
    void revertOpen();       // takes back an open step that only evaluated
    void trim();             // the oldest steps past the length
    void clear(Step& step);  // drops its edits, newest first
    void replay(Step& step, bool backwards);

    Scene& scene_;
    bool on_ = true;
    bool infinite_ = false;
    int length_ = 50;
    int depth_ = 0;  // open statements
    int paused_ = 0;
    int quiet_ = 0;
    bool replaying_ = false;
    int chunkDepth_ = 0;
    std::string chunkName_;
    std::string pendingName_;  // the statement running now
    Step open_;
    struct SlotHash {
        std::size_t operator()(const PlugRef& p) const {
            return std::hash<const void*>()(p.node) * 31u + static_cast<std::size_t>(p.attr);
        }
    };
    std::unordered_set<PlugRef, SlotHash> touched_;  // slots recorded in open_
    std::unordered_set<const void*> touchedOther_;   // firstTouch's, for open_
    std::deque<Step> done_;
    std::vector<Step> redo_;  // the next to redo last
};

// Pauses recording for its life.
struct UndoPause {
    explicit UndoPause(UndoQueue& queue) : queue(queue) { queue.pause(); }
    ~UndoPause() { queue.resume(); }
    UndoPause(const UndoPause&) = delete;
    UndoPause& operator=(const UndoPause&) = delete;
    UndoQueue& queue;
};

// Records changes as evaluation for its life.
struct UndoQuiet {
    explicit UndoQuiet(UndoQueue& queue) : queue(queue) { queue.beginQuiet(); }
    ~UndoQuiet() { queue.endQuiet(); }
    UndoQuiet(const UndoQuiet&) = delete;
    UndoQuiet& operator=(const UndoQuiet&) = delete;
    UndoQueue& queue;
};

}  // namespace rdhost
