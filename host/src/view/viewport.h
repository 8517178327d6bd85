// The viewport of one scene: what M3dView handles point at.
//
// Rules of the viewport (nodes and tests rely on each of them):
//  - One Viewport per Scene, a scene extension made on first use by
//    viewportFor(). Nothing about drawing lives in globals except the GL
//    context itself (gl_context.h), which is process-wide by nature.
//  - beginGL() records the modelview and projection matrix stack depths, the
//    attribute stack depth, the matrix mode and the top matrices; endGL()
//    compares and, when a node left them otherwise, warns through Scene::warn
//    naming the node and restores them. The renderer applies the same check
//    around each node's whole draw, so a node that forgets beginGL/endGL or
//    calls beginGL twice cannot spoil the next node either.
//  - setDrawColor() is glColor4f: the colour GL primitives and texts use next.
//  - drawText() draws at an object-space point (glRasterPos3d), with the
//    alignment applied to the measured pixel width, and appends a TextRecord
//    with the colour current at that moment. The log is cleared at the start
//    of each refresh; capture helpers clear it themselves.
//  - Overlays are drawn after all locators, each under the world matrix it
//    gives; the manipulator runtime registers one per shown container.
#pragma once

#include "graph/scene.h"

#include <maya/M3dView.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace rdhost {

struct TextRecord {
    std::string text;
    std::array<double, 3> point{};  // object space, as given to drawText
    M3dView::TextPosition align = M3dView::kLeft;
    std::array<float, 4> color{};  // GL current colour when drawn
    std::string node;              // partial path of the node drawing
    int width = 0;                 // pixels, in the viewport's font
    // The point under the modelview current when drawn (the node's own
    // matrix pushes applied); filled only while Viewport::placeTexts is on.
    std::array<double, 3> placed{};
};

// Something drawn after the locators: a shown manipulator container.
struct Overlay {
    std::string name;             // what the trace calls it
    std::string type;             // its node type
    const void* owner = nullptr;  // lets the registrar find and remove it
    std::function<void(M3dView&)> draw;
    // World matrix to draw under (row-vector convention, as MMatrix); identity
    // when not set.
    std::function<void(double[4][4])> worldMatrix;
};

enum class CameraKind { Persp, Top, Front, Side };

// Depths of the GL stacks and the state endGL() brings back.
struct GLStackState {
    int modelviewDepth = 0;
    int projectionDepth = 0;
    int attribDepth = 0;
    int clientAttribDepth = 0;
    int matrixMode = 0;
    double modelview[16] = {};
    double projection[16] = {};
};

struct Viewport : SceneExtension {
    explicit Viewport(Scene& s) : scene(&s) {}
    Scene* scene;
    int width = 640, height = 480;

    std::vector<TextRecord> textLog;
    bool logTexts = true;     // off for the trace's counting pass
    bool quiet = false;       // no warnings (the counting pass repeats the draw)
    bool placeTexts = false;  // fill TextRecord::placed (the framing pass)
    bool framing = false;     // the pass that frames the camera on what is drawn

    // Which node is drawing now; named in warnings and text records.
    std::string currentNode;

    // The open beginGL bracket, if any.
    bool inBracket = false;
    GLStackState bracket;

    std::vector<Overlay> overlays;

    // The renderer modelEditor -rendererName chose: "vp2Renderer" (the
    // default) or "base_OpenGL_Renderer" (vp2_render.h).
    std::string renderer = "vp2Renderer";

    // The warnings raised by the view (also sent to Scene::warn).
    std::vector<std::string> warnings;
    void warn(const std::string& message);
};

// The scene's viewport, made on first use.
Viewport& viewportFor(Scene& scene);

// Reads the GL stacks now (needs the context current).
GLStackState readGLStackState();

// Brings the stacks back to `want`; returns a description of what was wrong
// ("modelview matrix stack depth 3, expected 2"), empty when nothing was.
std::string restoreGLStackState(const GLStackState& want);

// Node name to show for a node: its partial DAG path, or its name.
std::string displayName(const Node* node);

}  // namespace rdhost
