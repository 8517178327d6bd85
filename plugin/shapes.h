// Marker shapes shared by the three locators: a placement, a material, and
// GLUT/GLU solids drawn wire-frame, flat-coloured or lit. A node builds its
// shapes afresh in every draw, between M3dView::beginGL and endGL, and frees
// them before the draw returns.
#pragma once

#include <maya/M3dView.h>
#include <maya/MVector.h>

#include <memory>

class ShapeTranslate {
public:
    ShapeTranslate() = default;
    ShapeTranslate(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    void apply() const;

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

class ShapeRotate {
public:
    ShapeRotate() = default;
    ShapeRotate(double angle_, const MVector& axis_) : angle(angle_), axis(axis_) {}

    void apply() const;

    double angle = 0.0;  // degrees
    MVector axis;
};

class ShapeScale {
public:
    ShapeScale() = default;
    ShapeScale(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    void apply() const;

    float x = 1.0f;
    float y = 1.0f;
    float z = 1.0f;
};

class ShapeTransform {
public:
    ShapeTransform() = default;
    // Rotation comes first here although it is the second member: callers
    // throughout the nodes build placements in this order.
    ShapeTransform(ShapeRotate rotate_, ShapeTranslate translate_, ShapeScale scale_)
        : translate(translate_), rotate(rotate_), scale(scale_) {}

    // Scale, then translate, then rotate: the rotation acts on the shape
    // first, the scale last.
    void apply() const;

    ShapeTranslate translate;
    ShapeRotate rotate;
    ShapeScale scale;
};

class ShapeMaterial {
public:
    // Black and not shiny, so a shape drawn before Shape::set draws something
    // harmless instead of reading garbage into GL.
    ShapeMaterial() = default;
    ShapeMaterial(const float ambient[4], const float diffuse[4], const float specular[4], float shininess);

    // Pushes GL_LIGHTING_BIT and turns lighting on; the shape's endDraw pops it.
    void apply() const;

    float ambient[4] = {};
    float diffuse[4] = {};
    float specular[4] = {};
    float shininess = 0.0f;
};

// Same numbers as the locators' draw-type enum fields.
enum ShapeDrawStyle {
    kWire = 0,
    kSolid = 1,
    kSmooth = 2,
};

// Same numbers as the locators' shape-type enum fields (the primitive locator
// offers no "none").
enum ShapeKind {
    kNoShape = 0,
    kCube = 1,
    kSphere = 2,
    kCone = 3,
    kTorus = 4,
    kRectangle = 5,
    kCylinder = 6,
};

class Shape {
public:
    virtual ~Shape() = default;

    // Style set-up, glPushMatrix and the placement, then the geometry, then
    // glPopMatrix and endDraw. The display style is not used: the shape's own
    // draw style decides.
    virtual void draw(M3dView& view, M3dView::DisplayStyle style) const;

    void set(short drawStyle, const ShapeTransform& placement, const ShapeMaterial& material);

    // Wire and solid: the diffuse colour becomes the draw colour, then the
    // current attributes are pushed. Smooth: the material is applied (lit).
    // Any other style counts as solid, so the pushes and pops stay paired.
    void beginDraw(M3dView& view) const;
    void endDraw() const;

    bool wire() const { return drawStyle == kWire; }

    short drawStyle = kSolid;
    ShapeTransform placement;
    ShapeMaterial material;

protected:
    // The shape itself, in its own space, under the placement.
    virtual void drawGeometry() const = 0;
};

// Draws nothing and touches no GL or host state.
class NoShape : public Shape {
public:
    void draw(M3dView&, M3dView::DisplayStyle) const override {}

protected:
    void drawGeometry() const override {}
};

class CubeShape : public Shape {
public:
    explicit CubeShape(float size_) : size(size_) {}

    float size;  // edge length

protected:
    void drawGeometry() const override;
};

// The tessellated shapes below hold their counts (slices, stacks, sides,
// rings) to 0..50, whatever the caller passes.

// Poles on the Y axis.
class SphereShape : public Shape {
public:
    SphereShape(float radius, int slices, int stacks);

    float radius;
    int slices;
    int stacks;

protected:
    void drawGeometry() const override;
};

// Base on the XZ plane, apex at +Y height.
class ConeShape : public Shape {
public:
    ConeShape(float base, float height, int slices, int stacks);

    float base;
    float height;
    int slices;
    int stacks;

protected:
    void drawGeometry() const override;
};

// Lies in the XZ plane, hole along Y. innerRadius is the tube's radius,
// outerRadius the distance from the centre to the middle of the tube.
class TorusShape : public Shape {
public:
    TorusShape(float innerRadius, float outerRadius, int sides, int rings);

    float innerRadius;
    float outerRadius;
    int sides;
    int rings;

protected:
    void drawGeometry() const override;
};

// A box width (X) by height (Y) by depth (Z), centred on the origin.
class RectangleShape : public Shape {
public:
    RectangleShape(float width_, float height_, float depth_)
        : width(width_), height(height_), depth(depth_) {}

    float width;
    float height;
    float depth;

protected:
    void drawGeometry() const override;
};

// Axis along Y, centred on the origin: from -height/2 (baseRadius) to
// +height/2 (topRadius). No end caps.
class CylinderShape : public Shape {
public:
    CylinderShape(float height, float baseRadius, float topRadius, int slices, int stacks);

    float height;
    float baseRadius;
    float topRadius;
    int slices;
    int stacks;

protected:
    void drawGeometry() const override;
};

// Three shapes drawn in order, owned: handing new ones over frees the ones
// held before.
class ShapeGroup {
public:
    void set(std::unique_ptr<Shape> first, std::unique_ptr<Shape> second, std::unique_ptr<Shape> third);

    // Null shapes are skipped.
    void draw(M3dView& view, M3dView::DisplayStyle style) const;

    std::unique_ptr<Shape> first;
    std::unique_ptr<Shape> second;
    std::unique_ptr<Shape> third;
};
