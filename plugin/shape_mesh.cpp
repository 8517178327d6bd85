#include "shape_mesh.h"

#include <cmath>
#include <cstring>

namespace meshes {

namespace {

const double kPi = 3.14159265358979323846;

// GLUT's circle table: n + 1 points, in single precision, going round the
// circle (clockwise for a negative n) or, for a half circle, from 0 to pi.
void circleTable(std::vector<float>& sint, std::vector<float>& cost, int n, bool halfCircle) {
    const int size = std::abs(n);
    const float angle = (halfCircle ? 1 : 2) * static_cast<float>(kPi) / static_cast<float>(n == 0 ? 1 : n);
    sint.assign(size + 1, 0.0f);
    cost.assign(size + 1, 0.0f);
    sint[0] = 0.0f;
    cost[0] = 1.0f;
    for (int i = 1; i < size; ++i) {
        sint[i] = static_cast<float>(std::sin(angle * i));
        cost[i] = static_cast<float>(std::cos(angle * i));
    }
    if (halfCircle) {
        sint[size] = 0.0f;
        cost[size] = -1.0f;
    } else {
        sint[size] = sint[0];
        cost[size] = cost[0];
    }
}

void add(Mesh& m, double x, double y, double z, double nx, double ny, double nz) {
    m.positions.push_back({x, y, z});
    m.normals.push_back({nx, ny, nz});
}

// The triangles GL assembles from a strip: every other one turned over so
// that all keep one winding.
void strip(Mesh& m, const std::vector<unsigned>& s) {
    for (size_t i = 0; i + 2 < s.size(); ++i) {
        if (i % 2 == 0)
            m.indices.insert(m.indices.end(), {s[i], s[i + 1], s[i + 2]});
        else
            m.indices.insert(m.indices.end(), {s[i + 1], s[i], s[i + 2]});
    }
}

void lineStrip(Mesh& m, const std::vector<unsigned>& s) {
    for (size_t i = 0; i + 1 < s.size(); ++i) m.indices.insert(m.indices.end(), {s[i], s[i + 1]});
}

void lineLoop(Mesh& m, const std::vector<unsigned>& s) {
    lineStrip(m, s);
    if (s.size() > 1) m.indices.insert(m.indices.end(), {s.back(), s.front()});
}

}  // namespace

Mesh cube(double size, bool wire) {
    static const float v[8][3] = {{.5f, .5f, .5f},   {-.5f, .5f, .5f}, {-.5f, -.5f, .5f}, {.5f, -.5f, .5f},
                                  {.5f, -.5f, -.5f}, {.5f, .5f, -.5f}, {-.5f, .5f, -.5f}, {-.5f, -.5f, -.5f}};
    static const float n[6][3] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}, {0, 0, -1}};
    static const int faces[6][4] = {{0, 1, 2, 3}, {0, 3, 4, 5}, {0, 5, 6, 1},
                                    {1, 6, 7, 2}, {7, 4, 3, 2}, {4, 7, 6, 5}};
    Mesh m;
    m.lines = wire;
    const float s = static_cast<float>(size);
    for (int f = 0; f < 6; ++f) {
        for (int k = 0; k < 4; ++k) {
            const float* p = v[faces[f][k]];
            add(m, p[0] * s, p[1] * s, p[2] * s, n[f][0], n[f][1], n[f][2]);
        }
        const unsigned b = 4 * f;
        if (wire)
            lineLoop(m, {b, b + 1, b + 2, b + 3});
        else
            m.indices.insert(m.indices.end(), {b, b + 1, b + 2, b, b + 2, b + 3});
    }
    return m;
}

Mesh sphere(double radius, int slices, int stacks, bool wire) {
    Mesh m;
    m.lines = wire;
    if (slices == 0 || stacks < 2) return m;
    std::vector<float> sint1, cost1, sint2, cost2;
    circleTable(sint1, cost1, -slices, false);
    circleTable(sint2, cost2, stacks, true);
    const float r = static_cast<float>(radius);
    add(m, 0, 0, r, 0, 0, 1);
    for (int i = 1; i < stacks; ++i) {
        for (int j = 0; j < slices; ++j) {
            const float x = cost1[j] * sint2[i], y = sint1[j] * sint2[i], z = cost2[i];
            add(m, x * r, y * r, z * r, x, y, z);
        }
    }
    add(m, 0, 0, -r, 0, 0, -1);
    const unsigned nVert = static_cast<unsigned>(m.positions.size());
    const unsigned sl = static_cast<unsigned>(slices);

    if (wire) {
        for (unsigned i = 0; i < sl; ++i) {  // meridians, top to bottom
            std::vector<unsigned> s{0};
            for (int j = 0; j < stacks - 1; ++j) s.push_back(1 + i + j * sl);
            s.push_back(nVert - 1);
            lineStrip(m, s);
        }
        for (int i = 0; i < stacks - 1; ++i) {  // parallels
            std::vector<unsigned> s;
            for (unsigned j = 0; j < sl; ++j) s.push_back(1 + i * sl + j);
            lineLoop(m, s);
        }
        return m;
    }
    std::vector<unsigned> s;
    for (unsigned j = 0; j < sl; ++j) s.insert(s.end(), {j + 1, 0});
    s.insert(s.end(), {1, 0});
    strip(m, s);
    for (int i = 0; i < stacks - 2; ++i) {
        const unsigned offset = 1 + i * sl;
        s.clear();
        for (unsigned j = 0; j < sl; ++j) s.insert(s.end(), {offset + j + sl, offset + j});
        s.insert(s.end(), {offset + sl, offset});
        strip(m, s);
    }
    const unsigned offset = 1 + (stacks - 2) * sl;
    s.clear();
    for (unsigned j = 0; j < sl; ++j) s.insert(s.end(), {nVert - 1, offset + j});
    s.insert(s.end(), {nVert - 1, offset});
    strip(m, s);
    return m;
}

Mesh cone(double base, double height, int slices, int stacks, bool wire) {
    Mesh m;
    m.lines = wire;
    if (slices == 0 || stacks < 1) return m;
    float z = 0.0f;
    float r = static_cast<float>(base);
    const float zStep = static_cast<float>(height) / stacks;
    const float rStep = static_cast<float>(base) / stacks;
    const double hyp = std::sqrt(height * height + base * base);
    const float cosn = static_cast<float>(height / hyp);
    const float sinn = static_cast<float>(base / hyp);
    std::vector<float> sint, cost;
    circleTable(sint, cost, -slices, false);

    add(m, 0, 0, z, 0, 0, -1);
    for (int j = 0; j < slices; ++j) add(m, cost[j] * r, sint[j] * r, z, 0, 0, -1);
    for (int i = 0; i < stacks + 1; ++i) {
        for (int j = 0; j < slices; ++j)
            add(m, cost[j] * r, sint[j] * r, z, cost[j] * cosn, sint[j] * cosn, sinn);
        z += zStep;
        r -= rStep;
    }
    const unsigned sl = static_cast<unsigned>(slices);

    if (wire) {
        for (unsigned i = 0; i < sl; ++i)  // slant lines, base to apex
            m.indices.insert(m.indices.end(), {1 + i + sl, 1 + i + (stacks + 1) * sl});
        for (int i = 0; i < stacks; ++i) {  // rings
            std::vector<unsigned> s;
            for (unsigned j = 0; j < sl; ++j) s.push_back(1 + (i + 1) * sl + j);
            lineLoop(m, s);
        }
        return m;
    }
    std::vector<unsigned> s;
    for (unsigned j = 0; j < sl; ++j) s.insert(s.end(), {0, j + 1});
    s.insert(s.end(), {0, 1});
    strip(m, s);
    for (int i = 0; i < stacks; ++i) {
        const unsigned offset = 1 + (i + 1) * sl;
        s.clear();
        for (unsigned j = 0; j < sl; ++j) s.insert(s.end(), {offset + j, offset + j + sl});
        s.insert(s.end(), {offset, offset + sl});
        strip(m, s);
    }
    return m;
}

Mesh torus(double innerRadius, double outerRadius, int sides, int rings, bool wire) {
    Mesh m;
    m.lines = wire;
    if (sides < 2 || rings < 2) return m;
    const float ir = static_cast<float>(innerRadius), orad = static_cast<float>(outerRadius);
    std::vector<float> spsi, cpsi, sphi, cphi;
    circleTable(spsi, cpsi, rings, false);
    circleTable(sphi, cphi, -sides, false);
    for (int j = 0; j < rings; ++j) {
        for (int i = 0; i < sides; ++i) {
            add(m, cpsi[j] * (orad + cphi[i] * ir), spsi[j] * (orad + cphi[i] * ir), sphi[i] * ir,
                cpsi[j] * cphi[i], spsi[j] * cphi[i], sphi[i]);
        }
    }
    const unsigned ns = static_cast<unsigned>(sides), nr = static_cast<unsigned>(rings);

    if (wire) {
        for (unsigned j = 0; j < nr; ++j) {  // round each ring of the tube
            std::vector<unsigned> s;
            for (unsigned i = 0; i < ns; ++i) s.push_back(j * ns + i);
            lineLoop(m, s);
        }
        for (unsigned i = 0; i < ns; ++i) {  // along the tube
            std::vector<unsigned> s;
            for (unsigned j = 0; j < nr; ++j) s.push_back(j * ns + i);
            lineLoop(m, s);
        }
        return m;
    }
    for (unsigned i = 0; i < ns; ++i) {
        const int ioff = i == ns - 1 ? -static_cast<int>(i) : 1;
        std::vector<unsigned> s;
        for (unsigned j = 0; j < nr; ++j) {
            const unsigned offset = j * ns + i;
            s.insert(s.end(), {offset, static_cast<unsigned>(static_cast<int>(offset) + ioff)});
        }
        s.insert(s.end(), {i, static_cast<unsigned>(static_cast<int>(i) + ioff)});
        strip(m, s);
    }
    return m;
}

Mesh cylinder(double baseRadius, double topRadius, double height, int slices, int stacks, bool wire) {
    Mesh m;
    m.lines = wire;
    if (slices >= 240) slices = 239;
    if (slices < 2 || stacks < 1 || baseRadius < 0.0 || topRadius < 0.0 || height < 0.0) return m;
    const float deltaRadius = static_cast<float>(baseRadius - topRadius);
    const float length = static_cast<float>(std::sqrt(deltaRadius * deltaRadius + height * height));
    if (length == 0.0f) return m;
    const float zNormal = deltaRadius / length;
    const float xyNormalRatio = static_cast<float>(height / length);
    std::vector<float> sinCache(slices + 1), cosCache(slices + 1);
    for (int i = 0; i < slices; ++i) {
        const float angle = static_cast<float>(2 * kPi * i / slices);
        sinCache[i] = static_cast<float>(std::sin(angle));
        cosCache[i] = static_cast<float>(std::cos(angle));
    }
    sinCache[slices] = sinCache[0];
    cosCache[slices] = cosCache[0];
    const auto ring = [&](float radius, float z, std::vector<unsigned>& out) {
        for (int i = 0; i <= slices; ++i) {
            out.push_back(static_cast<unsigned>(m.positions.size()));
            add(m, radius * sinCache[i], radius * cosCache[i], z, xyNormalRatio * sinCache[i],
                xyNormalRatio * cosCache[i], zNormal);
        }
    };
    const auto radiusAt = [&](int j) {
        return static_cast<float>(baseRadius - deltaRadius * (static_cast<float>(j) / stacks));
    };
    const auto zAt = [&](int j) { return static_cast<float>(j * height / stacks); };

    if (wire) {
        std::vector<unsigned> s;
        for (int j = 1; j < stacks; ++j) {  // inner rings
            s.clear();
            ring(radiusAt(j), zAt(j), s);
            lineStrip(m, s);
        }
        for (int j = 0; j <= stacks; j += stacks) {  // base and top rings
            s.clear();
            ring(radiusAt(j), zAt(j), s);
            lineStrip(m, s);
        }
        for (int i = 0; i < slices; ++i) {  // one strip per slice, base to top through every stack
            s.clear();
            for (int j = 0; j <= stacks; ++j) {
                s.push_back(static_cast<unsigned>(m.positions.size()));
                add(m, radiusAt(j) * sinCache[i], radiusAt(j) * cosCache[i], zAt(j),
                    xyNormalRatio * sinCache[i], xyNormalRatio * cosCache[i], zNormal);
            }
            lineStrip(m, s);
        }
        return m;
    }
    for (int j = 0; j < stacks; ++j) {
        // A quad strip (low and high vertex at each slice), each quad split
        // into two triangles as the GL splits it.
        std::vector<unsigned> low, high;
        ring(radiusAt(j), zAt(j), low);
        ring(radiusAt(j + 1), zAt(j + 1), high);
        for (int i = 0; i < slices; ++i) {
            const unsigned a = low[i], b = high[i], c = low[i + 1], d = high[i + 1];
            m.indices.insert(m.indices.end(), {c, a, d, a, b, d});
        }
    }
    return m;
}

// ---------------------------------------------------------------------------
// Placement

namespace {

// A 4x4 matrix as GL keeps it: column-major, later operations multiply on the
// right, so they act on the vertices first.
struct Matrix {
    double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    void multiply(const double (&b)[16]) {
        double r[16];
        for (int c = 0; c < 4; ++c)
            for (int row = 0; row < 4; ++row) {
                double sum = 0.0;
                for (int k = 0; k < 4; ++k) sum += m[k * 4 + row] * b[c * 4 + k];
                r[c * 4 + row] = sum;
            }
        std::memcpy(m, r, sizeof m);
    }
    void translate(double x, double y, double z) {
        const double t[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
        multiply(t);
    }
    void scale(double x, double y, double z) {
        const double s[16] = {x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1};
        multiply(s);
    }
    // As glRotate takes its axis (in floats): along a coordinate axis it
    // turns about that axis however short it is (a slider's track a hair off
    // Y gives such an axis); any other axis too short to have a direction
    // leaves the matrix as it is.
    void rotate(double degrees, double x, double y, double z) {
        const float fx = static_cast<float>(x), fy = static_cast<float>(y), fz = static_cast<float>(z);
        const int along = (fx != 0.0f) + (fy != 0.0f) + (fz != 0.0f);
        if (along == 1) {
            x = fx > 0.0f ? 1.0 : fx < 0.0f ? -1.0 : 0.0;
            y = fy > 0.0f ? 1.0 : fy < 0.0f ? -1.0 : 0.0;
            z = fz > 0.0f ? 1.0 : fz < 0.0f ? -1.0 : 0.0;
        }
        const double mag = std::sqrt(x * x + y * y + z * z);
        if (mag <= 1.0e-4) return;
        x /= mag;
        y /= mag;
        z /= mag;
        const double a = degrees * kPi / 180.0;
        const double s = std::sin(a), c = std::cos(a), oc = 1.0 - c;
        const double r[16] = {x * x * oc + c,
                              y * x * oc + z * s,
                              x * z * oc - y * s,
                              0,
                              x * y * oc - z * s,
                              y * y * oc + c,
                              y * z * oc + x * s,
                              0,
                              x * z * oc + y * s,
                              y * z * oc - x * s,
                              z * z * oc + c,
                              0,
                              0,
                              0,
                              0,
                              1};
        multiply(r);
    }
    Vec3 point(const Vec3& p) const {
        return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12], m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
                m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
    }
    // Normals go through the inverse transpose of the upper 3x3.
    Vec3 normal(const Vec3& n) const {
        const double a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6],
                     i = m[10];
        // Cofactors: the inverse transpose up to the determinant's factor,
        // which the normalisation below takes out (its sign kept).
        const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
        const double sign = det < 0.0 ? -1.0 : 1.0;
        Vec3 r{(e * i - f * h) * n.x - (d * i - f * g) * n.y + (d * h - e * g) * n.z,
               -(b * i - c * h) * n.x + (a * i - c * g) * n.y - (a * h - b * g) * n.z,
               (b * f - c * e) * n.x - (a * f - c * d) * n.y + (a * e - b * d) * n.z};
        const double len = std::sqrt(r.x * r.x + r.y * r.y + r.z * r.z);
        if (len > 0.0) {
            r.x *= sign / len;
            r.y *= sign / len;
            r.z *= sign / len;
        }
        return r;
    }
};

}  // namespace

Mesh shapeMesh(const layout::ShapeItem& s) {
    const bool wire = s.drawStyle == kWire;
    Matrix t;
    const ShapeTransform& p = s.placement;
    t.scale(p.scale.x, p.scale.y, p.scale.z);
    t.translate(p.translate.x, p.translate.y, p.translate.z);
    t.rotate(p.rotate.angle, p.rotate.axis.x, p.rotate.axis.y, p.rotate.axis.z);

    Mesh m;
    switch (s.kind) {
    case kCube:
        m = cube(s.dims[0], wire);
        break;
    case kSphere:
        t.rotate(90.0, 1.0, 0.0, 0.0);
        m = sphere(s.dims[0], s.slices, s.stacks, wire);
        break;
    case kCone:
        t.rotate(-90.0, 1.0, 0.0, 0.0);
        m = cone(s.dims[0], s.dims[1], s.slices, s.stacks, wire);
        break;
    case kTorus:
        t.rotate(-90.0, 1.0, 0.0, 0.0);
        m = torus(s.dims[0], s.dims[1], s.slices, s.stacks, wire);
        break;
    case kRectangle:
        t.scale(s.dims[0], s.dims[1], s.dims[2]);
        m = cube(1.0, wire);
        break;
    case kCylinder:
        t.rotate(-90.0, 1.0, 0.0, 0.0);
        t.translate(0.0, 0.0, -0.5f * s.dims[0]);
        m = cylinder(s.dims[1], s.dims[2], s.dims[0], s.slices, s.stacks, wire);
        break;
    default:
        return m;
    }
    for (Vec3& v : m.positions) v = t.point(v);
    for (Vec3& n : m.normals) n = t.normal(n);
    return m;
}

bool sameGeometry(const layout::ShapeItem& a, const layout::ShapeItem& b) {
    const ShapeTransform &p = a.placement, &q = b.placement;
    const bool wireA = a.drawStyle == kWire, wireB = b.drawStyle == kWire;
    return a.kind == b.kind && a.dims[0] == b.dims[0] && a.dims[1] == b.dims[1] && a.dims[2] == b.dims[2] &&
           a.slices == b.slices && a.stacks == b.stacks && wireA == wireB && p.scale.x == q.scale.x &&
           p.scale.y == q.scale.y && p.scale.z == q.scale.z && p.translate.x == q.translate.x &&
           p.translate.y == q.translate.y && p.translate.z == q.translate.z &&
           p.rotate.angle == q.rotate.angle && p.rotate.axis.x == q.rotate.axis.x &&
           p.rotate.axis.y == q.rotate.axis.y && p.rotate.axis.z == q.rotate.axis.z;
}

}  // namespace meshes
