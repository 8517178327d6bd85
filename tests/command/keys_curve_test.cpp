// Evaluation of anim curve keys: linear between keys, constant outside.
#include "command/keys_curve.h"

#include <gtest/gtest.h>

using rdhost::keys::Key;

TEST(KeysCurve, EvaluatesLinearlyBetweenKeysAndConstantOutside) {
    std::vector<Key> keys{{1, 0.4}, {3, -0.5}, {7, 1.5}};
    struct Case {
        double time, value;
    } cases[] = {{-100, 0.4}, {0, 0.4}, {1, 0.4}, {2, -0.05}, {3, -0.5},
                 {5, 0.5},    {7, 1.5}, {8, 1.5}, {1e9, 1.5}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(rdhost::keys::evaluate(keys, c.time), c.value) << "t=" << c.time;
    EXPECT_EQ(rdhost::keys::evaluate(keys, 3), -0.5) << "a key's own time gives its exact value";
}

TEST(KeysCurve, KeysNearTheDoubleRangeInterpolateWithoutOverflow) {
    const double big = 1e308;
    struct {
        std::vector<Key> keys;
        double time, value;
    } cases[] = {
        {{{1, big}, {10, -big}}, 5.5, 0},
        {{{1, big}, {10, -big}}, 3.25, big / 2},
        {{{1, -big}, {10, big}}, 10, big},
        {{{-big, 0}, {big, 10}}, 0, 5},
        {{{-big, big}, {big, -big}}, big / 2, -big / 2},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(rdhost::keys::evaluate(c.keys, c.time), c.value) << "t=" << c.time;
}

TEST(KeysCurve, EmptyAndSingleKeyCurves) {
    EXPECT_EQ(rdhost::keys::evaluate({}, 5), 0.0);
    std::vector<Key> one{{4, 2.5}};
    EXPECT_EQ(rdhost::keys::evaluate(one, -3), 2.5);
    EXPECT_EQ(rdhost::keys::evaluate(one, 40), 2.5);
}

TEST(KeysCurve, FlatSegmentStaysExactlyFlat) {
    std::vector<Key> keys{{1, -3.9012512308195548}, {3, -3.9012512308195548}};
    for (double t = 1; t <= 3; t += 0.1) EXPECT_EQ(rdhost::keys::evaluate(keys, t), -3.9012512308195548) << t;
}

TEST(KeysCurve, SetKeyInsertsInTimeOrderAndReplacesAtSameTime) {
    std::vector<Key> keys;
    EXPECT_TRUE(rdhost::keys::setKey(keys, 10, 1));
    EXPECT_TRUE(rdhost::keys::setKey(keys, 1, 2));
    EXPECT_TRUE(rdhost::keys::setKey(keys, 5, 3));
    EXPECT_FALSE(rdhost::keys::setKey(keys, 5, 4));
    EXPECT_EQ(keys, (std::vector<Key>{{1, 2}, {5, 4}, {10, 1}}));
}

TEST(KeysCurve, NormalizeSortsAndKeepsTheLastKeyPerTime) {
    std::vector<Key> keys{{3, 1}, {1, 2}, {3, 5}, {2, 0}};
    rdhost::keys::normalize(keys);
    EXPECT_EQ(keys, (std::vector<Key>{{1, 2}, {2, 0}, {3, 5}}));
}
