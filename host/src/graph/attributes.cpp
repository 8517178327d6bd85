// Attribute function sets (numeric, unit, typed, enum), data objects, and
// MPxNode::addAttribute / attributeAffects.
//
// An attribute is created into the pool of the node type being initialized;
// addAttribute gives it its slot. Defaults, limits and flags may be changed
// after it was added; nodes created afterwards take the new defaults.
#define MNoVersionString
#include "graph/handles.h"
#include "graph/scene_impl.h"

#include <maya/MAngle.h>
#include <maya/MDistance.h>
#include <maya/MFnAttribute.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnStringData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MPxNode.h>

#include <algorithm>

using rdhost::Attr;
using rdhost::AttrKind;
using rdhost::ObjectAccess;
using rdhost::setStatus;

namespace rdhost {

Attr* newAttr(Scene* scene) {
    if (!scene) return nullptr;
    auto attr = std::make_unique<Attr>();
    Attr* raw = attr.get();
    if (NodeType* t = scene->typeBeingInitialized()) {
        raw->owner = t;
        t->pool.push_back(std::move(attr));
    } else {
        scene->impl()->orphanAttrs.push_back(std::move(attr));
    }
    return raw;
}

}  // namespace rdhost

namespace {

MStatus fail(MStatus::MStatusCode code, const std::string& why) { return MStatus(code, why.c_str()); }

bool validAttrName(const MString& n) {
    std::string s = n.asChar();
    if (s.empty()) return false;
    for (char c : s)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
    return !std::isdigit(static_cast<unsigned char>(s[0]));
}

// Creates an attribute with names checked; null (and *st set) on failure.
Attr* createAttr(const MString& full, const MString& brief, AttrKind kind, MStatus* st) {
    if (!validAttrName(full) || !validAttrName(brief)) {
        setStatus(st, fail(MS::kInvalidParameter, std::string("invalid attribute name '") + full.asChar() +
                                                      "' / '" + brief.asChar() + "'"));
        return nullptr;
    }
    Attr* a = rdhost::newAttr(rdhost::Scene::current());
    if (!a) {
        setStatus(st, fail(MS::kFailure, "no scene to create attributes in"));
        return nullptr;
    }
    a->longName = full.asChar();
    a->shortName = brief.asChar();
    a->kind = kind;
    setStatus(st, MS::kSuccess);
    return a;
}

bool isSingleNumericType(int t) {
    switch (t) {
    case MFnNumericData::kBoolean:
    case MFnNumericData::kByte:
    case MFnNumericData::kChar:
    case MFnNumericData::kShort:
    case MFnNumericData::kInt:
    case MFnNumericData::kInt64:
    case MFnNumericData::kFloat:
    case MFnNumericData::kDouble:
    case MFnNumericData::kAddr:
        return true;
    default:
        return false;
    }
}

}  // namespace

// ---------------------------------------------------------------- MFnAttribute

#define RD_ATTR() rdhost::ObjectAccess::attr(rdObject_)

MFnAttribute::MFnAttribute() {}
MFnAttribute::MFnAttribute(MObject& object, MStatus* st) { setStatus(st, MFnAttribute::setObject(object)); }
MFnAttribute::MFnAttribute(const MObject& object, MStatus* st) {
    setStatus(st, MFnAttribute::setObject(object));
}
MFnAttribute::~MFnAttribute() {}

MStatus MFnAttribute::setObject(MObject& object) { return setObject(static_cast<const MObject&>(object)); }
MStatus MFnAttribute::setObject(const MObject& object) {
    rdObject_ = MObject();
    if (!ObjectAccess::attr(object)) return fail(MS::kInvalidParameter, "the object is not an attribute");
    rdObject_ = object;
    return MS::kSuccess;
}

MString MFnAttribute::name(MStatus* st) const {
    Attr* a = RD_ATTR();
    setStatus(st, a ? MS::kSuccess : MS::kFailure);
    return a ? MString(a->longName.c_str()) : MString();
}
MString MFnAttribute::shortName(MStatus* st) const {
    Attr* a = RD_ATTR();
    setStatus(st, a ? MS::kSuccess : MS::kFailure);
    return a ? MString(a->shortName.c_str()) : MString();
}
MObject MFnAttribute::parent(MStatus* st) const {
    Attr* a = RD_ATTR();
    setStatus(st, a && a->parent ? MS::kSuccess : MS::kFailure);
    return a && a->parent ? ObjectAccess::make(a->parent) : MObject();
}

#define RD_FLAG_GET(method, field)                      \
    bool MFnAttribute::method(MStatus* st) const {      \
        Attr* a = RD_ATTR();                            \
        setStatus(st, a ? MS::kSuccess : MS::kFailure); \
        return a ? a->field : false;                    \
    }
#define RD_FLAG_SET(method, field)             \
    MStatus MFnAttribute::method(bool state) { \
        Attr* a = RD_ATTR();                   \
        if (!a) return MS::kFailure;           \
        a->field = state;                      \
        return MS::kSuccess;                   \
    }

RD_FLAG_GET(isReadable, readable)
RD_FLAG_GET(isWritable, writable)
RD_FLAG_GET(isConnectable, connectable)
RD_FLAG_GET(isStorable, storable)
RD_FLAG_GET(isKeyable, keyable)
RD_FLAG_GET(isHidden, hidden)
RD_FLAG_GET(isUsedAsColor, usedAsColor)
RD_FLAG_GET(isArray, array)
RD_FLAG_GET(usesArrayDataBuilder, usesArrayDataBuilder)
RD_FLAG_GET(isChannelBoxFlagSet, channelBox)
RD_FLAG_GET(internal, internal)
RD_FLAG_SET(setReadable, readable)
RD_FLAG_SET(setWritable, writable)
RD_FLAG_SET(setConnectable, connectable)
RD_FLAG_SET(setStorable, storable)
RD_FLAG_SET(setKeyable, keyable)
RD_FLAG_SET(setHidden, hidden)
RD_FLAG_SET(setUsedAsColor, usedAsColor)
RD_FLAG_SET(setArray, array)
RD_FLAG_SET(setUsesArrayDataBuilder, usesArrayDataBuilder)
RD_FLAG_SET(setChannelBox, channelBox)
RD_FLAG_SET(setInternal, internal)

// ---------------------------------------------------------------- MFnNumericAttribute

namespace {
bool isNumericAttr(const Attr* a) {
    return a && (a->kind == AttrKind::Numeric || a->kind == AttrKind::Compound);
}
}  // namespace

MFnNumericAttribute::MFnNumericAttribute() {}
MFnNumericAttribute::MFnNumericAttribute(MObject& o, MStatus* st) {
    setStatus(st, MFnNumericAttribute::setObject(o));
}
MFnNumericAttribute::MFnNumericAttribute(const MObject& o, MStatus* st) {
    setStatus(st, MFnNumericAttribute::setObject(o));
}
MFnNumericAttribute::~MFnNumericAttribute() {}

MStatus MFnNumericAttribute::setObject(MObject& o) { return setObject(static_cast<const MObject&>(o)); }
MStatus MFnNumericAttribute::setObject(const MObject& o) {
    rdObject_ = MObject();
    if (!isNumericAttr(ObjectAccess::attr(o)))
        return fail(MS::kInvalidParameter, "the object is not a numeric attribute");
    rdObject_ = o;
    return MS::kSuccess;
}

MObject MFnNumericAttribute::create(const MString& full, const MString& brief, MFnNumericData::Type type,
                                    double defaultValue, MStatus* st) {
    rdObject_ = MObject();
    if (!isSingleNumericType(type)) {
        setStatus(st, fail(MS::kInvalidParameter,
                           std::string("numeric attribute '") + full.asChar() +
                               "': compounds are made from their children (the three-child create)"));
        return MObject();
    }
    Attr* a = createAttr(full, brief, AttrKind::Numeric, st);
    if (!a) return MObject();
    a->numericType = type;
    a->defaultValue = rdhost::conformToAttr(a, defaultValue);
    rdObject_ = ObjectAccess::make(a);
    return rdObject_;
}

MObject MFnNumericAttribute::create(const MString& full, const MString& brief, const MObject& c1,
                                    const MObject& c2, const MObject& c3, MStatus* st) {
    rdObject_ = MObject();
    std::vector<Attr*> kids;
    for (const MObject* c : {&c1, &c2, &c3}) {
        if (c == &c3 && c3.isNull()) break;
        Attr* k = ObjectAccess::attr(*c);
        if (!k || !k->isNumeric() || k->kind == AttrKind::Enum || k->parent) {
            setStatus(st, fail(MS::kInvalidParameter,
                               std::string("compound '") + full.asChar() +
                                   "': each child must be a numeric attribute without a parent"));
            return MObject();
        }
        kids.push_back(k);
    }
    Attr* a = createAttr(full, brief, AttrKind::Compound, st);
    if (!a) return MObject();
    bool allFloat = std::all_of(kids.begin(), kids.end(),
                                [](Attr* k) { return k->numericType == MFnNumericData::kFloat; });
    bool allDouble = std::all_of(kids.begin(), kids.end(),
                                 [](Attr* k) { return k->numericType == MFnNumericData::kDouble; });
    if (kids.size() == 3)
        a->numericType = allFloat    ? MFnNumericData::k3Float
                         : allDouble ? MFnNumericData::k3Double
                                     : MFnNumericData::k3Int;
    else
        a->numericType = allFloat    ? MFnNumericData::k2Float
                         : allDouble ? MFnNumericData::k2Double
                                     : MFnNumericData::k2Int;
    for (Attr* k : kids) {
        k->parent = a;
        a->children.push_back(k);
    }
    rdObject_ = ObjectAccess::make(a);
    return rdObject_;
}

static MObject createTriple(MFnNumericAttribute& fn, const MString& full, const MString& brief,
                            const char* suffixes, MStatus* st) {
    MObject kids[3];
    const char* upper = suffixes;
    for (int i = 0; i < 3; ++i) {
        char u[2] = {upper[i], 0};
        char l[2] = {static_cast<char>(std::tolower(static_cast<unsigned char>(upper[i]))), 0};
        kids[i] = fn.create(full + u, brief + l, MFnNumericData::kFloat, 0.0, st);
        if (kids[i].isNull()) return MObject();
    }
    return fn.create(full, brief, kids[0], kids[1], kids[2], st);
}

MObject MFnNumericAttribute::createColor(const MString& full, const MString& brief, MStatus* st) {
    MObject o = createTriple(*this, full, brief, "RGB", st);
    if (Attr* a = RD_ATTR()) a->usedAsColor = true;
    return o;
}

MObject MFnNumericAttribute::createPoint(const MString& full, const MString& brief, MStatus* st) {
    return createTriple(*this, full, brief, "XYZ", st);
}

MFnNumericData::Type MFnNumericAttribute::unitType(MStatus* st) const {
    Attr* a = RD_ATTR();
    setStatus(st, a ? MS::kSuccess : MS::kFailure);
    return a ? static_cast<MFnNumericData::Type>(a->numericType) : MFnNumericData::kInvalid;
}

namespace {
// A default given as n values: one for a single attribute, one per child of a compound.
MStatus setDefaults(Attr* a, const double* v, size_t n) {
    if (!a) return MS::kFailure;
    if (a->isCompound()) {
        if (n != a->children.size())
            return fail(MS::kInvalidParameter, "compound '" + a->longName + "' has " +
                                                   std::to_string(a->children.size()) + " children");
        for (size_t i = 0; i < n; ++i)
            a->children[i]->defaultValue = rdhost::conformToAttr(a->children[i], v[i]);
        return MS::kSuccess;
    }
    if (n != 1) return fail(MS::kInvalidParameter, "'" + a->longName + "' holds one value");
    a->defaultValue = rdhost::conformToAttr(a, v[0]);
    return MS::kSuccess;
}
MStatus setLimit(Attr* a, const double* v, size_t n, bool isMax) {
    if (!a) return MS::kFailure;
    if (a->isCompound()) {
        if (n != a->children.size()) return fail(MS::kInvalidParameter, "wrong number of limit values");
        for (size_t i = 0; i < n; ++i) setLimit(a->children[i], &v[i], 1, isMax);
        return MS::kSuccess;
    }
    if (n != 1) return fail(MS::kInvalidParameter, "'" + a->longName + "' holds one value");
    (isMax ? a->hasMax : a->hasMin) = true;
    (isMax ? a->maxValue : a->minValue) = v[0];
    return MS::kSuccess;
}
}  // namespace

MStatus MFnNumericAttribute::setDefault(bool v) {
    double d = v ? 1 : 0;
    return setDefaults(RD_ATTR(), &d, 1);
}
MStatus MFnNumericAttribute::setDefault(int v) {
    double d = v;
    return setDefaults(RD_ATTR(), &d, 1);
}
MStatus MFnNumericAttribute::setDefault(float v) {
    double d = v;
    return setDefaults(RD_ATTR(), &d, 1);
}
MStatus MFnNumericAttribute::setDefault(double v) { return setDefaults(RD_ATTR(), &v, 1); }
MStatus MFnNumericAttribute::setDefault(int a, int b) {
    double d[] = {double(a), double(b)};
    return setDefaults(RD_ATTR(), d, 2);
}
MStatus MFnNumericAttribute::setDefault(float a, float b) {
    double d[] = {a, b};
    return setDefaults(RD_ATTR(), d, 2);
}
MStatus MFnNumericAttribute::setDefault(double a, double b) {
    double d[] = {a, b};
    return setDefaults(RD_ATTR(), d, 2);
}
MStatus MFnNumericAttribute::setDefault(int a, int b, int c) {
    double d[] = {double(a), double(b), double(c)};
    return setDefaults(RD_ATTR(), d, 3);
}
MStatus MFnNumericAttribute::setDefault(float a, float b, float c) {
    double d[] = {a, b, c};
    return setDefaults(RD_ATTR(), d, 3);
}
MStatus MFnNumericAttribute::setDefault(double a, double b, double c) {
    double d[] = {a, b, c};
    return setDefaults(RD_ATTR(), d, 3);
}

MStatus MFnNumericAttribute::getDefault(bool& v) {
    Attr* a = RD_ATTR();
    if (!a || a->isCompound()) return MS::kFailure;
    v = a->defaultValue != 0;
    return MS::kSuccess;
}
MStatus MFnNumericAttribute::getDefault(int& v) {
    Attr* a = RD_ATTR();
    if (!a || a->isCompound()) return MS::kFailure;
    v = static_cast<int>(a->defaultValue);
    return MS::kSuccess;
}
MStatus MFnNumericAttribute::getDefault(float& v) {
    Attr* a = RD_ATTR();
    if (!a || a->isCompound()) return MS::kFailure;
    v = static_cast<float>(a->defaultValue);
    return MS::kSuccess;
}
MStatus MFnNumericAttribute::getDefault(double& v) {
    Attr* a = RD_ATTR();
    if (!a || a->isCompound()) return MS::kFailure;
    v = a->defaultValue;
    return MS::kSuccess;
}
MStatus MFnNumericAttribute::getDefault(double& x, double& y, double& z) {
    Attr* a = RD_ATTR();
    if (!a || !a->isCompound() || a->children.size() != 3) return MS::kFailure;
    x = a->children[0]->defaultValue;
    y = a->children[1]->defaultValue;
    z = a->children[2]->defaultValue;
    return MS::kSuccess;
}

bool MFnNumericAttribute::hasMin(MStatus* st) const {
    Attr* a = RD_ATTR();
    setStatus(st, a ? MS::kSuccess : MS::kFailure);
    return a && a->hasMin;
}
bool MFnNumericAttribute::hasMax(MStatus* st) const {
    Attr* a = RD_ATTR();
    setStatus(st, a ? MS::kSuccess : MS::kFailure);
    return a && a->hasMax;
}
MStatus MFnNumericAttribute::setMin(int v) {
    double d = v;
    return setLimit(RD_ATTR(), &d, 1, false);
}
MStatus MFnNumericAttribute::setMin(double v) { return setLimit(RD_ATTR(), &v, 1, false); }
MStatus MFnNumericAttribute::setMin(double a, double b) {
    double d[] = {a, b};
    return setLimit(RD_ATTR(), d, 2, false);
}
MStatus MFnNumericAttribute::setMin(double a, double b, double c) {
    double d[] = {a, b, c};
    return setLimit(RD_ATTR(), d, 3, false);
}
MStatus MFnNumericAttribute::setMax(int v) {
    double d = v;
    return setLimit(RD_ATTR(), &d, 1, true);
}
MStatus MFnNumericAttribute::setMax(double v) { return setLimit(RD_ATTR(), &v, 1, true); }
MStatus MFnNumericAttribute::setMax(double a, double b) {
    double d[] = {a, b};
    return setLimit(RD_ATTR(), d, 2, true);
}
MStatus MFnNumericAttribute::setMax(double a, double b, double c) {
    double d[] = {a, b, c};
    return setLimit(RD_ATTR(), d, 3, true);
}
MStatus MFnNumericAttribute::getMin(double& v) const {
    Attr* a = RD_ATTR();
    if (!a || !a->hasMin) return MS::kFailure;
    v = a->minValue;
    return MS::kSuccess;
}
MStatus MFnNumericAttribute::getMax(double& v) const {
    Attr* a = RD_ATTR();
    if (!a || !a->hasMax) return MS::kFailure;
    v = a->maxValue;
    return MS::kSuccess;
}

// ---------------------------------------------------------------- MFnUnitAttribute

namespace {
bool isUnitAttr(const Attr* a) {
    return a && (a->kind == AttrKind::Distance || a->kind == AttrKind::Angle || a->kind == AttrKind::Time);
}
}  // namespace

MFnUnitAttribute::MFnUnitAttribute() {}
MFnUnitAttribute::MFnUnitAttribute(MObject& o, MStatus* st) { setStatus(st, MFnUnitAttribute::setObject(o)); }
MFnUnitAttribute::MFnUnitAttribute(const MObject& o, MStatus* st) {
    setStatus(st, MFnUnitAttribute::setObject(o));
}
MFnUnitAttribute::~MFnUnitAttribute() {}

MStatus MFnUnitAttribute::setObject(MObject& o) { return setObject(static_cast<const MObject&>(o)); }
MStatus MFnUnitAttribute::setObject(const MObject& o) {
    rdObject_ = MObject();
    if (!isUnitAttr(ObjectAccess::attr(o)))
        return fail(MS::kInvalidParameter, "the object is not a unit attribute");
    rdObject_ = o;
    return MS::kSuccess;
}

MObject MFnUnitAttribute::create(const MString& full, const MString& brief, MFnUnitAttribute::Type type,
                                 double defaultValue, MStatus* st) {
    rdObject_ = MObject();
    AttrKind kind;
    switch (type) {
    case kAngle:
        kind = AttrKind::Angle;
        break;
    case kDistance:
        kind = AttrKind::Distance;
        break;
    case kTime:
        kind = AttrKind::Time;
        break;
    default:
        setStatus(st, fail(MS::kInvalidParameter,
                           std::string("unit attribute '") + full.asChar() + "': invalid unit type"));
        return MObject();
    }
    Attr* a = createAttr(full, brief, kind, st);
    if (!a) return MObject();
    a->defaultValue = defaultValue;
    rdObject_ = ObjectAccess::make(a);
    return rdObject_;
}

MObject MFnUnitAttribute::create(const MString& full, const MString& brief, const MDistance& d, MStatus* st) {
    return create(full, brief, kDistance, d.asCentimeters(), st);
}

MObject MFnUnitAttribute::create(const MString& full, const MString& brief, const MAngle& a, MStatus* st) {
    return create(full, brief, kAngle, a.asRadians(), st);
}

MFnUnitAttribute::Type MFnUnitAttribute::unitType(MStatus* st) const {
    Attr* a = RD_ATTR();
    setStatus(st, a ? MS::kSuccess : MS::kFailure);
    if (!a) return kInvalid;
    return a->kind == AttrKind::Angle ? kAngle : a->kind == AttrKind::Distance ? kDistance : kTime;
}

MStatus MFnUnitAttribute::setDefault(double v) {
    Attr* a = RD_ATTR();
    if (!a) return MS::kFailure;
    a->defaultValue = v;
    return MS::kSuccess;
}
MStatus MFnUnitAttribute::setDefault(const MDistance& v) { return setDefault(v.asCentimeters()); }
MStatus MFnUnitAttribute::setDefault(const MAngle& v) { return setDefault(v.asRadians()); }
MStatus MFnUnitAttribute::getDefault(double& v) const {
    Attr* a = RD_ATTR();
    if (!a) return MS::kFailure;
    v = a->defaultValue;
    return MS::kSuccess;
}
bool MFnUnitAttribute::hasMin(MStatus* st) const {
    Attr* a = RD_ATTR();
    setStatus(st, a ? MS::kSuccess : MS::kFailure);
    return a && a->hasMin;
}
bool MFnUnitAttribute::hasMax(MStatus* st) const {
    Attr* a = RD_ATTR();
    setStatus(st, a ? MS::kSuccess : MS::kFailure);
    return a && a->hasMax;
}
MStatus MFnUnitAttribute::setMin(double v) { return setLimit(RD_ATTR(), &v, 1, false); }
MStatus MFnUnitAttribute::setMin(const MDistance& v) { return setMin(v.asCentimeters()); }
MStatus MFnUnitAttribute::setMin(const MAngle& v) { return setMin(v.asRadians()); }
MStatus MFnUnitAttribute::setMax(double v) { return setLimit(RD_ATTR(), &v, 1, true); }
MStatus MFnUnitAttribute::setMax(const MDistance& v) { return setMax(v.asCentimeters()); }
MStatus MFnUnitAttribute::setMax(const MAngle& v) { return setMax(v.asRadians()); }
MStatus MFnUnitAttribute::getMin(double& v) const {
    Attr* a = RD_ATTR();
    if (!a || !a->hasMin) return MS::kFailure;
    v = a->minValue;
    return MS::kSuccess;
}
MStatus MFnUnitAttribute::getMax(double& v) const {
    Attr* a = RD_ATTR();
    if (!a || !a->hasMax) return MS::kFailure;
    v = a->maxValue;
    return MS::kSuccess;
}

// ---------------------------------------------------------------- MFnTypedAttribute

MFnTypedAttribute::MFnTypedAttribute() {}
MFnTypedAttribute::MFnTypedAttribute(MObject& o, MStatus* st) {
    setStatus(st, MFnTypedAttribute::setObject(o));
}
MFnTypedAttribute::MFnTypedAttribute(const MObject& o, MStatus* st) {
    setStatus(st, MFnTypedAttribute::setObject(o));
}
MFnTypedAttribute::~MFnTypedAttribute() {}

MStatus MFnTypedAttribute::setObject(MObject& o) { return setObject(static_cast<const MObject&>(o)); }
MStatus MFnTypedAttribute::setObject(const MObject& o) {
    rdObject_ = MObject();
    Attr* a = ObjectAccess::attr(o);
    if (!a || a->kind != AttrKind::String)
        return fail(MS::kInvalidParameter, "the object is not a typed attribute");
    rdObject_ = o;
    return MS::kSuccess;
}

MObject MFnTypedAttribute::create(const MString& full, const MString& brief, MFnData::Type type,
                                  MObject defaultData, MStatus* st) {
    rdObject_ = MObject();
    if (type != MFnData::kString) {
        setStatus(st, fail(MS::kInvalidParameter, std::string("typed attribute '") + full.asChar() +
                                                      "': only string data is supported by this host"));
        return MObject();
    }
    Attr* a = createAttr(full, brief, AttrKind::String, st);
    if (!a) return MObject();
    rdObject_ = ObjectAccess::make(a);
    if (!defaultData.isNull()) {
        MStatus s = setDefault(defaultData);
        if (!s) {
            setStatus(st, s);
            return rdObject_;
        }
    }
    return rdObject_;
}

MFnData::Type MFnTypedAttribute::attrType(MStatus* st) const {
    Attr* a = RD_ATTR();
    setStatus(st, a ? MS::kSuccess : MS::kFailure);
    return a ? MFnData::kString : MFnData::kInvalid;
}

MStatus MFnTypedAttribute::setDefault(const MObject& object) {
    Attr* a = RD_ATTR();
    if (!a) return MS::kFailure;
    if (object.isNull()) {
        a->defaultString.clear();
        return MS::kSuccess;
    }
    rdhost::StringData* d = ObjectAccess::stringData(object);
    if (!d)
        return fail(MS::kInvalidParameter,
                    "the default of string attribute '" + a->longName + "' must be string data");
    a->defaultString = d->value;
    return MS::kSuccess;
}

MStatus MFnTypedAttribute::getDefault(MObject& object) {
    Attr* a = RD_ATTR();
    if (!a) return MS::kFailure;
    object = ObjectAccess::makeStringData(a->defaultString);
    return MS::kSuccess;
}

// ---------------------------------------------------------------- MFnEnumAttribute

MFnEnumAttribute::MFnEnumAttribute() {}
MFnEnumAttribute::MFnEnumAttribute(MObject& o, MStatus* st) { setStatus(st, MFnEnumAttribute::setObject(o)); }
MFnEnumAttribute::MFnEnumAttribute(const MObject& o, MStatus* st) {
    setStatus(st, MFnEnumAttribute::setObject(o));
}
MFnEnumAttribute::~MFnEnumAttribute() {}

MStatus MFnEnumAttribute::setObject(MObject& o) { return setObject(static_cast<const MObject&>(o)); }
MStatus MFnEnumAttribute::setObject(const MObject& o) {
    rdObject_ = MObject();
    Attr* a = ObjectAccess::attr(o);
    if (!a || a->kind != AttrKind::Enum)
        return fail(MS::kInvalidParameter, "the object is not an enum attribute");
    rdObject_ = o;
    return MS::kSuccess;
}

MObject MFnEnumAttribute::create(const MString& full, const MString& brief, short defaultValue, MStatus* st) {
    rdObject_ = MObject();
    Attr* a = createAttr(full, brief, AttrKind::Enum, st);
    if (!a) return MObject();
    a->defaultValue = defaultValue;
    rdObject_ = ObjectAccess::make(a);
    return rdObject_;
}

MStatus MFnEnumAttribute::addField(const MString& field, short index) {
    Attr* a = RD_ATTR();
    if (!a) return MS::kFailure;
    std::string name = field.asChar();
    if (name.empty()) return fail(MS::kInvalidParameter, "enum '" + a->longName + "': empty field name");
    for (auto& f : a->enumFields) {
        if (f.first == name)
            return fail(MS::kInvalidParameter,
                        "enum '" + a->longName + "' already has a field '" + name + "'");
        if (f.second == index)
            return fail(MS::kInvalidParameter,
                        "enum '" + a->longName + "' already has a field with value " + std::to_string(index));
    }
    a->enumFields.emplace_back(name, index);
    return MS::kSuccess;
}

MString MFnEnumAttribute::fieldName(short index, MStatus* st) const {
    Attr* a = RD_ATTR();
    const char* n = a ? a->enumFieldName(index) : nullptr;
    setStatus(st, n ? MS::kSuccess : MS::kInvalidParameter);
    return n ? MString(n) : MString();
}

short MFnEnumAttribute::fieldIndex(const MString& field, MStatus* st) const {
    Attr* a = RD_ATTR();
    if (a)
        for (auto& f : a->enumFields)
            if (f.first == field.asChar()) {
                setStatus(st, MS::kSuccess);
                return static_cast<short>(f.second);
            }
    setStatus(st, MS::kInvalidParameter);
    return 0;
}

MStatus MFnEnumAttribute::getMin(short& v) const {
    Attr* a = RD_ATTR();
    if (!a || a->enumFields.empty()) return MS::kFailure;
    int m = a->enumFields[0].second;
    for (auto& f : a->enumFields) m = std::min(m, f.second);
    v = static_cast<short>(m);
    return MS::kSuccess;
}

MStatus MFnEnumAttribute::getMax(short& v) const {
    Attr* a = RD_ATTR();
    if (!a || a->enumFields.empty()) return MS::kFailure;
    int m = a->enumFields[0].second;
    for (auto& f : a->enumFields) m = std::max(m, f.second);
    v = static_cast<short>(m);
    return MS::kSuccess;
}

MStatus MFnEnumAttribute::setDefault(short index) {
    Attr* a = RD_ATTR();
    if (!a) return MS::kFailure;
    a->defaultValue = index;
    return MS::kSuccess;
}
MStatus MFnEnumAttribute::setDefault(const MString& field) {
    MStatus st;
    short i = fieldIndex(field, &st);
    return st ? setDefault(i) : st;
}
MStatus MFnEnumAttribute::getDefault(short& index) const {
    Attr* a = RD_ATTR();
    if (!a) return MS::kFailure;
    index = static_cast<short>(a->defaultValue);
    return MS::kSuccess;
}

// ---------------------------------------------------------------- data

MFnData::MFnData() {}
MFnData::~MFnData() {}

MFnNumericData::MFnNumericData() {}
MFnNumericData::MFnNumericData(MObject& o, MStatus* st) { setStatus(st, MFnNumericData::setObject(o)); }
MFnNumericData::MFnNumericData(const MObject& o, MStatus* st) { setStatus(st, MFnNumericData::setObject(o)); }
MFnNumericData::~MFnNumericData() {}

MStatus MFnNumericData::setObject(MObject& o) { return setObject(static_cast<const MObject&>(o)); }
MStatus MFnNumericData::setObject(const MObject& o) {
    rdObject_ = MObject();
    if (!ObjectAccess::numericData(o)) return fail(MS::kInvalidParameter, "the object is not numeric data");
    rdObject_ = o;
    return MS::kSuccess;
}

MObject MFnNumericData::create(Type dataType, MStatus* st) {
    if (dataType <= kInvalid || dataType >= kLast) {
        setStatus(st, fail(MS::kInvalidParameter, "invalid numeric data type"));
        return MObject();
    }
    rdObject_ = ObjectAccess::makeNumericData(dataType);
    setStatus(st, MS::kSuccess);
    return rdObject_;
}

MFnNumericData::Type MFnNumericData::numericType(MStatus* st) {
    rdhost::NumericData* d = ObjectAccess::numericData(rdObject_);
    setStatus(st, d ? MS::kSuccess : MS::kFailure);
    return d ? static_cast<Type>(d->type) : kInvalid;
}

#define RD_DATA()                                                  \
    rdhost::NumericData* d = ObjectAccess::numericData(rdObject_); \
    if (!d) return MS::kFailure

MStatus MFnNumericData::getData(double& a, double& b, double& c) {
    RD_DATA();
    a = d->v[0];
    b = d->v[1];
    c = d->v[2];
    return MS::kSuccess;
}
MStatus MFnNumericData::getData(float& a, float& b, float& c) {
    RD_DATA();
    a = static_cast<float>(d->v[0]);
    b = static_cast<float>(d->v[1]);
    c = static_cast<float>(d->v[2]);
    return MS::kSuccess;
}
MStatus MFnNumericData::getData(double& a, double& b) {
    RD_DATA();
    a = d->v[0];
    b = d->v[1];
    return MS::kSuccess;
}
MStatus MFnNumericData::setData(double a, double b, double c) {
    RD_DATA();
    d->v[0] = a;
    d->v[1] = b;
    d->v[2] = c;
    return MS::kSuccess;
}
MStatus MFnNumericData::setData(float a, float b, float c) {
    RD_DATA();
    d->v[0] = a;
    d->v[1] = b;
    d->v[2] = c;
    return MS::kSuccess;
}
MStatus MFnNumericData::setData(int a, int b, int c) {
    RD_DATA();
    d->v[0] = a;
    d->v[1] = b;
    d->v[2] = c;
    return MS::kSuccess;
}
MStatus MFnNumericData::setData(double a, double b) {
    RD_DATA();
    d->v[0] = a;
    d->v[1] = b;
    return MS::kSuccess;
}
MStatus MFnNumericData::setData(double a) {
    RD_DATA();
    d->v[0] = a;
    return MS::kSuccess;
}

MFnStringData::MFnStringData() {}
MFnStringData::MFnStringData(MObject& o, MStatus* st) { setStatus(st, MFnStringData::setObject(o)); }
MFnStringData::MFnStringData(const MObject& o, MStatus* st) { setStatus(st, MFnStringData::setObject(o)); }
MFnStringData::~MFnStringData() {}

MStatus MFnStringData::setObject(MObject& o) { return setObject(static_cast<const MObject&>(o)); }
MStatus MFnStringData::setObject(const MObject& o) {
    rdObject_ = MObject();
    if (!ObjectAccess::stringData(o)) return fail(MS::kInvalidParameter, "the object is not string data");
    rdObject_ = o;
    return MS::kSuccess;
}

MObject MFnStringData::create(MStatus* st) { return create(MString(), st); }
MObject MFnStringData::create(const MString& str, MStatus* st) {
    rdObject_ = ObjectAccess::makeStringData(str.asChar());
    setStatus(st, MS::kSuccess);
    return rdObject_;
}

MString MFnStringData::string(MStatus* st) const {
    rdhost::StringData* d = ObjectAccess::stringData(rdObject_);
    setStatus(st, d ? MS::kSuccess : MS::kFailure);
    return d ? MString(d->value.c_str()) : MString();
}

MStatus MFnStringData::set(const MString& s) {
    rdhost::StringData* d = ObjectAccess::stringData(rdObject_);
    if (!d) return MS::kFailure;
    d->value = s.asChar();
    return MS::kSuccess;
}

// ---------------------------------------------------------------- MPxNode statics

namespace {

// Does `from` reach `to` through declared dependencies (a child reaching its compound)?
bool reaches(rdhost::NodeType* t, Attr* from, Attr* to) {
    std::vector<Attr*> stack{from};
    std::vector<char> seen(t->attrs.size(), 0);
    while (!stack.empty()) {
        Attr* a = stack.back();
        stack.pop_back();
        if (a == to) return true;
        if (seen[a->index]) continue;
        seen[a->index] = 1;
        for (int i : a->affects) stack.push_back(t->attrs[i]);
        if (a->parent && a->parent->index >= 0) stack.push_back(a->parent);
    }
    return false;
}

MStatus addOne(rdhost::NodeType* t, Attr* a) {
    for (const std::string* n : {&a->longName, &a->shortName}) {
        if (t->byName.count(*n))
            return fail(MS::kInvalidParameter,
                        "node type '" + t->name + "' already has an attribute named '" + *n + "'");
    }
    a->index = static_cast<int>(t->attrs.size());
    a->owner = t;
    t->attrs.push_back(a);
    t->byName[a->longName] = a;
    t->byName[a->shortName] = a;
    return MS::kSuccess;
}

}  // namespace

MStatus MPxNode::addAttribute(const MObject& attrObj) {
    rdhost::Scene* scene = rdhost::Scene::current();
    rdhost::NodeType* t = scene ? scene->typeBeingInitialized() : nullptr;
    if (!t) return fail(MS::kFailure, "addAttribute: no node type is being initialized");
    if (scene->faults().failsNow(rdhost::Fault::AddAttribute))
        return fail(MS::kFailure, "addAttribute: failed (injected fault)");
    return rdhost::addAttributeTo(t, ObjectAccess::attr(attrObj));
}

MStatus rdhost::addAttributeTo(rdhost::NodeType* t, Attr* a) {
    if (!a) return fail(MS::kInvalidParameter, "addAttribute: the object is not an attribute");
    if (a->index >= 0)
        return fail(MS::kInvalidParameter, "addAttribute: '" + a->longName + "' is already added");
    if (a->owner && a->owner != t)
        return fail(MS::kInvalidParameter,
                    "addAttribute: '" + a->longName + "' was created for node type '" + a->owner->name + "'");
    // Names of the attribute and of its children not yet added must all be free.
    std::vector<Attr*> adding{a};
    for (Attr* c : a->children)
        if (c->index < 0) adding.push_back(c);
    for (size_t i = 0; i < adding.size(); ++i)
        for (size_t j = 0; j < adding.size(); ++j)
            if (i != j &&
                (adding[i]->longName == adding[j]->longName || adding[i]->shortName == adding[j]->shortName ||
                 adding[i]->longName == adding[j]->shortName))
                return fail(MS::kInvalidParameter, "addAttribute: '" + adding[i]->longName + "' and '" +
                                                       adding[j]->longName + "' share a name");
    for (Attr* x : adding)
        for (const std::string* n : {&x->longName, &x->shortName})
            if (t->byName.count(*n))
                return fail(MS::kInvalidParameter, "addAttribute: node type '" + t->name +
                                                       "' already has an attribute named '" + *n + "'");
    for (Attr* x : adding) addOne(t, x);
    return MS::kSuccess;
}

MStatus MPxNode::attributeAffects(const MObject& whenChanges, const MObject& isAffected) {
    rdhost::Scene* scene = rdhost::Scene::current();
    rdhost::NodeType* t = scene ? scene->typeBeingInitialized() : nullptr;
    if (!t) return fail(MS::kFailure, "attributeAffects: no node type is being initialized");
    if (scene->faults().failsNow(rdhost::Fault::AttributeAffects))
        return fail(MS::kFailure, "attributeAffects: failed (injected fault)");
    Attr* from = ObjectAccess::attr(whenChanges);
    Attr* to = ObjectAccess::attr(isAffected);
    for (Attr* a : {from, to})
        if (!a || a->owner != t || a->index < 0)
            return fail(MS::kInvalidParameter,
                        "attributeAffects: " + (a ? "'" + a->longName + "'" : std::string("the object")) +
                            " is not an attribute added to node type '" + t->name + "'");
    if (from == to)
        return fail(MS::kInvalidParameter, "attributeAffects: '" + from->longName + "' cannot affect itself");
    if (std::find(from->affects.begin(), from->affects.end(), to->index) != from->affects.end())
        return MS::kSuccess;
    if (reaches(t, to, from))
        return fail(MS::kInvalidParameter, "attributeAffects: '" + from->longName + "' -> '" + to->longName +
                                               "' would make a cycle ('" + to->longName +
                                               "' already affects '" + from->longName + "')");
    from->affects.push_back(to->index);
    to->computed = true;
    return MS::kSuccess;
}
