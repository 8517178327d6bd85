// Whole refreshes through the host: pictures, the trace, framing of visible
// nodes, faulty nodes, and the playblast command's errors.
#include "files.h"
#include "view_fixture.h"

#include "command/interpreter.h"
#include "view/feedback.h"
#include "view/immediate_arrays.h"
#include "view/jpeg_io.h"
#include "view/playblast.h"
#include "view/png_io.h"
#include "view/render.h"

#include <GL/gl.h>
#include <linux/capability.h>
#include <malloc.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <cfloat>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

using rdhost::CameraKind;
using rdhost::PlayblastOptions;

class PlayblastTest : public ViewFixture {
protected:
    std::string path(const std::string& name) const { return dir + "/" + name; }

    static PlayblastOptions options(const std::string& file, int w, int h, CameraKind cam,
                                    const std::string& trace = "") {
        PlayblastOptions opt;
        opt.file = file;
        opt.width = w;
        opt.height = h;
        opt.camera = cam;
        opt.traceFile = trace;
        return opt;
    }

    rdhost::Image blast(int w, int h, CameraKind cam, const std::string& trace = "") {
        rdhost::playblast(scene(), options(path("shot.png"), w, h, cam, trace));
        return rdhost::readPng(path("shot.png"));
    }

    // Runs MEL through the host's interpreter; returns whether it succeeded.
    bool mel(const std::string& text) {
        std::ostringstream out;
        rdhost::cmd::Interpreter interp(scene(), out, melErr);
        return interp.run(text);
    }

    void setTranslate(rdhost::Node* shape, double x, double y, double z) {
        setNumber(shape->parent, "translateX", x);
        setNumber(shape->parent, "translateY", y);
        setNumber(shape->parent, "translateZ", z);
    }

    // The camera a playblast of this size and view frames now.
    rdhost::Camera cameraFor(int w, int h, CameraKind kind) {
        rdhost::RenderOptions o;
        o.width = w;
        o.height = h;
        o.camera = kind;
        return rdhost::renderScene(scene(), o).camera;
    }

    rdtest::TempDir tmp_{"rdview"};
    std::string dir = tmp_.path();
    std::ostringstream melErr;
};

bool near(const std::uint8_t* px, int r, int g, int b, int tol) {
    return std::abs(px[0] - r) <= tol && std::abs(px[1] - g) <= tol && std::abs(px[2] - b) <= tol;
}

int countPixels(const rdhost::Image& img, int r, int g, int b, int tol) {
    int n = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) n += near(img.pixel(x, y), r, g, b, tol);
    return n;
}

TEST_F(PlayblastTest, WritesAPictureOfTheRequestedSize) {
    loadViewNodes();
    create("viewQuad");
    for (auto [w, h] : {std::pair{123, 77}, std::pair{1, 1}, std::pair{640, 480}}) {
        rdhost::Image img = blast(w, h, CameraKind::Persp);
        EXPECT_EQ(img.width, w);
        EXPECT_EQ(img.height, h);
    }
}

// The red square faces the front camera and fills the framed middle of the
// picture; the corners show the background.
TEST_F(PlayblastTest, PictureShowsTheNodesDrawing) {
    loadViewNodes();
    create("viewQuad");
    rdhost::Image img = blast(64, 64, CameraKind::Front);
    const rdhost::Camera cam = cameraFor(64, 64, CameraKind::Front);
    const auto middle = rdhost::projectToImage(cam, {0, 0, 0.5}, 64, 64);
    ASSERT_TRUE(middle.has_value());
    EXPECT_TRUE(near(img.pixel(int(middle->x), int(middle->y)), 255, 0, 0, 2));
    EXPECT_TRUE(near(img.pixel(1, 1), 161, 161, 161, 3));
    EXPECT_TRUE(near(img.pixel(62, 62), 161, 161, 161, 3));
    // The 2 x 2 square covers its share of the framed view (which also makes
    // room for the text above it).
    const int red = countPixels(img, 255, 0, 0, 2);
    const double side = 64.0 * 2.0 / (2.0 * cam.orthoHalfHeight);
    EXPECT_NEAR(red, side * side, side * side * 0.1);

    rdhost::Image persp = blast(64, 64, CameraKind::Persp);
    EXPECT_TRUE(near(persp.pixel(32, 32), 255, 0, 0, 2));
}

// The default light sits at the camera and normals are renormalised: the face
// turned to each built-in view is lit full white.
TEST_F(PlayblastTest, HeadlightAndNormalizeLightTheFaceTowardsTheCamera) {
    loadViewNodes();
    create("viewLit");
    for (CameraKind cam : {CameraKind::Front, CameraKind::Side, CameraKind::Top}) {
        SCOPED_TRACE(rdhost::cameraName(cam));
        rdhost::Image img = blast(32, 32, cam);
        EXPECT_TRUE(near(img.pixel(16, 16), 255, 255, 255, 3))
            << int(img.pixel(16, 16)[0]) << " " << int(img.pixel(16, 16)[1]) << " "
            << int(img.pixel(16, 16)[2]);
    }
    // From persp the three faces take different shares of the light.
    rdhost::Image img = blast(64, 64, CameraKind::Persp);
    EXPECT_EQ(countPixels(img, 255, 255, 255, 3), 0);
    EXPECT_GT(countPixels(img, 140, 140, 140, 60), 100);
}

TEST_F(PlayblastTest, GridIsDrawnWhereNothingCoversIt) {
    rdhost::Image img = blast(200, 200, CameraKind::Top);
    // Empty scene from the top: the grid's axis lines cross in the middle.
    const int dark = countPixels(img, 38, 38, 38, 6);  // the axis colour
    EXPECT_GT(dark, 200);
    EXPECT_GT(countPixels(img, 161, 161, 161, 3), 200 * 200 / 3);
}

TEST_F(PlayblastTest, HiddenNodesAndHiddenParentsAreNotDrawn) {
    loadViewNodes();
    rdhost::Node* a = create("viewQuad");
    rdhost::Node* b = create("viewMarker");
    rdhost::Node* c = create("viewMarker");
    setNumber(b, "visibility", 0.0);
    setNumber(c->parent, "visibility", 0.0);
    auto visible = rdhost::visibleLocators(scene());
    ASSERT_EQ(visible.size(), 1u);
    EXPECT_EQ(visible[0].node, a);

    setNumber(a->parent, "visibility", 0.0);
    rdhost::Image img = blast(64, 64, CameraKind::Front);
    EXPECT_EQ(countPixels(img, 255, 0, 0, 2), 0);
}

TEST_F(PlayblastTest, FramingCoversWhatIsDrawn) {
    loadViewNodes();
    rdhost::Node* quad = create("viewQuad");
    rdhost::Node* marker = create("viewMarker");
    setTranslate(quad, 20.0, 0.0, 0.0);
    setTranslate(marker, -15.0, 4.0, 6.0);
    const rdhost::DrawnExtent drawn = rdhost::drawnExtent(scene(), rdhost::drawItems(scene()));
    ASSERT_FALSE(drawn.bounds.empty);
    // The marker's lines reach 0.5 about its origin; the quad's text sits at y 1.2.
    const double expectMin[3] = {-15.5, -1.0, -1.0}, expectMax[3] = {21.0, 4.5, 6.5};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(drawn.bounds.min[i], expectMin[i], 1e-2) << i;
        EXPECT_NEAR(drawn.bounds.max[i], expectMax[i], 1e-2) << i;
    }
    ASSERT_EQ(drawn.texts.size(), 1u);
    EXPECT_NEAR(drawn.texts[0].anchor[1], 1.2, 1e-9);
    EXPECT_EQ(drawn.texts[0].right - drawn.texts[0].left, 32.0) << "\"quad\": 4 glyphs of 8 pixels";
    EXPECT_EQ(drawn.texts[0].left, -16.0) << "centred";

    // In the picture: the far-away square is there, and the marker's blue lines.
    rdhost::Image img = blast(160, 120, CameraKind::Persp);
    EXPECT_GT(countPixels(img, 255, 0, 0, 2), 4);
    EXPECT_GT(countPixels(img, 0, 0, 255, 2), 2);

    // A node drawing away from its origin, under a matrix of its own, is
    // framed whole in every view: the line's ends and the text's pixels.
    setNumber(quad->parent, "visibility", 0.0);
    setNumber(marker->parent, "visibility", 0.0);
    rdhost::Node* reach = create("viewReach");
    setTranslate(reach, 3.0, -2.0, 1.0);
    for (CameraKind kind : {CameraKind::Persp, CameraKind::Top, CameraKind::Front, CameraKind::Side}) {
        SCOPED_TRACE(rdhost::cameraName(kind));
        rdhost::RenderOptions o;
        o.width = 320;
        o.height = 200;
        o.camera = kind;
        const rdhost::RenderResult r = rdhost::renderScene(scene(), o);
        auto inside = [&](const rdhost::Vec3& p, double left, double right, double below, double above) {
            const auto px = rdhost::projectToImage(r.camera, p, o.width, o.height);
            ASSERT_TRUE(px.has_value());
            EXPECT_GE(px->x + left, 0.0);
            EXPECT_LE(px->x + right, o.width);
            EXPECT_GE(px->y - above, 0.0);
            EXPECT_LE(px->y - below, o.height);
        };
        inside({3.0, -2.0, 1.0}, 0, 0, 0, 0);
        inside({3.0, 8.0, 1.0}, 0, 0, 0, 0);
        inside({7.0, -2.0, 1.0}, 0, 25 * 8, -3, 12);
    }
}

TEST_F(PlayblastTest, TraceListsEachNodeWithItsTextsAndPrimitiveCounts) {
    loadViewNodes();
    rdhost::Node* quad = create("viewQuad");
    rdhost::Node* marker = create("viewMarker");
    blast(64, 48, CameraKind::Persp, path("trace.json"));
    const std::string expected =
        "{\"nodes\": [\n"
        "  {\"node\": \"" +
        quad->partialPathName() +
        "\", \"type\": \"viewQuad\", \"texts\": ["
        "{\"text\": \"quad\", \"point\": [0, 1.2, 0], \"align\": \"center\", \"color\": [0, 0, 0.7, 1]}"
        "], \"lines\": 3, \"polygons\": 2},\n"
        "  {\"node\": \"" +
        marker->partialPathName() +
        "\", \"type\": \"viewMarker\", \"texts\": [], "
        "\"lines\": 3, \"polygons\": 0}\n"
        "]}\n";
    EXPECT_EQ(rdtest::readFile(path("trace.json")), expected);
    // The counting pass neither logs texts twice nor warns.
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(viewport().textLog.size(), 1u);
}

TEST_F(PlayblastTest, TheHostsLocatorIsDrawnAsACrossOfThreeLines) {
    rdhost::Node* xf = scene().createNode("transform", "pin");
    scene().createNode("locator", "pinShape", xf, true);
    blast(64, 48, CameraKind::Persp, path("trace.json"));
    EXPECT_NE(rdtest::readFile(path("trace.json"))
                  .find("{\"node\": \"pinShape\", \"type\": \"locator\", \"texts\": [], \"lines\": 3, "
                        "\"polygons\": 0}"),
              std::string::npos)
        << rdtest::readFile(path("trace.json"));
}

TEST_F(PlayblastTest, TraceOfAnEmptySceneIsAnEmptyList) {
    blast(8, 8, CameraKind::Persp, path("t.json"));
    EXPECT_EQ(rdtest::readFile(path("t.json")), "{\"nodes\": []}\n");
}

TEST(TraceJson, EscapesTextsAndWritesShortestNumbers) {
    rdhost::TraceEntry e;
    e.node = "a|b";
    e.type = "t";
    rdhost::TextRecord r;
    r.text = "say \"hi\"\\\n\t\x01";
    r.point = {0.1, -2.5e-9, 1e300};
    r.align = M3dView::kRight;
    r.color = {0.7f, 1.0f / 3.0f, 0.0f, std::numeric_limits<float>::quiet_NaN()};
    e.texts.push_back(r);
    e.lines = 12;
    e.polygons = 7;
    EXPECT_EQ(rdhost::traceJson({e}),
              "{\"nodes\": [\n  {\"node\": \"a|b\", \"type\": \"t\", \"texts\": [{\"text\": "
              "\"say \\\"hi\\\"\\\\\\n\\t\\u0001\", \"point\": [0.1, -2.5e-09, 1e+300], \"align\": "
              "\"right\", \"color\": [0.7, 0.33333334, 0, null]}], \"lines\": 12, \"polygons\": 7}\n]}\n");
}

// A point computed in single precision reads as the float it was; a double
// that no float equals keeps every digit it needs.
TEST(TraceJson, WidenedFloatsPrintAsTheFloatTheyWere) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {static_cast<double>(0.6f), "0.6"},
        {static_cast<double>(-0.35f), "-0.35"},
        {static_cast<double>(1.0f / 3.0f), "0.33333334"},
        {static_cast<double>(1e-9f), "1e-09"},
        {static_cast<double>(FLT_MAX), "3.4028235e+38"},
        {static_cast<double>(std::nextafter(0.6f, 1.0f)), "0.6000001"},
        {0.6, "0.6"},
        {1.0 / 3.0, "0.3333333333333333"},
        {std::nextafter(static_cast<double>(0.6f), 1.0), "0.600000023841858"},
        {1e300, "1e+300"},
        {1.5, "1.5"},
        {0.0, "0"},
        {-7.0, "-7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        rdhost::TraceEntry e;
        e.node = "n";
        e.type = "t";
        rdhost::TextRecord r;
        r.text = "x";
        r.point = {c.value, c.value, c.value};
        e.texts.push_back(r);
        const std::string json = rdhost::traceJson({e});
        const std::string point = std::string("\"point\": [") + c.text + ", " + c.text + ", " + c.text + "]";
        EXPECT_NE(json.find(point), std::string::npos) << json;
    }
}

// A node that leaves stacks, lighting or a matrix mode behind, or throws, is
// reported by name and does not change how the next node looks.
TEST_F(PlayblastTest, AFaultyNodeCannotSpoilTheNext) {
    loadViewNodes();
    struct Case {
        const char* type;
        const char* warning;
    };
    const Case cases[] = {
        {"viewLeaky", "left the GL state unbalanced"},
        {"viewNoBracket", "left the GL state unbalanced"},
        {"viewThrows", "failed: broken on purpose"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.type);
        warnings.clear();
        rdhost::Node* bad = create(k.type);
        rdhost::Node* quad = create("viewQuad");
        // Wide: the picture frames the leaky node's line at x = 100 too.
        auto entries = rdhost::playblastWithTrace(
            scene(), options(path("f.png"), 640, 64, CameraKind::Front, path("f.json")));
        ASSERT_FALSE(warnings.empty());
        EXPECT_NE(warnings[0].find("'" + bad->partialPathName() + "'"), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find(k.warning), std::string::npos) << warnings[0];
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[1].polygons, 2u);
        EXPECT_EQ(entries[1].lines, 3u);
        // The quad is pure red: unlit, untranslated, in the right projection.
        rdhost::Image img = rdhost::readPng(path("f.png"));
        const auto middle =
            rdhost::projectToImage(cameraFor(640, 64, CameraKind::Front), {0, 0, 0.5}, 640, 64);
        ASSERT_TRUE(middle.has_value());
        EXPECT_TRUE(near(img.pixel(int(middle->x), int(middle->y)), 255, 0, 0, 2));
        scene().deleteNode(bad->parent);
        scene().deleteNode(quad->parent);
    }
}

TEST_F(PlayblastTest, CommandWritesTheFileAndReturnsItsName) {
    loadViewNodes();
    create("viewQuad");
    const std::string file = path("cmd.png");
    ASSERT_TRUE(mel("playblast -completeFilename \"" + file + "\" -widthHeight 40 30 -camera side -trace \"" +
                    path("cmd.json") + "\";"))
        << melErr.str();
    rdhost::Image img = rdhost::readPng(file);
    EXPECT_EQ(img.width, 40);
    EXPECT_EQ(img.height, 30);
    EXPECT_NE(rdtest::readFile(path("cmd.json")).find("\"type\": \"viewQuad\""), std::string::npos);
    // Short flags and -percent.
    ASSERT_TRUE(mel("playblast -cf \"" + file + "\" -wh 40 30 -percent 50 -fo -os -v 0;")) << melErr.str();
    EXPECT_EQ(rdhost::readPng(file).width, 20);
}

// -filename with a frame range: one picture per frame, drawn at its time,
// named as the host names them; the time is put back after.
TEST_F(PlayblastTest, SequenceWritesANumberedPictureForEachFrame) {
    loadViewNodes();
    ASSERT_TRUE(
        mel("createNode transform -n a; createNode viewQuad -p a; createNode transform -n b;"
            "createNode viewQuad -p b; setKeyframe -t 1 -v 0 b.tx; setKeyframe -t 3 -v 5 b.tx;"
            "currentTime 7;"))
        << melErr.str();
    std::ostringstream out;
    rdhost::cmd::Interpreter interp(scene(), out, melErr);
    ASSERT_TRUE(interp.run("playblast -f \"" + path("face") + "\" -st 1 -et 3 -wh 40 30;")) << melErr.str();
    EXPECT_EQ(out.str(), "// Result: " + path("face") + ".####.png //\n");
    const std::string f1 = rdtest::readFile(path("face.0001.png")),
                      f3 = rdtest::readFile(path("face.0003.png"));
    EXPECT_EQ(rdhost::readPng(path("face.0002.png")).width, 40);
    EXPECT_FALSE(f1.empty());
    EXPECT_NE(f1, f3);  // b moved between the frames
    EXPECT_EQ(scene().currentTime(), 7.0);
    // A name with an image extension keeps it after the number; padding as asked.
    ASSERT_TRUE(mel("playblast -f \"" + path("jaw.jpg") + "\" -st 9 -fp 2 -wh 8 8;")) << melErr.str();
    EXPECT_FALSE(rdtest::readFile(path("jaw.09.jpg")).empty());
}

TEST_F(PlayblastTest, CommandErrorsNameTheProblemAndWriteNothing) {
    const std::string f = path("e.png");
    struct Case {
        std::string script;
        std::string message;
    };
    const Case cases[] = {
        {"playblast -widthHeight 10 10;", "-completeFilename F.png is required"},
        {"playblast -cf \"\" -wh 10 10;", "-completeFilename needs a file name"},
        {"playblast -cf \"" + f + "\" -wh 0 10;", "image size 0 x 10 is out of range"},
        {"playblast -cf \"" + f + "\" -wh 10 -4;", "image size 10 x -4 is out of range"},
        {"playblast -cf \"" + f + "\" -wh 9000 10;", "image size 9000 x 10 is out of range"},
        {"playblast -cf \"" + f + "\" -wh 1e12 10;", "out of range"},
        {"playblast -cf \"" + f + "\" -wh 10.5 10;", "expects two whole numbers, got '10.5'"},
        {"playblast -cf \"" + f + "\" -wh ten 10;", "expects two whole numbers"},
        {"playblast -cf \"" + f + "\" -camera fish;", "unknown camera 'fish'"},
        {"playblast -cf \"" + f + "\" -format movie;", "-format 'movie' is not supported"},
        {"playblast -cf \"" + f + "\" -compression gif;",
         "-compression 'gif' is not supported (use png or jpg)"},
        {"playblast -cf \"" + f + "\" -compression jpg;",
         "-compression jpg does not match the extension of '" + f + "'"},
        {"playblast -cf \"" + dir + "/e.tif\";",
         "the extension '.tif' names no image format this host writes"},
        {"playblast -cf \"" + dir + "/e.jpg\" -quality 0;",
         "-quality must be a whole number between 1 and 100"},
        {"playblast -cf \"" + f + "\" -trace \"" + f + "\";", "name the same file"},
        {"playblast -cf \"" + f + "\" -trace \"" + dir + "/./sub/../e.png\";", "name the same file"},
        {"playblast -cf \"" + dir + "/\";", "cannot write '" + dir + "/': it names a folder"},
        {"playblast -cf \"" + dir + "/no/such/dir/x.png\";", "cannot write '" + dir + "/no/such/dir/x.png'"},
        {"playblast -cf \"" + f + "\" -trace \"" + dir + "/missing/t.json\";",
         "cannot write '" + dir + "/missing/t.json'"},
        {"playblast -cf \"" + f + "\" extra;", "unexpected argument 'extra'"},
        {"playblast -f \"" + f + "\" -cf \"" + f + "\";", "give -filename NAME (a numbered sequence) or"},
        {"playblast -cf \"" + f + "\" -st 1 -et 2;", "-startTime and -endTime need -filename NAME"},
        {"playblast -f \"" + dir + "/s\" -st 3 -et 1;", "-endTime 1 is before -startTime 3"},
        {"playblast -f \"" + dir + "/s\" -st 1.5;", "must be whole frames"},
        {"playblast -f \"" + dir + "/s\" -trace \"" + dir + "/t.json\";", "-trace draws one picture"},
        {"playblast -f \"" + dir + "/s\" -fp 11;", "-framePadding must be a whole number from 0 to 10"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.script);
        melErr.str("");
        EXPECT_FALSE(mel(k.script));
        EXPECT_NE(melErr.str().find("playblast: "), std::string::npos) << melErr.str();
        EXPECT_NE(melErr.str().find(k.message), std::string::npos) << melErr.str();
        struct stat st;
        EXPECT_NE(stat(f.c_str(), &st), 0) << "a failed playblast left a file";
    }
    // No temporary files are left behind either.
    std::string listing;
    if (FILE* p = popen(("ls -A '" + dir + "'").c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, p)) listing += buf;
        pclose(p);
    }
    EXPECT_EQ(listing, "");
}

// Sets the process's umask for a scope.
struct UmaskScope {
    explicit UmaskScope(mode_t mask) : old(::umask(mask)) {}
    ~UmaskScope() { ::umask(old); }
    mode_t old;
};

mode_t modeOf(const std::string& file) {
    struct stat st;
    return ::stat(file.c_str(), &st) == 0 ? (st.st_mode & 07777) : 07777;
}

// Makes file modes bind this thread even when it runs as root (CI does): the
// effective capability to override them is dropped for the scope.
struct ObeyFileModes {
    ObeyFileModes() {
        if (::geteuid() != 0) return;
        __user_cap_header_struct head{_LINUX_CAPABILITY_VERSION_3, 0};
        if (::syscall(SYS_capget, &head, saved) != 0) return;
        __user_cap_data_struct lowered[2] = {saved[0], saved[1]};
        lowered[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
        active = ::syscall(SYS_capset, &head, lowered) == 0;
    }
    ~ObeyFileModes() {
        __user_cap_header_struct head{_LINUX_CAPABILITY_VERSION_3, 0};
        if (active) ::syscall(SYS_capset, &head, saved);
    }
    __user_cap_data_struct saved[2] = {};
    bool active = false;
};

TEST_F(PlayblastTest, PictureAndTraceGetTheModeAnyWrittenFileGets) {
    loadViewNodes();
    create("viewQuad");
    const std::string png = path("m.png"), json = path("m.json");
    ObeyFileModes obey;
    // 0222 leaves the files read-only, yet they must be written first.
    for (mode_t mask : {mode_t{022}, mode_t{027}, mode_t{002}, mode_t{0222}}) {
        SCOPED_TRACE(mask);
        std::remove(png.c_str());
        std::remove(json.c_str());
        UmaskScope scope(mask);
        rdhost::playblast(scene(), options(png, 8, 8, CameraKind::Persp, json));
        EXPECT_EQ(modeOf(png), 0666 & ~mask);
        EXPECT_EQ(modeOf(json), 0666 & ~mask);
    }
    // A file written over keeps the mode its owner gave it.
    ASSERT_EQ(::chmod(png.c_str(), 0640), 0);
    UmaskScope scope(022);
    rdhost::playblast(scene(), options(png, 8, 8, CameraKind::Persp));
    EXPECT_EQ(modeOf(png), mode_t{0640});
}

// The trace's counting pass draws each node again in GL feedback. The heap it
// leaves behind stays flat however often it runs (Mesa 22.3 keeps every
// vertex buffer its feedback path reads: glBegin/glEnd vertices must not come
// from one), and the primitives are the ones drawn.
TEST_F(PlayblastTest, FeedbackPassesKeepNoMemory) {
    auto draw = [] {
        EXPECT_TRUE(rdhost::immediateArraysActive());
        glBegin(GL_LINES);
        for (int i = 0; i < 4000; ++i) {
            glColor3f(0.5f, 0.0f, i % 2 ? 1.0f : 0.0f);
            glVertex3f(i * 1e-4f, -0.5f, 0.0f);
        }
        glEnd();
        glBegin(GL_TRIANGLES);
        glVertex2f(0, 0);
        glVertex2f(0.5f, 0);
        glVertex2f(0, 0.5f);
        glEnd();
    };
    auto heapInUse = [] {
        const struct mallinfo2 m = ::mallinfo2();
        return m.uordblks + m.hblkhd;
    };
    auto prims = rdhost::captureFeedback(draw);
    const auto counts = rdhost::countPrimitives(prims);
    EXPECT_EQ(counts.lines, 2000u);
    EXPECT_EQ(counts.polygons, 1u);
    ASSERT_EQ(prims[1].vertices.size(), 2u);
    EXPECT_FLOAT_EQ(prims[1].vertices[1].color[2], 1.0f);  // each vertex keeps its own colour
    const std::size_t before = heapInUse();
    for (int i = 0; i < 100; ++i) rdhost::captureFeedback(draw);  // 6 MB of vertices in all
    EXPECT_LT(heapInUse(), before + (std::size_t(1) << 20));
}

// Whatever stops the picture or its trace, neither replaces its file, and a
// trace named after the picture in other words is refused.
TEST_F(PlayblastTest, FailureKeepsAnExistingPicture) {
    const std::string f = path("keep.png");
    {
        std::ofstream o(f);
        o << "old";
    }
    ASSERT_EQ(::mkdir(path("folder").c_str(), 0755), 0);
    ASSERT_EQ(::symlink(f.c_str(), path("link.json").c_str()), 0);
    const struct {
        std::string trace;
        std::string message;
    } cases[] = {
        {dir + "/missing/t.json", "cannot write '" + dir + "/missing/t.json': No such file or directory"},
        {path("folder"), "cannot write '" + path("folder") + "': it is a folder"},
        {dir + "/./keep.png", "name the same file"},
        {path("link.json"), "name the same file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trace);
        melErr.str("");
        EXPECT_FALSE(mel("playblast -cf \"" + f + "\" -wh 8 8 -trace \"" + c.trace + "\";"));
        EXPECT_NE(melErr.str().find(c.message), std::string::npos) << melErr.str();
        EXPECT_EQ(rdtest::readFile(f), "old");
    }
}

// Every failed write says why: a full disk (a small tmpfs, where mounting one
// is allowed) and a file size limit.
TEST_F(PlayblastTest, WriteErrorsNameTheReason) {
    loadViewNodes();
    create("viewQuad");
    const std::string tiny = path("tiny");
    ASSERT_EQ(::mkdir(tiny.c_str(), 0755), 0);
    const bool mounted = ::mount("tmpfs", tiny.c_str(), "tmpfs", 0, "size=64k") == 0;
    if (!mounted)
        std::printf("note: the full-disk case is skipped: mounting a tmpfs needs privileges here\n");
    struct Unmount {
        std::string at;
        ~Unmount() {
            if (!at.empty()) ::umount2(at.c_str(), MNT_DETACH);
        }
    } unmount{mounted ? tiny : ""};
    auto check = [&](const std::string& folder, const char* reason) {
        const std::string pic = folder + "/old.png", scn = folder + "/old.ma";
        for (const std::string& command :
             {"playblast -cf \"" + pic + "\" -wh 64 64 -camera front;", "file -save \"" + scn + "\";"}) {
            SCOPED_TRACE(command);
            melErr.str("");
            EXPECT_FALSE(mel(command));
            EXPECT_NE(melErr.str().find(reason), std::string::npos) << melErr.str();
            EXPECT_EQ(rdtest::readFile(pic), "old");
            EXPECT_EQ(rdtest::readFile(scn), "old");
        }
    };
    for (const std::string& folder : {tiny, dir}) {
        std::ofstream(folder + "/old.png") << "old";
        std::ofstream(folder + "/old.ma") << "old";
    }
    if (mounted) {
        std::ofstream fill(tiny + "/fill", std::ios::binary);
        const std::string block(4096, 'x');
        while (fill.write(block.data(), block.size()) && fill.flush()) {}
        check(tiny, "No space left on device");
    }
    struct FileSizeLimit {
        FileSizeLimit() {
            ::getrlimit(RLIMIT_FSIZE, &saved);
            oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = saved;
            small.rlim_cur = 16;
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        ~FileSizeLimit() {
            ::setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, oldHandler);
        }
        rlimit saved{};
        void (*oldHandler)(int) = nullptr;
    };
    {
        FileSizeLimit limit;
        check(dir, "File too large");
    }
    EXPECT_EQ(std::system(("test -z \"$(ls -A '" + dir + "' | grep rigdials)\"").c_str()), 0)
        << "a temporary was left";
}

// The picture is in the format its name or -compression says, and shows the
// same thing either way.
TEST_F(PlayblastTest, PictureFormatFollowsTheNameOrCompression) {
    loadViewNodes();
    create("viewQuad");
    const struct {
        const char* name;
        const char* flags;
        bool jpeg;
    } cases[] = {
        {"a.png", "", false},
        {"b.jpg", "", true},
        {"c.JPEG", "", true},
        {"d", "", false},
        {"e", "-compression jpg", true},
        {"f.jpg", "-format image -compression JPG -quality 80", true},
        {"g.png", "-compression png", false},
    };
    rdhost::Image reference;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(mel("playblast -cf \"" + path(c.name) + "\" -wh 96 72 -camera front " + c.flags + ";"))
            << melErr.str();
        const std::string bytes = rdtest::readFile(path(c.name));
        EXPECT_EQ(bytes.rfind(c.jpeg ? "\xff\xd8\xff" : "\x89PNG", 0), 0u);
        const rdhost::Image img = c.jpeg ? rdhost::readJpeg(path(c.name)) : rdhost::readPng(path(c.name));
        if (reference.rgba.empty()) reference = img;
        ASSERT_EQ(img.width, 96);
        ASSERT_EQ(img.height, 72);
        double difference = 0;  // mean over the colour channels of every pixel
        for (std::size_t i = 0; i < img.rgba.size(); ++i)
            if (i % 4 != 3) difference += std::abs(int(img.rgba[i]) - int(reference.rgba[i]));
        difference /= img.rgba.size() * 0.75;
        if (c.jpeg)
            EXPECT_LT(difference, 6.0);
        else
            EXPECT_EQ(difference, 0.0);
    }
    EXPECT_LT(rdtest::readFile(path("f.jpg")).size(), rdtest::readFile(path("b.jpg")).size())
        << "-quality 80 is smaller than 90";
}

TEST(Png, RoundTripsPixelsAndReportsBadFiles) {
    rdhost::Image img;
    img.width = 3;
    img.height = 2;
    for (int i = 0; i < 24; ++i) img.rgba.push_back(static_cast<std::uint8_t>(i * 10));
    const rdtest::TempDir tmp("rdpng");
    const std::string dir = tmp.path();
    rdhost::writePng(dir + "/a.png", img);
    rdhost::Image back = rdhost::readPng(dir + "/a.png");
    EXPECT_EQ(back.width, 3);
    EXPECT_EQ(back.height, 2);
    EXPECT_EQ(back.rgba, img.rgba);
    {
        std::ofstream o(dir + "/bad.png");
        o << "not a png";
    }
    EXPECT_THROW(rdhost::readPng(dir + "/bad.png"), rdhost::HostError);
    EXPECT_THROW(rdhost::readPng(dir + "/none.png"), rdhost::HostError);
    EXPECT_THROW(rdhost::writePng(dir + "/no/dir.png", img), rdhost::HostError);
    rdhost::Image empty;
    EXPECT_THROW(rdhost::writePng(dir + "/e.png", empty), rdhost::HostError);
}

}  // namespace
