// Any bytes as a MEL script, run with rigDials loaded: no crash, hang or leak,
// and a command that fails leaves the scene as it found it.
#include "fuzz_support.h"

#include "command/interpreter.h"
#include "command/parser.h"

#include <sstream>
#include <string>

namespace {

bool opensFile(const rdhost::cmd::Statement& st) {
    // A scene file that breaks off keeps what was read before the damage, as
    // the host does; that command is checked by the scene file target instead.
    if (st.command != "file") return false;
    for (const auto& item : st.items)
        if (item.isFlag && (item.flag == "open" || item.flag == "o")) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rdfuzz::installSandbox();
    if (size > 4096) return -1;  // long scripts only repeat what short ones reach
    const std::string text(reinterpret_cast<const char*>(data), size);

    rdfuzz::FuzzScene fs;
    std::ostringstream out, err;
    rdhost::cmd::Interpreter interp(*fs.scene, out, err);

    std::vector<rdhost::cmd::Statement> statements;
    try {
        statements = rdhost::cmd::parseScript(text);
    } catch (const rdhost::HostError&) {
        return 0;  // a syntax error runs nothing
    }
    for (const auto& st : statements) {
        const rdfuzz::Snapshot before = rdfuzz::snapshot(*fs.scene);
        try {
            interp.runStatement(st, true);
        } catch (const rdhost::HostError& e) {
            if (opensFile(st)) return 0;
            const rdfuzz::Snapshot after = rdfuzz::snapshot(*fs.scene);
            if (!(before == after))
                rdfuzz::fail("'" + st.command + "' failed (" + e.what() +
                             ") but changed the scene: " + rdfuzz::describeDifference(before, after));
            return 0;  // the first error stops the script
        } catch (const std::exception& e) {
            rdfuzz::fail("'" + st.command + "' threw a non-host error: " + e.what());
        }
        try {
            fs.scene->runIdle();
        } catch (const std::exception& e) {
            rdfuzz::fail(std::string("the idle step after '") + st.command + "' threw: " + e.what());
        }
    }
    return 0;
}
