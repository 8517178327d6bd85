#include "shapes.h"

#include <maya/MColor.h>

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/freeglut.h>

#include <algorithm>

// Values a caller has not set yet still start defined (no placement, black,
// solid), so a shape drawn before set() draws something harmless instead of
// reading garbage into GL.

ShapeTranslate::ShapeTranslate() : x(0.0f), y(0.0f), z(0.0f) {}
ShapeTranslate::ShapeTranslate(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
ShapeTranslate::~ShapeTranslate() {}

void ShapeTranslate::set(float x_, float y_, float z_)
{
    x = x_;
    y = y_;
    z = z_;
}

void ShapeTranslate::apply() const { glTranslatef(x, y, z); }

ShapeRotate::ShapeRotate() : angle(0.0), axis() {}
ShapeRotate::ShapeRotate(double angle_, const MVector& axis_) : angle(angle_), axis(axis_) {}
ShapeRotate::~ShapeRotate() {}

void ShapeRotate::apply() const { glRotated(angle, axis.x, axis.y, axis.z); }

ShapeScale::ShapeScale() : x(1.0f), y(1.0f), z(1.0f) {}
ShapeScale::ShapeScale(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
ShapeScale::~ShapeScale() {}

void ShapeScale::apply() const { glScalef(x, y, z); }

ShapeTransform::ShapeTransform() {}

ShapeTransform::ShapeTransform(ShapeRotate rotate_, ShapeTranslate translate_, ShapeScale scale_)
    : translate(translate_), rotate(rotate_), scale(scale_)
{
}

ShapeTransform::ShapeTransform(const ShapeTransform& other)
    : translate(other.translate), rotate(other.rotate), scale(other.scale)
{
}

ShapeTransform& ShapeTransform::operator=(const ShapeTransform& other)
{
    translate = other.translate;
    rotate = other.rotate;
    scale = other.scale;
    return *this;
}

ShapeTransform::~ShapeTransform() {}

void ShapeTransform::apply() const
{
    scale.apply();
    translate.apply();
    rotate.apply();
}

ShapeMaterial::ShapeMaterial() : ambient{}, diffuse{}, specular{}, shininess(0.0f) {}

ShapeMaterial::ShapeMaterial(const float ambient_[4], const float diffuse_[4],
                             const float specular_[4], float shininess_)
    : shininess(shininess_)
{
    std::copy(ambient_, ambient_ + 4, ambient);
    std::copy(diffuse_, diffuse_ + 4, diffuse);
    std::copy(specular_, specular_ + 4, specular);
}

ShapeMaterial::ShapeMaterial(const ShapeMaterial& other) : shininess(other.shininess)
{
    std::copy(other.ambient, other.ambient + 4, ambient);
    std::copy(other.diffuse, other.diffuse + 4, diffuse);
    std::copy(other.specular, other.specular + 4, specular);
}

ShapeMaterial& ShapeMaterial::operator=(const ShapeMaterial& other)
{
    std::copy(other.ambient, other.ambient + 4, ambient);
    std::copy(other.diffuse, other.diffuse + 4, diffuse);
    std::copy(other.specular, other.specular + 4, specular);
    shininess = other.shininess;
    return *this;
}

ShapeMaterial::~ShapeMaterial() {}

void ShapeMaterial::apply() const
{
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

Shape::Shape() : shapeType(0), drawStyle(kSolid), material() {}
Shape::~Shape() {}

float Shape::extent() const { return 0.0f; }

void Shape::set(short shapeType_, short drawStyle_, ShapeTransform transform,
                ShapeMaterial material_)
{
    shapeType = shapeType_;
    drawStyle = drawStyle_;
    ShapeTransform::operator=(transform);
    material = material_;
}

void Shape::beginDraw(M3dView& view) const
{
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

void Shape::draw(M3dView& view, M3dView::DisplayStyle) const
{
    beginDraw(view);
    glPushMatrix();
    ShapeTransform::apply();
}

NoShape::NoShape() {}
NoShape::~NoShape() {}
float NoShape::extent() const { return 0.0f; }
void NoShape::draw(M3dView&, M3dView::DisplayStyle) const {}

CubeShape::CubeShape(float size_) : size(size_) {}
CubeShape::~CubeShape() {}
float CubeShape::extent() const { return size; }

void CubeShape::draw(M3dView& view, M3dView::DisplayStyle style) const
{
    Shape::draw(view, style);
    if (wire())
        glutWireCube(size);
    else
        glutSolidCube(size);
    glPopMatrix();
    endDraw();
}

namespace {

// Slices, stacks, sides and rings as GLUT and GLU take them. A negative count
// makes GLUT allocate a negative size, a huge one without bound; the
// attributes feeding these stop at 50, so that is the most any shape draws.
// Counts too small for a shape draw nothing in GLUT and GLU.
int tessellation(int count)
{
    return std::clamp(count, 0, 50);
}

}  // namespace

SphereShape::SphereShape(float radius_, int slices_, int stacks_)
    : radius(radius_), slices(tessellation(slices_)), stacks(tessellation(stacks_))
{
}
SphereShape::~SphereShape() {}
float SphereShape::extent() const { return radius; }

void SphereShape::draw(M3dView& view, M3dView::DisplayStyle style) const
{
    Shape::draw(view, style);
    // GLUT's poles lie on Z; turn them onto Y.
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    if (wire())
        glutWireSphere(radius, slices, stacks);
    else
        glutSolidSphere(radius, slices, stacks);
    glPopMatrix();
    endDraw();
}

ConeShape::ConeShape(float base_, float height_, int slices_, int stacks_)
    : base(base_), height(height_), slices(tessellation(slices_)), stacks(tessellation(stacks_))
{
}
ConeShape::~ConeShape() {}
float ConeShape::extent() const { return height; }

void ConeShape::draw(M3dView& view, M3dView::DisplayStyle style) const
{
    Shape::draw(view, style);
    // GLUT's cone points along +Z; point it up +Y.
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    if (wire())
        glutWireCone(base, height, slices, stacks);
    else
        glutSolidCone(base, height, slices, stacks);
    glPopMatrix();
    endDraw();
}

TorusShape::TorusShape(float innerRadius_, float outerRadius_, int sides_, int rings_)
    : innerRadius(innerRadius_), outerRadius(outerRadius_), sides(tessellation(sides_)),
      rings(tessellation(rings_))
{
}
TorusShape::~TorusShape() {}
float TorusShape::extent() const { return outerRadius; }

void TorusShape::draw(M3dView& view, M3dView::DisplayStyle style) const
{
    Shape::draw(view, style);
    // GLUT's torus has its hole along Z; turn it onto Y.
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    if (wire())
        glutWireTorus(innerRadius, outerRadius, sides, rings);
    else
        glutSolidTorus(innerRadius, outerRadius, sides, rings);
    glPopMatrix();
    endDraw();
}

RectangleShape::RectangleShape(float width_, float height_, float depth_)
    : width(width_), height(height_), depth(depth_)
{
}
RectangleShape::~RectangleShape() {}
float RectangleShape::extent() const { return height; }

void RectangleShape::draw(M3dView& view, M3dView::DisplayStyle style) const
{
    Shape::draw(view, style);
    glScalef(width, height, depth);
    if (wire())
        glutWireCube(1.0);
    else
        glutSolidCube(1.0);
    glPopMatrix();
    endDraw();
}

CylinderShape::CylinderShape(float height_, float baseRadius_, float topRadius_, int slices_,
                             int stacks_)
    : height(height_), baseRadius(baseRadius_), topRadius(topRadius_),
      slices(tessellation(slices_)), stacks(tessellation(stacks_))
{
}
CylinderShape::~CylinderShape() {}
float CylinderShape::extent() const { return height * 0.5f; }

void CylinderShape::draw(M3dView& view, M3dView::DisplayStyle style) const
{
    Shape::draw(view, style);
    GLUquadric* quadric = gluNewQuadric();
    if (quadric) {
        gluQuadricDrawStyle(quadric, wire() ? GLU_LINE : GLU_FILL);
        // GLU's cylinder runs from 0 to height along +Z: turn it up +Y and
        // centre it on the origin.
        glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
        glTranslatef(0.0f, 0.0f, -0.5f * height);
        gluCylinder(quadric, baseRadius, topRadius, height, slices, stacks);
        gluDeleteQuadric(quadric);
    }
    glPopMatrix();
    endDraw();
}

ShapeGroup::ShapeGroup() : first(nullptr), second(nullptr), third(nullptr) {}

ShapeGroup::~ShapeGroup()
{
    // Each shape once, even if a caller put the same one in twice.
    delete first;
    if (second != first)
        delete second;
    if (third != first && third != second)
        delete third;
}

void ShapeGroup::set(Shape* first_, Shape* second_, Shape* third_)
{
    Shape* const old[3] = {first, second, third};
    for (int i = 0; i < 3; ++i) {
        Shape* s = old[i];
        const bool kept = s == first_ || s == second_ || s == third_;
        const bool seen = (i > 0 && s == old[0]) || (i > 1 && s == old[1]);
        if (!kept && !seen)
            delete s;
    }
    first = first_;
    second = second_;
    third = third_;
}

void ShapeGroup::draw(M3dView& view, M3dView::DisplayStyle style) const
{
    if (first)
        first->draw(view, style);
    if (second)
        second->draw(view, style);
    if (third)
        third->draw(view, style);
}
