// The speed targets of the heavy core operations on a full 5 um slide, each measured in the
// same run as its reference operation, printed as a table with the ratio and PASS or FAIL.
//
// Usage: speed_bench RED.tif GREEN.tif [SLIDE_MAP [ORVANE_BATCH]]
//   (scripts/bench generates the 5 um demo slide with orvane-demo-slide and passes its two scans,
//   its slide map and orvane-batch, whose extract command's peak memory is measured)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <fstream>
#include <memory>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/allocator.h"
#include "bench_references.h"
#include "document/image_processing.h"
#include "document/tiff_loader.h"
#include "grid/adjust_grid.h"
#include "grid/define_grid.h"
#include "grid/layout_files.h"
#include "harness.h"
#include "measure/extract_grid_data.h"
#include "opencv_references.h"
#include "view/display_raster.h"

namespace {

using namespace orvane;

volatile double sink = 0;

struct Raster {
    std::int64_t stride;
    std::vector<std::uint8_t> bytes;  // touched: the mapping is timed, not the page faults
    Raster(std::int32_t width, std::int32_t height)
        : stride(RasterStride(width)), bytes(static_cast<std::size_t>(stride * height), 0) {}
};

void loadingTargets(bench::Table& table, const std::string& path) {
    NullProgress progress;
    std::vector<char> file(std::filesystem::file_size(path), 1);
    auto ours = [&] {
        LayeredImage fresh;
        AppendLayer(fresh, path, progress);
        sink = sink + fresh.layers[0].samples[0];
    };
    table.compare("LoadLayer of a 5 um layer", 2.0, "pread into a touched buffer", ours,
                  [&] { bench::preadFile(path, file); });
    if (bench::haveOpenCv())
        table.compare("LoadLayer of a 5 um layer", 0.4, "cv::imread", ours,
                      [&] { sink = sink + bench::cvImread(path); });
}

// Whether two rasters agree on every pixel byte (padding excluded).
bool sameRaster(const Raster& a, const Raster& b, std::int32_t width, std::int32_t height) {
    for (std::int32_t y = 0; y < height; ++y)
        if (std::memcmp(a.bytes.data() + a.stride * y, b.bytes.data() + b.stride * y,
                        3 * std::size_t(width)) != 0)
            return false;
    return true;
}

void rasterTargets(bench::Table& table, const std::string& red, const std::string& green) {
    NullProgress progress;
    LayeredImage image;
    AppendLayer(image, red, progress);
    AppendLayer(image, green, progress);
    AppendLayer(image, red,
                progress);  // the demo slide has two channels; the third repeats the first
    const std::int32_t w = image.width(), h = image.height();
    Raster ours(w, h), reference(w, h);
    auto build = [&](const DisplayState& state) {
        BuildRaster(image, state, ours.bytes.data(), ours.stride, true, 0, 2147483647, 0,
                    2147483647, progress);
    };
    DisplayState state = DisplayStateAfterLoading(image);  // logarithmic, inverted

    const bench::OneChannelTable oneTable;
    state.channelOn = {true, false, false};
    table
        .compare(
            "BuildRaster 1 layer, log", 1.0, "65536-entry table, all threads",
            [&] { build(state); },
            [&] {
                oneTable.map(image.layers[0].samples.get(), w, h, reference.bytes.data(),
                             reference.stride);
            })
        .note = sameRaster(ours, reference, w, h) ? "identical" : "DIFFERENT";

    const bench::SumFactorTable sumTable;
    const std::uint16_t* layers[3] = {image.layers[0].samples.get(), image.layers[1].samples.get(),
                                      image.layers[2].samples.get()};
    for (int channels : {2, 3}) {
        state.channelOn = {true, true, channels == 3};
        table
            .compare(
                "BuildRaster " + std::to_string(channels) + " layers, log", 1 / 1.5,
                "f(S) table, all threads", [&] { build(state); },
                [&] {
                    sumTable.map(layers, channels, w, h, reference.bytes.data(), reference.stride);
                })
            .note = sameRaster(ours, reference, w, h) ? "identical" : "DIFFERENT";
    }

    state.logDisplay = false;
    const std::size_t rasterBytes = ours.bytes.size();
    std::vector<std::uint8_t> source(rasterBytes, 7);
    for (int channels : {1, 2, 3}) {
        state.channelOn = {true, channels >= 2, channels == 3};
        table.compare(
            "BuildRaster " + std::to_string(channels) + (channels == 1 ? " layer" : " layers") +
                ", linear",
            1.5, "memcpy of the raster's size", [&] { build(state); },
            [&] { std::memcpy(reference.bytes.data(), source.data(), rasterBytes); });
    }
}

// The filter runs on a fresh copy of the layer each round (untimed), as the command would
// find it after loading, and allocates its output as the command does. The OpenCV reference
// writes into a buffer it has filled before.
void filterTargets(bench::Table& table, const std::string& path) {
    NullProgress progress;
    LayeredImage pristine;
    AppendLayer(pristine, path, progress);
    const std::int32_t w = pristine.width(), h = pristine.height();
    const std::size_t count = std::size_t(w) * h;
    LayeredImage work;
    auto setup = [&] {
        work.layers[0].width = w;
        work.layers[0].height = h;
        work.layers[0].samples = allocateBuffer<std::uint16_t>(count);
        std::memcpy(work.layers[0].samples.get(), pristine.layers[0].samples.get(), count * 2);
        work.layerCount = 1;
    };
    std::vector<std::uint16_t> out(count, 0);
    const std::uint16_t* in = pristine.layers[0].samples.get();
    if (!bench::haveOpenCv()) {
        table.absolute(
            "MedianFilter r=1 (no OpenCV reference)", 1e9, [&] { MedianFilter(work, 1); }, 5,
            setup);
        table.absolute(
            "MeanFilter r=1 (no OpenCV reference)", 1e9, [&] { MeanFilter(work, 1); }, 5, setup);
        return;
    }
    bench::Row& median = table.compare(
        "MedianFilter r=1", 0.8, "cv::medianBlur 3x3, 2 threads striped",
        [&] { MedianFilter(work, 1); },
        [&] { bench::cvMedianBlur3Striped(in, out.data(), w, h, 2); }, 5, setup);
    // Inside the image both compute the median of nine (OpenCV replicates the border instead).
    bench::cvMedianBlur3(in, out.data(), w, h);
    bool same = true;
    for (std::int32_t y = 1; y + 1 < h && same; ++y)
        same = std::memcmp(work.layers[0].samples.get() + std::size_t(y) * w + 1,
                           out.data() + std::size_t(y) * w + 1, 2 * std::size_t(w - 2)) == 0;
    median.note = same ? "interior identical to OpenCV" : "interior DIFFERS from OpenCV";
    table.compare(
        "MeanFilter r=1", 0.5, "cv::blur 3x3", [&] { MeanFilter(work, 1); },
        [&] { bench::cvBlur3(in, out.data(), w, h); }, 5, setup);
    table.compare(
        "(info) MeanFilter r=1", 0.5, "cv::blur 3x3, 2 threads striped",
        [&] { MeanFilter(work, 1); }, [&] { bench::cvBlur3Striped(in, out.data(), w, h, 2); }, 3,
        setup);
    table.compare(
        "(info) MedianFilter r=1", 0.8, "cv::medianBlur 3x3 as called",
        [&] { MedianFilter(work, 1); }, [&] { bench::cvMedianBlur3(in, out.data(), w, h); }, 3,
        setup);
}

// The demo slide's grid as Define Grid lays it out from the slide map (spot diameter 0.14 mm,
// which the map does not carry), on both layers.
std::unique_ptr<SpotGrid> demoGrid(const LayeredImage& image, const std::string& mapPath) {
    auto grid = std::make_unique<SpotGrid>();
    PrintJobParameters job;
    std::ifstream map(mapPath);
    std::ostringstream diagnostics;
    LoadMap(map, grid->parameters, job, diagnostics);
    grid->parameters.spotDiameter = 0.14;
    DefineGridLayout(*grid, image);
    return grid;
}

void gridTargets(bench::Table& table, const std::string& red, const std::string& green,
                 const std::string& mapPath) {
    NullProgress progress;
    LayeredImage image;
    AppendLayer(image, red, progress);
    AppendLayer(image, green, progress);
    std::unique_ptr<SpotGrid> grid;
    auto fresh = [&] { grid = demoGrid(image, mapPath); };
    const struct {
        const char* name;
        AdjustMethod method;
    } methods[] = {{"AdjustGrid 2DW, 2 layers", AdjustMethod::TwoDimensionalWindow},
                   {"AdjustGrid 1DW, 2 layers", AdjustMethod::OneDimensionalWindow},
                   {"AdjustGrid CM, 2 layers", AdjustMethod::CentreOfMass}};
    for (const auto& m : methods)
        table.absolute(
            m.name, 250.0, [&] { AdjustGrid(*grid, grid->quad(0, 0), image, m.method); }, 5, fresh);
    fresh();
    const std::string out =
        (std::filesystem::temp_directory_path() / "orvane-bench-spot-data.txt").string();
    table.absolute("Extract Grid Data, 2 layers", 250.0,
                   [&] { ExtractGridData(out, image, *grid, grid->quad(0, 0), progress); });
    std::filesystem::remove(out);
}

// Runs a program and returns its peak resident memory in bytes (0 when it failed).
std::uint64_t peakMemoryOf(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    // Its output (Load Map lists every pin and zone line as an unknown parameter) is not ours.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return 0;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return 0;
    return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
}

void peakMemoryTarget(bench::Table& table, const std::string& batch, const std::string& red,
                      const std::string& green, const std::string& mapPath) {
    const auto tmp = std::filesystem::temp_directory_path();
    const std::string grd = (tmp / "orvane-bench-demo.grd").string(),
                      out = (tmp / "orvane-bench-extract.txt").string();
    if (peakMemoryOf({batch, "define-grid", "--map", mapPath, "-o", grd, red, green}) == 0) {
        std::fprintf(stderr, "  orvane-batch define-grid failed: no peak memory figure\n");
        return;
    }
    const double peak = double(peakMemoryOf({batch, "extract", "-o", out, grd, red, green}));
    NullProgress progress;
    LayeredImage image;
    AppendLayer(image, red, progress);
    const double layers = 2.0 * double(image.width()) * image.height() * sizeof(std::uint16_t);
    bench::Row row;
    row.target = "Peak memory of orvane-batch extract, 2 layers (MB)";
    row.reference = "the two layers' samples (MB)";
    row.oursMs = row.oursCpuMs = peak / 1e6;
    row.referenceMs = row.referenceCpuMs = layers / 1e6;
    row.ratio = peak / layers;
    row.limit = 1.3;
    if (peak == 0) row.note = "extract failed";
    std::fprintf(stderr, "  %-44s %8.1f MB  layers %8.1f MB  %5.2f x\n", row.target.c_str(),
                 peak / 1e6, layers / 1e6, row.ratio);
    table.add(row);
    std::filesystem::remove(grd);
    std::filesystem::remove(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: speed_bench RED.tif GREEN.tif [SLIDE_MAP [ORVANE_BATCH]]\n");
        return 2;
    }
    const std::string red = argv[1], green = argv[2];
    const std::string mapPath = argc > 3 ? argv[3] : "", batch = argc > 4 ? argv[4] : "";
    std::fprintf(stderr, "speed_bench: %s, %s; medians of paired rounds%s\n", red.c_str(),
                 green.c_str(),
                 bench::haveOpenCv() ? "" : "; OpenCV not built in (scripts/install-deps --bench)");
    // BENCH_ONLY=load|raster|filter|grid|memory runs one group (for working on one kernel).
    const char* only = std::getenv("BENCH_ONLY");
    auto wanted = [&](const char* group) { return only == nullptr || std::string(only) == group; };
    bench::Table table;
    // First, while this process is small: a spawned child's peak counts the parent's pages it
    // shared until its exec.
    if (wanted("memory") && !batch.empty()) peakMemoryTarget(table, batch, red, green, mapPath);
    if (wanted("load")) loadingTargets(table, red);
    if (wanted("raster")) rasterTargets(table, red, green);
    if (wanted("filter")) filterTargets(table, red);
    if (wanted("grid") && !mapPath.empty()) gridTargets(table, red, green, mapPath);
    const int failures = table.print();
    std::printf("%d target(s) missed\n", failures);
    return 0;
}
