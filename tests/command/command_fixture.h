// A scene with an interpreter attached, and a snapshot of the whole scene to
// show that a failed command changed nothing.
#pragma once

#include "interpreter_fixture.h"

#include <sstream>
#include <string>

class CommandFixture : public InterpreterFixture {
protected:
    // Everything a command could change: nodes, values, connections, DAG,
    // selection, loaded plug-ins, plug states. Values are read as stored (no
    // evaluation).
    std::string snapshot() {
        std::ostringstream s;
        s.precision(17);
        for (const auto& p : scene().plugins()) s << "plugin " << p->name << "\n";
        for (rdhost::Node* n : scene().nodes()) {
            s << "node " << n->name << " " << (n->type ? n->type->name : "?") << " parent "
              << (n->parent ? n->parent->name : "-") << "\n";
            // Added attributes that are gone (deleteAttr, an undone addAttr)
            // keep their slots out of sight.
            for (const rdhost::Attr* a : n->attrs()) {
                if (a->removed) continue;
                const int i = a->index;
                s << "  " << a->longName << " " << i << " " << n->storedNumber(i) << " '"
                  << n->storedString(i) << "' " << int(n->plugStateBits(i));
                if (n->source(i)) s << " <- " << n->source(i).node->name << "." << n->source(i).attr;
                s << "\n";
            }
        }
        s << "selection";
        for (rdhost::Node* n : scene().selection()) s << " " << n->name;
        s << "\n";
        return s.str();
    }
};
