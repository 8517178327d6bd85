// Scene files: save -> open gives back every stored value, placeholders and
// kept lines come back unchanged, and a second save writes the identical text.
#include "command/keys_nodes.h"
#include "command/ma_format.h"
#include "command/output_file.h"
#include "command/scenefile_state.h"
#include "command_fixture.h"
#include "files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

namespace fs = std::filesystem;

using rdtest::readFile;
using rdtest::writeFile;

std::string hex(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%a", v);
    return buf;
}

// Everything a scene file carries, values exact: per node (by name, so that
// the order in which a file recreates them does not matter) and for the file.
using Facts = std::map<std::string, std::vector<std::string>>;

Facts dump(rdhost::Scene& scene) {
    Facts out;
    for (rdhost::Node* n : scene.nodes()) {
        auto& f = out["node " + n->fullPathName()];
        f.push_back("type " + n->type->name + " " + n->unknownTypeName + (n->sharedNode ? " shared" : ""));
        // A placeholder's line that set a value is written as read only while
        // the value is unchanged: its value counts, below.
        for (const auto& r : n->raw) f.push_back(r.attr ? "sets " + r.attr->longName : "raw " + r.text);
        for (const rdhost::Attr* a : n->type->attrs) {
            const bool startState = !n->plugFlag(a->index, rdhost::Node::kLocked) &&
                                    n->plugFlag(a->index, rdhost::Node::kKeyable) == a->keyable &&
                                    n->plugFlag(a->index, rdhost::Node::kChannelBox) == a->channelBox;
            if (!startState)
                f.push_back("state " + a->longName + " " + std::to_string(n->plugStateBits(a->index)));
            if (!a->storable || a->isCompound()) continue;
            std::string line = a->longName;
            // A connected input holds whatever was last pulled: only the connection counts.
            if (n->source(a->index))
                line += " <- " + n->source(a->index).node->name + "." +
                        n->source(a->index).node->attrAt(n->source(a->index).attr)->longName;
            else
                // + 0.0: a stored -0 is saved as 0, which it equals.
                line += " = " + (a->kind == rdhost::AttrKind::String ? "'" + n->storedString(a->index) + "'"
                                                                     : hex(n->storedNumber(a->index) + 0.0));
            f.push_back(line);
        }
        if (rdhost::keys::isAnimCurve(n))
            for (const auto& k : rdhost::keys::curveKeys(n))
                f.push_back("key " + hex(k.time) + " " + hex(k.value));
    }
    auto& fs = rdhost::ma::fileState(scene);
    auto& f = out["file"];
    for (const auto& r : fs.requires) f.push_back("requires " + r.text);
    for (const auto& h : fs.header) f.push_back("header " + h);
    for (const auto& b : fs.defaults) {
        f.push_back("default " + b.node);
        for (const auto& l : b.lines) f.push_back("  " + l);
    }
    for (const auto& t : fs.trailing) f.push_back("kept " + t.text);
    f.push_back("time " + hex(scene.currentTime()));
    return out;
}

std::string withoutName(std::string text, const std::string& name) {
    for (std::size_t at; (at = text.find(name)) != std::string::npos;) text.replace(at, name.size(), "NAME");
    return text;
}

class SceneFiles : public CommandFixture {
protected:
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    std::string save(const std::string& name) {
        ok("file -rename \"" + path(name) + "\"; file -save -type \"mayaAscii\";");
        return readFile(path(name));
    }
    void open(const std::string& file) { ok("file -open -force \"" + file + "\";"); }

    // Saves, reopens, compares the scene fact by fact, saves again and compares
    // the texts; returns the first text.
    std::string roundTrip() {
        Facts before = dump(scene());
        std::string first = save("first.ma");
        open(path("first.ma"));
        Facts after = dump(scene());
        for (const auto& [key, facts] : before) {
            auto it = after.find(key);
            if (it == after.end()) {
                ADD_FAILURE() << key << " is missing after reopening";
                continue;
            }
            EXPECT_EQ(facts, it->second) << key;
        }
        for (const auto& [key, facts] : after)
            EXPECT_TRUE(before.count(key)) << key << " appeared after reopening";
        std::string second = save("second.ma");
        EXPECT_EQ(withoutName(first, "first.ma"), withoutName(second, "second.ma"))
            << "a reopened scene saves to the same text";
        return first;
    }

    rdtest::TempDir tmp_{"rigdials_ma"};
    fs::path dir_{tmp_.path()};
};

TEST_F(SceneFiles, StoredValuesComeBackIdentical) {
    ok("loadPlugin rigDials;");
    ok("createNode transform -n \"grp\";"
       "createNode transform -n \"t1\" -p \"grp\";"
       "setAttr t1.translate 0.7 1e-9 -123456.789;"
       "setAttr t1.rotate 33.333333333333336 -0.1 1e-7;"
       "setAttr t1.scale 0.1 3 1e300;"
       "createNode KelPrimitiveLocator -n \"loc1\" -p \"t1\";"
       "setAttr loc1.labelColorB 0.3;"
       "setAttr loc1.colorR 0.7;"
       "setAttr loc1.radius 1e-9;"
       "setAttr loc1.type 4;"
       "setAttr loc1.slices 49;"
       "setAttr loc1.displayLabel off;"
       "setAttr -type \"string\" loc1.label \"say \\\"hi\\\"\\nsecond line\\\\ and \\ttab\";");
    // Values no command would type: computed radians, the closest float to 1/3.
    rdhost::Node* t1 = scene().findNode("t1");
    rdhost::Node* loc = scene().findNode("loc1");
    ASSERT_TRUE(t1 && loc);
    t1->setNumber(t1->findAttr("rx")->index, 1.0 / 3.0);
    t1->setNumber(t1->findAttr("ry")->index, std::nextafter(2.0, 3.0));
    loc->setNumber(loc->findAttr("cg")->index, static_cast<double>(1.0f / 3.0f));

    std::string text = roundTrip();
    EXPECT_NE(text.find("setAttr \".t\" -type \"double3\" 0.7 1e-09 -123456.789;"), std::string::npos)
        << text;
    EXPECT_NE(text.find("setAttr \".cl\" -type \"float3\" 0.7 0.33333334 0;"), std::string::npos)
        << "floats at float precision\n"
        << text;
    EXPECT_NE(text.find("setAttr \".dlb\" no;"), std::string::npos) << text;
    EXPECT_NE(text.find("setAttr \".tp\" 4;"), std::string::npos) << text;
    EXPECT_NE(text.find("requires \"rigDials\" \"3.0\";"), std::string::npos) << text;
    EXPECT_NE(text.find("createNode KelPrimitiveLocator -n \"loc1\" -p \"t1\";"), std::string::npos) << text;
    EXPECT_EQ(text.find("setAttr \".lcr\""), std::string::npos)
        << "compound children are written by their parent";
    EXPECT_EQ(text.find("\".rd\" 1;"), std::string::npos) << "defaults are not written";

    rdhost::Node* t1b = scene().findNode("t1");
    rdhost::Node* locb = scene().findNode("loc1");
    ASSERT_TRUE(t1b && locb);
    EXPECT_EQ(t1b->storedNumber(t1b->findAttr("rx")->index), 1.0 / 3.0);
    EXPECT_EQ(t1b->storedNumber(t1b->findAttr("sz")->index), 1e300);
    EXPECT_EQ(locb->storedString(locb->findAttr("label")->index), "say \"hi\"\nsecond line\\ and \ttab");
    EXPECT_EQ(static_cast<float>(locb->storedNumber(locb->findAttr("radius")->index)), 1e-9f);
}

TEST_F(SceneFiles, AnglesNoDegreeDoubleReachesStillComeBack) {
    // Some radian values are not the image of any double number of degrees;
    // the file gives them more digits, which the reader must honour.
    double r = 1.9;
    int found = 0;
    ok("createNode transform -n a;");
    rdhost::Node* a = scene().findNode("a");
    const char* axes[] = {"rx", "ry", "rz"};
    for (int i = 0; i < 100000 && found < 3; ++i, r = std::nextafter(r, 3.0)) {
        if (rdhost::ma::formatAngle(r).size() <= 19) continue;
        a->setNumber(a->findAttr(axes[found++])->index, r);
    }
    ASSERT_EQ(found, 3);
    std::string text = roundTrip();
    EXPECT_NE(text.find("setAttr \".r\""), std::string::npos) << text;
}

TEST_F(SceneFiles, EdgeNumbersOfEveryPrecisionComeBackAsPrintedAndSaved) {
    struct {
        const char* plug;
        const char* text;
    } cases[] = {
        {"s.evl", "3.40282346e38"},  // FLT_MAX, printed 3.4028235e+38: above it as a double
        {"s.evl", "-3.4028235e38"},
        {"s.evl", "3.4028233e38"},
        {"s.evl", "1.17549435e-38"},
        {"s.evl", "1e-45"},  // the smallest float (denormal)
        {"s.evl", "-1e-45"},
        {"s.evl", "-0"},
        {"t.sx", "1.7976931348623157e308"},
        {"t.sx", "-1.7976931348623157e308"},
        {"t.sx", "2.2250738585072014e-308"},
        {"t.sx", "5e-324"},
        {"t.tx", "-5e-324"},
        {"t.tx", "1.7976931348623155e308"},
        {"t.rx", "5.7e307"},  // near the largest number of degrees that converts
        {"t.rx", "-5e-324"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.plug) + " " + c.text);
        ok("file -new -force; loadPlugin rigDials; createNode KelSliderManipulator -n s; createNode "
           "transform -n t;"
           "setAttr " +
           std::string(c.plug) + " " + c.text + ";");
        const std::string printed = result(std::string("getAttr ") + c.plug);
        roundTrip();
        EXPECT_EQ(result(std::string("getAttr ") + c.plug), printed);
        ok(std::string("setAttr ") + c.plug + " " + printed);
        EXPECT_EQ(result(std::string("getAttr ") + c.plug), printed) << "the printed text reads back";
    }
    // A float whose shortest text, read as a double first, rounds to its neighbour.
    ok("file -new -force; loadPlugin rigDials; createNode KelSliderManipulator -n s;");
    scene().findNode("s")->setNumber(scene().findNode("s")->findAttr("lncr")->index,
                                     std::strtof("7.038531e-26", nullptr));
    EXPECT_NE(roundTrip().find("7.038531e-26"), std::string::npos);
    // Radians whose degrees are past the double range.
    for (double radians : {std::numeric_limits<double>::max(), -std::numeric_limits<double>::max() / 3}) {
        ok("file -new -force; createNode transform -n t;");
        scene().findNode("t")->setNumber(scene().findNode("t")->findAttr("rx")->index, radians);
        roundTrip();
    }
}

TEST_F(SceneFiles, HeaderAndLayoutAreTheHostsOwn) {
    ok("createNode transform -n \"a\"; setAttr a.tx 2; createNode transform -n \"b\";"
       "connectAttr a.tx b.ty; currentTime 7;");
    std::string text = save("layout.ma");
    const std::string expected =
        "//Maya ASCII 2024 scene\n"
        "//Name: layout.ma\n"
        "//Codeset: UTF-8\n"
        "requires maya \"2024\";\n"
        "currentUnit -l centimeter -a degree -t film;\n"
        "createNode transform -n \"a\";\n"
        "\tsetAttr \".t\" -type \"double3\" 2 0 0;\n"
        "createNode transform -n \"b\";\n"
        "select -ne :time1;\n"
        "\tsetAttr \".o\" 7;\n"
        "connectAttr \"a.tx\" \"b.ty\";\n"
        "// End of layout.ma\n";
    EXPECT_EQ(text, expected);
    ok("file -new -force;");
    EXPECT_TRUE(scene().nodes().empty());
    open(path("layout.ma"));
    EXPECT_EQ(result("currentTime -query"), "7");
    EXPECT_EQ(result("getAttr b.ty"), "2");
    EXPECT_EQ(result("file -query -sceneName"), path("layout.ma"));
}

TEST_F(SceneFiles, ValuesThatCannotBeReadBackAreLeftOutWithAWarning) {
    ok("createNode transform -n a;");
    rdhost::Node* a = scene().findNode("a");
    a->setNumber(a->findAttr("tx")->index, std::nan(""));
    a->setNumber(a->findAttr("ty")->index, 5.0);
    a->setNumber(a->findAttr("sy")->index, HUGE_VAL);
    a->setNumber(a->findAttr("rz")->index, 0.5);
    ok("setKeyframe -t 1 a.tz; setKeyframe -t 2 a.tz;");
    rdhost::keys::curveKeys(scene().findNode("a_translateZ"))[1].value = HUGE_VAL;
    std::string text = save("values.ma");
    EXPECT_NE(err().find("'a_translateZ' holds keys"), std::string::npos) << err();
    EXPECT_NE(text.find("\".ktv[0:0]\"  1 0;"), std::string::npos) << "the finite key stays\n" << text;
    EXPECT_NE(err().find("'a.translateX'"), std::string::npos) << err();
    EXPECT_NE(err().find("'a.scaleY'"), std::string::npos) << err();
    EXPECT_EQ(text.find("nan"), std::string::npos) << text;
    EXPECT_EQ(text.find("inf"), std::string::npos) << text;
    EXPECT_NE(text.find("\tsetAttr \".ty\" 5;\n"), std::string::npos) << "the finite children stay\n" << text;
    EXPECT_NE(text.find("\tsetAttr \".r\""), std::string::npos) << text;
    open(path("values.ma"));
    EXPECT_EQ(result("getAttr a.ty"), "5");
    EXPECT_EQ(result("getAttr a.rz"), "28.64788975654116");
}

TEST_F(SceneFiles, ParentsAreWrittenBeforeChildrenWhateverTheCreationOrder) {
    ok("createNode transform -n \"child\"; createNode transform -n \"top\"; parent child top;");
    std::string text = roundTrip();
    EXPECT_LT(text.find("-n \"top\""), text.find("-n \"child\" -p \"top\""));
}

TEST_F(SceneFiles, PlaceholdersAndKeptLinesAreWrittenBackUnchanged) {
    const std::string body =
        "requires \"stereoCamera\" \"10.0\";\n"
        "currentUnit -l centimeter -a degree -t film;\n"
        "fileInfo \"application\" \"maya\";\n"
        "createNode transform -s -n \"persp\";\n"
        "\tsetAttr \".v\" no;\n"
        "\tsetAttr \".t\" -type \"double3\" 5.4344087405257078 4.0758065553942853 5.4344087405257149 ;\n"
        "createNode camera -s -n \"perspShape\" -p \"persp\";\n"
        "\trename -uid \"A8FEA23D-4090-B884-B2E5-968809EC9190\";\n"
        "\tsetAttr -k off \".v\" no;\n"
        "\tsetAttr \".hc\" -type \"string\" \"viewSet -p %camera\";\n"
        "createNode hikFKJoint -n \"joint1\";\n"
        "\taddAttr -ci true -sn \"liw\" -ln \"lockInfluenceWeights\" -min 0 -max 1 -at \"bool\";\n"
        "\tsetAttr \".bps\" -type \"matrix\" -1 0 0 0 0 1 0 0\n"
        "\t\t 0 0 -1 0 0 0 0 1;\n"
        "createNode hikFKJoint -n \"joint2\" -p \"joint1\";\n"
        "createNode mesh -n \"meshShape\" -p \"persp\";\n"
        "\tsetAttr -s 4 \".vt[0:3]\"  -15 12.34603024 -3.5527137e-15 -5 12.34603024 -3.5527137e-15\n"
        "\t\t -15 22.34603119 -3.5527137e-15 -5 22.34603119 -3.5527137e-15;\n"
        "\tsetAttr -ch 4 \".fc[0]\" -type \"polyFaces\" \n"
        "\t\tf 4 0 2 -4 -2\n"
        "\t\tmu 0 4 0 1 3 2;\n"
        "\tsetAttr \".cd\" -type \"dataPolyComponent\" Index_Data Edge 0 ;\n"
        "createNode script -n \"sceneConfigurationScriptNode\";\n"
        "\tsetAttr \".b\" -type \"string\" \"playbackOptions -min 1 -max 120 -ast 1 -aet 200 \";\n"
        "select -ne :time1;\n"
        "\tsetAttr \".o\" 12;\n"
        "\tsetAttr \".unw\" 12;\n"
        "select -ne :hardwareRenderingGlobals;\n"
        "\tsetAttr \".otfna\" -type \"stringArray\" 2 \"NURBS Curves\" \"NURBS Surfaces\"  ;\n"
        "connectAttr \"joint1.s\" \"joint2.is\";\n"
        "connectAttr \"persp.t\" \"meshShape.i\";\n"
        "relationship \"link\" \":lightLinker1\" \":initialShadingGroup.message\" "
        "\":defaultLightSet.message\";\n"
        "connectAttr \"persp.msg\" \":defaultRenderingList1.r\" -na;\n";
    writeFile(path("kept.ma"), "//Maya ASCII 2020 scene\n//Name: kept.ma\n" + body);
    open(path("kept.ma"));
    EXPECT_NE(err().find("'camera'"), std::string::npos) << "unknown types are reported: " << err();
    EXPECT_NE(err().find("stereoCamera"), std::string::npos) << err();
    EXPECT_EQ(err().find("Error"), std::string::npos) << err();
    EXPECT_EQ(result("currentTime -q"), "12");

    rdhost::Node* joint1 = scene().findNode("joint1");
    ASSERT_NE(joint1, nullptr);
    EXPECT_EQ(joint1->unknownTypeName, "hikFKJoint");
    EXPECT_TRUE(joint1->isDag()) << "a placeholder that is a parent lives in the DAG";
    rdhost::Node* persp = scene().findNode("persp");
    ASSERT_NE(persp, nullptr);
    EXPECT_TRUE(persp->sharedNode);
    EXPECT_EQ(persp->storedNumber(persp->findAttr("v")->index), 0.0);

    std::string text = roundTrip();
    // Every statement about what we do not model is in the saved file as read.
    for (const char* kept :
         {"requires \"stereoCamera\" \"10.0\";\n", "fileInfo \"application\" \"maya\";\n",
          "createNode camera -s -n \"perspShape\" -p \"persp\";\n"
          "\trename -uid \"A8FEA23D-4090-B884-B2E5-968809EC9190\";\n"
          "\tsetAttr -k off \".v\" no;\n"
          "\tsetAttr \".hc\" -type \"string\" \"viewSet -p %camera\";\n",
          "createNode hikFKJoint -n \"joint1\";\n"
          "\taddAttr -ci true -sn \"liw\" -ln \"lockInfluenceWeights\" -min 0 -max 1 -at \"bool\";\n"
          "\tsetAttr \".bps\" -type \"matrix\" -1 0 0 0 0 1 0 0\n"
          "\t\t 0 0 -1 0 0 0 0 1;\n",
          "createNode hikFKJoint -n \"joint2\" -p \"joint1\";\n",
          "\tsetAttr -ch 4 \".fc[0]\" -type \"polyFaces\" \n\t\tf 4 0 2 -4 -2\n\t\tmu 0 4 0 1 3 2;\n",
          "\tsetAttr \".cd\" -type \"dataPolyComponent\" Index_Data Edge 0 ;\n",
          "select -ne :time1;\n\tsetAttr \".o\" 12;\n\tsetAttr \".unw\" 12;\n",
          "select -ne :hardwareRenderingGlobals;\n"
          "\tsetAttr \".otfna\" -type \"stringArray\" 2 \"NURBS Curves\" \"NURBS Surfaces\"  ;\n",
          "connectAttr \"joint1.s\" \"joint2.is\";\n", "connectAttr \"persp.t\" \"meshShape.i\";\n",
          "relationship \"link\" \":lightLinker1\" \":initialShadingGroup.message\" "
          "\":defaultLightSet.message\";\n",
          "connectAttr \"persp.msg\" \":defaultRenderingList1.r\" -na;\n"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept << "\n--- in ---\n" << text;
    EXPECT_NE(text.find("createNode transform -s -n \"persp\";"), std::string::npos) << text;

    // A value set on a placeholder since is written after its own statements.
    ok("setAttr joint1.tx 5;");
    std::string edited = save("edited.ma");
    EXPECT_NE(edited.find("\t\t 0 0 -1 0 0 0 0 1;\n\tsetAttr \".t\" -type \"double3\" 5 0 0;\n"),
              std::string::npos)
        << edited;
    open(path("edited.ma"));
    EXPECT_EQ(withoutName(save("edited2.ma"), "edited2.ma"), withoutName(edited, "edited.ma"));

    // Deleting a placeholder drops its connections (live, as any node's).
    ok("delete joint2;");
    std::string after = save("after.ma");
    EXPECT_EQ(after.find("joint2"), std::string::npos) << after;
    EXPECT_NE(after.find("connectAttr \"persp.t\" \"meshShape.i\";"), std::string::npos);
}

TEST_F(SceneFiles, UnknownAttributesOfKnownNodesAreKeptWithAWarning) {
    writeFile(path("extra.ma"),
              "createNode transform -n \"t\";\n"
              "\taddAttr -ci true -sn \"w0\" -ln \"joint1W0\" -dv 1 -min 0 -at \"double\";\n"
              "\tsetAttr \".hdl\" -type \"double3\" 141.6311137495947 0 -2 ;\n"
              "\tsetAttr -k on \".w0\";\n"
              "\tsetAttr -k off \".tx\";\n"
              "\tsetAttr -l on -k off \".ty\" 3;\n"
              "\tsetAttr \".uvst[0].uvsn\" -type \"string\" \"map1\";\n"
              "\tsetAttr \".rx\" -inf;\n"                         // line 8
              "\tsetAttr \".s\" -type \"double3\" 1 -inf 2 3;\n"  // line 9
              "connectAttr \"t.hdl\" \"t.tz\";\n"
              "connectAttr -bogus \"t.ty\" \"t.sz\";\n");  // line 11
    open(path("extra.ma"));
    // A flag not known in files keeps its statement as written: no value shifts.
    for (const char* line :
         {"extra.ma line 8: setAttr: unknown flag -inf", "extra.ma line 9: setAttr: unknown flag -inf",
          "extra.ma line 11: connectAttr: unknown flag -bogus"})
        EXPECT_NE(err().find(line), std::string::npos) << line << "\n" << err();
    EXPECT_NE(err().find("'hdl'"), std::string::npos) << err();
    EXPECT_NE(err().find("'uvst[0].uvsn'"), std::string::npos) << err();
    // An added attribute is modelled: no warning, its default and plug state read.
    EXPECT_EQ(err().find("joint1W0"), std::string::npos) << err();
    EXPECT_EQ(result("getAttr -k t.joint1W0"), "1");
    EXPECT_EQ(result("getAttr t.s"), "1 1 1");
    rdhost::Node* t = scene().findNode("t");
    ASSERT_NE(t, nullptr);
    EXPECT_FALSE(t->source(t->findAttr("sz")->index));
    EXPECT_EQ(result("getAttr t.ty"), "3");
    std::string text = roundTrip();
    for (const char* kept :
         {"\taddAttr -ci true -sn \"w0\" -ln \"joint1W0\" -dv 1 -min 0 -at \"double\";\n",
          "\tsetAttr \".hdl\" -type \"double3\" 141.6311137495947 0 -2 ;\n", "\tsetAttr -k on \".w0\";\n",
          "\tsetAttr -k off \".tx\";\n", "\tsetAttr -l on -k off \".ty\";\n",
          "\tsetAttr \".t\" -type \"double3\" 0 3 0;\n", "\tsetAttr \".rx\" -inf;\n",
          "\tsetAttr \".s\" -type \"double3\" 1 -inf 2 3;\n", "connectAttr \"t.hdl\" \"t.tz\";\n",
          "connectAttr -bogus \"t.ty\" \"t.sz\";\n"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept << "\n--- in ---\n" << text;
}

TEST_F(SceneFiles, PlugStatesAreSavedAsTheHostWritesThemAndLocksDoNotStopReading) {
    ok("createNode transform -n src; createNode transform -n grp;"
       "setAttr -lock on grp.tx 5;"
       "connectAttr src.ty grp.ty; setAttr -lock on grp.ty;"  // written before its connection
       "setAttr -keyable off grp.rx; setAttr -k off -cb on grp.rz;"
       "setAttr -lock on grp.s; setAttr -k on grp.ro;");
    std::string text = roundTrip();
    for (const char* line :
         {"\tsetAttr -l on \".tx\" 5;\n", "\tsetAttr -l on \".ty\";\n", "\tsetAttr -k off \".rx\";\n",
          "\tsetAttr -k off -cb on \".rz\";\n", "\tsetAttr -l on \".s\";\n", "\tsetAttr -k on \".ro\";\n",
          "connectAttr \"src.ty\" \"grp.ty\";\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n--- in ---\n" << text;
    EXPECT_EQ(result("getAttr grp.tx"), "5");
    EXPECT_EQ(result("listAttr -locked grp"), "translateX translateY scale");
    EXPECT_EQ(result("listAttr -channelBox grp"), "rotateZ");
    // A file may give a locked compound's children after the lock.
    writeFile(path("order.ma"),
              "createNode transform -n \"late\";\n\tsetAttr -l on \".t\";\n\tsetAttr \".tx\" 7;\n");
    open(path("order.ma"));
    EXPECT_EQ(result("getAttr late.tx"), "7");
    EXPECT_EQ(result("getAttr -lock late.tx"), "1");
}

TEST_F(SceneFiles, RequiresLoadsThePlugInAndUnknownCommandsAreSkipped) {
    ok("loadPlugin rigDials; createNode transform -n t; createNode KelPrimitiveLocator -n loc -p t;"
       "setAttr loc.radius 2.5;");
    std::string text = save("plugin.ma");
    ok("file -new -force; unloadPlugin rigDials;");
    ASSERT_EQ(scene().findPlugin("rigDials"), nullptr);
    writeFile(path("plugin.ma"), text +
                                     "someCommandNobodyKnows -x 1 \"two\";\n"
                                     "createNode transform -n after;\n");
    open(path("plugin.ma"));
    EXPECT_NE(err().find("someCommandNobodyKnows"), std::string::npos) << err();
    EXPECT_NE(scene().findPlugin("rigDials"), nullptr) << "requires loaded it";
    EXPECT_EQ(result("getAttr loc.radius"), "2.5");
    EXPECT_NE(scene().findNode("after"), nullptr) << "reading goes on after an unknown command";

    // A requires naming a path is never loaded from the file.
    ok("file -new -force; unloadPlugin rigDials;");
    writeFile(path("path.ma"), "requires \"/tmp/evil/rigDials.so\" \"1.0\";\n");
    open(path("path.ma"));
    EXPECT_NE(err().find("not available"), std::string::npos) << err();
    EXPECT_NE(save("path2.ma").find("requires \"/tmp/evil/rigDials.so\" \"1.0\";\n"), std::string::npos)
        << "but the line is kept";
}

TEST_F(SceneFiles, AFileRunsOnlySceneStatementsAndKeepsTheRest) {
    using rdhost::ma::quote;
    const std::string self = path("self.ma"), other = path("other.ma"), picture = path("picture.png");
    // Statements a scene file may hold but the host never writes: none runs
    // (no library is loaded, nothing written, printed, deleted, reopened),
    // each is reported once with its line and written back as read.
    const std::vector<std::string> notRun = {
        "loadPlugin " + quote(RIGDIALS_TEST_PLUGIN_DIR "/graph_good.so") + ";",  // line 3
        "evalDeferred " + quote("file -save " + quote(other)) + ";",
        "evalDeferred " + quote("file -open -force " + quote(self)) + ";",
        "file -save " + quote(other) + ";",
        "playblast -cf " + quote(picture) + " -wh 20 20;",
        "print \"ran\\n\";",
        "currentTime 5;",
        "delete \"a\";",
        "someCommandNobodyKnows -x 1 \"two\";",
    };
    std::string text = "createNode transform -n \"a\";\ncreateNode transform -n \"b\";\n";
    for (const std::string& line : notRun) text += line + "\n";
    text += "parent b a;\n";  // the graph edits a file may make still run
    writeFile(self, text);
    open(self);
    EXPECT_EQ(scene().findPlugin("graph_good"), nullptr);
    EXPECT_FALSE(fs::exists(other));
    EXPECT_FALSE(fs::exists(picture));
    EXPECT_EQ(out().find("ran"), std::string::npos) << out();
    EXPECT_EQ(result("currentTime -q"), "1");
    ASSERT_NE(scene().findNode("b"), nullptr);
    EXPECT_EQ(scene().findNode("b")->parent, scene().findNode("a"));
    EXPECT_TRUE(scene().deferredCommands().empty());
    open(self);
    for (std::size_t i = 0; i < notRun.size(); ++i) {
        const std::string at = "self.ma line " + std::to_string(i + 3) + ": ";
        const std::size_t first = err().find(at);
        EXPECT_NE(first, std::string::npos) << at << "\n" << err();
        EXPECT_EQ(err().find(at, first + 1), std::string::npos) << "reported once: " << at << "\n" << err();
    }
    EXPECT_EQ(err().find("Error"), std::string::npos) << err();
    const std::string saved = roundTrip();
    for (const std::string& line : notRun)
        EXPECT_NE(saved.find("\n" + line + "\n"), std::string::npos) << line;
    EXPECT_EQ(err().find("not run"), std::string::npos) << "a save reports nothing again: " << err();
}

TEST_F(SceneFiles, AUserNodeNamedTime1KeepsItsValuesAndTheSceneItsTime) {
    ok("createNode transform -n time1; setAttr time1.tx 3; currentTime 7;");
    roundTrip();
    EXPECT_EQ(result("currentTime -q"), "7");
    EXPECT_EQ(result("getAttr time1.tx"), "3");
}

TEST_F(SceneFiles, NoNameOrTextCanAddAStatementToASavedFile) {
    using rdhost::ma::quote;
    const std::string inject = "x;\ncreateNode transform -n \"injected\";\n//";
    struct Case {
        const char* what;
        std::string file;  // the file's text to open, or "" to save a fresh scene under `name`
        std::string name;
    } cases[] = {
        {"the file's name in its comment lines", "",
         "evil\ncreateNode transform -n \"injected\";\n\r\\ \x01\xe2\x80\xa8\xc2\x85\xff.ma"},
        {"a placeholder's type", "createNode " + quote(inject) + " -n \"p\";\n", "type.ma"},
        {"a default node's name", "select -ne " + quote(inject) + ";\n\tsetAttr \".x\" 1;\n", "default.ma"},
        {"a setAttr flag's value",
         "createNode transform -n \"t\";\n\tsetAttr -k " + quote(inject) + " \".tx\";\n", "flag.ma"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ok("file -new -force; createNode transform -n a;");
        if (!c.file.empty()) {
            writeFile(path("in.ma"), c.file);
            open(path("in.ma"));
        }
        ok("file -save " + quote(path(c.name)) + ";");
        const std::string saved = readFile(path(c.name));
        ok("file -open -force " + quote(path(c.name)) + ";");
        EXPECT_EQ(scene().findNode("injected"), nullptr) << saved;
        EXPECT_EQ(err().find("Error"), std::string::npos) << err();
        ok("file -save;");
        EXPECT_EQ(readFile(path(c.name)), saved) << "the reopened scene saves to the same text";
    }
    const std::string saved = readFile(path(cases[0].name));
    EXPECT_NE(saved.find("//Name: evil\\ncreateNode transform -n \"injected\";\\n\\r\\\\ \\x01\\xe2\\x80\\xa8"
                         "\\xc2\\x85\\xff.ma\n"),
              std::string::npos)
        << saved;
}

TEST_F(SceneFiles, OutputValuesInAFileAreRecomputedNotTrusted) {
    // The outputs come after the handle here, so setting them last would leave
    // the file's (wrong) numbers in place as if computed.
    writeFile(path("stale.ma"),
              "requires \"rigDials\" \"3.0\";\n"
              "createNode transform -n \"sl\";\n"
              "createNode KelSliderManipulator -n \"slider1\" -p \"sl\";\n"
              "\tsetAttr \".hp\" 1;\n"
              "\tsetAttr \".ra\" 0.9;\n");
    open(path("stale.ma"));
    EXPECT_EQ(result("getAttr slider1.ratio"), "0.2");
}

TEST_F(SceneFiles, ConnectionsBetweenUnitsConvertTheSameAfterReopening) {
    ok("loadPlugin rigDials;"
       "createNode KelArcSliderManipulator -n arc;"
       "setAttr arc.snap 0; setAttr arc.currentAngle 45;"
       "createNode transform -n t; createNode transform -n u;"
       "connectAttr arc.angleValue t.rotateY;"  // unitless degrees into an angle
       "connectAttr t.rotateX u.scaleX;"        // an angle into a unitless
       "connectAttr t.translateX u.scaleY;"     // centimetres into a unitless
       "setAttr t.rx 30; setAttr t.tx 2.5;");
    auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(result("getAttr arc.angleValue"), "45");
        EXPECT_EQ(result("getAttr t.rotateY"), "45");
        rdhost::Node* t = scene().findNode("t");
        ASSERT_TRUE(t);
        EXPECT_NEAR(t->getNumber(t->findAttr("ry")->index), M_PI / 4, 1e-6);
        EXPECT_EQ(result("getAttr u.scaleX"), "30");
        EXPECT_EQ(result("getAttr u.scaleY"), "2.5");
        ok("setAttr arc.currentAngle 90; setAttr t.rx -12.5;");
        EXPECT_EQ(result("getAttr t.rotateY"), "90");
        EXPECT_EQ(result("getAttr u.scaleX"), "-12.5");
        ok("setAttr arc.currentAngle 45; setAttr t.rx 30;");
    };
    check("as connected");
    std::string text = roundTrip();
    // Through the unitConversion node the host puts between the units.
    EXPECT_NE(
        text.find(
            "createNode unitConversion -n \"unitConversion1\";\n\tsetAttr \".cf\" 0.017453292519943295;"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("connectAttr \"arc.avl\" \"unitConversion1.i\";"), std::string::npos) << text;
    check("after reopening");
}

TEST_F(SceneFiles, SavedFilesGetTheModeAnyWrittenFileGets) {
    auto modeOf = [](const std::string& file) {
        struct stat st;
        return ::stat(file.c_str(), &st) == 0 ? (st.st_mode & 07777) : mode_t{07777};
    };
    struct RestoreUmask {
        mode_t old = ::umask(027);
        ~RestoreUmask() { ::umask(old); }
    } restore;
    ok("createNode transform -n t;");
    save("new.ma");
    EXPECT_EQ(modeOf(path("new.ma")), mode_t{0640});
    ::umask(022);
    save("stale.ma");
    EXPECT_EQ(modeOf(path("stale.ma")), mode_t{0644});
    // Saving over a file keeps the mode its owner gave it.
    ASSERT_EQ(::chmod(path("stale.ma").c_str(), 0604), 0);
    save("stale.ma");
    EXPECT_EQ(modeOf(path("stale.ma")), mode_t{0604});
}

TEST_F(SceneFiles, DamagedFilesKeepWhatCameBeforeAndReportTheLine) {
    const std::string good =
        "requires maya \"2024\";\n"                     // 1
        "createNode transform -n \"first\";\n"          // 2
        "\tsetAttr \".t\" -type \"double3\" 1 2 3 ;\n"  // 3
        "createNode transform -n \"second\";\n";        // 4
    struct Case {
        const char* name;
        std::string text;
        const char* line;
    } cases[] = {
        {"cut in a string", good + "\tsetAttr \".tx\" 4;\ncreateNode transform -n \"thi", "line 6"},
        {"garbled line", good + "%$#@!\x7f junk;\ncreateNode transform -n \"third\";\n", "line 5"},
        {"cut in a statement", good + "\tsetAttr \".t\" -type \"double3\" 1", "line 5"},
        {"bad value", good + "\tsetAttr \".tx\" \"four\";\ncreateNode transform -n \"third\";\n", "line 5"},
        {"missing parent", good + "createNode transform -n \"third\" -p \"nowhere\";\n", "line 5"},
        {"key past the double range",
         good + "createNode animCurveTL -n \"c\";\n\tsetAttr -s 1 \".ktv[0:0]\" 1 1e999;\n", "line 6"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ok("file -new -force; file -rename \"" + path("named.ma") + "\";");
        writeFile(path("damaged.ma"), c.text);
        EXPECT_FALSE(run("file -open -force \"" + path("damaged.ma") + "\";"));
        EXPECT_NE(err().find("damaged.ma " + std::string(c.line)), std::string::npos) << err();
        rdhost::Node* first = scene().findNode("first");
        ASSERT_NE(first, nullptr) << "what came before the damage stays";
        EXPECT_EQ(first->storedNumber(first->findAttr("ty")->index), 2.0);
        EXPECT_NE(scene().findNode("second"), nullptr);
        EXPECT_EQ(scene().findNode("third"), nullptr) << "nothing after the damage is read";
        EXPECT_EQ(result("file -q -sn"), "")
            << "a partly read scene is untitled, so a save cannot overwrite the file";
    }
    // The program's status: a script stops at the failed open.
    EXPECT_FALSE(run("file -open \"" + path("damaged.ma") + "\"; createNode transform -n after;"));
    EXPECT_EQ(scene().findNode("after"), nullptr);
}

TEST_F(SceneFiles, FileCommandErrorsChangeNothing) {
    ok("createNode transform -n keep;");
    const std::string before = snapshot();
    struct {
        std::string command;
        const char* message;
    } cases[] = {
        {"file -save;", "no name"},
        {"file -open \"" + path("missing.ma") + "\";", "no file"},
        {"file -open \"" + dir_.string() + "\";", "folder"},
        {"file -save \"" + path("x.mb") + "\";", "Maya binary"},
        {"file -rename a.ma -save;", "exactly one"},
        {"file -save -type \"mayaBinary\" \"" + path("x.ma") + "\";", "mayaAscii"},
        {"file -save \"" + path("no/such/dir/x.ma") + "\";", "cannot write"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(run(c.command)) << c.command;
        EXPECT_NE(err().find(c.message), std::string::npos) << c.command << ": " << err();
        EXPECT_EQ(snapshot(), before) << c.command;
    }
    writeFile(path("binary.mb"), std::string("FOR4\0\0\0\x20", 8));
    EXPECT_FALSE(run("file -open \"" + path("binary.mb") + "\";"));
    EXPECT_NE(err().find("Maya binary"), std::string::npos) << err();
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(fs::exists(path("x.ma")));
}

TEST_F(SceneFiles, SaveToANameGivenOnSave) {
    ok("createNode transform -n a;");
    EXPECT_EQ(result("file -save \"" + path("direct.ma") + "\";"), path("direct.ma"));
    EXPECT_EQ(result("file -q -sn"), path("direct.ma"));
    EXPECT_NE(readFile(path("direct.ma")).find("//Name: direct.ma\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(path("direct.ma.saving")));
}

// Names in a folder, hidden ones included, sorted.
std::string listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string out;
    for (const auto& n : names) out += n + " ";
    return out;
}

// What a save must leave alone: the thing already at the name, unchanged and
// with no temporary beside it.
TEST_F(SceneFiles, SavesReplaceOnlyRegularFilesTheUserMayWrite) {
    ok("createNode transform -n t;");
    fs::create_directories(path("dir"));
    writeFile(path("dir/.saving"), "kept");
    writeFile(path("readonly.ma"), "kept");
    ASSERT_EQ(::chmod(path("readonly.ma").c_str(), 0444), 0);  // refused for root too
    ASSERT_EQ(::mkfifo(path("pipe.ma").c_str(), 0644), 0);
    // A device node of our own, so that a fault could not replace /dev/null.
    const bool device = ::mknod(path("device.ma").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    if (!device) std::printf("note: the device-file case is skipped: mknod needs privileges here\n");
    struct Case {
        std::string name;
        const char* message;
    } cases[] = {
        {path("dir") + "/", "names a folder"},
        {path("dir"), "is a folder"},
        {path("readonly.ma"), "read-only"},
        {path("pipe.ma"), "is a pipe, not a regular file"},
        {path("device.ma"), "is a device, not a regular file"},
    };
    const std::string before = listing(dir_);
    for (const auto& c : cases) {
        if (c.name == path("device.ma") && !device) continue;
        EXPECT_FALSE(run("file -save \"" + c.name + "\";")) << c.name;
        EXPECT_NE(err().find("cannot write '" + c.name + "': "), std::string::npos) << err();
        EXPECT_NE(err().find(c.message), std::string::npos) << err();
        EXPECT_EQ(listing(dir_), before) << c.name;
    }
    EXPECT_EQ(readFile(path("dir/.saving")), "kept");
    EXPECT_EQ(readFile(path("readonly.ma")), "kept");
    struct stat st;
    EXPECT_TRUE(::stat(path("pipe.ma").c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
    if (device) {
        EXPECT_TRUE(::stat(path("device.ma").c_str(), &st) == 0 && S_ISCHR(st.st_mode));
    }
}

TEST_F(SceneFiles, SavesGoThroughAFreshTemporaryNeverAnExistingName) {
    ok("createNode transform -n t;");
    // A link where a fixed temporary name would be is not written through.
    writeFile(path("victim.txt"), "kept");
    fs::create_symlink(path("victim.txt"), path("scene.ma.saving"));
    ok("file -save \"" + path("scene.ma") + "\";");
    EXPECT_EQ(readFile(path("victim.txt")), "kept");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path("scene.ma"))));
    // A name as long as a name may be leaves no room for a suffix.
    const std::string longName = std::string(252, 'n') + ".ma";
    ok("file -save \"" + path(longName) + "\";");
    EXPECT_NE(readFile(path(longName)).find("createNode transform -n \"t\""), std::string::npos);
    // Saving through a link replaces the file it names and keeps the link.
    fs::create_directories(path("real"));
    writeFile(path("real/linked.ma"), "old");
    fs::create_symlink(path("real/linked.ma"), path("link.ma"));
    ok("file -save \"" + path("link.ma") + "\";");
    EXPECT_TRUE(fs::is_symlink(path("link.ma")));
    EXPECT_NE(readFile(path("real/linked.ma")).find("createNode transform"), std::string::npos);
    EXPECT_EQ(listing(dir_), "link.ma " + longName + " real scene.ma scene.ma.saving victim.txt ");
    EXPECT_EQ(listing(path("real")), "linked.ma ");
}

TEST_F(SceneFiles, OpenReadsOnlyRegularFilesOfBoundedSize) {
    ok("createNode transform -n keep; file -rename \"" + path("named.ma") + "\";");
    const std::string before = snapshot();
    ASSERT_EQ(::mkfifo(path("pipe.ma").c_str(), 0644), 0);  // with no writer: opening must not wait
    { std::ofstream big(path("big.ma")); }
    fs::resize_file(path("big.ma"), rdhost::kMaxSceneFileBytes + 1);  // sparse: nothing is written
    const bool device = ::mknod(path("device.ma").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    if (!device) std::printf("note: the device-file case is skipped: mknod needs privileges here\n");
    struct Case {
        std::string name;
        const char* message;
    } cases[] = {
        {"/dev/null", "'/dev/null' is a device, not a scene file"},
        {path("device.ma"), "is a device, not a scene file"},
        {path("pipe.ma"), "is a pipe, not a scene file"},
        {path("big.ma"), "is larger than 1 GiB, the most a scene file may hold"},
    };
    for (const auto& c : cases) {
        if (c.name == path("device.ma") && !device) continue;
        EXPECT_FALSE(run("file -open -force \"" + c.name + "\";")) << c.name;
        EXPECT_NE(err().find(c.message), std::string::npos) << err();
        EXPECT_EQ(snapshot(), before) << c.name;
        EXPECT_EQ(result("file -q -sn"), path("named.ma"))
            << "a plain save still goes to the scene's own name";
    }
    if (!device) return;
    // Had the device been read as a scene, a plain save must still not replace it.
    ok("file -rename \"" + path("device.ma") + "\";");
    EXPECT_FALSE(run("file -save;"));
    struct stat st;
    EXPECT_TRUE(::stat(path("device.ma").c_str(), &st) == 0 && S_ISCHR(st.st_mode));
}

// ------------------------------------------------------------- the samples

const char* const kSamples[] = {"UsdExportSkeletonNoDagPose.ma", "UsdExportRootsTest.ma",
                                "UsdExportEulerFilterTest.ma", "multi_uv_simple.ma", "SerializationTest.ma"};

class Samples : public SceneFiles, public ::testing::WithParamInterface<const char*> {};

TEST_P(Samples, OpenWithoutErrorAndRoundTrip) {
    const std::string file = std::string(RIGDIALS_SAMPLES_DIR) + "/" + GetParam();
    if (!fs::exists(file)) GTEST_SKIP() << "sample scenes not found at " << RIGDIALS_SAMPLES_DIR;
    ASSERT_TRUE(run("file -open -force \"" + file + "\";")) << err();
    EXPECT_EQ(err().find("Error"), std::string::npos) << err();
    EXPECT_FALSE(scene().nodes().empty());
    roundTrip();
}

INSTANTIATE_TEST_SUITE_P(SceneFiles, Samples, ::testing::ValuesIn(kSamples), [](const auto& info) {
    std::string n = info.param;
    return n.substr(0, n.find('.'));
});

TEST_F(SceneFiles, RunsOfElementsAreReadIntoTheElementsAndSavedOnce) {
    writeFile(path("runs.ma"),
              "createNode plusMinusAverage -n \"p\";\n"
              "\tsetAttr -s 3 \".i1[0:2]\"  1 2 3;\n"
              "\tsetAttr -s 2 \".i3[0:1]\" -type \"float3\" 1 2 3 4 5 6;\n"
              "\tsetAttr -s 2 \".i2\";\n"
              "createNode remapValue -n \"r\";\n"
              "\tsetAttr -s 2 \".vl[0:1]\"  0 0 1 1 2 1;\n"
              "\tsetAttr \".i\" 0.5;\n"
              "createNode blendWeighted -n \"w\";\n"
              "\tsetAttr -s 2 \".w[0:1]\"  0.5 0.25;\n"
              "createNode blendTwoAttr -n \"b\";\n"
              "\tsetAttr -s 2 \".i[0:1]\"  1 2 3;\n");  // one value short
    open(path("runs.ma"));
    EXPECT_NE(err().find("'b.i[0:1]' takes 2 values (1 for each of 2 elements), got 3; kept as written"),
              std::string::npos)
        << err();
    EXPECT_EQ(err().find("plusMinusAverage"), std::string::npos) << err();
    const std::pair<const char*, const char*> rows[] = {
        {"p.o1", "6"}, {"p.o3", "5 7 9"},  {"r.vl[1].vfv", "2"},
        {"r.ov", "1"}, {"w.w[1]", "0.25"}, {"b.i[0]", "0"},
    };
    for (const auto& [plug, value] : rows) EXPECT_EQ(result(std::string("getAttr ") + plug), value) << plug;
    // An edited element is saved as it is now, with no stale run beside it.
    ok("setAttr p.i1[1] 10; setAttr -s 2 r.vl[0:1] 0 0 1 1 4 1;");
    EXPECT_EQ(result("getAttr p.o1"), "14");
    const std::string text = roundTrip();
    EXPECT_EQ(text.find(".i1[0:2]"), std::string::npos) << text;
    EXPECT_NE(text.find("\tsetAttr \".i1[1]\" 10;\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\tsetAttr -s 2 \".i[0:1]\"  1 2 3;\n"), std::string::npos) << text;
    EXPECT_EQ(result("getAttr r.ov"), "2");
}

TEST_F(SceneFiles, SampleDetailsAreRead) {
    const std::string dir = RIGDIALS_SAMPLES_DIR;
    if (!fs::exists(dir + "/UsdExportEulerFilterTest.ma"))
        GTEST_SKIP() << "sample scenes not found at " << dir;
    open(dir + "/UsdExportEulerFilterTest.ma");
    rdhost::Node* curve = scene().findNode("ikHandle1_translateY");
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->type->name, "animCurveTL");
    EXPECT_EQ(result("keyframe -q -tc ikHandle1_translateY"), "1 3");
    EXPECT_EQ(result("keyframe -q -vc ikHandle1_translateY"), "0.4 -0.5");
    EXPECT_EQ(result("getAttr ikHandle1_translateY.tan"), "18");
    // Auto tangents, level at both end keys: a quarter of the way is 0.15625
    // of the fall, as the host evaluates it.
    EXPECT_EQ(result("keyTangent -q -ott ikHandle1_translateY"), "auto auto");
    EXPECT_NEAR(std::stod(result("getAttr -time 1.5 ikHandle1_translateY.o")), 0.4 - 0.9 * 0.15625, 1e-12);
    EXPECT_EQ(result("getAttr persp.tx"), "-5.571768050735697");
    EXPECT_EQ(scene().findNode("perspShape")->unknownTypeName, "camera");
    // ikHandle1 is a placeholder: the curve's connection to it is kept as written.
    std::string text = save("euler.ma");
    EXPECT_NE(text.find("connectAttr \"ikHandle1_translateX.o\" \"ikHandle1.tx\";"), std::string::npos);
    EXPECT_NE(text.find("\tsetAttr -s 2 \".ktv[0:1]\"  1 0.4 3 -0.5;"), std::string::npos) << text;

    // The host keeps the playback range in a script node.
    open(dir + "/SerializationTest.ma");
    EXPECT_EQ(result("playbackOptions -q -max"), "120");
    ok("playbackOptions -max 96;");
    EXPECT_NE(save("serial.ma").find("\"playbackOptions -min 1 -max 96 -ast 1 -aet 200 \""),
              std::string::npos);

    open(dir + "/UsdExportRootsTest.ma");
    rdhost::Node* cube = scene().findNode("Cube");
    ASSERT_NE(cube, nullptr);
    ASSERT_NE(cube->parent, nullptr);
    EXPECT_EQ(cube->parent->name, "Mid");
    EXPECT_EQ(result("getAttr Cube.ry"), "45");

    // A run a foreign node's file sets is one value of that name.
    open(dir + "/multi_uv_simple.ma");
    ok("setAttr -s 4 mesh_template24xShape.ed[0:3] 0 1 0 0 2 0 1 3 0 2 3 1;");
    EXPECT_EQ(result("getAttr mesh_template24xShape.ed[0:3]"), "0 1 0 0 2 0 1 3 0 2 3 1");
}

TEST_F(SceneFiles, ForeignNodesKeepEveryValueTheirFileSetsAndEveryConnection) {
    const std::string dir = RIGDIALS_SAMPLES_DIR;
    if (!fs::exists(dir + "/UsdExportEulerFilterTest.ma"))
        GTEST_SKIP() << "sample scenes not found at " << dir;
    open(dir + "/UsdExportEulerFilterTest.ma");
    ok("createNode transform -n e; setAttr e.rz 30; setAttr e.tx 7;");
    ok("connectAttr e.rz joint2.rotateZ; connectAttr e.tx ikHandle1.pvx; setAttr ikHandle1.roc off;");
    EXPECT_FALSE(run("connectAttr e.rz joint2.rotateZ;"));  // once is enough
    const std::string text = save("foreign.ma");
    EXPECT_EQ(text.find("connectAttr \"e.rz\" \"joint2.rz\";"),
              text.rfind("connectAttr \"e.rz\" \"joint2.rz\";"));
    open(path("foreign.ma"));
    // plug: what getAttr reads after the save and reopening
    const std::pair<const char*, const char*> rows[] = {
        {"joint2.rotateZ", "30"},
        {"joint1.rotate", "0.41667044254269303 -7.997163072751122 174.1284539257767"},
        {"joint1.jointOrient", "0 -6.200190005625411 0"},
        {"ikHandle1.tx", "-3.901251230819555"},  // keyed on a node of a foreign type
        {"ikHandle1.pv", "7 1.7850079971217804e-09 1.9986137095860652"},
        {"ikHandle1.roc", "0"},
        {"pCube1_parentConstraint1.tg[0].tot", "0 -8.673617379884035e-19 -3.469446951953614e-18"},
        {"pCube1_parentConstraint1.w0", "1"},  // an extra attribute at its default
    };
    for (const auto& [plug, value] : rows) EXPECT_EQ(result(std::string("getAttr ") + plug), value) << plug;
    ok("setAttr pCube1_parentConstraint1.tg[0].tot 1 2 3;");
    EXPECT_EQ(result("getAttr pCube1_parentConstraint1.tg[0].tot"), "1 2 3");
    EXPECT_NE(save("foreign2.ma").find("setAttr \".tg[0].tot\" -type \"double3\" 1 2 3;"), std::string::npos);
    roundTrip();
}

}  // namespace
