#include "command/ma_writer.h"

#include "command/dynamic_attrs.h"
#include "command/foreign_attrs.h"
#include "command/keys_nodes.h"
#include "command/ma_format.h"
#include "command/scenefile_state.h"

#include <maya/MPxNode.h>

#include <cmath>
#include <sstream>
#include <unordered_set>

namespace rdhost::ma {

namespace {

// MFnNumericData::Type values.
enum { kBoolean = 1, kByte = 2, kChar = 3, kShort = 4, kInt = 7, kFloat = 11, kDouble = 14 };

bool isIntegral(const Attr& a) {
    if (a.kind == AttrKind::Enum) return true;
    if (a.kind != AttrKind::Numeric) return false;
    return a.numericType == kBoolean || a.numericType == kByte || a.numericType == kChar ||
           a.numericType == kShort || a.numericType == kInt;
}

bool isFloat(const Attr& a) {
    return (a.kind == AttrKind::Numeric || a.kind == AttrKind::Distance) && a.numericType == kFloat;
}

// One number of an attribute as the file holds it (UI units, own precision).
std::string numberText(const Attr& a, double v) {
    if (a.kind == AttrKind::Numeric && a.numericType == kBoolean) return v != 0.0 ? "yes" : "no";
    if (isIntegral(a)) return formatDouble(std::round(v));
    if (a.kind == AttrKind::Angle) return formatAngle(v);
    if (isFloat(a)) return formatFloat(static_cast<float>(v));
    return formatDouble(v);
}

bool sameAsDefault(const Attr& a, double v) {
    if (isFloat(a)) return static_cast<float>(v) == static_cast<float>(a.defaultValue);
    return v == a.defaultValue;
}

// The -type the host gives a compound of three numbers.
std::string compoundType(const Attr& a) {
    if (a.matrix) return "matrix";
    // Children of different kinds (a ramp entry's position, value and
    // interpolation) are written as plain numbers.
    for (const Attr* c : a.children)
        if (c->kind != a.children[0]->kind) return "";
    bool allFloat = true, allInt = true, allShort = true;
    for (const Attr* c : a.children) {
        if (!isFloat(*c)) allFloat = false;
        if (!(c->kind == AttrKind::Numeric && c->numericType == kInt)) allInt = false;
        if (!(c->kind == AttrKind::Numeric && c->numericType == kShort)) allShort = false;
    }
    const std::string n = std::to_string(a.children.size());
    if (allFloat) return "float" + n;
    if (allInt) return "long" + n;
    if (allShort) return "short" + n;
    return "double" + n;
}

// Files name attributes by their short names, as the host writes them.
const std::string& fileAttrName(const Attr& a) { return a.shortName.empty() ? a.longName : a.shortName; }

bool savedNode(const Node* n) {
    // Manipulator containers are the viewport's, not the scene's.
    return n->type->kind != MPxNode::kManipContainer;
}

bool isPlaceholder(const Node* n) { return !n->unknownTypeName.empty(); }

std::string nodeRef(const Node* n) { return n->isDag() ? n->partialPathName() : n->name; }

// Nodes in creation order, but each parent before its children (a node may have
// been parented under a later one).
std::vector<Node*> writeOrder(Scene& scene) {
    std::vector<Node*> out;
    std::unordered_set<const Node*> done;
    std::function<void(Node*)> visit = [&](Node* n) {
        if (done.count(n)) return;
        done.insert(n);
        if (n->parent) visit(n->parent);
        out.push_back(n);
    };
    for (Node* n : scene.nodes())
        if (savedNode(n)) visit(n);
    return out;
}

bool partlyConnected(const Node* n, const Attr& compound) {
    for (const Attr* c : compound.children)
        if (n->source(c->index)) return true;
    return n->source(compound.index) ? true : false;
}

bool finiteValues(const Node* n, const Attr& a);

bool writtenByChildren(const Node* n, const Attr& compound) {
    return partlyConnected(n, compound) || !finiteValues(n, compound);
}

bool finiteValues(const Node* n, const Attr& a) {
    if (a.kind == AttrKind::String || a.kind == AttrKind::Matrix) return true;
    if (a.isCompound()) {
        for (const Attr* c : a.children)
            if (!std::isfinite(n->storedNumber(c->index))) return false;
        return true;
    }
    return std::isfinite(n->storedNumber(a.index));
}

// "-l on -k off -cb on " for the states that differ from the attribute's own
// flags (a plug starts unlocked), in the order the host writes them.
std::string plugStateFlags(const Node* n, const Attr& a) {
    if (a.kind == AttrKind::Matrix) return "";
    const int i = a.index;
    std::string out;
    if (n->plugFlag(i, Node::kLocked)) out += "-l on ";
    if (n->plugFlag(i, Node::kKeyable) != a.keyable) out += a.keyable ? "-k off " : "-k on ";
    if (n->plugFlag(i, Node::kChannelBox) != a.channelBox) out += a.channelBox ? "-cb off " : "-cb on ";
    return out;
}

bool nodeExists(Scene& scene, const std::string& name) {
    std::string n = !name.empty() && name[0] == ':' ? name.substr(1) : name;
    return scene.findNode(n) != nullptr;
}

// Runs of consecutive key indices whose entry differs from what a reader
// assumes, one setAttr each: ".kit[2:3]" 2 2.
template <class Skip, class Text>
void keyArray(std::ostream& out, const std::vector<keys::Key>& ks, const char* name, Skip skip, Text text) {
    for (std::size_t i = 0; i < ks.size();) {
        if (skip(ks[i])) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j + 1 < ks.size() && !skip(ks[j + 1])) ++j;
        out << "\tsetAttr \"." << name << "[" << i;
        if (j > i) out << ":" << j;
        out << "]\"";
        for (std::size_t k = i; k <= j; ++k) out << " " << text(ks[k]);
        out << ";\n";
        i = j + 1;
    }
}

// A statement kept as read; the script node that holds the playback range
// gets the range as it is now.
std::string rawText(const Node* n, const std::string& text, Scene& scene) {
    if (n->name != keys::kSceneConfigNode || text.find("playbackOptions") == std::string::npos) return text;
    return "setAttr \".b\" -type \"string\" " + quote(keys::playbackText(keys::playbackRange(scene))) + ";";
}

// An anim curve's keys as the host writes them: the most common tangent type
// (".tan"), the time value pairs, then only what differs from that: the keys'
// own tangent types, fixed tangents, unlocked tangents and weights, breakdowns.
void writeKeys(std::ostream& out, Scene& scene, Node* n) {
    // Only finite keys read back; any other is left out, as values are.
    std::vector<keys::Key> ks;
    for (const keys::Key& k : keys::curveKeys(n))
        if (std::isfinite(k.time) && std::isfinite(k.value) && std::isfinite(k.inX) && std::isfinite(k.inY) &&
            std::isfinite(k.outX) && std::isfinite(k.outY))
            ks.push_back(k);
    if (ks.size() != keys::curveKeys(n).size())
        scene.warn("file: '" + nodeRef(n) + "' holds keys that are not finite numbers; they are not saved");
    if (ks.empty()) return;
    int common = keys::kAuto, best = 0;
    for (const keys::Key& k : ks) {
        int count = 0;
        for (const keys::Key& o : ks) count += (o.inType == k.outType) + (o.outType == k.outType);
        if (count > best) best = count, common = k.outType;
    }
    const Attr& outAttr = *n->attrAt(keys::outputSlot(n));
    out << "\tsetAttr \".tan\" " << common << ";\n";
    out << "\tsetAttr -s " << ks.size() << " \".ktv[0:" << ks.size() - 1 << "]\" ";
    for (const auto& k : ks) out << " " << formatDouble(k.time) << " " << numberText(outAttr, k.value);
    out << ";\n";
    auto number = [](double v) { return formatDouble(v); };
    auto yesNo = [](bool b) { return std::string(b ? "yes" : "no"); };
    using K = keys::Key;
    keyArray(
        out, ks, "kit", [&](const K& k) { return k.inType == common; },
        [&](const K& k) { return number(k.inType); });
    keyArray(
        out, ks, "kot", [&](const K& k) { return k.outType == common; },
        [&](const K& k) { return number(k.outType); });
    auto fixedIn = [](const K& k) { return k.inType != keys::kFixed; };
    auto fixedOut = [](const K& k) { return k.outType != keys::kFixed; };
    keyArray(out, ks, "kix", fixedIn, [&](const K& k) { return number(k.inX); });
    keyArray(out, ks, "kiy", fixedIn, [&](const K& k) { return number(k.inY); });
    keyArray(out, ks, "kox", fixedOut, [&](const K& k) { return number(k.outX); });
    keyArray(out, ks, "koy", fixedOut, [&](const K& k) { return number(k.outY); });
    keyArray(
        out, ks, "kl", [](const K& k) { return k.tangentsLocked; },
        [&](const K& k) { return yesNo(k.tangentsLocked); });
    keyArray(
        out, ks, "kwl", [](const K& k) { return k.weightsLocked; },
        [&](const K& k) { return yesNo(k.weightsLocked); });
    keyArray(
        out, ks, "kbd", [](const K& k) { return !k.breakdown; },
        [&](const K& k) { return yesNo(k.breakdown); });
}

}  // namespace

std::string attributeValueText(Node* node, const Attr& a) {
    auto num = [node](int slot) { return node->storedNumber(slot); };
    switch (a.kind) {
    case AttrKind::String:
        if (node->storedString(a.index) == a.defaultString) return "";
        return "-type \"string\" " + quote(node->storedString(a.index));
    case AttrKind::Compound: {
        if (a.children.empty()) return "";
        bool differs = false;
        for (const Attr* c : a.children)
            if (!sameAsDefault(*c, num(c->index))) differs = true;
        if (!differs) return "";
        const std::string type = compoundType(a);
        std::string out = type.empty() ? "" : "-type \"" + type + "\"";
        for (const Attr* c : a.children) {
            if (!std::isfinite(num(c->index))) return "";
            out += " " + numberText(*c, num(c->index));
        }
        if (!out.empty() && out[0] == ' ') out.erase(0, 1);
        return out;
    }
    case AttrKind::Matrix:
        return "";
    default:
        if (sameAsDefault(a, num(a.index)) || !std::isfinite(num(a.index))) return "";
        return numberText(a, num(a.index));
    }
}

// A learned number or tuple: the file's type, the value now.
std::string learnedValueText(Node* n, const Attr& a) {
    if (!a.isCompound()) return numberText(a, n->storedNumber(a.index));
    std::string out = "-type \"" + compoundType(a) + "\"";
    for (const Attr* c : a.children) out += " " + numberText(*c, n->storedNumber(c->index));
    return out;
}

std::string writeScene(Scene& scene, const std::string& fileName) {
    FileState& fs = fileState(scene);
    std::ostringstream out;
    out << "//Maya ASCII 2024 scene\n"
        << "//Name: " << commentText(fileName) << "\n"
        << "//Codeset: UTF-8\n";
    // References come first, as the host writes them.
    for (const std::string& line : fs.header)
        if (line.rfind("file ", 0) == 0) out << line << "\n";
    out << "requires maya \"2024\";\n";

    const std::vector<Node*> order = writeOrder(scene);
    for (const auto& plugin : scene.plugins()) {
        bool used = false;
        for (const Node* n : order)
            if (n->type->plugin == plugin.get()) used = true;
        if (used)
            out << "requires " << quote(plugin->name) << " "
                << quote(plugin->version.empty() ? "1.0" : plugin->version) << ";\n";
    }
    for (const KeptStatement& k : fs.requires)
        if (k.nodes.empty() || !scene.findPlugin(k.nodes.front())) out << k.text << "\n";
    out << "currentUnit -l centimeter -a degree -t film;\n";
    for (const std::string& line : fs.header)
        if (line.rfind("file ", 0) != 0) out << line << "\n";

    for (Node* n : order) {
        out << "createNode " << word(isPlaceholder(n) ? n->unknownTypeName : n->type->name)
            << (n->sharedNode ? " -s" : "") << " -n " << quote(n->name);
        if (n->parent) out << " -p " << quote(nodeRef(n->parent));
        out << ";\n";
        // Attributes added to the node come first, as the host writes them, so
        // that the values below find them.
        for (const Attr* a : n->attrs())
            if (a->dynamic && !a->removed) out << "\t" << cmd::addAttrStatement(*a) << "\n";
        // A placeholder's own statements come back as read, each that set a
        // value as it was while that value is unchanged; a changed one is
        // written with the value now, in its place. Values set on it here
        // that no line of its file set (the host gives a DAG placeholder
        // transform channels) follow them.
        std::unordered_set<const Attr*> written;
        auto writeAttr = [&](const Attr* a, bool learnedValue) {
            if (a->removed) return;
            // The plug's own states go on its value's line, or on a line of
            // their own when no value is written (as the host writes them).
            const std::string flags = plugStateFlags(n, *a);
            std::string value;
            // A value that a connection gives is not the node's own. A compound
            // is written whole unless part of it is connected or not a finite
            // number; then its other children are written one by one.
            const bool ownValue = a->storable && a->writable && !n->source(a->index) &&
                                  !(a->parent && n->source(a->parent->index)) &&
                                  !(a->parent && !writtenByChildren(n, *a->parent)) &&
                                  !(a->isCompound() && writtenByChildren(n, *a));
            if (ownValue && isLearnedText(*a)) {
                if (!n->storedString(a->index).empty() || a->sizeHint >= 0)
                    out << "\t" << learnedTextLine(n, *a) << ";\n";
                return;
            }
            if (ownValue) {
                value = attributeValueText(n, *a);
                // An element of a multi the node uses is written even at its
                // default: its presence counts (an average, a ramp's points).
                // So is a value a placeholder learned from its file.
                if (value.empty() && !(a->parent && a->parent->multi) &&
                    ((a->multi && n->plugFlag(a->index, Node::kInUse)) || (learnedValue && a->learned)) &&
                    finiteValues(n, *a)) {
                    if (a->isCompound()) {
                        const std::string type = compoundType(*a);
                        value = type.empty() ? "" : "-type \"" + type + "\"";
                        for (const Attr* c : a->children)
                            value += (value.empty() ? "" : " ") + numberText(*c, n->storedNumber(c->index));
                    } else {
                        value = numberText(*a, n->storedNumber(a->index));
                    }
                }
                if (value.empty() && !a->isCompound() && !finiteValues(n, *a))
                    scene.warn("file: '" + nodeRef(n) + "." + a->longName +
                               "' holds a value that is not a finite number; it is not saved");
            }
            if (value.empty() && flags.empty()) return;
            out << "\tsetAttr " << flags << "\"." << fileAttrName(*a) << "\"" << (value.empty() ? "" : " ")
                << value << ";\n";
        };
        for (const RawStatement& r : n->raw) {
            if (!r.attr) {
                out << "\t" << rawText(n, r.text, scene) << "\n";
                continue;
            }
            const bool first = written.insert(r.attr).second;
            for (const Attr* c : r.attr->children) written.insert(c);
            if (r.attr->parent) written.insert(r.attr->parent);
            if (sameValue(r, valueNow(n, r.attr)))
                out << "\t" << rawText(n, r.text, scene) << "\n";
            else if (first && r.attr->learned && !isLearnedText(*r.attr))
                // A learned value is written whole, as its file gave it, also
                // where a connection now feeds part of it: the next reading
                // learns it from this line again.
                out << "\tsetAttr " << plugStateFlags(n, *r.attr) << "\"." << fileAttrName(*r.attr) << "\" "
                    << learnedValueText(n, *r.attr) << ";\n";
            else if (first && r.attr->isCompound() && writtenByChildren(n, *r.attr))
                for (const Attr* c : r.attr->children) writeAttr(c, true);
            else if (first)
                writeAttr(r.attr, true);
        }
        for (const Attr* a : n->attrs())
            if (!written.count(a)) writeAttr(a, false);
        if (keys::isAnimCurve(n)) writeKeys(out, scene, n);
    }

    // The playback range lives in a script node's text; a scene that has none
    // gets one as the host writes it once the range is not the default.
    if (!scene.findNode(keys::kSceneConfigNode) && !(keys::playbackRange(scene) == keys::PlaybackRange{}))
        out << "createNode script -n " << quote(keys::kSceneConfigNode)
            << ";\n\tsetAttr \".b\" -type \"string\" "
            << quote(keys::playbackText(keys::playbackRange(scene))) << ";\n\tsetAttr \".st\" 6;\n";

    // The current time lives on the host's time node.
    out << "select -ne :time1;\n\tsetAttr \".o\" " << formatDouble(scene.currentTime()) << ";\n";
    for (const auto& block : fs.defaults)
        if (block.node == ":time1")
            for (const auto& line : block.lines) out << "\t" << line << "\n";
    for (const auto& block : fs.defaults) {
        if (block.node == ":time1") continue;
        out << "select -ne " << word(block.node) << ";\n";
        for (const auto& line : block.lines) out << "\t" << line << "\n";
    }

    std::unordered_set<const Node*> saved(order.begin(), order.end());
    for (Node* n : order) {
        for (const Attr* a : n->attrs()) {
            const PlugRef& src = n->source(a->index);
            if (!src || !saved.count(src.node)) continue;
            out << "connectAttr "
                << quote(nodeRef(src.node) + "." + fileAttrName(*src.node->attrAt(src.attr))) << " "
                << quote(nodeRef(n) + "." + fileAttrName(*a)) << ";\n";
        }
    }
    for (const KeptStatement& k : fs.trailing) {
        std::string gone;
        for (const std::string& name : k.nodes)
            if (gone.empty() && !nodeExists(scene, name)) gone = name;
        if (gone.empty()) {
            out << k.text << "\n";
        } else {
            // Kept lines name nodes as the file did; once such a node is deleted
            // or renamed the line would point at nothing.
            std::string first = k.text.substr(0, k.text.find('\n'));
            scene.warn("file: '" + first + "' names '" + gone +
                       "', which is no longer in the scene; not saved");
        }
    }
    out << "// End of " << commentText(fileName) << "\n";
    return out.str();
}

}  // namespace rdhost::ma
