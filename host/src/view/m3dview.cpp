// M3dView and the viewport state behind it.
#include <maya/M3dView.h>

#include "graph/scene.h"
#include "view/gl_context.h"
#include "view/text_batch.h"
#include "view/viewport.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

namespace rdhost {

void Viewport::warn(const std::string& message) {
    if (quiet) return;
    warnings.push_back(message);
    if (scene) scene->warn(message);
}

Viewport& viewportFor(Scene& scene) { return scene.extension<Viewport>(); }

std::string displayName(const Node* node) {
    if (!node) return std::string();
    return node->isDag() ? node->partialPathName() : node->name;
}

GLStackState readGLStackState() {
    GLStackState s;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &s.modelviewDepth);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &s.projectionDepth);
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &s.attribDepth);
    glGetIntegerv(GL_CLIENT_ATTRIB_STACK_DEPTH, &s.clientAttribDepth);
    glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
    glGetDoublev(GL_MODELVIEW_MATRIX, s.modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, s.projection);
    return s;
}

namespace {

void appendProblem(std::string& out, const std::string& what) {
    if (!out.empty()) out += ", ";
    out += what;
}

std::string depthProblem(const char* stack, int have, int want) {
    return std::string(stack) + " stack depth " + std::to_string(have) + ", expected " + std::to_string(want);
}

// Brings one matrix stack back to `depth` with `top` on it. Returns whether
// anything had to change.
bool restoreMatrixStack(GLenum mode, GLenum depthQuery, int depth, const double top[16]) {
    glMatrixMode(mode);
    GLint have = 0;
    glGetIntegerv(depthQuery, &have);
    if (have == depth) return false;
    for (; have > depth; --have) glPopMatrix();
    for (; have < depth; ++have) glPushMatrix();
    glLoadMatrixd(top);
    return true;
}

const char* matrixModeName(int mode) {
    switch (mode) {
    case GL_MODELVIEW:
        return "GL_MODELVIEW";
    case GL_PROJECTION:
        return "GL_PROJECTION";
    case GL_TEXTURE:
        return "GL_TEXTURE";
    default:
        return "an unknown mode";
    }
}

}  // namespace

std::string restoreGLStackState(const GLStackState& want) {
    const GLStackState have = readGLStackState();
    std::string problems;
    if (have.modelviewDepth != want.modelviewDepth)
        appendProblem(problems, depthProblem("modelview matrix", have.modelviewDepth, want.modelviewDepth));
    if (have.projectionDepth != want.projectionDepth)
        appendProblem(problems,
                      depthProblem("projection matrix", have.projectionDepth, want.projectionDepth));
    if (have.attribDepth != want.attribDepth)
        appendProblem(problems, depthProblem("attribute", have.attribDepth, want.attribDepth));
    if (have.clientAttribDepth != want.clientAttribDepth)
        appendProblem(problems,
                      depthProblem("client attribute", have.clientAttribDepth, want.clientAttribDepth));
    if (have.matrixMode != want.matrixMode)
        appendProblem(problems, std::string("matrix mode left as ") + matrixModeName(have.matrixMode));
    if (problems.empty()) return problems;

    // Attributes first: popping them may bring back an older matrix mode.
    for (int d = have.attribDepth; d > want.attribDepth; --d) glPopAttrib();
    for (int d = have.attribDepth; d < want.attribDepth; ++d) glPushAttrib(GL_ALL_ATTRIB_BITS);
    for (int d = have.clientAttribDepth; d > want.clientAttribDepth; --d) glPopClientAttrib();
    for (int d = have.clientAttribDepth; d < want.clientAttribDepth; ++d)
        glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    restoreMatrixStack(GL_PROJECTION, GL_PROJECTION_STACK_DEPTH, want.projectionDepth, want.projection);
    restoreMatrixStack(GL_MODELVIEW, GL_MODELVIEW_STACK_DEPTH, want.modelviewDepth, want.modelview);
    glMatrixMode(static_cast<GLenum>(want.matrixMode));
    // A node that over- or under-ran a stack left GL errors behind; they are
    // reported above and must not be blamed on the next node.
    while (glGetError() != GL_NO_ERROR) {}
    return problems;
}

}  // namespace rdhost

using rdhost::Viewport;

namespace {

Viewport* resolve(rdhost::Viewport* vp) {
    if (vp) return vp;
    rdhost::Scene* scene = rdhost::Scene::current();
    return scene ? &rdhost::viewportFor(*scene) : nullptr;
}

// The font all viewport texts use: small, fixed and always present in freeglut.
void* const kTextFont = GLUT_BITMAP_8_BY_13;

}  // namespace

M3dView::M3dView() = default;
M3dView::~M3dView() = default;

M3dView M3dView::active3dView(MStatus* ReturnStatus) {
    rdhost::Scene* scene = rdhost::Scene::current();
    if (!scene) {
        if (ReturnStatus) *ReturnStatus = MStatus(MStatus::kFailure, "no scene");
        return M3dView();
    }
    if (ReturnStatus) *ReturnStatus = MStatus::kSuccess;
    return M3dView(&rdhost::viewportFor(*scene));
}

MStatus M3dView::beginGL() {
    Viewport* vp = resolve(fViewport);
    if (!vp) return MStatus::kFailure;
    rdhost::ensureGLContext();
    if (vp->inBracket) {
        // Keep the outer bracket: endGL compares with what the first beginGL saw.
        vp->warn("beginGL: node '" + vp->currentNode + "' called beginGL again before endGL");
        return MStatus::kFailure;
    }
    vp->bracket = rdhost::readGLStackState();
    vp->inBracket = true;
    return MStatus::kSuccess;
}

MStatus M3dView::endGL() {
    Viewport* vp = resolve(fViewport);
    if (!vp) return MStatus::kFailure;
    if (!vp->inBracket) {
        vp->warn("endGL: node '" + vp->currentNode + "' called endGL without beginGL");
        return MStatus::kFailure;
    }
    vp->inBracket = false;
    std::string problems = rdhost::restoreGLStackState(vp->bracket);
    if (!problems.empty()) {
        vp->warn("endGL: node '" + vp->currentNode + "' left the GL state unbalanced (" + problems +
                 "); restored");
        return MStatus::kFailure;
    }
    return MStatus::kSuccess;
}

MStatus M3dView::setDrawColor(const MColor& color) {
    if (!resolve(fViewport)) return MStatus::kFailure;
    rdhost::ensureGLContext();
    glColor4f(color.r, color.g, color.b, color.a);
    return MStatus::kSuccess;
}

MStatus M3dView::drawText(const MString& text, const MPoint position, TextPosition textPosition) {
    Viewport* vp = resolve(fViewport);
    if (!vp) return MStatus::kFailure;
    rdhost::ensureGLContext();
    MPoint p = position;
    p.cartesianize();

    GLfloat color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.asChar());
    const int width = glutBitmapLength(kTextFont, bytes);
    if (vp->logTexts) {
        rdhost::TextRecord rec;
        rec.text = text.asChar();
        rec.point = {p.x, p.y, p.z};
        rec.align = textPosition;
        rec.color = {color[0], color[1], color[2], color[3]};
        rec.node = vp->currentNode;
        rec.width = width;
        if (vp->placeTexts) {
            double m[16];
            glGetDoublev(GL_MODELVIEW_MATRIX, m);
            for (int i = 0; i < 3; ++i)
                rec.placed[i] = m[i] * p.x + m[4 + i] * p.y + m[8 + i] * p.z + m[12 + i];
        }
        vp->textLog.push_back(std::move(rec));
    }

    // Text takes the draw colour as it is, never a lit one; saved by hand
    // rather than pushed, so a node at the attribute stack's limit can still
    // draw text.
    const GLboolean lighting = glIsEnabled(GL_LIGHTING);
    const GLboolean texture = glIsEnabled(GL_TEXTURE_2D);
    if (lighting) glDisable(GL_LIGHTING);
    if (texture) glDisable(GL_TEXTURE_2D);
    glRasterPos3d(p.x, p.y, p.z);
    float shift = 0.0f;
    if (textPosition == kCenter)
        shift = -0.5f * static_cast<float>(width);
    else if (textPosition == kRight)
        shift = -static_cast<float>(width);
    if (!rdhost::queueText(bytes, shift)) {
        if (shift != 0.0f) glBitmap(0, 0, 0.0f, 0.0f, shift, 0.0f, nullptr);
        glutBitmapString(kTextFont, bytes);
    }
    if (lighting) glEnable(GL_LIGHTING);
    if (texture) glEnable(GL_TEXTURE_2D);
    return MStatus::kSuccess;
}

int M3dView::portWidth(MStatus* ReturnStatus) {
    Viewport* vp = resolve(fViewport);
    if (ReturnStatus) *ReturnStatus = vp ? MStatus::kSuccess : MStatus::kFailure;
    return vp ? vp->width : 0;
}

int M3dView::portHeight(MStatus* ReturnStatus) {
    Viewport* vp = resolve(fViewport);
    if (ReturnStatus) *ReturnStatus = vp ? MStatus::kSuccess : MStatus::kFailure;
    return vp ? vp->height : 0;
}
