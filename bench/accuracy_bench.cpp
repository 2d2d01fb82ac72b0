// How close the measured log ratios lie to the truth. Generated slides with known true signals
// (plain and with realistic defects, several seeds) go through the path a user takes without a
// manual step: Define Grid from the slide map, Auto Place, one 2DW pass, the GenePix file. Per
// quartile of true A it prints the bias and SD of (measured M - true M) and the share of spots
// within 0.3 of their true M, from F - B and after limma's normexp (offset 50, in R), and writes
// a plot of the SD against true A.
// With saturated spots flagged (--flag-saturated, default 10) the realistic slides are measured
// again over the spots left, and the highest quartile's SD must reach 0.05 with no quartile worse.
//   accuracy_bench [--seeds N] [--pixel-um UM] [--flag-saturated PCT] [--plot FILE.svg]
//                  [--keep DIR]
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../support/temp_dir.h"
#include "demo_pipeline.h"
#include "measure/genepix_results.h"
#include "measure/spot_results.h"
#include "measure/svg_plot.h"

namespace {

namespace fs = std::filesystem;
using orvane::demo::DemoOptions;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kWithin = 0.3;  // a log ratio this close to the truth is a fold change of 1.23

struct Settings {
    int seeds = 3;
    double pixelUm = 10.0;
    std::string plot = "accuracy.svg";
    std::string keep;  // a folder to keep the GenePix files in; empty: a temporary one
    double flagSaturated = orvane::kDefaultSaturatedPercent;
};

// One spot with a well: its truth and what the GenePix file says of it.
struct SpotOutcome {
    double trueM = 0.0, trueA = 0.0;
    double fbM = kNaN;       // log2 of (F635 Median - B635) over (F532 Median - B532)
    double normexpM = kNaN;  // after limma's normexp
    int flags = 0;
    bool saturated = false;  // some feature pixel at the ceiling in a channel
};

struct SlideRun {
    std::string gpr;
    std::vector<SpotOutcome> spots;      // spots with a well
    std::vector<std::size_t> rowOfSpot;  // the GenePix row of each of them
};

// The GenePix file's data rows as cells, and the column index of each header name.
struct GenePixTable {
    std::map<std::string, std::size_t> column;
    std::vector<std::vector<std::string>> rows;
};

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> cells;
    std::stringstream in(line);
    std::string cell;
    while (std::getline(in, cell, '\t')) {
        if (!cell.empty() && cell.back() == '\r') cell.pop_back();
        if (cell.size() >= 2 && cell.front() == '"') cell = cell.substr(1, cell.size() - 2);
        cells.push_back(cell);
    }
    return cells;
}

GenePixTable readGenePix(const std::string& path) {
    GenePixTable table;
    std::ifstream in(path);
    std::string line;
    bool header = false;
    while (std::getline(in, line)) {
        if (!header) {
            if (line.rfind("\"Block\"", 0) != 0) continue;
            const std::vector<std::string> names = splitTabs(line);
            for (std::size_t i = 0; i < names.size(); ++i) table.column[names[i]] = i;
            header = true;
        } else {
            table.rows.push_back(splitTabs(line));
        }
    }
    return table;
}

double logRatio(double red, double green) {
    return red > 0.0 && green > 0.0 ? std::log2(red / green) : kNaN;
}

// Each spot's truth beside the GenePix file's row of it.
SlideRun readOutcomes(const orvane::demo::DemoScan& scan, const std::string& gpr) {
    const GenePixTable table = readGenePix(gpr);
    const auto col = [&](const char* name) { return table.column.at(name); };
    std::map<std::array<int, 3>, std::size_t> rowOf;  // (block, column, row) -> row index
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        const auto& r = table.rows[i];
        rowOf[{std::stoi(r[col("Block")]), std::stoi(r[col("Column")]), std::stoi(r[col("Row")])}] =
            i;
    }
    SlideRun run{gpr, {}, {}};
    const int quadsX = scan.slide.layout.quadsX();
    for (const orvane::demo::Spot& spot : scan.slide.spots) {
        if (!spot.printed) continue;
        const double red = orvane::demo::spotTrueSignal(scan.slide, spot, 0);
        const double green = orvane::demo::spotTrueSignal(scan.slide, spot, 1);
        const std::size_t i =
            rowOf.at({spot.qy * quadsX + spot.qx + 1, spot.col + 1, spot.row + 1});
        const auto& r = table.rows[i];
        const auto value = [&](const char* name) { return std::stod(r[col(name)]); };
        SpotOutcome outcome;
        outcome.trueM = std::log2(red / green);
        outcome.trueA = 0.5 * std::log2(red * green);
        outcome.fbM = logRatio(value("F635 Median") - value("B635 Median"),
                               value("F532 Median") - value("B532 Median"));
        outcome.flags = std::stoi(r[col("Flags")]);
        outcome.saturated = value("F635 % Sat.") > 0 || value("F532 % Sat.") > 0;
        run.spots.push_back(outcome);
        run.rowOfSpot.push_back(i);
    }
    return run;
}

// Define Grid from the map, Auto Place, one 2DW pass, then the GenePix file STEM.gpr and the same
// with saturated spots flagged, STEM-flagged.gpr.
std::array<SlideRun, 2> measureSlide(const DemoOptions& options, const fs::path& stem,
                                     double flagSaturated) {
    const orvane::demo::DemoScan scan = orvane::demo::makeDemoScan(options);
    orvane::SpotGrid grid = orvane::demo::laidOutGrid(scan);
    orvane::AutoPlaceGrid(grid, scan.image);
    orvane::AdjustGrid(grid, grid.quad(0, 0), scan.image,
                       orvane::AdjustMethod::TwoDimensionalWindow);
    orvane::NullProgress quiet;
    std::array<SlideRun, 2> runs;
    for (const bool flagged : {false, true}) {
        const std::string gpr = stem.string() + (flagged ? "-flagged.gpr" : ".gpr");
        orvane::GenePixExportInfo info{{}, "2000/06/05 10:00:00", std::nullopt};
        if (flagged) info.flagSaturatedPercent = flagSaturated;
        orvane::WriteGenePixResults(gpr, scan.image, grid, grid.quad(0, 0), info, quiet);
        runs[flagged] = readOutcomes(scan, gpr);
    }
    return runs;
}

// limma's normexp over every file in one R session; false when R or limma is not there.
bool addNormexp(std::vector<SlideRun>& runs) {
    std::string command = "Rscript " ORVANE_ACCURACY_NORMEXP_R;
    for (const SlideRun& run : runs) command += " '" + run.gpr + "'";
    if (std::system((command + " 2>&1").c_str()) != 0) return false;
    for (SlideRun& run : runs) {
        std::ifstream in(fs::path(run.gpr).replace_extension(".normexp.tsv"));
        std::string line;
        std::getline(in, line);  // header
        std::vector<std::array<double, 2>> rows;
        double red = 0, green = 0;
        while (in >> red >> green) rows.push_back({red, green});
        for (std::size_t s = 0; s < run.spots.size(); ++s) {
            const auto& rg = rows.at(run.rowOfSpot[s]);
            run.spots[s].normexpM = logRatio(rg[0], rg[1]);
        }
    }
    return true;
}

struct QuartileFigures {
    double lowA = 0, highA = 0;
    int spots = 0, left = 0, noM = 0;
    double bias = kNaN, sd = kNaN, within = kNaN;
};

// Quartile boundaries over every spot with a well, so that leaving spots out never moves them.
std::array<double, 3> quartileBounds(std::vector<double> a) {
    std::sort(a.begin(), a.end());
    const auto at = [&](double q) { return a[static_cast<std::size_t>(q * (a.size() - 1))]; };
    return {at(0.25), at(0.5), at(0.75)};
}

int quartileOf(double a, const std::array<double, 3>& bounds) {
    return static_cast<int>(std::upper_bound(bounds.begin(), bounds.end(), a) - bounds.begin());
}

// Bias and SD over the spots left (limma weighs the others 0: Flags below -50) that have an M;
// the share within 0.3 over every spot left, a spot without M counted as outside.
std::array<QuartileFigures, 4> figures(const std::vector<SpotOutcome>& spots, bool normexp) {
    std::vector<double> a;
    for (const SpotOutcome& s : spots) a.push_back(s.trueA);
    const std::array<double, 3> bounds = quartileBounds(a);
    std::array<QuartileFigures, 4> q{};
    std::array<double, 4> sum{}, sum2{};
    std::array<int, 4> within{};
    for (auto& f : q) f.lowA = 1e9, f.highA = -1e9;
    for (const SpotOutcome& s : spots) {
        QuartileFigures& f = q[static_cast<std::size_t>(quartileOf(s.trueA, bounds))];
        const std::size_t k = static_cast<std::size_t>(&f - q.data());
        f.lowA = std::min(f.lowA, s.trueA), f.highA = std::max(f.highA, s.trueA);
        ++f.spots;
        if (s.flags < -50) continue;
        ++f.left;
        const double m = normexp ? s.normexpM : s.fbM;
        if (!std::isfinite(m)) {
            ++f.noM;
            continue;
        }
        const double e = m - s.trueM;
        sum[k] += e, sum2[k] += e * e;
        within[k] += std::abs(e) <= kWithin;
    }
    for (std::size_t k = 0; k < 4; ++k) {
        const int n = q[k].left - q[k].noM;
        if (n < 2) continue;
        q[k].bias = sum[k] / n;
        q[k].sd = std::sqrt(std::max(0.0, (sum2[k] - n * q[k].bias * q[k].bias) / (n - 1)));
        q[k].within = 100.0 * within[k] / q[k].left;
    }
    return q;
}

std::array<QuartileFigures, 4> printFigures(const char* slides, const char* values,
                                            const std::vector<SpotOutcome>& spots, bool normexp) {
    const std::array<QuartileFigures, 4> q = figures(spots, normexp);
    for (std::size_t k = 0; k < 4; ++k) {
        std::printf("%-10s %-8s Q%zu %5.2f-%5.2f %6d %6d %5d %+7.3f %6.3f %6.1f%%\n", slides,
                    values, k + 1, q[k].lowA, q[k].highA, q[k].spots, q[k].left, q[k].noM,
                    q[k].bias, q[k].sd, q[k].within);
    }
    return q;
}

// The SD of (measured M - true M) in `bins` groups of equally many spots by true A: (mean A, SD).
std::vector<std::pair<double, double>> sdByA(std::vector<SpotOutcome> spots, bool normexp,
                                             int bins) {
    std::erase_if(spots, [&](const SpotOutcome& s) {
        return s.flags < -50 || !std::isfinite(normexp ? s.normexpM : s.fbM);
    });
    std::sort(spots.begin(), spots.end(),
              [](const SpotOutcome& a, const SpotOutcome& b) { return a.trueA < b.trueA; });
    std::vector<std::pair<double, double>> line;
    for (int b = 0; b < bins; ++b) {
        const std::size_t first = spots.size() * static_cast<std::size_t>(b) / bins;
        const std::size_t last = spots.size() * static_cast<std::size_t>(b + 1) / bins;
        if (last - first < 2) continue;
        double a = 0, sum = 0, sum2 = 0;
        for (std::size_t i = first; i < last; ++i) {
            const double e = (normexp ? spots[i].normexpM : spots[i].fbM) - spots[i].trueM;
            a += spots[i].trueA, sum += e, sum2 += e * e;
        }
        const double n = static_cast<double>(last - first);
        line.emplace_back(a / n, std::sqrt(std::max(0.0, (sum2 - sum * sum / n) / (n - 1))));
    }
    return line;
}

void writePlot(const std::string& path, const std::vector<SpotOutcome> (&pooled)[2][2],
               bool normexp) {
    constexpr int kBins = 24;
    struct Curve {
        int slides;
        bool flagged;
        bool normexp;
        const char* label;
        const char* colour;
    };
    const Curve curves[] = {
        {0, false, false, "plain slides, F - B", "#2ca02c"},
        {1, false, false, "realistic slides, F - B", "#444"},
        {1, true, false, "realistic, saturated spots flagged, F - B", "#d62728"},
        {1, true, true, "realistic, flagged, normexp (offset 50)", "#1f77b4"}};
    double lowA = 1e9, highA = -1e9, highSd = 0.0;
    std::vector<std::vector<std::pair<double, double>>> lines;
    for (const Curve& c : curves) {
        lines.push_back(c.normexp && !normexp
                            ? std::vector<std::pair<double, double>>{}
                            : sdByA(pooled[c.slides][c.flagged], c.normexp, kBins));
        for (const auto& [a, sd] : lines.back())
            lowA = std::min(lowA, a), highA = std::max(highA, a), highSd = std::max(highSd, sd);
    }
    orvane::SvgPlot plot(640, 380, orvane::NiceAxis(lowA, highA), orvane::NiceAxis(0.0, highSd),
                         "true A (log2 of the summed true signals, half of red + green)",
                         "SD of measured M - true M");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        plot.Polyline(lines[i], curves[i].colour);
        plot.Points(lines[i], curves[i].colour, 2.5);
        plot.LegendEntry(curves[i].label, curves[i].colour);
    }
    std::ofstream(path) << plot.Svg("Accuracy of the log ratio M by intensity");
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--seeds")
            settings.seeds = std::max(1, std::atoi(argv[i + 1]));
        else if (arg == "--pixel-um")
            settings.pixelUm = std::atof(argv[i + 1]);
        else if (arg == "--plot")
            settings.plot = argv[i + 1];
        else if (arg == "--keep")
            settings.keep = argv[i + 1];
        else if (arg == "--flag-saturated")
            settings.flagSaturated = std::atof(argv[i + 1]);
    }
    const orvane::testing_support::TempDir temp("orvane_accuracy");
    const fs::path dir = settings.keep.empty() ? temp.path() : fs::path(settings.keep);
    fs::create_directories(dir);
    const auto start = std::chrono::steady_clock::now();
    std::vector<SlideRun> runs;  // per slide: plain, then flagged
    for (const bool realistic : {false, true}) {
        for (int seed = 1; seed <= settings.seeds; ++seed) {
            DemoOptions options;
            options.pixelUm = settings.pixelUm;
            options.seed = static_cast<std::uint64_t>(seed);
            if (realistic) options.defects = orvane::demo::realisticDefects();
            const std::string name = (realistic ? "realistic-" : "clean-") + std::to_string(seed);
            for (SlideRun& run : measureSlide(options, dir / name, settings.flagSaturated))
                runs.push_back(std::move(run));
        }
    }
    const double measureSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool normexp = addNormexp(runs);
    std::vector<SpotOutcome> pooled[2][2];  // [realistic][flagged]
    int saturated = 0;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const bool realistic = r >= 2 * static_cast<std::size_t>(settings.seeds);
        const bool flagged = r % 2 == 1;
        for (const SpotOutcome& s : runs[r].spots) {
            pooled[realistic][flagged].push_back(s);
            saturated += realistic && !flagged && s.saturated;
        }
    }
    std::printf(
        "%d seeds at %g um: %zu spots with a well on clean slides, %zu on realistic ones (%d with "
        "saturated pixels); generated and measured in %.1f s\n",
        settings.seeds, settings.pixelUm, pooled[0][0].size(), pooled[1][0].size(), saturated,
        measureSeconds);
    std::printf(
        "slides     values   quartile of A   spots   left  no M    bias     SD  within %.1f\n",
        kWithin);
    for (int realistic = 0; realistic < 2; ++realistic) {
        const char* slides = realistic ? "realistic" : "clean";
        printFigures(slides, "F - B", pooled[realistic][0], false);
        if (normexp) printFigures(slides, "normexp", pooled[realistic][0], true);
    }
    if (!normexp) std::printf("normexp: not measured (Rscript with limma failed)\n");
    std::printf("realistic slides, spots with more than %g %% saturated pixels flagged -100:\n",
                settings.flagSaturated);
    const auto before = figures(pooled[1][0], false);
    const auto after = printFigures("flagged", "F - B", pooled[1][1], false);
    if (normexp) printFigures("flagged", "normexp", pooled[1][1], true);
    bool noneWorse = true;
    for (std::size_t k = 0; k < 3; ++k) noneWorse = noneWorse && !(after[k].sd > before[k].sd);
    const bool pass = after[3].sd <= 0.05 && noneWorse;
    std::printf(
        "flagged: highest quartile SD %.3f (target <= 0.05; %.3f unflagged), no lower quartile "
        "worse: %s  %s\n",
        after[3].sd, before[3].sd, noneWorse ? "yes" : "no", pass ? "PASS" : "FAIL");
    writePlot(settings.plot, pooled, normexp);
    std::printf("plot: %s\n", settings.plot.c_str());
    return 0;
}
