// The MEL interpreter of the host.
//
// An Interpreter is attached to one Scene for its lifetime: it sets the scene's
// executeHook and executeListHook (so MGlobal::executeCommand and the evalDeferred queue run text
// through it) and its warningSink (warnings go to the interpreter's error
// stream), and restores both when destroyed.
//
// run() is the top level: it parses the whole text first (a syntax error runs
// nothing), defines the text's procedures, then runs each top-level statement
// (runTopLevel: one command, one loop, one procedure call...). After each one
// it prints the result of a call or expression as "// Result: VALUE //" on
// the output stream and runs the scene's idle step; each statement is one
// step of the scene's undo queue. The first error prints
// "// Error: line N: MESSAGE //" on the error stream, runs the idle step,
// and stops the text. A
// failing command has changed nothing; the commands before it in the same
// statement (earlier turns of a loop) stay done.
//
// execute() is the nested form (a command run from inside another command or a
// compute): no result printing, no idle step, errors thrown to the caller.
//
// The language itself (variables, procedures, control flow) is the
// Evaluator's; see evaluator.h. Variables and procedures live as long as the
// interpreter: every script and -c text of one run shares them.
#pragma once

#include "command/evaluator.h"
#include "command/registry.h"
#include "command/statement.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

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
    // True while execute() runs (commands it runs are not top-level ones).
    bool nested() const { return nested_ > 0; }

    // One command whose arguments are known. fileContext: the statement comes
    // from a scene file (commands may be lenient there, see
    // Invocation::fileContext); an unknown command then is a warning and is
    // skipped instead of an error.
    Value runStatement(const Statement& st, bool topLevel, bool fileContext = false);

    // Prints "// Error: line N: MESSAGE //" (line omitted when 0; "file: F line
    // N" for a line of another script than the one run) and, when counted,
    // counts it.
    void reportError(int line, const std::string& message, const std::string& file = "", bool counted = true);
    // Errors reported so far, including those of nested commands that the caller
    // only saw as a failed status; not those a catch stopped.
    int errorCount() const { return errors_; }

    // Limits of scripts; maxSteps 0 (the default) lets a script run forever.
    Limits& limits() { return eval_->limits; }
    // Folders `source NAME` and calls of unknown procedures look in for NAME.mel,
    // in order (MAYA_SCRIPT_PATH's at first, then the modules' scripts folders).
    std::vector<std::string> scriptPath;

    // Called around every command a script runs, nested ones included (a
    // fuzzer checks with them that a failing command changed nothing).
    // afterCommand gets the error when the command failed, else nullptr.
    std::function<void(const Statement&)> beforeCommand;
    std::function<void(const Statement&, const HostError*)> afterCommand;

private:
    bool runUnit(const std::shared_ptr<Unit>& unit);
    void runTopLevel(const Unit& unit, const Stmt& st);
    void endStep();        // the idle step, then the undo step's end
    void endFailedStep();  // the same after a failed statement, once its error is out

    Scene& scene_;
    std::ostream& out_;
    std::ostream& err_;
    int errors_ = 0;
    int nested_ = 0;           // execute() calls under way
    bool running_ = false;     // a top-level text is running (its idle step included)
    bool failedStep_ = false;  // a statement failed; its step is still open
    std::unique_ptr<Evaluator> eval_;
    Scene::ExecuteHook savedHook_;
    Scene::ExecuteListHook savedListHook_;
    Scene::MessageSink savedSink_;
};

}  // namespace rdhost::cmd
