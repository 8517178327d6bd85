// Immediate-mode drawing as client-side arrays during GL feedback.
//
// Mesa 22.3 (Debian 12's) keeps a reference to every vertex buffer its
// feedback path draws from, so each buffer that glBegin/glEnd vertices pass
// through while in GL_FEEDBACK is never freed: about 55 KB per traced
// playblast, without bound (later Mesa releases drop the reference). Vertices
// from client memory hold no buffer. So, while an ImmediateArrays lives, this
// library's glBegin ... glEnd gather the vertices with their colour, normal and
// texture coordinate and draw them at glEnd with glDrawArrays from client
// arrays: the same primitives reach feedback, and nothing is held.
//
// The entry points are this library's own definitions of the GL functions,
// found before the driver's because the host library is loaded first; outside
// a scope, and for anything outside a glBegin/glEnd pair, they call the
// driver's at once. A pair that uses a call not gathered here (glMaterial,
// glEdgeFlag, glEvalCoord, glArrayElement, glCallList inside the pair) is
// handed to the driver as it was issued.
#pragma once

namespace rdhost {

class ImmediateArrays {
public:
    ImmediateArrays();
    ~ImmediateArrays();
    ImmediateArrays(const ImmediateArrays&) = delete;
    ImmediateArrays& operator=(const ImmediateArrays&) = delete;
};

// Whether a glBegin issued now is gathered: an ImmediateArrays lives and this
// library's entry points are the ones callers reach.
bool immediateArraysActive();

}  // namespace rdhost
