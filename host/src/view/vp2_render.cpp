#include "view/vp2_render.h"

#include "command/registry.h"
#include "graph/draw_registry.h"
#include "graph/handles.h"
#include "graph/scene.h"
#include "view/viewport.h"

#include <maya/MDagPath.h>
#include <maya/MDrawContext.h>
#include <maya/MPxDrawOverride.h>
#include <maya/MPxLocatorNode.h>

#include <GL/gl.h>

#include <array>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

namespace rdhost {

const char* const kVp2Renderer = "vp2Renderer";
const char* const kLegacyRenderer = "base_OpenGL_Renderer";
const char* const kModelPanel = "modelPanel4";

bool isRendererName(const std::string& name) { return name == kVp2Renderer || name == kLegacyRenderer; }

const std::string& rendererOf(Scene& scene) { return viewportFor(scene).renderer; }

void setRenderer(Scene& scene, const std::string& name) {
    if (!isRendererName(name))
        throw HostError("unknown renderer '" + clipInput(name) + "' (use " + kVp2Renderer + " or " +
                        kLegacyRenderer + ")");
    viewportFor(scene).renderer = name;
}

namespace {

using MHWRender::MUIDrawManager;
using Kind = UIPrimitive::Kind;

// The stock material of a shaded mesh's highlight. The draw manager takes no
// material, so one highlight serves every plug-in: this one is the primitive
// locator's own (0.3 at 30), the largest lit shape, so a smooth locator looks
// the same in both renderers from every side; the sliders' heads (0.1 at 10 in
// the legacy draw) shine a little brighter where they face the light.
constexpr GLfloat kStockHighlight[4] = {0.3f, 0.3f, 0.3f, 1.0f};
constexpr GLfloat kStockShininess = 30.0f;

// One node's draw through its override during one refresh.
struct OverrideDraw {
    Scene* scene = nullptr;
    Node* node = nullptr;
    MDagPath path;
    MMatrix world;  // the override's transform(): what the node is drawn under
    std::string name;
    bool prepared = false;
    bool preparedForFraming = false;  // prepared in the framing pass: again for the picture
    std::string fault;                // why nothing is drawn (warned on every pass that is not quiet)
    const MUserData* data = nullptr;  // what addUIDrawables gets
    MUserData* transient = nullptr;   // deleteAfterUse data, freed with the refresh
    ~OverrideDraw() { delete transient; }
    OverrideDraw() = default;
    OverrideDraw(const OverrideDraw&) = delete;
    OverrideDraw& operator=(const OverrideDraw&) = delete;
};

MMatrix glMatrix(GLenum which) {
    double m[16];
    glGetDoublev(which, m);
    double r[4][4];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r[i][j] = m[i * 4 + j];
    return MMatrix(r);
}

// The frame context of the pass under way, from the GL state the renderer
// set up for the node (modelview = world * view).
FrameState frameState(const Viewport& vp, const MMatrix& world) {
    FrameState fs;
    fs.world = world;
    fs.view = world.inverse() * glMatrix(GL_MODELVIEW_MATRIX);
    fs.projection = glMatrix(GL_PROJECTION_MATRIX);
    GLint port[4];
    glGetIntegerv(GL_VIEWPORT, port);
    fs.originX = port[0];
    fs.originY = port[1];
    fs.width = vp.width;
    fs.height = vp.height;
    return fs;
}

std::string describe(const std::exception* e) {
    return e ? std::string(" (") + e->what() + ")" : std::string();
}

void drawThroughOverride(OverrideDraw& st, M3dView& view) {
    Viewport& vp = *view.viewport();
    OverrideSlot* slot = drawRegistry(*st.scene).slotFor(st.node);
    MHWRender::MPxDrawOverride* ov = slot->override;
    if (!ov) return;  // deregistered while the refresh was under way
    FrameState fs = frameState(vp, st.world);
    const MHWRender::MDrawContext context(&fs);
    const MDagPath camera;

    // prepareForDraw runs once per refresh with the refresh's camera. When the
    // host first frames that camera on what is drawn, the framing pass has
    // its own capture view: the override prepares for it, and again for the
    // picture, whose camera is then known.
    if (!st.prepared || (st.preparedForFraming && !vp.framing)) {
        st.prepared = true;
        st.preparedForFraming = vp.framing;
        st.fault.clear();
        st.data = nullptr;
        delete st.transient;  // used by the framing pass
        st.transient = nullptr;
        MUserData* old = slot->data;
        MUserData* data = nullptr;
        try {
            data = ov->prepareForDraw(st.path, camera, context, old);
        } catch (const std::exception& e) {
            st.fault = "prepareForDraw failed" + describe(&e) + "; not drawn";
        } catch (...) {
            st.fault = "prepareForDraw failed; not drawn";
        }
        if (data != old) {
            delete old;  // replaced: the host owned it
            slot->data = nullptr;
        }
        if (!data && st.fault.empty()) st.fault = "prepareForDraw returned no data; not drawn";
        if (data) {
            if (data->deleteAfterUse()) {
                st.transient = data;
                slot->data = nullptr;
            } else {
                slot->data = data;
            }
            st.data = data;
        }
    }
    if (!st.fault.empty()) {
        vp.warn("draw: node '" + st.name + "': " + st.fault);
        return;
    }
    if (ov->hasUIDrawables()) {
        UIDrawList list;
        list.node = st.name;
        list.warn = [&vp](const std::string& m) { vp.warn(m); };
        MUIDrawManager manager(&list);
        try {
            ov->addUIDrawables(st.path, manager, context, st.data);
        } catch (const std::exception& e) {
            vp.warn("draw: node '" + st.name + "': addUIDrawables failed" + describe(&e));
        } catch (...) {
            vp.warn("draw: node '" + st.name + "': addUIDrawables failed");
        }
        list.finish();
        rasterize(list, view);
    }
    if (auto callback = ov->drawCallback()) callback(context, st.data);
}

void setLineStyle(MUIDrawManager::LineStyle style) {
    GLushort pattern = 0xFFFF;
    switch (style) {
    case MUIDrawManager::kShortDotted:
        pattern = 0x5555;
        break;
    case MUIDrawManager::kShortDashed:
        pattern = 0x3333;
        break;
    case MUIDrawManager::kDashed:
        pattern = 0x0F0F;
        break;
    case MUIDrawManager::kDotted:
        pattern = 0x1111;
        break;
    default:
        break;
    }
    if (pattern == 0xFFFF) {
        glDisable(GL_LINE_STIPPLE);
    } else {
        glEnable(GL_LINE_STIPPLE);
        glLineStipple(1, pattern);
    }
}

const GLubyte* halftone() {
    static GLubyte mask[128];
    for (int row = 0; row < 32; ++row)
        for (int b = 0; b < 4; ++b) mask[row * 4 + b] = row % 2 ? 0xAA : 0x55;
    return mask;
}

GLenum glMode(Kind kind) {
    switch (kind) {
    case Kind::Points:
        return GL_POINTS;
    case Kind::Lines:
        return GL_LINES;
    case Kind::LineStrip:
        return GL_LINE_STRIP;
    case Kind::ClosedLine:
        return GL_LINE_LOOP;
    case Kind::Triangles:
        return GL_TRIANGLES;
    case Kind::TriStrip:
        return GL_TRIANGLE_STRIP;
    default:
        return GL_POINTS;
    }
}

void submitVertices(const UIPrimitive& p, bool lit) {
    glBegin(glMode(p.kind));
    const std::size_t n = p.vertexCount();
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = p.indices.empty() ? k : p.indices[k];
        if (i >= p.positions.size()) continue;  // the draw manager refuses such meshes
        if (p.colors.size() == p.positions.size()) glColor4fv(p.colors[i].data());
        if (lit) glNormal3dv(p.normals[i].data());
        glVertex3dv(p.positions[i].data());
    }
    glEnd();
}

// ---------------------------------------------------------------- consolidation

// What one draw call can take together: the primitive class and every piece of
// state that changes how its vertices are drawn.
struct BatchKey {
    GLenum mode = GL_LINES;  // GL_POINTS, GL_LINES or GL_TRIANGLES
    float lineWidth = 1.0f, pointSize = 1.0f;
    int lineStyle = 0;
    int paint = 0;  // 0 flat, 1 stippled, 2 lit
    unsigned int depthPriority = 0;
    bool operator<(const BatchKey& o) const {
        return std::tie(depthPriority, mode, lineWidth, pointSize, lineStyle, paint) <
               std::tie(o.depthPriority, o.mode, o.lineWidth, o.pointSize, o.lineStyle, o.paint);
    }
};

// One group's vertices in eye space, ready for glDrawArrays.
struct BatchGroup {
    BatchKey key;
    std::vector<GLfloat> positions;  // 3 per vertex
    std::vector<GLfloat> normals;    // 3 per vertex, lit groups only
    std::vector<GLfloat> colors;     // 4 per vertex
};

// The refresh's queue. Groups keep their vectors from one refresh to the next
// (cleared, not freed), so a steady scene allocates nothing per refresh.
struct DrawBatch {
    bool on = false;
    std::vector<BatchGroup> groups;  // order of first use in this refresh
    std::size_t used = 0;            // groups[0, used) hold this refresh's vertices
    std::map<BatchKey, std::size_t> index;
    std::size_t vertices = 0;
    DrawBatchStats stats;  // of the batch under way or the last one
};

DrawBatch& drawBatch() {
    static DrawBatch batch;
    return batch;
}

// Past this many queued vertices the queue is drawn and starts again, so very
// large scenes use bounded memory.
constexpr std::size_t kBatchVertexLimit = std::size_t(1) << 20;

// The current modelview (object to eye) and the matrix its normals take (the
// inverse transpose of its upper 3 x 3), column-major.
struct EyeTransform {
    double m[16];
    double n[9];
    EyeTransform() {
        glGetDoublev(GL_MODELVIEW_MATRIX, m);
        const double a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6],
                     i = m[10];
        // Cofactors: the inverse transpose up to the determinant, which
        // GL_NORMALIZE takes out again.
        n[0] = e * i - f * h;
        n[1] = -(d * i - f * g);
        n[2] = d * h - e * g;
        n[3] = -(b * i - c * h);
        n[4] = a * i - c * g;
        n[5] = -(a * h - b * g);
        n[6] = b * f - c * e;
        n[7] = -(a * f - c * d);
        n[8] = a * e - b * d;
        const double det = a * n[0] + b * n[1] + c * n[2];
        if (det < 0.0)
            for (double& v : n) v = -v;
    }
    void point(const std::array<double, 3>& p, std::vector<GLfloat>& out) const {
        for (int r = 0; r < 3; ++r)
            out.push_back(static_cast<GLfloat>(m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r]));
    }
    void normal(const std::array<double, 3>& v, std::vector<GLfloat>& out) const {
        out.push_back(static_cast<GLfloat>(n[0] * v[0] + n[1] * v[1] + n[2] * v[2]));
        out.push_back(static_cast<GLfloat>(n[3] * v[0] + n[4] * v[1] + n[5] * v[2]));
        out.push_back(static_cast<GLfloat>(n[6] * v[0] + n[7] * v[1] + n[8] * v[2]));
    }
};

void drawGroup(const BatchGroup& g) {
    if (g.positions.empty()) return;
    glLineWidth(g.key.lineWidth);
    glPointSize(g.key.pointSize);
    setLineStyle(static_cast<MUIDrawManager::LineStyle>(g.key.lineStyle));
    if (g.key.paint == 2) {
        // As rasterize lights a shaded mesh: the colour is the diffuse colour
        // and, through a light-model ambient of half the default, half of it
        // the ambient one; the stock white highlight (kStockHighlight).
        const GLfloat halfAmbient[4] = {0.1f, 0.1f, 0.1f, 1.0f};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, halfAmbient);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, kStockHighlight);
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, kStockShininess);
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
        glEnable(GL_LIGHTING);
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, g.normals.data());
    } else {
        glDisable(GL_LIGHTING);
        glDisable(GL_COLOR_MATERIAL);
        glDisableClientState(GL_NORMAL_ARRAY);
    }
    if (g.key.paint == 1) {
        glPolygonStipple(halftone());
        glEnable(GL_POLYGON_STIPPLE);
    } else {
        glDisable(GL_POLYGON_STIPPLE);
    }
    glVertexPointer(3, GL_FLOAT, 0, g.positions.data());
    glColorPointer(4, GL_FLOAT, 0, g.colors.data());
    glDrawArrays(g.key.mode, 0, static_cast<GLsizei>(g.positions.size() / 3));
}

// Queues one primitive drawn in 3D under the current modelview.
void queue(const UIPrimitive& p, const EyeTransform& eye) {
    DrawBatch& b = drawBatch();
    const bool triangles = p.kind == Kind::Triangles || p.kind == Kind::TriStrip;
    BatchKey key;
    key.mode = triangles ? GL_TRIANGLES : p.kind == Kind::Points ? GL_POINTS : GL_LINES;
    key.lineWidth = p.state.lineWidth;
    key.pointSize = p.state.pointSize;
    key.lineStyle = static_cast<int>(p.state.lineStyle);
    key.depthPriority = p.state.depthPriority;
    const bool lit = triangles && p.state.paintStyle == MUIDrawManager::kShaded &&
                     p.normals.size() == p.positions.size() && !p.normals.empty();
    key.paint = lit ? 2 : triangles && p.state.paintStyle == MUIDrawManager::kStippled ? 1 : 0;
    auto [at, added] = b.index.emplace(key, b.used);
    if (added) {
        if (b.used == b.groups.size()) b.groups.emplace_back();
        BatchGroup& fresh = b.groups[b.used++];
        fresh.key = key;
        fresh.positions.clear();
        fresh.normals.clear();
        fresh.colors.clear();
    }
    BatchGroup& g = b.groups[at->second];
    const bool ownColors = p.colors.size() == p.positions.size();
    const auto vertex = [&](std::size_t k) {
        const std::size_t i = p.indices.empty() ? k : p.indices[k];
        if (i >= p.positions.size()) return;  // the draw manager refuses such meshes
        eye.point(p.positions[i], g.positions);
        if (lit) eye.normal(p.normals[i], g.normals);
        const auto& c = ownColors ? p.colors[i] : p.state.color;
        g.colors.insert(g.colors.end(), c.begin(), c.end());
        ++b.vertices;
    };
    const std::size_t n = p.vertexCount();
    switch (p.kind) {
    case Kind::Points:
        for (std::size_t k = 0; k < n; ++k) vertex(k);
        break;
    case Kind::Lines:
        for (std::size_t k = 0; k + 1 < n; k += 2) {
            vertex(k);
            vertex(k + 1);
        }
        break;
    case Kind::LineStrip:
    case Kind::ClosedLine:
        for (std::size_t k = 0; k + 1 < n; ++k) {
            vertex(k);
            vertex(k + 1);
        }
        if (p.kind == Kind::ClosedLine && n > 2) {
            vertex(n - 1);
            vertex(0);
        }
        break;
    case Kind::Triangles:
        for (std::size_t k = 0; k + 2 < n; k += 3) {
            vertex(k);
            vertex(k + 1);
            vertex(k + 2);
        }
        break;
    case Kind::TriStrip:
        // Every other triangle turned over, as GL assembles a strip.
        for (std::size_t k = 0; k + 2 < n; ++k) {
            vertex(k % 2 ? k + 1 : k);
            vertex(k % 2 ? k : k + 1);
            vertex(k + 2);
        }
        break;
    default:
        break;
    }
    if (b.vertices > kBatchVertexLimit) flushDrawBatch();
}

}  // namespace

void beginDrawBatch() {
    DrawBatch& b = drawBatch();
    b.on = true;
    b.used = 0;
    b.index.clear();
    b.vertices = 0;
    b.stats = DrawBatchStats();
}

DrawBatchStats drawBatchStats() { return drawBatch().stats; }

void flushDrawBatch() {
    DrawBatch& b = drawBatch();
    if (b.used == 0) return;
    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_LINE_BIT | GL_POINT_BIT | GL_POLYGON_STIPPLE_BIT |
                 GL_CURRENT_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();  // the vertices are in eye space already
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    // Groups in order of first use, so what a node draws later still lands on
    // top where depths tie; the draw order between nodes matters no more than
    // the depth test lets it.
    for (std::size_t i = 0; i < b.used; ++i) {
        drawGroup(b.groups[i]);
        ++b.stats.draws;
        b.stats.vertices += b.groups[i].positions.size() / 3;
    }
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(mode));
    glPopClientAttrib();
    glPopAttrib();
    b.used = 0;
    b.index.clear();
    b.vertices = 0;
}

void endDrawBatch() {
    flushDrawBatch();
    drawBatch().on = false;
}

void rasterize(const UIDrawList& list, M3dView& view) {
    const Viewport* vp = view.viewport();
    std::optional<EyeTransform> eye;  // read once, when the first primitive is queued
    const bool batching = drawBatch().on;
    for (const UIPrimitive& p : list.prims) {
        if (batching && !p.draw2D && p.kind != Kind::Text) {
            if (!eye) eye.emplace();
            queue(p, *eye);
            continue;
        }
        const bool triangles = p.kind == Kind::Triangles || p.kind == Kind::TriStrip;
        if (p.draw2D) {
            // Pixels of the viewport, origin at its lower left.
            glMatrixMode(GL_PROJECTION);
            glPushMatrix();
            glLoadIdentity();
            glOrtho(0.0, vp ? vp->width : 1, 0.0, vp ? vp->height : 1, -1.0, 1.0);
            glMatrixMode(GL_MODELVIEW);
            glPushMatrix();
            glLoadIdentity();
        }
        glColor4fv(p.state.color.data());
        if (p.kind == Kind::Text) {
            view.setDrawColor(MColor(p.state.color[0], p.state.color[1], p.state.color[2], p.state.color[3]));
            const M3dView::TextPosition align = p.align == MUIDrawManager::kCenter  ? M3dView::kCenter
                                                : p.align == MUIDrawManager::kRight ? M3dView::kRight
                                                                                    : M3dView::kLeft;
            const auto& q = p.positions[0];
            view.drawText(p.text.c_str(), MPoint(q[0], q[1], q[2]), align);
        } else {
            glLineWidth(p.state.lineWidth);
            glPointSize(p.state.pointSize);
            setLineStyle(p.state.lineStyle);
            const bool lit = triangles && p.state.paintStyle == MUIDrawManager::kShaded &&
                             p.normals.size() == p.positions.size() && !p.normals.empty();
            if (lit) {
                // The draw manager takes no material: the drawable's colour is
                // the diffuse colour, half of it the ambient one, with the
                // stock white highlight, under the viewport's light.
                const auto& c = p.state.color;
                const GLfloat ambient[4] = {0.5f * c[0], 0.5f * c[1], 0.5f * c[2], c[3]};
                glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
                glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, kStockHighlight);
                glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, kStockShininess);
                glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
                glEnable(GL_COLOR_MATERIAL);
                glEnable(GL_LIGHTING);
            }
            const bool stippled = triangles && p.state.paintStyle == MUIDrawManager::kStippled;
            if (stippled) {
                glPolygonStipple(halftone());
                glEnable(GL_POLYGON_STIPPLE);
            }
            submitVertices(p, lit);
            if (lit) {
                glDisable(GL_LIGHTING);
                glDisable(GL_COLOR_MATERIAL);
            }
            if (stippled) glDisable(GL_POLYGON_STIPPLE);
            glDisable(GL_LINE_STIPPLE);
            glLineWidth(1.0f);
            glPointSize(1.0f);
        }
        if (p.draw2D) {
            glMatrixMode(GL_PROJECTION);
            glPopMatrix();
            glMatrixMode(GL_MODELVIEW);
            glPopMatrix();
        }
    }
}

std::function<void(M3dView&)> overrideDraw(Scene& scene, Node* node, double world[4][4]) {
    OverrideSlot* slot = drawRegistry(scene).slotFor(node);
    if (!slot->override) return {};
    auto st = std::make_shared<OverrideDraw>();
    st->scene = &scene;
    st->node = node;
    st->path = ObjectAccess::path(node);
    st->name = displayName(node);
    MMatrix m = st->path.inclusiveMatrix();
    try {
        m = slot->override->transform(st->path, MDagPath());
    } catch (...) {
        scene.warn("draw: node '" + st->name +
                   "': the override's transform failed; drawn at the node's place");
    }
    st->world = m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) world[r][c] = m(r, c);
    return [st](M3dView& view) { drawThroughOverride(*st, view); };
}

// ---------------------------------------------------------------- modelEditor

namespace {

cmd::Value runModelEditor(cmd::Invocation& inv) {
    const bool query = inv.has("query"), edit = inv.has("edit");
    if (query && edit) inv.fail("-query and -edit cannot be given together");
    if (inv.args.size() > 1) inv.fail("unexpected argument '" + inv.args[1].text + "'");
    if (inv.args.empty()) inv.fail("no panel named (this host's panel is " + std::string(kModelPanel) + ")");
    const std::string panel = inv.args[0].text;
    if (panel != kModelPanel)
        inv.fail("no panel named '" + clipInput(panel) + "' (this host's panel is " + kModelPanel + ")");
    if (!query && !edit) inv.fail("creating editors is not supported; use -query or -edit on " + panel);
    if (query) {
        if (!inv.has("rendererName")) inv.fail("-query needs a flag to answer (-rendererName)");
        return cmd::Value::string(rendererOf(inv.scene));
    }
    if (!inv.has("rendererName")) inv.fail("-edit needs a flag to change (-rendererName NAME)");
    const std::string name = inv.flagText("rendererName");
    if (!isRendererName(name))
        inv.fail("unknown renderer '" + clipInput(name) + "' (use " + kVp2Renderer + " or " +
                 kLegacyRenderer + ")");
    setRenderer(inv.scene, name);
    return cmd::Value::none();
}

const cmd::Registrar registrar{
    {"modelEditor",
     {{"query", "q", 0}, {"edit", "e", 0}, {"rendererName", "rnm", 1}},
     runModelEditor,
     "modelEditor -query|-edit [-rendererName vp2Renderer|base_OpenGL_Renderer] modelPanel4",
     "with -query -rendererName: the panel's renderer; with -edit: none"}};

}  // namespace

}  // namespace rdhost
