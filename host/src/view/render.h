// One refresh of the viewport: clear, camera, light, grid, every visible
// locator under its world matrix in node creation order, then the overlays
// (shown manipulators).
#pragma once

#include "view/camera.h"
#include "view/grid.h"
#include "view/png_io.h"
#include "view/viewport.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class MPxLocatorNode;

namespace rdhost {

class Scene;
struct Node;

// A locator shape to draw: its user node is an MPxLocatorNode and it and all
// its ancestors have "visibility" on.
struct VisibleLocator {
    Node* node = nullptr;
    MPxLocatorNode* locator = nullptr;
    double world[4][4] = {};  // row-vector convention (MMatrix)
};

// True when the node and every DAG ancestor have "visibility" on (a node
// without the attribute counts as visible).
bool isVisible(const Node* node);

// Visible locators in node creation order.
std::vector<VisibleLocator> visibleLocators(Scene& scene);

// One thing drawn in a refresh, kept so it can be drawn again (the trace's
// counting pass) and reported.
struct DrawItem {
    std::string name;       // partial path (locators) or overlay name
    std::string type;       // node type name
    double world[16] = {};  // column-major, as glMultMatrixd takes it
    std::function<void(M3dView&)> draw;
    std::size_t textBegin = 0, textEnd = 0;  // the item's entries in Viewport::textLog
};

struct RenderOptions {
    int width = 640, height = 480;
    CameraKind camera = CameraKind::Persp;
    // A camera to draw from as it is; unset, `camera` is framed on what the
    // refresh draws (drawnExtent), which costs a second pass over every draw.
    std::optional<Camera> view;
    GridSettings grid;
    bool showGrid = true;
    std::array<float, 4> background{0.63f, 0.63f, 0.63f, 1.0f};
};

struct RenderResult {
    Camera camera;
    std::vector<DrawItem> items;
    Image image;
};

// The colour current when a locator's draw starts: the host's dormant
// locator colour.
constexpr std::array<float, 4> kDormantColor{0.0f, 0.016f, 0.376f, 1.0f};

// What a refresh draws, in world space: every vertex of the lines, polygons
// and points each item emits (GL feedback, in the item's own space, then
// through its world matrix) and each text's anchor, with the texts' pixel
// extents for fitTexts. Draws each item once more, without a picture, text
// log or warnings; a draw whose output cannot be captured counts by its
// position, with a warning.
struct DrawnExtent {
    FrameBounds bounds;
    std::vector<FrameText> texts;
};
DrawnExtent drawnExtent(Scene& scene, const std::vector<DrawItem>& items);

// The refresh's items: each visible locator under its world matrix, in node
// creation order, then the overlays.
std::vector<DrawItem> drawItems(Scene& scene);

// Renders the scene offscreen and reads the picture back. Texts drawn land in
// the scene viewport's text log (cleared first). Throws HostError when the GL
// context or the target cannot be made.
RenderResult renderScene(Scene& scene, const RenderOptions& options);

// Draws `item` once more in GL_FEEDBACK mode, in its object space, and counts
// what it emitted. Warnings and texts of this repeat are suppressed.
struct ItemCounts {
    std::size_t lines = 0, polygons = 0;
};
ItemCounts countItemPrimitives(Scene& scene, const DrawItem& item);

}  // namespace rdhost
