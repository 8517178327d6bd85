// Node names: the name index, lookups by name or DAG path, and the numbered
// names the host gives when a name is taken.
#include "graph/scene.h"

#include "graph/scene_impl.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace rdhost {

bool validName(const std::string& n) {
    if (n.empty() || !(std::isalpha(static_cast<unsigned char>(n[0])) || n[0] == '_')) return false;
    for (char c : n)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
    return true;
}

std::vector<Node*> Scene::findNodes(const std::string& path) const {
    std::vector<Node*> out;
    if (path.empty()) return out;
    // Split on '|'; a leading '|' anchors the path at the world.
    bool absolute = path[0] == '|';
    std::vector<std::string> parts;
    std::stringstream ss(path);
    std::string part;
    while (std::getline(ss, part, '|'))
        if (!part.empty()) parts.push_back(part);
    if (parts.empty()) return out;
    auto named = impl_->byName.find(parts.back());
    if (named == impl_->byName.end()) return out;
    for (Node* n : named->second) {
        if (parts.size() > 1 && !n->isDag()) continue;
        const Node* cur = n;
        bool ok = true;
        for (int i = static_cast<int>(parts.size()) - 2; i >= 0; --i) {
            cur = cur->parent;
            if (!cur || cur->name != parts[i]) {
                ok = false;
                break;
            }
        }
        if (ok && absolute && cur->parent) ok = false;
        if (ok) out.push_back(n);
    }
    // Creation order, as a scan of the scene would give (renames reorder the index).
    if (out.size() > 1) {
        std::vector<Node*> ordered;
        for (Node* n : impl_->nodes)
            if (std::find(out.begin(), out.end(), n) != out.end()) ordered.push_back(n);
        out.swap(ordered);
    }
    return out;
}

Node* Scene::findNode(const std::string& path) const {
    auto all = findNodes(path);
    return all.size() == 1 ? all[0] : nullptr;
}

// A name is taken for a node about to live under `parent` when a dependency
// node has it, or a DAG node with the same parent; DAG nodes under different
// parents may share a name (their paths differ), as in the host.
static bool nameTaken(const Scene::Impl& impl, const std::string& name, bool dag, const Node* parent,
                      const Node* except) {
    auto it = impl.byName.find(name);
    if (it == impl.byName.end()) return false;
    for (Node* n : it->second) {
        if (n == except) continue;
        if (!dag || !n->isDag() || n->parent == parent) return true;
    }
    return false;
}

// "name12" -> ("name", 12); false when the name does not end in a plain
// number as this host writes them (no leading zero, not too long).
static bool splitNumbered(const std::string& name, std::string& stem, long& number) {
    size_t i = name.size();
    while (i > 0 && std::isdigit(static_cast<unsigned char>(name[i - 1]))) --i;
    if (i == name.size() || name.size() - i >= 10 || name[i] == '0') return false;
    stem = name.substr(0, i);
    number = std::stol(name.substr(i));
    return true;
}

void Scene::Impl::indexName(Node* n) { byName[n->name].push_back(n); }

void Scene::Impl::unindexName(Node* n) {
    auto it = byName.find(n->name);
    if (it != byName.end()) {
        auto& v = it->second;
        v.erase(std::remove(v.begin(), v.end(), n), v.end());
        if (v.empty()) byName.erase(it);
    }
    std::string stem;
    long k = 0;
    if (splitNumbered(n->name, stem, k)) {
        auto h = takenBelow.find(stem);
        if (h != takenBelow.end() && k < h->second) h->second = k;
    }
}

std::string Scene::Impl::freeName(const std::string& base, bool dag, const Node* parent, const Node* except,
                                  bool global) {
    auto taken = [&](const std::string& n) {
        return global ? nameTaken(*this, n, false, nullptr, except)
                      : nameTaken(*this, n, dag, parent, except);
    };
    if (!taken(base)) return base;
    // As the host does: "name7" taken gives "name8", "name" taken gives "name1".
    std::string stem = base;
    while (!stem.empty() && std::isdigit(static_cast<unsigned char>(stem.back()))) stem.pop_back();
    long first = 1;
    if (stem.size() < base.size() && base.size() - stem.size() < 10)
        first = std::stol(base.substr(stem.size())) + 1;
    // The scene-wide hint holds only for scene-wide uniqueness with no node
    // set aside; it never changes which name is chosen, only where the search
    // starts.
    const bool hinted = global && !except;
    long from = first;
    if (hinted) {
        auto h = takenBelow.find(stem);
        if (h != takenBelow.end() && h->second > from) from = h->second;
    }
    for (long i = from;; ++i) {
        std::string candidate = stem + std::to_string(i);
        if (!taken(candidate)) {
            if (hinted && first <= 1) takenBelow[stem] = i;  // 1..i-1 are all taken
            return candidate;
        }
    }
}

std::string Scene::uniqueName(const std::string& base) const {
    return impl_->freeName(base, false, nullptr, nullptr, true);
}

// ---------------------------------------------------------------- DAG paths

std::string Node::fullPathName() const {
    if (!isDag()) return name;
    std::string out;
    for (const Node* n = this; n; n = n->parent) out = "|" + n->name + out;
    return out;
}

std::string Node::partialPathName() const {
    if (!isDag()) return name;
    // The shortest tail of the full path that names this node alone.
    std::string tail = name;
    for (const Node* n = this;;) {
        if (scene->findNodes(tail).size() == 1) return tail;
        n = n->parent;
        if (!n) return "|" + tail;
        tail = n->name + "|" + tail;
    }
}

}  // namespace rdhost
