// What a scene keeps for its file beyond nodes and connections: its name, and
// the lines of the last file read that this host does not model but must write
// back unchanged (requires of plug-ins it does not have, fileInfo, settings of
// the host's default nodes, connections and relationships that touch
// placeholders or attributes it does not know).
#pragma once

#include "graph/scene.h"

#include <string>
#include <vector>

namespace rdhost::ma {

// A statement kept verbatim outside of any node, with the nodes it names so it
// can be dropped once one of them is deleted.
struct KeptStatement {
    std::string text;
    std::vector<std::string> nodes;  // names as they appear (without ':'), may be empty
};

// "select -ne :name;" followed by the statements that applied to it.
struct DefaultNodeBlock {
    std::string node;                // as written, ":time1"
    std::vector<std::string> lines;  // verbatim statements
};

struct FileState : SceneExtension {
    std::string sceneName;  // path given by -rename, -open or -save; empty: untitled
    std::vector<KeptStatement>
    requires;                                // requires of plug-ins not loaded here (nodes: the plug-in)
    std::vector<std::string> header;         // fileInfo, dataStructure... after currentUnit
    std::vector<DefaultNodeBlock> defaults;  // settings of default nodes this host lacks
    std::vector<KeptStatement> trailing;     // connectAttr, relationship... after the connections

    void clear() { *this = FileState{}; }
};

// The scene's file state, a scene extension made on first use.
FileState& fileState(Scene& scene);

}  // namespace rdhost::ma
