// orvane-demo-slide: writes a realistic two-channel demo scan of a printed slide, its slide map
// data file and a truth file of the spot centres and signals; optionally with the defects of real
// slides.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "demo_slide_files.h"
#include "demo_slide_plan.h"

namespace {

constexpr const char* kUsage =
    "usage: orvane-demo-slide [--pixel-um UM] [--seed N] [--placement-mm MM] [--pin-offset P]\n"
    "                         [--scan-x-mm MM] [--blank] [--defects none|realistic]\n"
    "                         [DEFECT OPTIONS] [-o DIR]\n";

constexpr const char* kHelp =
    "Writes a demo slide scan into DIR (default demo-slide):\n"
    "  demo_635.tif, demo_532.tif  16-bit grey scans of the red and green channel\n"
    "  slide_map_data.txt          the print job's slide map data file (for Load Map)\n"
    "  spot_truth.txt              every spot's true centre in pixels and true signal\n"
    "options:\n"
    "  --pixel-um UM   pixel size in micrometres, 1 to 100 (default 10; 5 gives ~4800 x 14600)\n"
    "  --seed N        random seed (default 1); the same seed gives the same files\n"
    "  --placement-mm MM  slide placement error: the whole print lies up to MM (0 to 2) off\n"
    "                  in x and y (default 0)\n"
    "  --pin-offset P  each pin prints up to P spot pitches (0 to 0.5) off in x and y\n"
    "                  (default: up to 40 um)\n"
    "  --scan-x-mm MM  the scan starts MM (0 to 20) from the slide's left edge (default 0.2);\n"
    "                  from about 4 on, the left quads of the print lie outside the scan\n"
    "  --blank         nothing printed: the scans hold background, noise and dust only\n"
    "  -o, --out DIR   output folder, created when missing\n"
    "defects of real slides (all off by default; --defects realistic turns every one on, and\n"
    "options after it change one):\n"
    "  --size-spread F   spot diameters vary up to F (0 to 0.5) each way (realistic 0.25)\n"
    "  --doughnuts P     share P (0 to 1) of spots with a deep hollow centre (0.08)\n"
    "  --irregular P     share of spots with a lumpy outline (0.15)\n"
    "  --comets P        share of spots with a comet tail (0.06)\n"
    "  --decades D       brightness log-uniform over D (0 to 4) decades from 40 (3)\n"
    "  --saturated P     share of spots brighter than the scanner's range (0.01)\n"
    "  --gradient G      each channel's own background gradient, up to G (0 to 1) across (0.4)\n"
    "  --smudges N       soft background smudges per channel (6)\n"
    "  --dust N          extra dust specks (120)\n"
    "  --scratches N     bright scratches (3)\n";

bool parseNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

bool parseSeed(const char* text, std::uint64_t& value) {
    if (*text < '0' || *text > '9') return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, 10);
    return errno == 0 && *end == '\0';
}

int usageError(const std::string& why) {
    std::fprintf(stderr, "orvane-demo-slide: %s\n%s", why.c_str(), kUsage);
    return 2;
}

struct ShareOption {
    const char* name;
    double orvane::demo::DemoDefects::*field;
    double most;
};
constexpr ShareOption kShareOptions[] = {
    {"--size-spread", &orvane::demo::DemoDefects::sizeSpread, 0.5},
    {"--doughnuts", &orvane::demo::DemoDefects::doughnuts, 1.0},
    {"--irregular", &orvane::demo::DemoDefects::irregular, 1.0},
    {"--comets", &orvane::demo::DemoDefects::comets, 1.0},
    {"--decades", &orvane::demo::DemoDefects::decades, 4.0},
    {"--saturated", &orvane::demo::DemoDefects::saturated, 1.0},
    {"--gradient", &orvane::demo::DemoDefects::gradient, 1.0},
};

struct CountOption {
    const char* name;
    int orvane::demo::DemoDefects::*field;
};
constexpr CountOption kCountOptions[] = {
    {"--smudges", &orvane::demo::DemoDefects::smudges},
    {"--dust", &orvane::demo::DemoDefects::dust},
    {"--scratches", &orvane::demo::DemoDefects::scratches},
};

// A defect option: true when `arg` names one; `error` says what is wrong with its value.
bool parseDefect(const std::string& arg, const char* value, orvane::demo::DemoDefects& defects,
                 std::string& error) {
    if (arg == "--defects") {
        if (std::strcmp(value, "realistic") == 0)
            defects = orvane::demo::realisticDefects();
        else if (std::strcmp(value, "none") == 0)
            defects = {};
        else
            error = "--defects takes none or realistic";
        return true;
    }
    for (const ShareOption& option : kShareOptions) {
        if (arg != option.name) continue;
        double v = 0.0;
        if (!parseNumber(value, v) || !(v >= 0.0 && v <= option.most))
            error = arg + " must be a number from 0 to " + std::to_string(option.most).substr(0, 3);
        else
            defects.*option.field = v;
        return true;
    }
    for (const CountOption& option : kCountOptions) {
        if (arg != option.name) continue;
        char* end = nullptr;
        const long v = std::strtol(value, &end, 10);
        if (end == value || *end != '\0' || v < 0 || v > 1000)
            error = arg + " must be a whole number from 0 to 1000";
        else
            defects.*option.field = static_cast<int>(v);
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    orvane::demo::DemoOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::printf("%s%s", kUsage, kHelp);
            return 0;
        }
        if (arg == "--blank") {
            options.blank = true;
            continue;
        }
        if (i + 1 >= argc) return usageError("unknown option or missing value: " + arg);
        const char* value = argv[++i];
        if (arg == "--pixel-um") {
            if (!parseNumber(value, options.pixelUm) ||
                !(options.pixelUm >= 1.0 && options.pixelUm <= 100.0))
                return usageError("pixel size must be a number from 1 to 100");
        } else if (arg == "--seed") {
            if (!parseSeed(value, options.seed))
                return usageError("seed must be a non-negative integer");
        } else if (arg == "--placement-mm") {
            if (!parseNumber(value, options.placementMm) ||
                !(options.placementMm >= 0.0 && options.placementMm <= 2.0))
                return usageError("placement error must be a number from 0 to 2");
        } else if (arg == "--pin-offset") {
            if (!parseNumber(value, options.pinOffsetPitch) ||
                !(options.pinOffsetPitch >= 0.0 && options.pinOffsetPitch <= 0.5))
                return usageError("pin offset must be a number from 0 to 0.5");
        } else if (arg == "--scan-x-mm") {
            if (!parseNumber(value, options.scanOriginXmm) ||
                !(options.scanOriginXmm >= 0.0 && options.scanOriginXmm <= 20.0))
                return usageError("scan origin must be a number from 0 to 20");
        } else if (arg == "-o" || arg == "--out") {
            options.outDir = value;
        } else if (std::string error; parseDefect(arg, value, options.defects, error)) {
            if (!error.empty()) return usageError(error);
        } else {
            return usageError("unknown option " + arg);
        }
    }
    try {
        const auto start = std::chrono::steady_clock::now();
        const orvane::demo::DemoSlide slide = orvane::demo::planDemoSlide(options);
        for (const std::string& path : orvane::demo::writeDemoSlide(slide))
            std::printf("%s\n", path.c_str());
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(stderr, "orvane-demo-slide: %d x %d pixels, %zu spots, %.2f s\n", slide.width,
                     slide.height, slide.spots.size(), seconds);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "orvane-demo-slide: %s\n", error.what());
        return 1;
    }
    return 0;
}
