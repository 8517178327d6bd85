#include "view/playblast.h"

#include "command/keys_nodes.h"
#include "command/output_file.h"
#include "command/registry.h"
#include "graph/scene.h"
#include "view/gl_context.h"
#include "view/jpeg_io.h"
#include "view/png_io.h"

#include <cctype>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <type_traits>

namespace rdhost {

namespace {

namespace fsys = std::filesystem;

template <class T>
void appendNumber(std::string& out, T value) {
    if (!std::isfinite(value)) {
        out += "null";  // JSON has no NaN or infinity
        return;
    }
    char buf[64];
    std::to_chars_result res;
    // A point the plug-in computed in single precision and widened (0.6f) is
    // written as that float ("0.6", not 0.6000000238418579), as manipInfo
    // writes its numbers; any other double in its own shortest form.
    if constexpr (std::is_same_v<T, double>) {
        const float narrow = static_cast<float>(value);
        if (std::fabs(value) <= FLT_MAX && static_cast<double>(narrow) == value)
            res = std::to_chars(buf, buf + sizeof buf, narrow);
        else
            res = std::to_chars(buf, buf + sizeof buf, value);
    } else {
        res = std::to_chars(buf, buf + sizeof buf, value);
    }
    out.append(buf, res.ptr);
}

}  // namespace

const char* alignName(M3dView::TextPosition position) {
    switch (position) {
    case M3dView::kLeft:
        return "left";
    case M3dView::kCenter:
        return "center";
    case M3dView::kRight:
        return "right";
    }
    return "left";
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
    return out;
}

std::string traceJson(const std::vector<TraceEntry>& entries) {
    std::string out = "{\"nodes\": [";
    for (size_t i = 0; i < entries.size(); ++i) {
        const TraceEntry& e = entries[i];
        out += i ? ",\n  " : "\n  ";
        out += "{\"node\": " + jsonString(e.node) + ", \"type\": " + jsonString(e.type) + ", \"texts\": [";
        for (size_t t = 0; t < e.texts.size(); ++t) {
            const TextRecord& r = e.texts[t];
            if (t) out += ", ";
            out += "{\"text\": " + jsonString(r.text) + ", \"point\": [";
            for (int k = 0; k < 3; ++k) {
                if (k) out += ", ";
                appendNumber(out, r.point[static_cast<size_t>(k)]);
            }
            out += "], \"align\": \"";
            out += alignName(r.align);
            out += "\", \"color\": [";
            for (int k = 0; k < 4; ++k) {
                if (k) out += ", ";
                appendNumber(out, r.color[static_cast<size_t>(k)]);
            }
            out += "]}";
        }
        out += "], \"lines\": " + std::to_string(e.lines) + ", \"polygons\": " + std::to_string(e.polygons) +
               "}";
    }
    out += entries.empty() ? "]}\n" : "\n]}\n";
    return out;
}

ImageFormat imageFormatFor(const std::string& file, const std::string& compression) {
    auto lower = [](std::string t) {
        for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return t;
    };
    auto named = [](const std::string& t) -> std::optional<ImageFormat> {
        if (t == "png") return ImageFormat::Png;
        if (t == "jpg" || t == "jpeg") return ImageFormat::Jpeg;
        return std::nullopt;
    };
    std::optional<ImageFormat> given;
    if (!compression.empty()) {
        given = named(lower(compression));
        if (!given)
            throw HostError("playblast: -compression '" + compression +
                            "' is not supported (use png or jpg)");
    }
    const std::string ext = fsys::path(file).extension().string();
    if (ext.empty()) return given.value_or(ImageFormat::Png);
    const std::optional<ImageFormat> byName = named(lower(ext.substr(1)));
    if (!byName)
        throw HostError("playblast: cannot write '" + file + "': the extension '" + ext +
                        "' names no image format this host writes (use .png, .jpg or .jpeg)");
    if (given && *given != *byName)
        throw HostError("playblast: -compression " + lower(compression) +
                        " does not match the extension of '" + file + "'");
    return *byName;
}

std::vector<TraceEntry> playblastWithTrace(Scene& scene, const PlayblastOptions& options) {
    if (options.file.empty()) throw HostError("playblast: -completeFilename needs a file name");
    if (options.width <= 0 || options.height <= 0 || options.width > kMaxImageSide ||
        options.height > kMaxImageSide)
        throw HostError("playblast: image size " + std::to_string(options.width) + " x " +
                        std::to_string(options.height) + " is out of range (1 to " +
                        std::to_string(kMaxImageSide) + " per side)");
    if (options.quality < 1 || options.quality > 100)
        throw HostError("playblast: -quality must be between 1 and 100");
    const ImageFormat format = imageFormatFor(options.file, options.compression);
    // Compared as files, not texts: "./x.png" and a link to x.png are x.png.
    if (!options.traceFile.empty() && sameFile(options.file, options.traceFile))
        throw HostError("playblast: -trace and -completeFilename name the same file");

    try {
        // Claim both files before drawing anything: an unwritable target fails
        // the command before any work, and nothing existing is touched.
        ReplacingFile image(options.file);
        std::unique_ptr<ReplacingFile> trace;
        if (!options.traceFile.empty()) trace = std::make_unique<ReplacingFile>(options.traceFile);

        RenderOptions ro;
        ro.width = options.width;
        ro.height = options.height;
        ro.camera = options.camera;
        ro.showGrid = options.ornaments;
        RenderResult result;
        try {
            result = renderScene(scene, ro);
        } catch (const HostError& e) {
            throw HostError(std::string("playblast: ") + e.what());
        }

        std::vector<TraceEntry> entries;
        Viewport& vp = viewportFor(scene);
        for (const DrawItem& item : result.items) {
            TraceEntry e;
            e.node = item.name;
            e.type = item.type;
            e.texts.assign(vp.textLog.begin() + static_cast<long>(item.textBegin),
                           vp.textLog.begin() + static_cast<long>(item.textEnd));
            entries.push_back(std::move(e));
        }
        if (trace) {
            for (size_t i = 0; i < result.items.size(); ++i) {
                ItemCounts c = countItemPrimitives(scene, result.items[i]);
                entries[i].lines = c.lines;
                entries[i].polygons = c.polygons;
            }
        }
        std::string bytes;
        try {
            bytes = format == ImageFormat::Jpeg ? encodeJpeg(result.image, options.quality)
                                                : encodePng(result.image);
        } catch (const HostError& e) {
            image.fail(e.what());
        }
        image.write(bytes);
        if (trace) trace->write(traceJson(entries));
        // Both complete before either replaces its target.
        image.finish();
        if (trace) trace->finish();
        image.commit();
        if (trace) trace->commit();
        return entries;
    } catch (const HostError& e) {
        const std::string what = e.what();
        if (what.rfind("playblast: ", 0) == 0) throw;
        throw HostError("playblast: " + what);
    }
}

void playblast(Scene& scene, const PlayblastOptions& options) { playblastWithTrace(scene, options); }

namespace {

int wholeSide(const cmd::Invocation& inv, const cmd::Arg& a) {
    if (!a.isNumber() || !std::isfinite(a.number) || a.number != std::floor(a.number))
        inv.fail("-widthHeight expects two whole numbers, got '" + a.text + "'");
    if (a.number < -1e9 || a.number > 1e9)
        inv.fail("image size " + a.text + " is out of range (1 to " + std::to_string(kMaxImageSide) +
                 " per side)");
    return static_cast<int>(a.number);
}

std::string lowerText(std::string t) {
    for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return t;
}

std::optional<ImageFormat> formatNamed(const std::string& t) {
    if (t == "png") return ImageFormat::Png;
    if (t == "jpg" || t == "jpeg") return ImageFormat::Jpeg;
    return std::nullopt;
}

// A frame's file in a sequence, as the host names them: NAME.0001.png.
std::string frameFile(const std::string& stem, long frame, int padding, const std::string& ext) {
    std::string digits = std::to_string(frame < 0 ? -frame : frame);
    if (static_cast<int>(digits.size()) < padding) digits.insert(0, padding - digits.size(), '0');
    return stem + "." + (frame < 0 ? "-" : "") + digits + "." + ext;
}

constexpr long kMaxFrames = 100000;

cmd::Value runPlayblast(cmd::Invocation& inv) {
    if (!inv.args.empty()) inv.fail("unexpected argument '" + inv.args[0].text + "'");
    PlayblastOptions opt;
    const bool sequence = inv.has("filename");
    if (sequence && inv.has("completeFilename"))
        inv.fail(
            "give -filename NAME (a numbered sequence) or -completeFilename F.png (one picture), not both");
    if (!sequence && (inv.has("startTime") || inv.has("endTime")))
        inv.fail("-startTime and -endTime need -filename NAME, which numbers each frame's picture");
    if (!sequence && !inv.has("completeFilename")) inv.fail("-completeFilename F.png is required");
    opt.file = inv.flagText(sequence ? "filename" : "completeFilename");
    if (opt.file.empty())
        inv.fail(sequence ? "-filename needs a name" : "-completeFilename needs a file name");
    if (const auto* wh = inv.flag("widthHeight")) {
        opt.width = wholeSide(inv, (*wh)[0]);
        opt.height = wholeSide(inv, (*wh)[1]);
    }
    if (inv.has("percent")) {
        const double p = inv.flagNumber("percent");
        if (!(p > 0.0) || p > 1000.0) inv.fail("-percent must be between 1 and 1000");
        opt.width = static_cast<int>(std::lround(opt.width * p / 100.0));
        opt.height = static_cast<int>(std::lround(opt.height * p / 100.0));
    }
    if (opt.width <= 0 || opt.height <= 0 || opt.width > kMaxImageSide || opt.height > kMaxImageSide)
        inv.fail("image size " + std::to_string(opt.width) + " x " + std::to_string(opt.height) +
                 " is out of range (1 to " + std::to_string(kMaxImageSide) + " per side)");
    if (inv.has("camera")) {
        const std::string name = inv.flagText("camera");
        auto kind = cameraKindFromName(name);
        if (!kind) inv.fail("unknown camera '" + name + "' (use persp, top, front or side)");
        opt.camera = *kind;
    }
    if (inv.has("format") && inv.flagText("format") != "image")
        inv.fail("-format '" + inv.flagText("format") + "' is not supported (only image)");
    if (inv.has("compression")) opt.compression = inv.flagText("compression");
    if (inv.has("quality")) {
        const double q = inv.flagNumber("quality");
        if (!(q >= 1.0 && q <= 100.0) || q != std::floor(q))
            inv.fail("-quality must be a whole number between 1 and 100");
        opt.quality = static_cast<int>(q);
    }
    if (inv.has("showOrnaments")) opt.ornaments = inv.flagNumber("showOrnaments") != 0.0;
    if (inv.has("trace")) {
        opt.traceFile = inv.flagText("trace");
        if (opt.traceFile.empty()) inv.fail("-trace needs a file name");
    }
    if (!sequence) {
        playblast(inv.scene, opt);
        return cmd::Value::string(opt.file);
    }

    // A numbered picture per frame from -startTime to -endTime (the current
    // frame when not given), each drawn at its time; the time is put back after.
    if (inv.has("trace")) inv.fail("-trace draws one picture; it does not go with -filename");
    const double now = inv.scene.currentTime();
    const double start = inv.has("startTime") ? inv.flagNumber("startTime") : now;
    const double end = inv.has("endTime") ? inv.flagNumber("endTime") : start;
    if (!std::isfinite(start) || !std::isfinite(end))
        inv.fail("-startTime and -endTime must be finite numbers");
    if (start != std::floor(start) || end != std::floor(end))
        inv.fail("-startTime and -endTime must be whole frames");
    if (end < start)
        inv.fail("-endTime " + cmd::Value::real(end).text() + " is before -startTime " +
                 cmd::Value::real(start).text());
    if (end - start >= kMaxFrames)
        inv.fail("the range holds more than " + std::to_string(kMaxFrames) + " frames");
    int padding = 4;
    if (inv.has("framePadding")) {
        const double p = inv.flagNumber("framePadding");
        if (!(p >= 0 && p <= 10) || p != std::floor(p))
            inv.fail("-framePadding must be a whole number from 0 to 10");
        padding = static_cast<int>(p);
    }
    // The stem and extension: "face" or "face.png" both give face.0001.png;
    // the extension follows -compression, else png.
    std::string stem = opt.file, ext = "png";
    const std::string given = fsys::path(stem).extension().string();
    if (!given.empty() && formatNamed(lowerText(given.substr(1)))) {
        ext = lowerText(given.substr(1));
        stem = stem.substr(0, stem.size() - given.size());
    }
    if (!opt.compression.empty()) {
        const auto byFlag = formatNamed(lowerText(opt.compression));
        if (!byFlag) inv.fail("-compression '" + opt.compression + "' is not supported (use png or jpg)");
        ext = *byFlag == ImageFormat::Jpeg ? (ext == "jpeg" ? "jpeg" : "jpg") : "png";
    }
    try {
        for (long f = static_cast<long>(start); f <= static_cast<long>(end); ++f) {
            inv.scene.setCurrentTime(static_cast<double>(f));
            keys::timeChanged(inv.scene);
            PlayblastOptions frame = opt;
            frame.file = frameFile(stem, f, padding, ext);
            playblast(inv.scene, frame);
        }
    } catch (...) {
        inv.scene.setCurrentTime(now);
        keys::timeChanged(inv.scene);
        throw;
    }
    inv.scene.setCurrentTime(now);
    keys::timeChanged(inv.scene);
    return cmd::Value::string(stem + "." + std::string(static_cast<std::size_t>(padding), '#') + "." + ext);
}

const cmd::Registrar registrar{
    {"playblast",
     {{"completeFilename", "cf", 1},
      {"widthHeight", "wh", 2},
      {"camera", "cam", 1},
      {"trace", "tr", 1},
      {"percent", "p", 1},
      {"format", "fmt", 1},
      {"compression", "c", 1},
      {"quality", "qlt", 1},
      {"viewer", "v", 1},
      {"showOrnaments", "orn", 1},
      {"offScreen", "os", 0},
      {"forceOverwrite", "fo", 0},
      {"filename", "f", 1},
      {"startTime", "st", 1},
      {"endTime", "et", 1},
      {"framePadding", "fp", 1}},
     runPlayblast,
     "playblast -completeFilename F.png|F.jpg | -filename NAME [-startTime S] [-endTime E] "
     "[-framePadding 4] [-widthHeight W H] [-camera persp|top|front|side] "
     "[-trace T.json] [-percent P] [-format image] [-compression png|jpg] [-quality Q] [-viewer B] "
     "[-showOrnaments B] [-offScreen] [-forceOverwrite]  (-filename writes NAME.0001.png... one "
     "picture per frame from S to E)",
     "the image file written (a sequence: NAME.####.png)"}};

}  // namespace

}  // namespace rdhost
