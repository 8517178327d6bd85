#include "gl_capture.h"

#include "graph/handles.h"
#include "view/feedback.h"
#include "view/gl_context.h"

#include <gtest/gtest.h>
#include <maya/MDagPath.h>
#include <maya/MPxLocatorNode.h>

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

// ---------------------------------------------------------------------------
// Thin wrappers of a few GL entry points. Defined in the test program, they
// take precedence over libGL's for the code under test (the plug-in, whether
// compiled in or loaded with dlopen) and forward to the driver. While a capture
// runs they count calls made by the code under test; calls from the host
// library and from GL/GLU/GLUT themselves are not that code's and are skipped.

namespace {

struct CallRecorder {
    bool active = false;
    bool lightingOn = false;
    bool lightingUsed = false;
    rdtest::GLCalls calls;
};

CallRecorder& recorder() {
    static CallRecorder r;
    return r;
}

template <class Fn>
Fn nextGL(const char* name) {
    void* p = dlsym(RTLD_NEXT, name);
    if (!p) {
        std::fprintf(stderr, "gl_capture: cannot find the driver's %s\n", name);
        std::abort();
    }
    return reinterpret_cast<Fn>(p);
}

const void* moduleBase(const void* address) {
    Dl_info info;
    return address && dladdr(address, &info) ? info.dli_fbase : nullptr;
}

// True when the caller is code under test, not the host or a GL library.
bool countable(const void* returnAddress) {
    static const void* skipped[] = {
        moduleBase(reinterpret_cast<const void*>(&rdhost::ensureGLContext)),
        moduleBase(dlsym(RTLD_DEFAULT, "glutSolidCube")),
        moduleBase(dlsym(RTLD_DEFAULT, "gluNewQuadric")),
        moduleBase(dlsym(RTLD_DEFAULT, "glXGetProcAddress")),
    };
    const void* base = moduleBase(returnAddress);
    for (const void* s : skipped)
        if (s && s == base) return false;
    return true;
}

#define RDTEST_CALLER __builtin_return_address(0)

}  // namespace

extern "C" {

void glEnable(GLenum cap) {
    static auto real = nextGL<void (*)(GLenum)>("glEnable");
    CallRecorder& r = recorder();
    if (r.active && cap == GL_LIGHTING) {
        r.lightingOn = r.lightingUsed = true;
        if (countable(RDTEST_CALLER)) ++r.calls.enableLighting;
    }
    real(cap);
}

void glDisable(GLenum cap) {
    static auto real = nextGL<void (*)(GLenum)>("glDisable");
    CallRecorder& r = recorder();
    if (r.active && cap == GL_LIGHTING) {
        r.lightingOn = false;
        if (countable(RDTEST_CALLER)) ++r.calls.disableLighting;
    }
    real(cap);
}

void glPushMatrix() {
    static auto real = nextGL<void (*)()>("glPushMatrix");
    CallRecorder& r = recorder();
    if (r.active && countable(RDTEST_CALLER)) ++r.calls.pushMatrix;
    real();
}

void glPopMatrix() {
    static auto real = nextGL<void (*)()>("glPopMatrix");
    CallRecorder& r = recorder();
    if (r.active && countable(RDTEST_CALLER)) ++r.calls.popMatrix;
    real();
}

void glPushAttrib(GLbitfield mask) {
    static auto real = nextGL<void (*)(GLbitfield)>("glPushAttrib");
    CallRecorder& r = recorder();
    if (r.active && countable(RDTEST_CALLER)) {
        ++r.calls.pushAttrib;
        r.calls.pushAttribMasks.push_back(mask);
    }
    real(mask);
}

void glPopAttrib() {
    static auto real = nextGL<void (*)()>("glPopAttrib");
    CallRecorder& r = recorder();
    if (r.active && countable(RDTEST_CALLER)) ++r.calls.popAttrib;
    real();
}

void glMaterialf(GLenum face, GLenum pname, GLfloat param) {
    static auto real = nextGL<void (*)(GLenum, GLenum, GLfloat)>("glMaterialf");
    CallRecorder& r = recorder();
    if (r.active && countable(RDTEST_CALLER)) ++r.calls.material;
    real(face, pname, param);
}

void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
    static auto real = nextGL<void (*)(GLenum, GLenum, const GLfloat*)>("glMaterialfv");
    CallRecorder& r = recorder();
    if (r.active && countable(RDTEST_CALLER)) ++r.calls.material;
    real(face, pname, params);
}

void glMateriali(GLenum face, GLenum pname, GLint param) {
    static auto real = nextGL<void (*)(GLenum, GLenum, GLint)>("glMateriali");
    CallRecorder& r = recorder();
    if (r.active && countable(RDTEST_CALLER)) ++r.calls.material;
    real(face, pname, param);
}

void glMaterialiv(GLenum face, GLenum pname, const GLint* params) {
    static auto real = nextGL<void (*)(GLenum, GLenum, const GLint*)>("glMaterialiv");
    CallRecorder& r = recorder();
    if (r.active && countable(RDTEST_CALLER)) ++r.calls.material;
    real(face, pname, params);
}

}  // extern "C"

namespace rdtest {

namespace {

// The capture's viewport: big enough that window coordinates keep their
// precision, within every driver's viewport limit.
constexpr int kCaptureViewport = 4096;

StackDepths depthsNow() {
    StackDepths d;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &d.modelview);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &d.projection);
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &d.attrib);
    return d;
}

}  // namespace

Box Capture::bounds() const {
    Box b;
    for (const Vertex& v : vertices()) {
        const std::array<double, 3> p{v.x, v.y, v.z};
        if (b.empty) {
            b.min = b.max = p;
            b.empty = false;
            continue;
        }
        for (int i = 0; i < 3; ++i) {
            b.min[i] = std::min(b.min[i], p[i]);
            b.max[i] = std::max(b.max[i], p[i]);
        }
    }
    return b;
}

std::vector<Vertex> Capture::vertices() const {
    std::vector<Vertex> out;
    for (const Line& l : lines) {
        out.push_back(l.a);
        out.push_back(l.b);
    }
    for (const Polygon& p : polygons) out.insert(out.end(), p.vertices.begin(), p.vertices.end());
    return out;
}

Capture captureDraw(rdhost::Scene& scene, const std::function<void(M3dView&)>& draw,
                    const CaptureOptions& options) {
    Capture cap;
    rdhost::ensureGLContext();
    rdhost::Viewport& vp = rdhost::viewportFor(scene);
    const double e = options.extent > 0.0 ? options.extent : 100.0;

    // A target must be bound for GL to accept drawing; feedback never touches it.
    rdhost::bindOffscreenTarget(16, 16);
    glViewport(0, 0, kCaptureViewport, kCaptureViewport);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const double projection[16] = {1.0 / e, 0, 0, 0, 0, 1.0 / e, 0, 0, 0, 0, 1.0 / e, 0, 0, 0, 0, 1};
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(options.startColor[0], options.startColor[1], options.startColor[2], options.startColor[3]);
    if (options.lightingAtStart)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);
    while (glGetError() != GL_NO_ERROR) {}

    const rdhost::GLStackState start = rdhost::readGLStackState();
    const std::string savedNode = vp.currentNode;
    vp.textLog.clear();
    const size_t firstWarning = vp.warnings.size();
    vp.currentNode = options.nodeName;
    vp.inBracket = false;

    CallRecorder& rec = recorder();
    auto startRecording = [&] {
        rec = CallRecorder{};
        rec.lightingOn = rec.lightingUsed = options.lightingAtStart;
        rec.active = true;
    };
    M3dView view(&vp);
    startRecording();
    cap.before = depthsNow();
    std::vector<rdhost::FeedbackPrimitive> prims;
    try {
        prims = rdhost::captureFeedback(
            [&] {
                draw(view);
                // Keeps the draw from being a tail call: a GL call that ends the
                // draw must return here, not into the host, to be counted.
                asm volatile("" ::: "memory");
            },
            [&] {
                // Start the retry exactly as the first attempt.
                rdhost::restoreGLStackState(start);
                glColor4f(options.startColor[0], options.startColor[1], options.startColor[2],
                          options.startColor[3]);
                if (options.lightingAtStart)
                    glEnable(GL_LIGHTING);
                else
                    glDisable(GL_LIGHTING);
                vp.textLog.clear();
                vp.warnings.resize(firstWarning);
                vp.inBracket = false;
                startRecording();
            });
    } catch (const std::exception& ex) {
        ADD_FAILURE() << "capture failed: " << ex.what();
    }
    rec.active = false;
    cap.after = depthsNow();
    glGetFloatv(GL_CURRENT_COLOR, cap.colorAfter.data());
    cap.lightingAfter = glIsEnabled(GL_LIGHTING) == GL_TRUE;
    cap.lightingUsed = rec.lightingUsed;
    cap.calls = rec.calls;
    if (vp.inBracket) {
        cap.warnings.push_back("beginGL without endGL");
        vp.inBracket = false;
    }
    cap.warnings.insert(cap.warnings.begin(), vp.warnings.begin() + static_cast<long>(firstWarning),
                        vp.warnings.end());
    cap.texts = vp.textLog;
    vp.textLog.clear();
    vp.currentNode = savedNode;
    // Leave GL as found for the next capture, whatever the draw did.
    rdhost::restoreGLStackState(start);
    glDisable(GL_LIGHTING);

    // Window coordinates back to the object space of the draw.
    const double vx = viewport[0], vy = viewport[1], vw = viewport[2], vh = viewport[3];
    const double edge = e * (1.0 - 1e-6);
    auto toObject = [&](const rdhost::FeedbackVertex& w) {
        Vertex v;
        v.x = ((w.x - vx) / vw * 2.0 - 1.0) * e;
        v.y = ((w.y - vy) / vh * 2.0 - 1.0) * e;
        v.z = (w.z * 2.0 - 1.0) * e;
        v.color = w.color;
        if (std::abs(v.x) >= edge || std::abs(v.y) >= edge || std::abs(v.z) >= edge) cap.touchedExtent = true;
        return v;
    };
    for (const auto& p : prims) {
        using K = rdhost::FeedbackPrimitive::Kind;
        switch (p.kind) {
        case K::Line:
            cap.lines.push_back({toObject(p.vertices[0]), toObject(p.vertices[1]), p.lineReset});
            break;
        case K::Polygon: {
            Polygon poly;
            for (const auto& v : p.vertices) poly.vertices.push_back(toObject(v));
            cap.polygons.push_back(std::move(poly));
            break;
        }
        case K::Point:
            cap.points.push_back(toObject(p.vertices[0]));
            break;
        case K::Bitmap:
            cap.bitmaps.push_back(toObject(p.vertices[0]));
            break;
        default:
            break;
        }
    }
    return cap;
}

Capture captureNodeDraw(rdhost::Scene& scene, rdhost::Node* node, M3dView::DisplayStyle style,
                        M3dView::DisplayStatus status, CaptureOptions options) {
    auto* locator = node ? dynamic_cast<MPxLocatorNode*>(node->user) : nullptr;
    if (!locator) {
        ADD_FAILURE() << "captureNodeDraw: " << (node ? "'" + node->name + "'" : std::string("null"))
                      << " is not a locator";
        return Capture{};
    }
    if (options.nodeName == "capture") options.nodeName = rdhost::displayName(node);
    const MDagPath path = rdhost::ObjectAccess::path(node);
    return captureDraw(
        scene, [&](M3dView& view) { locator->draw(view, path, style, status); }, options);
}

bool allFinite(const Capture& c) {
    for (const auto& v : c.vertices())
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) return false;
    return true;
}

void expectBounds(const Capture& c, const double (&min)[3], const double (&max)[3], const std::string& what) {
    Box b = c.bounds();
    ASSERT_FALSE(b.empty) << what;
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(b.min[i], min[i], 1e-4) << what << " axis " << i;
        EXPECT_NEAR(b.max[i], max[i], 1e-4) << what << " axis " << i;
    }
}

}  // namespace rdtest
