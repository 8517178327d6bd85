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

#include <cstddef>
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
// viewport for texts). While a draw batch is open, what it draws in 3D other
// than texts is queued instead, in eye space, for the batch.
void rasterize(const UIDrawList& list, M3dView& view);

// Consolidation, for the picture pass of a vp2Renderer refresh: between
// beginDrawBatch() and endDrawBatch() rasterize() queues every node's lines,
// points and triangles grouped by their state (primitive class, line width and
// style, point size, paint style, depth priority), and flushDrawBatch() draws
// each group with one glDrawArrays from vertex arrays, lit groups lit as
// rasterize lights them. The queue also draws itself when it grows past a
// bound. Feedback passes (framing, the trace's counts) run outside a batch and
// draw each node's primitives as they come.
void beginDrawBatch();
void flushDrawBatch();
void endDrawBatch();

// The draw calls and vertices of the batch under way, or of the last one.
struct DrawBatchStats {
    std::size_t draws = 0, vertices = 0;
};
DrawBatchStats drawBatchStats();

}  // namespace rdhost
