// The attribute kit every node's initialize builds its attributes with: one
// row per attribute (one per colour), in table order. A row creates the
// attribute, sets its flags and limits and adds it through the node's own
// addAttribute; `affects` declares a dependency through its attributeAffects.
//
// The table latches: the first failure it examines prints that row's fixed
// line to stderr and turns every later row into a no-op that makes no host
// call, so initialize stops right there, the attributes added so far left in
// place, and returns status(). Which failures are examined, and with which
// line, belongs to each node's interface (scripts look for the lines), so
// every row says; the create failures always are.
#pragma once

#include <maya/MFnNumericData.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

#include <initializer_list>

namespace attrs {

// The fixed failure lines, printed literally: NAME and ATTR are not replaced.
inline constexpr const char* kNumericCreateError = "numeric attr create error";
inline constexpr const char* kDistanceCreateError = "distance attr create error";  // angles too
inline constexpr const char* kAddNameHashError = "addAttribute NAME##error";
inline constexpr const char* kAddNameError = "addAttribute NAME error";
inline constexpr const char* kAddAttrError = "addAttribute: ATTR";

// Hard limits, set before the add or, where a node has always done so, after
// it. The host honours them either way.
struct Limits {
    bool set = false;
    double min = 0.0;
    double max = 0.0;
    bool afterAdd = false;
};
inline constexpr Limits kNoLimits{};
constexpr Limits limits(double min, double max) { return {true, min, max, false}; }
constexpr Limits limitsAfterAdd(double min, double max) { return {true, min, max, true}; }

// An enum field as saved scenes know it: its name, spelled exactly, and its
// number.
struct EnumField {
    const char* name;
    short value;
};
using EnumFields = std::initializer_list<EnumField>;

// The handles of a colour: its three float channels and the compound.
struct ColourHandles {
    MObject& r;
    MObject& g;
    MObject& b;
    MObject& colour;
};

// A colour's long and short names, the compound's first. A channel's long
// name is the colour's followed by R, G or B.
struct ColourNames {
    const char* longName;
    const char* shortName;
    const char* rShortName;
    const char* gShortName;
    const char* bShortName;
};

class AttributeTable {
public:
    using AddFunction = MStatus (*)(const MObject& attribute);
    using AffectsFunction = MStatus (*)(const MObject& whenChanges, const MObject& isAffected);

    // The node's own addAttribute and attributeAffects: MPxNode's public
    // statics, which act on the node type whose initialize is running.
    AttributeTable(AddFunction add, AffectsFunction affects) : add_(add), affects_(affects) {}

    bool ok() const { return ok_; }
    MStatus status() const { return ok_ ? MStatus(MS::kSuccess) : MStatus(MS::kFailure); }

    // A keyable number. addError: the line a failed add prints.
    void number(MObject& handle, const char* longName, const char* shortName, MFnNumericData::Type type,
                double defaultValue, Limits limits = kNoLimits, const char* addError = kAddNameHashError);

    // A computed result: not keyable; a failed add prints kAddNameError.
    void output(MObject& handle, const char* longName, const char* shortName, MFnNumericData::Type type,
                double defaultValue, Limits limits = kNoLimits);

    // A number keyable while it is added and not afterwards; a failed add
    // prints kAddNameHashError.
    void numberKeyableUntilAdded(MObject& handle, const char* longName, const char* shortName,
                                 MFnNumericData::Type type, double defaultValue);

    // A key toggle: a keyable boolean made internal, so that the node hears of
    // each change a user makes to it (and of no other change).
    void toggle(MObject& handle, const char* longName, const char* shortName, double defaultValue);

    // A keyable distance or angle.
    void unit(MObject& handle, const char* longName, const char* shortName, MFnUnitAttribute::Type type,
              double defaultValue, Limits limits = kNoLimits);

    // A keyable string; a failed add prints kAddAttrError.
    void text(MObject& handle, const char* longName, const char* shortName, const char* defaultText);

    // A keyable enum. addError null: the add's result is not examined.
    void enumeration(MObject& handle, const char* longName, const char* shortName, short defaultValue,
                     EnumFields fields, const char* addError);

    // A compound over the three children added just before it, flagged as a
    // colour. Its creation and add results are not examined: the children
    // alone carry the values. The default goes to the children, in single or
    // double precision as given.
    void compound(MObject& handle, const char* longName, const char* shortName, const MObject& x,
                  const MObject& y, const MObject& z, float dx, float dy, float dz);
    void compound(MObject& handle, const char* longName, const char* shortName, const MObject& x,
                  const MObject& y, const MObject& z, double dx, double dy, double dz);

    // The three float channels of a colour, then the compound over them.
    // channelAddError: the line a channel's failed add prints.
    void colour(const ColourHandles& handles, const ColourNames& names, float r, float g, float b,
                const char* channelAddError = kAddNameHashError);

    // error null: the declaration's result is not examined.
    void affects(const MObject& whenChanges, const MObject& isAffected, const char* error = nullptr);

private:
    enum class Keyable { kYes, kNo, kUntilAdded };

    void numberRow(MObject& handle, const char* longName, const char* shortName, MFnNumericData::Type type,
                   double defaultValue, Limits limits, Keyable keyable, const char* addError);
    template <typename T>
    void compoundRow(MObject& handle, const char* longName, const char* shortName, const MObject& x,
                     const MObject& y, const MObject& z, T dx, T dy, T dz);
    bool check(const MStatus& status, const char* error);
    bool add(const MObject& handle, const char* error);

    AddFunction add_;
    AffectsFunction affects_;
    bool ok_ = true;
};

// The label attributes all three locators have, with the same names, types
// and failure lines; only the default text differs.
template <class Node>
void addLabelAttributes(AttributeTable& t, const char* defaultText) {
    t.number(Node::displayLabel, "displayLabel", "dlb", MFnNumericData::kBoolean, 1.0);
    t.text(Node::label, "label", "lab", defaultText);
    t.colour({Node::labelColorR, Node::labelColorG, Node::labelColorB, Node::labelColor},
             {"labelColor", "lc", "lcr", "lcg", "lcb"}, 0.0f, 0.0f, 0.7f);
}

}  // namespace attrs
