// The print job and scan of a demo slide: print layout in millimetres, the wells each pin carried,
// and every spot with its true centre in pixels. Rendering and the files are built from this plan.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane::demo {

// Defects of real slides, all off by default. Each draws from a random stream of its own, so that
// turning one on leaves the rest of the slide as it was; with all off the slide is the plain one.
struct DemoDefects {
    double sizeSpread = 0.0;  // spot diameters vary uniformly up to this share each way
    double doughnuts = 0.0;   // share of spots that get a deep hollow centre
    double irregular = 0.0;   // share of spots with a lumpy outline
    double comets = 0.0;      // share of spots with a comet tail
    double decades = 0.0;     // well brightness log-uniform over this many decades (0: log-normal)
    double saturated = 0.0;   // share of spots printed bright enough to saturate
    double gradient = 0.0;    // per-channel background gradient: relative change across the scan
    int smudges = 0;          // soft background smudges per channel
    int dust = 0;             // extra dust specks, mostly small
    int scratches = 0;        // bright thin scratches

    bool any() const {
        return sizeSpread > 0 || doughnuts > 0 || irregular > 0 || comets > 0 || decades > 0 ||
               saturated > 0 || gradient > 0 || smudges > 0 || dust > 0 || scratches > 0;
    }
};

// `--defects realistic`: every defect at the strength of a typical spotted slide.
DemoDefects realisticDefects();

struct DemoOptions {
    double pixelUm = 10.0;  // nominal pixel size; the resolution is a whole number of pixels per cm
    std::uint64_t seed = 1;
    std::string outDir = "demo-slide";
    double placementMm = 0.0;  // slide placement error: one random shift of up to this each way
    double pinOffsetPitch =
        0.0;  // pin offsets up to this share of the spot pitch each way; 0: +-40 um
    double scanOriginXmm = 0.2;  // where the scan starts on the slide; more leaves quads outside
    bool blank = false;          // nothing printed: background, noise and dust only
    DemoDefects defects;
};

// The arraying robot's print job, in millimetres on the slide (as the slide map data file says).
struct PrintLayout {
    int pinsX = 2;  // print head pins across: quads per block in x
    int pinsY = 4;  // pins down: quads per block in y
    int blockCols = 2;
    int blockRows = 3;
    int spotsX = 12;  // spot positions per quad
    int spotsY = 12;
    double spotStep = 0.35;    // spot pitch, both directions
    double quadStep = 4.5;     // pin pitch of the head: quad template step
    double zoneOriginX = 4.5;  // slide position of the first spot of the first quad
    double zoneOriginY = 8.0;

    int quadsX() const { return pinsX * blockCols; }
    int quadsY() const { return pinsY * blockRows; }
    int pinCount() const { return pinsX * pinsY; }
    int positionCount() const { return spotsX * spotsY; }
};

// The scanner's view of the slide.
struct ScanSetup {
    double originX = 0.2;  // SCANINFO scan origin, millimetres
    double originY = 0.5;
    double widthMm = 24.0;  // scanned area
    double heightMm = 73.0;
    float pixelsPerCm = 1000.0f;
};

struct Well {
    std::string uid;          // "NA" for an empty well
    std::string description;  // one word
    double amount = 0.0;      // printed material: signal level of a spot of this well
    double ratio = 1.0;       // red over green
    bool saturating = false;
    bool empty() const { return uid == "NA"; }
};

struct Spot {
    int qx = 0, qy = 0, col = 0, row = 0;
    int nominalX = 0, nominalY = 0;  // where the nominal grid (Define Grid) puts the centre
    double x = 0.0, y = 0.0;         // true centre in pixels, pixel (i, j) centred at (i, j)
    int well = 0;                    // index into DemoSlide::wells
    bool printed = false;            // false when the pin carried an empty well
    double radius = 0.0;             // pixels, to the middle of the soft edge
    double doughnut = 0.0;           // depth of the hollow centre, 0 for a full spot
    double level[2] = {0.0, 0.0};    // peak signal per channel
    // Defects: outline r(t) = radius (1 + lumps cos(3t + lumpPhase)); a comet tail of relative
    // height tail decaying over tailLength pixels in direction tailAngle. 0: none.
    double lumps = 0.0, lumpPhase = 0.0;
    double tail = 0.0, tailLength = 0.0, tailAngle = 0.0;
};

struct Speck {
    double x = 0.0, y = 0.0, radius = 0.0;
    double level[2] = {0.0, 0.0};
};

// A soft blob of extra background in one channel.
struct Smudge {
    int channel = 0;
    double x = 0.0, y = 0.0, sigma = 0.0, level = 0.0;
};

// A straight bright line from (x0, y0) to (x1, y1), `width` pixels across.
struct Scratch {
    double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0, width = 0.0;
    double level[2] = {0.0, 0.0};
};

// One stroke of the print head: every pin at spot position (col, row) of one block.
struct Stroke {
    int blockCol = 0, blockRow = 0, col = 0, row = 0;
};

struct DemoSlide {
    DemoOptions options;
    PrintLayout layout;
    ScanSetup scan;
    std::int32_t width = 0, height = 0;
    std::array<std::string, 2> scanInfo;  // ImageDescription of each channel
    std::vector<Well> wells;              // wells[position * pinCount + pin], pin = py * pinsX + px
    std::vector<Spot> spots;              // quad by quad (qx outer), then row, then col
    std::vector<Speck> specks;
    double backgroundLevel[2] = {0.0, 0.0};   // mean background per channel
    double gradientX = 0.0, gradientY = 0.0;  // relative change across the scan
    // Defects: each channel's own gradient on top of the shared one, smudges and scratches.
    double channelGradientX[2] = {0.0, 0.0}, channelGradientY[2] = {0.0, 0.0};
    std::vector<Smudge> smudges;
    std::vector<Scratch> scratches;
};

inline constexpr const char* kChannelFile[2] = {"demo_635.tif", "demo_532.tif"};
inline constexpr const char* kMapFile = "slide_map_data.txt";
inline constexpr const char* kTruthFile = "spot_truth.txt";

// Plans the whole slide for the options; the same options always give the same plan.
DemoSlide planDemoSlide(const DemoOptions& options);

// The pin that printed quad (qx, qy): the quad row nearest the top of a block takes the pin with
// the largest y index (the slide map's mirrored pin rows).
int pinOfQuad(const PrintLayout& layout, int qx, int qy);

}  // namespace orvane::demo
