// Building the attributes of the host's own node types (transform, joint,
// locator, the utility nodes) in table form: one line per attribute, with the
// host's long and short names, kind and default.
#pragma once

#include "graph/scene.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace rdhost::hostattrs {

// MFnNumericData::Type values used here.
enum : int { kBool = 1, kShort = 4, kLong = 7, kFloat = 11, kDouble = 14 };

class Builder {
public:
    explicit Builder(NodeType& type) : t_(type) {}

    Attr* number(const std::string& ln, const std::string& sn, double def, int numericType = kDouble);
    Attr* unit(const std::string& ln, const std::string& sn, AttrKind kind, double def);
    Attr* enumeration(const std::string& ln, const std::string& sn, const std::vector<std::string>& fields,
                      double def = 0.0);
    // A compound of numbers named LN + each long suffix, SN + each short one.
    Attr* tuple(const std::string& ln, const std::string& sn, const std::vector<std::string>& longSuffixes,
                const std::vector<std::string>& shortSuffixes, AttrKind kind, int numericType,
                const std::vector<double>& defaults);
    Attr* xyz(const std::string& ln, const std::string& sn, AttrKind kind, int numericType, double def) {
        return tuple(ln, sn, {"X", "Y", "Z"}, {"x", "y", "z"}, kind, numericType, {def, def, def});
    }
    Attr* rgb(const std::string& ln, const std::string& sn, const std::vector<double>& defaults) {
        return tuple(ln, sn, {"R", "G", "B"}, {"r", "g", "b"}, AttrKind::Numeric, kFloat, defaults);
    }
    // A matrix: 16 hidden numbers, identity by default.
    Attr* matrix(const std::string& ln, const std::string& sn);
    // A compound of the given (not yet added) children.
    Attr* compound(const std::string& ln, const std::string& sn, const std::vector<Attr*>& children);
    // An attribute made but not added (a compound's child).
    Attr* loose(const std::string& ln, const std::string& sn, AttrKind kind, int numericType, double def);

    // Each of `inputs` (and their children) affects each of `outputs` (and
    // theirs); outputs are computed, read-only and not saved. Inputs become
    // keyable unless keyInputs is false.
    void affects(std::initializer_list<Attr*> inputs, std::initializer_list<Attr*> outputs);
    void affects(const std::vector<Attr*>& inputs, const std::vector<Attr*>& outputs, bool keyInputs);

    NodeType& type() { return t_; }

private:
    Attr* add(Attr* a);
    NodeType& t_;
};

// The transform's attributes beyond translate, rotate, scale, shear and
// rotate order: pivots, rotate axis, inheritsTransform, offsetParentMatrix,
// and its matrix outputs (matrix, inverseMatrix, worldMatrix[],
// worldInverseMatrix[], parentMatrix[], parentInverseMatrix[]).
// `moreInputs` are the type's own attributes that its matrix depends on too.
void addTransformAttributes(Builder& b, const std::vector<Attr*>& moreInputs = {});

// Evaluation of a transform's matrix outputs.
void computeTransform(Node* node, int attr);

// Matrices of 4 x 4 numbers, row by row, as matrix attributes hold them.
bool invert(const double in[4][4], double out[4][4]);  // false (out untouched) when singular
void writeMatrix(Node* node, const Attr* matrix, const double value[4][4]);  // data-block write, clean
void readMatrix(Node* node, const Attr* matrix, double value[4][4]);         // pulls

}  // namespace rdhost::hostattrs
