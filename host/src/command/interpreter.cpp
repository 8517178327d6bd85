#include "command/interpreter.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <sys/stat.h>

namespace rdhost::cmd {

namespace {

// What the command module keeps on a Scene: the interpreter in charge.
struct CommandState : SceneExtension {
    Interpreter* interpreter = nullptr;
};

}  // namespace

Interpreter::Interpreter(Scene& scene, std::ostream& out, std::ostream& err)
    : scene_(scene), out_(out), err_(err) {
    savedHook_ = scene.executeHook;
    savedListHook_ = scene.executeListHook;
    savedSink_ = scene.warningSink;
    scene.extension<CommandState>().interpreter = this;
    scene.executeHook = [this](const std::string& text, std::string* result) {
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
    };
    scene.executeListHook = [this](const std::string& text, std::vector<std::string>* result) {
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
    };
    scene.warningSink = [this](const std::string& message) {
        err_ << "// Warning: " << message << " //" << std::endl;
    };
}

Interpreter::~Interpreter() {
    scene_.executeHook = savedHook_;
    scene_.executeListHook = savedListHook_;
    scene_.warningSink = savedSink_;
    CommandState* state = scene_.findExtension<CommandState>();
    if (state && state->interpreter == this) state->interpreter = nullptr;
}

Interpreter* Interpreter::of(const Scene& scene) {
    const CommandState* state = scene.findExtension<CommandState>();
    return state ? state->interpreter : nullptr;
}

void Interpreter::reportError(int line, const std::string& message) {
    ++errors_;
    err_ << "// Error: ";
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
    Invocation inv{scene_, st.command, {}, {}, st.line, topLevel, fileContext, out_};
    bind(st, *def, inv);
    struct Depth {
        int& d;
        explicit Depth(int& d) : d(d) { ++d; }
        ~Depth() { --d; }
    } depth(depth_);
    try {
        return def->run(inv);
    } catch (const SyntaxError&) {
        throw;
    } catch (const HostError& e) {
        // Errors raised by the scene itself name the thing but not the command.
        std::string m = e.what();
        if (m.rfind(def->name + ":", 0) == 0) throw;
        throw HostError(def->name + ": " + m);
    }
}

Value Interpreter::execute(const std::string& text) {
    std::vector<Statement> statements = parseScript(text);
    Value last;
    for (const Statement& st : statements) {
        try {
            last = runStatement(st, false);
        } catch (const SyntaxError&) {
            throw;
        } catch (const HostError& e) {
            // Nested text has its own line numbers; say where when there are several.
            if (statements.size() > 1)
                throw HostError(std::string(e.what()) + " (in executed text, line " +
                                std::to_string(st.line) + ")");
            throw;
        }
    }
    return last;
}

bool Interpreter::run(const std::string& text) {
    std::vector<Statement> statements;
    try {
        statements = parseScript(text);
    } catch (const SyntaxError& e) {
        reportError(e.line, e.what());
        return false;
    }
    for (const Statement& st : statements) {
        try {
            Value v = runStatement(st, depth_ == 0);
            if (v.kind != Value::Kind::None) out_ << "// Result: " << v.text() << " //" << std::endl;
            if (depth_ == 0) scene_.runIdle();
        } catch (const SyntaxError& e) {
            reportError(st.line, e.what());
            return false;
        } catch (const HostError& e) {
            reportError(st.line, e.what());
            return false;
        } catch (const std::exception& e) {
            // Anything else is a fault of the host; still report it as the command's error.
            reportError(st.line, st.command + ": internal error: " + e.what());
            return false;
        }
    }
    return true;
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
    return run(ss.str());
}

}  // namespace rdhost::cmd
