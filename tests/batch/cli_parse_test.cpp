// The option parser and the integer and rectangle parsers of orvane-batch.
#include <gtest/gtest.h>

#include <limits>

#include "batch/cli_parse.h"

namespace orvane::batch {
namespace {

const std::vector<OptionSpec> kSpecs = {
    {"--linear", "", false}, {"--channel-off", "", true}, {"--output", "-o", true}};

TEST(ParseArgsTest, KeepsOptionsInOrderWithRepeats) {
    const ParsedArgs args = parseArgs(
        {"a.tif", "--channel-off", "1", "-o", "out.tif", "--linear", "--channel-off=3", "b.tif"},
        kSpecs);
    ASSERT_EQ(args.options.size(), 4u);
    EXPECT_EQ(args.options[0].name, "--channel-off");
    EXPECT_EQ(args.options[0].value, "1");
    EXPECT_EQ(args.options[1].name, "--output");  // the short name reports the long one
    EXPECT_EQ(args.options[1].value, "out.tif");
    EXPECT_EQ(args.options[2].name, "--linear");
    EXPECT_EQ(args.options[3].value, "3");
    EXPECT_EQ(args.values("--channel-off"), (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(args.positionals, (std::vector<std::string>{"a.tif", "b.tif"}));
    EXPECT_FALSE(args.help);
}

TEST(ParseArgsTest, ValuesMayLookLikeOptions) {
    // A value is taken whole, even when it starts with a dash; "--" ends the options.
    const ParsedArgs args = parseArgs({"-o", "--linear", "--", "--odd-name.tif", "-"}, kSpecs);
    EXPECT_EQ(args.values("--output"), std::vector<std::string>{"--linear"});
    EXPECT_FALSE(args.has("--linear"));
    EXPECT_EQ(args.positionals, (std::vector<std::string>{"--odd-name.tif", "-"}));
}

TEST(ParseArgsTest, HelpAnywhere) {
    EXPECT_TRUE(parseArgs({"a.tif", "--help"}, kSpecs).help);
    EXPECT_TRUE(parseArgs({"-h"}, kSpecs).help);
    EXPECT_FALSE(parseArgs({"--", "--help"}, kSpecs).help);
}

TEST(ParseArgsTest, RefusesWrongOptions) {
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus"},        // unknown
        {"-x"},             // unknown short option
        {"--channel-off"},  // value missing at the end
        {"a.tif", "-o"},
        {"--linear=yes"},  // a flag takes no value
        {"-o=out.tif"},    // short options take no inline value
        {"--lin"},         // no abbreviations
    };
    for (const std::vector<std::string>& args : cases) {
        SCOPED_TRACE(args[0]);
        EXPECT_THROW(parseArgs(args, kSpecs), UsageError);
    }
}

TEST(ParseArgsTest, EmptyInlineValueIsAValue) {
    const ParsedArgs args = parseArgs({"--output="}, kSpecs);
    EXPECT_EQ(args.values("--output"), std::vector<std::string>{""});
}

TEST(ParseIntegerTest, StrictDecimalInRange) {
    const struct {
        const char* text;
        std::int64_t min, max;
        std::optional<std::int64_t> expected;
    } cases[] = {
        {"0", 0, 10, 0},
        {"10", 0, 10, 10},
        {"11", 0, 10, std::nullopt},
        {"-1", 0, 10, std::nullopt},
        {"-1", -5, 5, -1},
        {"+3", 0, 10, 3},
        {"007", 0, 10, 7},
        {"", 0, 10, std::nullopt},
        {"+", 0, 10, std::nullopt},
        {"-", -5, 5, std::nullopt},
        {"+-1", -5, 5, std::nullopt},
        {" 1", 0, 10, std::nullopt},
        {"1 ", 0, 10, std::nullopt},
        {"1.0", 0, 10, std::nullopt},
        {"0x1", 0, 10, std::nullopt},
        {"1e2", 0, 1000, std::nullopt},
        {"2147483647", INT32_MIN, INT32_MAX, 2147483647},
        {"2147483648", INT32_MIN, INT32_MAX, std::nullopt},
        {"-2147483648", INT32_MIN, INT32_MAX, -2147483647 - 1},
        {"99999999999999999999999", INT64_MIN, INT64_MAX, std::nullopt},  // overflows 64 bits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("'") + c.text + "'");
        EXPECT_EQ(parseInteger(c.text, c.min, c.max), c.expected);
    }
}

TEST(ParseRectangleTest, FourSignedIntegers) {
    const struct {
        const char* text;
        std::optional<Rectangle> expected;
    } cases[] = {
        {"10,20,30,40", Rectangle{10, 20, 30, 40}},
        {"30,40,10,20", Rectangle{30, 40, 10, 20}},  // dragged the other way: kept as given
        {"-5,-6,7,8", Rectangle{-5, -6, 7, 8}},      // may reach outside the image
        {"0,0,0,0", Rectangle{0, 0, 0, 0}},
        {"2147483647,-2147483648,0,0", Rectangle{2147483647, -2147483647 - 1, 0, 0}},
        {"2147483648,0,0,0", std::nullopt},
        {"1,2,3", std::nullopt},
        {"1,2,3,4,5", std::nullopt},
        {"1,2,3,4,", std::nullopt},
        {",1,2,3", std::nullopt},
        {"1,,2,3", std::nullopt},
        {"1, 2,3,4", std::nullopt},
        {"1;2;3;4", std::nullopt},
        {"a,b,c,d", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("'") + c.text + "'");
        EXPECT_EQ(parseRectangle(c.text), c.expected);
    }
}

}  // namespace
}  // namespace orvane::batch
