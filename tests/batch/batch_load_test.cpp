// Load: orvane-batch runs every subcommand on 50 slides in a row in one process, and the heap
// must not grow by more than 5% after the first slide (a leak of a layer, a raster or a map
// would grow it by far more).
#include <gtest/gtest.h>

#include <malloc.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../support/temp_dir.h"
#include "batch/batch_commands.h"
#include "demo_slide_files.h"
#include "demo_slide_plan.h"
#include "document/tiff_messages.h"

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime (GCC ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace orvane::batch {
namespace {

namespace fs = std::filesystem;

constexpr int kSlides = 50;
constexpr int kDistinctSlides = 5;

// Bytes in live heap blocks. The address sanitizer holds freed blocks back in quarantine, so its
// own count is the one to trust there; the process's resident size would only measure that.
std::uint64_t liveHeapBytes() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    // Blocks above the mmap threshold (every layer and raster) are counted apart from the arena.
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

// Resident set size in kB, from /proc/self/status; reported, not asserted (see above).
long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

int run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    NullProgress progress;
    CommandContext context{out, err, progress};
    const int status = runBatch(args, context);
    EXPECT_EQ(status, kExitSuccess) << testing::PrintToString(args) << ": " << err.str();
    return status;
}

void processSlide(const fs::path& slide, const fs::path& work) {
    const std::string red = (slide / "demo_635.tif").string();
    const std::string green = (slide / "demo_532.tif").string();
    const std::string grid = (work / "grid.grd").string();
    run({"info", red, green, red});
    run({"export", "-o", (work / "export.tif").string(), red, green, red});
    run({"process", "--mean", "--median", "--subtract-background", "10,10,60,60", "-o",
         (work / "processed.tif").string(), red});
    run({"params", (slide / "slide_map_data.txt").string()});
    run({"define-grid", "--map", (slide / "slide_map_data.txt").string(), "-o", grid, red, green});
    run({"grid-info", grid});
}

TEST(BatchLoad, FiftySlidesInARowWithoutHeapGrowth) {
    setTiffMessageSink({});
    const testing_support::TempDir temp("orvane_batch_load");
    const fs::path& dir = temp.path();
    std::vector<fs::path> slides;
    for (int s = 0; s < kDistinctSlides; ++s) {
        demo::DemoOptions options;
        options.pixelUm = 100.0;  // 240 x 730 pixels: quick, yet every step does real work
        options.seed = static_cast<std::uint64_t>(s + 1);
        options.outDir = (dir / ("slide" + std::to_string(s))).string();
        demo::writeDemoSlide(demo::planDemoSlide(options));
        slides.push_back(options.outDir);
    }
    const fs::path work = dir / "work";
    fs::create_directories(work);

    processSlide(slides[0], work);
    const std::uint64_t heapAfterFirst = liveHeapBytes();
    const long rssAfterFirst = residentKb();
    for (int i = 1; i < kSlides && !HasFailure(); ++i)
        processSlide(slides[static_cast<std::size_t>(i % kDistinctSlides)], work);
    const std::uint64_t heapAfterLast = liveHeapBytes();
    const long rssAfterLast = residentKb();
    RecordProperty("heap_after_first", std::to_string(heapAfterFirst));
    RecordProperty("heap_after_last", std::to_string(heapAfterLast));
    RecordProperty("rss_kb_after_first", std::to_string(rssAfterFirst));
    RecordProperty("rss_kb_after_last", std::to_string(rssAfterLast));
    std::printf(
        "heap after slide 1: %llu bytes, after slide %d: %llu bytes; RSS %ld kB -> %ld kB\n",
        static_cast<unsigned long long>(heapAfterFirst), kSlides,
        static_cast<unsigned long long>(heapAfterLast), rssAfterFirst, rssAfterLast);
    EXPECT_LE(heapAfterLast, heapAfterFirst + heapAfterFirst / 20);
}

}  // namespace
}  // namespace orvane::batch
