// Results print in the shortest form that reads back to the stored value.
#include "command/registry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using rdhost::cmd::Value;

namespace {

TEST(ResultFormat, NumbersAtTheirOwnPrecision) {
    struct {
        Value v;
        const char* text;
    } cases[] = {
        {Value::floating(0.7f), "0.7"},  // not 0.699999988079071
        {Value::real(0.7), "0.7"},
        {Value::real(static_cast<double>(0.7f)), "0.699999988079071"},
        {Value::floating(1e-9f), "1e-09"},
        {Value::real(1e-9), "1e-09"},
        {Value::floating(1.2f), "1.2"},
        {Value::real(3.0), "3"},
        {Value::real(-0.0), "0"},
        {Value::floating(12.0f), "12"},
        {Value::integer(-4), "-4"},
        {Value::boolean(true), "1"},
        {Value::boolean(false), "0"},
        {Value::string("loc1"), "loc1"},
        {Value::angle(M_PI / 2), "90"},
        {Value::of({Value::floating(1.2f), Value::floating(0.8f), Value::floating(0.0f)}), "1.2 0.8 0"},
        {Value::strings({"a", "b", "c"}), "a b c"},
        {Value::none(), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.v.text(), c.text);
    }
}

TEST(ResultFormat, EveryPrintedNumberReadsBack) {
    const double doubles[] = {0.1, 1.0 / 3.0, 1e300, -2.5e-300, 123456789.123, 1e-9};
    for (double d : doubles) {
        EXPECT_EQ(std::strtod(Value::real(d).text().c_str(), nullptr), d);
        float f = static_cast<float>(d);
        if (std::isfinite(f)) {
            EXPECT_EQ(std::strtof(Value::floating(f).text().c_str(), nullptr), f);
        }
    }
}

}  // namespace
