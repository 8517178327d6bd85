// Attributes of nodes whose type this host does not know (placeholders). Each
// placeholder learns, on its own type, every attribute its file sets or
// connects: a plain number, a tuple ("-type double3": a compound whose
// children are named NAME + x, y, z), or, for anything else (a matrix, a
// list, a multi range such as "ktv[0:3]"), the values' text with the file's
// -type and -s. getAttr reads them, setAttr changes them, connections reach
// them, and a save writes each once.
#pragma once

#include "command/registry.h"

#include <string>
#include <vector>

namespace rdhost::ma {

// The attribute a file's setAttr on the placeholder names, learned from the
// line when new; nullptr when the line cannot be held as a value (it carries
// no values).
Attr* learnFromValues(Scene& scene, Node* node, const std::string& path, const std::vector<cmd::Arg>& values,
                      const std::string& type);

// The attribute a connection reaches on the placeholder; when new, learned
// with the shape of `like` (the other end's attribute; a number when null).
Attr* learnFromConnection(Scene& scene, Node* node, const std::string& path, const Attr* like);

// A learned value held as text: its values as the file writes them.
bool isLearnedText(const Attr& attr);
std::string learnedText(const std::vector<cmd::Arg>& values);
// The setAttr line for a learned text value (no leading tab, no ';').
std::string learnedTextLine(Node* node, const Attr& attr);

// The attribute's value now, as a kept line notes it (text left empty).
RawStatement valueNow(Node* node, const Attr* attr);
bool sameValue(const RawStatement& a, const RawStatement& b);

}  // namespace rdhost::ma
