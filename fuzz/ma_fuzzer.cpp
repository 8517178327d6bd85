// Any bytes as a Maya ASCII scene, read with rigDials loaded: no crash, hang
// or leak; damage is a HostError naming the file, never another exception.
// A scene file is data: while it is read, no registered command runs other
// than the graph edits the reader hands on (parent, rename, disconnectAttr),
// and nothing is left queued for the idle step. Every command is watched for
// this; the sandbox stays in place should the check ever fail.
#include "fuzz_support.h"

#include "command/interpreter.h"
#include "command/ma_reader.h"
#include "command/registry.h"

#include <sstream>
#include <string>

namespace {

bool reading = false;

// Once per process: every command checks, before it runs, that no scene file
// is being read or that files may run it.
void watchCommands() {
    static bool done = false;
    if (done) return;
    done = true;
    for (const rdhost::cmd::CommandDef* original : rdhost::cmd::allCommands()) {
        rdhost::cmd::CommandDef def = *original;
        rdhost::cmd::Handler run = def.run;
        def.run = [run, name = def.name](rdhost::cmd::Invocation& inv) {
            if (reading && !rdhost::ma::runsFromSceneFiles(name))
                rdfuzz::fail("reading a scene file ran the command '" + name + "'");
            return run(inv);
        };
        rdhost::cmd::registerCommand(std::move(def));
    }
}

struct Reading {
    Reading() { reading = true; }
    ~Reading() { reading = false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rdfuzz::installSandbox();
    watchCommands();
    if (size > 16384) return -1;
    const std::string text(reinterpret_cast<const char*>(data), size);

    rdfuzz::FuzzScene fs;
    std::ostringstream out, err;
    rdhost::cmd::Interpreter interp(*fs.scene, out, err);
    try {
        Reading scope;
        rdhost::ma::readScene(*fs.scene, text, "fuzz.ma");
    } catch (const rdhost::HostError&) {
        return 0;
    } catch (const std::exception& e) {
        rdfuzz::fail(std::string("reading threw a non-host error: ") + e.what());
    }
    if (!fs.scene->deferredCommands().empty())
        rdfuzz::fail("reading a scene file queued '" + fs.scene->deferredCommands().front() +
                     "' for the idle step");
    try {
        fs.scene->runIdle();
    } catch (const std::exception& e) {
        rdfuzz::fail(std::string("the idle step after reading threw: ") + e.what());
    }
    return 0;
}
