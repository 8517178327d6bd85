// The process's one GL context and the offscreen framebuffer the viewport draws
// into.
//
// GL needs an X display here. When DISPLAY is unset the host starts a private
// Xvfb, which the kernel stops when the process ends (however it ends), so the
// program and the tests run the same way on a desktop, a terminal or CI. The
// host draws from its main thread only; the server is tied to the thread that
// first asked for the context. The context belongs to a hidden freeglut
// window; pictures are drawn into a framebuffer object of the requested size,
// or into the hidden window itself when the driver has no framebuffer objects.
// Everything here is created lazily, once per process: GL contexts and X
// servers are process-wide by nature.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rdhost {

// Largest picture side we accept; a bigger request is an error, not an
// allocation of gigabytes.
constexpr int kMaxImageSide = 8192;

// Makes the GL context current, creating display, window and context on first
// use. Throws HostError naming what failed (no Xvfb, unreachable display...).
void ensureGLContext();

// The display the context lives on (":N"); empty before ensureGLContext().
std::string glDisplayName();

// True when the private Xvfb started by this process serves the context.
bool usingPrivateXvfb();

// Binds a colour + depth target of exactly width x height (throws HostError
// when the size is out of range or the driver cannot make it) and sets the GL
// viewport to it. Subsequent drawing lands in it until the next bind.
void bindOffscreenTarget(int width, int height);

// Reads the bound target back as RGBA rows, top row first.
std::vector<std::uint8_t> readOffscreenRGBA(int width, int height);

// Runs `draw` into a private width x height colour target cleared to
// transparent black, with the GL viewport set to it, and returns its RGBA
// pixels, bottom row first. The bound target, viewport and buffers are restored
// afterwards. Empty when the driver has no framebuffer objects.
std::vector<std::uint8_t> renderScratchRGBA(int width, int height, const std::function<void()>& draw);

// True when the offscreen target is a framebuffer object (false: the hidden
// window's back buffer serves instead).
bool offscreenIsFramebufferObject();

}  // namespace rdhost
