#include "attribute_table.h"

#include <maya/MFnAttribute.h>
#include <maya/MFnData.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnStringData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MString.h>

#include <iostream>

namespace attrs {

namespace {

void setNumberFlags(MFnAttribute& fn, bool keyable) {
    fn.setArray(false);
    fn.setUsesArrayDataBuilder(false);
    fn.setHidden(false);
    fn.setKeyable(keyable);
}

// Numeric and unit sets both offer setMin and setMax; MFnAttribute does not.
template <class Fn>
void setLimits(Fn& fn, const Limits& limits, bool afterAdd) {
    if (!limits.set || limits.afterAdd != afterAdd) return;
    fn.setMin(limits.min);
    fn.setMax(limits.max);
}

}  // namespace

bool AttributeTable::check(const MStatus& status, const char* error) {
    if (status != MS::kSuccess) {
        std::cerr << error << std::endl;
        ok_ = false;
    }
    return ok_;
}

bool AttributeTable::add(const MObject& handle, const char* error) {
    const MStatus status = add_(handle);
    return error ? check(status, error) : true;
}

void AttributeTable::numberRow(MObject& handle, const char* longName, const char* shortName,
                               MFnNumericData::Type type, double defaultValue, Limits limits, Keyable keyable,
                               const char* addError) {
    if (!ok_) return;
    MFnNumericAttribute fn;
    MStatus status;
    handle = fn.create(longName, shortName, type, defaultValue, &status);
    if (!check(status, kNumericCreateError)) return;
    setNumberFlags(fn, keyable != Keyable::kNo);
    setLimits(fn, limits, false);
    if (!add(handle, addError)) return;
    setLimits(fn, limits, true);
    if (keyable == Keyable::kUntilAdded) fn.setKeyable(false);
}

void AttributeTable::number(MObject& handle, const char* longName, const char* shortName,
                            MFnNumericData::Type type, double defaultValue, Limits limits,
                            const char* addError) {
    numberRow(handle, longName, shortName, type, defaultValue, limits, Keyable::kYes, addError);
}

void AttributeTable::output(MObject& handle, const char* longName, const char* shortName,
                            MFnNumericData::Type type, double defaultValue, Limits limits) {
    numberRow(handle, longName, shortName, type, defaultValue, limits, Keyable::kNo, kAddNameError);
}

void AttributeTable::numberKeyableUntilAdded(MObject& handle, const char* longName, const char* shortName,
                                             MFnNumericData::Type type, double defaultValue) {
    numberRow(handle, longName, shortName, type, defaultValue, kNoLimits, Keyable::kUntilAdded,
              kAddNameHashError);
}

void AttributeTable::toggle(MObject& handle, const char* longName, const char* shortName,
                            double defaultValue) {
    if (!ok_) return;
    MFnNumericAttribute fn;
    MStatus status;
    handle = fn.create(longName, shortName, MFnNumericData::kBoolean, defaultValue, &status);
    if (!check(status, kNumericCreateError)) return;
    setNumberFlags(fn, true);
    fn.setInternal(true);
    add(handle, kAddNameHashError);
}

void AttributeTable::unit(MObject& handle, const char* longName, const char* shortName,
                          MFnUnitAttribute::Type type, double defaultValue, Limits limits) {
    if (!ok_) return;
    MFnUnitAttribute fn;
    MStatus status;
    handle = fn.create(longName, shortName, type, defaultValue, &status);
    if (!check(status, kDistanceCreateError)) return;
    setNumberFlags(fn, true);
    setLimits(fn, limits, false);
    if (!add(handle, kAddNameHashError)) return;
    setLimits(fn, limits, true);
}

void AttributeTable::text(MObject& handle, const char* longName, const char* shortName,
                          const char* defaultText) {
    if (!ok_) return;
    MFnStringData data;
    const MObject initial = data.create(MString(defaultText));
    MFnTypedAttribute fn;
    handle = fn.create(longName, shortName, MFnData::kString, initial);
    fn.setKeyable(true);
    add(handle, kAddAttrError);
}

void AttributeTable::enumeration(MObject& handle, const char* longName, const char* shortName,
                                 short defaultValue, EnumFields fields, const char* addError) {
    if (!ok_) return;
    MFnEnumAttribute fn;
    handle = fn.create(longName, shortName, defaultValue);
    for (const EnumField& field : fields) fn.addField(field.name, field.value);
    fn.setStorable(true);
    fn.setKeyable(true);
    add(handle, addError);
}

template <typename T>
void AttributeTable::compoundRow(MObject& handle, const char* longName, const char* shortName,
                                 const MObject& x, const MObject& y, const MObject& z, T dx, T dy, T dz) {
    if (!ok_) return;
    MFnNumericAttribute fn;
    handle = fn.create(longName, shortName, x, y, z);
    fn.setStorable(true);
    fn.setUsedAsColor(true);
    fn.setReadable(true);
    fn.setWritable(true);
    fn.setDefault(dx, dy, dz);
    add(handle, nullptr);
}

void AttributeTable::compound(MObject& handle, const char* longName, const char* shortName, const MObject& x,
                              const MObject& y, const MObject& z, float dx, float dy, float dz) {
    compoundRow(handle, longName, shortName, x, y, z, dx, dy, dz);
}

void AttributeTable::compound(MObject& handle, const char* longName, const char* shortName, const MObject& x,
                              const MObject& y, const MObject& z, double dx, double dy, double dz) {
    compoundRow(handle, longName, shortName, x, y, z, dx, dy, dz);
}

void AttributeTable::colour(const ColourHandles& handles, const ColourNames& names, float r, float g, float b,
                            const char* channelAddError) {
    const MString longName(names.longName);
    const auto channel = [&](MObject& handle, const char* suffix, const char* shortName, float value) {
        number(handle, (longName + suffix).asChar(), shortName, MFnNumericData::kFloat, value, kNoLimits,
               channelAddError);
    };
    channel(handles.r, "R", names.rShortName, r);
    channel(handles.g, "G", names.gShortName, g);
    channel(handles.b, "B", names.bShortName, b);
    compound(handles.colour, names.longName, names.shortName, handles.r, handles.g, handles.b, r, g, b);
}

void AttributeTable::affects(const MObject& whenChanges, const MObject& isAffected, const char* error) {
    if (!ok_) return;
    const MStatus status = affects_(whenChanges, isAffected);
    if (error) check(status, error);
}

}  // namespace attrs
