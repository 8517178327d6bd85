// Attributes added after a type's nodes exist: the elements of multis, made
// on first use, and the attributes a placeholder learns from its file.
#define MNoVersionString
#include "graph/scene.h"

#include "graph/scene_impl.h"

#include <algorithm>
#include <cstdlib>

namespace rdhost {

void Node::growSlots() {
    // The type's new slots go before the added ones, whose numbers stay.
    for (; typeSlots_ < type->attrs.size(); ++typeSlots_) insertSlot(typeSlots_, type->attrs[typeSlots_]);
}

Attr* Scene::addLateAttribute(NodeType* type, std::unique_ptr<Attr> attr,
                              std::vector<std::unique_ptr<Attr>> children) {
    Attr* a = attr.get();
    a->owner = type;
    type->pool.push_back(std::move(attr));
    for (auto& c : children) {
        c->owner = type;
        c->parent = a;
        a->children.push_back(c.get());
        type->pool.push_back(std::move(c));
    }
    MStatus st = addAttributeTo(type, a);
    if (!st) throw HostError(st.errorString().asChar());
    // What the template affects, its elements affect; what affects the
    // template, affects them.
    std::vector<Attr*> made{a};
    made.insert(made.end(), a->children.begin(), a->children.end());
    for (Attr* x : made) {
        if (!x->elementOf) continue;
        x->affects = x->elementOf->affects;
        x->computed = x->elementOf->computed;
        for (Attr* y : type->attrs)
            if (y != x &&
                std::find(y->affects.begin(), y->affects.end(), x->elementOf->index) != y->affects.end())
                y->affects.push_back(x->index);
    }
    for (Node* n : impl_->nodes)
        if (n->type == type) n->growSlots();
    return a;
}

namespace {

// "name[12]" into name and 12; false when the text has no index or a bad one.
bool splitIndex(const std::string& part, std::string& name, int& index) {
    const size_t open = part.find('[');
    if (open == std::string::npos || open == 0 || part.back() != ']') return false;
    const std::string digits = part.substr(open + 1, part.size() - open - 2);
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    name = part.substr(0, open);
    index = std::atoi(digits.c_str());
    return true;
}

std::unique_ptr<Attr> elementLike(const Attr& from, const std::string& longName, const std::string& shortName,
                                  Attr* multi, int index) {
    auto e = std::make_unique<Attr>(from);
    e->longName = longName;
    e->shortName = shortName;
    e->array = false;
    e->index = -1;
    e->owner = nullptr;
    e->parent = nullptr;
    e->children.clear();
    e->affects.clear();
    e->multi = multi;
    e->elementOf = const_cast<Attr*>(&from);
    e->elementIndex = index;
    return e;
}

}  // namespace

Attr* Scene::resolveAttribute(Node* node, const std::string& path, bool make) {
    if (!node || !node->type || path.empty()) return nullptr;
    if (Attr* a = node->findAttr(path)) return a;
    const size_t dot = path.find('.');
    const std::string head = path.substr(0, dot);
    const std::string rest = dot == std::string::npos ? "" : path.substr(dot + 1);
    Attr* at = nullptr;
    std::string name;
    int index = -1;
    if (splitIndex(head, name, index)) {
        Attr* multi = node->findAttr(name);
        if (!multi || !multi->array || multi->multi) return nullptr;
        const std::string ln = multi->longName + "[" + std::to_string(index) + "]";
        at = node->findAttr(ln);
        if (!at) {
            if (!make) return nullptr;
            const std::string sn = multi->shortName + "[" + std::to_string(index) + "]";
            std::vector<std::unique_ptr<Attr>> kids;
            for (const Attr* c : multi->children)
                kids.push_back(
                    elementLike(*c, ln + "." + c->longName, sn + "." + c->shortName, multi, index));
            at = addLateAttribute(node->type, elementLike(*multi, ln, sn, multi, index), std::move(kids));
        }
    } else {
        at = node->findAttr(head);
        if (!at) return nullptr;
    }
    if (rest.empty()) return at;
    // A child by its own name or, for an element's child, by its template's;
    // "a.b.c" goes one level at a time.
    auto child = [](Attr* of, const std::string& n) -> Attr* {
        for (Attr* c : of->children) {
            if (c->longName == n || c->shortName == n) return c;
            if (c->elementOf && (c->elementOf->longName == n || c->elementOf->shortName == n)) return c;
        }
        return nullptr;
    };
    size_t from = 0;
    while (at) {
        const size_t d = rest.find('.', from);
        at = child(at, rest.substr(from, d == std::string::npos ? std::string::npos : d - from));
        if (d == std::string::npos) return at;
        from = d + 1;
    }
    return nullptr;
}

}  // namespace rdhost
