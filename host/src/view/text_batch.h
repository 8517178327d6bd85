// Viewport texts drawn from a texture of the font's glyphs, batched per refresh.
//
// The viewport's font is GLUT's 8 x 13 bitmap font. Drawn the classic way every
// character is one glBitmap, and a software GL turns each into a texture upload
// and a draw of its own: texts were most of a refresh's time. Here GLUT renders
// every glyph once into an alpha texture (so the pixels are its own), texts are
// queued with the window position GL computes for their raster position, and
// the queue is drawn as one list of textured quads with per-vertex colour. A
// quad covers exactly the pixels the glyph's bitmap would, at the raster
// position's depth, so pictures do not change.
//
// Batching is on only between beginTextBatch() and endTextBatch() (a refresh)
// and only when rendering: feedback and selection passes, and every draw
// outside a refresh, keep the per-character bitmaps.
#pragma once

namespace rdhost {

// Builds the glyph texture on first use (it needs framebuffer objects; without
// them texts stay per-character) and starts queueing texts. Call with the GL
// stacks at their base, before the refresh clears its target.
void beginTextBatch();

// Draws what is queued and stops queueing.
void endTextBatch();

// Draws what is queued now (the queue also flushes itself when it grows past
// a bound, so a refresh of very many texts uses bounded memory).
void flushTextBatch();

// Queues `text` at the current raster position moved by `shift` pixels along
// x, the way glutBitmapString would draw it there. False when texts are not
// being batched: the caller draws them itself. An invalid raster position
// queues nothing, as GL would draw nothing.
bool queueText(const unsigned char* text, float shift);

}  // namespace rdhost
