// Number and string texts of scene files: every value must read back identical.
#include "command/ma_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using namespace rdhost::ma;

TEST(MaFormat, NumbersUseTheShortestTextThatReadsBack) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {1.0, "1"},
        {-3.0, "-3"},
        {0.7, "0.7"},
        {1e-9, "1e-09"},
        {2.5e10, "2.5e+10"},
        {1000.1, "1000.1"},
        {34.999999999999993, "34.99999999999999"},
        {4.4408920985006262e-16, "4.440892098500626e-16"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatDouble(c.value), c.text) << c.value;
        EXPECT_EQ(*parseNumber(formatDouble(c.value)), c.value);
    }
    EXPECT_EQ(formatFloat(0.7f), "0.7");
    EXPECT_EQ(formatFloat(1e-9f), "1e-09");
    EXPECT_EQ(static_cast<float>(*parseNumber(formatFloat(0.1f))), 0.1f);
}

TEST(MaFormat, RandomDoublesAndFloatsRoundTrip) {
    std::mt19937_64 rng(7);
    std::uniform_int_distribution<std::uint64_t> bits;
    for (int i = 0; i < 20000; ++i) {
        std::uint64_t b = bits(rng);
        double d;
        std::memcpy(&d, &b, sizeof d);
        if (!std::isfinite(d)) continue;
        ASSERT_EQ(*parseNumber(formatDouble(d)), d) << formatDouble(d);
        float f = static_cast<float>(b >> 40) * 1e-3f - 5000.0f;
        ASSERT_EQ(static_cast<float>(*parseNumber(formatFloat(f))), f) << formatFloat(f);
    }
}

TEST(MaFormat, ParseNumberAcceptsMelNumbersOnly) {
    EXPECT_EQ(*parseNumber("12"), 12.0);
    EXPECT_EQ(*parseNumber("-3"), -3.0);
    EXPECT_EQ(*parseNumber(".5"), 0.5);
    EXPECT_EQ(*parseNumber("1."), 1.0);
    EXPECT_EQ(*parseNumber("+2.5E+3"), 2500.0);
    EXPECT_EQ(*parseNumber("0x1F"), 31.0);
    for (const char* bad :
         {"", "-", ".", "e5", "1e", "1e+", "inf", "nan", "-inf", "0x1p3", "1.2.3", "12abc", "yes", "1 2"})
        EXPECT_FALSE(parseNumber(bad).has_value()) << bad;
}

TEST(MaFormat, AnglesAreWrittenInDegreesAndReadBackToTheSameRadians) {
    EXPECT_EQ(formatAngle(degreesToRadians(45.0)), "45");
    EXPECT_EQ(formatAngle(degreesToRadians(-27.938352729602379)), "-27.93835272960238");
    EXPECT_EQ(formatAngle(degreesToRadians(0.1)), "0.1");
    EXPECT_EQ(formatAngle(0.0), "0");
    EXPECT_EQ(*parseAngle("90"), degreesToRadians(90.0));
    EXPECT_FALSE(parseAngle("ninety").has_value());

    // Radian values computed anywhere (not typed in degrees) must survive too,
    // including those no double degree value maps onto.
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> any(-20.0, 20.0);
    int longForms = 0;
    for (int i = 0; i < 20000; ++i) {
        double r = any(rng);
        std::string text = formatAngle(r);
        auto back = parseAngle(text);
        ASSERT_TRUE(back.has_value()) << text;
        ASSERT_EQ(*back, r) << text;
        if (text.size() > 20) ++longForms;
    }
    EXPECT_LT(longForms, 20000);
}

TEST(MaFormat, StringsQuoteAndUnescapeSymmetrically) {
    const std::string samples[] = {"",           "plain",     "say \"hi\"", "back\\slash",
                                   "two\nlines", "tab\there", "cr\rhere",   "trailing\\"};
    for (const auto& s : samples) {
        std::string q = quote(s);
        ASSERT_GE(q.size(), 2u);
        EXPECT_EQ(q.front(), '"');
        EXPECT_EQ(q.back(), '"');
        EXPECT_EQ(q.find('\n'), std::string::npos) << "a quoted string stays on one line";
        EXPECT_EQ(unescape(q.substr(1, q.size() - 2)), s);
    }
    EXPECT_EQ(quote("a\"b"), "\"a\\\"b\"");
}
