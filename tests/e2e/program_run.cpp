#include "program_run.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdlib>

namespace {

std::string shellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

}  // namespace

ProgramRun runRigdials(const std::vector<std::string>& args, const std::string& dir,
                       const std::vector<std::string>& env) {
    const char* program = std::getenv("RIGDIALS_PROGRAM");
    return runProgram(program && *program ? program : std::string(RIGDIALS_BIN_DIR) + "/rigdials", args, dir,
                      env);
}

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& dirArg, const std::vector<std::string>& env) {
    std::string dir = dirArg.empty() ? makeTempDir() : dirArg;
    std::string cmd = "cd " + shellQuote(dir) + " && env";
    for (const auto& e : env) cmd += " " + shellQuote(e);
    cmd += " " + shellQuote(program);
    for (const auto& a : args) cmd += " " + shellQuote(a);
    cmd += " >.stdout 2>.stderr </dev/null";
    int raw = std::system(cmd.c_str());
    ProgramRun r;
    r.status = (raw != -1 && WIFEXITED(raw)) ? WEXITSTATUS(raw) : -1;
    r.out = readFile(dir + "/.stdout");
    r.err = readFile(dir + "/.stderr");
    return r;
}
