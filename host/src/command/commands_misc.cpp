// Plug-in commands (loadPlugin, unloadPlugin, requires, pluginInfo) and the
// small ones (print, currentUnit).
#include "command/attrs.h"
#include "command/registry.h"

#include <cmath>
#include <ostream>

namespace rdhost::cmd {

namespace {

// "rigDials", "rigDials.so" and "/path/rigDials.so" all name plug-in "rigDials".
std::string pluginName(const std::string& arg) {
    std::string n = arg;
    size_t slash = n.rfind('/');
    if (slash != std::string::npos) n.erase(0, slash + 1);
    if (n.size() > 3 && n.compare(n.size() - 3, 3, ".so") == 0) n.erase(n.size() - 3);
    return n;
}

Value loadPlugin(Invocation& inv) {
    if (inv.args.empty()) inv.fail("expects a plug-in name or path");
    std::vector<std::string> loaded;
    try {
        for (const Arg& a : inv.args) {
            Plugin* p = inv.scene.loadPlugin(a.text);  // warns and returns null when loaded already
            if (p) loaded.push_back(p->name);
        }
    } catch (const HostError&) {
        // All or nothing: a later plug-in failing takes back the ones this command loaded.
        for (auto it = loaded.rbegin(); it != loaded.rend(); ++it) inv.scene.unloadPlugin(*it);
        throw;
    }
    return loaded.empty() ? Value::none() : Value::strings(loaded);
}

Value unloadPlugin(Invocation& inv) {
    // One at a time: a refusal (nodes still exist) can then never leave half the
    // plug-ins unloaded.
    if (inv.args.size() != 1) inv.fail("expects one plug-in name");
    const std::string name = pluginName(inv.args[0].text);
    if (!inv.scene.findPlugin(name)) inv.fail("plug-in '" + inv.args[0].text + "' is not loaded");
    inv.scene.unloadPlugin(name);
    return Value::string(name);
}

// requires PLUGIN VERSION: makes sure a plug-in is there, loading it by name
// from the plug-in path if need be. A path is never loaded: a scene file must
// not make the host run a library from wherever the file says.
Value requires(Invocation& inv) {
    if (inv.args.empty()) inv.fail("expects a plug-in name");
    const std::string name = inv.args[0].text;
    if (name == "maya") return Value::none();
    try {
        if (name.find('/') != std::string::npos)
            inv.fail("plug-in '" + name + "' is not available (a plug-in is required by name, not by path)");
        if (inv.scene.findPlugin(name)) return Value::none();
        inv.scene.loadPlugin(name);
    } catch (const HostError& e) {
        if (!inv.fileContext) throw;
        std::string why = e.what();
        if (why.rfind("requires: ", 0) == 0)
            inv.scene.warn(why + "; its nodes are kept as unknown nodes");
        else
            inv.scene.warn("requires: plug-in '" + name + "' is not available (" + why +
                           "); its nodes are kept as unknown nodes");
    }
    return Value::none();
}

Value pluginInfo(Invocation& inv) {
    if (inv.has("listPlugins")) {
        std::vector<std::string> names;
        for (const auto& p : inv.scene.plugins()) names.push_back(p->name);
        return Value::strings(names);
    }
    if (inv.args.size() != 1) inv.fail("expects one plug-in name");
    const std::string name = pluginName(inv.args[0].text);
    Plugin* p = inv.scene.findPlugin(name);
    if (inv.has("loaded")) return Value::boolean(p != nullptr);
    if (!p) inv.fail("plug-in '" + inv.args[0].text + "' is not loaded");
    if (inv.has("dependNode")) {
        std::vector<std::string> types;
        for (const NodeType* t : p->types) types.push_back(t->name);
        return Value::strings(types);
    }
    if (inv.has("version")) return Value::string(p->version);
    if (inv.has("vendor")) return Value::string(p->vendor);
    if (inv.has("path")) return Value::string(p->path);
    if (inv.has("apiVersion")) return Value::string(p->apiVersion);
    inv.fail("give a query flag: -dependNode, -loaded, -listPlugins, -version, -vendor, -path");
}

Value print(Invocation& inv) {
    for (const Arg& a : inv.args) {
        if (a.kind == Arg::Kind::Number || a.kind == Arg::Kind::Bool)
            inv.out << (a.integral || a.kind == Arg::Kind::Bool
                            ? Value::integer(static_cast<long long>(a.number)).text()
                            : Value::real(a.number).text());
        else
            inv.out << a.text;
    }
    inv.out.flush();
    return Value::none();
}

// Only centimetres, degrees and film (24 fps) are honoured: anything else is
// reported and the unit stays.
Value currentUnit(Invocation& inv) {
    struct Unit {
        const char* flag;
        const char* shortName;
        const char* fullName;
        std::vector<std::string> accepted;
    };
    static const Unit units[] = {
        {"linear", "cm", "centimeter", {"cm", "centimeter", "centimeters"}},
        {"angle", "deg", "degree", {"deg", "degree", "degrees"}},
        {"time", "film", "film", {"film", "24fps"}},
    };
    if (inv.has("query")) {
        for (const Unit& u : units)
            if (inv.has(u.flag)) return Value::string(inv.has("fullName") ? u.fullName : u.shortName);
        inv.fail("give -linear, -angle or -time with -query");
    }
    for (const Unit& u : units) {
        if (!inv.has(u.flag)) continue;
        std::string v = inv.flagText(u.flag);
        bool ok = false;
        for (const auto& a : u.accepted) ok = ok || v == a;
        if (!ok)
            inv.scene.warn("currentUnit: " + std::string(u.flag) + " unit '" + v +
                           "' is not supported; staying in " + u.fullName);
    }
    return Value::none();
}

const Registrar regs[] = {
    Registrar{{"loadPlugin",
               {{"quiet", "qt", 0}},
               loadPlugin,
               "loadPlugin NAME|PATH  (NAME.so is searched on the plug-in path: the program's "
               "folder, --plugin-path folders, MAYA_PLUG_IN_PATH; loading a loaded plug-in "
               "warns and does nothing)",
               "the plug-in's name"}},
    Registrar{{"unloadPlugin",
               {},
               unloadPlugin,
               "unloadPlugin NAME  (refused while nodes of its types exist)",
               "the plug-in's name"}},
    Registrar{{"requires",
               {{"nodeType", "nt", 1}, {"dataType", "dt", 1}},
               requires,
               "requires PLUGIN [VERSION]  (loads the plug-in if needed; in a scene file a "
               "missing plug-in is a warning)",
               "none"}},
    Registrar{{"pluginInfo",
               {{"query", "q", 0},
                {"dependNode", "dn", 0},
                {"loaded", "l", 0},
                {"listPlugins", "ls", 0},
                {"version", "v", 0},
                {"vendor", "vd", 0},
                {"path", "p", 0},
                {"apiVersion", "av", 0}},
               pluginInfo,
               "pluginInfo -query -dependNode|-loaded|-version|-vendor|-path|-apiVersion "
               "NAME | pluginInfo -query -listPlugins",
               "-dependNode: the plug-in's node types in registration order; -loaded: 0/1; "
               "-listPlugins: loaded plug-ins; others: text"}},
    Registrar{
        {"print", {}, print, "print VALUE...  (writes the values as they are, no newline added)", "none"}},
    Registrar{{"currentUnit",
               {{"linear", "l", 1},
                {"angle", "a", 1},
                {"time", "t", 1},
                {"query", "q", 0},
                {"fullName", "f", 0},
                {"updateAnimation", "ua", 1}},
               currentUnit,
               "currentUnit [-linear centimeter] [-angle degree] [-time film] | currentUnit "
               "-query [-fullName] -linear|-angle|-time  (other units are reported, not "
               "honoured)",
               "with -query: the unit's name"}},
};

}  // namespace

}  // namespace rdhost::cmd
