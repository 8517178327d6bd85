// The viewport's ground grid: geometry in plain functions, GL in one call.
#pragma once

#include <array>
#include <vector>

namespace rdhost {

enum class GridPlane { XZ, XY, YZ };
enum class GridLineKind { Minor, Major, Axis };

struct GridLine {
    std::array<double, 3> a{}, b{};
    GridLineKind kind = GridLineKind::Minor;
};

struct GridSettings {
    double halfSize = 12.0;  // lines run from -halfSize to +halfSize
    double spacing = 1.0;    // distance between neighbouring lines
    int majorEvery = 5;      // every Nth line from the axis is a major line
};

// Lines of a square grid in `plane` through the origin: for each offset k * spacing
// (|k * spacing| <= halfSize) one line along each axis of the plane. The two lines
// through the origin are Axis lines, every majorEvery-th others Major. A
// non-positive or non-finite size or spacing gives no lines; the count per
// direction is capped so a tiny spacing cannot exhaust memory.
std::vector<GridLine> buildGrid(GridPlane plane, const GridSettings& settings = {});

// Colours the viewport draws each kind in (RGB).
std::array<float, 3> gridColor(GridLineKind kind);

// Issues the lines with GL_LINES, unlit, in their kind's colour.
void drawGrid(const std::vector<GridLine>& lines);

}  // namespace rdhost
