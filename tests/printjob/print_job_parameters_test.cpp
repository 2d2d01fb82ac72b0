// Tests of the print-job parameter table and its line reader.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "base/text_numbers.h"
#include "printjob/print_job_parameters.h"

namespace orvane {
namespace {

struct ReaderRun {
    PrintJobParameters values;
    std::string diagnostics;
    std::int32_t count = 0;
};

ReaderRun read(const std::string& text, std::int32_t maxCount = 0) {
    ReaderRun run;
    std::istringstream in(text);
    std::ostringstream out;
    run.count = ReadParameters(in, nullptr, parameterTable(run.values), maxCount, out);
    run.diagnostics = out.str();
    return run;
}

TEST(PrintJobParameters, TableHas42EntriesAndASentinel) {
    PrintJobParameters values;
    const auto table = parameterTable(values);
    ASSERT_EQ(table.size(), 43u);
    EXPECT_STREQ(table[0].name, "setup_file_name");
    EXPECT_STREQ(table[41].name, "grid_quad_step_y");
    EXPECT_STREQ(table[42].name, "sentinel");
    EXPECT_EQ(table[42].type, -1);
}

TEST(ReadParameters, SeparatorsAndLetterCase) {
    for (const char* line : {"pins_x = 3", "pins_x: 3", "pins_x 3", "PINS_X,3", "\tpins_x;;3#x",
                             "pins_x = 3abc", "pins_x=+3\r"}) {
        SCOPED_TRACE(line);
        const ReaderRun run = read(std::string(line) + "\n");
        EXPECT_EQ(run.values.pins_x, 3);
        EXPECT_EQ(run.count, 1);
        EXPECT_EQ(run.diagnostics, "");
    }
}

TEST(ReadParameters, CommentsAndBlankLinesAreSkippedSilently) {
    const ReaderRun run = read("// comment\n/pins_x 3\n\n   \n,,,\n");
    EXPECT_EQ(run.values.pins_x, 2);
    EXPECT_EQ(run.count, 0);
    EXPECT_EQ(run.diagnostics, "");
}

TEST(ReadParameters, DiagnosticsNameTheLineAndToken) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"grid_step_x = abc\n",
         "\nparse error at line 1, name \"grid_step_x\", assuming default value"},
        {"\n\nPins_X\n", "\nparse error at line 3, name \"Pins_X\", assuming default value"},
        {"pins_x = 99999999999\n",
         "\nparse error at line 1, name \"pins_x\", assuming default value"},
        {"zone# 0, block_col# 0\n", "\nunknown parameter at line 1, name \"zone\""},
        {"pin_x# 0, pin_y# 1\n", "\nunknown parameter at line 1, name \"pin_x\""},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        const ReaderRun run = read(text);
        EXPECT_EQ(run.diagnostics, expected);
        EXPECT_EQ(run.count, 0);
        EXPECT_EQ(run.values.grid_step_x, 0.35);
        EXPECT_EQ(run.values.pins_x, 2);
    }
}

TEST(ReadParameters, ConversionsByType) {
    const ReaderRun run = read(
        "print_start_date_time = Mon Jun 5 10:00:00 2000\n"
        "grid_step_x 0.25\n"
        "zone_1_origin_y -1.5e1\n"
        "job_file_name = a/b.txt\n"
        "grid_quad_ncols = -4\n");
    EXPECT_EQ(run.values.print_start_date_time, "Mon");
    EXPECT_EQ(run.values.grid_step_x, 0.25);
    EXPECT_EQ(run.values.zone_1_origin_y, -15.0);
    EXPECT_EQ(run.values.job_file_name, "a/b.txt");
    EXPECT_EQ(run.values.grid_quad_ncols, -4);
    EXPECT_EQ(run.count, 5);
}

TEST(ReadParameters, YesNoEntriesAcceptAnyCase) {
    std::int32_t flag = 7;
    const std::vector<ParameterEntry> table = {{"wash", kParamYesNo, &flag},
                                               {"sentinel", kParamSentinel, nullptr}};
    for (auto [text, expected] :
         {std::pair{"wash YES\n", 1}, {"wash no\n", 0}, {"wash Yes\n", 1}}) {
        std::istringstream in(text);
        std::ostringstream out;
        EXPECT_EQ(ReadParameters(in, nullptr, table, 0, out), 1);
        EXPECT_EQ(flag, expected);
    }
    std::istringstream in("wash maybe\n");
    std::ostringstream out;
    EXPECT_EQ(ReadParameters(in, nullptr, table, 0, out), 0);
    EXPECT_NE(out.str().find("parse error at line 1"), std::string::npos);
}

TEST(ReadParameters, LastConvertingLineWins) {
    const ReaderRun run = read("pins_y 5\npins_y 6\npins_y x\n");
    EXPECT_EQ(run.values.pins_y, 6);
    EXPECT_EQ(run.count, 2);
}

TEST(ReadParameters, MaxCountStopsAfterTheLineThatReachesIt) {
    std::istringstream in("pins_x 3\nbogus 1\npins_y 4\nspots_x 9\n");
    PrintJobParameters values;
    std::ostringstream out;
    EXPECT_EQ(ReadParameters(in, nullptr, parameterTable(values), 2, out), 2);
    EXPECT_EQ(values.spots_x, 1);
    std::string rest;
    std::getline(in, rest);
    EXPECT_EQ(rest, "spots_x 9");  // not read past the line of the 2nd parameter
}

TEST(ReadParameters, LongLinesAreReadIn255CharacterPieces) {
    // 255 characters then "pins_x 7": the second piece is a line of its own (line 2).
    const std::string longLine = "// " + std::string(252, 'c') + "pins_x 7\npins_y x\n";
    const ReaderRun run = read(longLine);
    EXPECT_EQ(run.values.pins_x, 7);
    EXPECT_EQ(run.diagnostics, "\nparse error at line 3, name \"pins_y\", assuming default value");
    // A line of exactly 255 characters is one line.
    const ReaderRun exact = read("// " + std::string(252, 'c') + "\npins_y x\n");
    EXPECT_EQ(exact.diagnostics,
              "\nparse error at line 2, name \"pins_y\", assuming default value");
}

TEST(ReadParameters, StringValueIsBoundedByThePiece) {
    const ReaderRun run = read("job_file_name " + std::string(400, 'j') + "\n");
    EXPECT_EQ(run.values.job_file_name.size(), 255u - 14u);
}

TEST(ReadParameters, ListingFormatsEveryEntry) {
    PrintJobParameters values;
    std::istringstream in("");
    std::ostringstream listing, out;
    ReadParameters(in, &listing, parameterTable(values), 0, out);
    const std::string text = listing.str();
    EXPECT_EQ(text.rfind("\nparameter file processed, the following parameters will be used :", 0),
              0u);
    for (const char* part :
         {"\nsetup_file_name = set.txt\n", "\nprint_start_date_time = Fri May 19 12:56:03 2000\n",
          "\npins_x = 2\n", "\nprespot_step = 0.275\n", "\ngrid_offs_y = 0.000\n",
          "\nzone_2_origin_y = 3.500\n"}) {
        SCOPED_TRACE(part);
        EXPECT_NE(text.find(part), std::string::npos);
    }
    EXPECT_TRUE(text.ends_with("\ngrid_quad_step_y = 4.500"));
}

TEST(ReadParameters, NulByteEndsTheLine) {
    const ReaderRun run = read(std::string("pins_x\0 5\n", 10));
    EXPECT_EQ(run.values.pins_x, 2);
    EXPECT_NE(run.diagnostics.find("parse error"), std::string::npos);
}

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
