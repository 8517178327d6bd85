// Attributes added to one node by addAttr (and removed by deleteAttr), and
// the addAttr statement a scene file holds for each, as the host writes it.
#pragma once

#include "graph/scene.h"

#include <string>

namespace rdhost::cmd {

// "addAttr -ci true -k true -sn "w" -ln "weight" -dv 1 -min 0 -at "double";"
// (no leading tab, no newline). A compound's children follow it with -p.
std::string addAttrStatement(const Attr& attr);

// Gives `to` (a new node of the same type) every attribute addAttr added to
// `from`, at their defaults, in the same order.
void copyDynamicAttrs(const Node& from, Node& to);

}  // namespace rdhost::cmd
