// Every rigDials node type computed and drawn with arbitrary attribute values.
//
// The input is decoded into operations on a primitive locator, a linear slider
// and an arc slider with their manipulators shown: attribute writes on any node
// of the scene (the shapes, their transforms, the manipulator containers) with
// NaN, infinities, huge, negative and whole values, every enum field and
// values past the last; manipulator drags; time changes; refreshes. Writes go
// through Node::setNumber, which applies no limits, as a connection delivers
// values. Refreshes draw with either renderer (vp2Renderer: the draw
// overrides; base_OpenGL_Renderer: the legacy draws), and arbitrary
// submissions through MUIDrawManager (any primitive, vertex count, index and
// normal array, calls outside drawables) are recorded and rasterised, as they
// come or consolidated. At the end every output is pulled and the viewport
// drawn in the real GL context; each node must leave the GL stacks as it found
// them (the renderer reports otherwise) and nothing may throw or trip a
// sanitizer.
#include "fuzz_support.h"

#include "command/interpreter.h"
#include "view/gl_context.h"
#include "view/render.h"
#include "view/viewport.h"
#include "view/vp2_render.h"

#include <maya/MUIDrawManager.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>

namespace {

struct Reader {
    const std::uint8_t* p;
    std::size_t n;
    bool empty() const { return n == 0; }
    std::uint8_t byte() {
        if (!n) return 0;
        --n;
        return *p++;
    }
    template <class T>
    T raw() {
        T v{};
        unsigned char buf[sizeof(T)] = {};
        for (auto& b : buf) b = byte();
        std::memcpy(&v, buf, sizeof(T));
        return v;
    }
};

double value(Reader& in, const rdhost::Attr& attr) {
    static const double special[] = {std::numeric_limits<double>::quiet_NaN(),
                                     -std::numeric_limits<double>::quiet_NaN(),
                                     std::numeric_limits<double>::infinity(),
                                     -std::numeric_limits<double>::infinity(),
                                     0.0,
                                     -0.0,
                                     1.0,
                                     -1.0,
                                     1e-9,
                                     -1e-9,
                                     1e-300,
                                     1e300,
                                     -1e300,
                                     3.4e38,
                                     -3.4e38,
                                     1e39,
                                     2147483648.0,
                                     -2147483649.0,
                                     9.3e18,
                                     std::numeric_limits<double>::denorm_min(),
                                     M_PI,
                                     -M_PI,
                                     2 * M_PI,
                                     360.0,
                                     -360.0,
                                     1e6,
                                     -1e6,
                                     0.5};
    switch (in.byte() % 6) {
    case 0:
        return special[in.byte() % (sizeof special / sizeof special[0])];
    case 1:
        return in.raw<double>();
    case 2:
        return static_cast<double>(in.raw<float>());
    case 3:
        return static_cast<double>(static_cast<std::int8_t>(in.byte()));
    case 4: {
        // An enum field's value, or a little past the last / before the first.
        const int k = static_cast<std::int8_t>(in.byte());
        if (attr.enumFields.empty()) return k;
        const int count = static_cast<int>(attr.enumFields.size());
        if (k >= 0 && k < count) return attr.enumFields[k].second;
        return attr.enumFields.back().second + k;
    }
    default:
        return static_cast<double>(static_cast<std::int16_t>(in.raw<std::uint16_t>())) / 7.0;
    }
}

// Numeric inputs a value can be written to.
std::vector<int> writableSlots(const rdhost::Node* node) {
    std::vector<int> slots;
    for (const rdhost::Attr* a : node->type->attrs)
        if (a->isNumeric() && a->writable && !a->computed && !node->source(a->index))
            slots.push_back(a->index);
    return slots;
}

const char* const kManips[] = {"distanceManip", "LengthManip",   "sizeManip",       "SetKeyManip",
                               "sweepManip",    "endSweepManip", "arcRradiusManip", "setKeyManip"};

void render(rdhost::Scene& scene, std::uint8_t how) {
    rdhost::Viewport& vp = rdhost::viewportFor(scene);
    vp.warnings.clear();
    rdhost::setRenderer(scene, (how & 0x80) ? rdhost::kLegacyRenderer : rdhost::kVp2Renderer);
    rdhost::RenderOptions ro;
    ro.width = 32 + (how & 31);
    ro.height = 32 + ((how >> 2) & 31);
    ro.camera = static_cast<rdhost::CameraKind>((how >> 5) & 3);
    rdhost::RenderResult result;
    try {
        result = rdhost::renderScene(scene, ro);
    } catch (const rdhost::HostError& e) {
        rdfuzz::fail(std::string("render failed: ") + e.what());
    }
    for (const auto& item : result.items) rdhost::countItemPrimitives(scene, item);
    for (const std::string& w : vp.warnings) rdfuzz::fail("the viewport reported a faulty draw: " + w);
}

// Arbitrary calls into a draw manager, then the recording drawn: faults must
// be refused with warnings, never read past an array.
void submit(rdhost::Scene& scene, Reader& in) {
    using MHWRender::MUIDrawManager;
    rdhost::UIDrawList list;
    list.node = "fuzz";
    MUIDrawManager dm(&list);
    const int calls = 1 + in.byte() % 8;
    for (int c = 0; c < calls && !in.empty(); ++c) {
        const std::uint8_t op = in.byte();
        MPointArray pts;
        const unsigned n = in.byte() % 13;
        for (unsigned i = 0; i < n; ++i)
            pts.append(static_cast<std::int8_t>(in.byte()) / 16.0, static_cast<std::int8_t>(in.byte()) / 16.0,
                       static_cast<std::int8_t>(in.byte()) / 16.0);
        switch (op % 8) {
        case 0:
            dm.beginDrawable();
            break;
        case 1:
            dm.endDrawable();
            break;
        case 2: {
            MUintArray index;
            const bool indexed = in.byte() & 1;
            if (indexed)
                for (unsigned i = in.byte() % 13; i > 0; --i) index.append(in.byte() % 16);
            MVectorArray normals(in.byte() % 14, MVector(0.0, 0.0, 1.0));
            dm.mesh(static_cast<MUIDrawManager::Primitive>(op / 8 % 7), pts, &normals, nullptr,
                    indexed ? &index : nullptr);
            break;
        }
        case 3:
            dm.lineList(pts, op & 8);
            break;
        case 4:
            dm.lineStrip(pts, op & 8);
            break;
        case 5:
            dm.text(MPoint(), "fuzz", static_cast<MUIDrawManager::TextAlignment>(op / 8 % 4));
            break;
        case 6:
            dm.setLineStyle(static_cast<MUIDrawManager::LineStyle>(op / 8 % 6));
            dm.setPaintStyle(static_cast<MUIDrawManager::PaintStyle>(op / 64 % 4));
            break;
        default:
            dm.circle(MPoint(), MVector(0.0, op & 8 ? 0.0 : 1.0, 0.0), n, op & 16);
            break;
        }
    }
    list.finish();
    rdhost::Viewport& vp = rdhost::viewportFor(scene);
    rdhost::ensureGLContext();
    M3dView view(&vp);
    // Drawn as it comes, or queued and drawn consolidated as a refresh does.
    const bool batched = !in.empty() && (in.byte() & 1);
    if (batched) rdhost::beginDrawBatch();
    rdhost::rasterize(list, view);
    if (batched) rdhost::endDrawBatch();
    vp.textLog.clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rdfuzz::installSandbox();
    if (size > 1024) return -1;
    Reader in{data, size};

    rdfuzz::FuzzScene fs;
    rdhost::Scene& scene = *fs.scene;
    std::ostringstream out, err;
    rdhost::cmd::Interpreter interp(scene, out, err);

    rdhost::Node* nodes[3] = {};
    const char* const types[3] = {"KelPrimitiveLocator", "KelSliderManipulator", "KelArcSliderManipulator"};
    for (int i = 0; i < 3; ++i) {
        try {
            nodes[i] = scene.createNode(types[i]);
        } catch (const rdhost::HostError& e) {
            rdfuzz::fail(std::string("createNode ") + types[i] + ": " + e.what());
        }
    }
    const std::uint8_t shown = in.byte();
    for (int i = 1; i < 3; ++i)
        if (!(shown & (1 << i))) {
            try {
                interp.execute("showManip " + nodes[i]->name);
            } catch (const rdhost::HostError& e) {
                rdfuzz::fail("showManip " + nodes[i]->name + ": " + e.what());
            }
        }

    int renders = 0;
    for (int op = 0; op < 64 && !in.empty(); ++op) {
        const std::uint8_t code = in.byte();
        switch (code % 10) {
        case 7: {  // a drag, as the user would make it
            rdhost::Node* target = nodes[1 + (code >> 4) % 2];
            const char* manip = kManips[in.byte() % (sizeof kManips / sizeof kManips[0])];
            const double v = value(in, *target->type->attrs[0]);
            std::ostringstream cmd;
            cmd.precision(17);
            cmd << "dragManip " << target->name << " " << manip << " " << v;
            try {
                interp.execute(cmd.str());
            } catch (const rdhost::HostError&) {
                // A drag this manipulator cannot take (a NaN text, no such name): refused.
            }
            break;
        }
        case 8: {  // time, which keyed attributes follow
            const double t = static_cast<double>(static_cast<std::int16_t>(in.raw<std::uint16_t>()));
            try {
                scene.setCurrentTime(t);
            } catch (const rdhost::HostError&) {}
            break;
        }
        case 9:
            if (renders++ < 2) render(scene, in.byte());
            break;
        case 6:
            if (code & 0x80) {
                submit(scene, in);
                break;
            }
            [[fallthrough]];
        default: {  // an attribute write on any node there is
            const auto& all = scene.nodes();
            rdhost::Node* node = all[in.byte() % all.size()];
            const std::vector<int> slots = writableSlots(node);
            if (slots.empty()) break;
            const int slot = slots[in.byte() % slots.size()];
            const double v = value(in, *node->type->attrs[slot]);
            try {
                node->setNumber(slot, v);
            } catch (const rdhost::HostError&) {
                // Refused writes are fine; crashes and hangs are not.
            }
            break;
        }
        }
        try {
            scene.runIdle();
        } catch (const std::exception& e) {
            rdfuzz::fail(std::string("idle step threw: ") + e.what());
        }
    }

    // Every output of every node, then one more refresh.
    for (rdhost::Node* node : std::vector<rdhost::Node*>(scene.nodes()))
        for (const rdhost::Attr* a : node->type->attrs)
            if (a->computed && a->isNumeric()) node->getNumber(a->index);
    render(scene, shown);
    return 0;
}
