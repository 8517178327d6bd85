#pragma once
// Marker shapes shared by the three locators: a placement, a material, and
// GLUT/GLU solids drawn wire-frame, flat-coloured or lit. A node builds its
// shapes afresh in every draw, between M3dView::beginGL and endGL, and deletes
// them before the draw returns.

#include <maya/M3dView.h>
#include <maya/MVector.h>

class ShapeTranslate {
public:
    ShapeTranslate();
    ShapeTranslate(float x, float y, float z);
    virtual ~ShapeTranslate();

    void set(float x, float y, float z);
    void apply() const;

    float x;
    float y;
    float z;
};

class ShapeRotate {
public:
    ShapeRotate();
    ShapeRotate(double angle, const MVector& axis);
    virtual ~ShapeRotate();

    void apply() const;

    double angle;  // degrees
    MVector axis;
};

class ShapeScale {
public:
    ShapeScale();
    ShapeScale(float x, float y, float z);
    virtual ~ShapeScale();

    void apply() const;

    float x;
    float y;
    float z;
};

class ShapeTransform {
public:
    ShapeTransform();
    // Rotation comes first here although it is the second member: callers
    // throughout the nodes build placements in this order.
    ShapeTransform(ShapeRotate rotate, ShapeTranslate translate, ShapeScale scale);
    ShapeTransform(const ShapeTransform& other);
    ShapeTransform& operator=(const ShapeTransform& other);
    virtual ~ShapeTransform();

    // Scale, then translate, then rotate: the rotation acts on the shape
    // first, the scale last.
    void apply() const;

    ShapeTranslate translate;
    ShapeRotate rotate;
    ShapeScale scale;
};

class ShapeMaterial {
public:
    ShapeMaterial();
    ShapeMaterial(const float ambient[4], const float diffuse[4], const float specular[4],
                  float shininess);
    ShapeMaterial(const ShapeMaterial& other);
    ShapeMaterial& operator=(const ShapeMaterial& other);
    virtual ~ShapeMaterial();

    // Pushes GL_LIGHTING_BIT and turns lighting on; the shape's endDraw pops it.
    void apply() const;

    float ambient[4];
    float diffuse[4];
    float specular[4];
    float shininess;
};

// Same numbers as the locators' draw-type enum fields.
enum ShapeDrawStyle {
    kWire = 0,
    kSolid = 1,
    kSmooth = 2,
};

class Shape : public ShapeTransform {
public:
    Shape();
    virtual ~Shape();

    // One characteristic size of the shape.
    virtual float extent() const;

    // The common prologue: style set-up, glPushMatrix and the placement. Every
    // concrete shape (but NoShape) calls it first, then issues its geometry,
    // glPopMatrix() and endDraw(). The display style is not used: the shape's
    // own draw style decides.
    virtual void draw(M3dView& view, M3dView::DisplayStyle style) const;

    void set(short shapeType, short drawStyle, ShapeTransform transform, ShapeMaterial material);

    // Wire and solid: the diffuse colour becomes the draw colour, then the
    // current attributes are pushed. Smooth: the material is applied (lit).
    // Any other style counts as solid, so the pushes and pops stay paired.
    void beginDraw(M3dView& view) const;
    void endDraw() const;

    bool wire() const { return drawStyle == kWire; }

    short shapeType;  // kept for the caller; no drawing depends on it
    short drawStyle;
    ShapeMaterial material;
};

// Draws nothing and touches no GL or host state.
class NoShape : public Shape {
public:
    NoShape();
    ~NoShape() override;
    float extent() const override;
    void draw(M3dView& view, M3dView::DisplayStyle style) const override;
};

class CubeShape : public Shape {
public:
    explicit CubeShape(float size);
    ~CubeShape() override;
    float extent() const override;
    void draw(M3dView& view, M3dView::DisplayStyle style) const override;

    float size;  // edge length
};

// Poles on the Y axis.
class SphereShape : public Shape {
public:
    SphereShape(float radius, int slices, int stacks);
    ~SphereShape() override;
    float extent() const override;
    void draw(M3dView& view, M3dView::DisplayStyle style) const override;

    float radius;
    int slices;
    int stacks;
};

// Base on the XZ plane, apex at +Y height.
class ConeShape : public Shape {
public:
    ConeShape(float base, float height, int slices, int stacks);
    ~ConeShape() override;
    float extent() const override;
    void draw(M3dView& view, M3dView::DisplayStyle style) const override;

    float base;
    float height;
    int slices;
    int stacks;
};

// Lies in the XZ plane, hole along Y. innerRadius is the tube's radius,
// outerRadius the distance from the centre to the middle of the tube.
class TorusShape : public Shape {
public:
    TorusShape(float innerRadius, float outerRadius, int sides, int rings);
    ~TorusShape() override;
    float extent() const override;
    void draw(M3dView& view, M3dView::DisplayStyle style) const override;

    float innerRadius;
    float outerRadius;
    int sides;
    int rings;
};

// A box width (X) by height (Y) by depth (Z), centred on the origin.
class RectangleShape : public Shape {
public:
    RectangleShape(float width, float height, float depth);
    ~RectangleShape() override;
    float extent() const override;
    void draw(M3dView& view, M3dView::DisplayStyle style) const override;

    float width;
    float height;
    float depth;
};

// Axis along Y, centred on the origin: from -height/2 (baseRadius) to
// +height/2 (topRadius). No end caps.
class CylinderShape : public Shape {
public:
    CylinderShape(float height, float baseRadius, float topRadius, int slices, int stacks);
    ~CylinderShape() override;
    float extent() const override;
    void draw(M3dView& view, M3dView::DisplayStyle style) const override;

    float height;
    float baseRadius;
    float topRadius;
    int slices;
    int stacks;
};

// Three shapes drawn in order. The group owns them: it deletes each one once,
// first to third, when it is destroyed.
class ShapeGroup {
public:
    ShapeGroup();
    virtual ~ShapeGroup();
    ShapeGroup(const ShapeGroup&) = delete;
    ShapeGroup& operator=(const ShapeGroup&) = delete;

    // Takes ownership of the three shapes (any may be null). Shapes the group
    // held before and does not hold any more are deleted.
    void set(Shape* first, Shape* second, Shape* third);

    // Null shapes are skipped.
    void draw(M3dView& view, M3dView::DisplayStyle style) const;

    Shape* first;
    Shape* second;
    Shape* third;
};
