// The rigdials program end to end: arguments, output, errors, exit status.
#include "pictures.h"
#include "program_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <set>

#include <dirent.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

TEST(Program, HelpDescribesOptionsAndEveryCommand) {
    ProgramRun r = runRigdials({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    for (const char* part : {"--plugin-path DIR",
                             "--step-limit N",
                             "docs/commands.md",
                             "tokenize(",
                             "-c COMMANDS",
                             "MAYA_PLUG_IN_PATH",
                             "// Result: VALUE //",
                             "// Error: line N: MESSAGE //",
                             "loadPlugin",
                             "unloadPlugin",
                             "requires",
                             "pluginInfo",
                             "createNode",
                             "setAttr",
                             "getAttr",
                             "connectAttr",
                             "disconnectAttr",
                             "parent",
                             "delete",
                             "rename",
                             "select",
                             "ls",
                             "listAttr",
                             "attributeQuery",
                             "nodeType",
                             "print",
                             "currentUnit",
                             "-dependNode",
                             "-listEnum",
                             "result:"}) {
        EXPECT_TRUE(contains(r.out, part)) << part;
    }
}

TEST(Program, BadArgumentsExitWithTwo) {
    struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{}, "nothing to run"},
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-c"}, "-c needs a value"},
        {{"--plugin-path"}, "--plugin-path needs a value"},
        {{"notes.txt"}, "'notes.txt' is neither a .mel script nor a .ma scene"},
    };
    for (const auto& c : cases) {
        ProgramRun r = runRigdials(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_TRUE(contains(r.err, c.message)) << r.err;
        EXPECT_TRUE(contains(r.err, "usage: rigdials")) << r.err;
    }
}

TEST(Program, PrintsResultsOfCommands) {
    ProgramRun r = runRigdials({"-c",
                                "loadPlugin rigDials; createNode KelPrimitiveLocator -n loc1;"
                                "getAttr loc1.labelColorB; getAttr loc1.color; getAttr loc1.type;"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "// Result: rigDials //\n// Result: loc1 //\n// Result: 0.7 //\n"
              "// Result: 1.2 0.8 0 //\n// Result: 2 //\n");
    EXPECT_EQ(r.err, "");
}

TEST(Program, ErrorStopsTheRunWithItsLineAndExitsNonZero) {
    std::string dir = makeTempDir();
    writeFile(dir + "/bad.mel",
              "createNode transform -n a;\n"
              "// a comment line\n"
              "setAttr a.radiu 3;\n"
              "print \"not reached\\n\";\n");
    ProgramRun r = runRigdials({"bad.mel", "-c", "print \"nor this\\n\";"}, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "// Error: line 3: setAttr: 'a' has no attribute 'radiu' //\n");
    EXPECT_EQ(r.out, "// Result: a //\n");
}

TEST(Program, ADisplayThatCannotBeOpenedIsOneClearError) {
    // Not a local ":N" display: the GL toolkit would print its own line and exit.
    ProgramRun r = runRigdials({"-c", "playblast -cf x.png -wh 8 8;"}, "", {"DISPLAY=bogus"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "// Error: line 1: playblast: cannot open X display 'bogus' "
              "(unset DISPLAY to let rigdials start its own Xvfb) //\n");
}

TEST(Program, WithoutADisplayTheProgramStartsItsOwnXvfb) {
    std::string dir = makeTempDir();
    ProgramRun r = runRigdials({"-c", "playblast -cf x.png -wh 8 8;"}, dir, {"DISPLAY="});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(dir + "/x.png").substr(1, 3), "PNG");
}

// An X server started without -noreset resets each time its last client
// leaves; the program's own check of the display must not be that client.
TEST(Program, ADisplayThatResetsWhenItsClientsLeaveStillDraws) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t xvfb = fork();
    ASSERT_GE(xvfb, 0);
    if (xvfb == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "320x240x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // The number ends with a newline; the pipe stays open while the server
    // runs (it fails when it cannot write the whole line).
    std::string number;
    char ch = 0;
    while (read(fds[0], &ch, 1) == 1 && ch != '\n') number += ch;
    const std::size_t got = number.size();
    if (got > 0) {
        const std::string display = ":" + number;
        const std::string dir = makeTempDir();
        for (int i = 0; i < 8; ++i) {
            ProgramRun r = runRigdials({"-c", "playblast -cf x.png -wh 8 8;"}, dir, {"DISPLAY=" + display});
            EXPECT_EQ(r.status, 0) << "run " << i << ": " << r.err;
        }
    }
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
    close(fds[0]);
    ASSERT_GT(got, 0u) << "Xvfb did not start";
}

TEST(Program, FilesRunInOrderThenTheCommandText) {
    std::string dir = makeTempDir();
    writeFile(dir + "/one.mel", "print \"one\\n\"; createNode transform -n a;");
    writeFile(dir + "/two.mel", "print \"two\\n\"; setAttr a.tx 2.5;");
    ProgramRun r = runRigdials({"-c", "getAttr a.tx;", "one.mel", "two.mel"}, dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "one\n// Result: a //\ntwo\n// Result: 2.5 //\n");
}

TEST(Program, MissingScriptIsNamed) {
    ProgramRun r = runRigdials({"missing.mel"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "// Error: cannot read script 'missing.mel' //\n");
}

TEST(Program, SyntaxErrorRunsNothing) {
    ProgramRun r = runRigdials({"-c", "print \"first\\n\";\n/* never closed"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "// Error: line 2: unterminated comment (opened with /* on line 2) //\n");
}

TEST(Program, WarningsDoNotFailTheRun) {
    ProgramRun r =
        runRigdials({"-c",
                     "loadPlugin rigDials; createNode KelPrimitiveLocator -n l; setAttr l.slices 99;"
                     "getAttr l.slices; loadPlugin rigDials;"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.err, "// Warning: setAttr: 99 is above the maximum 50 of 'l.slices'")) << r.err;
    EXPECT_TRUE(contains(r.out, "// Result: 50 //"));
}

TEST(Program, PluginPathOrder) {
    // The program's own folder holds rigDials.so.
    EXPECT_EQ(runRigdials({"-c", "loadPlugin rigDials;"}).status, 0);
    // Test plug-ins are found only through --plugin-path or MAYA_PLUG_IN_PATH; the
    // one used here is found but refused for lacking the entry points.
    ProgramRun none = runRigdials({"-c", "loadPlugin cmd_no_entry;"});
    EXPECT_EQ(none.status, 1);
    ProgramRun flag =
        runRigdials({"--plugin-path", RIGDIALS_TEST_PLUGIN_DIR, "-c", "loadPlugin cmd_no_entry;"});
    ProgramRun env = runRigdials({"-c", "loadPlugin cmd_no_entry;"}, "",
                                 {std::string("MAYA_PLUG_IN_PATH=/nonexistent:") + RIGDIALS_TEST_PLUGIN_DIR});
    for (const ProgramRun* r : {&flag, &env}) {
        EXPECT_EQ(r->status, 1);
        EXPECT_TRUE(contains(r->err, "initializePlugin")) << r->err;
    }
    EXPECT_FALSE(contains(none.err, "initializePlugin")) << none.err;

    // The program's own rigDials.so comes before one of that name on the other folders.
    const std::string dir = makeTempDir();
    writeFile(dir + "/rigDials.so", readFile(RIGDIALS_TEST_PLUGIN_DIR "/cmd_no_entry.so"));
    EXPECT_EQ(runRigdials({"-c", "loadPlugin rigDials;"}, "", {"MAYA_PLUG_IN_PATH=" + dir}).status, 0);
    EXPECT_EQ(runRigdials({"--plugin-path", dir, "-c", "loadPlugin rigDials;"}).status, 0);
    // Searched in that order, each folder once.
    char* bin = ::realpath(RIGDIALS_BIN_DIR, nullptr);
    ASSERT_NE(bin, nullptr);
    ProgramRun missing = runRigdials({"--plugin-path", dir + "/", "-c", "loadPlugin nowhere;"}, "",
                                     {"MAYA_PLUG_IN_PATH=/nonexistent:" + dir + ":/nonexistent"});
    EXPECT_TRUE(
        contains(missing.err, "on the plug-in path " + std::string(bin) + ":" + dir + ":/nonexistent //"))
        << missing.err;
    std::free(bin);
}

TEST(Program, DemoRunsAndSavesItsScene) {
    std::string dir = makeTempDir();
    ASSERT_EQ(::mkdir((dir + "/out").c_str(), 0755), 0);
    ProgramRun r = runRigdials({RIGDIALS_SOURCE_DIR "/examples/demo.mel"}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(contains(r.out, "cubeShape sphereShape coneShape torusShape boxShape cylinderShape"));
    EXPECT_TRUE(contains(r.out, "cube=1:sphere=2:cone=3:torus=4:rectangle=5:cylinder=6"));
    EXPECT_TRUE(contains(r.out, "// Result: 0.2 0.9 0.3 //"));
    EXPECT_TRUE(contains(r.out, "// Result: -25 //"));
    std::string saved = readFile(dir + "/out/demo.ma");
    ASSERT_FALSE(saved.empty());
    EXPECT_TRUE(contains(saved, "requires \"rigDials\""));
    EXPECT_TRUE(contains(saved, "createNode KelPrimitiveLocator -n \"coneShape\" -p \"cone\";"));

    // The saved scene reads back with the same values.
    ProgramRun back = runRigdials({"out/demo.ma", "-c",
                                   "getAttr coneShape.color; getAttr torusShape.innerRadius; getAttr cone.rx;"
                                   "getAttr boxShape.label; getAttr cylinderShape.displayLabel;"},
                                  dir);
    EXPECT_EQ(back.status, 0) << back.err;
    EXPECT_TRUE(contains(back.out,
                         "// Result: 0.2 0.9 0.3 //\n// Result: 0.35 //\n// Result: -25 //\n"
                         "// Result: rectangle (wire) //\n// Result: 1 //\n"))
        << back.out;
}

// Two programs save different scenes to one path again and again at once:
// every save succeeds, and the file is at every moment one whole scene.
TEST(Program, ConcurrentSavesToOnePathEachLandWhole) {
    const std::string dir = makeTempDir(), target = dir + "/out.ma";
    auto script = [&](const std::string& prefix, int nodes, const std::string& alone) {
        std::string text;
        for (int i = 0; i < nodes; ++i)
            text += "createNode transform -n " + prefix + std::to_string(i) + ";\n";
        for (int i = 0; i < 300; ++i) text += "file -save \"" + target + "\";\n";
        // The same text again on its own, to compare with.
        return text + "file -save \"" + alone + "/out.ma\";\n";
    };
    const std::string bigDir = makeTempDir(), smallDir = makeTempDir();
    writeFile(bigDir + "/s.mel", script("big", 400, bigDir));
    writeFile(smallDir + "/s.mel", script("small", 1, smallDir));
    auto big = std::async(std::launch::async, [&] { return runRigdials({"s.mel"}, bigDir); });
    auto small = std::async(std::launch::async, [&] { return runRigdials({"s.mel"}, smallDir); });
    std::set<std::string> seen;
    auto running = [](auto& f) { return f.wait_for(std::chrono::seconds(0)) != std::future_status::ready; };
    while (running(big) || running(small)) seen.insert(readFile(target));
    const ProgramRun a = big.get(), b = small.get();
    EXPECT_EQ(a.status, 0) << a.err;
    EXPECT_EQ(b.status, 0) << b.err;
    const std::string bigText = readFile(bigDir + "/out.ma"), smallText = readFile(smallDir + "/out.ma");
    ASSERT_TRUE(contains(bigText, "big399") && contains(smallText, "small0"));
    seen.insert(readFile(target));
    seen.erase("");  // before the first save
    for (const std::string& text : seen)
        EXPECT_TRUE(text == bigText || text == smallText)
            << "a mixed or partial file of " << text.size() << " bytes";
    EXPECT_TRUE(readFile(target) == bigText || readFile(target) == smallText);
}

// A save killed while it writes leaves the target whole: the file it had or
// the one it wrote, never a part of one.
TEST(Program, ASaveKilledPartWayLeavesTheTargetWhole) {
    const std::string dir = makeTempDir(), target = dir + "/out.ma";
    std::string nodes;
    for (int i = 0; i < 3000; ++i) nodes += "createNode transform -n n" + std::to_string(i) + ";\n";
    const std::string save = "file -save \"" + target + "\";\n";
    writeFile(dir + "/once.mel", nodes + save);
    ASSERT_EQ(runRigdials({"once.mel"}, dir).status, 0);
    const std::string whole = readFile(target);
    writeFile(dir + "/again.mel", nodes + "setAttr n0.tx 1;\n" + save);
    const std::string newDir = makeTempDir();
    writeFile(newDir + "/again.mel", nodes + "setAttr n0.tx 1;\nfile -save out.ma;\n");
    ASSERT_EQ(runRigdials({"again.mel"}, newDir).status, 0);
    const std::string saved = readFile(newDir + "/out.ma");
    const std::string program = std::string(RIGDIALS_BIN_DIR) + "/rigdials";
    int killedMidSave = 0;
    for (int attempt = 0; attempt < 10 && killedMidSave < 3; ++attempt) {
        // The kill comes as soon as the save's temporary appears in the folder.
        const int watch = ::inotify_init1(IN_CLOEXEC);
        ASSERT_GE(watch, 0);
        ASSERT_GE(::inotify_add_watch(watch, dir.c_str(), IN_CREATE), 0);
        pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(dir.c_str()) != 0) ::_exit(127);
            std::freopen("/dev/null", "w", stdout);
            std::freopen("/dev/null", "w", stderr);
            ::execl(program.c_str(), "rigdials", "again.mel", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ASSERT_GT(pid, 0);
        alignas(inotify_event) char events[4096];
        for (bool seen = false; !seen;) {
            const ssize_t n = ::read(watch, events, sizeof events);
            if (n <= 0) break;
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(events + at);
                seen = seen || (e->len > 0 && std::string(e->name).rfind(".rigdials-", 0) == 0);
                at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
        }
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ::close(watch);
        const std::string now = readFile(target);
        EXPECT_TRUE(now == whole || now == saved) << "attempt " << attempt << ": " << now.size() << " bytes";
        // The temporary a killed save leaves shows that the kill came mid-save.
        if (DIR* d = ::opendir(dir.c_str())) {
            while (dirent* e = ::readdir(d)) {
                if (std::string(e->d_name).rfind(".rigdials-", 0) != 0) continue;
                ++killedMidSave;
                std::remove((dir + "/" + e->d_name).c_str());
            }
            ::closedir(d);
        }
    }
    EXPECT_GT(killedMidSave, 0) << "no kill landed during a save";
}

}  // namespace

namespace {

TEST(Program, SceneFilesOpenFromTheCommandLine) {
    const std::string sample = RIGDIALS_SAMPLES_DIR "/UsdExportRootsTest.ma";
    struct stat info {};
    if (::stat(sample.c_str(), &info) != 0) GTEST_SKIP() << "no sample scenes at " << RIGDIALS_SAMPLES_DIR;
    ProgramRun r = runRigdials({sample, "-c", "nodeType Top; ls -type transform \"Cube*\";"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "// Result: transform //\n// Result: Cube Cube1 //\n")) << r.out;
    // Types this host lacks are kept, with a warning, not an error.
    EXPECT_TRUE(contains(r.err, "// Warning: ")) << r.err;
    EXPECT_FALSE(contains(r.err, "// Error: ")) << r.err;
}

TEST(Program, SceneFilesRunNoScriptsWhileScriptsRunEveryCommand) {
    std::string dir = makeTempDir();
    const std::string deferred = "evalDeferred \"print \\\"deferred\\\\n\\\"\";\n";
    writeFile(dir + "/scene.ma", "print \"scene\\n\";\n" + deferred);
    writeFile(dir + "/script.mel", "print \"script\\n\";\n" + deferred);
    ProgramRun r = runRigdials({"scene.ma", "script.mel", "-c", "print \"text\\n\";"}, dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "// Result: " + dir + "/scene.ma //\nscript\ndeferred\ntext\n");
    EXPECT_TRUE(contains(r.err, "// Warning: scene.ma line 1: 'print \"scene\\n\";' is not run")) << r.err;
    EXPECT_TRUE(contains(r.err, "// Warning: scene.ma line 2: 'evalDeferred")) << r.err;
}

TEST(Program, MissingSceneFileFailsTheRun) {
    ProgramRun r = runRigdials({"nowhere.ma", "-c", "print \"not reached\";"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "// Error: line 1: file: ")) << r.err;
    EXPECT_TRUE(contains(r.err, "nowhere.ma")) << r.err;
    EXPECT_FALSE(contains(r.out, "not reached"));
}

TEST(Program, AFailingDeferredCommandMakesTheExitStatusNonZero) {
    // The failure happens in the idle step after the command that queued it.
    ProgramRun r = runRigdials({"-c", "evalDeferred \"getAttr ghost.tx\"; print \"after\\n\";"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "// Error: getAttr: no node named 'ghost' //")) << r.err;
}

}  // namespace

namespace {

// Every example runs in each renderer, then draws its final scene once more in
// that renderer; every picture it wrote differs from the other renderer's in
// at most 0.5% of its pixels.
TEST(Program, EveryExampleScriptRunsInBothRenderers) {
    const std::string examples = RIGDIALS_SOURCE_DIR "/examples";
    const char* const renderers[] = {"vp2Renderer", "base_OpenGL_Renderer"};
    DIR* d = ::opendir(examples.c_str());
    ASSERT_NE(d, nullptr) << examples;
    int count = 0;
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name.size() < 5 || name.compare(name.size() - 4, 4, ".mel") != 0) continue;
        ++count;
        std::string dirs[2];
        for (int r = 0; r < 2; ++r) {
            dirs[r] = makeTempDir();
            ASSERT_EQ(::mkdir((dirs[r] + "/out").c_str(), 0755), 0);
            const std::string use =
                std::string("modelEditor -edit -rendererName ") + renderers[r] + " modelPanel4;";
            ProgramRun run = runRigdials(
                {"-c", use, examples + "/" + name, "-c", use + " playblast -cf \"out/end.png\" -wh 320 240;"},
                dirs[r]);
            EXPECT_EQ(run.status, 0) << name << " " << renderers[r] << "\n" << run.err;
            EXPECT_FALSE(contains(run.err, "// Error")) << name << " " << renderers[r] << "\n" << run.err;
            EXPECT_FALSE(contains(run.err, "// Warning")) << name << " " << renderers[r] << "\n" << run.err;
        }
        DIR* out = ::opendir((dirs[0] + "/out").c_str());
        ASSERT_NE(out, nullptr);
        int pictures = 0;
        while (dirent* p = ::readdir(out)) {
            const std::string picture = std::string("/out/") + p->d_name;
            if (picture.size() < 4 || picture.compare(picture.size() - 4, 4, ".png") != 0) continue;
            ++pictures;
            SCOPED_TRACE(name + ": " + picture);
            const rdhost::Image vp2 = rdhost::readPng(dirs[0] + picture);
            const rdhost::Image legacy = rdhost::readPng(dirs[1] + picture);
            ASSERT_EQ(vp2.rgba.size(), legacy.rgba.size());
            const int differ = rdtest::differingPixels(vp2, legacy), all = vp2.width * vp2.height;
            EXPECT_LE(differ, all / 200) << differ << " of " << all << " pixels differ";
        }
        ::closedir(out);
        EXPECT_GE(pictures, 1) << name;
    }
    ::closedir(d);
    EXPECT_GE(count, 4);
}

TEST(Program, RigExampleBuildsEachSliderOfItsTable) {
    std::string dir = makeTempDir();
    ProgramRun r = runRigdials({RIGDIALS_SOURCE_DIR "/examples/rig.mel"}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.out,
                         "height: slider 2.5, marker.translateY 2.5\n"
                         "turn: slider 45, marker.rotateY 45\n"
                         "width: slider 0.875, marker.scaleX 0.875\n"))
        << r.out;
    EXPECT_TRUE(contains(r.out, "arc angle value (degrees):\n// Result: 45 //\n")) << r.out;
}

TEST(Program, MirrorExampleGivesTheRightSideTheLeftPose) {
    std::string dir = makeTempDir();
    ASSERT_EQ(::mkdir((dir + "/out").c_str(), 0755), 0);
    ProgramRun r = runRigdials({RIGDIALS_SOURCE_DIR "/examples/mirror.mel"}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line : {"L_brow_ctrlShape: 1.75  L_brow_marker at x 1.5, scale 1.75\n",
                             "R_brow_ctrlShape: 1.75  R_brow_marker at x -1.5, scale 1.75\n",
                             "R_cheek_ctrlShape: 1.25  R_cheek_marker at x -1.5, scale 1.25\n",
                             "R_mouthCorner_ctrlShape: 2  R_mouthCorner_marker at x -1.5, scale 2\n"})
        EXPECT_TRUE(contains(r.out, line)) << line << r.out;
    struct stat info {};
    EXPECT_EQ(::stat((dir + "/out/mirror.png").c_str(), &info), 0);
}

// The facial panel: one slider drives several channels through driven keys
// and utility nodes, the keyed smile renders as a numbered sequence, and the
// reopened scene poses every frame as the saved one did.
TEST(Program, FaceExampleDrivesSeveralChannelsAndReopensWhole) {
    std::string dir = makeTempDir();
    ASSERT_EQ(::mkdir((dir + "/out").c_str(), 0755), 0);
    ProgramRun r = runRigdials({RIGDIALS_SOURCE_DIR "/examples/face.mel"}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line :
         {"smile <- smile_ctrl -> 8 channels:\n"
          "  mouth_L.translateY (animCurveUL)\n  mouth_L.translateX (animCurveUL)\n"
          "  mouth_R.translateY (animCurveUL)\n  mouth_R.translateX (animCurveUL)\n"
          "  cheek_L.translateY (multiplyDivide)\n  cheek_R.translateY (multiplyDivide)\n"
          "  eye_L.scaleY (multiplyDivide > reverse)\n  eye_R.scaleY (multiplyDivide > reverse)\n",
          "browRaise <- browRaise_ctrl -> 2 channels:\n"
          "  brow_L.translateY (multiplyDivide > condition)\n  brow_R.translateY (multiplyDivide > "
          "condition)\n",
          "jawOpen <- jawOpen_ctrl -> 2 channels:\n"
          "  jaw.rotateX (direct)\n  jaw.translateY (unitConversion > remapValue)\n",
          // Between the driven keys (0, 0.5, 1) the spline tangents curve.
          "  frame 2  head.smile 0.156  mouth_L.ty 0.147  mouth_R.tx 0.1  cheek_R.ty 0.078  eye_L.sy 0.906  "
          "brow_R.ty 0.3  jaw.rx 10  jaw.ty -0.13\n",
          "  frame 5  head.smile 1  mouth_L.ty 0.7  mouth_R.tx 0.4  cheek_R.ty 0.5  eye_L.sy 0.4  "
          "brow_R.ty 0.3  jaw.rx 10  jaw.ty -0.13\n",
          "reopened: 4 channels on the head; driven keys mouth_L_translateX (animCurveUL, tangents spline "
          "spline spline) mouth_L_translateY (animCurveUL, tangents spline spline spline)\n"})
        EXPECT_TRUE(contains(r.out, line)) << line << r.out;
    const size_t saved = r.out.find("poses:\n"), reopened = r.out.find("reopened:\n");
    ASSERT_NE(saved, std::string::npos) << r.out;
    ASSERT_NE(reopened, std::string::npos) << r.out;
    const std::string before = r.out.substr(saved + 7, reopened - saved - 7);
    const size_t table = before.find("  frame 1"), rows = before.find("  frame 5");
    ASSERT_NE(rows, std::string::npos) << before;
    const std::string poses = before.substr(table, before.find('\n', rows) + 1 - table);
    EXPECT_EQ(r.out.substr(reopened + 10, poses.size()), poses) << r.out;
    for (const char* file : {"face.0001.png", "face.0005.png", "face.png", "face.ma"}) {
        struct stat info {};
        EXPECT_EQ(::stat((dir + "/out/" + file).c_str(), &info), 0) << file;
    }
    EXPECT_NE(readFile(dir + "/out/face.0001.png"), readFile(dir + "/out/face.0005.png"));
}

// source and calls of unknown procedures look on MAYA_SCRIPT_PATH; an error
// in a sourced script names that script.
TEST(Program, ScriptsComeFromTheScriptPath) {
    const std::string dir = makeTempDir(), lib = makeTempDir();
    writeFile(lib + "/rigLib.mel",
              "global proc string rigLibName(string $side) { return $side + \"_ctrl\"; }\n"
              "print \"rigLib loaded\\n\";\n");
    writeFile(lib + "/autoLoaded.mel", "global proc autoLoaded() { print \"found by name\\n\"; }\n");
    writeFile(lib + "/broken.mel", "print \"before\\n\";\nsetAttr nothing.tx 1;\n");
    ProgramRun r = runRigdials({"-c",
                                "source rigLib; print (rigLibName(\"L\") + \"\\n\"); autoLoaded();\n"
                                "source \"broken.mel\";"},
                               dir, {"MAYA_SCRIPT_PATH=/nonexistent:" + lib});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "rigLib loaded\nL_ctrl\nfound by name\nbefore\n");
    EXPECT_EQ(r.err, "// Error: file: " + lib + "/broken.mel line 2: setAttr: no node named 'nothing' //\n");
    ProgramRun missing = runRigdials({"-c", "source nowhere;"}, dir, {"MAYA_SCRIPT_PATH=" + lib});
    EXPECT_EQ(missing.err, "// Error: line 1: source: cannot find script 'nowhere' on the script path " +
                               lib + " or in the current folder //\n");
}

// A script that never ends stops after the step limit, by default too when
// no terminal is there to stop it.
TEST(Program, StepLimitStopsARunawayScript) {
    ProgramRun limited = runRigdials({"--step-limit", "1000", "-c", "print \"start\\n\";\nwhile (1) {}"});
    EXPECT_EQ(limited.status, 1);
    EXPECT_EQ(limited.out, "start\n");
    EXPECT_EQ(limited.err,
              "// Error: line 2: the script ran more than 1000 statements and was stopped "
              "(step limit; see --step-limit) //\n");
    ProgramRun byDefault = runRigdials({"-c", "int $i; while (1) $i++;"});
    EXPECT_EQ(byDefault.status, 1);
    EXPECT_TRUE(contains(byDefault.err, "more than 10000000 statements")) << byDefault.err;
    EXPECT_EQ(runRigdials({"--step-limit=0", "-c", "int $i; while ($i < 20000) $i++;"}).status, 0);
    ProgramRun bad = runRigdials({"--step-limit", "many", "-c", "print 1;"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(
        contains(bad.err, "--step-limit takes a whole number of statements (0: no limit), not 'many'"))
        << bad.err;
}

}  // namespace
