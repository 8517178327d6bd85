// The host's own node types (utility nodes, transforms, joints) against the
// results the host documents, one row per case: a script, a plug, its value.
#include "command_fixture.h"

#include <cmath>
#include <sstream>

namespace {

class HostNodes : public CommandFixture {};

struct Row {
    const char* script;
    const char* plug;
    const char* expected;  // numbers compared to 1e-9
};

void expectNumbers(const std::string& got, const std::string& want, const std::string& what) {
    std::istringstream g(got), w(want);
    double a = 0, b = 0;
    int n = 0;
    while (w >> b) {
        ASSERT_TRUE(static_cast<bool>(g >> a)) << what << ": got '" << got << "', want '" << want << "'";
        EXPECT_NEAR(a, b, 1e-9) << what << ": got '" << got << "', want '" << want << "'";
        ++n;
    }
    EXPECT_FALSE(static_cast<bool>(g >> a)) << what << ": got '" << got << "', want '" << want << "'";
    EXPECT_GT(n, 0) << what;
}

TEST_F(HostNodes, UtilityNodesComputeAsTheHostDocuments) {
    const Row rows[] = {
        {"createNode multiplyDivide -n md; setAttr md.i1 2 3 4; setAttr md.i2 5 0.5 -1;", "md.o",
         "10 1.5 -4"},
        {"createNode multiplyDivide -n md; setAttr md.i1x 7;", "md.ox", "7"},  // input2 starts at 1
        {"createNode multiplyDivide -n md; setAttr md.op 2; setAttr md.i1 2 3 4; setAttr md.i2 4 0.5 -1;",
         "md.o", "0.5 6 -4"},
        {"createNode multiplyDivide -n md; setAttr md.op 3; setAttr md.i1 2 9 2; setAttr md.i2 3 0.5 -1;",
         "md.o", "8 3 0.5"},
        {"createNode multiplyDivide -n md; setAttr md.op 0; setAttr md.i1 2 3 4;", "md.o", "2 3 4"},
        {"createNode plusMinusAverage -n p; setAttr p.i1[0] 1; setAttr p.i1[1] 2; setAttr p.i1[3] 4;", "p.o1",
         "7"},
        {"createNode plusMinusAverage -n p; setAttr p.op 2; setAttr p.i1[0] 1; setAttr p.i1[1] 2; "
         "setAttr p.i1[3] 4;",
         "p.o1", "-5"},
        {"createNode plusMinusAverage -n p; setAttr p.op 3; setAttr p.i1[0] 1; setAttr p.i1[1] 0; "
         "setAttr p.i1[2] 5;",
         "p.o1", "2"},  // an element set to 0 counts
        {"createNode plusMinusAverage -n p; setAttr p.i3[0] 1 2 3; setAttr p.i3[1] 10 20 30;", "p.o3",
         "11 22 33"},
        {"createNode reverse -n r; setAttr r.i 0.25 1 -2;", "r.o", "0.75 0 3"},
        {"createNode clamp -n c; setAttr c.mn 0 0 5; setAttr c.mx 1 1 2; setAttr c.ip -1 0.5 3;", "c.op",
         "0 0.5 3"},
        {"createNode condition -n c; setAttr c.ft 3; setAttr c.st 2; setAttr c.op 2; setAttr c.ct 1 2 3;",
         "c.oc", "1 2 3"},
        {"createNode condition -n c; setAttr c.ft 3; setAttr c.st 2; setAttr c.op 4;", "c.oc", "1 1 1"},
        {"createNode condition -n c; setAttr c.ft 2; setAttr c.st 2; setAttr c.op 3; setAttr c.ct 4 4 4;",
         "c.oc", "4 4 4"},
        {"createNode setRange -n s; setAttr s.v 5 -1 20; setAttr s.m 1 1 1; setAttr s.om 10 10 10;", "s.o",
         "0.5 0 1"},
        {"createNode setRange -n s; setAttr s.v 5 5 5; setAttr s.n 10 10 10; setAttr s.m 20 0 20; "
         "setAttr s.on 0 0 5; setAttr s.om 10 10 5;",
         "s.o", "15 5 10"},
        {"createNode blendColors -n b;", "b.op", "0.5 0 0.5"},
        {"createNode blendColors -n b; setAttr b.b 0.25; setAttr b.c1 4 4 4; setAttr b.c2 0 8 0;", "b.op",
         "1 7 1"},
        {"createNode blendTwoAttr -n b; setAttr b.i[0] 10; setAttr b.i[1] 20; setAttr b.ab 0.25;", "b.o",
         "12.5"},
        {"createNode addDoubleLinear -n a; setAttr a.i1 2; setAttr a.i2 3.5;", "a.o", "5.5"},
        {"createNode multDoubleLinear -n m; setAttr m.i1 2; setAttr m.i2 3.5;", "m.o", "7"},
        {"createNode remapValue -n r; setAttr r.i 0.25; setAttr r.omx 10;", "r.ov", "2.5"},
        {"createNode remapValue -n r; setAttr r.imx 2; setAttr r.i 3;", "r.ov", "1"},  // held past the end
        {"createNode remapValue -n r; setAttr r.vl[0] 0 0 2; setAttr r.vl[1] 1 1 1; setAttr r.i 0.25;",
         "r.ov", "0.15625"},  // smooth
        {"createNode remapValue -n r; setAttr r.vl[0] 0 0.5 0; setAttr r.vl[1] 1 1 1; setAttr r.i 0.75;",
         "r.ov", "0.5"},  // none: held
        {"createNode remapValue -n r; setAttr r.vl[0] 0 0 3; setAttr r.vl[1] 0.5 1 3; setAttr r.vl[2] 1 0 3; "
         "setAttr r.i 0.25;",
         "r.ov", "0.5625"},  // spline through the neighbours
        {"createNode transform -n a; createNode transform -n b; connectAttr a.tx b.rz; setAttr a.tx 45;",
         "b.rz", "45"},
        {"createNode transform -n a; createNode transform -n b; connectAttr a.tx b.rz;", "unitConversion1.cf",
         "0.017453292519943295"},
        {"createNode transform -n a; createNode transform -n b; connectAttr a.rz b.tx; setAttr a.rz 30;",
         "b.tx", "30"},
        {"createNode composeMatrix -n c; setAttr c.it 1 2 3; setAttr c.ir 10 20 30; setAttr c.is 2 3 4; "
         "createNode decomposeMatrix -n d; connectAttr c.omat d.imat;",
         "d.or", "10 20 30"},
        {"createNode composeMatrix -n c; setAttr c.it 1 2 3; setAttr c.ir 10 20 30; setAttr c.is 2 3 4; "
         "setAttr c.iro 4; createNode decomposeMatrix -n d; setAttr d.ro 4; connectAttr c.omat d.imat;",
         "d.or", "10 20 30"},
        {"createNode composeMatrix -n c; setAttr c.it 1 2 3; setAttr c.ir 10 20 30; setAttr c.is 2 3 4; "
         "setAttr c.ish 0.5 0 0; createNode decomposeMatrix -n d; connectAttr c.omat d.imat;",
         "d.os", "2 3 4"},
        {"createNode composeMatrix -n c; setAttr c.ir 0 0 90; createNode decomposeMatrix -n d; "
         "connectAttr c.omat d.imat;",
         "d.oq", "0 0 0.7071067811865476 0.7071067811865476"},
        {"createNode composeMatrix -n c; setAttr c.uer 0; setAttr c.iq 0 0 0.7071067811865476 "
         "0.7071067811865476; "
         "createNode decomposeMatrix -n d; connectAttr c.omat d.imat;",
         "d.or", "0 0 90"},
        {"createNode composeMatrix -n a; setAttr a.it 1 0 0; createNode composeMatrix -n b; setAttr b.ir 0 0 "
         "90; "
         "createNode multMatrix -n m; connectAttr a.omat m.i[0]; connectAttr b.omat m.i[1]; "
         "createNode decomposeMatrix -n d; connectAttr m.o d.imat;",
         "d.ot", "0 1 0"},
    };
    for (const Row& r : rows) {
        ok("file -f -new;");
        ok(r.script);
        expectNumbers(result(std::string("getAttr ") + r.plug), r.expected,
                      std::string(r.script) + " " + r.plug);
    }
}

TEST_F(HostNodes, TransformsAndJointsGiveTheHostsWorldMatrices) {
    // Each script ends with the matrix to read connected into d.
    const Row rows[] = {
        {"createNode transform -n p; setAttr p.t 1 2 3; setAttr p.r 0 0 90; createNode transform -n c -p p; "
         "setAttr c.t 1 0 0; connectAttr c.wm[0] d.imat;",
         "d.ot", "1 3 3"},
        {"createNode transform -n p; setAttr p.r 0 0 90; createNode transform -n c -p p; setAttr c.t 1 0 0; "
         "connectAttr c.wm[0] d.imat; getAttr d.ot; setAttr p.t 5 0 0;",
         "d.ot", "5 1 0"},  // a parent's change reaches its child's world matrix
        {"createNode transform -n p; setAttr p.t 1 2 3; createNode transform -n c -p p; setAttr c.it 0; "
         "setAttr c.t 1 0 0; connectAttr c.wm[0] d.imat;",
         "d.ot", "1 0 0"},
        {"createNode transform -n p; setAttr p.rp 1 0 0; setAttr p.r 0 0 90; connectAttr p.wm[0] d.imat;",
         "d.ot", "1 -1 0"},
        {"createNode transform -n p; setAttr p.sp 1 0 0; setAttr p.s 2 2 2; connectAttr p.wm[0] d.imat;",
         "d.ot", "-1 0 0"},
        {"createNode transform -n p; setAttr p.ra 0 0 90; connectAttr p.m d.imat;", "d.or", "0 0 90"},
        {"createNode composeMatrix -n o; setAttr o.it 0 0 5; createNode transform -n p; connectAttr o.omat "
         "p.opm; "
         "setAttr p.tx 1; connectAttr p.wm[0] d.imat;",
         "d.ot", "1 0 5"},
        {"createNode joint -n j1; setAttr j1.jo 0 0 90; createNode joint -n j2 -p j1; setAttr j2.t 1 0 0; "
         "connectAttr j2.wm[0] d.imat;",
         "d.ot", "0 1 0"},
        {"createNode joint -n j1; setAttr j1.jo 0 0 90; setAttr j1.r 0 0 10; connectAttr j1.wm[0] d.imat;",
         "d.or", "0 0 100"},
        {"createNode joint -n j1; setAttr j1.s 2 2 2; createNode joint -n j2 -p j1; connectAttr j1.s j2.is; "
         "setAttr j2.t 1 0 0; connectAttr j2.wm[0] d.imat;",
         "d.os", "1 1 1"},  // the inverse scale undoes the parent's
        {"createNode joint -n j1; setAttr j1.s 2 2 2; createNode joint -n j2 -p j1; connectAttr j1.s j2.is; "
         "setAttr j2.t 1 0 0; connectAttr j2.wm[0] d.imat; getAttr d.os; setAttr j2.ssc off;",
         "d.os", "2 2 2"},  // unless segmentScaleCompensate is off
        {"createNode transform -n p; setAttr p.t 1 2 3; createNode transform -n c -p p; "
         "connectAttr c.pim[0] d.imat;",
         "d.ot", "-1 -2 -3"},
    };
    for (const Row& r : rows) {
        ok("file -f -new; createNode decomposeMatrix -n d;");
        ok(r.script);
        expectNumbers(result(std::string("getAttr ") + r.plug), r.expected,
                      std::string(r.script) + " " + r.plug);
    }
}

}  // namespace
