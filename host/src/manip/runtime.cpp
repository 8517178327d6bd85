// Showing, querying and dragging manipulator containers.
#include "manip/manip.h"

#include "command/attrs.h"
#include "graph/handles.h"
#include "view/playblast.h"
#include "view/viewport.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace rdhost {

namespace {

const double kPi = 3.14159265358979323846;

bool inConnectTable(const ManipRegistry& reg, const NodeType* t) {
    return t && std::find(reg.connectTable.begin(), reg.connectTable.end(), t->id) != reg.connectTable.end();
}

std::string nodeLabel(const Node* n) { return n->isDag() ? n->partialPathName() : n->name; }

void removeOverlay(Scene& scene, const ShownManip* shown) {
    Viewport* viewport = scene.findExtension<Viewport>();
    if (!viewport) return;
    auto& overlays = viewport->overlays;
    overlays.erase(std::remove_if(overlays.begin(), overlays.end(),
                                  [shown](const Overlay& o) { return o.owner == shown; }),
                   overlays.end());
}

// Destroys a container. Its destructor is plug-in code: when the plug-in is
// already gone (it cannot be, given the notifications, but a stale container
// must never jump into unloaded code) the instance is abandoned instead.
void destroy(Scene& scene, std::unique_ptr<ShownManip>& shown) {
    removeOverlay(scene, shown.get());
    if (shown->container && shown->type && !shown->type->removed) {
        CurrentSceneGuard guard(&scene);
        delete shown->container;
    }
    shown->container = nullptr;
    shown->state = nullptr;
    shown.reset();
}

void eraseShown(Scene& scene, ManipRegistry& reg, const std::function<bool(const ShownManip&)>& doomed) {
    // Collect first: a destructor could, in principle, reach the registry.
    std::vector<std::unique_ptr<ShownManip>> gone;
    for (auto& s : reg.shown)
        if (doomed(*s)) gone.push_back(std::move(s));
    reg.shown.erase(std::remove(reg.shown.begin(), reg.shown.end(), nullptr), reg.shown.end());
    for (auto& s : gone) destroy(scene, s);
}

void refreshOrWarn(Scene& scene, ShownManip& shown) {
    try {
        shown.state->refresh();
    } catch (const HostError& e) {
        scene.warn(std::string("manipulators of '") + nodeLabel(shown.target) + "': " + e.what());
    }
}

std::string jsonTriple(double x, double y, double z) {
    return "[" + manipJsonNumber(x) + ", " + manipJsonNumber(y) + ", " + manipJsonNumber(z) + "]";
}
std::string jsonPoint(const MPoint& p) {
    MPoint c(p);
    c.cartesianize();
    return jsonTriple(c.x, c.y, c.z);
}
std::string jsonVector(const MVector& v) { return jsonTriple(v.x, v.y, v.z); }

std::string plugText(const ShownManip& shown, const StockManip& m) {
    const PlugRef p = draggedPlug(shown, m);
    if (!p) return "null";
    return jsonString(cmd::PlugPath{p.node, p.node->attrAt(p.attr)}.name());
}

cmd::Arg numberArg(const Attr& attr, double internal) {
    cmd::Arg arg;
    arg.kind = cmd::Arg::Kind::Number;
    arg.number = cmd::toUi(attr, internal);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", arg.number);
    arg.text = buf;
    return arg;
}

std::string childList(const ShownManip& shown) {
    std::string names;
    for (const auto& c : shown.state->children) names += (names.empty() ? "" : ", ") + c->name;
    return names.empty() ? "none" : names;
}

}  // namespace

PlugRef draggedPlug(const ShownManip& shown, const StockManip& m) {
    if (m.plug) return m.plug;
    const std::vector<size_t> conversions = shown.state->conversionsReading(m);
    return conversions.empty() ? PlugRef{} : shown.state->plugConversions[conversions.front()].plug;
}

// ----------------------------------------------------------------- registry

ManipRegistry::ManipRegistry(Scene& s) : scene(&s) { scene->addObserver(this); }

ManipRegistry::~ManipRegistry() {
    sceneClosing();
    scene->removeObserver(this);
}

ManipRegistry* findManipRegistry(Scene& scene) { return scene.findExtension<ManipRegistry>(); }

ManipRegistry& manipRegistry(Scene& scene) { return scene.extension<ManipRegistry>(); }

void ManipRegistry::nodeDeleting(Node* node) {
    eraseShown(*scene, *this, [node](const ShownManip& s) { return s.target == node; });
}

void ManipRegistry::pluginUnloading(Plugin* plugin) {
    eraseShown(*scene, *this, [plugin](const ShownManip& s) {
        return (s.type && s.type->plugin == plugin) || (s.target->type && s.target->type->plugin == plugin);
    });
    // The plug-in's types leave the connect table with it; loading it again
    // enters them afresh.
    for (NodeType* t : plugin->types)
        connectTable.erase(std::remove(connectTable.begin(), connectTable.end(), t->id), connectTable.end());
}

void ManipRegistry::sceneClosing() {
    while (!shown.empty()) {
        std::unique_ptr<ShownManip> s = std::move(shown.back());
        shown.pop_back();
        destroy(*scene, s);
    }
}

// --------------------------------------------------------------- show / find

ShownManip* shownManipFor(Scene& scene, Node* target) {
    ManipRegistry* reg = findManipRegistry(scene);
    if (!reg) return nullptr;
    for (auto& s : reg->shown)
        if (s->target == target) return s.get();
    return nullptr;
}

ShownManip& shownManipOrFail(Scene& scene, Node* target, const std::string& cmd) {
    // A transform stands for its shape, as in showManip.
    if (ShownManip* s = shownManipFor(scene, target)) return *s;
    for (Node* child : target->children)
        if (ShownManip* s = shownManipFor(scene, child)) return *s;
    throw HostError(cmd + ": no manipulator is shown for '" + nodeLabel(target) + "'; use showManip first");
}

bool dismissManip(Scene& scene, Node* target) {
    ManipRegistry* reg = findManipRegistry(scene);
    if (!reg || !shownManipFor(scene, target)) return false;
    eraseShown(scene, *reg, [target](const ShownManip& s) { return s.target == target; });
    return true;
}

ShownManip& showManip(Scene& scene, Node* target, const std::string& cmd) {
    ManipRegistry& reg = manipRegistry(scene);
    if (!inConnectTable(reg, target->type)) {
        Node* shape = nullptr;
        for (Node* child : target->children)
            if (inConnectTable(reg, child->type)) {
                if (shape)
                    throw HostError(cmd + ": '" + nodeLabel(target) +
                                    "' has several shapes with manipulators; name the shape");
                shape = child;
            }
        if (!shape)
            throw HostError(cmd + ": '" + nodeLabel(target) + "' (" + target->type->name +
                            ") has no manipulator: its type is not in the manipulator connect table");
        target = shape;
    }
    const std::string typeName = target->type->name + "Manip";
    NodeType* ct = scene.findType(typeName);
    if (!ct)
        throw HostError(cmd + ": no manipulator container type '" + typeName + "' is registered for '" +
                        nodeLabel(target) + "'");
    if (ct->kind != MPxNode::kManipContainer || !ct->creator)
        throw HostError(cmd + ": '" + typeName + "' is not a manipulator container type");

    auto shown = std::make_unique<ShownManip>();
    shown->target = target;
    shown->type = ct;
    shown->node = std::make_unique<Node>(&scene, ct, nodeLabel(target) + "Manip");
    Node& cn = *shown->node;
    cn.outsideUndo = true;

    {
        CurrentSceneGuard guard(&scene);
        void* made = ct->creator();
        if (!made) throw HostError(cmd + ": the creator of '" + typeName + "' returned no container");
        MPxNode* user = static_cast<MPxNode*>(made);
        auto* container = dynamic_cast<MPxManipContainer*>(user);
        if (!container) {
            delete user;
            throw HostError(cmd + ": '" + typeName + "' does not make an MPxManipContainer");
        }
        cn.user = user;
        ObjectAccess::bind(user, &cn);
        shown->container = container;
        shown->state = ManipContainerState::of(container);
        shown->state->scene = &scene;
    }
    auto fail = [&](const std::string& what, const MStatus& st) {
        destroy(scene, shown);
        throw HostError(cmd + ": " + what + " of '" + typeName + "' failed for '" + nodeLabel(target) +
                        "': " + st.errorString().asChar());
    };
    {
        CurrentSceneGuard guard(&scene);
        shown->container->postConstructor();
        MStatus st = shown->container->createChildren();
        if (!st) fail("createChildren", st);
        st = shown->container->connectToDependNode(ObjectAccess::make(target));
        if (!st) fail("connectToDependNode", st);
    }
    shown->state->finished = true;

    // Only now, with the new container complete, does it replace the old one.
    dismissManip(scene, target);
    ShownManip* raw = shown.get();
    reg.shown.push_back(std::move(shown));

    Overlay overlay;
    overlay.name = raw->node->name;
    overlay.type = typeName;
    overlay.owner = raw;
    Scene* sp = &scene;
    overlay.draw = [sp, raw](M3dView& view) {
        refreshOrWarn(*sp, *raw);
        CurrentSceneGuard guard(sp);
        raw->container->draw(view, ObjectAccess::path(raw->node.get()), M3dView::kWireFrame,
                             M3dView::kActive);
    };
    viewportFor(scene).overlays.push_back(std::move(overlay));
    return *raw;
}

StockManip& findChildManip(ShownManip& shown, const std::string& name, const std::string& cmd) {
    std::vector<StockManip*> byName, byValue;
    for (auto& c : shown.state->children) {
        if (c->name == name) byName.push_back(c.get());
        if (c->valueName == name) byValue.push_back(c.get());
    }
    if (byName.size() == 1) return *byName.front();
    if (byName.empty() && byValue.size() == 1) return *byValue.front();
    const std::string owner = "'" + nodeLabel(shown.target) + "' (" + shown.type->name + ")";
    if (byName.size() > 1) {
        std::string values;
        for (StockManip* m : byName) values += (values.empty() ? "'" : ", '") + m->valueName + "'";
        throw HostError(cmd + ": " + std::to_string(byName.size()) + " manipulators of " + owner +
                        " are named '" + name + "'; name one by its value: " + values);
    }
    throw HostError(cmd + ": " + owner + " has no manipulator named '" + name +
                    "' (manipulators: " + childList(shown) + ")");
}

// ---------------------------------------------------------------- manipInfo

std::string manipJsonNumber(double v) {
    if (!std::isfinite(v)) return "null";
    // Below a millionth nothing a manipulator places is resolved (a track's
    // 1e-9 end offset is a flat track).
    if (std::fabs(v) < 5e-7) return "0";
    char buf[40];
    if (std::fabs(v) <= FLT_MAX) {
        const float f = static_cast<float>(v);
        if (f == 0.0f) return "0";
        for (int p = 1; p <= 9; ++p) {
            std::snprintf(buf, sizeof buf, "%.*g", p, static_cast<double>(f));
            if (std::strtof(buf, nullptr) != f) continue;
            // Plain notation where it is short enough to read: 90, not 9e+01.
            const int e = static_cast<int>(std::floor(std::log10(std::fabs(static_cast<double>(f)))));
            if (std::strchr(buf, 'e') && e >= -5 && e < 15)
                std::snprintf(buf, sizeof buf, "%.*f", std::max(0, p - 1 - e), static_cast<double>(f));
            return buf;
        }
    }
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

std::string manipInfoJson(Scene& scene, ShownManip& shown) {
    shown.state->refresh();
    (void)scene;
    std::ostringstream os;
    os << "[";
    bool first = true;
    for (const auto& c : shown.state->children) {
        os << (first ? "" : ", ") << "{\"name\": " << jsonString(c->name) << ", \"kind\": \"" << c->kindName()
           << "\", \"plug\": " << plugText(shown, *c);
        first = false;
        switch (c->kind) {
        case ManipKind::Distance:
            os << ", \"startPoint\": " << jsonPoint(c->startPoint)
               << ", \"direction\": " << jsonVector(c->direction)
               << ", \"currentPoint\": " << jsonPoint(c->currentPoint)
               << ", \"scalingFactor\": " << manipJsonNumber(c->scalingFactor)
               << ", \"value\": " << manipJsonNumber(c->distance);
            break;
        case ManipKind::Toggle:
            os << ", \"startPoint\": " << jsonPoint(c->startPoint)
               << ", \"direction\": " << jsonVector(c->direction)
               << ", \"length\": " << manipJsonNumber(c->length)
               << ", \"value\": " << (c->toggle ? "true" : "false");
            break;
        case ManipKind::CircleSweep:
            os << ", \"center\": " << jsonPoint(c->center) << ", \"normal\": " << jsonVector(c->normal)
               << ", \"startCirclePoint\": " << jsonPoint(c->startCircle)
               << ", \"radius\": " << manipJsonNumber(c->radius)
               << ", \"angle\": " << manipJsonNumber(c->angle * 180.0 / kPi);
            break;
        }
        os << "}";
    }
    os << "]";
    return os.str();
}

// --------------------------------------------------------------------- drag

void dragManipValue(Scene& scene, ShownManip& shown, StockManip& m, double value, const std::string& cmd) {
    if (!std::isfinite(value))
        throw HostError(cmd + ": the value for '" + m.name + "' is not a finite number");
    if (m.kind == ManipKind::Toggle) value = value != 0.0 ? 1.0 : 0.0;
    // Placements and what each manip-to-plug conversion reads, as of now.
    refreshOrWarn(scene, shown);
    m.setValue(value);
    // Every conversion that reads the dragged value runs before any plug is
    // written, so one that fails leaves the scene as it was.
    ManipContainerState& st = *shown.state;
    std::vector<std::pair<PlugRef, std::vector<double>>> converted;
    for (size_t i : st.conversionsReading(m)) {
        try {
            converted.emplace_back(st.plugConversions[i].plug, st.runPlugConversion(i));
        } catch (const HostError& e) {
            refreshOrWarn(scene, shown);
            throw HostError(cmd + ": " + e.what());
        }
    }
    try {
        if (m.plug) {
            Attr* attr = m.plug.node->attrAt(m.plug.attr);
            cmd::setPlugValues(scene, cmd::PlugPath{m.plug.node, attr}, {numberArg(*attr, value)}, "", cmd);
        }
        for (const auto& [plug, values] : converted) {
            Attr* attr = plug.node->attrAt(plug.attr);
            std::vector<cmd::Arg> args;
            if (attr->isCompound()) {
                for (size_t i = 0; i < attr->children.size(); ++i)
                    args.push_back(numberArg(*attr->children[i], values[i]));
            } else {
                args.push_back(numberArg(*attr, values[0]));
            }
            cmd::setPlugValues(scene, cmd::PlugPath{plug.node, attr}, args, "", cmd);
        }
    } catch (const HostError&) {
        refreshOrWarn(scene, shown);  // the manipulator shows the plugs as they are
        throw;
    }
    refreshOrWarn(scene, shown);
}

void dragManipToPoint(Scene& scene, ShownManip& shown, StockManip& m, const MPoint& p,
                      const std::string& cmd) {
    shown.state->refresh();
    const std::string who = "manipulator '" + m.name + "' of '" + nodeLabel(shown.target) + "'";
    switch (m.kind) {
    case ManipKind::Distance: {
        const MVector dirN = m.direction.normal();
        if (dirN.length() < 0.5) throw HostError(cmd + ": " + who + " has no direction to drag along");
        if (m.scalingFactor == 0.0) throw HostError(cmd + ": " + who + " has a scaling factor of 0");
        dragManipValue(scene, shown, m, ((p - m.startPoint) * dirN) / m.scalingFactor, cmd);
        return;
    }
    case ManipKind::CircleSweep: {
        const MVector n = m.normal.normal();
        if (n.length() < 0.5) throw HostError(cmd + ": " + who + " has no normal to sweep around");
        MVector r0 = m.startCircle - m.center, r1 = p - m.center;
        r0 -= n * (r0 * n);
        r1 -= n * (r1 * n);
        if (r0.length() < 1e-12 || r1.length() < 1e-12)
            throw HostError(cmd + ": " + who + ": the point is at the centre of the circle");
        double a = std::atan2((r0 ^ r1) * n, r0 * r1);
        // A drag winds continuously: take the turn nearest the current angle.
        a += 2.0 * kPi * std::round((m.angle - a) / (2.0 * kPi));
        dragManipValue(scene, shown, m, a, cmd);
        return;
    }
    case ManipKind::Toggle:
        dragManipValue(scene, shown, m, m.toggle ? 0.0 : 1.0, cmd);
        return;
    }
}

}  // namespace rdhost
