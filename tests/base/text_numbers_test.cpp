// The number conversions of the text readers: a number at the start of a token, and a field that
// must be one number and nothing else.
#include <gtest/gtest.h>

#include <cstdint>

#include "base/text_numbers.h"

namespace orvane {
namespace {

TEST(TextNumbers, LeadingConversions) {
    EXPECT_EQ(leadingInteger("-12x"), -12);
    EXPECT_EQ(leadingInteger("2147483647"), 2147483647);
    EXPECT_EQ(leadingInteger("-2147483648"), -2147483647 - 1);
    EXPECT_FALSE(leadingInteger("2147483648"));
    EXPECT_FALSE(leadingInteger("-"));
    EXPECT_FALSE(leadingInteger("x1"));
    EXPECT_EQ(leadingReal("+.5mm"), 0.5);
    EXPECT_EQ(leadingReal("1e2"), 100.0);
    EXPECT_FALSE(leadingReal("+-1"));
    EXPECT_FALSE(leadingReal("1e999"));
    EXPECT_FALSE(leadingReal("."));
}

TEST(TextNumbers, FieldConversions) {
    std::int64_t i = 0;
    double d = 0;
    EXPECT_EQ(parseFieldInteger(" 42 ", i), FieldParse::kOk);
    EXPECT_EQ(i, 42);
    EXPECT_EQ(parseFieldInteger("4 2", i), FieldParse::kNotANumber);
    EXPECT_EQ(parseFieldInteger("", i), FieldParse::kNotANumber);
    EXPECT_EQ(parseFieldInteger("1.0", i), FieldParse::kNotANumber);
    EXPECT_EQ(parseFieldInteger("99999999999999999999999", i), FieldParse::kOutOfRange);
    EXPECT_EQ(parseFieldNumber("0.05", d), FieldParse::kOk);
    EXPECT_EQ(d, 0.05);
    EXPECT_EQ(parseFieldNumber("0.05mm", d), FieldParse::kNotANumber);
    EXPECT_EQ(parseFieldNumber("", d), FieldParse::kNotANumber);
    EXPECT_EQ(parseFieldNumber("1e999", d), FieldParse::kOutOfRange);
}

}  // namespace
}  // namespace orvane
