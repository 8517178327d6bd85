// Any bytes as a MEL script, run with rigDials loaded: no crash, hang or leak,
// and every command that fails (in a loop, a procedure, a catch...) leaves
// the scene as it found it. The script's own limits are small here, so a
// runaway loop, a deep recursion or a huge array ends quickly with its error.
#include "fuzz_support.h"

#include "command/interpreter.h"

#include <sstream>
#include <string>
#include <vector>

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
    interp.limits().maxSteps = 20000;
    interp.limits().maxCallDepth = 100;
    interp.limits().maxArraySize = 100000;
    interp.limits().maxStringSize = 100000;

    std::vector<rdfuzz::Snapshot> before;
    interp.beforeCommand = [&](const rdhost::cmd::Statement&) {
        before.push_back(rdfuzz::snapshot(*fs.scene));
    };
    interp.afterCommand = [&](const rdhost::cmd::Statement& st, const rdhost::HostError* failure) {
        rdfuzz::Snapshot was = std::move(before.back());
        before.pop_back();
        if (!failure || opensFile(st)) return;
        const rdfuzz::Snapshot now = rdfuzz::snapshot(*fs.scene);
        if (!(was == now))
            rdfuzz::fail("'" + st.command + "' failed (" + failure->what() +
                         ") but changed the scene: " + rdfuzz::describeDifference(was, now));
    };
    try {
        interp.run(text);
    } catch (const std::exception& e) {
        rdfuzz::fail(std::string("the interpreter let an exception out: ") + e.what());
    }
    return 0;
}
