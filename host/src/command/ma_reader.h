// Reads a Maya ASCII scene into the (cleared) scene, in file mode: what this
// host does not model is kept, not refused.
//
//  - createNode of a known type makes the node; of an unknown type a
//    placeholder that keeps its type name, -s flag and every statement that
//    follows for it (setAttr, addAttr, lockNode, rename -uid) verbatim.
//  - setAttr on a known attribute sets it (UI units, clamped to hard limits
//    with a warning); on an attribute the type lacks, or an element of a multi
//    (".uvst[0].uvsn"), it is kept verbatim with a warning naming node and
//    attribute. -k/-l/-cb on a known attribute are kept as a flag-only line.
//  - connectAttr between known plugs connects; anything touching a
//    placeholder, a host default node we lack or an unknown attribute is kept.
//  - requires loads the plug-in when it is on the plug-in path (a plain name
//    only), else warns and keeps the line; fileInfo, relationship, settings of
//    default nodes ("select -ne :time1;" and what follows) are kept; the time
//    node's ".o" sets the current time; currentUnit other than centimetres and
//    degrees is reported.
//  - Other commands the interpreter knows run in file context; unknown ones
//    are warnings and skipped.
//
// The first damage (syntax, a value that does not fit a known attribute, a
// missing parent) stops the reading: what was read before stays, and
// HostError is thrown naming the file and line.
#pragma once

#include "graph/scene.h"

#include <string>

namespace rdhost::ma {

// `displayName` names the file in messages. Throws HostError.
void readScene(Scene& scene, const std::string& text, const std::string& displayName);

// Deletes every node and forgets the kept file lines; the current time goes
// back to 1, as in a new scene. Plug-ins stay loaded.
void clearScene(Scene& scene);

}  // namespace rdhost::ma
