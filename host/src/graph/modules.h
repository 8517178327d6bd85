// Modules: the host's way of installing an add-on as one folder. Each file in
// a folder of MAYA_MODULE_PATH describes modules, one per "+" line:
//
//     + [MAYAVERSION:2024] [PLATFORM:linux|win64|mac] [LOCALE:en_US] NAME VERSION PATH
//     MAYA_PLUG_IN_PATH+:=plug-ins      (a variable; ":=" is relative to PATH)
//     scripts: ../shared/scripts        (a folder of the module moved elsewhere)
//
// A module adds its plug-ins/, scripts/ and icons/ folders (or the ones its
// lines name) to the host's plug-in, script and icon paths. PATH is relative
// to the file's folder unless absolute; "${NAME}" in a value or path is a
// variable set by an earlier line or the environment. A "-" line is a module
// switched off. Lines the host cannot use (unknown conditions or platforms,
// bad version fields, missing folders, variables that refer to themselves in
// a loop, text outside a module) are skipped with a warning naming the file
// and line; nothing in a module file stops the host.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace rdhost {

struct Module {
    std::string name, version;
    std::string path;        // the module's folder
    std::string definition;  // the file that described it
    std::vector<std::string> plugInPath, scriptPath, iconPath;
    // Other variables the module sets, NAME and value as expanded.
    std::vector<std::pair<std::string, std::string>> variables;
};

// What a module line's conditions are checked against.
struct ModuleHost {
    std::string platform = "linux";
    std::string version = "2024";  // MAYAVERSION
    std::string locale = "en_US";
};

// Reads every file in `folders`, in order (files by name, dot files skipped).
// The first module of a name wins; a later one of the same name is reported.
// `env` answers for variables no module line set (null: unset).
std::vector<Module> readModules(const std::vector<std::string>& folders, const ModuleHost& host,
                                const std::function<const char*(const std::string&)>& env,
                                const std::function<void(const std::string&)>& warn);

// "a:b::c" -> {"a", "b", "c"}.
std::vector<std::string> splitSearchPath(const std::string& list);

}  // namespace rdhost
