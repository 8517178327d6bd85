// The queries and edits riggers type by habit, each family one table of
// scripts and what the last command gives (or, after '!', the error it
// raises). Every row starts from a fresh scene holding:
//   grp (translate 10 0 0) > ctrl > ctrlShape (a primitive locator)
//   other (ty fed from ctrl.tx)
#include "command_fixture.h"
#include "files.h"

namespace {

struct Row {
    const char* setup;
    const char* command;
    const char* expected;  // the result, or "!" and part of the error
};

class RigCommands : public CommandFixture {
protected:
    void SetUp() override {
        CommandFixture::SetUp();
        ok("loadPlugin rigDials;");
    }

    void check(const Row* rows, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            const Row& r = rows[i];
            SCOPED_TRACE(std::string(r.setup) + " | " + r.command);
            ok("file -new -force;"
               "createNode transform -n grp; setAttr grp.tx 10;"
               "createNode transform -n ctrl -p grp;"
               "createNode KelPrimitiveLocator -n ctrlShape -p ctrl;"
               "createNode transform -n other; connectAttr ctrl.tx other.ty;");
            ok(r.setup);
            if (r.expected[0] == '!') {
                EXPECT_NE(error(r.command).find(r.expected + 1), std::string::npos) << err();
            } else {
                EXPECT_EQ(result(r.command), r.expected) << err();
            }
        }
    }
};

TEST_F(RigCommands, ConnectionQueries) {
    const Row rows[] = {
        {"", "listConnections ctrl", "other"},
        {"", "listConnections -p 1 ctrl", "other.translateY"},
        {"", "listConnections -c on -p on ctrl", "ctrl.translateX other.translateY"},
        {"", "listConnections -c 1 other", "other.translateY ctrl"},
        {"", "listConnections -source true -destination false other", "ctrl"},
        {"", "listConnections -d 0 ctrl", ""},
        {"", "listConnections ctrl.t", "other"},
        {"", "listConnections ctrl.ty", ""},
        {"select other", "listConnections", "ctrl"},
        // A shape answers as its transform unless -shapes.
        {"connectAttr ctrlShape.radius other.sx", "listConnections other", "ctrl ctrl"},
        {"connectAttr ctrlShape.radius other.sx", "listConnections -sh 1 -s 1 other.sx", "ctrlShape"},
        {"connectAttr ctrlShape.radius other.sx", "listConnections -type KelPrimitiveLocator other",
         "ctrlShape"},
        {"setKeyframe ctrl.tz", "listConnections -type animCurve ctrl", "ctrl_translateZ"},
        {"setKeyframe ctrl.tz", "listConnections -type animCurve -exactType 1 ctrl", ""},
        {"setKeyframe ctrl.tz", "listConnections -type animCurveTL -p 1 ctrl", "ctrl_translateZ.output"},
        {"", "listConnections -p maybe ctrl", "!flag -plugs expects on or off"},
        {"", "listConnections nope", "!listConnections: no node named 'nope'"},
        {"", "connectionInfo -sfd other.ty", "ctrl.translateX"},
        {"", "connectionInfo -sourceFromDestination other.tx", ""},
        {"", "connectionInfo -dfs ctrl.tx", "other.translateY"},
        {"connectAttr ctrl.tx other.tz", "connectionInfo -destinationFromSource ctrl.tx",
         "other.translateY other.translateZ"},
        {"", "connectionInfo -is ctrl.tx", "1"},
        {"", "connectionInfo -id ctrl.tx", "0"},
        {"", "connectionInfo -isDestination other.ty", "1"},
        // A compound connected whole: its children count unless Exact.
        {"connectAttr ctrl.r other.r", "connectionInfo -id other.rx", "1"},
        {"connectAttr ctrl.r other.r", "connectionInfo -ied other.rx", "0"},
        {"connectAttr ctrl.r other.r", "connectionInfo -ged other.rx", "other.rotate"},
        {"connectAttr ctrl.r other.r", "connectionInfo -ges ctrl.ry", "ctrl.rotate"},
        {"connectAttr ctrl.r other.r", "connectionInfo -sfd other.rx", "ctrl.rotate"},
        {"setAttr -l on ctrl.t", "connectionInfo -il ctrl.tx", "1"},
        {"setAttr -l on ctrl.t", "connectionInfo -gla ctrl.tx", "ctrl.translate"},
        {"", "connectionInfo -il ctrl.tx", "0"},
        {"", "connectionInfo ctrl.tx", "!no query flag given"},
        {"", "connectionInfo -is -id ctrl.tx", "!give one query flag, not -isSource and -isDestination"},
    };
    check(rows, std::size(rows));
}

TEST_F(RigCommands, HierarchyQueries) {
    const Row rows[] = {
        {"", "listRelatives grp", "ctrl"},
        {"", "listRelatives -c ctrl", "ctrlShape"},
        {"", "listRelatives -s ctrl", "ctrlShape"},
        {"", "listRelatives -s grp", ""},
        // Grandchildren before children, as the host lists them.
        {"createNode transform -n b -p grp", "listRelatives -ad grp", "b ctrlShape ctrl"},
        {"", "listRelatives -ad -s grp", "ctrlShape"},
        {"", "listRelatives -ad -type transform grp", "ctrl"},
        {"", "listRelatives -p ctrlShape", "ctrl"},
        {"", "listRelatives -p grp", ""},
        {"", "listRelatives -ap ctrlShape", "ctrl grp"},
        {"", "listRelatives -f ctrl", "|grp|ctrl|ctrlShape"},
        {"", "listRelatives -p -f ctrlShape", "|grp|ctrl"},
        {"createNode transform -n g2; createNode transform -n ctrl -p g2", "listRelatives -p g2|ctrl", "g2"},
        {"createNode transform -n g2; createNode transform -n ctrl -p g2", "listRelatives g2", "g2|ctrl"},
        {"select ctrl", "listRelatives", "ctrlShape"},
        {"", "listRelatives -p -c ctrl", "!give one of -children, -allDescendents, -parent or -allParents"},
        {"", "objExists ctrl", "1"},
        {"", "objExists grp|ctrl|ctrlShape", "1"},
        {"", "objExists nope", "0"},
        {"", "objExists ctrl.tx", "1"},
        {"", "objExists ctrl.nope", "0"},
        {"addAttr -ln smile ctrl", "objExists ctrl.smile", "1"},
    };
    check(rows, std::size(rows));
}

TEST_F(RigCommands, PlacingTransforms) {
    const Row rows[] = {
        {"xform -t 1 2 3 ctrl", "xform -q -t ctrl", "1 2 3"},
        {"xform -t 1 2 3 ctrl", "xform -q -ws -t ctrl", "11 2 3"},
        {"xform -ws -t 0 0 0 ctrl", "getAttr ctrl.t", "-10 0 0"},
        {"xform -t 1 2 3 ctrl; xform -r -t 1 0 0 ctrl", "getAttr ctrl.t", "2 2 3"},
        // Under a parent turned 90 degrees about y, world x is the parent's z.
        {"setAttr grp.ry 90; xform -ws -t 11 0 0 ctrl", "getAttr ctrl.t", "0 0 1"},
        {"xform -ro 0 45 0 ctrl", "xform -q -ro ctrl", "0 45 0"},
        {"setAttr grp.ry 90; xform -ro 0 45 0 ctrl", "xform -q -ws -ro ctrl", "0 135 0"},
        {"setAttr grp.ry 90; xform -ws -ro 0 0 0 ctrl", "getAttr ctrl.r", "0 -90 0"},
        {"xform -s 2 2 2 ctrl; xform -r -s 2 1 0.5 ctrl", "getAttr ctrl.s", "4 2 1"},
        {"setAttr grp.sx 3; xform -s 2 1 1 ctrl", "xform -q -ws -s ctrl", "6 1 1"},
        {"xform -t 1 2 3 ctrl", "xform -q -m ctrl", "1 0 0 0 0 1 0 0 0 0 1 0 1 2 3 1"},
        {"xform -t 1 2 3 ctrl", "xform -q -ws -m ctrl", "1 0 0 0 0 1 0 0 0 0 1 0 11 2 3 1"},
        {"xform -m 2 0 0 0 0 2 0 0 0 0 2 0 5 6 7 1 ctrl", "xform -q -s ctrl", "2 2 2"},
        {"xform -m 0 0 -1 0 0 1 0 0 1 0 0 0 5 6 7 1 ctrl", "xform -q -ro ctrl", "0 90 0"},
        {"xform -ws -m 1 0 0 0 0 1 0 0 0 0 1 0 5 6 7 1 ctrl", "getAttr ctrl.t", "-5 6 7"},
        {"", "xform -q ctrl", "!-query needs what to query"},
        {"", "xform -q -t -ro ctrl", "!query one of"},
        {"", "xform -q -t ctrlShape", "!'ctrlShape' is not a transform"},
        {"setAttr -l on ctrl.tx", "xform -t 1 2 3 ctrl", "!'ctrl.translateX' is locked"},
        {"", "xform -t 1 2 ctrl", "!flag -t"},
        // move: world space by default.
        {"move 1 2 3 ctrl", "getAttr ctrl.t", "-9 2 3"},
        {"move 1 2 3 ctrl; move -r 1 0 0 ctrl", "xform -q -ws -t ctrl", "2 2 3"},
        {"move -ls 1 2 3 ctrl", "getAttr ctrl.t", "1 2 3"},
        {"setAttr ctrl.ry 90; move -r -os 1 0 0 ctrl", "getAttr ctrl.t", "0 0 -1"},
        {"select ctrl; move 10 0 0", "getAttr ctrl.t", "0 0 0"},
        {"", "move 1 2 ctrl", "!expects three numbers"},
        {"connectAttr other.tx ctrl.tz", "move 1 2 3 ctrl", "!'ctrl.translateZ' is driven by a connection"},
        // rotate: the channels; relative turns keep counting past 180.
        {"rotate 0 45 0 ctrl", "getAttr ctrl.r", "0 45 0"},
        {"rotate -r 0 100 0 ctrl; rotate -r 0 100 0 ctrl", "getAttr ctrl.r", "0 200 0"},
        {"setAttr grp.ry 90; rotate -ws 0 0 0 ctrl", "getAttr ctrl.r", "0 -90 0"},
        {"setAttr ctrl.rx 90; rotate -r -ws 0 0 90 ctrl", "xform -q -ws -ro ctrl", "90 0 90"},
        {"scale 2 3 4 ctrl; scale -r 2 2 2 ctrl", "getAttr ctrl.s", "4 6 8"},
    };
    check(rows, std::size(rows));
}

TEST_F(RigCommands, MakingNodes) {
    const Row rows[] = {
        {"", "group -n rig ctrl", "rig"},
        {"group -n rig ctrl", "listRelatives -p rig", "grp"},
        {"group -n rig ctrl", "listRelatives -p -f ctrl", "|grp|rig"},
        {"", "group -em", "null1"},
        {"", "group -em -n offset -p ctrl", "offset"},
        {"select other", "group", "group1"},
        // Grouped into the world, ctrl keeps its place.
        {"setAttr ctrl.tx 1; group -w -n top ctrl", "xform -q -ws -t ctrl", "11 0 0"},
        {"setAttr ctrl.tx 1; group -w -n top ctrl", "getAttr ctrl.t", "11 0 0"},
        {"select -cl", "group", "!nothing to group"},
        {"", "group -em ctrl", "!-empty makes a group with nothing in it"},
        {"", "group ctrlShape", "!'ctrlShape' is not a transform"},
        {"", "spaceLocator -n pin", "pin"},
        {"spaceLocator -n pin2", "listRelatives -s pin2", "pinShape2"},
        {"spaceLocator -p 1 2 3", "getAttr locatorShape1.lp", "1 2 3"},
        {"spaceLocator -p 1 2 3", "getAttr locator1.t", "0 0 0"},
        {"createNode locator -n pinShape -p other", "getAttr pinShape.los", "1 1 1"},
        {"", "spaceLocator pin", "!takes no arguments"},
        {"", "duplicate ctrl", "ctrl1"},
        {"duplicate ctrl", "listRelatives ctrl1", "ctrl1Shape"},
        {"duplicate ctrl", "listRelatives -p ctrl1", "grp"},
        {"setAttr ctrlShape.radius 3; setAttr ctrl.ty 4; duplicate ctrl", "getAttr ctrl1Shape.radius", "3"},
        {"setAttr ctrl.ty 4; duplicate ctrl", "getAttr ctrl1.ty", "4"},
        {"setAttr -l on ctrl.ty; duplicate ctrl", "getAttr -l ctrl1.ty", "1"},
        {"addAttr -ln smile -k 1 -min 0 -max 1 ctrl; setAttr ctrl.smile 0.5; duplicate ctrl",
         "getAttr ctrl1.smile", "0.5"},
        {"duplicate -n left grp", "listRelatives -ad left", "left|ctrl|ctrlShape left|ctrl"},
        {"", "duplicate -n left grp", "left left|ctrl"},
        {"", "duplicate -rr -n left grp", "left"},
        {"", "duplicate -po grp", "grp1"},
        {"duplicate -po grp", "listRelatives grp1", ""},
        // Outside inputs only with -inputConnections; the copy keeps the value.
        {"setAttr ctrl.tx 2; duplicate other", "listConnections -s 1 other1", ""},
        {"setAttr ctrl.tx 2; duplicate other", "getAttr other1.ty", "2"},
        {"duplicate -ic other", "listConnections -s 1 -p 1 other1", "ctrl.translateX"},
        {"connectAttr ctrl.tx ctrlShape.radius; duplicate ctrl", "listConnections -p 1 ctrl1Shape",
         "ctrl1.translateX"},
        {"", "duplicate ctrlShape", "!'ctrlShape' is a shape; duplicate its transform 'ctrl'"},
        {"select -cl", "duplicate", "!nothing to duplicate"},
    };
    check(rows, std::size(rows));
}

TEST_F(RigCommands, AddedAttributes) {
    const Row rows[] = {
        {"addAttr -ln smile -sn sm -min 0 -max 1 -dv 0.25 -k 1 ctrl", "getAttr ctrl.sm", "0.25"},
        {"addAttr -ln smile -min 0 -max 1 ctrl; setAttr ctrl.smile 2", "getAttr ctrl.smile", "1"},
        {"addAttr -ln smile ctrl", "getAttr -type ctrl.smile", "double"},
        {"addAttr -ln smile -k true ctrl", "getAttr -k ctrl.smile", "1"},
        {"addAttr -ln smile ctrl", "getAttr -k ctrl.smile", "0"},
        {"addAttr -ln on -at bool ctrl; setAttr ctrl.on 1", "getAttr ctrl.on", "1"},
        {"addAttr -ln n -at long -dv 7 ctrl", "getAttr ctrl.n", "7"},
        {"addAttr -ln n -at short ctrl; setAttr ctrl.n 2.7", "getAttr ctrl.n", "3"},
        {"addAttr -ln n -at byte ctrl", "getAttr -type ctrl.n", "byte"},
        {"addAttr -ln n -at char ctrl", "getAttr -type ctrl.n", "char"},
        {"addAttr -ln n -at float -dv 0.1 ctrl", "getAttr ctrl.n", "0.1"},
        {"addAttr -ln d -at doubleLinear -dv 2 ctrl", "getAttr -type ctrl.d", "doubleLinear"},
        {"addAttr -ln a -at doubleAngle -dv 90 ctrl", "getAttr ctrl.a", "90"},
        {"addAttr -ln a -at doubleAngle -min -45 -max 45 ctrl", "attributeQuery -n ctrl -max a", "45"},
        {"addAttr -ln tm -at time -dv 12 ctrl", "getAttr ctrl.tm", "12"},
        {"", "addAttr -ln t -at time ctrl", "!'ctrl' already has an attribute named 't'"},
        {"addAttr -ln side -at enum -en \"left:right:center\" ctrl; setAttr ctrl.side 2", "getAttr ctrl.side",
         "2"},
        {"addAttr -ln side -at enum -en \"low=1:high=10\" ctrl", "attributeQuery -n ctrl -listEnum side",
         "low=1:high=10"},
        {"addAttr -ln side -at enum -en \"a:b\" ctrl", "setAttr ctrl.side 5", "!5 is not a value of enum"},
        {"addAttr -ln note -dt \"string\" ctrl; setAttr ctrl.note -type \"string\" hi", "getAttr ctrl.note",
         "hi"},
        {"addAttr -ln off -at double3 ctrl; addAttr -ln offX -p off ctrl; addAttr -ln offY -p off ctrl;"
         "addAttr -ln offZ -p off ctrl; setAttr ctrl.off 1 2 3",
         "getAttr ctrl.off", "1 2 3"},
        {"addAttr -ln off -at float2 ctrl; addAttr -ln offU -at float -p off ctrl", "objExists ctrl.off",
         "0"},
        {"addAttr -ln off -at float2 ctrl; addAttr -ln offU -at float -p off ctrl;"
         "addAttr -ln offV -at float -p off ctrl",
         "getAttr -type ctrl.off", "float2"},
        {"addAttr -ln off -at double3 ctrl", "addAttr -ln offX -at float -p off ctrl",
         "!the children of 'off' are -attributeType \"double\", not \"float\""},
        {"addAttr -ln smile ctrl; addAttr -ln blink -k 1 ctrl", "listAttr -ud ctrl", "smile blink"},
        {"addAttr -ln smile ctrl; addAttr -ln blink -k 1 ctrl", "listAttr -ud -k ctrl", "blink"},
        {"addAttr -ln smile ctrl; setKeyframe -v 0.5 ctrl.smile", "getAttr ctrl.smile", "0.5"},
        {"addAttr -ln smile ctrl; connectAttr ctrl.smile other.tz; setAttr ctrl.smile 3", "getAttr other.tz",
         "3"},
        {"select ctrl other; addAttr -ln w", "getAttr other.w", "0"},
        {"addAttr -ln smile ctrl; connectAttr ctrl.smile other.tz; deleteAttr ctrl.smile",
         "objExists ctrl.smile", "0"},
        {"addAttr -ln smile ctrl; connectAttr ctrl.smile other.tz; deleteAttr -at smile ctrl",
         "listConnections other.tz", ""},
        {"addAttr -ln smile ctrl; deleteAttr ctrl.smile; addAttr -ln smile -dv 2 ctrl", "getAttr ctrl.smile",
         "2"},
        {"addAttr -ln smile ctrl; undo", "objExists ctrl.smile", "0"},
        {"addAttr -ln smile ctrl; undo; redo", "objExists ctrl.smile", "1"},
        {"addAttr -ln smile ctrl; setAttr ctrl.smile 2; deleteAttr ctrl.smile; undo", "getAttr ctrl.smile",
         "2"},
        // The type's own slots grow (a multi's elements, made on first use)
        // next to the added ones: neither takes the other's.
        {"createNode plusMinusAverage -n pma; addAttr -ln w pma; setAttr pma.w 5; setAttr pma.i1[2] 3",
         "getAttr pma.w", "5"},
        {"createNode plusMinusAverage -n pma; addAttr -ln w pma; setAttr pma.w 5; setAttr pma.i1[2] 3",
         "getAttr pma.o1", "3"},
        {"createNode plusMinusAverage -n pma; addAttr -ln w pma; connectAttr pma.w other.tz;"
         "setAttr pma.i1[0] 1; setAttr pma.w 4",
         "getAttr other.tz", "4"},
        {"createNode plusMinusAverage -n a; addAttr -ln w a; createNode plusMinusAverage -n b;"
         "setAttr b.i1[4] 2; addAttr -ln v -dv 1 b; setAttr a.w 6",
         "getAttr a.w", "6"},
        {"createNode plusMinusAverage -n a; addAttr -ln w a; createNode plusMinusAverage -n b;"
         "setAttr b.i1[4] 2; addAttr -ln v -dv 1 b; setAttr a.w 6",
         "getAttr b.v", "1"},
        {"createNode plusMinusAverage -n pma; addAttr -ln w pma; setAttr pma.w 2; setAttr pma.i1[1] 7;"
         "undo; undo; undo; redo; redo; redo",
         "getAttr pma.w", "2"},
        {"createNode plusMinusAverage -n pma; addAttr -ln w pma; setAttr pma.w 2; setAttr pma.i1[1] 7;"
         "undo; undo; undo; redo; redo; redo",
         "getAttr pma.o1", "7"},
        {"addAttr -ln smile ctrl; setAttr -l on ctrl.smile", "deleteAttr ctrl.smile",
         "!'ctrl.smile' is locked; it cannot be deleted"},
        {"", "deleteAttr ctrl.tx", "!only attributes added with addAttr can be deleted"},
        {"addAttr -ln smile ctrl", "addAttr -ln smile ctrl",
         "!'ctrl' already has an attribute named 'smile'"},
        {"", "addAttr -ln tx ctrl", "!'ctrl' already has an attribute named 'tx'"},
        {"", "addAttr -ln x -at message ctrl", "!attribute type 'message' is not supported"},
        {"", "addAttr -ln x -dt \"doubleArray\" ctrl", "!data type 'doubleArray' is not supported"},
        {"", "addAttr -ln \"2x\" ctrl", "!'2x' is not a valid attribute name"},
        {"", "addAttr -ln x -min 2 -max 1 ctrl", "!-minValue 2 is above -maxValue 1"},
        {"", "addAttr -ln x -min 0 -max 1 -dv 3 ctrl", "!-defaultValue 3 is outside"},
        {"", "addAttr -ln x -at enum ctrl", "!an enum needs its fields"},
        {"select -cl", "addAttr -ln x", "!nothing to add the attribute to"},
        {"", "addAttr ctrl", "!give the attribute's -longName or -shortName"},
    };
    check(rows, std::size(rows));
}

// Added attributes and their values come back from a saved file, written as
// the host writes them.
TEST_F(RigCommands, AddedAttributesSaveAndReopen) {
    rdtest::TempDir tmp("rigdials_addattr");
    const std::string file = tmp.path("face.ma");
    ok("createNode transform -n ctrl;"
       "addAttr -ln smile -sn sm -min 0 -max 1 -dv 0.25 -k 1 ctrl; setAttr ctrl.smile 0.75;"
       "addAttr -ln side -at enum -en \"left:right=4\" ctrl; setAttr ctrl.side 4;"
       "addAttr -ln note -dt \"string\" ctrl; setAttr ctrl.note -type \"string\" \"brow up\";"
       "addAttr -ln twist -at doubleAngle -smn -90 -smx 90 -h 1 ctrl; setAttr ctrl.twist 30;"
       "addAttr -ln off -at double3 ctrl; addAttr -ln offX -p off ctrl; addAttr -ln offY -p off ctrl;"
       "addAttr -ln offZ -p off ctrl; setAttr ctrl.off 1 2 3;"
       "addAttr -ln gone ctrl; deleteAttr ctrl.gone;"
       "createNode transform -n other; connectAttr ctrl.smile other.tx;"
       // Added attributes and a multi's elements made after them.
       "createNode plusMinusAverage -n pma; addAttr -ln gain -dv 2 pma; setAttr pma.i1[0] 1;"
       "setAttr pma.i1[3] 2; connectAttr other.tx pma.gain; connectAttr pma.gain pma.i1[1];"
       "file -rename \"" +
       file + "\"; file -save;");
    const std::string text = rdtest::readFile(file);
    const char* lines[] = {
        "\taddAttr -ci true -k true -sn \"sm\" -ln \"smile\" -dv 0.25 -min 0 -max 1 -at \"double\";\n",
        "\taddAttr -ci true -sn \"side\" -ln \"side\" -en \"left:right=4\" -at \"enum\";\n",
        "\taddAttr -ci true -sn \"note\" -ln \"note\" -dt \"string\";\n",
        "\taddAttr -ci true -h true -sn \"twist\" -ln \"twist\" -smn -90 -smx 90 -at \"doubleAngle\";\n",
        "\taddAttr -ci true -sn \"off\" -ln \"off\" -at \"double3\" -nc 3;\n",
        "\taddAttr -ci true -sn \"offX\" -ln \"offX\" -at \"double\" -p \"off\";\n",
        "\tsetAttr \".sm\" 0.75;\n",
        "\tsetAttr \".off\" -type \"double3\" 1 2 3;\n",
        "connectAttr \"ctrl.sm\" \"other.tx\";\n",
    };
    for (const char* l : lines) EXPECT_NE(text.find(l), std::string::npos) << l << text;
    EXPECT_EQ(text.find("gone"), std::string::npos) << text;

    ok("file -new -force; file -open \"" + file + "\";");
    EXPECT_EQ(err(), "");
    const std::pair<const char*, const char*> after[] = {
        {"getAttr ctrl.smile", "0.75"},
        {"attributeQuery -n ctrl -max smile", "1"},
        {"getAttr -k ctrl.smile", "1"},
        {"getAttr ctrl.side", "4"},
        {"attributeQuery -n ctrl -listEnum side", "left=0:right=4"},
        {"getAttr ctrl.note", "brow up"},
        {"getAttr ctrl.twist", "30"},
        {"attributeQuery -n ctrl -hidden twist", "1"},
        {"getAttr ctrl.off", "1 2 3"},
        {"getAttr other.tx", "0.75"},
        {"listAttr -ud ctrl", "smile side note twist off offX offY offZ"},
        {"getAttr pma.gain", "0.75"},
        {"attributeQuery -n pma -listDefault gain", "2"},
        {"getAttr pma.o1", "3.75"},
        {"listConnections -p 1 -s 1 -d 0 pma.gain", "other.translateX"},
        {"listAttr -ud pma", "gain"},
    };
    for (const auto& [command, expected] : after) EXPECT_EQ(result(command), expected) << command;
}

// file -import brings another file's nodes in, renaming clashes as the host
// does; file -reference is kept and saved as the host writes it.
TEST_F(RigCommands, ImportAndReference) {
    rdtest::TempDir tmp("rigdials_import");
    const std::string lib = tmp.path("lib.ma"), scene = tmp.path("shot.ma");
    ok("createNode transform -n ctrl; createNode transform -n arm -p ctrl; setAttr arm.tx 2;"
       "addAttr -ln smile ctrl; setAttr ctrl.smile 0.5; createNode transform -n other;"
       "connectAttr ctrl.smile other.ty; file -rename \"" +
       lib +
       "\"; file -save;"
       "file -new -force; createNode transform -n ctrl; setAttr ctrl.tx 9; currentTime 5;");
    EXPECT_EQ(result("file -import \"" + lib + "\""), lib);
    const std::pair<const char*, const char*> imported[] = {
        {"ls -type transform", "ctrl lib_ctrl arm other"},
        {"getAttr lib_ctrl.smile", "0.5"},
        {"getAttr other.ty", "0.5"},
        {"listRelatives -p arm", "lib_ctrl"},
        {"getAttr arm.tx", "2"},
        {"getAttr ctrl.tx", "9"},
        {"currentTime -q", "5"},
        {"file -q -sn", ""},
    };
    for (const auto& [command, expected] : imported) EXPECT_EQ(result(command), expected) << command;
    ok("file -import -rpr face \"" + lib + "\";");
    EXPECT_EQ(result("listConnections -p 1 face_ctrl"), "face_other.translateY");
    EXPECT_EQ(result("listRelatives face_ctrl"), "face_arm");  // arm came in before
    EXPECT_EQ(result("getAttr face_other.ty"), "0.5");
    EXPECT_NE(error("file -import \"" + tmp.path("none.ma") + "\"").find("no file"), std::string::npos)
        << err();
    // A file damaged half way imports nothing.
    rdtest::writeFile(tmp.path("bad.ma"), "createNode transform -n \"half\";\nsetAttr \".tx\" \"x\";\n");
    EXPECT_NE(error("file -import \"" + tmp.path("bad.ma") + "\"").find("nothing was imported"),
              std::string::npos);
    EXPECT_EQ(result("objExists half"), "0");

    ok("file -new -force;");
    EXPECT_EQ(result("file -reference \"" + lib + "\""), lib);
    EXPECT_NE(err().find("referenced as 'lib'"), std::string::npos) << err();
    ok("file -r -ns face \"" + lib + "\"; file -r \"" + lib + "\"; file -rename \"" + scene +
       "\"; file -save;");
    ok("file -open -force \"" + scene + "\"; file -save;");
    const std::string text = rdtest::readFile(scene);
    const std::string refs =
        "//Codeset: UTF-8\n"
        "file -rdi 1 -ns \"lib\" -rfn \"libRN\" -typ \"mayaAscii\" \"" +
        lib +
        "\";\n"
        "file -r -ns \"lib\" -dr 1 -rfn \"libRN\" -typ \"mayaAscii\" \"" +
        lib +
        "\";\n"
        "file -rdi 1 -ns \"face\" -rfn \"faceRN\" -typ \"mayaAscii\" \"" +
        lib +
        "\";\n"
        "file -r -ns \"face\" -dr 1 -rfn \"faceRN\" -typ \"mayaAscii\" \"" +
        lib +
        "\";\n"
        "file -rdi 1 -ns \"lib1\" -rfn \"lib1RN\" -typ \"mayaAscii\" \"" +
        lib +
        "\";\n"
        "file -r -ns \"lib1\" -dr 1 -rfn \"lib1RN\" -typ \"mayaAscii\" \"" +
        lib +
        "\";\n"
        "requires maya \"2024\";\n";
    EXPECT_NE(text.find(refs), std::string::npos) << text;
    EXPECT_EQ(result("ls -type transform"), "");  // referenced, not loaded
}

}  // namespace
