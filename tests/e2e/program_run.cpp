#include "program_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

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

std::string makeTempDir() {
    std::string tmpl = (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    tmpl += "/rigdials-e2e-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    const char* d = mkdtemp(buf.data());
    if (!d) ADD_FAILURE() << "mkdtemp failed";
    return d ? d : "/tmp";
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream f(path, std::ios::binary);
    f << text;
    if (!f) ADD_FAILURE() << "cannot write " << path;
}

std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

ProgramRun runRigdials(const std::vector<std::string>& args, const std::string& dirArg,
                       const std::vector<std::string>& env) {
    std::string dir = dirArg.empty() ? makeTempDir() : dirArg;
    std::string cmd = "cd " + shellQuote(dir) + " && env";
    for (const auto& e : env) cmd += " " + shellQuote(e);
    cmd += " " + shellQuote(std::string(RIGDIALS_BIN_DIR) + "/rigdials");
    for (const auto& a : args) cmd += " " + shellQuote(a);
    cmd += " >.stdout 2>.stderr </dev/null";
    int raw = std::system(cmd.c_str());
    ProgramRun r;
    r.status = (raw != -1 && WIFEXITED(raw)) ? WEXITSTATUS(raw) : -1;
    r.out = readFile(dir + "/.stdout");
    r.err = readFile(dir + "/.stderr");
    return r;
}
