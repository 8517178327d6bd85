// rigdials: runs MEL-style scripts and Maya ASCII scenes through the stand-in
// host with the rigDials plug-in. Everything but argument handling lives in the
// host library (command/program.h) so tests can run it in-process.
#include "command/program.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return rdhost::cmd::runProgram(args, std::cout, std::cerr, rdhost::cmd::executableDir(argv[0]));
}
