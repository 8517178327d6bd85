// Any bytes as a Maya ASCII scene, read with rigDials loaded: no crash, hang
// or leak; damage is a HostError naming the file, never another exception.
// Commands a scene file may hold (file, playblast, requires...) run sandboxed.
#include "fuzz_support.h"

#include "command/ma_reader.h"
#include "command/interpreter.h"

#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rdfuzz::installSandbox();
    if (size > 16384) return -1;
    const std::string text(reinterpret_cast<const char*>(data), size);

    rdfuzz::FuzzScene fs;
    std::ostringstream out, err;
    rdhost::cmd::Interpreter interp(*fs.scene, out, err);
    try {
        rdhost::ma::readScene(*fs.scene, text, "fuzz.ma");
    } catch (const rdhost::HostError&) {
        return 0;
    } catch (const std::exception& e) {
        rdfuzz::fail(std::string("reading threw a non-host error: ") + e.what());
    }
    try {
        fs.scene->runIdle();
    } catch (const std::exception& e) {
        rdfuzz::fail(std::string("the idle step after reading threw: ") + e.what());
    }
    return 0;
}
