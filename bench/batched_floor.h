// The batched floor: what a FloorFrame puts on screen, submitted in the fewest
// draws this GL allows, with no host or plug-in. Each node's draw is read back
// once through GL feedback under the frame's camera and light, so the floor
// holds the very vertices the refresh rasterises, in window coordinates, with
// the colours GL gave them (lighting included). A frame then is one
// GL_TRIANGLES vertex array for every polygon, one GL_LINES array per line
// width, and one list of textured quads for every glyph of every text, from a
// texture of the font's glyphs (GLUT's 8 x 13, rendered once by GLUT itself).
// It is the practical limit of a refresh of these pictures on this GL.
#pragma once

#include "floor.h"

#include <GL/gl.h>

#include <vector>

namespace bench {

struct BatchedFrame {
    int width = 640, height = 480;
    std::vector<GLfloat> triangles, triangleColours;  // 3 and 4 floats per vertex
    struct Lines {
        float width = 1.0f;
        std::vector<GLfloat> vertices, colours;
    };
    std::vector<Lines> lines;
    std::vector<GLfloat> glyphVertices, glyphTexCoords, glyphColours;  // 4 corners per glyph
    GLuint font = 0;                                                   // the glyph texture
    std::vector<unsigned char> pixels;
};

// Reads `frame`'s nodes back (needs the GL context; binds its own target).
BatchedFrame batchedFrameOf(const FloorFrame& frame);

// Clear, the three kinds of draw, glFinish, the picture read back.
void drawBatchedFrame(BatchedFrame& frame);

}  // namespace bench
