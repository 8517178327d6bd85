// Undo commands: undo, redo, undoInfo, flushUndo.
//
// The scene's undo queue (graph/undo.h) records every change as the graph
// makes it; each top-level statement is one step (the interpreter opens and
// closes it), a chunk makes many one. Opening a scene or making a new one
// forgets the queue.
//
//   undo / redo               takes back / makes again the newest step:
//                             "// Undo: NAME //"; with nothing left, the
//                             warning "There are no more commands to undo."
//   undoInfo -state on|off    records or not; off forgets the queue
//   undoInfo -stateWithoutFlush on|off   the same, keeping the queue
//   undoInfo -infinity on|off / -length N   how many steps are kept (50)
//   undoInfo -openChunk [-chunkName NAME] / -closeChunk
//   undoInfo -query [-state|-stateWithoutFlush|-infinity|-length|-undoName|
//            -redoName|-undoQueueEmpty|-redoQueueEmpty]   (no flag: the
//                             number of steps to undo)
//   flushUndo                 forgets every step
#include "command/registry.h"
#include "graph/undo.h"

#include <cmath>

namespace rdhost::cmd {

namespace {

Value undo(Invocation& inv) {
    if (!inv.args.empty()) inv.fail("takes no arguments");
    std::string name;
    if (!inv.scene.undoQueue().undo(&name))
        inv.scene.warn("There are no more commands to undo.");
    else
        inv.out << "// Undo: " << name << " //" << std::endl;
    return Value::none();
}

Value redo(Invocation& inv) {
    if (!inv.args.empty()) inv.fail("takes no arguments");
    std::string name;
    if (!inv.scene.undoQueue().redo(&name))
        inv.scene.warn("There are no more commands to redo.");
    else
        inv.out << "// Redo: " << name << " //" << std::endl;
    return Value::none();
}

Value flushUndo(Invocation& inv) {
    if (!inv.args.empty()) inv.fail("takes no arguments");
    inv.scene.undoQueue().flush();
    return Value::none();
}

Value undoInfo(Invocation& inv) {
    UndoQueue& q = inv.scene.undoQueue();
    if (!inv.args.empty()) inv.fail("takes flags only, not '" + clipInput(inv.args[0].text) + "'");
    const char* queried[] = {"state",    "stateWithoutFlush", "infinity",       "length",
                             "undoName", "redoName",          "undoQueueEmpty", "redoQueueEmpty"};
    if (inv.has("query")) {
        std::string which;
        for (const char* f : queried)
            if (inv.has(f)) {
                if (!which.empty()) inv.fail("query one flag at a time (-" + which + " and -" + f + ")");
                which = f;
            }
        if (which.empty()) return Value::integer(static_cast<long long>(q.undoCount()));
        if (which == "state" || which == "stateWithoutFlush") return Value::integer(q.state() ? 1 : 0);
        if (which == "infinity") return Value::integer(q.infinite() ? 1 : 0);
        if (which == "length") return Value::integer(q.length());
        if (which == "undoName") return Value::string(q.undoName());
        if (which == "redoName") return Value::string(q.redoName());
        if (which == "undoQueueEmpty") return Value::integer(q.undoCount() == 0 ? 1 : 0);
        return Value::integer(q.redoCount() == 0 ? 1 : 0);
    }
    for (const char* f : {"undoName", "redoName", "undoQueueEmpty", "redoQueueEmpty"})
        if (inv.has(f)) inv.fail(std::string("-") + f + " is a query (undoInfo -query -" + f + ")");
    if (inv.has("openChunk") && inv.has("closeChunk")) inv.fail("give -openChunk or -closeChunk, not both");
    if (inv.has("chunkName") && !inv.has("openChunk")) inv.fail("-chunkName names a chunk -openChunk opens");
    bool any = false;
    if (inv.has("length")) {
        const double n = inv.flagNumber("length");
        if (!(n >= 0) || n != std::floor(n) || n > 1e9)
            inv.fail("-length takes a whole number of steps, not '" + inv.flagText("length") + "'");
        q.setLength(static_cast<int>(n));
        any = true;
    }
    if (inv.has("infinity")) {
        q.setInfinite(inv.flagNumber("infinity") != 0.0);
        any = true;
    }
    if (inv.has("state")) {
        q.setState(inv.flagNumber("state") != 0.0, true);
        any = true;
    }
    if (inv.has("stateWithoutFlush")) {
        q.setState(inv.flagNumber("stateWithoutFlush") != 0.0, false);
        any = true;
    }
    if (inv.has("openChunk")) {
        q.openChunk(inv.has("chunkName") ? inv.flagText("chunkName") : "");
        any = true;
    }
    if (inv.has("closeChunk")) {
        if (!q.closeChunk()) inv.scene.warn("undoInfo: no chunk is open; -closeChunk does nothing");
        any = true;
    }
    if (!any)
        inv.fail(
            "give a flag: -state, -stateWithoutFlush, -infinity, -length, -openChunk, -closeChunk "
            "or -query");
    return Value::none();
}

const Registrar regs[] = {
    Registrar{{"undo",
               {},
               undo,
               "undo  (takes back the newest step: one top-level statement, or a chunk)",
               "none"}},
    Registrar{{"redo", {}, redo, "redo  (makes the newest undone step again)", "none"}},
    Registrar{{"flushUndo", {}, flushUndo, "flushUndo  (forgets every step to undo or redo)", "none"}},
    Registrar{{"undoInfo",
               {{"query", "q", 0},
                {"state", "st", 1},
                {"stateWithoutFlush", "swf", 1},
                {"infinity", "in", 1},
                {"length", "l", 1},
                {"undoName", "un", 0},
                {"redoName", "rn", 0},
                {"undoQueueEmpty", "uqe", 0},
                {"redoQueueEmpty", "rqe", 0},
                {"openChunk", "ock", 0},
                {"closeChunk", "cck", 0},
                {"chunkName", "cn", 1}},
               undoInfo,
               "undoInfo [-state on|off] [-stateWithoutFlush on|off] [-infinity on|off] [-length N] "
               "[-openChunk [-chunkName NAME]] [-closeChunk] | undoInfo -query [-state|-infinity|-length|"
               "-undoName|-redoName|-undoQueueEmpty|-redoQueueEmpty]  (state off forgets the queue; "
               "a chunk undoes as one step; 50 steps are kept unless -infinity)",
               "with -query: the flag's value (no flag: the number of steps to undo)"}},
};

}  // namespace

}  // namespace rdhost::cmd
