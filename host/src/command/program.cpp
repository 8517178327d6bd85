#include "command/program.h"

#include "command/builtins.h"
#include "command/interpreter.h"
#include "command/registry.h"

#include <unistd.h>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <ostream>
#include <sstream>

namespace rdhost::cmd {

namespace {

bool endsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
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
    "usage: rigdials [--plugin-path DIR]... [--step-limit N] [-c COMMANDS]... [FILE.mel|FILE.ma]...\n";

// With nobody at a terminal to stop it, a script that never ends would hold
// a pipeline or a build forever; at a terminal, Ctrl-C does.
constexpr long long kDefaultStepLimit = 10'000'000;

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
         "  --step-limit N     stop a script (each file and -c text) after it ran N\n"
         "                     statements, with an error; 0 never stops one. Default:\n"
         "                     10000000, or 0 when stdin is a terminal (Ctrl-C stops it)\n"
         "  -c COMMANDS        run COMMANDS (MEL text) after the files\n"
         "  -h, --help         show this text\n"
         "\n"
         "Scripts are MEL: commands (setAttr loc1.tx 2; or setAttr(\"loc1.tx\", 2)),\n"
         "variables ($name) of types int, float, string, vector and their arrays,\n"
         "expressions, if/else, for, for-in, while, do-while, switch, proc and global\n"
         "proc, global variables, `command` results, catch, eval, and source (which\n"
         "looks on MAYA_SCRIPT_PATH). docs/commands.md describes the language.\n"
         "Statements end with ';'; strings in double quotes with \\\" \\\\ \\n \\t;\n"
         "// and /* */ comments. Angles are in degrees, distances in centimetres.\n"
         "A top-level command's result prints as `// Result: VALUE //` (numbers in the\n"
         "shortest form that reads back the same, booleans and enums as integers), as\n"
         "does a top-level procedure call or expression (not an assignment).\n"
         "Errors print `// Error: line N: MESSAGE //` on stderr and leave the scene as\n"
         "it was before the failing command; warnings print `// Warning: MESSAGE //`.\n"
         "Procedures nest at most 1000 deep; arrays hold at most 10000000 elements and\n"
         "strings at most 10000000 characters.\n"
         "\n"
         "Attributes: a node has the attributes its type inherits from the host first\n"
         "(a DAG node's \"visibility\"; a transform's translate, rotate, scale, ...),\n"
         "then its type's own in the order the type adds them. listAttr lists them in\n"
         "that order and attributeQuery answers for inherited ones too.\n"
         "\n"
         "Exit status: 0 on success, 1 after any error, 2 for bad arguments.\n"
         "\n"
         "Built-in functions:\n";
    for (const Builtin& b : allBuiltins()) h << "  " << b.synopsis << "\n";
    h << "  catch(EXPR), catchQuiet(EXPR): 1 after an error in EXPR (the script goes on)\n"
         "  eval(TEXT): runs TEXT at the top level; its last statement's value\n"
         "  source FILE.mel: runs a script; exists(NAME): 1 for a procedure or command\n"
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
    long long stepLimit = ::isatty(0) ? 0 : kDefaultStepLimit;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-h" || a == "--help") {
            out << helpText();
            return 0;
        }
        if (a == "--step-limit" || a.rfind("--step-limit=", 0) == 0) {
            std::string v;
            if (a == "--step-limit") {
                if (i + 1 >= args.size()) {
                    err << "rigdials: --step-limit needs a value\n" << kUsage;
                    return 2;
                }
                v = args[++i];
            } else {
                v = a.substr(13);
            }
            char* end = nullptr;
            errno = 0;
            long long n = v.empty() || !std::isdigit(static_cast<unsigned char>(v[0]))
                              ? -1
                              : std::strtoll(v.c_str(), &end, 10);
            if (n < 0 || errno != 0 || *end != '\0') {
                err << "rigdials: --step-limit takes a whole number of statements (0: no limit), not '" << v
                    << "'\n"
                    << kUsage;
                return 2;
            }
            stepLimit = n;
            continue;
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
    path.insert(path.end(), scene.pluginPath().begin(), scene.pluginPath().end());
    scene.setPluginPath(std::move(path));

    bool ok = true;
    {
        Interpreter interp(scene, out, err);
        interp.limits().maxSteps = stepLimit;
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
