// Module files read as the host reads them: one table of files, the modules
// they give and the warnings they cause.
#include "files.h"

#include "graph/modules.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <map>

namespace {

struct ModuleCase {
    const char* what;
    std::vector<std::pair<std::string, std::string>> files;  // "folder/name" -> text, under the root
    std::vector<std::string> folders;                        // made under the root first
    std::vector<std::string> modulePath;                     // folders read, under the root
    // "NAME VERSION PATH | plug: ... | scripts: ... | icons: ... | VAR=value ...", paths under the root as @
    std::vector<std::string> modules;
    std::vector<std::string> warnings;  // each warning holds its part, in order
};

const std::vector<std::string> kModuleFolders = {"m", "m/plug-ins", "m/scripts", "m/icons"};

std::string describe(const rdhost::Module& m, const std::string& root) {
    auto rel = [&](std::string p) {
        if (p.rfind(root, 0) == 0) p = "@" + p.substr(root.size());
        return p;
    };
    std::string s = m.name + " " + m.version + " " + rel(m.path);
    auto list = [&](const char* label, const std::vector<std::string>& v) {
        s += std::string(" | ") + label + ":";
        for (const auto& f : v) s += " " + rel(f);
    };
    list("plug", m.plugInPath);
    list("scripts", m.scriptPath);
    list("icons", m.iconPath);
    for (const auto& v : m.variables) s += " | " + v.first + "=" + rel(v.second);
    return s;
}

const std::string kStd = " | plug: @/m/plug-ins | scripts: @/m/scripts | icons: @/m/icons";

TEST(Modules, ReadAsTheHostReadsThem) {
    const std::vector<ModuleCase> cases = {
        {"the shipped file: one line per platform, this one's read",
         {{"m/rigDials.mod",
           "+ PLATFORM:linux rigDials 3.0 .\nMAYA_PLUG_IN_PATH+:=plug-ins\nMAYA_SCRIPT_PATH+:=scripts\n"
           "XBMLANGPATH+:=icons/%B\n\n+ PLATFORM:win64 rigDials 3.0 .\nMAYA_PLUG_IN_PATH+:=plug-ins\n"
           "+ PLATFORM:mac rigDials 3.0 .\nXBMLANGPATH+:=icons\n"}},
         kModuleFolders,
         {"m"},
         {"rigDials 3.0 @/m" + kStd},
         {}},
        {"a path relative to the file, the standard folders without variable lines",
         {{"mods/a.mod", "# comment\n+ a 1.10.1.x ../m\n"}},
         kModuleFolders,
         {"mods"},
         {"a 1.10.1.x @/m" + kStd},
         {}},
        {"conditions for another host are skipped quietly; a switched-off module too",
         {{"mods/a.mod",
           "+ MAYAVERSION:2019 a 1.0 ../m\n+ LOCALE:ja_JP a 1.0 ../m\n- b 1.0 "
           "../m\nMAYA_SCRIPT_PATH+:=nowhere\n"
           "+ MAYAVERSION:2024 PLATFORM:linux LOCALE:en_US c 2.0 ../m\n"}},
         kModuleFolders,
         {"mods"},
         {"c 2.0 @/m" + kStd},
         {}},
        {"unknown platforms and conditions, bad version fields, short lines, missing folders",
         {{"mods/a.mod",
           "+ PLATFORM:amiga a 1.0 ../m\n+ FLAVOUR:x a 1.0 ../m\n+ a 3,0 ../m\n+ a 1.0\n+ a 1.0 ../nowhere\n"
           "+ a 1.0 ../m\n"}},
         kModuleFolders,
         {"mods"},
         {"a 1.0 @/m" + kStd},
         {"a.mod line 1: unknown platform 'amiga'", "a.mod line 2: unknown condition 'FLAVOUR:x'",
          "a.mod line 3: module a: bad version '3,0'", "a.mod line 4: a module line is",
          "a.mod line 5: module a 1.0: folder '@/mods/../nowhere' does not exist"}},
        {"variables: relative, appended, from the environment, in the module path",
         {{"mods/a.mod",
           "+ a 1.0 ${RD_TEST_BASE}/m\nROOT:=\nMAYA_SCRIPT_PATH+=${ROOT}/extra\nLIST=one\nLIST+=two\n"
           "HOME_ICONS:=icons\n"}},
         {"m", "m/extra"},
         {"mods"},
         {"a 1.0 @/m | plug: | scripts: @/m/extra | icons: | ROOT=@/m | LIST=one:two | HOME_ICONS=@/m/icons"},
         {}},
        {"variables that refer to each other in a loop are skipped, the rest is read",
         {{"mods/a.mod", "+ a 1.0 ../m\nA=${B}/x\nB=${A}/y\nC=${C}\nD=ok\n"}},
         {"m"},
         {"mods"},
         {"a 1.0 @/m | plug: | scripts: | icons: | A=/x | D=ok"},
         {"a.mod line 3: variables refer to each other in a loop (B -> A -> B)",
          "a.mod line 4: variables refer to each other in a loop (C -> C)"}},
        {"Windows line ends are read as plain ones, with a warning",
         {{"m/a.mod", "+ a 1.0 .\r\nMAYA_SCRIPT_PATH+:=scripts\r\n"}},
         kModuleFolders,
         {"m"},
         {"a 1.0 @/m" + kStd},
         {"a.mod: has Windows line ends"}},
        {"stray text, unreadable lines and missing folders in variables",
         {{"mods/a.mod", "hello\n+ a 1.0 ../m\nwhat is this\nMAYA_PLUG_IN_PATH+:=bin\nscripts: ../none\n"},
          {"mods/notes.txt", "not a module file\n"}},
         kModuleFolders,
         {"mods"},
         {"a 1.0 @/m" + kStd},
         {"a.mod line 1: 'hello' is not inside a module", "a.mod line 3: cannot read 'what is this'",
          "a.mod line 4: MAYA_PLUG_IN_PATH: folder '@/m/bin' does not exist",
          "a.mod line 5: scripts: folder '@/m/../none' does not exist"}},
        {"the first module of a name wins, on the path's order",
         {{"one/a.mod", "+ a 1.0 ../m\n"}, {"two/a.mod", "+ a 2.0 ../m\n"}},
         kModuleFolders,
         {"two", "one", "two"},
         {"a 2.0 @/m" + kStd},
         {"one/a.mod line 1: module a 1.0 is already defined by @/two/a.mod (version 2.0)"}},
        {"folders moved elsewhere, [r] with the folders below but hidden ones",
         {{"mods/a.mod", "+ a 1.0 ../m\n[r] scripts: ../shared\nicons: ../shared/pics\n"}},
         {"m", "m/plug-ins", "m/scripts", "shared", "shared/pics", "shared/pics/sub", "shared/.git"},
         {"mods"},
         {"a 1.0 @/m | plug: @/m/plug-ins | scripts: @/shared @/shared/pics @/shared/pics/sub | icons: "
          "@/shared/pics"},
         {}},
    };
    ::setenv("RD_TEST_BASE", "..", 1);
    for (const ModuleCase& c : cases) {
        SCOPED_TRACE(c.what);
        rdtest::TempDir dir("rigdials-modules");
        char buf[PATH_MAX];
        ASSERT_NE(::realpath(dir.path().c_str(), buf), nullptr);
        const std::string root = buf;
        for (const auto& f : c.folders) std::filesystem::create_directories(root + "/" + f);
        for (const auto& [name, text] : c.files) {
            std::filesystem::create_directories(root + "/" + name.substr(0, name.rfind('/')));
            rdtest::writeFile(root + "/" + name, text);
        }
        std::vector<std::string> folders;
        for (const auto& f : c.modulePath) folders.push_back(root + "/" + f);
        std::vector<std::string> warnings;
        auto env = [](const std::string& name) { return std::getenv(name.c_str()); };
        std::vector<rdhost::Module> got = rdhost::readModules(
            folders, rdhost::ModuleHost(), env, [&](const std::string& w) { warnings.push_back(w); });
        std::vector<std::string> described;
        for (const auto& m : got) described.push_back(describe(m, root));
        EXPECT_EQ(described, c.modules);
        ASSERT_EQ(warnings.size(), c.warnings.size()) << ::testing::PrintToString(warnings);
        for (size_t i = 0; i < warnings.size(); ++i) {
            std::string expected = c.warnings[i];
            for (size_t at; (at = expected.find('@')) != std::string::npos;) expected.replace(at, 1, root);
            EXPECT_NE(warnings[i].find(expected), std::string::npos) << warnings[i] << "\nlacks\n"
                                                                     << expected;
        }
    }
    ::unsetenv("RD_TEST_BASE");
}

}  // namespace
