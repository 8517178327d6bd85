// Value classes: the math and text formatting the plug-in and host rely on.
#include "expect_near.h"

#include <maya/MAngle.h>
#include <maya/MBoundingBox.h>
#include <maya/MColor.h>
#include <maya/MDistance.h>
#include <maya/MEulerRotation.h>
#include <maya/MFloatPoint.h>
#include <maya/MFloatVector.h>
#include <maya/MMatrix.h>
#include <maya/MPoint.h>
#include <maya/MQuaternion.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>
#include <maya/MTransformationMatrix.h>
#include <maya/MTypeId.h>
#include <maya/MVector.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

const double kPi = 3.14159265358979323846;
const double kEps = 1e-9;

TEST(MStringTest, FormatsNumbersLikePrintf) {
    const int kGeneral = -1000;
    struct Case {
        double value;
        int precision;  // kGeneral: set(double)
        const char* expected;
    };
    const Case cases[] = {
        {0.5, kGeneral, "0.5"},    {26.0437, 2, "26.04"},    {26.0437, kGeneral, "26.0437"},
        {1e-9, kGeneral, "1e-09"}, {100.0, kGeneral, "100"}, {1234567.0, kGeneral, "1.23457e+06"},
        {-3.0, 0, "-3"},           {2.5, 3, "2.500"},        {0.125, 1, "0.1"},
        {-0.0001, 2, "-0.00"},     {7.0, -5, "7"},  // a negative precision counts as 0
    };
    for (const Case& c : cases) {
        MString s;
        if (c.precision == kGeneral)
            s.set(c.value);
        else
            s.set(c.value, c.precision);
        EXPECT_STREQ(s.asChar(), c.expected) << c.value << " at " << c.precision;
    }
}

TEST(MStringTest, SubstringIncludesEndAndClamps) {
    const MString s("posHandle");
    struct Case {
        int start, end;
        const char* expected;
    };
    const Case cases[] = {
        {0, 2, "pos"}, {3, 8, "Handle"}, {3, 100, "Handle"}, {-5, 1, "po"},
        {4, 3, ""},    {9, 9, ""},       {8, 8, "e"},        {-3, -1, ""},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(s.substring(c.start, c.end).asChar(), c.expected) << c.start << ".." << c.end;
    EXPECT_STREQ(MString().substring(0, 0).asChar(), "");
}

TEST(MStringTest, ConcatenatesAndCompares) {
    MString s("size ");
    s += 2;
    s += " ";
    s += 0.5;
    EXPECT_STREQ(s.asChar(), "size 2 0.5");
    EXPECT_TRUE(MString("a") + "b" == MString("ab"));
    EXPECT_TRUE("x" + MString("y") == "xy");
    EXPECT_TRUE(MString("a") != "b");
    EXPECT_EQ(MString("hello").length(), 5u);
    EXPECT_EQ(MString(static_cast<const char*>(nullptr)).length(), 0u);
}

TEST(MStringTest, ParsesNumbers) {
    EXPECT_DOUBLE_EQ(MString("26.04").asDouble(), 26.04);
    EXPECT_DOUBLE_EQ(MString("abc").asDouble(), 0.0);
    EXPECT_EQ(MString("42").asInt(), 42);
    EXPECT_TRUE(MString(" 1.5 ").isDouble());
    EXPECT_FALSE(MString("1.5x").isDouble());
    EXPECT_FALSE(MString("").isDouble());
    EXPECT_TRUE(MString("-7").isInt());
    EXPECT_FALSE(MString("99999999999").isInt());
}

TEST(MStringTest, SplitsAndSearches) {
    MStringArray parts;
    MString("a..b.c").split('.', parts);
    ASSERT_EQ(parts.length(), 3u);
    EXPECT_STREQ(parts[1].asChar(), "b");
    EXPECT_EQ(MString("slider1.posHandle").index('.'), 7);
    EXPECT_EQ(MString("a.b.c").rindex('.'), 3);
    EXPECT_EQ(MString("abc").indexW(MString("z")), -1);
}

TEST(MStatusTest, ComparesCodesAndDescribes) {
    MStatus ok;
    EXPECT_TRUE(ok);
    EXPECT_FALSE(ok.error());
    EXPECT_TRUE(ok == MS::kSuccess);
    MStatus bad(MS::kInvalidParameter);
    EXPECT_FALSE(bad);
    EXPECT_TRUE(bad != MS::kSuccess);
    EXPECT_EQ(bad.statusCode(), MStatus::kInvalidParameter);
    EXPECT_TRUE(bad == MStatus(MS::kInvalidParameter, "other text"));
    bad.clear();
    EXPECT_TRUE(bad == MS::kSuccess);

    const MStatus custom(MS::kFailure, "type id 0x80666 already registered by plug-in X");
    EXPECT_NE(std::string(custom.errorString().asChar()).find("0x80666 already registered by plug-in X"),
              std::string::npos);
    EXPECT_NE(std::string(MStatus(MS::kNotFound).errorString().asChar()).find("kNotFound"),
              std::string::npos);
}

TEST(MStatusTest, PerrorPrintsTextThenDescription) {
    testing::internal::CaptureStderr();
    MStatus(MS::kFailure, "no such node").perror("registerNode");
    MStatus(MS::kFailure).perror(MString("deregisterNode"));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("registerNode: "), 0u);
    EXPECT_NE(err.find("no such node\n"), std::string::npos);
    EXPECT_NE(err.find("\nderegisterNode: "), std::string::npos);
}

MStatus failingStep() {
    CHECK_MSTATUS_AND_RETURN_IT(MStatus(MS::kNotFound));
    return MS::kSuccess;
}

TEST(MStatusTest, CheckMacrosReportAndReturn) {
    testing::internal::CaptureStderr();
    const MStatus st = failingStep();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(st, MS::kNotFound);
    EXPECT_NE(err.find("API error detected in"), std::string::npos);
    EXPECT_TRUE(MFAIL(st));
}

TEST(UnitTest, ConvertsAnglesAndDistances) {
    EXPECT_NEAR(MAngle(180.0, MAngle::kDegrees).asRadians(), kPi, kEps);
    EXPECT_NEAR(MAngle(0.28).asDegrees(), 16.0428183, 1e-6);
    EXPECT_NEAR(MAngle(1.0, MAngle::kDegrees).asAngMinutes(), 60.0, kEps);
    EXPECT_EQ(MAngle(2.0).unit(), MAngle::kRadians);
    EXPECT_DOUBLE_EQ(MDistance(2.5).asCentimeters(), 2.5);
    EXPECT_NEAR(MDistance(1.0, MDistance::kInches).asCentimeters(), 2.54, kEps);
    EXPECT_NEAR(MDistance(3.0, MDistance::kMeters).asMillimeters(), 3000.0, 1e-9);
    MStatus st;
    EXPECT_EQ(MDistance(1.0).as(MDistance::kInvalid, &st), 0.0);
    EXPECT_EQ(st, MS::kInvalidParameter);
    EXPECT_EQ(MDistance::kCentimeters, 6);
    EXPECT_EQ(MAngle::kDegrees, 2);
}

TEST(VectorTest, NormalizeAngleCrossDot) {
    MVector v(0.0, 3.0, 4.0);
    v.normalize();
    EXPECT_VEC_NEAR(v, 0.0, 0.6, 0.8, kEps);
    MVector tiny(1e-11, 0.0, 0.0);
    tiny.normalize();
    EXPECT_EQ(tiny.x, 1e-11);  // squared length 1e-22: left alone
    MVector zero;
    zero.normalize();
    EXPECT_EQ(zero, MVector::zero);
    EXPECT_NEAR(MVector(1, 0, 0).angle(MVector(0, 2, 0)), kPi / 2, kEps);
    EXPECT_NEAR(MVector(1, 0, 0).angle(MVector(-1, 0, 0)), kPi, kEps);
    EXPECT_EQ(MVector().angle(MVector(1, 0, 0)), 0.0);
    EXPECT_FALSE(std::isnan(MVector().angle(MVector())));
    EXPECT_VEC_NEAR(MVector(1, 0, 0) ^ MVector(0, 1, 0), 0, 0, 1, 0);
    EXPECT_DOUBLE_EQ(MVector(1, 2, 3) * MVector(4, 5, 6), 32.0);
    EXPECT_VEC_NEAR(2.0 * MVector(1, 2, 3), 2, 4, 6, 0);
    EXPECT_NEAR(MFloatVector(3, 4, 0).length(), 5.0f, 1e-6);
}

TEST(PointTest, ArithmeticWithVectors) {
    const MPoint a(1, 2, 3), b(4, 6, 3);
    const MVector d = b - a;
    EXPECT_VEC_NEAR(d, 3, 4, 0, 0);
    EXPECT_DOUBLE_EQ(a.distanceTo(b), 5.0);
    const MPoint c = a + MVector(1, 1, 1);
    EXPECT_EQ(c, MPoint(2, 3, 4));
    EXPECT_EQ(MPoint(MVector(1, 2, 3)).w, 1.0);
    EXPECT_EQ(MPoint(2, 4, 6, 2) - MPoint(), MVector(1, 2, 3));
    const MFloatPoint fp(MPoint(1.5, 2.5, 3.5));
    EXPECT_FLOAT_EQ(fp.y, 2.5f);
}

TEST(RotationTest, QuaternionRotatesRightHanded) {
    struct Case {
        double angle;
        MVector axis, in, expected;
    };
    const Case cases[] = {
        {kPi / 2, MVector(0, 0, 1), MVector(1, 0, 0), MVector(0, 1, 0)},
        {kPi / 2, MVector(1, 0, 0), MVector(0, 1, 0), MVector(0, 0, 1)},
        {kPi / 2, MVector(0, 1, 0), MVector(0, 0, 1), MVector(1, 0, 0)},
        {kPi, MVector(0, 1, 0), MVector(3, 0, 0), MVector(-3, 0, 0)},
        {3.1415, MVector(0, 1, 0), MVector(1, 0, 0), MVector(std::cos(3.1415), 0, -std::sin(3.1415))},
        {kPi / 3, MVector(0, 0, 7), MVector(2, 0, 0),
         MVector(1, std::sqrt(3.0), 0)},                              // axis need not be unit
        {1.0, MVector(0, 0, 0), MVector(1, 2, 3), MVector(1, 2, 3)},  // zero axis: identity
    };
    for (const Case& c : cases) {
        const MQuaternion q(c.angle, c.axis);
        EXPECT_FALSE(std::isnan(q.w));
        const MVector r = c.in.rotateBy(q);
        EXPECT_VEC_NEAR(r, c.expected.x, c.expected.y, c.expected.z, 1e-9);
        // The matrix form agrees with rotateBy for row vectors.
        const MVector m = c.in * q.asMatrix();
        EXPECT_VEC_NEAR(m, c.expected.x, c.expected.y, c.expected.z, 1e-9);
    }
}

TEST(RotationTest, QuaternionProductAppliesLeftFirst) {
    const MQuaternion a(kPi / 2, MVector(0, 0, 1)), b(kPi / 2, MVector(1, 0, 0));
    const MVector v(1, 0, 0);
    EXPECT_VEC_NEAR(v.rotateBy(a * b), v.rotateBy(a).rotateBy(b).x, v.rotateBy(a).rotateBy(b).y,
                    v.rotateBy(a).rotateBy(b).z, 1e-12);
    EXPECT_TRUE((a * b).asMatrix().isEquivalent(a.asMatrix() * b.asMatrix(), 1e-12));
    MQuaternion fromMatrix;
    fromMatrix = (a * b).asMatrix();
    EXPECT_TRUE(fromMatrix.isEquivalent(a * b, 1e-12));
}

TEST(RotationTest, EulerXYZMatchesAxisProducts) {
    const MEulerRotation e(0.3, -0.7, 1.2, MEulerRotation::kXYZ);
    // X first, then Y, then Z.
    const MMatrix expected = MQuaternion(0.3, MVector::xAxis).asMatrix() *
                             MQuaternion(-0.7, MVector::yAxis).asMatrix() *
                             MQuaternion(1.2, MVector::zAxis).asMatrix();
    EXPECT_TRUE(e.asMatrix().isEquivalent(expected, 1e-12));
    EXPECT_TRUE(e.asQuaternion().asMatrix().isEquivalent(expected, 1e-12));
    // 90 degrees about X then 90 about Z takes y to z, then z stays.
    const MVector r = MVector(0, 1, 0) * MEulerRotation(kPi / 2, 0, kPi / 2).asMatrix();
    EXPECT_VEC_NEAR(r, 0, 0, 1, 1e-12);
    EXPECT_VEC_NEAR(MVector(1, 0, 0).rotateBy(MEulerRotation(kPi / 2, 0, kPi / 2)), 0, 1, 0, 1e-12);
}

TEST(RotationTest, EulerDecomposesEveryOrder) {
    const MEulerRotation::RotationOrder orders[] = {MEulerRotation::kXYZ, MEulerRotation::kYZX,
                                                    MEulerRotation::kZXY, MEulerRotation::kXZY,
                                                    MEulerRotation::kYXZ, MEulerRotation::kZYX};
    const double angles[][3] = {{0.3, -0.7, 1.2}, {-2.0, 0.4, 0.1}, {0.0, kPi / 2, 0.5}, {1.0, 0.0, 0.0}};
    for (auto order : orders) {
        for (const auto& a : angles) {
            const MEulerRotation e(a[0], a[1], a[2], order);
            const MEulerRotation back = MEulerRotation::decompose(e.asMatrix(), order);
            EXPECT_EQ(back.order, order);
            EXPECT_TRUE(back.asMatrix().isEquivalent(e.asMatrix(), 1e-9)) << "order " << order << " " << a[0];
            // The quaternion form composes in the same order as the matrix form.
            EXPECT_TRUE(e.asQuaternion().asMatrix().isEquivalent(e.asMatrix(), 1e-12)) << "order " << order;
        }
    }
    EXPECT_EQ(MEulerRotation::kZYX, 5);
}

TEST(MatrixTest, RowVectorConventionAndInverse) {
    MMatrix t;
    t.matrix[3][0] = 10;
    t.matrix[3][1] = 20;
    t.matrix[3][2] = 30;
    const MMatrix r = MQuaternion(kPi / 2, MVector::zAxis).asMatrix();
    // Rotate, then translate.
    const MPoint p = MPoint(1, 0, 0) * (r * t);
    EXPECT_NEAR(p.x, 10, 1e-12);
    EXPECT_NEAR(p.y, 21, 1e-12);
    EXPECT_NEAR(p.z, 30, 1e-12);
    const MMatrix m = r * t;
    EXPECT_TRUE((m * m.inverse()).isEquivalent(MMatrix::identity, 1e-12));
    EXPECT_NEAR(m.det4x4(), 1.0, 1e-12);
    // Directions ignore translation.
    EXPECT_VEC_NEAR(MVector(1, 0, 0) * m, 0, 1, 0, 1e-12);
    MMatrix singular;
    singular.matrix[1][1] = 0.0;
    EXPECT_TRUE(singular.isSingular());
    EXPECT_EQ(singular.inverse(), singular);
}

TEST(TransformationMatrixTest, DecomposesTranslateRotateScale) {
    struct Case {
        MVector t;
        MEulerRotation r;
        double s[3];
    };
    const Case cases[] = {
        {MVector(10, 0, 0), MEulerRotation(0, 0, 0), {1, 1, 1}},
        {MVector(1, 2, 3), MEulerRotation(0.2, 0.4, -0.3), {1, 2, 3}},
        {MVector(-5, 0.5, 7), MEulerRotation(0, kPi / 2, 0), {0.5, 0.5, 0.5}},
        {MVector(0, 0, 0), MEulerRotation(0, 0, 0), {-1, 1, 1}},
        {MVector(0, 0, 0), MEulerRotation(0, 0, 0), {1, -2, 1}},
    };
    for (const Case& c : cases) {
        MTransformationMatrix built;
        built.setScale(c.s, MSpace::kTransform);
        built.rotateTo(c.r);
        built.setTranslation(c.t, MSpace::kTransform);
        const MMatrix m = built.asMatrix();
        // Scale first, rotation, then translation.
        const MPoint p = MPoint(1, 1, 1) * m;
        const MVector expected = MVector(c.s[0], c.s[1], c.s[2]).rotateBy(c.r.asQuaternion()) + c.t;
        EXPECT_VEC_NEAR(MVector(p), expected.x, expected.y, expected.z, 1e-9);

        const MTransformationMatrix d(m);
        double scale[3];
        ASSERT_EQ(d.getScale(scale, MSpace::kWorld), MS::kSuccess);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(scale[i], c.s[i], 1e-9) << i;
        EXPECT_VEC_NEAR(d.getTranslation(MSpace::kWorld), c.t.x, c.t.y, c.t.z, 1e-12);
        EXPECT_VEC_NEAR(d.translation(MSpace::kTransform), c.t.x, c.t.y, c.t.z, 1e-12);
        EXPECT_TRUE(d.rotation().isEquivalent(c.r.asQuaternion(), 1e-9));
        EXPECT_TRUE(d.asMatrix().isEquivalent(m, 1e-9));
    }
    double scale[3];
    EXPECT_EQ(MTransformationMatrix().getScale(scale, MSpace::kInvalid), MS::kInvalidParameter);
}

TEST(TransformationMatrixTest, DegenerateScaleStaysFinite) {
    MMatrix m;
    m.matrix[1][1] = 0.0;  // flattened in Y
    const MTransformationMatrix d(m);
    double s[3];
    d.getScale(s, MSpace::kWorld);
    EXPECT_DOUBLE_EQ(s[1], 0.0);
    const MQuaternion q = d.rotation();
    EXPECT_FALSE(std::isnan(q.x + q.y + q.z + q.w));
    EXPECT_TRUE(d.asMatrix().isEquivalent(m, 1e-12));
}

TEST(BoundingBoxTest, NormalisesCornersAndExpands) {
    MBoundingBox box(MPoint(1, -2, 3), MPoint(-1, 2, -3));
    EXPECT_EQ(box.min(), MPoint(-1, -2, -3));
    EXPECT_EQ(box.max(), MPoint(1, 2, 3));
    EXPECT_DOUBLE_EQ(box.width(), 2);
    EXPECT_DOUBLE_EQ(box.height(), 4);
    EXPECT_DOUBLE_EQ(box.depth(), 6);
    box.expand(MPoint(5, 0, 0));
    EXPECT_EQ(box.max(), MPoint(5, 2, 3));
    EXPECT_EQ(box.center(), MPoint(2, 0, 0));
    EXPECT_TRUE(box.contains(MPoint(4, 1, 1)));

    MBoundingBox empty;
    empty.expand(MPoint(3, 3, 3));
    EXPECT_EQ(empty.min(), MPoint(3, 3, 3));  // first point defines the box
    EXPECT_DOUBLE_EQ(empty.width(), 0);

    MBoundingBox rotated(MPoint(0, 0, 0), MPoint(2, 1, 1));
    rotated.transformUsing(MQuaternion(kPi / 2, MVector::zAxis).asMatrix());
    EXPECT_NEAR(rotated.min().x, -1, 1e-12);
    EXPECT_NEAR(rotated.max().y, 2, 1e-12);
}

TEST(MiscValueTest, ColourAndTypeId) {
    const MColor c(0.0f, 0.0f, 0.7f);
    EXPECT_FLOAT_EQ(c.a, 1.0f);
    EXPECT_FLOAT_EQ(MColor(1, 1).b, 0.0f);
    EXPECT_TRUE(MTypeId(0x80666) == MTypeId(0x80666));
    EXPECT_EQ(MTypeId(0x80667).id(), 0x80667u);
}

}  // namespace
