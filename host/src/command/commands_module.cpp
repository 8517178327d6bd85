// Modules and the Attribute Editor: moduleInfo, editorTemplate, showEditor.
//
// The host lays out a node's Attribute Editor by calling the MEL procedure
// AE<nodeType>Template with the node's name; the procedure describes the
// layout with editorTemplate. showEditor NODE does the same here and reports
// the layout instead of drawing it, so a module's templates can be checked.
#include "command/interpreter.h"
#include "command/registry.h"
#include "graph/modules.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace rdhost::cmd {

namespace {

std::string json(const std::string& s) {
    std::string q = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            q += '\\';
            q += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            q += buf;
        } else {
            q += static_cast<char>(c);
        }
    }
    return q + "\"";
}

std::string jsonList(const std::vector<std::string>& items) {
    std::string s = "[";
    for (size_t i = 0; i < items.size(); ++i) s += (i ? ", " : "") + json(items[i]);
    return s + "]";
}

// ---------------------------------------------------------------- moduleInfo

Value moduleInfo(Invocation& inv) {
    const std::vector<Module>& modules = inv.scene.modules();
    if (inv.has("listModules")) {
        std::vector<std::string> names;
        for (const Module& m : modules) names.push_back(m.name);
        return Value::strings(names);
    }
    if (!inv.has("moduleName"))
        inv.fail("give -listModules, or -moduleName NAME with -path, -version or -definition");
    const std::string name = inv.flagText("moduleName");
    const Module* found = nullptr;
    for (const Module& m : modules)
        if (m.name == name) found = &m;
    if (!found) inv.fail("no module named '" + clipInput(name) + "' (MAYA_MODULE_PATH)");
    if (inv.has("path")) return Value::string(found->path);
    if (inv.has("version")) return Value::string(found->version);
    if (inv.has("definition")) return Value::string(found->definition);
    inv.fail("give -path, -version or -definition with -moduleName");
}

// ---------------------------------------------------------------- editorTemplate

struct Frame {
    std::string label;
    bool collapse = true;
    std::vector<std::string> controls;
};

// The layout a template is describing, while showEditor runs it.
struct EditorLayout : SceneExtension {
    bool active = false;
    Node* node = nullptr;
    std::vector<Frame> frames;  // in the order they begin; frames[0] is outside any
    std::vector<size_t> open;   // frames begun and not ended, innermost last
    std::vector<std::string> suppressed;
    std::vector<std::string> missing;  // controls naming no attribute of the node
    bool extraControls = false;
    int scrollDepth = 0;
};

std::string frameLabel(const EditorLayout& l) {
    std::string label;
    for (size_t i : l.open) label += (label.empty() ? "" : "|") + l.frames[i].label;
    return label;
}

Value editorTemplate(Invocation& inv) {
    EditorLayout* l = inv.scene.findExtension<EditorLayout>();
    if (!l || !l->active)
        inv.fail(
            "lays out an Attribute Editor only while a template (AE<nodeType>Template) runs; "
            "showEditor NODE runs one");
    // Names are checked before anything is recorded.
    for (const FlagUse& f : inv.flags) {
        if ((f.name == "addControl" || f.name == "suppress") && !l->node->findAttr(f.args[0].text)) {
            inv.scene.warn("editorTemplate: '" + l->node->name + "' has no attribute '" +
                           clipInput(f.args[0].text) + "'");
        }
        if (f.name == "endLayout" && l->open.empty()) inv.fail("-endLayout without -beginLayout");
        if (f.name == "endScrollLayout" && l->scrollDepth == 0)
            inv.fail("-endScrollLayout without -beginScrollLayout");
    }
    auto canonical = [&](const std::string& name) {
        const Attr* a = l->node->findAttr(name);
        return a ? a->longName : name;
    };
    for (const FlagUse& f : inv.flags) {
        if (f.name == "beginScrollLayout") {
            ++l->scrollDepth;
        } else if (f.name == "endScrollLayout") {
            --l->scrollDepth;
        } else if (f.name == "beginLayout") {
            l->frames.push_back({f.args[0].text, true, {}});
            l->open.push_back(l->frames.size() - 1);
            l->frames.back().label = frameLabel(*l);
        } else if (f.name == "collapse") {
            if (!l->open.empty()) l->frames[l->open.back()].collapse = f.args[0].number != 0.0;
        } else if (f.name == "endLayout") {
            l->open.pop_back();
        } else if (f.name == "addControl") {
            const std::string name = canonical(f.args[0].text);
            if (!l->node->findAttr(name)) l->missing.push_back(name);
            size_t frame = l->open.empty() ? 0 : l->open.back();
            l->frames[frame].controls.push_back(name);
        } else if (f.name == "suppress") {
            const std::string name = canonical(f.args[0].text);
            if (!l->node->findAttr(name)) l->missing.push_back(name);
            l->suppressed.push_back(name);
        } else if (f.name == "addExtraControls") {
            l->extraControls = true;
        }
    }
    return Value::none();
}

// ---------------------------------------------------------------- showEditor

bool isRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

Value showEditor(Invocation& inv) {
    if (inv.args.size() != 1) inv.fail("expects one node");
    Node* node = inv.scene.findNode(inv.args[0].text);
    if (!node) inv.fail("no node named '" + clipInput(inv.args[0].text) + "'");
    Interpreter* interp = Interpreter::of(inv.scene);
    if (!interp) inv.fail("needs the command interpreter");
    EditorLayout& l = inv.scene.extension<EditorLayout>();
    if (l.active) inv.fail("an Attribute Editor template is already running");
    const std::string proc = "AE" + node->type->name + "Template";
    bool haveTemplate = interp->execute("exists " + proc + ";").text() == "1";
    for (const std::string& dir : interp->scriptPath)
        haveTemplate = haveTemplate || isRegularFile(dir + "/" + proc + ".mel");

    l = EditorLayout();
    l.frames.push_back({"", false, {}});
    l.node = node;
    if (haveTemplate) {
        l.active = true;
        try {
            interp->execute(proc + " \"" + node->name + "\";");
        } catch (...) {
            l = EditorLayout();
            throw;
        }
    } else {
        // No template: the host shows every attribute, as extra controls.
        l.extraControls = true;
    }
    EditorLayout done = l;
    l = EditorLayout();
    if (!done.open.empty())
        inv.scene.warn("showEditor: " + proc + " left the layout '" + frameLabel(done) + "' open");

    // What the template names, and what -addExtraControls adds: the node's own
    // attributes it did not name (a compound's children go with it).
    std::vector<std::string> named = done.suppressed;
    for (const Frame& f : done.frames) named.insert(named.end(), f.controls.begin(), f.controls.end());
    std::vector<std::string> extra;
    const NodeType* type = node->type;
    const size_t inherited =
        type->isDag && !type->isTransform && !type->attrs.empty() && type->attrs[0]->longName == "visibility"
            ? 1
            : 0;
    for (size_t i = inherited; i < type->attrs.size(); ++i) {
        const Attr* a = type->attrs[i];
        if (a->parent) continue;
        if (std::find(named.begin(), named.end(), a->longName) == named.end()) extra.push_back(a->longName);
    }

    std::ostringstream o;
    o << "{\"node\": " << json(node->name) << ", \"type\": " << json(type->name)
      << ", \"template\": " << (haveTemplate ? json(proc) : "null") << ", \"layout\": [";
    bool first = true;
    for (const Frame& f : done.frames) {
        if (f.label.empty() && f.controls.empty()) continue;
        o << (first ? "" : ", ") << "{\"frame\": " << json(f.label)
          << ", \"collapse\": " << (f.collapse ? "true" : "false")
          << ", \"controls\": " << jsonList(f.controls) << "}";
        first = false;
    }
    o << "], \"suppressed\": " << jsonList(done.suppressed) << ", \"missing\": " << jsonList(done.missing)
      << ", \"" << (done.extraControls ? "extra" : "hidden") << "\": " << jsonList(extra) << "}";
    return Value::string(o.str());
}

const Registrar regs[] = {
    Registrar{{"moduleInfo",
               {{"listModules", "lm", 0},
                {"moduleName", "mn", 1},
                {"path", "p", 0},
                {"version", "v", 0},
                {"definition", "d", 0}},
               moduleInfo,
               "moduleInfo -listModules | moduleInfo -moduleName NAME -path|-version|-definition  "
               "(the modules read from MAYA_MODULE_PATH when the program started)",
               "-listModules: the modules' names; else the module's folder, version or file"}},
    Registrar{{"editorTemplate",
               {{"beginScrollLayout", "bsl", 0},
                {"endScrollLayout", "esl", 0},
                {"beginLayout", "bl", 1},
                {"collapse", "cl", 1},
                {"endLayout", "el", 0},
                {"addControl", "ac", 1},
                {"label", "l", 1},
                {"annotation", "ann", 1},
                {"suppress", "s", 1},
                {"addSeparator", "as", 0},
                {"addExtraControls", "aec", 0},
                {"beginNoOptimize", "bno", 0},
                {"endNoOptimize", "eno", 0}},
               editorTemplate,
               "editorTemplate -beginScrollLayout | -beginLayout LABEL [-collapse B] | -addControl ATTR "
               "[-label L] | -suppress ATTR | -addSeparator | -addExtraControls | -endLayout | "
               "-endScrollLayout  (only inside an AE<nodeType>Template procedure run by showEditor)",
               "none"}},
    Registrar{{"showEditor",
               {},
               showEditor,
               "showEditor NODE  (runs AE<nodeType>Template from the script path with the node's name, "
               "as the host's Attribute Editor does, and reports the layout it describes)",
               "JSON: node, type, template (null without one), layout (frames in order: frame, "
               "collapse, controls), suppressed, missing (named attributes the node lacks), extra (the "
               "node's attributes the template does not name, which -addExtraControls shows; hidden "
               "without it)"}},
};

}  // namespace

}  // namespace rdhost::cmd
