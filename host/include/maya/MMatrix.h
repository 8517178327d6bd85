// A 4x4 double matrix. Points are row vectors multiplied on the left
// (p * M), so the translation sits in the last row.
#pragma once

#include <maya/MStatus.h>

#include <iosfwd>

class MMatrix {
public:
    MMatrix() { setToIdentity(); }
    MMatrix(const double m[4][4]) {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) matrix[r][c] = m[r][c];
    }
    MMatrix(const float m[4][4]) {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) matrix[r][c] = m[r][c];
    }
    MMatrix(const MMatrix& other) = default;
    MMatrix& operator=(const MMatrix& other) = default;

    double operator()(unsigned int row, unsigned int col) const { return matrix[row][col]; }
    double& operator()(unsigned int row, unsigned int col) { return matrix[row][col]; }
    const double* operator[](unsigned int row) const { return matrix[row]; }
    double* operator[](unsigned int row) { return matrix[row]; }

    MMatrix operator*(const MMatrix& right) const {
        MMatrix r(kNoInit);
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                r.matrix[i][j] = matrix[i][0] * right.matrix[0][j] + matrix[i][1] * right.matrix[1][j] +
                                 matrix[i][2] * right.matrix[2][j] + matrix[i][3] * right.matrix[3][j];
        return r;
    }
    MMatrix& operator*=(const MMatrix& right) {
        *this = *this * right;
        return *this;
    }
    MMatrix operator*(double s) const {
        MMatrix r(*this);
        for (auto& row : r.matrix)
            for (double& v : row) v *= s;
        return r;
    }
    MMatrix& operator*=(double s) {
        *this = *this * s;
        return *this;
    }
    MMatrix operator+(const MMatrix& o) const {
        MMatrix r(*this);
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) r.matrix[i][j] += o.matrix[i][j];
        return r;
    }
    MMatrix& operator+=(const MMatrix& o) {
        *this = *this + o;
        return *this;
    }
    MMatrix operator-(const MMatrix& o) const {
        MMatrix r(*this);
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) r.matrix[i][j] -= o.matrix[i][j];
        return r;
    }
    MMatrix& operator-=(const MMatrix& o) {
        *this = *this - o;
        return *this;
    }
    bool operator==(const MMatrix& o) const {
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                if (matrix[i][j] != o.matrix[i][j]) return false;
        return true;
    }
    bool operator!=(const MMatrix& o) const { return !(*this == o); }

    MStatus get(double dest[4][4]) const {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) dest[r][c] = matrix[r][c];
        return MS::kSuccess;
    }
    MStatus get(float dest[4][4]) const {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) dest[r][c] = float(matrix[r][c]);
        return MS::kSuccess;
    }
    MMatrix& setToIdentity() {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) matrix[r][c] = (r == c) ? 1.0 : 0.0;
        return *this;
    }
    MMatrix& setToProduct(const MMatrix& left, const MMatrix& right) {
        *this = left * right;
        return *this;
    }
    MMatrix transpose() const {
        MMatrix r(kNoInit);
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) r.matrix[i][j] = matrix[j][i];
        return r;
    }
    // A singular matrix has no inverse; it is returned unchanged.
    MMatrix inverse() const;
    MMatrix homogenize() const;
    double det4x4() const;
    double det3x3() const {
        return matrix[0][0] * (matrix[1][1] * matrix[2][2] - matrix[1][2] * matrix[2][1]) -
               matrix[0][1] * (matrix[1][0] * matrix[2][2] - matrix[1][2] * matrix[2][0]) +
               matrix[0][2] * (matrix[1][0] * matrix[2][1] - matrix[1][1] * matrix[2][0]);
    }
    bool isEquivalent(const MMatrix& o, double tolerance = 1.0e-10) const {
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                const double d = matrix[i][j] - o.matrix[i][j];
                if (d > tolerance || d < -tolerance) return false;
            }
        return true;
    }
    bool isSingular() const;

    static const MMatrix identity;

    double matrix[4][4];

private:
    enum NoInit { kNoInit };
    explicit MMatrix(NoInit) {}
};

inline MMatrix operator*(double s, const MMatrix& m) { return m * s; }
std::ostream& operator<<(std::ostream& os, const MMatrix& m);
