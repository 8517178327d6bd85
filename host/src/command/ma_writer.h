// Writes a scene as Maya ASCII, the way the host writes it:
//
//   //Maya ASCII 2024 scene, //Name:, //Codeset: UTF-8
//   requires maya "2024"; requires of the loaded plug-ins whose nodes are in
//   the scene; requires kept from the file read
//   currentUnit -l centimeter -a degree -t film; fileInfo kept from the file
//   per node, parents before children, otherwise in creation order:
//     createNode TYPE [-s] -n "NAME" [-p "PARENT"];
//     the statements kept verbatim for it, then one setAttr per storable
//     attribute whose value differs from its default (short names, UI units,
//     -type where the host writes one; compounds as their three children),
//     then the keys of an anim curve (".ktv[0:N-1]")
//   select -ne :time1; with the current time, then kept default-node settings
//   connectAttr for every connection, then kept connections and relationships
//   // End of NAME
//
// Numbers are written so that they read back to the identical stored value.
// Names and texts can never change what the file says: the file name in the
// comment lines is escaped, names are quoted unless plain words, and kept
// statements were read as whole statements.
// Placeholder nodes write back exactly the statements read for them.
#pragma once

#include "graph/scene.h"

#include <string>

namespace rdhost::ma {

// `fileName` is the name the header and footer give (the file's base name).
// Values that are not finite cannot be read back; they are left out with a
// warning naming the plug.
std::string writeScene(Scene& scene, const std::string& fileName);

// The setAttr value text of a plug that differs from its default, e.g.
// "-type \"double3\" 1 2 3" or "yes"; empty when the value is the default or
// cannot be written.
std::string attributeValueText(Node* node, const Attr& attr);

}  // namespace rdhost::ma
