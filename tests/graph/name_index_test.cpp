// Node names are found through an index and numbered names are searched from a
// remembered start; neither may change which name a node gets.
#include "scene_fixture.h"

namespace {

class NameIndex : public SceneFixture {};

TEST_F(NameIndex, FreedNumberedNameIsReusedLowestFirst) {
    rdhost::Node* a = scene().createNode("transform");
    rdhost::Node* b = scene().createNode("transform");
    rdhost::Node* c = scene().createNode("transform");
    ASSERT_EQ(a->name, "transform1");
    ASSERT_EQ(b->name, "transform2");
    ASSERT_EQ(c->name, "transform3");
    scene().deleteNode(b);
    EXPECT_EQ(scene().createNode("transform")->name, "transform2");
    EXPECT_EQ(scene().createNode("transform")->name, "transform4");
    scene().renameNode(a, "other");
    EXPECT_EQ(scene().createNode("transform")->name, "transform1");
    scene().renameNode(c, "transform9");
    EXPECT_EQ(scene().createNode("transform")->name, "transform3");
    EXPECT_EQ(scene().createNode("transform", "transform9")->name, "transform10");
}

TEST_F(NameIndex, LookupsFollowRenamesAndDeletes) {
    rdhost::Node* a = scene().createNode("transform", "a");
    rdhost::Node* b = scene().createNode("transform", "b");
    rdhost::Node* s1 = scene().createNode("transform", "s", a);
    rdhost::Node* s2 = scene().createNode("transform", "s", b);
    EXPECT_EQ(scene().findNode("a|s"), s1);
    EXPECT_EQ(scene().findNode("s"), nullptr);  // ambiguous
    EXPECT_EQ(s2->partialPathName(), "b|s");
    scene().renameNode(s1, "t");
    EXPECT_EQ(scene().findNode("t"), s1);
    EXPECT_EQ(scene().findNode("s"), s2);
    EXPECT_EQ(s2->partialPathName(), "s");
    // Matches come back in creation order whatever the renames did.
    scene().renameNode(s1, "s");
    auto both = scene().findNodes("s");
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0], s1);
    EXPECT_EQ(both[1], s2);
    scene().deleteNode(a);
    EXPECT_EQ(scene().findNode("s"), s2);
    EXPECT_EQ(scene().findNode("a"), nullptr);
}

}  // namespace
