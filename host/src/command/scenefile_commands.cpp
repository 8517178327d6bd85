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
#include "command/ma_format.h"
#include "command/ma_reader.h"
#include "command/ma_writer.h"
#include "command/output_file.h"
#include "command/registry.h"
#include "command/scenefile_state.h"

#include <cctype>

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
    for (const char* a : {"rename", "save", "open", "new", "query", "import", "reference"})
        actions += inv.has(a) ? 1 : 0;
    if (actions != 1)
        inv.fail("give exactly one of -open, -save, -rename, -new, -import, -reference or -query");
    if ((inv.has("renamingPrefix") || inv.has("renameAll")) && !inv.has("import"))
        inv.fail("-renamingPrefix and -renameAll go with -import");
    if (inv.has("namespace") && !inv.has("import") && !inv.has("reference"))
        inv.fail("-namespace goes with -import or -reference");

    if (inv.has("import")) {
        if (inv.args.size() != 1) inv.fail("-import needs one file name");
        const std::string path = absolute(inv.args[0].text);
        const std::string text = readFile(inv, path);
        ImportOptions options;
        options.prefix = fsys::path(path).stem().string();
        if (inv.has("renamingPrefix")) options.prefix = inv.flagText("renamingPrefix");
        if (inv.has("namespace"))
            inv.fail("-namespace: node names here have no namespaces; use -renamingPrefix P (P_ctrl)");
        options.renameAll = inv.has("renameAll") && inv.flagNumber("renameAll") != 0.0;
        bool good = !options.prefix.empty() && !std::isdigit(static_cast<unsigned char>(options.prefix[0]));
        for (char c : options.prefix)
            good = good && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
        if (!good)
            inv.fail("-renamingPrefix '" + clipInput(options.prefix) +
                     "' cannot begin node names (letters, digits and _, not a digit first)");
        // A file that cannot be read whole is not half imported: what it
        // added goes again.
        const std::vector<Node*> before = scene.nodes();
        const FileState kept = fs;
        FileActivityGuard opening(scene, FileActivity::Opening);
        try {
            readScene(scene, text, baseName(path), &options);
        } catch (const HostError& e) {
            while (scene.nodes().size() > before.size()) scene.deleteNode(scene.nodes().back());
            fs = kept;
            inv.fail(std::string(e.what()) + " (nothing was imported)");
        }
        return cmd::Value::string(path);
    }
    if (inv.has("reference")) {
        // Kept as the statements the host writes for a reference, for the
        // next save; the file's nodes are not loaded here.
        if (inv.args.size() != 1) inv.fail("-reference needs one file name");
        const std::string path = absolute(inv.args[0].text);
        readFile(inv, path);  // it must be a scene file this host could read
        std::string ns = inv.has("namespace") ? inv.flagText("namespace") : fsys::path(path).stem().string();
        for (char& c : ns)
            if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) c = '_';
        if (ns.empty() || std::isdigit(static_cast<unsigned char>(ns[0]))) ns = "_" + ns;
        auto taken = [&](const std::string& n) {
            for (const std::string& line : fs.header)
                if (line.find("-ns " + quote(n) + " ") != std::string::npos) return true;
            return false;
        };
        std::string chosen = ns;
        for (int i = 1; taken(chosen); ++i) chosen = ns + std::to_string(i);
        const std::string rfn = quote(chosen + "RN");
        fs.header.push_back("file -rdi 1 -ns " + quote(chosen) + " -rfn " + rfn + " -typ \"mayaAscii\" " +
                            quote(path) + ";");
        fs.header.push_back("file -r -ns " + quote(chosen) + " -dr 1 -rfn " + rfn + " -typ \"mayaAscii\" " +
                            quote(path) + ";");
        scene.warn("file: '" + baseName(path) + "' is referenced as '" + chosen +
                   "': the reference is saved with the scene; its nodes are not loaded here");
        return cmd::Value::string(path);
    }

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

const cmd::Registrar reg{
    {"file",
     {{"rename", "rn", 1},
      {"save", "s", 0},
      {"open", "o", 0},
      {"new", "new", 0},
      {"force", "f", 0},
      {"query", "q", 0},
      {"sceneName", "sn", 0},
      {"type", "typ", 1},
      {"ignoreVersion", "iv", 0},
      {"options", "op", 1},
      {"import", "i", 0},
      {"reference", "r", 0},
      {"namespace", "ns", 1},
      {"renamingPrefix", "rpr", 1},
      {"renameAll", "ra", 1},
      {"preserveReferences", "pr", 0},
      {"mergeNamespacesOnClash", "mnc", 1}},
     fileCommand,
     "file -rename F | -save [F] [-type \"mayaAscii\"] | -open [-force] F | -new "
     "[-force] | -import [-renamingPrefix P] [-renameAll B] F | -reference "
     "[-namespace NS] F | -query -sceneName  (-import: a name the scene has gets the "
     "prefix, the file's name by default: face_ctrl; -reference: kept and saved, not loaded)",
     "the file's path (-open, -save, -rename, -import, -reference), the scene's name "
     "(-query -sceneName)"}};

}  // namespace

}  // namespace rdhost::ma
