// The rigdials program, callable in-process so tests can drive it:
//
//   rigdials [--plugin-path DIR]... [-c COMMANDS]... [FILE.mel|FILE.ma]...
//
// Runs the files in order (a .ma is opened as `file -open` does), then the -c
// texts, in one fresh scene. The plug-in path is the program's folder, then the
// --plugin-path folders, then MAYA_PLUG_IN_PATH. Returns the exit status:
// 0 when everything ran, 1 after any error (the first failing file or text
// stops the run), 2 for bad arguments.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace rdhost::cmd {

int runProgram(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const std::string& programDir);

// The --help text: options, then every command with its flags and result.
std::string helpText();

// The folder holding the running executable ("" when unknown).
std::string executableDir(const char* argv0);

}  // namespace rdhost::cmd
