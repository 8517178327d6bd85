// The MEL interpreter of the host.
//
// An Interpreter is attached to one Scene for its lifetime: it sets the scene's
// executeHook and executeListHook (so MGlobal::executeCommand and the evalDeferred queue run text
// through it) and its warningSink (warnings go to the interpreter's error
// stream), and restores both when destroyed.
//
// run() is the top level: it parses the whole text first (a syntax error runs
// nothing), then runs each statement; after each one it prints a non-empty
// result as "// Result: VALUE //" on the output stream and runs the scene's idle
// step. The first error prints "// Error: line N: MESSAGE //" on the error
// stream and stops the text. A failing command has changed nothing.
//
// execute() is the nested form (a command run from inside another command or a
// compute): no result printing, no idle step, errors thrown to the caller.
#pragma once

#include "command/parser.h"
#include "command/registry.h"

#include <iosfwd>
#include <string>

namespace rdhost::cmd {

class Interpreter {
public:
    Interpreter(Scene& scene, std::ostream& out, std::ostream& err);
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // The interpreter attached to the scene, or nullptr.
    static Interpreter* of(const Scene& scene);

    Scene& scene() { return scene_; }
    std::ostream& out() { return out_; }
    std::ostream& err() { return err_; }

    // Top level. Returns false when a statement failed (the error is printed).
    bool run(const std::string& text);
    // Runs a .mel file; a missing or unreadable file is an error naming it.
    bool runFile(const std::string& path);

    // Nested. Throws HostError (SyntaxError for bad text).
    Value execute(const std::string& text);

    // One parsed statement. fileContext: the statement comes from a scene file
    // (commands may be lenient there, see Invocation::fileContext); an unknown
    // command then is a warning and is skipped instead of an error.
    Value runStatement(const Statement& st, bool topLevel, bool fileContext = false);

    // Prints "// Error: line N: MESSAGE //" (line omitted when 0) and counts it.
    void reportError(int line, const std::string& message);
    // Errors reported so far, including those of nested commands that the caller
    // only saw as a failed status.
    int errorCount() const { return errors_; }

private:
    Scene& scene_;
    std::ostream& out_;
    std::ostream& err_;
    int errors_ = 0;
    int depth_ = 0;  // nesting of statements being run
    std::function<bool(const std::string&, std::string*)> savedHook_;
    std::function<bool(const std::string&, std::vector<std::string>*)> savedListHook_;
    std::function<void(const std::string&)> savedSink_;
};

}  // namespace rdhost::cmd
