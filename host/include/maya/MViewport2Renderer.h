// Viewport 2.0: the draw APIs a draw override can support.
#pragma once

namespace MHWRender {

enum DrawAPI {
    kNone = 0,
    kOpenGL = 1 << 0,
    kDirectX11 = 1 << 1,
    kOpenGLCoreProfile = 1 << 2,
    kAllDevices = kOpenGL | kDirectX11 | kOpenGLCoreProfile
};

}  // namespace MHWRender
