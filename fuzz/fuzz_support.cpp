#include "fuzz_support.h"

#include "command/registry.h"

#include <dlfcn.h>
#include <unistd.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace rdfuzz {

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "FUZZ FAILURE: %s\n", message.c_str());
    std::fflush(stderr);
    std::abort();
}

std::string pluginDir() {
    if (const char* dir = std::getenv("RIGDIALS_PLUGIN_DIR"); dir && *dir) return dir;
    return RIGDIALS_BIN_DIR;
}

namespace {

bool hasSlash(const rdhost::cmd::Arg& a) { return a.text.find('/') != std::string::npos; }

// Every argument of the command, positional or of a flag, stays a plain name.
void requirePlainNames(rdhost::cmd::Invocation& inv) {
    for (const auto& a : inv.args)
        if (hasSlash(a)) inv.fail("sandbox: '" + a.text + "' is not a plain file name");
    for (const auto& f : inv.flags)
        for (const auto& a : f.args)
            if (hasSlash(a)) inv.fail("sandbox: '" + a.text + "' is not a plain file name");
}

void requireRigDials(rdhost::cmd::Invocation& inv) {
    for (const auto& a : inv.args)
        if (a.text != "rigDials" && a.text != "rigDials.so")
            inv.fail("sandbox: only rigDials may be loaded, not '" + a.text + "'");
}

// Pictures big enough to reach every drawing path, small enough to stay fast.
void requireSmallPicture(rdhost::cmd::Invocation& inv) {
    if (inv.has("percent")) inv.fail("sandbox: -percent is not used");
    const auto* wh = inv.flag("widthHeight");
    if (!wh) inv.fail("sandbox: -widthHeight is required");
    for (const auto& a : *wh)
        if (a.isNumber() && a.number > 128) inv.fail("sandbox: pictures stay within 128 pixels");
}

std::string sandboxDir;

// A plain name becomes a file in the sandbox folder ("" stays "", an error).
void intoSandbox(rdhost::cmd::Arg& a) {
    if (!a.text.empty()) a.text = sandboxDir + "/" + a.text;
}

void sandboxFlag(rdhost::cmd::Invocation& inv, const std::string& flag) {
    for (auto& f : inv.flags)
        if (f.name == flag)
            for (auto& a : f.args) intoSandbox(a);
}

void wrap(const std::string& name, void (*check)(rdhost::cmd::Invocation&)) {
    const rdhost::cmd::CommandDef* original = rdhost::cmd::findCommand(name);
    if (!original) fail("no command '" + name + "' to sandbox");
    rdhost::cmd::CommandDef def = *original;
    rdhost::cmd::Handler run = def.run;
    def.run = [run, check](rdhost::cmd::Invocation& inv) {
        check(inv);
        return run(inv);
    };
    rdhost::cmd::registerCommand(std::move(def));
}

}  // namespace

void installSandbox() {
    static bool done = false;
    if (done) return;
    done = true;
    // The host unloads rigDials with each scene; keeping the module mapped keeps
    // its coverage counters valid for libFuzzer between inputs.
    const std::string plugin = pluginDir() + "/rigDials.so";
    if (!::dlopen(plugin.c_str(), RTLD_NOW | RTLD_NODELETE))
        fail("cannot load " + plugin + ": " + ::dlerror());
    // Files land in a private temporary folder: plain names are put there, paths
    // are refused. (No chdir: libFuzzer's corpus paths may be relative.)
    char dir[] = "/tmp/rigdials-fuzz-XXXXXX";
    if (!::mkdtemp(dir)) fail("cannot make a temporary folder");
    sandboxDir = dir;
    wrap("file", [](rdhost::cmd::Invocation& inv) {
        requirePlainNames(inv);
        for (auto& a : inv.args) intoSandbox(a);
        sandboxFlag(inv, "rename");
    });
    wrap("playblast", [](rdhost::cmd::Invocation& inv) {
        requirePlainNames(inv);
        requireSmallPicture(inv);
        sandboxFlag(inv, "completeFilename");
        sandboxFlag(inv, "trace");
    });
    wrap("loadPlugin", requireRigDials);
    wrap("requires", [](rdhost::cmd::Invocation& inv) {
        if (!inv.args.empty() && inv.args[0].text != "rigDials")
            inv.fail("sandbox: only rigDials may be required");
    });
}

FuzzScene::FuzzScene() {
    previous = rdhost::Scene::current();
    scene = std::make_unique<rdhost::Scene>();
    rdhost::Scene::setCurrent(scene.get());
    scene->setPluginPath({pluginDir()});
    try {
        scene->loadPlugin(pluginDir() + "/rigDials.so");
    } catch (const rdhost::HostError& e) {
        fail(std::string("cannot load rigDials: ") + e.what());
    }
}

FuzzScene::~FuzzScene() {
    scene.reset();
    rdhost::Scene::setCurrent(previous);
}

namespace {

std::string number(double v) {
    if (std::isnan(v)) return "nan";  // every NaN is the same value to a user
    char buf[64];
    std::snprintf(buf, sizeof buf, "%a", v);
    return buf;
}

std::string plugText(const rdhost::PlugRef& p) {
    return p ? p.node->name + "." + p.node->type->attrs[p.attr]->longName : "-";
}

}  // namespace

Snapshot snapshot(rdhost::Scene& scene) {
    Snapshot s;
    for (rdhost::Node* n : scene.nodes()) {
        s.lines.push_back("node " + n->name + " " + n->type->name + " " + n->unknownTypeName + " parent " +
                          (n->parent ? n->parent->name : "-") + " raw " + std::to_string(n->raw.size()));
        for (const rdhost::Attr* a : n->type->attrs) {
            const int i = a->index;
            std::string line = "  " + a->longName;
            if (n->source(i))
                line += " <- " + plugText(n->source(i));
            else if (a->kind == rdhost::AttrKind::String)
                line += " = \"" + n->storedString(i) + "\"";
            else if (!a->computed && a->isNumeric())
                line += " = " + number(n->storedNumber(i));
            s.lines.push_back(line);
        }
    }
    return s;
}

std::string describeDifference(const Snapshot& before, const Snapshot& after) {
    const std::size_t n = std::min(before.lines.size(), after.lines.size());
    for (std::size_t i = 0; i < n; ++i)
        if (before.lines[i] != after.lines[i])
            return "was '" + before.lines[i] + "', now '" + after.lines[i] + "'";
    return "snapshot length " + std::to_string(before.lines.size()) + " became " +
           std::to_string(after.lines.size());
}

}  // namespace rdfuzz
