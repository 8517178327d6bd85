// playblast: render the scene's viewport to a PNG or JPEG file, and optionally
// write a trace of what each node drew (texts, line and polygon counts) as JSON.
#pragma once

#include "view/render.h"
#include "view/viewport.h"

#include <cstddef>
#include <string>
#include <vector>

namespace rdhost {

class Scene;

struct PlayblastOptions {
    std::string file;  // the picture to write
    int width = 640, height = 480;
    CameraKind camera = CameraKind::Persp;
    std::string traceFile;    // empty: no trace
    std::string compression;  // "png", "jpg" or empty: the file's extension decides
    int quality = 90;         // JPEG quality, 1 to 100
    bool ornaments = true;    // the grid (-showOrnaments)
};

enum class ImageFormat { Png, Jpeg };

// The format -compression names (png, jpg or jpeg, any case), else the one the
// file's extension names (.png, .jpg, .jpeg), else PNG for a name without an
// extension. An extension naming another format, or none this host writes, is
// an error: the file would not hold what its name says.
ImageFormat imageFormatFor(const std::string& file, const std::string& compression);

// One node drawn, as the trace reports it.
struct TraceEntry {
    std::string node, type;
    std::vector<TextRecord> texts;
    std::size_t lines = 0, polygons = 0;
};

// Renders and writes the picture (and the trace). Both files are written as
// ReplacingFile does and renamed over their targets only once both are
// complete, so a failure leaves no half-written or clobbered file. Throws
// HostError "playblast: ...".
void playblast(Scene& scene, const PlayblastOptions& options);

// Same, returning the trace entries (also when no trace file is asked for).
std::vector<TraceEntry> playblastWithTrace(Scene& scene, const PlayblastOptions& options);

// {"nodes": [{"node": ..., "type": ..., "texts": [{"text", "point", "align",
// "color"}], "lines": N, "polygons": N}]}; numbers in their shortest form that
// reads back to the same double (points) or float (colours); a non-finite
// number is written as null.
std::string traceJson(const std::vector<TraceEntry>& entries);

// JSON string literal of `text` (quotes included).
std::string jsonString(const std::string& text);

const char* alignName(M3dView::TextPosition position);

}  // namespace rdhost
