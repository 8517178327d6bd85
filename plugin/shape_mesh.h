// The marker shapes' geometry as plain vertex data, for the renderers that
// take meshes instead of GLUT and GLU calls (Viewport 2.0).
//
// Each generator gives the vertices, normals and primitives the GLUT or GLU
// call of the legacy draw emits, in the same order: solid shapes as the
// triangles the GL assembles from their strips (degenerate ones at the poles
// and apexes included), wire shapes as the line segments of their strips and
// loops. Coordinates are GLUT's and GLU's own (axis along Z); shapeMesh then
// places the result as the shape's draw does.
#pragma once

#include "draw_layout.h"

#include <vector>

namespace meshes {

struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

struct Mesh {
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;  // one per position
    // Triangles (three indices each) for a solid shape, segments (two each)
    // for a wire one.
    std::vector<unsigned> indices;
    bool lines = false;

    size_t primitiveCount() const { return indices.size() / (lines ? 2 : 3); }
};

// As glutSolidCube / glutWireCube.
Mesh cube(double size, bool wire);
// As glutSolidSphere / glutWireSphere.
Mesh sphere(double radius, int slices, int stacks, bool wire);
// As glutSolidCone / glutWireCone.
Mesh cone(double base, double height, int slices, int stacks, bool wire);
// As glutSolidTorus / glutWireTorus.
Mesh torus(double innerRadius, double outerRadius, int sides, int rings, bool wire);
// As gluCylinder on a new quadric in GLU_FILL or GLU_LINE style.
Mesh cylinder(double baseRadius, double topRadius, double height, int slices, int stacks, bool wire);

// The item's shape in the node's object space: the generator's geometry under
// the shape's own turn (and the rectangle's scale, the cylinder's centring)
// and its placement, normals turned with it and of unit length. A wire draw
// style gives lines, every other style triangles. kNoShape gives nothing.
Mesh shapeMesh(const layout::ShapeItem& item);

// Whether two items give the same mesh (same kind, sizes, counts, style and
// placement), so a mesh built for one serves the other.
bool sameGeometry(const layout::ShapeItem& a, const layout::ShapeItem& b);

}  // namespace meshes
