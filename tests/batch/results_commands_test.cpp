// orvane-batch results and mark-not-found on a generated demo slide: the table against the
// GenePix Results of the same grid column for column, the marking and its message, refusals.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "batch_run.h"
#include "demo_slide_files.h"
#include "demo_slide_plan.h"
#include "document/tiff_messages.h"

namespace orvane::batch {
namespace {

namespace fs = std::filesystem;

using Table = std::vector<std::vector<std::string>>;

Table tableOf(const std::string& path, std::size_t skip = 0) {
    std::ifstream in(path, std::ios::binary);
    Table rows;
    std::size_t n = 0;
    for (std::string line; std::getline(in, line); ++n) {
        if (n < skip) continue;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> cells;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            cells.push_back(line.substr(start, tab - start));
        cells.push_back(line.substr(start));
        for (std::string& c : cells)
            if (c.size() >= 2 && c.front() == '"' && c.back() == '"') c = c.substr(1, c.size() - 2);
        rows.push_back(cells);
    }
    return rows;
}

std::size_t columnOf(const std::vector<std::string>& header, const std::string& name) {
    for (std::size_t i = 0; i < header.size(); ++i)
        if (header[i] == name) return i;
    ADD_FAILURE() << "no column " << name;
    return 0;
}

class ResultsCommandTest : public testing::Test {
protected:
    // A 20 um demo slide (two channels, a map with empty wells) and its grid from Define Grid.
    static void SetUpTestSuite() {
        setTiffMessageSink({});
        dir_ = new fs::path(fs::temp_directory_path() /
                            ("orvane_results_test_" + std::to_string(::getpid())));
        demo::DemoOptions options;
        options.pixelUm = 20.0;
        options.seed = 5;
        options.outDir = dir_->string();
        demo::writeDemoSlide(demo::planDemoSlide(options));
        const RunResult define = run({"define-grid", "--map", path(demo::kMapFile), "--set",
                                      "spotDiameter=0.14", "-o", path("g.grd"), red()});
        ASSERT_EQ(define.status, 0) << define.err;
    }
    static void TearDownTestSuite() {
        fs::remove_all(*dir_);
        delete dir_;
    }
    static std::string path(const std::string& name) { return (*dir_ / name).string(); }
    static std::string red() { return path(demo::kChannelFile[0]); }
    static std::string green() { return path(demo::kChannelFile[1]); }

    static fs::path* dir_;
};

fs::path* ResultsCommandTest::dir_ = nullptr;

TEST_F(ResultsCommandTest, AgreesWithGenePixResultsColumnForColumn) {
    ASSERT_EQ(run({"results", "-o", path("t.tsv"), path("g.grd"), red(), green()}).status, 0);
    ASSERT_EQ(run({"extract", "--gpr", path("t.gpr"), path("g.grd"), red(), green()}).status, 0);
    const Table table = tableOf(path("t.tsv"));
    const Table gpr = tableOf(path("t.gpr"), 14);  // ATF line, counts, 12 header records
    ASSERT_EQ(table.size(), gpr.size());
    ASSERT_GT(table.size(), 1000u);
    const std::map<std::string, std::string> same = {
        {"Block", "Block"},
        {"Column", "Column"},
        {"Row", "Row"},
        {"ID", "ID"},
        {"Name", "Name"},
        {"F1 Median", "F635 Median"},
        {"F1 Mean", "F635 Mean"},
        {"F1 SD", "F635 SD"},
        {"B1 Median", "B635 Median"},
        {"B1 Mean", "B635 Mean"},
        {"B1 SD", "B635 SD"},
        {"% > B1+2SD", "% > B635+2SD"},
        {"F1 % Sat.", "F635 % Sat."},
        {"SNR 1", "SNR 635"},
        {"F2 Median", "F532 Median"},
        {"B2 SD", "B532 SD"},
        {"% > B2+2SD", "% > B532+2SD"},
        {"F2 % Sat.", "F532 % Sat."},
        {"SNR 2", "SNR 532"},
        {"Log Ratio (1/2)", "Log Ratio (635/532)"},
    };
    ASSERT_EQ(table[0].size(), 6u + 2u * 9u + 1u);
    int excluded = 0, errors = 0;
    for (std::size_t r = 1; r < table.size(); ++r) {
        SCOPED_TRACE(r);
        for (const auto& [ours, theirs] : same)
            ASSERT_EQ(table[r].at(columnOf(table[0], ours)), gpr[r].at(columnOf(gpr[0], theirs)))
                << ours;
        const std::string flags = table[r][columnOf(table[0], "Flags")];
        const std::string gprFlags = gpr[r][columnOf(gpr[0], "Flags")];
        EXPECT_EQ(gprFlags, flags == "no well" ? "-75" : flags == "marked" ? "-100" : "0");
        excluded += flags == "no well";
        errors += table[r].back() == "Error";
    }
    EXPECT_GT(excluded, 0) << "the slide's empty wells are listed";
    EXPECT_GT(errors, 0) << "the log ratio of empty wells reads Error";
}

TEST_F(ResultsCommandTest, MarksTheSpotsNotFound) {
    const RunResult marked =
        run({"mark-not-found", "-o", path("m.grd"), path("g.grd"), red(), green()});
    ASSERT_EQ(marked.status, 0) << marked.err;
    ASSERT_EQ(run({"results", "-o", path("m.tsv"), path("m.grd"), red(), green()}).status, 0);
    const Table table = tableOf(path("m.tsv"));
    const std::size_t flagsAt = columnOf(table[0], "Flags");
    const std::size_t p1 = columnOf(table[0], "% > B1+2SD"), p2 = columnOf(table[0], "% > B2+2SD");
    int measured = 0, markedCount = 0;
    for (std::size_t r = 1; r < table.size(); ++r) {
        const std::string& flags = table[r][flagsAt];
        if (flags == "no well") continue;
        ++measured;
        const bool notFound = std::stoi(table[r][p1]) < 70 && std::stoi(table[r][p2]) < 70;
        EXPECT_EQ(flags == "marked", notFound) << "row " << r;
        markedCount += notFound;
    }
    EXPECT_GT(markedCount, 0);
    EXPECT_EQ(marked.out, "Marked " + std::to_string(markedCount) + " of " +
                              std::to_string(measured) + " spots.\n");
    const RunResult again = run({"mark-not-found", "--any-layer", "--min-percent", "0", "-o",
                                 path("m.grd"), path("m.grd"), red(), green()});
    EXPECT_EQ(again.out, "Marked 0 of " + std::to_string(measured) + " spots.\n")
        << "nothing is below 0; the marks stay";
}

TEST_F(ResultsCommandTest, Refusals) {
    const std::string grid = path("g.grd"), out = path("r.grd");
    for (const char* percent : {"101", "-1", "abc", "", "70x"}) {
        SCOPED_TRACE(percent);
        EXPECT_EQ(run({"mark-not-found", "--min-percent", percent, "-o", out, grid, red()}).status,
                  2);
    }
    EXPECT_EQ(run({"results", "-o", red(), grid, red(), green()}).status, 2) << "a scan as output";
    EXPECT_EQ(run({"mark-not-found", "-o", green(), grid, red(), green()}).status, 2);
    EXPECT_EQ(run({"results", grid, red()}).status, 2) << "no output";
    const RunResult missing = run({"results", "-o", path("x.tsv"), path("none.grd"), red()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Unable to open file. (" + path("none.grd") + ")\n");
    EXPECT_FALSE(fs::exists(path("x.tsv")));
    const RunResult outside =
        run({"results", "--current-quad", "3,15", "-o", path("x.tsv"), grid, red()});
    EXPECT_EQ(outside.status, 2) << outside.err;
    // One layer: no log ratio column.
    ASSERT_EQ(run({"results", "-o", path("one.tsv"), grid, red()}).status, 0);
    EXPECT_EQ(tableOf(path("one.tsv"))[0].back(), "SNR 1");
}

}  // namespace
}  // namespace orvane::batch
