// attributeQuery on the primitive locator: the answers a user or a script sees.
#include "command_fixture.h"

namespace {

class AttributeQuery : public CommandFixture {
protected:
    void SetUp() override {
        CommandFixture::SetUp();
        ok("loadPlugin rigDials; createNode transform -n t1; createNode KelPrimitiveLocator -n loc1 -p t1;");
    }
};

TEST_F(AttributeQuery, AnswersInTheHostsForms) {
    struct {
        const char* query;
        const char* answer;
    } cases[] = {
        {"-exists radius", "1"},
        {"-exists radiu", "0"},
        {"-exists tx", "0"},
        {"-shortName innerRadius", "ir"},
        {"-longName dtp", "drawType"},
        {"-listEnum type", "cube=1:sphere=2:cone=3:torus=4:rectangle=5:cylinder=6"},
        {"-listEnum drawType", "wire=0:solid=1:smooth=2"},
        {"-listDefault type", "2"},
        {"-listDefault color", "1.2 0.8 0"},
        {"-listDefault labelColor", "0 0 0.7"},
        {"-listDefault label", "KelPrimitiveLocator"},
        {"-listDefault displayLabel", "1"},
        {"-minimum slices", "1"},
        {"-maximum slices", "50"},
        {"-minimum radius", "0"},
        {"-maximum radius", "10"},
        {"-maximum outerRadius", "5"},
        {"-minExists colorR", "0"},
        {"-maxExists width", "1"},
        {"-keyable radius", "1"},
        {"-keyable color", "0"},  // compounds are not made keyable
        {"-keyable type", "1"},
        {"-storable color", "1"},
        {"-readable color", "1"},
        {"-writable color", "1"},
        {"-hidden radius", "0"},
        {"-usedAsColor color", "1"},
        {"-usedAsColor labelColor", "1"},
        {"-usedAsColor colorR", "0"},
        {"-attributeType radius", "float"},
        {"-attributeType slices", "short"},
        {"-attributeType displayLabel", "bool"},
        {"-attributeType type", "enum"},
        {"-attributeType label", "typed"},
        {"-listChildren color", "colorR colorG colorB"},
        {"-listParent lcg", "labelColor"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        EXPECT_EQ(result(std::string("attributeQuery -node loc1 ") + c.query), c.answer);
    }
}

TEST_F(AttributeQuery, ByNodeTypeWithoutANode) {
    EXPECT_EQ(result("attributeQuery -type KelPrimitiveLocator -listEnum type"),
              "cube=1:sphere=2:cone=3:torus=4:rectangle=5:cylinder=6");
    EXPECT_FALSE(run("attributeQuery -type NoType -exists x"));
    EXPECT_EQ(err(), "// Error: line 1: attributeQuery: unknown node type 'NoType' //\n");
}

TEST_F(AttributeQuery, TransformAnglesInDegrees) {
    ok("createNode transform -n tt;");
    EXPECT_EQ(result("attributeQuery -node tt -attributeType rx"), "doubleAngle");
    EXPECT_EQ(result("attributeQuery -node tt -attributeType tx"), "doubleLinear");
}

}  // namespace
