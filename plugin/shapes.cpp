#include "shapes.h"

#include <maya/MColor.h>

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <utility>

void ShapeTranslate::apply() const { glTranslatef(x, y, z); }

void ShapeRotate::apply() const { glRotated(angle, axis.x, axis.y, axis.z); }

void ShapeScale::apply() const { glScalef(x, y, z); }

void ShapeTransform::apply() const {
    scale.apply();
    translate.apply();
    rotate.apply();
}

ShapeMaterial::ShapeMaterial(const float ambient_[4], const float diffuse_[4], const float specular_[4],
                             float shininess_)
    : shininess(shininess_) {
    std::copy(ambient_, ambient_ + 4, ambient);
    std::copy(diffuse_, diffuse_ + 4, diffuse);
    std::copy(specular_, specular_ + 4, specular);
}

void ShapeMaterial::apply() const {
    // No light is set up here: the shape is lit by whatever lights the
    // viewport has on.
    glPushAttrib(GL_LIGHTING_BIT);
    glEnable(GL_LIGHTING);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
    glShadeModel(GL_SMOOTH);
}

void Shape::set(short drawStyle_, const ShapeTransform& placement_, const ShapeMaterial& material_) {
    drawStyle = drawStyle_;
    placement = placement_;
    material = material_;
}

void Shape::beginDraw(M3dView& view) const {
    if (drawStyle == kSmooth) {
        material.apply();
        return;
    }
    view.setDrawColor(MColor(material.diffuse[0], material.diffuse[1], material.diffuse[2], 1.0f));
    // Pushed after the colour is set, so the pop in endDraw leaves the shape's
    // colour current for whatever the node draws next.
    glPushAttrib(GL_CURRENT_BIT);
}

void Shape::endDraw() const { glPopAttrib(); }

void Shape::draw(M3dView& view, M3dView::DisplayStyle) const {
    beginDraw(view);
    glPushMatrix();
    placement.apply();
    drawGeometry();
    glPopMatrix();
    endDraw();
}

void CubeShape::drawGeometry() const {
    if (wire())
        glutWireCube(size);
    else
        glutSolidCube(size);
}

namespace {

// A negative count makes GLUT allocate a negative size, a huge one without
// bound; the attributes feeding these stop at 50, so that is the most any
// shape draws. Counts too small for a shape draw nothing in GLUT and GLU.
int tessellation(int count) { return std::clamp(count, 0, 50); }

}  // namespace

SphereShape::SphereShape(float radius_, int slices_, int stacks_)
    : radius(radius_), slices(tessellation(slices_)), stacks(tessellation(stacks_)) {}

void SphereShape::drawGeometry() const {
    // GLUT's poles lie on Z; turn them onto Y.
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    if (wire())
        glutWireSphere(radius, slices, stacks);
    else
        glutSolidSphere(radius, slices, stacks);
}

ConeShape::ConeShape(float base_, float height_, int slices_, int stacks_)
    : base(base_), height(height_), slices(tessellation(slices_)), stacks(tessellation(stacks_)) {}

void ConeShape::drawGeometry() const {
    // GLUT's cone points along +Z; point it up +Y.
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    if (wire())
        glutWireCone(base, height, slices, stacks);
    else
        glutSolidCone(base, height, slices, stacks);
}

TorusShape::TorusShape(float innerRadius_, float outerRadius_, int sides_, int rings_)
    : innerRadius(innerRadius_),
      outerRadius(outerRadius_),
      sides(tessellation(sides_)),
      rings(tessellation(rings_)) {}

void TorusShape::drawGeometry() const {
    // GLUT's torus has its hole along Z; turn it onto Y.
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    if (wire())
        glutWireTorus(innerRadius, outerRadius, sides, rings);
    else
        glutSolidTorus(innerRadius, outerRadius, sides, rings);
}

void RectangleShape::drawGeometry() const {
    glScalef(width, height, depth);
    if (wire())
        glutWireCube(1.0);
    else
        glutSolidCube(1.0);
}

CylinderShape::CylinderShape(float height_, float baseRadius_, float topRadius_, int slices_, int stacks_)
    : height(height_),
      baseRadius(baseRadius_),
      topRadius(topRadius_),
      slices(tessellation(slices_)),
      stacks(tessellation(stacks_)) {}

void CylinderShape::drawGeometry() const {
    GLUquadric* quadric = gluNewQuadric();
    if (!quadric) return;
    gluQuadricDrawStyle(quadric, wire() ? GLU_LINE : GLU_FILL);
    // GLU's cylinder runs from 0 to height along +Z: turn it up +Y and centre
    // it on the origin.
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, 0.0f, -0.5f * height);
    gluCylinder(quadric, baseRadius, topRadius, height, slices, stacks);
    gluDeleteQuadric(quadric);
}

void ShapeGroup::set(std::unique_ptr<Shape> first_, std::unique_ptr<Shape> second_,
                     std::unique_ptr<Shape> third_) {
    first = std::move(first_);
    second = std::move(second_);
    third = std::move(third_);
}

void ShapeGroup::draw(M3dView& view, M3dView::DisplayStyle style) const {
    for (const std::unique_ptr<Shape>* shape : {&first, &second, &third}) {
        if (*shape) (*shape)->draw(view, style);
    }
}
