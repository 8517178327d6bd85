#include "view/render.h"

#include "graph/handles.h"
#include "graph/scene.h"
#include "view/feedback.h"
#include "view/gl_context.h"
#include "view/text_batch.h"
#include "view/vp2_render.h"

#include <maya/MBoundingBox.h>
#include <maya/MDagPath.h>
#include <maya/MPxLocatorNode.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <exception>

namespace rdhost {

namespace {

// Plug-in code may use the static API (MGlobal...) while drawing.
struct SceneScope {
    explicit SceneScope(Scene* s) : saved(Scene::current()) { Scene::setCurrent(s); }
    ~SceneScope() { Scene::setCurrent(saved); }
    Scene* saved;
};

// Half size of the box the counting pass captures; far beyond any rig.
constexpr double kCountExtent = 1.0e7;

void copyWorld(const double in[4][4], double out[16]) {
    // MMatrix rows are GL's columns: the same 16 numbers in the same order.
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out[r * 4 + c] = in[r][c];
}

Vec3 transformPoint(const double m[4][4], double x, double y, double z) {
    const double w = x * m[0][3] + y * m[1][3] + z * m[2][3] + m[3][3];
    Vec3 p{x * m[0][0] + y * m[1][0] + z * m[2][0] + m[3][0],
           x * m[0][1] + y * m[1][1] + z * m[2][1] + m[3][1],
           x * m[0][2] + y * m[1][2] + z * m[2][2] + m[3][2]};
    if (w != 0.0 && w != 1.0)
        for (double& v : p) v /= w;
    return p;
}

// The state every node's draw starts from, so one node's leftovers (lighting
// left on, a wide line) do not change how the next one looks.
void resetNodeState(const float color[4]) {
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    glShadeModel(GL_SMOOTH);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glLineWidth(1.0f);
    glPointSize(1.0f);
    glColor4fv(color);
}

// Runs one item's draw with the per-node guard: exceptions are reported, an
// open beginGL bracket is closed, unbalanced stacks are restored.
void guardedDraw(Viewport& vp, const DrawItem& item, M3dView& view) {
    const GLStackState guard = readGLStackState();
    vp.currentNode = item.name;
    vp.inBracket = false;
    try {
        item.draw(view);
    } catch (const std::exception& e) {
        vp.warn("draw: node '" + item.name + "' failed: " + e.what());
    } catch (...) {
        vp.warn("draw: node '" + item.name + "' failed");
    }
    if (vp.inBracket) {
        vp.warn("draw: node '" + item.name + "' called beginGL without endGL");
        vp.inBracket = false;
    }
    const std::string problems = restoreGLStackState(guard);
    if (!problems.empty())
        vp.warn("draw: node '" + item.name + "' left the GL state unbalanced (" + problems + "); restored");
    vp.currentNode.clear();
}

GridPlane gridPlaneFor(CameraKind kind) {
    switch (kind) {
    case CameraKind::Front:
        return GridPlane::XY;
    case CameraKind::Side:
        return GridPlane::YZ;
    default:
        return GridPlane::XZ;
    }
}

}  // namespace

bool isVisible(const Node* node) {
    for (const Node* n = node; n; n = n->parent) {
        Attr* vis = n->findAttr("visibility");
        if (vis && const_cast<Node*>(n)->getNumber(vis->index) == 0.0) return false;
    }
    return true;
}

std::vector<VisibleLocator> visibleLocators(Scene& scene) {
    std::vector<VisibleLocator> out;
    for (Node* n : scene.nodes()) {
        if (!n->isDag() || !n->user) continue;
        auto* loc = dynamic_cast<MPxLocatorNode*>(n->user);
        if (!loc || !isVisible(n)) continue;
        VisibleLocator v;
        v.node = n;
        v.locator = loc;
        scene.worldMatrix(n, v.world);
        out.push_back(v);
    }
    return out;
}

std::vector<DrawItem> drawItems(Scene& scene) {
    std::vector<DrawItem> items;
    const bool vp2 = rendererOf(scene) == kVp2Renderer;
    for (const VisibleLocator& v : visibleLocators(scene)) {
        DrawItem item;
        item.name = displayName(v.node);
        item.type = v.node->type ? v.node->type->name : std::string();
        copyWorld(v.world, item.world);
        // Viewport 2.0 draws a node through its type's draw override; a type
        // without one falls back to its legacy draw, as the host's
        // compatibility path does.
        if (vp2) {
            double world[4][4];
            if (auto draw = overrideDraw(scene, v.node, world)) {
                copyWorld(world, item.world);
                item.draw = std::move(draw);
                items.push_back(std::move(item));
                continue;
            }
        }
        MPxLocatorNode* loc = v.locator;
        const MDagPath path = ObjectAccess::path(v.node);
        item.draw = [loc, path](M3dView& m3d) {
            loc->draw(m3d, path, M3dView::kGouraudShaded, M3dView::kDormant);
        };
        items.push_back(std::move(item));
    }
    // The host's own locator shape: a cross of three lines through its
    // localPosition, localScale long each way along each axis.
    for (Node* n : scene.nodes()) {
        if (n->user || !n->type || n->type->name != "locator" || !n->unknownTypeName.empty() || !isVisible(n))
            continue;
        DrawItem item;
        item.name = displayName(n);
        item.type = n->type->name;
        double w[4][4];
        scene.worldMatrix(n, w);
        copyWorld(w, item.world);
        double p[3], s[3];
        static const char* lp[3] = {"lpx", "lpy", "lpz"};
        static const char* ls[3] = {"losx", "losy", "losz"};
        for (int i = 0; i < 3; ++i) {
            p[i] = n->getNumber(n->findAttr(lp[i])->index);
            s[i] = n->getNumber(n->findAttr(ls[i])->index);
        }
        item.draw = [p0 = p[0], p1 = p[1], p2 = p[2], s0 = s[0], s1 = s[1], s2 = s[2]](M3dView&) {
            glBegin(GL_LINES);
            glVertex3d(p0 - s0, p1, p2);
            glVertex3d(p0 + s0, p1, p2);
            glVertex3d(p0, p1 - s1, p2);
            glVertex3d(p0, p1 + s1, p2);
            glVertex3d(p0, p1, p2 - s2);
            glVertex3d(p0, p1, p2 + s2);
            glEnd();
        };
        items.push_back(std::move(item));
    }
    for (const Overlay& o : viewportFor(scene).overlays) {
        DrawItem item;
        item.name = o.name;
        item.type = o.type;
        double w[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
        if (o.worldMatrix) o.worldMatrix(w);
        copyWorld(w, item.world);
        item.draw = o.draw;
        items.push_back(std::move(item));
    }
    return items;
}

DrawnExtent drawnExtent(Scene& scene, const std::vector<DrawItem>& items) {
    SceneScope scope(&scene);
    Viewport& vp = viewportFor(scene);
    ensureGLContext();
    const bool savedQuiet = vp.quiet, savedLog = vp.logTexts, savedPlace = vp.placeTexts,
               savedFraming = vp.framing;
    const std::size_t savedTexts = vp.textLog.size();
    vp.quiet = true;  // the picture's own pass reports the draws' faults
    vp.logTexts = true;
    vp.placeTexts = true;
    vp.framing = true;
    GLint port[4];
    glGetIntegerv(GL_VIEWPORT, port);
    const double px = port[0], py = port[1], pw = std::max(port[2], 1), ph = std::max(port[3], 1);
    M3dView m3d(&vp);
    DrawnExtent out;
    for (const DrawItem& item : items) {
        double world[4][4];
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) world[r][c] = item.world[r * 4 + c];
        // The capture box starts at 100 m about the item's origin, where
        // window coordinates (floats) still resolve hundredths of a millimetre,
        // and grows while the draw reaches its sides.
        for (double extent = 1.0e4;; extent *= 1.0e3) {
            const double s = 1.0 / extent;
            const double projection[16] = {s, 0, 0, 0, 0, s, 0, 0, 0, 0, s, 0, 0, 0, 0, 1};
            glMatrixMode(GL_PROJECTION);
            glLoadMatrixd(projection);
            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
            resetNodeState(kDormantColor.data());
            const GLStackState start = readGLStackState();
            const std::size_t firstText = vp.textLog.size();
            std::vector<FeedbackPrimitive> prims;
            try {
                prims = captureFeedback(
                    [&] {
                        if (item.draw) guardedDraw(vp, item, m3d);
                    },
                    [&] {
                        restoreGLStackState(start);
                        resetNodeState(kDormantColor.data());
                        vp.textLog.resize(firstText);
                    });
            } catch (const HostError& e) {
                restoreGLStackState(start);
                vp.textLog.resize(firstText);
                vp.quiet = false;
                vp.warn("playblast: what '" + item.name + "' draws cannot be measured (" + e.what() +
                        "); it is framed by its position");
                vp.quiet = true;
                out.bounds.expand(transformPoint(world, 0.0, 0.0, 0.0));
                break;
            }
            restoreGLStackState(start);
            std::vector<Vec3> points;
            bool reachesSide = false;
            for (const FeedbackPrimitive& p : prims) {
                if (p.kind != FeedbackPrimitive::Kind::Line && p.kind != FeedbackPrimitive::Kind::Polygon &&
                    p.kind != FeedbackPrimitive::Kind::Point)
                    continue;
                for (const FeedbackVertex& v : p.vertices) {
                    const Vec3 o{(2.0 * (v.x - px) / pw - 1.0) * extent,
                                 (2.0 * (v.y - py) / ph - 1.0) * extent, (2.0 * v.z - 1.0) * extent};
                    for (double c : o) reachesSide = reachesSide || std::fabs(c) > 0.999 * extent;
                    points.push_back(o);
                }
            }
            if (reachesSide && extent < 1.0e10) {
                vp.textLog.resize(firstText);
                continue;
            }
            for (const Vec3& o : points) out.bounds.expand(transformPoint(world, o[0], o[1], o[2]));
            for (std::size_t t = firstText; t < vp.textLog.size(); ++t) {
                const TextRecord& r = vp.textLog[t];
                FrameText ft;
                ft.anchor = transformPoint(world, r.placed[0], r.placed[1], r.placed[2]);
                const double w = r.width;
                ft.left = r.align == M3dView::kCenter ? -0.5 * w : r.align == M3dView::kRight ? -w : 0.0;
                ft.right = ft.left + w;
                // GLUT's 8x13 font: glyphs reach 2 pixels below the baseline and 11 above.
                ft.bottom = -3.0;
                ft.top = 12.0;
                out.bounds.expand(ft.anchor);
                out.texts.push_back(ft);
            }
            break;
        }
    }
    vp.textLog.resize(savedTexts);
    vp.quiet = savedQuiet;
    vp.logTexts = savedLog;
    vp.placeTexts = savedPlace;
    vp.framing = savedFraming;
    return out;
}

RenderResult renderScene(Scene& scene, const RenderOptions& options) {
    SceneScope scope(&scene);
    Viewport& vp = viewportFor(scene);
    bindOffscreenTarget(options.width, options.height);  // validates the size, makes the context
    vp.width = options.width;
    vp.height = options.height;
    vp.textLog.clear();
    vp.inBracket = false;
    vp.logTexts = true;
    vp.quiet = false;

    RenderResult result;
    result.items = drawItems(scene);
    if (options.view) {
        result.camera = *options.view;
    } else {
        const DrawnExtent drawn = drawnExtent(scene, result.items);
        result.camera =
            frameCamera(options.camera, drawn.bounds, static_cast<double>(options.width) / options.height,
                        options.grid.halfSize);
        fitToPicture(result.camera, drawn.bounds, drawn.texts, options.width, options.height);
    }
    const auto view = viewMatrix(result.camera);
    const auto projection = projectionMatrix(result.camera);

    beginTextBatch();
    glClearColor(options.background[0], options.background[1], options.background[2], options.background[3]);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(projection.data());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // The default light sits at the camera: placed with an identity modelview,
    // its position is in eye space and follows the camera.
    const GLfloat headlight[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, headlight);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_SPECULAR, white);
    glLightfv(GL_LIGHT0, GL_AMBIENT, black);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_NORMALIZE);
    glDisable(GL_LIGHTING);  // nodes that want shading switch it on themselves

    glLoadMatrixd(view.data());
    if (options.showGrid) drawGrid(buildGrid(gridPlaneFor(options.camera), options.grid));

    M3dView m3d(&vp);
    // Viewport 2.0 consolidates the overrides' drawables (vp2_render.h).
    struct BatchScope {
        explicit BatchScope(bool on) : on(on) {
            if (on) beginDrawBatch();
        }
        ~BatchScope() {
            if (on) endDrawBatch();
        }
        bool on;
    } batch(rendererOf(scene) == kVp2Renderer);
    // Manipulators draw over the nodes: the nodes' queued drawables and texts
    // go first.
    const std::size_t firstOverlay = result.items.size() - vp.overlays.size();
    for (std::size_t i = 0; i < result.items.size(); ++i) {
        DrawItem& item = result.items[i];
        if (i == firstOverlay) {
            flushDrawBatch();
            flushTextBatch();
        }
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixd(view.data());
        glMultMatrixd(item.world);
        resetNodeState(kDormantColor.data());
        item.textBegin = vp.textLog.size();
        if (item.draw) guardedDraw(vp, item, m3d);
        item.textEnd = vp.textLog.size();
    }
    flushDrawBatch();
    endTextBatch();
    glDisable(GL_LIGHTING);

    result.image.width = options.width;
    result.image.height = options.height;
    result.image.rgba = readOffscreenRGBA(options.width, options.height);
    return result;
}

ItemCounts countItemPrimitives(Scene& scene, const DrawItem& item) {
    SceneScope scope(&scene);
    Viewport& vp = viewportFor(scene);
    ensureGLContext();
    const bool savedQuiet = vp.quiet, savedLog = vp.logTexts;
    vp.quiet = true;      // the render pass already reported this draw's faults
    vp.logTexts = false;  // and logged its texts
    const double s = 1.0 / kCountExtent;
    const double projection[16] = {s, 0, 0, 0, 0, s, 0, 0, 0, 0, s, 0, 0, 0, 0, 1};
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    resetNodeState(kDormantColor.data());
    const GLStackState start = readGLStackState();
    M3dView m3d(&vp);
    ItemCounts counts;
    try {
        auto prims = captureFeedback(
            [&] {
                if (item.draw) guardedDraw(vp, item, m3d);
            },
            [&] {
                restoreGLStackState(start);
                resetNodeState(kDormantColor.data());
            });
        PrimitiveCounts c = countPrimitives(prims);
        counts.lines = c.lines;
        counts.polygons = c.polygons;
    } catch (...) {
        vp.quiet = savedQuiet;
        vp.logTexts = savedLog;
        throw;
    }
    vp.quiet = savedQuiet;
    vp.logTexts = savedLog;
    restoreGLStackState(start);
    return counts;
}

}  // namespace rdhost
