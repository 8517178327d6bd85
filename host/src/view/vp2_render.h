// The viewport's two renderers, as the host names them: "vp2Renderer"
// (Viewport 2.0, the default) and "base_OpenGL_Renderer" (the legacy one).
//
// In vp2Renderer a locator whose node type has a draw override (drawdb/
// classification, MDrawRegistry) draws through it: prepareForDraw once per
// refresh (the first time the refresh draws the node), then on every pass
// addUIDrawables into a fresh MUIDrawManager whose recording the host
// rasterises with GL (lines and meshes with their state, shaded meshes lit
// with the drawable's colour; texts through M3dView::drawText, so they land in
// the glyph-atlas text batch and the text log as legacy texts do), then the
// override's draw callback if it gave one. A locator without an override, and
// every locator in base_OpenGL_Renderer, draws through MPxLocatorNode::draw.
// Overlays (shown manipulators) draw the same in both.
#pragma once

#include "graph/scene.h"
#include "view/vp2.h"

#include <maya/M3dView.h>

#include <functional>
#include <string>

namespace rdhost {

class Scene;
struct Node;

extern const char* const kVp2Renderer;
extern const char* const kLegacyRenderer;
// The host's one model panel.
extern const char* const kModelPanel;

// True for the two names above.
bool isRendererName(const std::string& name);

// The scene viewport's renderer, vp2Renderer until changed.
const std::string& rendererOf(Scene& scene);
// Throws HostError naming an unknown renderer.
void setRenderer(Scene& scene, const std::string& name);

// The draw of one locator in vp2Renderer, or null when the node draws through
// its legacy draw (no override for its type, or its creator failed). `world`
// receives the matrix to draw under (the override's transform()).
std::function<void(M3dView&)> overrideDraw(Scene& scene, Node* node, double world[4][4]);

// Draws a recording with GL under the current matrices (the M3dView names the
// viewport for texts).
void rasterize(const UIDrawList& list, M3dView& view);

}  // namespace rdhost
