// Undo and redo: what each command sequence prints, and a long random run of
// edits undone to its start and redone to its end, saved byte for byte.
#include "graph/undo.h"

#include <maya/MGlobal.h>
#include "command_fixture.h"
#include "files.h"

#include <filesystem>
#include <random>
#include <vector>

namespace {

class Undo : public CommandFixture {
protected:
    // Runs each text as the program runs a -c text; what it printed, errors
    // and warnings included.
    std::string session(const std::vector<std::string>& texts) {
        std::string all;
        for (const std::string& t : texts) {
            run(t);
            all += out() + err();
        }
        return all;
    }
};

TEST_F(Undo, CommandSequencesAndWhatTheyPrint) {
    const struct {
        std::vector<std::string> texts;
        const char* printed;
    } cases[] = {
        // One statement is one step, named as written.
        {{"createNode transform -n a; setAttr a.tx 5; undoInfo -q -undoName; undo; getAttr a.tx"},
         "// Result: a //\n// Result: setAttr a.tx 5 //\n// Undo: setAttr a.tx 5 //\n// Result: 0 //\n"},
        {{"createNode transform -n a; undo; redo; ls -type transform"},
         "// Result: a //\n// Undo: createNode transform -n a //\n// Redo: createNode transform -n a //\n"
         "// Result: a //\n"},
        {{"undo", "redo"},
         "// Warning: There are no more commands to undo. //\n"
         "// Warning: There are no more commands to redo. //\n"},
        // A new change forgets what was undone; queries change nothing.
        {{"createNode transform -n a; undo; createNode transform -n b; getAttr b.tx; redo"},
         "// Result: a //\n// Undo: createNode transform -n a //\n// Result: b //\n// Result: 0 //\n"
         "// Warning: There are no more commands to redo. //\n"},
        // A procedure call, a loop and a chunk undo as one.
        {{"proc p() { createNode transform -n a; setAttr a.ty 2; } p(); undo; ls -type transform"},
         "// Undo: p() //\n// Result:  //\n"},
        {{"for ($i = 0; $i < 3; $i++) createNode transform; undo; ls -type transform"},
         "// Undo: for ($i = 0; $i < 3; $i++) createNode transform //\n// Result:  //\n"},
        {{"createNode transform -n a; undoInfo -openChunk; setAttr a.tx 1; setAttr a.ty 2; undoInfo "
          "-closeChunk;"
          "undo; getAttr a.tx; getAttr a.ty"},
         "// Result: a //\n// Undo: setAttr a.tx 1 //\n// Result: 0 //\n// Result: 0 //\n"},
        {{"undoInfo -openChunk -chunkName \"build\"; createNode transform -n a; undoInfo -closeChunk;"
          "undoInfo -q -undoName; undoInfo -closeChunk"},
         "// Result: a //\n// Result: build //\n"
         "// Warning: undoInfo: no chunk is open; -closeChunk does nothing //\n"},
        // A failed statement: what it did before failing is one step, and the
        // idle step still runs its deferred commands.
        {{"{ createNode transform; evalDeferred \"createNode transform\"; setAttr b.tx 1; }",
          "ls -type transform; undo; ls -type transform"},
         "// Error: line 1: setAttr: no node named 'b' //\n// Result: transform1 transform2 //\n"
         "// Undo: { createNode transform; evalDeferred \"createNode transform\"; setAttr b.tx 1; } //\n"
         "// Result:  //\n"},
        // Off: nothing recorded, the queue forgotten; without flush it stays.
        {{"createNode transform -n a; undoInfo -state off; createNode transform -n b; undoInfo -q -state; "
          "undo"},
         "// Result: a //\n// Result: b //\n// Result: 0 //\n"
         "// Warning: There are no more commands to undo. //\n"},
        {{"createNode transform -n a; undoInfo -swf off; createNode transform -n b; undoInfo -swf on; undo;"
          "ls -type transform"},
         "// Result: a //\n// Result: b //\n// Undo: createNode transform -n a //\n// Result: b //\n"},
        // The queue's length, and what forgets it.
        {{"undoInfo -q -length; undoInfo -q -infinity; undoInfo -length 2; createNode transform;"
          "createNode transform; createNode transform; undoInfo -q; undoInfo -q -undoQueueEmpty"},
         "// Result: 50 //\n// Result: 0 //\n// Result: transform1 //\n// Result: transform2 //\n"
         "// Result: transform3 //\n// Result: 2 //\n// Result: 0 //\n"},
        {{"createNode transform; flushUndo; undoInfo -q -undoQueueEmpty; createNode transform; file -new -f;"
          "undoInfo -q"},
         "// Result: transform1 //\n// Result: 1 //\n// Result: transform2 //\n// Result: 0 //\n"},
        {{"undoInfo -length -1", "undoInfo -undoName"},
         "// Error: line 1: undoInfo: -length takes a whole number of steps, not '-1' //\n"
         "// Error: line 1: undoInfo: -undoName is a query (undoInfo -query -undoName) //\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.texts.front());
        if (&c != cases) {  // each in a fresh scene
            TearDown();
            SetUp();
        }
        EXPECT_EQ(session(c.texts), c.printed);
    }
}

// A plug-in's executeCommand records only when it asks for undo, as in the host.
TEST_F(Undo, PluginCommandsRecordOnlyWithUndoOn) {
    rdhost::UndoQueue& queue = scene().undoQueue();
    for (bool undoable : {false, true}) {
        queue.beginStep("from a plug-in");
        EXPECT_TRUE(MGlobal::executeCommand("createNode transform", false, undoable));
        queue.endStep();
        EXPECT_EQ(queue.undoCount(), undoable ? 1u : 0u);
    }
}

// A random run of every kind of edit, failing ones included, undone to the
// start and redone to the end: the scene saves byte for byte as it did.
TEST_F(Undo, RandomEditsUndoToTheStartAndRedoToTheEnd) {
    ok("loadPlugin rigDials; createNode transform -n base; createNode KelSliderManipulator -n s1;"
       "createNode KelArcSliderManipulator -n a1; connectAttr s1.cvl base.tx; setKeyframe base.ry;"
       "undoInfo -infinity on; flushUndo");
    rdtest::TempDir dir("rigdials-undo");
    int saves = 0;
    const auto save = [&] {
        // Each in a folder of its own: the file names itself on its first line.
        const std::string folder = dir.path(std::to_string(++saves));
        std::filesystem::create_directory(folder);
        ok("file -save \"" + folder + "/scene.ma\"");
        return rdtest::readFile(folder + "/scene.ma") + snapshot();
    };
    const std::string start = save();

    std::mt19937 rng(20261208);
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    const auto nodeName = [&]() -> std::string {
        const auto& all = scene().nodes();
        if (all.empty()) return "nothing";
        rdhost::Node* n = all[pick(all.size())];
        return n->isDag() ? n->partialPathName() : n->name;
    };
    // A numeric plug of some node (or a name that fails).
    const auto plugName = [&](bool keyableOnly) -> std::string {
        const auto& all = scene().nodes();
        if (all.empty()) return "nothing.tx";
        rdhost::Node* n = all[pick(all.size())];
        std::vector<const rdhost::Attr*> attrs;
        for (const rdhost::Attr* a : n->type->attrs)
            if (a->isNumeric() && (!keyableOnly || a->keyable)) attrs.push_back(a);
        if (attrs.empty()) return (n->isDag() ? n->partialPathName() : n->name) + ".none";
        return (n->isDag() ? n->partialPathName() : n->name) + "." + attrs[pick(attrs.size())]->longName;
    };
    const auto number = [&] { return std::to_string(static_cast<int>(pick(2001)) - 1000) + ".25"; };
    int changed = 0;
    for (int i = 0; i < 300; ++i) {
        std::string text;
        switch (pick(17)) {
        case 0:
            text = "createNode transform";
            break;
        case 1:
            text = "createNode transform -p " + nodeName();
            break;
        case 2:
            text = "createNode KelSliderManipulator";
            break;
        case 3:
            text = "delete " + nodeName();
            break;
        case 4:
        case 5:
            text = "setAttr " + plugName(false) + " " + number();
            break;
        case 6:
            text = "setAttr -lock " + std::string(pick(2) ? "on " : "off ") + plugName(false);
            break;
        case 7:
            text = "setAttr -keyable " + std::string(pick(2) ? "on " : "off ") + plugName(false);
            break;
        case 8:
            text = "connectAttr -f " + plugName(false) + " " + plugName(false);
            break;
        case 9: {
            text = "disconnectAttr nothing.tx nothing.ty";
            for (rdhost::Node* n : scene().nodes())
                for (const rdhost::Attr* at : n->attrs()) {
                    const int a = at->index;
                    if (n->source(a) && pick(4) == 0)
                        text = "disconnectAttr " + n->source(a).node->name + "." +
                               n->source(a).node->attrAt(n->source(a).attr)->longName + " " + n->name + "." +
                               at->longName;
                }
            break;
        }
        case 10:
            text = "currentTime " + std::to_string(1 + pick(20)) + "; setKeyframe " + plugName(true);
            break;
        case 11:
            text = pick(2) ? "parent " + nodeName() + " " + nodeName() : "parent -w " + nodeName();
            break;
        case 12:
            text = "rename " + nodeName() + " n" + std::to_string(pick(30));
            break;
        case 13: {
            // The slider's key toggle: the key and the toggle go together.
            std::string sliders;
            for (rdhost::Node* n : scene().nodes())
                if (n->type->name == "KelSliderManipulator") sliders = n->partialPathName();
            text = "setAttr " + (sliders.empty() ? std::string("nothing") : sliders) + ".KeyCurrentValue 1";
            break;
        }
        case 14:
            text = "getAttr " + plugName(false) + "; select " + nodeName();
            break;
        case 15: {
            // What animators do to keys once set.
            const std::string edits[] = {"keyTangent -itt linear -ott step ",
                                         "keyTangent -weightedTangents on ",
                                         "keyframe -e -relative -valueChange 2 ",
                                         "setInfinity -pri cycle ",
                                         "cutKey ",
                                         "setDrivenKeyframe -cd " + plugName(false) + " "};
            text = edits[pick(6)] + plugName(true);
            break;
        }
        default:
            text = "{ setAttr " + plugName(false) + " " + number() + "; createNode transform -n made; " +
                   "setAttr nothing.tx 1; }";
        }
        run(text);
        if (scene().undoQueue().undoCount() > static_cast<std::size_t>(changed)) ++changed;
    }
    ASSERT_GT(changed, 150) << "most edits changed the scene";
    const std::string end = save();
    const std::size_t steps = scene().undoQueue().undoCount();
    for (std::size_t i = 0; i < steps; ++i) ok("undo");
    EXPECT_EQ(save(), start);
    for (std::size_t i = 0; i < steps; ++i) ok("redo");
    EXPECT_EQ(save(), end);
}

}  // namespace
