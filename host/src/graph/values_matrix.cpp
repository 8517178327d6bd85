// MMatrix: inverse and determinants; MBoundingBox transforms.
#include <maya/MBoundingBox.h>
#include <maya/MMatrix.h>

#include <cmath>
#include <ostream>
#include <utility>

const MMatrix MMatrix::identity;

double MMatrix::det4x4() const {
    const auto& m = matrix;
    const double s0 = m[0][0] * m[1][1] - m[1][0] * m[0][1];
    const double s1 = m[0][0] * m[1][2] - m[1][0] * m[0][2];
    const double s2 = m[0][0] * m[1][3] - m[1][0] * m[0][3];
    const double s3 = m[0][1] * m[1][2] - m[1][1] * m[0][2];
    const double s4 = m[0][1] * m[1][3] - m[1][1] * m[0][3];
    const double s5 = m[0][2] * m[1][3] - m[1][2] * m[0][3];
    const double c5 = m[2][2] * m[3][3] - m[3][2] * m[2][3];
    const double c4 = m[2][1] * m[3][3] - m[3][1] * m[2][3];
    const double c3 = m[2][1] * m[3][2] - m[3][1] * m[2][2];
    const double c2 = m[2][0] * m[3][3] - m[3][0] * m[2][3];
    const double c1 = m[2][0] * m[3][2] - m[3][0] * m[2][2];
    const double c0 = m[2][0] * m[3][1] - m[3][0] * m[2][1];
    return s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
}

bool MMatrix::isSingular() const {
    double scale = 0.0;
    for (const auto& row : matrix)
        for (double v : row) scale = std::fmax(scale, std::fabs(v));
    if (scale == 0.0) return true;
    return std::fabs(det4x4()) <= 1e-12 * scale * scale * scale * scale;
}

MMatrix MMatrix::inverse() const {
    // Gauss-Jordan with partial pivoting.
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a[r][c] = matrix[r][c];
            a[r][c + 4] = (r == c) ? 1.0 : 0.0;
        }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        if (std::fabs(a[pivot][col]) < 1e-300) return *this;
        if (pivot != col)
            for (int c = 0; c < 8; ++c) std::swap(a[pivot][c], a[col][c]);
        const double inv = 1.0 / a[col][col];
        for (int c = 0; c < 8; ++c) a[col][c] *= inv;
        for (int r = 0; r < 4; ++r) {
            if (r == col || a[r][col] == 0.0) continue;
            const double f = a[r][col];
            for (int c = 0; c < 8; ++c) a[r][c] -= f * a[col][c];
        }
    }
    MMatrix result;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) result.matrix[r][c] = a[r][c + 4];
    return result;
}

MMatrix MMatrix::homogenize() const {
    MMatrix r(*this);
    const double w = matrix[3][3];
    if (w != 0.0 && w != 1.0)
        for (auto& row : r.matrix)
            for (double& v : row) v /= w;
    return r;
}

std::ostream& operator<<(std::ostream& os, const MMatrix& m) {
    os << "[";
    for (int r = 0; r < 4; ++r) {
        os << (r ? ", [" : "[");
        for (int c = 0; c < 4; ++c) os << (c ? ", " : "") << m.matrix[r][c];
        os << "]";
    }
    return os << "]";
}

void MBoundingBox::transformUsing(const MMatrix& m) {
    if (empty_) return;
    const MPoint lo = min_, hi = max_;
    empty_ = true;
    for (int i = 0; i < 8; ++i) {
        const MPoint corner(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z);
        expand(corner * m);
    }
}
