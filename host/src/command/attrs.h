// Plugs as commands see them: "node.attr" resolution with errors that name the
// thing, UI units (degrees, centimetres) and values as command results.
// Shared by the built-in commands and by the other modules' commands
// (setKeyframe, showManip, ...).
#pragma once

#include "command/registry.h"

#include <optional>
#include <string>
#include <vector>

namespace rdhost::cmd {

struct PlugPath {
    Node* node = nullptr;
    Attr* attr = nullptr;
    PlugRef ref() const { return PlugRef{node, attr ? attr->index : -1}; }
    std::string name() const;  // "loc1.radius": node's partial path, attribute long name
};

// A node by name or DAG path; a leading ':' (root namespace, as scene files
// write it) is ignored. Throws HostError "CMD: no node named 'x'".
Node* findNodeOrFail(Scene& scene, const std::string& name, const std::string& cmd);

// -type T of ls, listRelatives and listConnections: a node of type T and,
// unless exact, of the types derived from it as the host's type tree has
// them (dependNode, dagNode, transform, shape, locator, animCurve).
bool typeMatches(const Node* node, const std::string& wanted, bool exact = false);

// "node.attr" with a long or short attribute name (compound children too).
// Throws HostError naming the node or the attribute that does not exist.
PlugPath resolvePlug(Scene& scene, const std::string& text, const std::string& cmd);

// The attribute's name for a type query: "float", "double3", "enum", "string",
// "doubleLinear", "doubleAngle", "bool", "short", "long", ...
std::string attrTypeName(const Attr& attr);

// Numbers a command gives and takes for the attribute, and the stored ones.
bool isNumericKind(const Attr& attr);  // numeric, unit or enum (not compound)
double toUi(const Attr& attr, double internal);
double fromUi(const Attr& attr, double ui);

// The stored number held as the attribute's own type: floats rounded to float,
// integers and enums rounded to whole numbers, booleans to 0/1.
double normalize(const Attr& attr, double internal);

// A number as a command result for the attribute, in UI units.
Value numberValue(const Attr& attr, double internal);

// getAttr's result: number, string, or the three children of a compound.
// Pulls (computes dirty outputs).
Value readPlug(const PlugPath& plug);

// Why a lock stops a change of the plug's value, empty when none does: "'g.tx'
// is locked", or "... (its parent 'g.t' is locked)" (a compound's lock covers
// its children), or "... (its child 'g.tx' is locked)" (setting a compound
// sets its children).
std::string lockProblem(const PlugPath& plug);

// True when the attribute, its compound parent or one of its children is driven
// by a connection from something other than an anim curve; *by names the source.
bool drivenByNonAnim(const PlugPath& plug, std::string* by);

// Connects src to dst as the host does: between an angle and a number that is
// not one, through a unitConversion node made for it (unitConversionN) whose
// conversionFactor turns the one unit into the other. The caller has checked
// the plugs. Throws HostError.
void connectPlugs(Scene& scene, const PlugPath& src, const PlugPath& dst, bool force);

// What feeds dst, seen through a unitConversion node between them (its
// input's source); a null ref when nothing does.
PlugRef upstreamOf(const PlugPath& dst);

}  // namespace rdhost::cmd

namespace rdhost::cmd {

// One number for one numeric attribute (not a compound), as setAttr takes it:
// UI units converted, refused with HostError("CMD: ...") when it is not a
// finite number, does not fit the attribute's type or is not an enum field;
// clamped to hard limits with a warning added to warnings. Returns the number
// to store (internal units, rounded to the attribute's type).
double checkedNumber(const PlugPath& plug, const Arg& value, const std::string& cmd,
                     std::vector<std::string>& warnings);

// setAttr's work on a resolved plug, shared with the scene reader: validates
// every value first (count, type, finiteness, enum fields, a driving
// connection, a lock), clamps to hard limits with a warning, then stores. type
// is the -type value or "". The scene reader passes honourLocks false: a file
// restores a locked plug's value (the host writes "setAttr -l on .tx 5").
// Throws HostError("CMD: ...") without changing anything.
void setPlugValues(Scene& scene, const PlugPath& plug, const std::vector<Arg>& values,
                   const std::string& type, const std::string& cmd, bool honourLocks = true);

// A run of a multi's elements as setAttr names it: "i1[0:2]".
struct ElementRange {
    std::string multi;  // "i1"
    int first = 0, last = 0;
    std::string element(int i) const { return multi + "[" + std::to_string(i) + "]"; }
};

// The run a path names, or nullopt when it names none ("i1[2]", "t").
std::optional<ElementRange> elementRange(const std::string& path);

// What each element of the run is like (the multi, or for a type whose
// elements are attributes of their own, the first one); nullptr when the node
// has no such multi, or it holds matrices.
const Attr* rangeTemplate(Scene& scene, Node* node, const ElementRange& range);

// setAttr of a run, "setAttr -s 3 pma.i1[0:2] 1 2 3": the values in equal
// shares, one element's worth each in index order (a compound element takes
// its children's values), each share set as setPlugValues sets it. The
// elements are made on first use. Throws HostError when the node has no such
// multi or the values do not share out; a share that fails leaves the
// elements set before it as they were. Returns the elements set.
std::vector<PlugPath> setRangeValues(Scene& scene, Node* node, const ElementRange& range,
                                     const std::vector<Arg>& values, const std::string& type,
                                     const std::string& cmd, bool honourLocks = true);

}  // namespace rdhost::cmd
