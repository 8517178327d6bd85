// Runs the rigdials program as a user would and collects what it printed.
#pragma once

#include "files.h"

#include <string>
#include <vector>

struct ProgramRun {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out, err;
};

// Runs RIGDIALS_BIN_DIR/rigdials (or the program RIGDIALS_PROGRAM names, such
// as an installed one) with the arguments in `dir` (a fresh temporary folder
// when empty), with extra environment settings "NAME=value".
ProgramRun runRigdials(const std::vector<std::string>& args, const std::string& dir = "",
                       const std::vector<std::string>& env = {});
// The same with any program.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& dir = "", const std::vector<std::string>& env = {});

// A fresh empty folder under the system's temporary folder (left in place).
inline std::string makeTempDir() { return rdtest::makeTempDir("rigdials-e2e"); }
using rdtest::readFile;
using rdtest::writeFile;
