#include "command/foreign_attrs.h"

#include "command/attrs.h"
#include "command/ma_format.h"

namespace rdhost::ma {

namespace {

// MFnNumericData::Type values.
enum { kBoolean = 1, kDouble = 14 };

int tupleSize(const std::string& type) {
    for (const char* t : {"double", "float", "long", "short"}) {
        const std::string base = t;
        if (type == base + "2") return 2;
        if (type == base + "3") return 3;
    }
    return 0;
}

bool isBooleanWord(const cmd::Arg& a) { return a.kind == cmd::Arg::Kind::Bool; }

std::unique_ptr<Attr> learned(const std::string& name, AttrKind kind) {
    auto a = std::make_unique<Attr>();
    a->longName = a->shortName = name;
    a->kind = kind;
    a->numericType = kDouble;
    a->learned = true;
    return a;
}

}  // namespace

bool isLearnedText(const Attr& a) { return a.learned && a.kind == AttrKind::String; }

std::string learnedText(const std::vector<cmd::Arg>& values) {
    std::string out;
    for (const cmd::Arg& v : values) {
        if (!out.empty()) out += ' ';
        out += v.kind == cmd::Arg::Kind::String ? quote(v.text) : v.text;
    }
    return out;
}

std::string learnedTextLine(Node* node, const Attr& a) {
    std::string out = "setAttr ";
    if (a.sizeHint >= 0) out += "-s " + std::to_string(a.sizeHint) + " ";
    out += "\"." + a.shortName + "\"";
    if (!a.dataType.empty()) out += " -type " + quote(a.dataType);
    const std::string& text = node->storedString(a.index);
    if (!text.empty()) out += " " + text;
    return out;
}

Attr* learnFromValues(Scene& scene, Node* node, const std::string& path, const std::vector<cmd::Arg>& values,
                      const std::string& type) {
    if (Attr* a = scene.resolveAttribute(node, path, false)) return a;
    if (values.empty()) return nullptr;
    const bool plainPath = path.find(':') == std::string::npos;
    bool allNumbers = true;
    for (const cmd::Arg& v : values) allNumbers = allNumbers && v.isNumber();
    static const char* scalar[] = {"",     "double", "float",        "long",        "short", "bool",
                                   "byte", "char",   "doubleLinear", "doubleAngle", "enum"};
    bool isScalar = false;
    for (const char* t : scalar) isScalar = isScalar || type == t;
    if (plainPath && isScalar && values.size() == 1 && allNumbers) {
        auto a = learned(path, AttrKind::Numeric);
        if (isBooleanWord(values[0])) a->numericType = kBoolean;
        return scene.addLateAttribute(node->type, std::move(a));
    }
    const int n = tupleSize(type);
    if (plainPath && n > 0 && static_cast<int>(values.size()) == n && allNumbers) {
        static const char* axes[3] = {"x", "y", "z"};
        bool free = true;
        std::vector<std::unique_ptr<Attr>> kids;
        for (int i = 0; i < n; ++i) {
            free = free && !node->findAttr(path + axes[i]);
            kids.push_back(learned(path + axes[i], AttrKind::Numeric));
        }
        if (free)
            return scene.addLateAttribute(node->type, learned(path, AttrKind::Compound), std::move(kids));
    }
    auto a = learned(path, AttrKind::String);
    a->dataType = type;
    return scene.addLateAttribute(node->type, std::move(a));
}

Attr* learnFromConnection(Scene& scene, Node* node, const std::string& path, const Attr* like) {
    if (Attr* a = scene.resolveAttribute(node, path, false)) return a;
    if (!like || like->kind == AttrKind::Matrix)
        return scene.addLateAttribute(node->type, learned(path, AttrKind::Numeric));
    auto a = learned(path, like->kind);
    a->numericType = like->numericType;
    a->matrix = like->matrix;
    a->enumFields = like->enumFields;
    if (like->kind == AttrKind::String) a->dataType = like->learned ? like->dataType : "string";
    std::vector<std::unique_ptr<Attr>> kids;
    for (const Attr* c : like->children) {
        if (node->findAttr(path + c->shortName.substr(std::min(c->shortName.size(), like->shortName.size()))))
            return scene.addLateAttribute(node->type, learned(path, AttrKind::Numeric));
        std::string suffix = c->shortName;
        // Children take the far end's suffix after its parent's name ("tx" of
        // "t" gives NAME + "x"), so the path reaches them as the file does.
        if (suffix.rfind(like->shortName, 0) == 0) suffix = suffix.substr(like->shortName.size());
        auto k = learned(path + suffix, c->kind);
        k->numericType = c->numericType;
        k->hidden = c->hidden;
        kids.push_back(std::move(k));
    }
    return scene.addLateAttribute(node->type, std::move(a), std::move(kids));
}

RawStatement valueNow(Node* node, const Attr* attr) {
    RawStatement r;
    r.attr = attr;
    r.states = node->plugStateBits(attr->index);
    if (attr->isCompound())
        for (const Attr* c : attr->children) r.numbers.push_back(node->storedNumber(c->index));
    else if (attr->isNumeric())
        r.numbers.push_back(node->storedNumber(attr->index));
    else
        r.string = node->storedString(attr->index);
    return r;
}

bool sameValue(const RawStatement& a, const RawStatement& b) {
    if (a.attr != b.attr || a.states != b.states || a.string != b.string ||
        a.numbers.size() != b.numbers.size())
        return false;
    for (size_t i = 0; i < a.numbers.size(); ++i)
        if (!(a.numbers[i] == b.numbers[i]) &&
            !(a.numbers[i] != a.numbers[i] && b.numbers[i] != b.numbers[i]))
            return false;
    return true;
}

}  // namespace rdhost::ma
