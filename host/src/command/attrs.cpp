#include "command/attrs.h"

#include "command/foreign_attrs.h"
#include "command/ma_format.h"

#include <maya/MPxNode.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace rdhost::cmd {

namespace {

constexpr double kPi = 3.14159265358979323846;

// MFnNumericData::Type values.
enum NumericType {
    kBoolean = 1,
    kByte = 2,
    kChar = 3,
    kShort = 4,
    kInt = 7,
    kFloat = 11,
    k3Float = 13,
    kDouble = 14,
    k3Double = 16
};

bool isIntegral(const Attr& a) {
    if (a.kind == AttrKind::Enum) return true;
    if (a.kind != AttrKind::Numeric) return false;
    switch (a.numericType) {
    case kBoolean:
    case kByte:
    case kChar:
    case kShort:
    case kInt:
        return true;
    default:
        return false;
    }
}

}  // namespace

std::string PlugPath::name() const {
    if (!node || !attr) return "";
    return (node->isDag() ? node->partialPathName() : node->name) + "." + attr->longName;
}

Node* findNodeOrFail(Scene& scene, const std::string& name, const std::string& cmd) {
    std::string n = name;
    if (!n.empty() && n[0] == ':') n.erase(0, 1);
    Node* node = n.empty() ? nullptr : scene.findNode(n);
    if (!node) throw HostError(cmd + ": no node named '" + clipInput(name) + "'");
    return node;
}

bool typeMatches(const Node* n, const std::string& wanted, bool exact) {
    const bool placeholder = !n->unknownTypeName.empty();
    const std::string t = placeholder ? n->unknownTypeName : n->type->name;
    if (t == wanted) return true;
    if (exact) return false;
    const bool shape = n->isDag() && !n->type->isTransform;
    if (wanted == "dependNode") return true;
    if (wanted == "dagNode") return n->isDag();
    if (wanted == "shape") return shape;
    if (wanted == "animCurve") return t.rfind("animCurve", 0) == 0;
    if (wanted == "transform") return n->isDag() && n->type->isTransform && !placeholder;
    // A plug-in's locators are locators too.
    if (wanted == "locator")
        return shape && !placeholder && n->type->plugin && n->type->kind == MPxNode::kLocatorNode;
    return false;
}

PlugPath resolvePlug(Scene& scene, const std::string& text, const std::string& cmd) {
    // The node part may hold '.' only before its last '|'-separated name.
    size_t bar = text.rfind('|');
    size_t dot = text.find('.', bar == std::string::npos ? 0 : bar);
    if (dot == std::string::npos || dot == 0 || dot + 1 >= text.size())
        throw HostError(cmd + ": '" + clipInput(text) + "' is not a plug (expected node.attribute)");
    std::string nodeName = text.substr(0, dot);
    std::string attrName = text.substr(dot + 1);
    PlugPath p;
    p.node = findNodeOrFail(scene, nodeName, cmd);
    // "t.tx" style paths name a child through its parent; "input1D[2]" an
    // element of a multi, made on first use.
    p.attr = scene.resolveAttribute(p.node, attrName, true);
    if (!p.attr || p.attr->array)
        throw HostError(cmd + ": '" + clipInput(nodeName) + "' has no attribute '" + clipInput(attrName) +
                        "'" + (p.attr ? " (it is a multi: name an element, " + attrName + "[0])" : ""));
    return p;
}

std::string attrTypeName(const Attr& a) {
    switch (a.kind) {
    case AttrKind::Distance:
        return "doubleLinear";
    case AttrKind::Angle:
        return "doubleAngle";
    case AttrKind::Time:
        return "time";
    case AttrKind::String:
        return "string";
    case AttrKind::Enum:
        return "enum";
    case AttrKind::Matrix:
        return "matrix";
    case AttrKind::Compound: {
        if (a.matrix) return "matrix";
        // Named by the children's type: float3, double3, long2, short3...
        bool allFloat = !a.children.empty(), allLong = allFloat, allShort = allFloat;
        for (const Attr* c : a.children) {
            const bool numeric = c->kind == AttrKind::Numeric;
            allFloat = allFloat && numeric && c->numericType == kFloat;
            allLong = allLong && numeric && c->numericType == kInt;
            allShort = allShort && numeric && c->numericType == kShort;
        }
        const std::string n = std::to_string(a.children.size());
        return (allFloat ? "float" : allLong ? "long" : allShort ? "short" : "double") + n;
    }
    case AttrKind::Numeric:
        switch (a.numericType) {
        case kBoolean:
            return "bool";
        case kByte:
            return "byte";
        case kChar:
            return "char";
        case kShort:
            return "short";
        case kInt:
            return "long";
        case kFloat:
            return "float";
        case k3Float:
            return "float3";
        case k3Double:
            return "double3";
        default:
            return "double";
        }
    }
    return "double";
}

bool isNumericKind(const Attr& a) {
    switch (a.kind) {
    case AttrKind::Numeric:
    case AttrKind::Distance:
    case AttrKind::Angle:
    case AttrKind::Time:
    case AttrKind::Enum:
        return true;
    default:
        return false;
    }
}

double toUi(const Attr& a, double internal) {
    return a.kind == AttrKind::Angle ? internal * 180.0 / kPi : internal;
}

double fromUi(const Attr& a, double ui) {
    // The scene reader converts with the same function, so typed and saved texts agree.
    return a.kind == AttrKind::Angle ? ma::degreesToRadians(ui) : ui;
}

double normalize(const Attr& a, double v) {
    if (a.kind == AttrKind::Numeric && a.numericType == kBoolean) return v != 0.0 ? 1.0 : 0.0;
    if (isIntegral(a)) return std::round(v);
    if (a.kind == AttrKind::Numeric && a.numericType == kFloat)
        return static_cast<double>(static_cast<float>(v));
    return v;
}

Value numberValue(const Attr& a, double internal) {
    if (a.kind == AttrKind::Numeric && a.numericType == kBoolean) return Value::boolean(internal != 0.0);
    if (isIntegral(a)) return Value::integer(static_cast<long long>(std::llround(internal)));
    if (a.kind == AttrKind::Numeric && a.numericType == kFloat)
        return Value::floating(static_cast<float>(internal));
    if (a.kind == AttrKind::Angle) return Value::angle(internal);
    return Value::real(toUi(a, internal));
}

Value readPlug(const PlugPath& p) {
    const Attr& a = *p.attr;
    if (ma::isLearnedText(a) && a.dataType != "string") {
        // A learned list: its numbers, or the text when it holds words.
        const std::string& text = p.node->getString(a.index);
        std::vector<Value> numbers;
        size_t at = 0;
        while (at < text.size()) {
            const size_t end = std::min(text.find(' ', at), text.size());
            auto v = ma::parseNumber(std::string_view(text).substr(at, end - at));
            if (!v) return Value::string(text);
            numbers.push_back(Value::real(*v));
            at = end + 1;
        }
        return numbers.size() == 1 ? numbers[0] : Value::of(std::move(numbers));
    }
    if (a.kind == AttrKind::String) return Value::string(p.node->getString(a.index));
    if (a.kind == AttrKind::Compound) {
        std::vector<Value> out;
        for (Attr* c : a.children) out.push_back(numberValue(*c, p.node->getNumber(c->index)));
        return Value::of(std::move(out));
    }
    if (a.kind == AttrKind::Matrix)
        throw HostError("getAttr: '" + p.name() + "' is a matrix, which commands cannot read");
    return numberValue(a, p.node->getNumber(a.index));
}

namespace {
bool onConversion(const PlugPath& p) { return p.node->type && p.node->type->name == "unitConversion"; }
}  // namespace

void connectPlugs(Scene& scene, const PlugPath& src, const PlugPath& dst, bool force) {
    const bool crosses = isNumericKind(*src.attr) && isNumericKind(*dst.attr) &&
                         (src.attr->kind == AttrKind::Angle) != (dst.attr->kind == AttrKind::Angle) &&
                         !onConversion(src) && !onConversion(dst);
    if (!crosses) {
        scene.connect(src.ref(), dst.ref(), force);
        return;
    }
    Node* uc = scene.createNode("unitConversion", "", nullptr, true);
    try {
        uc->setNumber(uc->findAttr("conversionFactor")->index,
                      src.attr->kind == AttrKind::Angle ? 180.0 / kPi : kPi / 180.0);
        scene.connect(src.ref(), PlugRef{uc, uc->findAttr("input")->index}, false);
        scene.connect(PlugRef{uc, uc->findAttr("output")->index}, dst.ref(), force);
    } catch (...) {
        scene.deleteNode(uc);
        throw;
    }
}

PlugRef upstreamOf(const PlugPath& dst) {
    PlugRef s = dst.node->source(dst.attr->index);
    if (s && s.node->type && s.node->type->name == "unitConversion" &&
        s.node->attrAt(s.attr)->longName == "output") {
        PlugRef through = s.node->source(s.node->findAttr("input")->index);
        if (through) return through;
    }
    return s;
}

std::string lockProblem(const PlugPath& p) {
    const Node& n = *p.node;
    const std::string name = "'" + p.name() + "' is locked";
    if (n.plugFlag(p.attr->index, Node::kLocked)) return name;
    if (p.attr->parent && n.plugFlag(p.attr->parent->index, Node::kLocked))
        return name + " (its parent '" + PlugPath{p.node, p.attr->parent}.name() + "' is locked)";
    for (Attr* c : p.attr->children)
        if (n.plugFlag(c->index, Node::kLocked))
            return name + " (its child '" + PlugPath{p.node, c}.name() + "' is locked)";
    return "";
}

bool drivenByNonAnim(const PlugPath& p, std::string* by) {
    auto check = [&](const Attr* a) {
        if (!a || !p.node->hasSlot(a->index)) return false;
        const PlugRef& s = p.node->source(a->index);
        if (!s) return false;
        if (s.node->type && s.node->type->name.rfind("animCurve", 0) == 0) return false;
        if (by) {
            PlugPath src{s.node, s.node->type ? s.node->attrAt(s.attr) : nullptr};
            *by = src.name();
        }
        return true;
    };
    if (check(p.attr) || check(p.attr->parent)) return true;
    for (const Attr* c : p.attr->children)
        if (check(c)) return true;
    return false;
}

}  // namespace rdhost::cmd

namespace rdhost::cmd {

namespace {

std::string enumList(const Attr& a) {
    std::string s;
    for (const auto& [name, value] : a.enumFields) {
        if (!s.empty()) s += ':';
        s += name + "=" + std::to_string(value);
    }
    return s;
}

// Whether the attribute's own storage type can hold the number at all (before
// any hard limits): a float holds up to FLT_MAX, a short 16 bits, and so on.
bool representable(const Attr& a, double v) {
    if (!std::isfinite(v)) return false;
    if (a.kind == AttrKind::Enum) return v >= -32768.0 && v <= 32767.0;
    if (a.kind != AttrKind::Numeric) return true;
    switch (a.numericType) {
    // Up to where a double rounds to FLT_MAX rather than to infinity, so that
    // the shortest text of FLT_MAX ("3.4028235e+38", above it as a double)
    // reads back. Halfway rounds to even, which is infinity.
    case kFloat:
        return std::fabs(v) < 0x1.ffffffp+127;
    case kShort:
        return v >= -32768.5 && v < 32767.5;
    case kInt:
        return v >= -2147483648.5 && v < 2147483647.5;
    case kByte:
    case kChar:
        return v >= -128.5 && v < 255.5;
    default:
        return true;
    }
}

// One number for one numeric attribute: checked, converted, clamped.
double prepareNumber(const PlugPath& p, const Attr& a, const Arg& v, const std::string& cmd,
                     std::vector<std::string>& warnings) {
    std::string plugName = PlugPath{p.node, const_cast<Attr*>(&a)}.name();
    if (!v.isNumber())
        throw HostError(cmd + ": '" + clipInput(v.text) + "' is not a number (for '" + plugName + "')");
    // A long angle text (a scene file gives one for radian values that no
    // double number of degrees reaches) is read exactly.
    double ui = a.kind == AttrKind::Angle && v.kind == Arg::Kind::Number
                    ? ma::parseAngle(v.text).value_or(fromUi(a, v.number))
                    : fromUi(a, v.number);
    if (!std::isfinite(v.number) && !std::isfinite(ui))
        throw HostError(cmd + ": " + clipInput(v.text) + " is not a finite number (for '" + plugName + "')");
    if (!representable(a, ui))
        throw HostError(cmd + ": " + clipInput(v.text) + " is out of range for '" + plugName + "'");
    if (a.kind == AttrKind::Numeric && a.numericType == kFloat && v.kind == Arg::Kind::Number) {
        // A float reads its text as a float: read as a double first, the
        // shortest text of some floats rounds to the neighbouring float.
        char* end = nullptr;
        const float f = std::strtof(v.text.c_str(), &end);
        if (end == v.text.c_str() + v.text.size()) ui = f;
    }
    double internal = normalize(a, ui);
    if (a.kind == AttrKind::Enum) {
        for (const auto& f : a.enumFields)
            if (f.second == internal) return internal;
        throw HostError(cmd + ": " + clipInput(v.text) + " is not a value of enum '" + plugName + "' (" +
                        enumList(a) + ")");
    }
    double clamped = internal;
    if (a.hasMin && clamped < a.minValue) clamped = a.minValue;
    if (a.hasMax && clamped > a.maxValue) clamped = a.maxValue;
    if (clamped != internal) {
        bool low = clamped > internal;
        warnings.push_back(cmd + ": " + numberValue(a, internal).text() + " is " +
                           (low ? "below the minimum " : "above the maximum ") +
                           numberValue(a, clamped).text() + " of '" + plugName + "'; clamped to " +
                           numberValue(a, clamped).text());
    }
    return clamped;
}

}  // namespace

double checkedNumber(const PlugPath& p, const Arg& value, const std::string& cmd,
                     std::vector<std::string>& warnings) {
    return prepareNumber(p, *p.attr, value, cmd, warnings);
}

void setPlugValues(Scene& scene, const PlugPath& p, const std::vector<Arg>& values, const std::string& type,
                   const std::string& cmd, bool honourLocks) {
    const Attr& a = *p.attr;
    const std::string name = p.name();
    if (a.kind == AttrKind::Matrix)
        throw HostError(cmd + ": '" + name + "' is a matrix, which cannot be set");
    if (!a.writable) throw HostError(cmd + ": '" + name + "' is not writable");
    if (honourLocks) {
        const std::string locked = lockProblem(p);
        if (!locked.empty()) throw HostError(cmd + ": " + locked + "; it cannot be changed");
    }
    std::string by;
    if (drivenByNonAnim(p, &by))
        throw HostError(cmd + ": '" + name + "' is driven by a connection from '" + by +
                        "'; disconnect it first");

    if (ma::isLearnedText(a) && a.dataType != "string") {
        if (type != a.dataType)
            throw HostError(cmd + ": '" + name + "' holds " +
                            (a.dataType.empty() ? std::string("numbers without -type")
                                                : "-type \"" + a.dataType + "\" values") +
                            ", as its file set it");
        p.node->setString(a.index, ma::learnedText(values));
        return;
    }
    if (a.kind == AttrKind::String) {
        if (type != "string")
            throw HostError(cmd + ": '" + name + "' is a string attribute; give -type \"string\"");
        if (values.size() != 1)
            throw HostError(cmd + ": '" + name + "' takes 1 value, got " + std::to_string(values.size()));
        p.node->setString(a.index, values[0].text);
        return;
    }
    if (type == "string")
        throw HostError(cmd + ": '" + name + "' is not a string attribute (it is " + attrTypeName(a) + ")");
    if (!type.empty()) {
        static const char* known[] = {"double3", "float3",  "double",       "float",       "long",   "short",
                                      "bool",    "enum",    "doubleLinear", "doubleAngle", "byte",   "char",
                                      "time",    "double2", "float2",       "long3",       "short3", "matrix",
                                      "double4", "long2",   "short2"};
        bool ok = false;
        for (const char* k : known) ok = ok || type == k;
        if (!ok) throw HostError(cmd + ": -type \"" + type + "\" does not fit '" + name + "'");
    }

    std::vector<const Attr*> targets;
    if (a.isCompound())
        targets.assign(a.children.begin(), a.children.end());
    else
        targets.push_back(&a);
    if (values.size() != targets.size())
        throw HostError(cmd + ": '" + name + "' takes " + std::to_string(targets.size()) +
                        (targets.size() == 1 ? " value" : " values") + ", got " +
                        std::to_string(values.size()));
    for (const Attr* t : targets)
        if (!isNumericKind(*t)) throw HostError(cmd + ": '" + name + "' cannot be set from numbers");

    std::vector<std::string> warnings;
    std::vector<double> prepared;
    for (size_t i = 0; i < targets.size(); ++i)
        prepared.push_back(prepareNumber(p, *targets[i], values[i], cmd, warnings));
    for (const auto& w : warnings) scene.warn(w);
    for (size_t i = 0; i < targets.size(); ++i) p.node->setNumber(targets[i]->index, prepared[i]);
}

std::optional<ElementRange> elementRange(const std::string& path) {
    const std::size_t open = path.rfind('[');
    if (open == std::string::npos || open == 0 || path.back() != ']') return std::nullopt;
    const std::string inside = path.substr(open + 1, path.size() - open - 2);
    const std::size_t colon = inside.find(':');
    if (colon == std::string::npos) return std::nullopt;
    auto index = [](const std::string& digits) -> int {
        if (digits.empty() || digits.size() > 9 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            return -1;
        return std::stoi(digits);
    };
    const int first = index(inside.substr(0, colon)), last = index(inside.substr(colon + 1));
    if (first < 0 || last < first) return std::nullopt;
    return ElementRange{path.substr(0, open), first, last};
}

const Attr* rangeTemplate(Scene& scene, Node* node, const ElementRange& range) {
    Attr* multi = scene.resolveAttribute(node, range.multi, false);
    if (multi) return multi->array && !multi->multi && multi->kind != AttrKind::Matrix ? multi : nullptr;
    // A type whose elements are attributes of their own ("w[0]", "w[1]"...):
    // all of the run must be there.
    const Attr* first = node->findAttr(range.element(range.first));
    if (!first || first->kind == AttrKind::Matrix) return nullptr;
    for (int i = range.first; i <= range.last; ++i)
        if (!node->findAttr(range.element(i))) return nullptr;
    return first;
}

std::vector<PlugPath> setRangeValues(Scene& scene, Node* node, const ElementRange& range,
                                     const std::vector<Arg>& values, const std::string& type,
                                     const std::string& cmd, bool honourLocks) {
    const std::string what = (node->isDag() ? node->partialPathName() : node->name) + "." + range.multi +
                             "[" + std::to_string(range.first) + ":" + std::to_string(range.last) + "]";
    const Attr* like = rangeTemplate(scene, node, range);
    if (!like)
        throw HostError(cmd + ": '" + clipInput(what) + "' names no multi attribute of '" + node->name + "'");
    // Counted before any element is made: a range far larger than its values
    // makes nothing.
    const std::size_t width = like->isCompound() ? like->children.size() : 1;
    const std::size_t count = static_cast<std::size_t>(range.last - range.first) + 1;
    if (width == 0 || values.size() != count * width)
        throw HostError(cmd + ": '" + what + "' takes " + std::to_string(count * width) + " values (" +
                        std::to_string(width) + " for each of " + std::to_string(count) + " elements), got " +
                        std::to_string(values.size()));
    std::vector<PlugPath> done;
    std::vector<std::vector<double>> before;
    auto leaves = [](const Attr* a) {
        std::vector<int> out;
        if (a->isCompound())
            for (const Attr* c : a->children) out.push_back(c->index);
        else
            out.push_back(a->index);
        return out;
    };
    try {
        for (std::size_t i = 0; i < count; ++i) {
            PlugPath e{node,
                       scene.resolveAttribute(node, range.element(range.first + static_cast<int>(i)), true)};
            if (!e.attr) throw HostError(cmd + ": '" + what + "' cannot be set");
            std::vector<double> old;
            for (int slot : leaves(e.attr)) old.push_back(node->storedNumber(slot));
            const auto from = values.begin() + static_cast<std::ptrdiff_t>(i * width);
            setPlugValues(scene, e, std::vector<Arg>(from, from + static_cast<std::ptrdiff_t>(width)), type,
                          cmd, honourLocks);
            done.push_back(e);
            before.push_back(std::move(old));
        }
    } catch (...) {
        for (std::size_t i = done.size(); i-- > 0;) {
            const std::vector<int> slots = leaves(done[i].attr);
            for (std::size_t k = 0; k < slots.size(); ++k) node->setNumber(slots[k], before[i][k]);
        }
        throw;
    }
    return done;
}

}  // namespace rdhost::cmd
