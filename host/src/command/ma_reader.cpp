#include "command/ma_reader.h"

#include "graph/undo.h"

#include "command/attrs.h"
#include "command/foreign_attrs.h"
#include "command/interpreter.h"
#include "command/keys_nodes.h"
#include "command/ma_format.h"
#include "command/ma_lexer.h"
#include "command/scenefile_state.h"
#include "graph/undo.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <map>
#include <set>
#include <unordered_map>

namespace rdhost::ma {

namespace {

using cmd::Arg;
using cmd::Item;

// The flags a statement may carry in a file, with the number of arguments
// each takes. A flag missing from its statement's table is unknown: what it
// means (and how many of the following words are its arguments) cannot be
// told, so such a statement is kept as written, or the flag is reported.
using FlagTable = std::map<std::string, int>;

// setAttr as the host writes it. -k/-l/-cb set the plug's states (see plugStates).
const FlagTable kSetAttrFlags = {
    {"k", 1},  {"keyable", 1}, {"l", 1},  {"lock", 1},         {"cb", 1},   {"channelBox", 1},
    {"s", 1},  {"size", 1},    {"ch", 1}, {"capacityHint", 1}, {"type", 1}, {"typ", 1},
    {"ca", 1}, {"caching", 1}, {"av", 0}, {"alteredValue", 0}, {"c", 0},    {"clamp", 0}};
const FlagTable kCreateNodeFlags = {{"n", 1}, {"name", 1},   {"p", 1},  {"parent", 1},
                                    {"s", 0}, {"shared", 0}, {"ss", 0}, {"skipSelect", 0}};
const FlagTable kConnectAttrFlags = {{"f", 0},  {"force", 0},         {"l", 1},  {"lock", 1},
                                     {"rd", 1}, {"referenceDest", 1}, {"na", 0}, {"nextAvailable", 0}};
const FlagTable kRequiresFlags = {{"nodeType", 1}, {"nt", 1}, {"dataType", 1}, {"dt", 1}};
const FlagTable kCurrentUnitFlags = {{"l", 1}, {"linear", 1}, {"a", 1},  {"angle", 1},
                                     {"t", 1}, {"time", 1},   {"ua", 1}, {"updateAnimation", 1}};
const FlagTable kSelectFlags = {{"ne", 0}, {"noExpand", 0}, {"r", 0}, {"replace", 0}};

// The commands a scene file may hand to the interpreter: edits of the
// graph the host writes into files. Everything else a file holds is either
// read by the reader itself or not run at all.
const std::set<std::string> kRunFromFiles = {"parent", "rename", "disconnectAttr"};

// How many statements that are not run are reported one by one; the rest of
// a file full of them is summed up in one warning.
constexpr int kNotRunReported = 20;

// A statement's flags and positional arguments, by a table of flag arities.
struct Split {
    std::vector<std::pair<std::string, std::vector<Arg>>> flags;  // as written (short or long)
    std::vector<Arg> args;
    std::vector<std::string> unknown;  // flags not in the table, as written (taking no argument)

    const std::vector<Arg>* flag(std::initializer_list<const char*> names) const {
        const std::vector<Arg>* found = nullptr;
        for (const auto& [name, a] : flags)
            for (const char* n : names)
                if (name == n) found = &a;
        return found;
    }
    bool has(std::initializer_list<const char*> names) const { return flag(names) != nullptr; }
    std::string text(std::initializer_list<const char*> names) const {
        const auto* f = flag(names);
        return f && !f->empty() ? f->front().text : std::string();
    }
};

Split split(const cmd::Statement& st, const FlagTable& arity) {
    Split out;
    for (std::size_t i = 0; i < st.items.size(); ++i) {
        const Item& it = st.items[i];
        if (!it.isFlag) {
            out.args.push_back(it.arg);
            continue;
        }
        auto a = arity.find(it.flag);
        if (a == arity.end()) {
            out.unknown.push_back("-" + it.flag);
            continue;
        }
        const int n = a->second;
        std::vector<Arg> values;
        for (int k = 0; k < n; ++k) {
            if (i + 1 >= st.items.size() || st.items[i + 1].isFlag)
                throw HostError(st.command + ": flag -" + it.flag + " needs " + std::to_string(n) +
                                (n == 1 ? " argument" : " arguments"));
            values.push_back(st.items[++i].arg);
        }
        out.flags.emplace_back(it.flag, std::move(values));
    }
    return out;
}

std::string stripColon(const std::string& name) {
    return !name.empty() && name[0] == ':' ? name.substr(1) : name;
}

bool isPlaceholder(const Node* n) { return !n->unknownTypeName.empty(); }

// "node.attr.path" split at the first '.' after the node's last '|'.
bool splitPlug(const std::string& text, std::string& node, std::string& attr) {
    std::size_t bar = text.rfind('|');
    std::size_t dot = text.find('.', bar == std::string::npos ? 0 : bar);
    if (dot == std::string::npos || dot == 0 || dot + 1 >= text.size()) return false;
    node = text.substr(0, dot);
    attr = text.substr(dot + 1);
    return true;
}

// An attribute of the node by a simple name, a compound path "t.tx" or an
// element of a multi "i1[2]" (made on first use); nullptr for what the type
// lacks.
Attr* modelledAttr(Node* node, const std::string& path) {
    Attr* a = node->scene->resolveAttribute(node, path, true);
    return a && !a->array ? a : nullptr;
}

std::string nodeRef(const Node* n) { return n->isDag() ? n->partialPathName() : n->name; }

// Which names in the file become parents (a placeholder that is a parent must
// live in the DAG even when it has no parent itself). Damage ends the scan; the
// reading proper reports it.
std::set<std::string> parentNames(const std::string& text) {
    std::set<std::string> out;
    StatementReader reader(text);
    MaStatement st;
    try {
        while (reader.next(st)) {
            if (st.parsed.command != "createNode") continue;
            const auto& items = st.parsed.items;
            for (std::size_t i = 0; i + 1 < items.size(); ++i)
                if (items[i].isFlag && (items[i].flag == "p" || items[i].flag == "parent"))
                    out.insert(stripColon(items[i + 1].arg.text));
        }
    } catch (const cmd::SyntaxError&) {}
    return out;
}

class Reader {
public:
    Reader(Scene& scene, const std::string& text, const std::string& displayName, const ImportOptions* import)
        : scene_(scene), fs_(fileState(scene)), parents_(parentNames(text)), file_(displayName) {
        if (import) {
            importing_ = true;
            import_ = *import;
            for (Node* n : scene.nodes()) before_.insert(n->name);
        }
    }

    // Only the statements scene files are made of are read; anything else is
    // kept as written and reported, never run.
    void statement(const MaStatement& st) {
        const std::string& c = st.parsed.command;
        if (c == "requires") return requires(st);
        if (c == "currentUnit") return currentUnit(st);
        if (c == "fileInfo" || c == "dataStructure") {
            // An imported file's own header is not this scene's.
            if (!importing_) fs_.header.push_back(st.text);
            return;
        }
        if (c == "file" && isReference(st.parsed)) return reference(st);
        if (c == "createNode") return createNode(st);
        if (c == "setAttr") return setAttr(st);
        if (c == "addAttr" || c == "lockNode") return keepOnCurrent(st, c);
        if (c == "rename" && !st.parsed.items.empty() && st.parsed.items[0].isFlag &&
            (st.parsed.items[0].flag == "uid" || st.parsed.items[0].flag == "uuid"))
            return keepOnCurrent(st, c);
        if (c == "select") return select(st);
        if (c == "connectAttr") return connectAttr(st);
        if (c == "relationship") return keepTrailing(st, st.parsed.items);
        if (kRunFromFiles.count(c)) return runEdit(st);
        notRun(st);
    }

    // Sums up what was not reported one by one.
    void finish() {
        if (notRunUnreported_ > 0)
            scene_.warn(file_ + ": " + std::to_string(notRunUnreported_) +
                        " more statements that a scene file does not run were kept as written, not run");
        notRunUnreported_ = 0;
    }

private:
    std::string where(const MaStatement& st) const { return file_ + " line " + std::to_string(st.line); }

    // The host's time node, which the writer addresses as ":time1", is not a
    // node of the scene: a user's node named "time1" must not take its settings.
    Node* findFileNode(const std::string& name) const {
        if (name == ":time1") return nullptr;
        if (importing_)
            if (Node* n = importedNode(stripColon(name))) return n;
        return scene_.findNode(stripColon(name));
    }

    // A name or path as the imported file writes it, to the node it made
    // (which may have been renamed on the way in); null when the file made none.
    Node* importedNode(const std::string& name) const {
        std::vector<std::string> parts;
        std::size_t at = 0;
        while (at <= name.size()) {
            std::size_t bar = name.find('|', at);
            if (bar == std::string::npos) bar = name.size();
            if (bar > at) parts.push_back(name.substr(at, bar - at));
            at = bar + 1;
        }
        if (parts.empty()) return nullptr;
        Node* n = nullptr;
        if (parts.size() == 1 || name[0] != '|') {
            // The last name alone when it is unique in the file, else walk the path.
            auto it = imported_.equal_range(parts.front());
            if (parts.size() == 1 && std::distance(it.first, it.second) == 1) return it.first->second;
            for (auto i = it.first; i != it.second && !n; ++i) n = i->second;
        } else {
            for (auto i = imported_.equal_range(parts.front()); i.first != i.second; ++i.first)
                if (!i.first->second->parent) n = i.first->second;
        }
        for (std::size_t k = 1; n && k < parts.size(); ++k) {
            Node* next = nullptr;
            for (Node* c : n->children)
                if (fileNames_.count(c) && fileNames_.at(c) == parts[k]) next = c;
            n = next;
        }
        return n;
    }

    // The name an imported node takes: when the scene already has a node of
    // that name (or with renameAll), after the renaming prefix, as the host
    // resolves clashes ("face_ctrl").
    std::string importedName(const std::string& name) const {
        if (name.empty()) return name;
        if (import_.renameAll || before_.count(name)) return import_.prefix + "_" + name;
        return name;
    }

    void warnUnknownFlags(const MaStatement& st, const Split& s, const std::string& what) {
        std::string flags;
        for (const std::string& f : s.unknown) flags += (flags.empty() ? "" : ", ") + f;
        scene_.warn(where(st) + ": " + st.parsed.command + ": unknown flag" +
                    (s.unknown.size() > 1 ? "s " : " ") + flags + "; " + what);
    }

    void requires(const MaStatement& st) {
        Split s = split(st.parsed, kRequiresFlags);
        if (!s.unknown.empty()) warnUnknownFlags(st, s, "ignored");
        if (s.args.empty()) throw HostError("requires: no plug-in named");
        const std::string name = s.args[0].text;
        if (name == "maya") return;  // the writer states its own version
        if (scene_.findPlugin(name)) return;
        // Only plain names are looked up on the plug-in path: a scene file must
        // not make the host load a library from an arbitrary place.
        std::string why = "it is not on the plug-in path";
        if (name.find('/') == std::string::npos && name.find('\\') == std::string::npos) {
            try {
                if (scene_.loadPlugin(name)) return;
            } catch (const HostError& e) {
                why = e.what();
            }
        }
        scene_.warn("requires: plug-in '" + name + "' is not available (" + why +
                    "); its nodes are kept as placeholders");
        fs_.requires.push_back(KeptStatement{st.text, {name}});
    }

    void currentUnit(const MaStatement& st) {
        Split s = split(st.parsed, kCurrentUnitFlags);
        if (!s.unknown.empty()) warnUnknownFlags(st, s, "ignored");
        std::string l = s.text({"l", "linear"}), a = s.text({"a", "angle"}), t = s.text({"t", "time"});
        if (!l.empty() && l != "centimeter" && l != "cm")
            scene_.warn("currentUnit: linear unit '" + l +
                        "' is not supported; distances are read as centimetres");
        if (!a.empty() && a != "degree" && a != "deg")
            scene_.warn("currentUnit: angular unit '" + a + "' is not supported; angles are read as degrees");
        if (!t.empty() && t != "film")
            scene_.warn("currentUnit: time unit '" + t + "' is not supported; times are read as frames");
    }

    void createNode(const MaStatement& st) {
        Split s = split(st.parsed, kCreateNodeFlags);
        if (!s.unknown.empty()) warnUnknownFlags(st, s, "ignored");
        if (s.args.size() != 1) throw HostError("createNode: expects one node type");
        const std::string type = s.args[0].text;
        std::string name = s.text({"n", "name"});
        const bool shared = s.has({"s", "shared"});
        Node* parent = nullptr;
        if (s.has({"p", "parent"})) {
            std::string p = s.text({"p", "parent"});
            parent = findFileNode(p);
            if (!parent) throw HostError("createNode: parent '" + p + "' of '" + name + "' does not exist");
        }
        block_ = nullptr;
        const std::string fileName = name;
        if (importing_ && !shared) name = importedName(name);
        if (shared && !name.empty()) {
            // A default node the scene may have already: use it.
            Node* existing = scene_.findNode(name);
            if (existing && (existing->type->name == type || existing->unknownTypeName == type) &&
                existing->parent == parent) {
                existing->sharedNode = true;
                current_ = existing;
                return;
            }
        }
        NodeType* known = scene_.findType(type);
        Node* node = nullptr;
        if (known && type != "unknown" && type != "unknownDag") {
            node = scene_.createNode(type, name, parent, true);
        } else {
            if (warnedTypes_.insert(type).second)
                scene_.warn(
                    "createNode: node type '" + type +
                    "' is not known here; its nodes are kept as placeholders and written back unchanged");
            if (parent || !parents_.count(name)) {
                node = scene_.createPlaceholder(type, name, parent);
            } else {
                node = scene_.createPlaceholder(type, name, nullptr, true);
            }
        }
        node->sharedNode = shared;
        current_ = node;
        if (importing_) {
            imported_.emplace(fileName, node);
            fileNames_[node] = fileName;
        }
    }

    // Where a statement about ".attr" goes: the current node, or the block of a
    // default node we lack.
    void keepOnCurrent(const MaStatement& st, const std::string& cmd) {
        if (block_) {
            block_->lines.push_back(st.text);
            return;
        }
        if (!current_) throw HostError(cmd + ": no node to apply it to (no createNode or select before it)");
        if (isPlaceholder(current_) && cmd == "addAttr") learnAdded(current_, st.parsed);
        if (!isPlaceholder(current_) && cmd == "addAttr" && addAttr(st)) return;
        if (!isPlaceholder(current_) && cmd != "rename") {
            if (cmd == "addAttr") {
                std::string ln, sn;
                for (std::size_t i = 0; i + 1 < st.parsed.items.size(); ++i) {
                    const Item& it = st.parsed.items[i];
                    if (it.isFlag && (it.flag == "ln" || it.flag == "longName"))
                        ln = st.parsed.items[i + 1].arg.text;
                    if (it.isFlag && (it.flag == "sn" || it.flag == "shortName"))
                        sn = st.parsed.items[i + 1].arg.text;
                }
                dynamic_[current_].insert(ln);
                dynamic_[current_].insert(sn);
                scene_.warn("addAttr: extra attribute '" + (ln.empty() ? sn : ln) + "' of '" +
                            nodeRef(current_) + "' is not modelled here; kept as written");
            } else {
                scene_.warn(cmd + ": '" + nodeRef(current_) + "': not modelled here; kept as written");
            }
        }
        current_->raw.push_back(keptAsWritten(st.text));
    }

    // A placeholder's extra attribute of a numeric kind is learned from its
    // addAttr line (which is kept as written), so its file's values and
    // connections reach it under either name.
    void learnAdded(Node* node, const cmd::Statement& st) {
        std::string ln, sn, at;
        double dv = 0.0;
        for (std::size_t i = 0; i + 1 < st.items.size(); ++i) {
            const Item& it = st.items[i];
            if (!it.isFlag) continue;
            const Arg& v = st.items[i + 1].arg;
            if (it.flag == "ln" || it.flag == "longName") ln = v.text;
            if (it.flag == "sn" || it.flag == "shortName") sn = v.text;
            if (it.flag == "at" || it.flag == "attributeType") at = v.text;
            if ((it.flag == "dv" || it.flag == "defaultValue") && v.isNumber()) dv = v.number;
        }
        static const std::set<std::string> numeric = {"double",      "float", "bool", "long",
                                                      "short",       "byte",  "char", "doubleLinear",
                                                      "doubleAngle", "enum"};
        if (ln.empty() || !numeric.count(at)) return;
        if (sn.empty()) sn = ln;
        if (node->findAttr(ln) || node->findAttr(sn)) return;
        auto a = std::make_unique<Attr>();
        a->longName = ln;
        a->shortName = sn;
        a->numericType = at == "bool" ? 1 : 14;
        a->defaultValue = at == "doubleAngle" ? ma::degreesToRadians(dv) : dv;
        a->kind = at == "doubleAngle"    ? AttrKind::Angle
                  : at == "doubleLinear" ? AttrKind::Distance
                                         : AttrKind::Numeric;
        a->learned = true;
        scene_.addLateAttribute(node->type, std::move(a));
    }

    // An addAttr line of a node this host models: the attribute is added to
    // the current node. One the command refuses is kept as written.
    bool addAttr(const MaStatement& st) {
        const cmd::CommandDef* def = cmd::findCommand("addAttr");
        if (!def) return false;
        try {
            cmd::Invocation inv{scene_, "addAttr", {}, {}, st.line, false, true, std::cout};
            cmd::bind(st.parsed, *def, inv);
            if (!inv.args.empty()) throw HostError("addAttr: a scene file's addAttr names no node");
            Arg node;
            node.text = current_->isDag() ? current_->fullPathName() : current_->name;
            inv.args.push_back(node);
            def->run(inv);
            return true;
        } catch (const HostError& e) {
            scene_.warn(where(st) + ": " + e.what() + "; kept as written");
            for (std::size_t i = 0; i + 1 < st.parsed.items.size(); ++i) {
                const Item& it = st.parsed.items[i];
                if (it.isFlag &&
                    (it.flag == "ln" || it.flag == "longName" || it.flag == "sn" || it.flag == "shortName"))
                    dynamic_[current_].insert(st.parsed.items[i + 1].arg.text);
            }
            current_->raw.push_back(keptAsWritten(st.text));
            return true;
        }
    }

    void setAttr(const MaStatement& st) {
        Split s = split(st.parsed, kSetAttrFlags);
        if (s.args.empty()) throw HostError("setAttr: no attribute named");
        const std::string plug = s.args[0].text;
        std::vector<Arg> values(s.args.begin() + 1, s.args.end());
        // An unknown flag may have taken some of the words that follow as its
        // arguments: applying the rest as values could shift them.
        const bool faithful = s.unknown.empty();
        if (!faithful) warnUnknownFlags(st, s, "the statement is kept as written, not applied");

        Node* node = nullptr;
        std::string attrPath;
        if (!plug.empty() && plug[0] == '.') {
            if (block_) {
                if (faithful && block_->node == ":time1" && (plug == ".o" || plug == ".outTime") &&
                    values.size() == 1 && values[0].isNumber()) {
                    // An imported file does not move this scene's time.
                    if (!importing_) scene_.setCurrentTime(values[0].number);
                    return;
                }
                block_->lines.push_back(st.text);
                return;
            }
            if (!current_)
                throw HostError("setAttr: no node for '" + plug + "' (no createNode or select before it)");
            node = current_;
            attrPath = plug.substr(1);
        } else {
            std::string nodeName;
            if (!splitPlug(plug, nodeName, attrPath))
                throw HostError("setAttr: '" + plug + "' is not a plug");
            node = findFileNode(nodeName);
            if (!node) {
                scene_.warn("setAttr: no node named '" + nodeName + "'; '" + plug + "' kept as written");
                fs_.trailing.push_back(KeptStatement{st.text, {}});
                return;
            }
        }
        if (!faithful) {
            node->raw.push_back(keptAsWritten(st.text));
            return;
        }
        if (isPlaceholder(node)) return setForeign(node, attrPath, values, s, st);
        if (keys::isAnimCurve(node) && keyArrayName(attrPath)) return readKeys(node, attrPath, values, st);

        const std::string type = s.text({"type", "typ"});
        // ".i1[0:2]" 1 2 3: elements of a multi this host models, one
        // element's values after another, as the host writes them.
        if (auto range = cmd::elementRange(attrPath)) {
            if (cmd::rangeTemplate(scene_, node, *range)) {
                if (values.empty()) return;  // "-s 3 .i1[0:2]": a size only
                try {
                    for (const cmd::PlugPath& e :
                         cmd::setRangeValues(scene_, node, *range, values, type, "setAttr", false))
                        plugStates(node, e.attr, s);
                } catch (const HostError& e) {
                    scene_.warn(std::string(e.what()) + "; kept as written");
                    node->raw.push_back(keptAsWritten(st.text));
                }
                return;
            }
        }
        Attr* attr = modelledAttr(node, attrPath);
        // "-s N .i1": the size of a multi whose elements are attributes here.
        if (!attr && values.empty()) {
            Attr* multi = scene_.resolveAttribute(node, attrPath, false);
            if (multi && multi->array && !multi->multi) return;
        }
        if (!attr || attr->kind == AttrKind::Matrix || (!attr->writable && !values.empty())) {
            std::string base = attrPath.substr(0, attrPath.find_first_of(".["));
            if (!dynamic_[node].count(base))
                scene_.warn("setAttr: '" + nodeRef(node) + "' (" + node->type->name + ") has no attribute '" +
                            attrPath + "' that this host models; kept as written");
            node->raw.push_back(keptAsWritten(st.text));
            return;
        }
        // The value first, then the plug's states: the host writes a locked
        // plug's value and its lock on one line.
        if (!values.empty())
            cmd::setPlugValues(scene_, cmd::PlugPath{node, attr}, values, type, "setAttr", false);
        plugStates(node, attr, s);
    }

    // A placeholder's setAttr: the value goes into the attribute the line
    // names, learned on first sight, and the line is kept to be written back
    // as read while that value stays as it is.
    void setForeign(Node* node, const std::string& path, const std::vector<Arg>& values, const Split& s,
                    const MaStatement& st) {
        const std::string type = s.text({"type", "typ"});
        Attr* attr = nullptr;
        try {
            attr = learnFromValues(scene_, node, path, values, type);
            if (attr && !values.empty()) {
                if (isLearnedText(*attr)) {
                    attr->dataType = type;
                    node->setString(attr->index, type == "string" && values.size() == 1
                                                     ? values[0].text
                                                     : learnedText(values));
                } else {
                    cmd::setPlugValues(scene_, cmd::PlugPath{node, attr}, values, type, "setAttr", false);
                }
            }
        } catch (const HostError&) {
            attr = nullptr;  // a value that does not fit what the line named before: kept as written
        }
        if (!attr) {
            node->raw.push_back(keptAsWritten(st.text));
            return;
        }
        if (attr->learned && s.has({"s", "size"})) {
            auto n = parseNumber(s.text({"s", "size"}));
            if (n) attr->sizeHint = static_cast<int>(*n);
        }
        plugStates(node, attr, s);
        RawStatement kept = valueNow(node, attr);
        kept.text = st.text;
        node->raw.push_back(std::move(kept));
    }

    // -l, -k and -cb of a setAttr line, as the setAttr command applies them (a
    // compound's keyable and channel box states are its children's too).
    void plugStates(Node* node, const Attr* attr, const Split& s) {
        for (const auto& [flag, fv] : s.flags) {
            Node::PlugStateBit bit;
            if (flag == "l" || flag == "lock")
                bit = Node::kLocked;
            else if (flag == "k" || flag == "keyable")
                bit = Node::kKeyable;
            else if (flag == "cb" || flag == "channelBox")
                bit = Node::kChannelBox;
            else
                continue;
            if (!fv.front().isNumber()) {
                scene_.warn("setAttr: -" + flag + " expects on or off, got '" + fv.front().text + "' (for '" +
                            nodeRef(node) + "." + attr->longName + "'); ignored");
                continue;
            }
            const bool on = fv.front().number != 0.0;
            node->setPlugFlag(attr->index, bit, on);
            if (bit != Node::kLocked)
                for (const Attr* c : attr->children) node->setPlugFlag(c->index, bit, on);
        }
    }

    // The per-key arrays of an anim curve, by short or long name; nullptr for
    // any other attribute path.
    static const char* keyArrayName(const std::string& path) {
        static const char* const names[][2] = {
            {"ktv", "keyTimeValue"}, {"kit", "keyTanInType"}, {"kot", "keyTanOutType"},
            {"kix", "keyTanInX"},    {"kiy", "keyTanInY"},    {"kox", "keyTanOutX"},
            {"koy", "keyTanOutY"},   {"kl", "keyTanLocked"},  {"kwl", "keyWeightLocked"},
            {"kbd", "keyBreakdown"},
        };
        const std::string base = path.substr(0, path.find('['));
        for (const auto& n : names)
            if (base == n[0] || base == n[1]) return n[0];
        return nullptr;
    }

    // ".ktv[i]" or ".ktv[i:j]" followed by time value pairs; the other arrays
    // (".kit[i:j]" ...) one entry per key, the key at that index of the keys
    // read so far. Keys take the curve's ".tan" as their tangent types until
    // ".kit"/".kot" say otherwise, as the host writes them.
    void readKeys(Node* curve, const std::string& path, const std::vector<Arg>& values,
                  const MaStatement& st) {
        const std::string array = keyArrayName(path);
        std::size_t open = path.find('['), close = path.find(']');
        if (open == std::string::npos || close != path.size() - 1) {
            if (values.empty()) return;  // "-s N .ktv": a size hint only
            curve->raw.push_back(keptAsWritten(st.text));
            scene_.warn("setAttr: '" + curve->name + "." + path + "' kept as written");
            return;
        }
        std::string range = path.substr(open + 1, close - open - 1);
        std::size_t colon = range.find(':');
        auto first = parseNumber(range.substr(0, colon));
        auto last = colon == std::string::npos ? first : parseNumber(range.substr(colon + 1));
        if (!first || !last || *first < 0 || *last < *first || *last > 1e9)
            throw HostError("setAttr: '" + path + "' is not a key range");
        const std::size_t count = static_cast<std::size_t>(*last - *first + 1);
        const std::size_t per = array == "ktv" ? 2 : 1;
        if (values.size() != per * count)
            throw HostError("setAttr: '" + curve->name + "." + path + "' takes " +
                            std::to_string(per * count) +
                            (per == 2 ? " numbers (time value pairs), got " : " values, got ") +
                            std::to_string(values.size()));
        for (const Arg& v : values)
            if (!v.isNumber() || !std::isfinite(v.number))
                throw HostError("setAttr: '" + curve->name + "." + path + "' holds '" + clipInput(v.text) +
                                "', not a finite number");
        auto& curveKeys = keys::curveKeys(curve);
        if (array != "ktv") {
            const std::size_t base = static_cast<std::size_t>(*first);
            if (base + count > curveKeys.size()) {
                scene_.warn("setAttr: '" + curve->name + "." + path +
                            "' names keys the curve does not have (" + std::to_string(curveKeys.size()) +
                            "); kept as written");
                curve->raw.push_back(keptAsWritten(st.text));
                return;
            }
            for (std::size_t i = 0; i < count; ++i) {
                keys::Key& k = curveKeys[base + i];
                const double v = values[i].number;
                if (array == "kit" || array == "kot") {
                    int type = static_cast<int>(v);
                    if (!keys::isTangentType(type) || type != v) {
                        scene_.warn("setAttr: '" + curve->name + "." + path + "': " + values[i].text +
                                    " is not a tangent type; auto used");
                        type = keys::kAuto;
                    }
                    (array == "kit" ? k.inType : k.outType) = type;
                } else if (array == "kix") {
                    k.inX = v;
                } else if (array == "kiy") {
                    k.inY = v;
                } else if (array == "kox") {
                    k.outX = v;
                } else if (array == "koy") {
                    k.outY = v;
                } else if (array == "kl") {
                    k.tangentsLocked = v != 0.0;
                } else if (array == "kwl") {
                    k.weightsLocked = v != 0.0;
                } else {
                    k.breakdown = v != 0.0;
                }
            }
            keys::keysChanged(curve);
            return;
        }
        const Attr& out = *curve->attrAt(keys::outputSlot(curve));
        const int tanSlot = curve->type->findAttr("tangentType")->index;
        const int given = static_cast<int>(curve->storedNumber(tanSlot));
        const int type = keys::isTangentType(given) ? given : keys::kAuto;
        std::vector<keys::Key> parsed;
        for (std::size_t i = 0; i < count; ++i) {
            const Arg& t = values[2 * i];
            const Arg& v = values[2 * i + 1];
            const double value =
                out.kind == AttrKind::Angle ? parseAngle(v.text).value_or(v.number) : v.number;
            if (!std::isfinite(value))
                throw HostError("setAttr: key " + std::to_string(i) + " of '" + curve->name +
                                "' is not a pair of finite numbers");
            parsed.push_back(keys::Key{t.number, value});
        }
        for (const keys::Key& k : parsed) keys::setKey(curveKeys, k.time, k.value, type);
        keys::keysChanged(curve);
    }

    void select(const MaStatement& st) {
        Split s = split(st.parsed, kSelectFlags);
        if (!s.unknown.empty()) warnUnknownFlags(st, s, "ignored");
        if (s.args.empty()) {
            current_ = nullptr;
            block_ = nullptr;
            return;
        }
        const std::string name = s.args[0].text;
        Node* node = findFileNode(name);
        if (node) {
            current_ = node;
            block_ = nullptr;
            return;
        }
        fs_.defaults.push_back(DefaultNodeBlock{name, {}});
        block_ = &fs_.defaults.back();
        current_ = nullptr;
    }

    void connectAttr(const MaStatement& st) {
        Split s = split(st.parsed, kConnectAttrFlags);
        if (!s.unknown.empty()) {
            warnUnknownFlags(st, s, "the connection is kept as written, not made");
            return keepTrailing(st, st.parsed.items);
        }
        if (s.args.size() != 2) throw HostError("connectAttr: expects a source and a destination plug");
        std::string names[2], paths[2];
        Node* nodes[2] = {nullptr, nullptr};
        Attr* attrs[2] = {nullptr, nullptr};
        std::vector<std::string> existing;
        for (int i = 0; i < 2; ++i) {
            if (!splitPlug(s.args[i].text, names[i], paths[i]))
                throw HostError("connectAttr: '" + s.args[i].text + "' is not a plug");
            nodes[i] = findFileNode(names[i]);
            if (nodes[i]) {
                existing.push_back(stripColon(names[i]));
                if (!isPlaceholder(nodes[i])) attrs[i] = modelledAttr(nodes[i], paths[i]);
            }
        }
        // A placeholder's end is learned, shaped as the other end, when that
        // end is a node here and what it names is known (or learned in turn).
        const bool plain = !s.has({"l", "lock"}) && !s.has({"na", "nextAvailable"});
        if (plain && nodes[0] && nodes[1] && (attrs[0] || isPlaceholder(nodes[0])) &&
            (attrs[1] || isPlaceholder(nodes[1]))) {
            for (int i = 0; i < 2; ++i)
                if (!attrs[i]) attrs[i] = learnFromConnection(scene_, nodes[i], paths[i], attrs[1 - i]);
        }
        if (plain && attrs[0] && attrs[1]) {
            cmd::PlugPath src{nodes[0], attrs[0]}, dst{nodes[1], attrs[1]};
            const bool force = s.has({"f", "force"});
            // A file may state a connection twice; it is made once.
            if (dst.node->source(attrs[1]->index) == src.ref()) return;
            if (dst.node->source(attrs[1]->index) && !force)
                throw HostError("connectAttr: '" + dst.name() +
                                "' is already connected; the file gives no -f");
            // A file holds the host's unitConversion nodes where units cross;
            // a connection it makes directly converts as it always did.
            if (!isPlaceholder(nodes[0]) && !isPlaceholder(nodes[1])) {
                scene_.connect(src.ref(), dst.ref(), force);
                return;
            }
            try {
                scene_.connect(src.ref(), dst.ref(), force);
                return;
            } catch (const HostError& e) {
                scene_.warn(std::string("connectAttr: ") + e.what() + "; the connection is kept as written");
                return keepTrailing(st, st.parsed.items);
            }
        }
        for (int i = 0; i < 2; ++i) {
            if (!nodes[i] && names[i][0] != ':')
                scene_.warn("connectAttr: no node named '" + names[i] +
                            "'; the connection is kept as written");
            else if (nodes[i] && !isPlaceholder(nodes[i]) && !attrs[i] && !other(nodes, i) &&
                     !dynamic_[nodes[i]].count(paths[i].substr(0, paths[i].find_first_of(".["))))
                scene_.warn("connectAttr: '" + nodeRef(nodes[i]) + "." + paths[i] +
                            "' is not an attribute this host models; the connection is kept as written");
        }
        fs_.trailing.push_back(KeptStatement{st.text, existing});
    }

    // True when the other end of a kept connection is a placeholder (no need
    // to warn about this end: the whole connection belongs to what we keep).
    static bool other(Node* const nodes[2], int i) {
        const Node* o = nodes[1 - i];
        return o && isPlaceholder(o);
    }

    void keepTrailing(const MaStatement& st, const std::vector<Item>& items) {
        std::vector<std::string> existing;
        for (const Item& it : items) {
            if (it.isFlag) continue;
            std::string n = it.arg.text.substr(0, it.arg.text.find('.'));
            if (!n.empty() && findFileNode(n)) existing.push_back(stripColon(n));
        }
        fs_.trailing.push_back(KeptStatement{st.text, existing});
    }

    // "file -r ..." and "file -rdi ...": references to other scene files,
    // which this host does not load; the statement is kept for the next save.
    static bool isReference(const cmd::Statement& st) {
        for (const Item& it : st.items)
            if (it.isFlag && (it.flag == "r" || it.flag == "reference" || it.flag == "rdi" ||
                              it.flag == "referenceDepthInfo"))
                return true;
        return false;
    }

    void reference(const MaStatement& st) {
        if (importing_) {
            scene_.warn("file: '" + clipInput(firstLine(st.text)) +
                        "' of an imported file is left out: references "
                        "are not loaded here");
            return;
        }
        scene_.warn("file: file references are not loaded here; '" + clipInput(firstLine(st.text)) +
                    "' kept as written");
        fs_.header.push_back(st.text);
    }

    // parent, rename, disconnectAttr: run in file context. One that fails
    // here is kept as written with a warning: the file may use host features
    // this one lacks.
    void runEdit(const MaStatement& st) {
        const std::string& c = st.parsed.command;
        try {
            if (cmd::Interpreter* in = cmd::Interpreter::of(scene_)) {
                in->runStatement(st.parsed, false, true);
                return;
            }
            const cmd::CommandDef* def = cmd::findCommand(c);
            if (!def) throw HostError(c + ": not available");
            cmd::Invocation inv{scene_, c, {}, {}, st.line, false, true, std::cout};
            cmd::bind(st.parsed, *def, inv);
            def->run(inv);
        } catch (const cmd::SyntaxError&) {
            throw;
        } catch (const HostError& e) {
            scene_.warn(std::string(e.what()) + "; '" + clipInput(firstLine(st.text)) + "' kept as written");
            fs_.trailing.push_back(KeptStatement{st.text, {}});
        }
    }

    // Any other statement (evalDeferred, loadPlugin, file -save, playblast,
    // print, a command nobody knows...): a scene file is data, so it is not
    // run; it is kept for the next save and reported.
    void notRun(const MaStatement& st) {
        if (notRunReported_ < kNotRunReported) {
            ++notRunReported_;
            scene_.warn(where(st) + ": '" + clipInput(firstLine(st.text)) +
                        "' is not run: a scene file runs only scene statements; kept as written");
        } else {
            ++notRunUnreported_;
        }
        fs_.trailing.push_back(KeptStatement{st.text, {}});
    }

    static std::string firstLine(const std::string& text) {
        std::string l = text.substr(0, text.find('\n'));
        return l.size() > 80 ? l.substr(0, 77) + "..." : l;
    }

    Scene& scene_;
    FileState& fs_;
    std::set<std::string> parents_;
    std::string file_;
    int notRunReported_ = 0, notRunUnreported_ = 0;
    Node* current_ = nullptr;
    DefaultNodeBlock* block_ = nullptr;  // into fs_.defaults; only the last one is ever current
    std::set<std::string> warnedTypes_;
    std::unordered_map<const Node*, std::set<std::string>> dynamic_;
    // file -import: the names the file gives its nodes, and those the scene had.
    bool importing_ = false;
    ImportOptions import_;
    std::set<std::string> before_;
    std::multimap<std::string, Node*> imported_;
    std::unordered_map<const Node*, std::string> fileNames_;
};

// The writer always writes the time node with the current time; a block of
// it that kept nothing else carries nothing.
void dropEmptyTimeBlocks(Scene& scene) {
    auto& d = fileState(scene).defaults;
    d.erase(std::remove_if(d.begin(), d.end(),
                           [](const DefaultNodeBlock& b) { return b.node == ":time1" && b.lines.empty(); }),
            d.end());
}

// A file may give values for computed outputs (the host writes storable
// outputs too), and setting them marked them clean. They are results, not
// state: the first read recomputes them from the inputs, as for a new node.
void recomputeOutputs(Scene& scene) {
    for (Node* n : scene.nodes()) {
        if (!n->unknownTypeName.empty()) continue;
        for (const Attr* a : n->attrs())
            if (a->computed && !n->source(a->index)) n->markDirty(a->index);
    }
}

void finishReading(Scene& scene) {
    dropEmptyTimeBlocks(scene);
    recomputeOutputs(scene);
    keys::timeChanged(scene);
    // The playback range, from the script node the host keeps it in.
    if (Node* config = scene.findNode(keys::kSceneConfigNode))
        for (const RawStatement& r : config->raw) keys::readPlaybackText(r.text, keys::playbackRange(scene));
}

}  // namespace

void clearScene(Scene& scene) {
    // A scene opened or made new starts a fresh undo queue.
    scene.undoQueue().flush();
    UndoPause unrecorded(scene.undoQueue());
    while (!scene.nodes().empty()) scene.deleteNode(scene.nodes().back());
    scene.setSelection({});
    fileState(scene).clear();
    scene.setCurrentTime(1.0);
    keys::playbackRange(scene) = keys::PlaybackRange{};
}

bool runsFromSceneFiles(const std::string& command) { return kRunFromFiles.count(command) != 0; }

void readScene(Scene& scene, const std::string& text, const std::string& displayName,
               const ImportOptions* import) {
    FileActivityGuard reading(scene, FileActivity::Reading);
    // What a file brings is not undone statement by statement: the queue
    // starts after it.
    struct Unrecorded {
        UndoQueue& queue;
        explicit Unrecorded(UndoQueue& q) : queue(q) { queue.pause(); }
        ~Unrecorded() {
            queue.resume();
            queue.flush();
        }
    } unrecorded(scene.undoQueue());
    Reader reader(scene, text, displayName, import);
    StatementReader statements(text);
    MaStatement st;
    int line = 1;
    try {
        while (statements.next(st)) {
            line = st.line;
            reader.statement(st);
        }
    } catch (const cmd::SyntaxError& e) {
        reader.finish();
        finishReading(scene);
        throw HostError(displayName + " line " + std::to_string(e.line) + ": " + e.what());
    } catch (const HostError& e) {
        reader.finish();
        finishReading(scene);
        throw HostError(displayName + " line " + std::to_string(line) + ": " + e.what());
    }
    reader.finish();
    finishReading(scene);
}

}  // namespace rdhost::ma
