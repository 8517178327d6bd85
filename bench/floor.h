// The floor of a viewport refresh: the GL, GLU and GLUT calls a node's draw
// issues, with the same parameters, made directly, without the host or the
// plug-in in between. Parameters are worked out once from a node's attribute
// values (the same arithmetic the plug-in does); the floor's draw then only
// issues GL calls, so host draw time over floor draw time is the cost of going
// through the host and the plug-in.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace rdhost {
class Scene;
struct Node;
}  // namespace rdhost

namespace bench {

// A centred bitmap string at an object-space point.
struct FloorText {
    std::string text;
    double x = 0, y = 0, z = 0;
};

// One shape of the plug-in's shape primitives, ready to issue.
struct FloorShape {
    int kind = 0;   // 0 none, 1 cube ... 6 cylinder
    int style = 1;  // 0 wire, 1 solid, 2 smooth
    float ambient[4] = {}, diffuse[4] = {}, specular[4] = {};
    float shininess = 0;
    float scale[3] = {1, 1, 1}, translate[3] = {0, 0, 0};
    double angle = 0, axis[3] = {1, 0, 0};
    float a = 0, b = 0, c = 0;  // sizes: radius / base,height / inner,outer / w,h,d / height,base,top
    int slices = 0, stacks = 0;
};

struct FloorTick {
    float p[3], tip[3];
    bool main = false, hasText = false;
    FloorText text;
};

// Everything one node issues.
struct FloorNode {
    int type = 0;  // 0 locator, 1 slider, 2 arc slider
    FloorShape shapes[3];
    int shapeCount = 0;
    bool line = false;
    float lineColor[4] = {}, lineWidth = 1;
    std::vector<std::array<float, 3>> lineVertices;  // GL_LINES (slider) or GL_LINE_STRIP (arc)
    float labelColor[4] = {}, valueColor[4] = {};
    bool showLabel = false;
    FloorText label;
    std::vector<FloorText> values;
    // Arc slider graduations.
    bool ticks = false;
    float tickColor[4] = {}, mainColor[4] = {}, tickWidth = 1;
    std::vector<FloorTick> tickList;
    double world[16] = {};  // column-major, as glMultMatrixd takes it
};

// Works out what `node` (a rigDials locator shape) issues. Exits naming the
// attribute state when it is one the floor does not reproduce.
FloorNode floorFor(rdhost::Scene& scene, rdhost::Node* node);

// Issues the node's calls (object space; the caller set the modelview).
void drawFloorNode(const FloorNode& n);

// While on, drawFloorNode marks every line width it sets with
// glPassThrough(width) (for reading a draw back through GL feedback, which does
// not report widths; the marks do nothing when rendering).
void markLineWidths(bool on);

// A whole refresh without the host: clear, camera, light, every node under its
// world matrix, glFinish, read the picture back (as the host's refresh does).
struct FloorFrame {
    int width = 640, height = 480;
    std::array<double, 16> view{}, projection{};
    std::vector<FloorNode> nodes;
    std::vector<unsigned char> pixels;
};
void drawFloorFrame(FloorFrame& frame);

// Draws one node of each type through the host and its floor under GL feedback
// and compares what came out. Prints the result; false on a mismatch.
bool checkFloors();

}  // namespace bench
