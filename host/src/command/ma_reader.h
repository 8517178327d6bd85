// Reads a Maya ASCII scene into the (cleared) scene, in file mode: what this
// host does not model is kept, not refused, and a file is data: reading it
// runs only the statements scene files are made of.
//
//  - createNode of a known type makes the node; of an unknown type a
//    placeholder that keeps its type name, -s flag and every statement that
//    follows for it (setAttr, addAttr, lockNode, rename -uid) verbatim.
//  - setAttr on a known attribute sets it (UI units, clamped to hard limits
//    with a warning); on an attribute the type lacks, or an element of a multi
//    (".uvst[0].uvsn"), it is kept verbatim with a warning naming node and
//    attribute. -l/-k/-cb on a known attribute set its plug's lock, keyable
//    and channel box states.
//  - connectAttr between known plugs connects; anything touching a
//    placeholder, a host default node we lack or an unknown attribute is kept.
//  - requires loads the plug-in when it is on the plug-in path (a plain name
//    only), else warns and keeps the line; fileInfo, relationship, file
//    references, settings of default nodes ("select -ne :time1;" and what
//    follows) are kept; the time node's ".o" sets the current time (":time1"
//    is always the host's time node, never a user's node named time1);
//    currentUnit other than centimetres and degrees is reported.
//  - parent, rename and disconnectAttr run in file context.
//  - Nothing else runs: any other statement (evalDeferred, loadPlugin,
//    playblast, file -save, print, commands nobody knows) is kept as written,
//    so a save writes it back, and reported with its line.
//  - A flag a statement does not take in files is reported with the line;
//    a setAttr or connectAttr carrying one is kept as written, not applied
//    (its values could otherwise shift into the wrong places).
//
// The first damage (syntax, a value that does not fit a known attribute, a
// missing parent) stops the reading: what was read before stays, and
// HostError is thrown naming the file and line.
#pragma once

#include "graph/scene.h"

#include <string>

namespace rdhost::ma {

// file -import: the file's nodes join the scene; a name the scene has
// already is given the prefix ("face_ctrl"), every name with renameAll. The
// file's header, references and time are not taken.
struct ImportOptions {
    std::string prefix;  // the file's name without its extension, unless -renamingPrefix
    bool renameAll = false;
};

// `displayName` names the file in messages. Throws HostError.
void readScene(Scene& scene, const std::string& text, const std::string& displayName,
               const ImportOptions* import = nullptr);

// True for the commands that reading a scene file hands to the interpreter
// (parent, rename, disconnectAttr); no other registered command ever runs
// while a file is read.
bool runsFromSceneFiles(const std::string& command);

// Deletes every node and forgets the kept file lines; the current time goes
// back to 1, as in a new scene. Plug-ins stay loaded.
void clearScene(Scene& scene);

}  // namespace rdhost::ma
