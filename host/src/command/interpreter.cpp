#include "command/interpreter.h"

#include "command/parser.h"
#include "graph/modules.h"
#include "graph/undo.h"

#include <sys/stat.h>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

namespace rdhost::cmd {

namespace {

// What undo calls a statement: its text without comments, blanks run
// together, no closing ';', clipped when long.
std::string stepName(const std::string& source) {
    std::string out;
    bool blank = false;
    for (std::size_t i = 0; i < source.size(); ++i) {
        const char c = source[i];
        if (c == '/' && i + 1 < source.size() && source[i + 1] == '/' && out.empty()) {
            while (i < source.size() && source[i] != '\n') ++i;
            continue;
        }
        if (c == '/' && i + 1 < source.size() && source[i + 1] == '*' && out.empty()) {
            const std::size_t end = source.find("*/", i + 2);
            i = end == std::string::npos ? source.size() : end + 1;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            blank = true;
            continue;
        }
        if (blank && !out.empty()) out += ' ';
        blank = false;
        out += c;
    }
    while (!out.empty() && (out.back() == ';' || out.back() == ' ')) out.pop_back();
    return clipInput(out);
}

// What the command module keeps on a Scene: the interpreter in charge.
struct CommandState : SceneExtension {
    Interpreter* interpreter = nullptr;
};

}  // namespace

Interpreter::Interpreter(Scene& scene, std::ostream& out, std::ostream& err)
    : scene_(scene), out_(out), err_(err), eval_(std::make_unique<Evaluator>(*this)) {
    if (const char* path = std::getenv("MAYA_SCRIPT_PATH")) scriptPath = splitSearchPath(path);
    for (const Module& m : scene.modules())
        for (const std::string& folder : m.scriptPath)
            if (std::find(scriptPath.begin(), scriptPath.end(), folder) == scriptPath.end())
                scriptPath.push_back(folder);
    savedHook_ = scene.executeHook();
    savedListHook_ = scene.executeListHook();
    savedSink_ = scene.warningSink();
    scene.extension<CommandState>().interpreter = this;
    scene.setExecuteHook([this](const std::string& text, std::string* result) {
        try {
            Value v = execute(text);
            if (result) *result = v.text();
            return true;
        } catch (const SyntaxError& e) {
            reportError(e.line, e.what());
        } catch (const HostError& e) {
            reportError(0, e.what());
        }
        return false;
    });
    scene.setExecuteListHook([this](const std::string& text, std::vector<std::string>* result) {
        try {
            Value v = execute(text);
            if (result) {
                result->clear();
                if (v.kind == Value::Kind::List) {
                    for (const Value& e : v.list) result->push_back(e.text());
                } else if (v.kind != Value::Kind::None) {
                    result->push_back(v.text());
                }
            }
            return true;
        } catch (const SyntaxError& e) {
            reportError(e.line, e.what());
        } catch (const HostError& e) {
            reportError(0, e.what());
        }
        return false;
    });
    scene.setWarningSink(
        [this](const std::string& message) { err_ << "// Warning: " << message << " //" << std::endl; });
}

Interpreter::~Interpreter() {
    scene_.setExecuteHook(savedHook_);
    scene_.setExecuteListHook(savedListHook_);
    scene_.setWarningSink(savedSink_);
    CommandState* state = scene_.findExtension<CommandState>();
    if (state && state->interpreter == this) state->interpreter = nullptr;
}

Interpreter* Interpreter::of(const Scene& scene) {
    const CommandState* state = scene.findExtension<CommandState>();
    return state ? state->interpreter : nullptr;
}

void Interpreter::reportError(int line, const std::string& message, const std::string& file, bool counted) {
    if (counted) ++errors_;
    err_ << "// Error: ";
    if (!file.empty()) err_ << "file: " << file << (line > 0 ? " " : ": ");
    if (line > 0) err_ << "line " << line << ": ";
    err_ << readableMessage(message) << " //" << std::endl;
}

Value Interpreter::runStatement(const Statement& st, bool topLevel, bool fileContext) {
    const CommandDef* def = findCommand(st.command);
    if (!def) {
        if (fileContext) {
            scene_.warn("line " + std::to_string(st.line) + ": unknown command '" + clipInput(st.command) +
                        "' skipped");
            return Value::none();
        }
        throw HostError("unknown command '" + clipInput(st.command) + "'");
    }
    if (beforeCommand) beforeCommand(st);
    try {
        Invocation inv{scene_, st.command, {}, {}, st.line, topLevel, fileContext, out_};
        bind(st, *def, inv);
        Value v = def->run(inv);
        if (afterCommand) afterCommand(st, nullptr);
        return v;
    } catch (const SyntaxError& e) {
        if (afterCommand) afterCommand(st, &e);
        throw;
    } catch (const HostError& e) {
        if (afterCommand) afterCommand(st, &e);
        // Errors raised by the scene itself name the thing but not the command.
        std::string m = e.what();
        if (m.rfind(def->name + ":", 0) == 0) throw;
        throw HostError(def->name + ": " + m);
    } catch (const std::exception& e) {
        // Anything else is a fault of the host; still report it as the command's error.
        HostError h(def->name + ": internal error: " + e.what());
        if (afterCommand) afterCommand(st, &h);
        throw h;
    }
}

Value Interpreter::execute(const std::string& text) {
    std::shared_ptr<Unit> unit = parseUnit(text, "", true);
    // Text the idle step runs counts towards its script's steps.
    if (!eval_->running() && !running_) eval_->resetSteps();
    struct Nested {
        int& n;
        explicit Nested(int& n) : n(n) { ++n; }
        ~Nested() { --n; }
    } nested(nested_);
    eval_->load(unit);
    Value raw;
    MelValue v = eval_->runText(*unit, &raw, "executed text");
    return raw.kind != Value::Kind::None ? raw : toCommand(v);
}

// One top-level statement: one command, one loop with everything it runs, one
// procedure call with everything the procedure runs. This is the unit a
// user undoes: the step starts and ends here.
void Interpreter::runTopLevel(const Unit& unit, const Stmt& st) {
    scene_.undoQueue().beginStep(stepName(st.source));
    std::string shown;
    bool hasShown = false;
    try {
        eval_->topLevel(unit, st, &shown, &hasShown);
    } catch (...) {
        failedStep_ = true;  // runUnit reports the error, then ends the step
        throw;
    }
    if (hasShown) out_ << "// Result: " << shown << " //" << std::endl;
    endStep();
}

void Interpreter::endStep() {
    failedStep_ = false;
    try {
        scene_.runIdle();
    } catch (...) {
        scene_.undoQueue().endStep();
        throw;
    }
    scene_.undoQueue().endStep();
}

void Interpreter::endFailedStep() {
    if (!failedStep_) return;
    // The idle step runs after a failed statement too, and what the statement
    // did before failing is one step to undo.
    try {
        endStep();
    } catch (const std::exception& e) {
        reportError(0, std::string("internal error: ") + e.what());
    }
}

bool Interpreter::runUnit(const std::shared_ptr<Unit>& unit) {
    eval_->resetSteps();
    struct Running {
        bool& r;
        explicit Running(bool& r) : r(r) { r = true; }
        ~Running() { r = false; }
    } running(running_);
    int line = 0;
    try {
        eval_->load(unit);
        for (const StmtPtr& st : unit->statements) {
            line = st->line;
            runTopLevel(*unit, *st);
        }
    } catch (const ScriptError& e) {
        const int at = e.line > 0 ? e.line : line;
        reportError(at, e.what(), e.file == unit->file ? "" : e.file);
        endFailedStep();
        return false;
    } catch (const HostError& e) {
        reportError(line, e.what());
        endFailedStep();
        return false;
    } catch (const std::exception& e) {
        reportError(line, std::string("internal error: ") + e.what());
        endFailedStep();
        return false;
    }
    return true;
}

bool Interpreter::run(const std::string& text) {
    std::shared_ptr<Unit> unit;
    try {
        unit = parseUnit(text);
    } catch (const SyntaxError& e) {
        reportError(e.line, e.what());
        return false;
    }
    return runUnit(unit);
}

bool Interpreter::runFile(const std::string& path) {
    struct stat info {};
    std::ifstream in;
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) in.open(path, std::ios::binary);
    if (!in.is_open()) {
        reportError(0, "cannot read script '" + path + "'");
        return false;
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) {
        reportError(0, "cannot read script '" + path + "'");
        return false;
    }
    std::shared_ptr<Unit> unit;
    try {
        unit = parseUnit(ss.str(), path);
    } catch (const SyntaxError& e) {
        reportError(e.line, e.what());
        return false;
    }
    return runUnit(unit);
}

}  // namespace rdhost::cmd
