// Runs the rigdials program as a user would and collects what it printed.
#pragma once

#include <string>
#include <vector>

struct ProgramRun {
    int status = -1;      // exit status; -1 when it did not exit normally
    std::string out, err;
};

// Runs RIGDIALS_BIN_DIR/rigdials with the arguments in `dir` (a fresh temporary
// folder when empty), with extra environment settings "NAME=value".
ProgramRun runRigdials(const std::vector<std::string>& args, const std::string& dir = "",
                       const std::vector<std::string>& env = {});

// A fresh empty folder under the system's temporary folder.
std::string makeTempDir();
void writeFile(const std::string& path, const std::string& text);
std::string readFile(const std::string& path);
