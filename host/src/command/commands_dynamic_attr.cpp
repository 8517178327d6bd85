// addAttr and deleteAttr: attributes a user adds to one node (a rig's
// controls carry their own channels: "smile", "blink", "side"). They are
// values like any other (getAttr, setAttr, connections, keys) and scene files
// hold them as the host writes them: an addAttr line after the createNode.
#include "command/attrs.h"
#include "command/dynamic_attrs.h"
#include "command/ma_format.h"
#include "command/registry.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <memory>

namespace rdhost::cmd {

namespace {

// MFnNumericData::Type values.
enum { kBoolean = 1, kByte = 2, kChar = 3, kShort = 4, kInt = 7, kFloat = 11, kDouble = 14 };

struct ScalarType {
    const char* name;
    AttrKind kind;
    int numericType;
};

const ScalarType kScalarTypes[] = {
    {"bool", AttrKind::Numeric, kBoolean},
    {"byte", AttrKind::Numeric, kByte},
    {"char", AttrKind::Numeric, kChar},
    {"short", AttrKind::Numeric, kShort},
    {"long", AttrKind::Numeric, kInt},
    {"float", AttrKind::Numeric, kFloat},
    {"double", AttrKind::Numeric, kDouble},
    {"doubleLinear", AttrKind::Distance, kDouble},
    {"doubleAngle", AttrKind::Angle, kDouble},
    {"time", AttrKind::Time, kDouble},
    {"enum", AttrKind::Enum, 0},
};

// The compounds of numbers addAttr makes with -numberOfChildren and children
// given -parent: the children's type as their own -at must name it.
const char* kCompoundTypes[] = {"double2", "double3", "float2", "float3",
                                "long2",   "long3",   "short2", "short3"};

const ScalarType* scalarType(const std::string& name) {
    for (const ScalarType& t : kScalarTypes)
        if (name == t.name) return &t;
    return nullptr;
}

bool isCompoundType(const std::string& name) {
    return std::find(std::begin(kCompoundTypes), std::end(kCompoundTypes), name) != std::end(kCompoundTypes);
}

std::string knownTypes() {
    std::string s;
    for (const ScalarType& t : kScalarTypes) s += std::string(s.empty() ? "" : ", ") + t.name;
    for (const char* t : kCompoundTypes) s += std::string(", ") + t;
    return s + "; or -dataType \"string\"";
}

bool validAttrName(const std::string& n) {
    if (n.empty() || std::isdigit(static_cast<unsigned char>(n[0]))) return false;
    for (char c : n)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
    return true;
}

std::string nodeLabel(const Node* n) { return n->isDag() ? n->partialPathName() : n->name; }

// A compound given -numberOfChildren waits for its children (each named with
// -parent), as in the host: it joins the node with its last child.
struct PendingCompound {
    std::unique_ptr<Attr> compound;
    std::string childType;  // "double" for double3...
    std::size_t expected = 0;
    std::vector<std::unique_ptr<Attr>> children;
};

class PendingCompounds final : public SceneExtension, public SceneObserver {
public:
    explicit PendingCompounds(Scene& scene) : scene_(scene) { scene_.addObserver(this); }
    ~PendingCompounds() override { scene_.removeObserver(this); }
    void nodeDeleting(Node* n) override { byNode.erase(n); }
    void sceneClosing() override { byNode.clear(); }

    std::map<Node*, std::vector<PendingCompound>> byNode;

private:
    Scene& scene_;
};

bool nameTaken(Scene& scene, Node* n, const std::string& name) {
    if (name.empty()) return false;
    if (n->findAttr(name)) return true;
    auto& pending = scene.extension<PendingCompounds>().byNode;
    auto it = pending.find(n);
    if (it == pending.end()) return false;
    for (const PendingCompound& p : it->second) {
        if (p.compound->longName == name || p.compound->shortName == name) return true;
        for (const auto& c : p.children)
            if (c->longName == name || c->shortName == name) return true;
    }
    return false;
}

// "Off:On:Auto" or "Low=1:High=10": the fields, each one more than the one
// before unless it says its value.
std::vector<std::pair<std::string, int>> enumFields(const Invocation& inv, const std::string& text) {
    std::vector<std::pair<std::string, int>> out;
    int next = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find(':', at);
        if (end == std::string::npos) end = text.size();
        std::string field = text.substr(at, end - at);
        at = end + 1;
        if (field.empty()) {
            if (end == text.size()) break;
            inv.fail("-enumName '" + clipInput(text) + "' has an empty field");
        }
        std::size_t eq = field.find('=');
        if (eq != std::string::npos) {
            const std::string v = field.substr(eq + 1);
            char* stop = nullptr;
            const long value = std::strtol(v.c_str(), &stop, 10);
            if (v.empty() || *stop != '\0' || value < -32768 || value > 32767)
                inv.fail("-enumName field '" + clipInput(field) + "' needs a whole number after '='");
            next = static_cast<int>(value);
            field = field.substr(0, eq);
        }
        for (const auto& [name, value] : out)
            if (name == field) inv.fail("-enumName names the field '" + clipInput(field) + "' twice");
        out.emplace_back(field, next++);
    }
    if (out.empty()) inv.fail("-enumName gives no fields");
    return out;
}

bool flagBool(const Invocation& inv, const char* flag, bool fallback) {
    if (!inv.has(flag)) return fallback;
    const Arg& v = (*inv.flag(flag))[0];
    if (!v.isNumber())
        inv.fail(std::string("flag -") + flag + " expects on or off, got '" + clipInput(v.text) + "'");
    return v.number != 0.0;
}

// The attribute the flags describe, not yet on any node. A number given in
// UI units (degrees for doubleAngle) is checked to be finite.
std::unique_ptr<Attr> describe(const Invocation& inv, const std::string& type, bool isString) {
    auto a = std::make_unique<Attr>();
    a->longName = inv.has("longName") ? inv.flagText("longName") : inv.flagText("shortName");
    a->shortName = inv.has("shortName") ? inv.flagText("shortName") : a->longName;
    for (const std::string& n : {a->longName, a->shortName})
        if (!validAttrName(n)) inv.fail("'" + clipInput(n) + "' is not a valid attribute name");
    if (isString) {
        a->kind = AttrKind::String;
    } else if (isCompoundType(type)) {
        a->kind = AttrKind::Compound;
    } else {
        const ScalarType* t = scalarType(type);
        a->kind = t->kind;
        a->numericType = t->numericType;
    }
    a->keyable = flagBool(inv, "keyable", false);
    a->hidden = flagBool(inv, "hidden", false);
    a->readable = flagBool(inv, "readable", true);
    a->writable = flagBool(inv, "writable", true);
    a->storable = flagBool(inv, "storable", true);
    a->usedAsColor = inv.has("usedAsColor");
    a->channelBox = false;
    if (inv.has("niceName")) a->niceName = inv.flagText("niceName");
    if (a->kind == AttrKind::Enum) {
        if (!inv.has("enumName")) inv.fail("an enum needs its fields: give -enumName \"A:B:C\"");
        a->enumFields = enumFields(inv, inv.flagText("enumName"));
    } else if (inv.has("enumName")) {
        inv.fail("-enumName is only for -attributeType \"enum\"");
    }
    if (a->kind == AttrKind::String || a->kind == AttrKind::Compound) {
        for (const char* f : {"minValue", "maxValue", "defaultValue", "softMinValue", "softMaxValue"})
            if (inv.has(f))
                inv.fail("-" + std::string(f) + " does not apply to a " + (isString ? "string" : type));
        return a;
    }
    auto number = [&](const char* flag) {
        const double v = inv.flagNumber(flag);
        if (!std::isfinite(v)) inv.fail("-" + std::string(flag) + " must be a finite number");
        return normalize(*a, fromUi(*a, v));
    };
    if (inv.has("minValue") && flagBool(inv, "hasMinValue", true)) {
        a->hasMin = true;
        a->minValue = number("minValue");
    }
    if (inv.has("maxValue") && flagBool(inv, "hasMaxValue", true)) {
        a->hasMax = true;
        a->maxValue = number("maxValue");
    }
    if (inv.has("softMinValue")) {
        a->hasSoftMin = true;
        a->softMinValue = number("softMinValue");
    }
    if (inv.has("softMaxValue")) {
        a->hasSoftMax = true;
        a->softMaxValue = number("softMaxValue");
    }
    if (a->hasMin && a->hasMax && a->minValue > a->maxValue)
        inv.fail("-minValue " + Value::real(toUi(*a, a->minValue)).text() + " is above -maxValue " +
                 Value::real(toUi(*a, a->maxValue)).text());
    if (inv.has("defaultValue")) a->defaultValue = number("defaultValue");
    if (a->kind == AttrKind::Enum && !inv.has("defaultValue")) a->defaultValue = a->enumFields.front().second;
    if (a->kind == AttrKind::Enum) {
        bool field = false;
        for (const auto& f : a->enumFields) field = field || f.second == a->defaultValue;
        if (!field)
            inv.fail("-defaultValue " + numberValue(*a, a->defaultValue).text() +
                     " is not a field of the enum");
    }
    if ((a->hasMin && a->defaultValue < a->minValue) || (a->hasMax && a->defaultValue > a->maxValue))
        inv.fail("-defaultValue " + numberValue(*a, a->defaultValue).text() +
                 " is outside -minValue/-maxValue");
    return a;
}

Value addAttr(Invocation& inv) {
    for (const char* f : {"multi", "indexMatters", "edit", "query"})
        if (inv.has(f)) inv.fail("-" + std::string(f) + " is not supported");
    if (!inv.has("longName") && !inv.has("shortName"))
        inv.fail("give the attribute's -longName or -shortName");
    std::vector<Node*> nodes;
    for (const Arg& a : inv.args) nodes.push_back(findNodeOrFail(inv.scene, a.text, inv.command));
    if (inv.args.empty()) nodes = inv.scene.selection();
    if (nodes.empty()) inv.fail("nothing to add the attribute to: give a node or select one");

    const std::vector<std::string> dataTypes = inv.flagTexts("dataType");
    if (!dataTypes.empty() && inv.has("attributeType"))
        inv.fail("give -attributeType or -dataType, not both");
    for (const std::string& t : dataTypes)
        if (t != "string")
            inv.fail("data type '" + clipInput(t) + "' is not supported (types: " + knownTypes() + ")");
    const bool isString = !dataTypes.empty();
    const std::string type = inv.has("attributeType") ? inv.flagText("attributeType") : "double";
    if (!isString && !scalarType(type) && !isCompoundType(type))
        inv.fail("attribute type '" + clipInput(type) + "' is not supported (types: " + knownTypes() + ")");
    if (isCompoundType(type)) {
        const int n = static_cast<int>(type.back() - '0');
        if (inv.has("numberOfChildren") && inv.flagNumber("numberOfChildren") != n)
            inv.fail("a " + type + " has " + std::to_string(n) + " children, not " +
                     Value::real(inv.flagNumber("numberOfChildren")).text());
    }
    const std::string parentName = inv.has("parent") ? inv.flagText("parent") : "";

    // Everything is checked on every node before any node changes.
    auto& pending = inv.scene.extension<PendingCompounds>().byNode;
    std::vector<PendingCompound*> parents;
    for (Node* n : nodes) {
        auto probe = describe(inv, type, isString);
        for (const std::string& name : {probe->longName, probe->shortName})
            if (nameTaken(inv.scene, n, name))
                inv.fail("'" + nodeLabel(n) + "' already has an attribute named '" + name + "'");
        if (parentName.empty()) {
            parents.push_back(nullptr);
            continue;
        }
        PendingCompound* parent = nullptr;
        for (PendingCompound& p : pending[n])
            if (p.compound->longName == parentName || p.compound->shortName == parentName) parent = &p;
        if (!parent) {
            const Attr* existing = n->findAttr(parentName);
            inv.fail(existing ? "'" + nodeLabel(n) + "." + parentName + "' already has all its children"
                              : "'" + nodeLabel(n) + "' has no compound '" + parentName +
                                    "' waiting for children");
        }
        if (isString || isCompoundType(type) || type != parent->childType)
            inv.fail("the children of '" + parent->compound->longName + "' are -attributeType \"" +
                     parent->childType + "\", not \"" + (isString ? "string" : type) + "\"");
        parents.push_back(parent);
    }

    for (std::size_t i = 0; i < nodes.size(); ++i) {
        Node* n = nodes[i];
        auto attr = describe(inv, type, isString);
        if (isCompoundType(type)) {
            PendingCompound p;
            p.childType = type.substr(0, type.size() - 1);
            p.expected = static_cast<std::size_t>(type.back() - '0');
            p.compound = std::move(attr);
            pending[n].push_back(std::move(p));
            continue;
        }
        if (!parents[i]) {
            n->addDynamicAttr(std::move(attr));
            continue;
        }
        PendingCompound* parent = parents[i];
        parent->children.push_back(std::move(attr));
        if (parent->children.size() < parent->expected) continue;
        // Complete: the compound joins the node now, children after it.
        auto& list = pending[n];
        auto at =
            std::find_if(list.begin(), list.end(), [&](const PendingCompound& p) { return &p == parent; });
        PendingCompound done = std::move(*at);
        list.erase(at);
        n->addDynamicAttr(std::move(done.compound), std::move(done.children));
    }
    return Value::none();
}

Value deleteAttr(Invocation& inv) {
    PlugPath p;
    if (inv.has("attribute")) {
        if (inv.args.size() != 1) inv.fail("expects one node with -attribute");
        p.node = findNodeOrFail(inv.scene, inv.args[0].text, inv.command);
        p.attr = p.node->findAttr(inv.flagText("attribute"));
        if (!p.attr)
            inv.fail("'" + nodeLabel(p.node) + "' has no attribute '" + clipInput(inv.flagText("attribute")) +
                     "'");
    } else {
        if (inv.args.size() != 1) inv.fail("expects one plug (node.attribute)");
        p = resolvePlug(inv.scene, inv.args[0].text, inv.command);
    }
    if (!p.attr->dynamic)
        inv.fail("'" + p.name() + "' belongs to the node type " + p.node->type->name +
                 "; only attributes added with addAttr can be deleted");
    if (p.attr->parent)
        inv.fail("'" + p.name() + "' is a child of '" + PlugPath{p.node, p.attr->parent}.name() +
                 "'; delete the compound");
    const std::string locked = lockProblem(p);
    if (!locked.empty()) inv.fail(locked + "; it cannot be deleted");
    inv.scene.removeDynamicAttr(p.node, p.attr);
    return Value::none();
}

std::string number(const Attr& a, double internal) {
    if (a.kind == AttrKind::Angle) return ma::formatAngle(internal);
    return numberValue(a, internal).text();
}

const Registrar regs[] = {
    Registrar{{"addAttr",
               {{"longName", "ln", 1},
                {"shortName", "sn", 1},
                {"attributeType", "at", 1},
                {"dataType", "dt", 1},
                {"defaultValue", "dv", 1},
                {"minValue", "min", 1},
                {"maxValue", "max", 1},
                {"hasMinValue", "hnv", 1},
                {"hasMaxValue", "hxv", 1},
                {"softMinValue", "smn", 1},
                {"softMaxValue", "smx", 1},
                {"keyable", "k", 1},
                {"hidden", "h", 1},
                {"readable", "r", 1},
                {"writable", "w", 1},
                {"storable", "s", 1},
                {"enumName", "en", 1},
                {"niceName", "nn", 1},
                {"parent", "p", 1},
                {"numberOfChildren", "nc", 1},
                {"usedAsColor", "uac", 0},
                {"cachedInternally", "ci", 1},
                {"disconnectBehaviour", "dcb", 1},
                {"multi", "m", 0},
                {"indexMatters", "im", 1},
                {"edit", "e", 0},
                {"query", "q", 0}},
               addAttr,
               "addAttr -longName NAME [-shortName SN] [-attributeType bool|byte|char|short|long|float|"
               "double|doubleLinear|doubleAngle|time|enum|double3|float3|long3|short3|double2|float2|"
               "long2|short2 | -dataType \"string\"] [-defaultValue V] [-minValue V] [-maxValue V] "
               "[-softMinValue V] [-softMaxValue V] [-keyable B] [-hidden B] [-enumName \"A:B=5\"] "
               "[-niceName N] [-numberOfChildren N] [-parent COMPOUND] [-usedAsColor] [NODE...]  (the "
               "selection when no node is given; a compound joins the node with its last child)",
               "none"}},
    Registrar{{"deleteAttr",
               {{"attribute", "at", 1}},
               deleteAttr,
               "deleteAttr NODE.ATTR | deleteAttr -attribute ATTR NODE  (attributes added with addAttr only; "
               "their connections are broken)",
               "none"}},
};

}  // namespace

std::string addAttrStatement(const Attr& a) {
    std::string s = "addAttr";
    if (!a.readable) s += " -r false";
    if (!a.writable) s += " -w false";
    if (!a.storable) s += " -s false";
    s += " -ci true";
    if (a.usedAsColor) s += " -uac";
    if (a.hidden) s += " -h true";
    if (a.keyable) s += " -k true";
    s += " -sn " + ma::quote(a.shortName) + " -ln " + ma::quote(a.longName);
    if (!a.niceName.empty()) s += " -nn " + ma::quote(a.niceName);
    if (a.kind == AttrKind::String) return s + " -dt \"string\";";
    if (a.kind == AttrKind::Compound) {
        return s + " -at " + ma::quote(attrTypeName(a)) + " -nc " + std::to_string(a.children.size()) + ";";
    }
    if (a.defaultValue != 0.0 && a.kind != AttrKind::Enum) s += " -dv " + number(a, a.defaultValue);
    if (a.kind == AttrKind::Enum && a.defaultValue != a.enumFields.front().second)
        s += " -dv " + number(a, a.defaultValue);
    if (a.hasMin) s += " -min " + number(a, a.minValue);
    if (a.hasMax) s += " -max " + number(a, a.maxValue);
    if (a.hasSoftMin) s += " -smn " + number(a, a.softMinValue);
    if (a.hasSoftMax) s += " -smx " + number(a, a.softMaxValue);
    if (a.kind == AttrKind::Enum) {
        std::string fields;
        int next = 0;
        for (const auto& [name, value] : a.enumFields) {
            fields += (fields.empty() ? "" : ":") + name;
            if (value != next) fields += "=" + std::to_string(value);
            next = value + 1;
        }
        s += " -en " + ma::quote(fields);
    }
    s += " -at " + ma::quote(attrTypeName(a));
    if (a.parent) s += " -p " + ma::quote(a.parent->longName);
    return s + ";";
}

void copyDynamicAttrs(const Node& from, Node& to) {
    for (const Attr* a : from.attrs()) {
        if (!a->dynamic || a->removed || a->parent) continue;
        auto copy = std::make_unique<Attr>(*a);
        copy->index = -1;
        std::vector<std::unique_ptr<Attr>> children;
        for (const Attr* c : a->children) {
            children.push_back(std::make_unique<Attr>(*c));
            children.back()->index = -1;
        }
        to.addDynamicAttr(std::move(copy), std::move(children));
    }
}

}  // namespace rdhost::cmd
