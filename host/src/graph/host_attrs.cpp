#include "graph/host_attrs.h"

#include "graph/scene_impl.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace rdhost::hostattrs {

Attr* Builder::loose(const std::string& ln, const std::string& sn, AttrKind kind, int numericType,
                     double def) {
    auto a = std::make_unique<Attr>();
    a->longName = ln;
    a->shortName = sn;
    a->kind = kind;
    a->numericType = numericType;
    a->defaultValue = def;
    a->owner = &t_;
    Attr* raw = a.get();
    t_.pool.push_back(std::move(a));
    return raw;
}

Attr* Builder::add(Attr* a) {
    MStatus st = addAttributeTo(&t_, a);
    if (!st)
        throw HostError("built-in attribute '" + a->longName + "' of '" + t_.name +
                        "': " + st.errorString().asChar());
    return a;
}

Attr* Builder::number(const std::string& ln, const std::string& sn, double def, int numericType) {
    return add(loose(ln, sn, AttrKind::Numeric, numericType, def));
}

Attr* Builder::unit(const std::string& ln, const std::string& sn, AttrKind kind, double def) {
    return add(loose(ln, sn, kind, kDouble, def));
}

Attr* Builder::enumeration(const std::string& ln, const std::string& sn,
                           const std::vector<std::string>& fields, double def) {
    Attr* a = loose(ln, sn, AttrKind::Enum, kShort, def);
    for (size_t i = 0; i < fields.size(); ++i) a->enumFields.emplace_back(fields[i], static_cast<int>(i));
    return add(a);
}

Attr* Builder::compound(const std::string& ln, const std::string& sn, const std::vector<Attr*>& children) {
    Attr* c = loose(ln, sn, AttrKind::Compound, 0, 0.0);
    for (Attr* k : children) {
        k->parent = c;
        c->children.push_back(k);
    }
    return add(c);
}

Attr* Builder::tuple(const std::string& ln, const std::string& sn,
                     const std::vector<std::string>& longSuffixes,
                     const std::vector<std::string>& shortSuffixes, AttrKind kind, int numericType,
                     const std::vector<double>& defaults) {
    std::vector<Attr*> kids;
    for (size_t i = 0; i < longSuffixes.size(); ++i)
        kids.push_back(loose(ln + longSuffixes[i], sn + shortSuffixes[i], kind, numericType, defaults[i]));
    return compound(ln, sn, kids);
}

Attr* Builder::matrix(const std::string& ln, const std::string& sn) {
    std::vector<Attr*> kids;
    for (int i = 0; i < 16; ++i) {
        const std::string rc = std::to_string(i / 4) + std::to_string(i % 4);
        Attr* k = loose(ln + "_" + rc, sn + "_" + rc, AttrKind::Numeric, kDouble, i % 5 == 0 ? 1.0 : 0.0);
        k->hidden = true;
        k->keyable = false;
        kids.push_back(k);
    }
    Attr* m = compound(ln, sn, kids);
    m->matrix = true;
    return m;
}

void Builder::affects(const std::vector<Attr*>& inputs, const std::vector<Attr*>& outputs, bool keyInputs) {
    auto withChildren = [](Attr* a) {
        std::vector<Attr*> all{a};
        all.insert(all.end(), a->children.begin(), a->children.end());
        return all;
    };
    for (Attr* out : outputs)
        for (Attr* o : withChildren(out)) {
            o->computed = true;
            o->writable = false;
            o->storable = false;
            o->keyable = false;
        }
    for (Attr* in : inputs)
        for (Attr* i : withChildren(in)) {
            if (keyInputs && !i->isCompound() && !i->hidden && !i->array) i->keyable = true;
            for (Attr* out : outputs)
                for (Attr* o : withChildren(out))
                    if (std::find(i->affects.begin(), i->affects.end(), o->index) == i->affects.end())
                        i->affects.push_back(o->index);
        }
}

void Builder::affects(std::initializer_list<Attr*> inputs, std::initializer_list<Attr*> outputs) {
    affects(std::vector<Attr*>(inputs), std::vector<Attr*>(outputs), true);
}

void addTransformAttributes(Builder& b, const std::vector<Attr*>& moreInputs) {
    NodeType& t = b.type();
    auto& x = t.xform;
    auto slots = [](Attr* c, int out[3]) {
        for (int i = 0; i < 3; ++i) out[i] = c->children[i]->index;
    };
    Attr* rp = b.xyz("rotatePivot", "rp", AttrKind::Distance, kDouble, 0.0);
    Attr* sp = b.xyz("scalePivot", "sp", AttrKind::Distance, kDouble, 0.0);
    Attr* rpt = b.xyz("rotatePivotTranslate", "rpt", AttrKind::Distance, kDouble, 0.0);
    Attr* spt = b.xyz("scalePivotTranslate", "spt", AttrKind::Distance, kDouble, 0.0);
    Attr* ra = b.xyz("rotateAxis", "ra", AttrKind::Angle, kDouble, 0.0);
    for (Attr* a : {rp, sp, rpt, spt, ra})
        for (Attr* c : a->children) c->keyable = false;
    slots(rp, x.rp);
    slots(sp, x.sp);
    slots(rpt, x.rpt);
    slots(spt, x.spt);
    slots(ra, x.ra);
    Attr* it = b.number("inheritsTransform", "it", 1.0, kBool);
    x.it = it->index;
    Attr* opm = b.matrix("offsetParentMatrix", "opm");
    x.opm = opm->children[0]->index;

    std::vector<Attr*> inputs = {rp, sp, rpt, spt, ra, it, opm};
    for (const char* n : {"translate", "rotate", "scale", "shear", "rotateOrder"})
        if (Attr* a = t.findAttr(n)) inputs.push_back(a);
    inputs.insert(inputs.end(), moreInputs.begin(), moreInputs.end());
    Attr* m = b.matrix("matrix", "m");
    Attr* im = b.matrix("inverseMatrix", "im");
    Attr* wm = b.matrix("worldMatrix", "wm");
    Attr* wim = b.matrix("worldInverseMatrix", "wim");
    Attr* pm = b.matrix("parentMatrix", "pm");
    Attr* pim = b.matrix("parentInverseMatrix", "pim");
    b.affects(inputs, {m, im, wm, wim}, false);
    for (Attr* a : {wm, wim, pm, pim}) {
        a->array = true;
        a->followsParent = true;
        for (Attr* c : a->children) c->followsParent = true;
    }
    for (Attr* a : {pm, pim})
        for (Attr* o : std::vector<Attr*>{a}) {
            o->computed = o->storable = false;
            o->computed = true;
            o->writable = false;
            for (Attr* c : o->children) {
                c->computed = true;
                c->writable = c->storable = false;
            }
        }
    t.hostCompute = &computeTransform;
}

namespace {

using M4 = double[4][4];

void mul(const M4 a, const M4 b, M4 out) {
    double r[4][4];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j] + a[i][3] * b[3][j];
    std::memcpy(out, r, sizeof r);
}

}  // namespace

bool invert(const double in[4][4], double out[4][4]) {
    double a[4][8];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 8; ++j) a[i][j] = j < 4 ? in[i][j] : (j - 4 == i ? 1.0 : 0.0);
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
        if (a[pivot][c] == 0.0) return false;
        if (pivot != c)
            for (int j = 0; j < 8; ++j) std::swap(a[c][j], a[pivot][j]);
        const double d = a[c][c];
        for (int j = 0; j < 8; ++j) a[c][j] /= d;
        for (int r = 0; r < 4; ++r) {
            if (r == c || a[r][c] == 0.0) continue;
            const double f = a[r][c];
            for (int j = 0; j < 8; ++j) a[r][j] -= f * a[c][j];
        }
    }
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) out[i][j] = a[i][j + 4];
    return true;
}

void writeMatrix(Node* node, const Attr* m, const double v[4][4]) {
    for (int i = 0; i < 16 && i < static_cast<int>(m->children.size()); ++i) {
        node->writeNumberClean(m->children[i]->index, v[i / 4][i % 4]);
        node->setClean(m->children[i]->index);
    }
    node->setClean(m->index);
}

void readMatrix(Node* node, const Attr* m, double v[4][4]) {
    for (int i = 0; i < 16; ++i) v[i / 4][i % 4] = node->getNumber(m->children[i]->index);
}

void computeTransform(Node* node, int attr) {
    const Attr* a = node->attrAt(attr);
    const Attr* m = a->matrix ? a : a->parent;
    if (!m || !m->matrix) return;
    const std::string& name = m->elementOf ? m->elementOf->longName : m->longName;
    double v[4][4], parent[4][4];
    const bool inverse =
        name == "inverseMatrix" || name == "worldInverseMatrix" || name == "parentInverseMatrix";
    if (name == "matrix" || name == "inverseMatrix") {
        node->localMatrix(v);
    } else if (name == "worldMatrix" || name == "worldInverseMatrix") {
        node->scene->worldMatrix(node, v);
    } else {
        node->scene->worldMatrix(node->parent, v);
        if (!node->parent) {
            for (int i = 0; i < 4; ++i)
                for (int j = 0; j < 4; ++j) v[i][j] = i == j;
        }
    }
    (void)parent;
    (void)mul;
    if (inverse && !invert(v, v))
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) v[i][j] = i == j;
    writeMatrix(node, m, v);
}

}  // namespace rdhost::hostattrs
