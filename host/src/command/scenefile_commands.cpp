// The file command: naming, saving, opening and clearing the scene.
//
//   file -rename F            the scene's name (made absolute); F
//   file -save [F] [-type "mayaAscii"]
//                             writes Maya ASCII to the scene's name (or F, which
//                             becomes the name); F. The file is written to a
//                             fresh temporary beside it and renamed over it
//                             (output_file.h), so a failed save leaves the old
//                             file as it was.
//   file -open [-force] F     clears the scene and reads F (a regular file of at
//                             most kMaxSceneFileBytes); F. A damaged file
//                             keeps what was read before the damage, reports the
//                             rest as an error naming the line, and leaves the
//                             scene untitled so a plain save cannot overwrite the
//                             damaged file with the part that was read.
//   file -new [-force]        an empty scene
//   file -query -sceneName    the scene's name, "" when untitled
#include "command/ma_reader.h"
#include "command/ma_writer.h"
#include "command/output_file.h"
#include "command/registry.h"
#include "command/scenefile_state.h"

#include <filesystem>

namespace rdhost::ma {

FileState& fileState(Scene& scene) { return scene.extension<FileState>(); }

namespace {

namespace fsys = std::filesystem;

std::string absolute(const std::string& path) {
    std::error_code ec;
    fsys::path p = fsys::absolute(fsys::path(path), ec);
    return ec ? path : p.lexically_normal().string();
}

std::string baseName(const std::string& path) { return fsys::path(path).filename().string(); }

void checkAsciiName(const cmd::Invocation& inv, const std::string& path) {
    if (inv.has("type") && inv.flagText("type") != "mayaAscii")
        inv.fail("only -type \"mayaAscii\" can be written, not \"" + inv.flagText("type") + "\"");
    if (fsys::path(path).extension() == ".mb")
        inv.fail("'" + path + "' names a Maya binary file; this host writes Maya ASCII (.ma) only");
}

void writeFile(const cmd::Invocation& inv, const std::string& path, const std::string& text) {
    try {
        ReplacingFile out(path);
        out.write(text);
        out.commit();
    } catch (const HostError& e) {
        inv.fail(e.what());
    }
}

std::string readFile(const cmd::Invocation& inv, const std::string& path) {
    std::string text;
    try {
        text = readRegularFile(path, kMaxSceneFileBytes);
    } catch (const HostError& e) {
        inv.fail(e.what());
    }
    if (text.rfind("FOR4", 0) == 0 || text.rfind("FOR8", 0) == 0)
        inv.fail("'" + path + "' is a Maya binary file; this host reads Maya ASCII (.ma) only");
    if (text.find('\0') != std::string::npos) inv.fail("'" + path + "' is not a text file");
    return text;
}

cmd::Value fileCommand(cmd::Invocation& inv) {
    Scene& scene = inv.scene;
    FileState& fs = fileState(scene);
    int actions = 0;
    for (const char* a : {"rename", "save", "open", "new", "query"}) actions += inv.has(a) ? 1 : 0;
    if (actions != 1) inv.fail("give exactly one of -open, -save, -rename, -new or -query");

    if (inv.has("query")) {
        if (!inv.has("sceneName")) inv.fail("-query supports -sceneName only");
        return cmd::Value::string(fs.sceneName);
    }
    if (inv.has("rename")) {
        if (!inv.args.empty()) inv.fail("-rename takes the name as its argument only");
        std::string name = inv.flagText("rename");
        if (name.empty()) inv.fail("-rename needs a file name");
        fs.sceneName = absolute(name);
        return cmd::Value::string(fs.sceneName);
    }
    if (inv.has("new")) {
        if (!inv.args.empty()) inv.fail("-new takes no file name");
        FileActivityGuard newing(scene, FileActivity::Newing);
        clearScene(scene);
        return cmd::Value::none();
    }
    if (inv.has("save")) {
        if (inv.args.size() > 1) inv.fail("-save takes at most one file name");
        std::string path = inv.args.empty() ? fs.sceneName : absolute(inv.args[0].text);
        if (path.empty()) inv.fail("the scene has no name yet; give one with file -rename NAME.ma");
        checkAsciiName(inv, path);
        FileActivityGuard writing(scene, FileActivity::Writing);
        writeFile(inv, path, writeScene(scene, baseName(path)));
        fs.sceneName = path;
        return cmd::Value::string(path);
    }
    // -open
    if (inv.args.size() != 1) inv.fail("-open needs one file name");
    const std::string path = absolute(inv.args[0].text);
    const std::string text = readFile(inv, path);  // before anything is cleared
    FileActivityGuard opening(scene, FileActivity::Opening);
    clearScene(scene);
    try {
        readScene(scene, text, baseName(path));
    } catch (const HostError& e) {
        inv.fail(std::string(e.what()) + " (the rest of the file was not read)");
    }
    fs.sceneName = path;
    return cmd::Value::string(path);
}

const cmd::Registrar reg{{"file",
                          {{"rename", "rn", 1},
                           {"save", "s", 0},
                           {"open", "o", 0},
                           {"new", "new", 0},
                           {"force", "f", 0},
                           {"query", "q", 0},
                           {"sceneName", "sn", 0},
                           {"type", "typ", 1},
                           {"ignoreVersion", "iv", 0},
                           {"options", "op", 1}},
                          fileCommand,
                          "file -rename F | -save [F] [-type \"mayaAscii\"] | -open [-force] F | -new "
                          "[-force] | -query -sceneName",
                          "the file's path (-open, -save, -rename), the scene's name (-query -sceneName)"}};

}  // namespace

}  // namespace rdhost::ma
