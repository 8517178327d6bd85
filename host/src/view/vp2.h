// Viewport 2.0 on the host side: the state behind MFrameContext and what an
// MUIDrawManager records.
//
// Rules of the draw manager (the renderer and tests rely on each of them):
//  - Every call between beginDrawable() and endDrawable() is recorded as a
//    UIPrimitive with a copy of the state current at that moment; convenience
//    shapes (rect, circle, sphere, ...) are recorded already tessellated into
//    lines or triangles.
//  - endDrawable() puts the state back to UIState's defaults.
//  - A call outside a drawable, a mesh whose indices pass its positions or
//    whose vertex count does not fit its primitive, and a text or array
//    call given nothing draw nothing and warn once per kind of fault per
//    node, naming the node.
#pragma once

#include <maya/MFrameContext.h>
#include <maya/MMatrix.h>
#include <maya/MUIDrawManager.h>

#include <array>
#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace rdhost {

struct FrameState {
    MMatrix world;  // the object drawn (identity between objects)
    MMatrix view;
    MMatrix projection;
    int originX = 0, originY = 0, width = 640, height = 480;
    unsigned int displayStyle = MHWRender::MFrameContext::kGouraudShaded;
    float lineWidth = 1.0f;
};

// The state a drawable starts with and endDrawable() restores.
struct UIState {
    std::array<float, 4> color{0.0f, 0.016f, 0.376f, 1.0f};  // the dormant locator colour
    float pointSize = 1.0f;
    float lineWidth = 1.0f;
    MHWRender::MUIDrawManager::LineStyle lineStyle = MHWRender::MUIDrawManager::kSolid;
    MHWRender::MUIDrawManager::PaintStyle paintStyle = MHWRender::MUIDrawManager::kFlat;
    unsigned int depthPriority = 0;
    unsigned int fontSize = MHWRender::MUIDrawManager::kDefaultFontSize;
};

struct UIPrimitive {
    enum class Kind { Points, Lines, LineStrip, ClosedLine, Triangles, TriStrip, Text };
    Kind kind = Kind::Lines;
    UIState state;
    int drawable = 0;     // 1 for the first drawable of the list
    bool draw2D = false;  // positions in viewport pixels
    std::vector<std::array<double, 3>> positions;
    std::vector<std::array<double, 3>> normals;  // empty or one per position
    std::vector<std::array<float, 4>> colors;    // empty or one per position
    std::vector<unsigned int> indices;           // empty: positions in order
    // Text.
    std::string text;
    MHWRender::MUIDrawManager::TextAlignment align = MHWRender::MUIDrawManager::kLeft;

    // Vertices the primitive draws (indices when given, else positions).
    std::size_t vertexCount() const { return indices.empty() ? positions.size() : indices.size(); }
};

struct UIDrawList {
    std::string node;                              // named in warnings
    std::function<void(const std::string&)> warn;  // where warnings go (null: only `warnings`)
    std::vector<std::string> warnings;

    std::vector<UIPrimitive> prims;
    UIState state;
    bool open = false;
    int drawables = 0;
    std::set<std::string> warned;  // fault kinds already reported for this list

    // Records a fault once per kind.
    void fault(const std::string& kind, const std::string& message);
    // Closes a drawable left open (warns).
    void finish();
};

}  // namespace rdhost
