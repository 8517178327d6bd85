#include "command/program.h"

#include "command/interpreter.h"
#include "command/registry.h"

#include <cstdlib>
#include <ostream>
#include <sstream>
#include <unistd.h>

namespace rdhost::cmd {

namespace {

bool endsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() &&
           s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string quoted(const std::string& s) {
    std::string q = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') q += '\\';
        if (c == '\n') {
            q += "\\n";
            continue;
        }
        q += c;
    }
    return q + "\"";
}

std::string dirOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Word-wraps text to 79 columns with a hanging indent.
std::string wrapped(const std::string& text, const std::string& indent) {
    std::istringstream words(text);
    std::string word, line = indent, out;
    while (words >> word) {
        if (line.size() > indent.size() && line.size() + 1 + word.size() > 79) {
            out += line + "\n";
            line = indent + "    ";
        }
        if (line.size() > indent.size() && line.back() != ' ') line += ' ';
        line += word;
    }
    return out + line + "\n";
}

const char* kUsage =
    "usage: rigdials [--plugin-path DIR]... [-c COMMANDS]... [FILE.mel|FILE.ma]...\n";

}  // namespace

std::string executableDir(const char* argv0) {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n > 0) {
        buf[n] = '\0';
        return dirOf(buf);
    }
    return argv0 ? dirOf(argv0) : "";
}

std::string helpText() {
    std::ostringstream h;
    h << kUsage
      << "\n"
         "Runs MEL-style scripts and Maya ASCII scene files in one scene with the\n"
         "rigDials plug-in's host, then the -c commands. Files run in the order given;\n"
         "a .ma file is opened as `file -open` would. The first error stops the run.\n"
         "\n"
         "Options:\n"
         "  --plugin-path DIR  add DIR to the folders searched by loadPlugin NAME\n"
         "                     (searched after the program's own folder; the folders of\n"
         "                     MAYA_PLUG_IN_PATH, ':'-separated, come last)\n"
         "  -c COMMANDS        run COMMANDS (MEL text) after the files\n"
         "  -h, --help         show this text\n"
         "\n"
         "Scripts: statements end with ';'; strings in double quotes with \\\" \\\\ \\n \\t;\n"
         "numbers, yes/no/on/off/true/false; flags by long or short name (-name, -n);\n"
         "// and /* */ comments. Angles are in degrees, distances in centimetres.\n"
         "A top-level command's result prints as `// Result: VALUE //` (numbers in the\n"
         "shortest form that reads back the same, booleans and enums as integers).\n"
         "Errors print `// Error: line N: MESSAGE //` on stderr and leave the scene as\n"
         "it was; warnings print `// Warning: MESSAGE //`.\n"
         "\n"
         "Attributes: a node has the attributes its type inherits from the host first\n"
         "(a DAG node's \"visibility\"; a transform's translate, rotate, scale, ...),\n"
         "then its type's own in the order the type adds them. listAttr lists them in\n"
         "that order and attributeQuery answers for inherited ones too.\n"
         "\n"
         "Exit status: 0 on success, 1 after any error, 2 for bad arguments.\n"
         "\n"
         "Commands:\n";
    for (const CommandDef* c : allCommands()) {
        h << "\n  " << c->name << "\n";
        if (!c->usage.empty()) h << wrapped(c->usage, "      ");
        if (!c->flags.empty()) {
            std::string flags = "flags (argument count in parentheses):";
            for (const FlagSpec& f : c->flags) {
                flags += " -" + f.longName;
                if (!f.shortName.empty() && f.shortName != f.longName) flags += "/-" + f.shortName;
                if (f.argCount > 0) flags += "(" + std::to_string(f.argCount) + ")";
            }
            h << wrapped(flags, "      ");
        }
        if (!c->result.empty()) h << wrapped("result: " + c->result, "      ");
    }
    return h.str();
}

int runProgram(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const std::string& programDir) {
    std::vector<std::string> pluginDirs, files, texts;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-h" || a == "--help") {
            out << helpText();
            return 0;
        }
        if (a == "--plugin-path" || a == "-c") {
            if (i + 1 >= args.size()) {
                err << "rigdials: " << a << " needs a value\n" << kUsage;
                return 2;
            }
            (a == "-c" ? texts : pluginDirs).push_back(args[++i]);
            continue;
        }
        if (a.rfind("--plugin-path=", 0) == 0) {
            pluginDirs.push_back(a.substr(14));
            continue;
        }
        if (a.size() > 1 && a[0] == '-') {
            err << "rigdials: unknown option '" << a << "'\n" << kUsage;
            return 2;
        }
        if (!endsWith(a, ".mel") && !endsWith(a, ".ma")) {
            err << "rigdials: '" << a << "' is neither a .mel script nor a .ma scene\n" << kUsage;
            return 2;
        }
        files.push_back(a);
    }
    if (files.empty() && texts.empty()) {
        err << "rigdials: nothing to run\n" << kUsage << "(rigdials --help describes everything)\n";
        return 2;
    }

    Scene scene;
    Scene* previous = Scene::current();
    Scene::setCurrent(&scene);
    // The scene starts with MAYA_PLUG_IN_PATH's folders; the program's own
    // folder and --plugin-path go ahead of them (loadPlugin skips repeats).
    std::vector<std::string> path;
    if (!programDir.empty()) path.push_back(programDir);
    path.insert(path.end(), pluginDirs.begin(), pluginDirs.end());
    path.insert(path.end(), scene.pluginPath.begin(), scene.pluginPath.end());
    scene.pluginPath = std::move(path);

    bool ok = true;
    {
        Interpreter interp(scene, out, err);
        for (const auto& f : files) {
            if (endsWith(f, ".ma"))
                ok = interp.run("file -open " + quoted(f) + ";");
            else
                ok = interp.runFile(f);
            if (!ok) break;
        }
        for (size_t i = 0; ok && i < texts.size(); ++i) ok = interp.run(texts[i]);
        ok = ok && interp.errorCount() == 0;
    }
    Scene::setCurrent(previous);
    out.flush();
    err.flush();
    return ok ? 0 : 1;
}

}  // namespace rdhost::cmd
