// showManip, manipInfo and dragManip.
#include "command/attrs.h"
#include "command/registry.h"
#include "manip/manip.h"

#include <cmath>

namespace rdhost {

namespace {

Node* nodeArg(cmd::Invocation& inv, size_t count, const char* usage) {
    if (inv.args.size() != count) inv.fail(std::string("expects ") + usage);
    return cmd::findNodeOrFail(inv.scene, inv.args[0].text, inv.command);
}

cmd::Value runShowManip(cmd::Invocation& inv) {
    Node* node = nodeArg(inv, 1, "one node");
    showManip(inv.scene, node, inv.command);
    return cmd::Value::none();
}

cmd::Value runManipInfo(cmd::Invocation& inv) {
    Node* node = nodeArg(inv, 1, "one node");
    ShownManip& shown = shownManipOrFail(inv.scene, node, inv.command);
    return cmd::Value::string(manipInfoJson(inv.scene, shown));
}

cmd::Value runDragManip(cmd::Invocation& inv) {
    Node* node = nodeArg(inv, 3, "a node, a manipulator name and a value");
    ShownManip& shown = shownManipOrFail(inv.scene, node, inv.command);
    StockManip& m = findChildManip(shown, inv.args[1].text, inv.command);
    const cmd::Arg& a = inv.args[2];
    if (!a.isNumber() || !std::isfinite(a.number))
        inv.fail("the value '" + a.text + "' for '" + m.name + "' is not a number");
    double value = a.number;
    shown.state->refresh();  // validate against the placements of now
    switch (m.kind) {
    case ManipKind::Toggle:
        if (value != 0.0 && value != 1.0)
            inv.fail("the toggle '" + m.name + "' takes 0 or 1 (or on/off), not '" + a.text + "'");
        break;
    case ManipKind::CircleSweep:
        if (m.normal.length() < 1e-12) inv.fail("manipulator '" + m.name + "' has no normal to sweep around");
        value = value * 3.14159265358979323846 / 180.0;
        break;
    case ManipKind::Distance:
        // What a user could not drag, the command cannot either.
        if (m.direction.length() < 1e-12)
            inv.fail("manipulator '" + m.name + "' has no direction to drag along");
        if (m.scalingFactor == 0.0) inv.fail("manipulator '" + m.name + "' has a scaling factor of 0");
        break;
    }
    dragManipValue(inv.scene, shown, m, value, inv.command);
    return cmd::Value::none();
}

const cmd::Registrar showManipCommand{
    {"showManip",
     {},
     runShowManip,
     "showManip NODE  (creates NODE's manipulator container, drawn by playblast)",
     "none"}};

const cmd::Registrar manipInfoCommand{
    {"manipInfo",
     {},
     runManipInfo,
     "manipInfo NODE  (JSON: each manipulator's name, kind, plug and placement, world space, degrees)",
     "a JSON list, one entry per manipulator in the order added"}};

const cmd::Registrar dragManipCommand{
    {"dragManip",
     {},
     runDragManip,
     "dragManip NODE MANIPULATOR VALUE  (VALUE: distance, angle in degrees, or 0/1 for a toggle; "
     "written into the bound plug as a drag)",
     "none"}};

}  // namespace

}  // namespace rdhost
