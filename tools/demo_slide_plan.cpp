// Plans a demo slide: the wells of the print job, where each spot really landed, and the
// nominal grid that the slide map's millimetre values give in pixels.
#include "demo_slide_plan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "demo_random.h"
#include "demo_slide_text.h"
#include "document/layered_image.h"

namespace orvane::demo {

namespace {

// One-word descriptions of the printed clones.
constexpr const char* kGenes[] = {
    "ACTB",  "GAPDH", "TP53",   "MYC",         "EGFR",     "KRAS",     "BRCA1", "BRCA2",
    "PTEN",  "CDK4",  "CDKN2A", "RB1",         "MDM2",     "ERBB2",    "VEGFA", "HIF1A",
    "STAT3", "JUN",   "FOS",    "EGR1",        "HSPA1A",   "HSP90AA1", "TUBB",  "RPLP0",
    "B2M",   "HPRT1", "TBP",    "GUSB",        "PGK1",     "PPIA",     "CCND1", "CCNE1",
    "E2F1",  "BCL2",  "BAX",    "CASP3",       "CASP8",    "FAS",      "TNF",   "IL6",
    "IL1B",  "CXCL8", "NFKB1",  "RELA",        "MAPK1",    "MAPK3",    "AKT1",  "PIK3CA",
    "MTOR",  "SOX2",  "kinase", "phosphatase", "ESTclone", "control"};

struct PinTraits {
    double offsetX = 0.0, offsetY = 0.0;  // pixels: a bent pin prints off the nominal position
    double radius = 0.0;                  // pixels
};

// The 384-well plate name of well number w: plates of 16 rows A-P by 24 columns.
std::string wellName(int w) {
    char text[32];
    const int plate = w / 384 + 1;
    const int inPlate = w % 384;
    std::snprintf(text, sizeof text, "P%02d-%c%02d", plate, 'A' + inPlate / 24, inPlate % 24 + 1);
    return text;
}

std::vector<Well> planWells(const PrintLayout& layout, Rng& rng) {
    std::vector<Well> wells(static_cast<std::size_t>(layout.positionCount() * layout.pinCount()));
    for (std::size_t w = 0; w < wells.size(); ++w) {
        Well& well = wells[w];
        if (rng.chance(0.06)) {
            well.uid = "NA";
            well.description = "empty";
            continue;
        }
        well.uid = wellName(static_cast<int>(w));
        well.description = kGenes[rng.below(static_cast<int>(std::size(kGenes)))];
        // Log-normal expression: most printed spots stand well above the background, a tail of weak
        // ones does not (about one in fifty is too faint for the window fit to find).
        well.amount = std::clamp(std::exp(std::log(5000.0) + 0.8 * rng.normal()), 150.0, 40000.0);
        well.ratio = std::exp(0.6 * rng.normal());
        if (rng.chance(0.012)) {
            well.saturating = true;
            well.amount = 120000.0;
        }
    }
    return wells;
}

std::vector<PinTraits> planPins(const PrintLayout& layout, const DemoOptions& options,
                                double pxPerUm, Rng& rng) {
    // The same draws whatever the reach, so that other options leave the rest of the plan alone.
    const double reachUm =
        options.pinOffsetPitch > 0.0 ? options.pinOffsetPitch * layout.spotStep * 1000.0 : 40.0;
    std::vector<PinTraits> pins(static_cast<std::size_t>(layout.pinCount()));
    for (PinTraits& pin : pins) {
        pin.offsetX = rng.uniform(-reachUm, reachUm) * pxPerUm;
        pin.offsetY = rng.uniform(-reachUm, reachUm) * pxPerUm;
        pin.radius = (70.0 + 5.0 * rng.normal()) * pxPerUm;
    }
    return pins;
}

// The image the loader makes of the scan: only the fields the length conversions read.
LayeredImage scanGeometry(const ScanSetup& scan) {
    LayeredImage image;
    image.resolutionUnit = kResolutionUnitCentimetre;
    image.xResolution = scan.pixelsPerCm;
    image.yResolution = scan.pixelsPerCm;
    image.scanOriginX = scan.originX;
    image.scanOriginY = scan.originY;
    return image;
}

// Nominal centres of one quad, as Define Grid lays the grid out from the slide map. Load Map sets
// Origin X/Y to zone_0_origin_x/y and turns relative offsets off, so that
//   ox = zone_0_origin_x - scanOriginX - 1.6,   oy = zone_0_origin_y - scanOriginY - 0.9
//   x0 = LengthToPixelsX(qx * quadStep + ox)
//   x1 = LengthToPixelsX((spotsX - 1) * spotStep + qx * quadStep + ox)
//   x  = x0 + (x1 - x0) * col / (spotsX - 1)      (32-bit integers, truncating)
// and y likewise with 0.9, where LengthToPixels(L) = trunc(pixelsPerCm * L * 0.1). A spot at slide
// position s mm therefore lies near pixel (s - scanOriginX - 1.6) * pixelsPerCm / 10 across and
// (s - scanOriginY - 0.9) * pixelsPerCm / 10 down. The millimetre values used here are the ones
// read back from the files' text, so that the truncations match the reader's exactly.
void nominalCentre(const LayeredImage& image, const PrintLayout& layout, int qx, int qy, int col,
                   int row, Spot& spot) {
    const double ox = layout.zoneOriginX - image.scanOriginX - 1.6;
    const double oy = layout.zoneOriginY - image.scanOriginY - 0.9;
    const std::int32_t x0 = image.LengthToPixelsX(qx * layout.quadStep + ox);
    const std::int32_t y0 = image.LengthToPixelsY(qy * layout.quadStep + oy);
    const std::int32_t x1 =
        image.LengthToPixelsX((layout.spotsX - 1) * layout.spotStep + qx * layout.quadStep + ox);
    const std::int32_t y1 =
        image.LengthToPixelsY((layout.spotsY - 1) * layout.spotStep + qy * layout.quadStep + oy);
    spot.nominalX = layout.spotsX > 1 ? x0 + (x1 - x0) * col / (layout.spotsX - 1) : x0;
    spot.nominalY = layout.spotsY > 1 ? y0 + (y1 - y0) * row / (layout.spotsY - 1) : y0;
}

void planSpots(DemoSlide& slide, const std::vector<PinTraits>& pins, Rng& rng) {
    const PrintLayout& layout = slide.layout;
    const double pxPerUm = slide.scan.pixelsPerCm / 10000.0;
    // The slide's placement error, from a stream of its own so that it moves the spots only.
    Rng placementRng(slide.options.seed ^ 0x706c6163656dULL);
    const double reachUm = slide.options.placementMm * 1000.0;
    const double placementX =
        reachUm > 0.0 ? placementRng.uniform(-reachUm, reachUm) * pxPerUm : 0.0;
    const double placementY =
        reachUm > 0.0 ? placementRng.uniform(-reachUm, reachUm) * pxPerUm : 0.0;
    const LayeredImage image = scanGeometry(slide.scan);
    for (int qx = 0; qx < layout.quadsX(); ++qx) {
        for (int qy = 0; qy < layout.quadsY(); ++qy) {
            const int pin = pinOfQuad(layout, qx, qy);
            for (int row = 0; row < layout.spotsY; ++row) {
                for (int col = 0; col < layout.spotsX; ++col) {
                    Spot spot;
                    spot.qx = qx, spot.qy = qy, spot.col = col, spot.row = row;
                    nominalCentre(image, layout, qx, qy, col, row, spot);
                    const double jx = std::clamp(10.0 * rng.normal(), -30.0, 30.0) * pxPerUm;
                    const double jy = std::clamp(10.0 * rng.normal(), -30.0, 30.0) * pxPerUm;
                    spot.x = spot.nominalX + placementX + pins[pin].offsetX + jx;
                    spot.y = spot.nominalY + placementY + pins[pin].offsetY + jy;
                    spot.well = (row * layout.spotsX + col) * layout.pinCount() + pin;
                    const Well& well = slide.wells[static_cast<std::size_t>(spot.well)];
                    spot.printed = !well.empty() && !slide.options.blank;
                    spot.radius = pins[pin].radius * (1.0 + 0.06 * rng.normal());
                    if (rng.chance(0.12)) spot.doughnut = rng.uniform(0.45, 0.85);
                    const double replicate = std::exp(0.15 * rng.normal());
                    const double split = std::sqrt(well.ratio);
                    spot.level[0] = well.amount * replicate * split * std::exp(0.05 * rng.normal());
                    spot.level[1] = well.amount * replicate / split * std::exp(0.05 * rng.normal());
                    slide.spots.push_back(spot);
                }
            }
        }
    }
}

// Dust glows in both channels, `share` of it red.
void splitBetweenChannels(double level, double share, double (&channels)[2]) {
    channels[0] = level * share * 2.0;
    channels[1] = level * (1.0 - share) * 2.0;
}

std::vector<Speck> planSpecks(const DemoSlide& slide, Rng& rng) {
    const double pxPerUm = slide.scan.pixelsPerCm / 10000.0;
    const int count = 45 + rng.below(20);
    std::vector<Speck> specks(static_cast<std::size_t>(count));
    for (Speck& speck : specks) {
        speck.x = rng.uniform(0.0, slide.width);
        speck.y = rng.uniform(0.0, slide.height);
        speck.radius = rng.uniform(4.0, 25.0) * pxPerUm;
        const double level = rng.uniform(3000.0, 60000.0);
        splitBetweenChannels(level, rng.uniform(0.2, 0.8), speck.level);
    }
    return specks;
}

// Defects: each from a stream of its own (seed and a tag), so that one defect never moves another.
Rng defectRng(std::uint64_t seed, std::uint64_t tag) {
    return Rng(seed ^ (tag * 0x9e3779b97f4a7c15ULL));
}

constexpr double kTwoPi = 6.283185307179586;

// Brightness log-uniform over `decades` from a faint 40 up: the full range a scanner sees.
void spreadBrightness(std::vector<Well>& wells, std::uint64_t seed, double decades) {
    Rng rng = defectRng(seed, 1);
    for (Well& well : wells) {
        const double u = rng.uniform();
        if (!well.empty() && !well.saturating) well.amount = 40.0 * std::pow(10.0, decades * u);
    }
}

void applySpotDefects(DemoSlide& slide, const DemoDefects& d) {
    Rng size = defectRng(slide.options.seed, 2), hollow = defectRng(slide.options.seed, 3);
    Rng lumpy = defectRng(slide.options.seed, 4), comet = defectRng(slide.options.seed, 5);
    Rng bright = defectRng(slide.options.seed, 6);
    for (Spot& spot : slide.spots) {
        if (d.sizeSpread > 0) spot.radius *= size.uniform(1.0 - d.sizeSpread, 1.0 + d.sizeSpread);
        if (d.doughnuts > 0 && hollow.chance(d.doughnuts))
            spot.doughnut = hollow.uniform(0.7, 0.95);
        if (d.irregular > 0 && lumpy.chance(d.irregular)) {
            spot.lumps = lumpy.uniform(0.06, 0.18);
            spot.lumpPhase = lumpy.uniform(0.0, kTwoPi);
        }
        if (d.comets > 0 && comet.chance(d.comets)) {
            // Tails trail the pin's way down the slide, give or take.
            spot.tail = comet.uniform(0.2, 0.5);
            spot.tailLength = comet.uniform(0.8, 2.0) * spot.radius;
            spot.tailAngle = 1.5707963267948966 + comet.uniform(-0.4, 0.4);
        }
        if (d.saturated > 0 && bright.chance(d.saturated)) {
            // Brighter than the scanner's range, the ratio kept: the true M stays known.
            const double scale =
                bright.uniform(1.2, 3.0) * 65535.0 / std::max({spot.level[0], spot.level[1], 1.0});
            spot.level[0] *= scale;
            spot.level[1] *= scale;
        }
    }
}

void planSmudges(DemoSlide& slide, const DemoDefects& d) {
    const double pxPerMm = slide.scan.pixelsPerCm / 10.0;
    Rng rng = defectRng(slide.options.seed, 7);
    for (int c = 0; c < 2; ++c) {
        slide.channelGradientX[c] = d.gradient * rng.uniform(-1.0, 1.0);
        slide.channelGradientY[c] = d.gradient * rng.uniform(-1.0, 1.0);
        for (int i = 0; i < d.smudges; ++i) {
            Smudge smudge{c, rng.uniform(0.0, slide.width), rng.uniform(0.0, slide.height),
                          rng.uniform(0.3, 2.0) * pxPerMm,
                          rng.uniform(0.2, 1.0) * slide.backgroundLevel[c]};
            slide.smudges.push_back(smudge);
        }
    }
}

// Mostly small specks, a pixel or two across.
void planDust(DemoSlide& slide, int count) {
    const double pxPerUm = slide.scan.pixelsPerCm / 10000.0;
    Rng rng = defectRng(slide.options.seed, 8);
    for (int i = 0; i < count; ++i) {
        Speck speck;
        speck.x = rng.uniform(0.0, slide.width);
        speck.y = rng.uniform(0.0, slide.height);
        speck.radius = std::max(0.5, rng.uniform(2.0, 12.0) * pxPerUm);
        const double level = rng.uniform(1000.0, 40000.0);
        splitBetweenChannels(level, rng.uniform(0.1, 0.9), speck.level);
        slide.specks.push_back(speck);
    }
}

void planScratches(DemoSlide& slide, int count) {
    const double pxPerMm = slide.scan.pixelsPerCm / 10.0;
    Rng rng = defectRng(slide.options.seed, 9);
    for (int i = 0; i < count; ++i) {
        Scratch line;
        line.x0 = rng.uniform(0.0, slide.width);
        line.y0 = rng.uniform(0.0, slide.height);
        const double length = rng.uniform(3.0, 20.0) * pxPerMm;
        const double angle = rng.uniform(0.0, kTwoPi);
        line.x1 = line.x0 + length * std::cos(angle);
        line.y1 = line.y0 + length * std::sin(angle);
        line.width = std::max(1.0, rng.uniform(5.0, 20.0) * pxPerMm / 1000.0);
        const double level = rng.uniform(300.0, 3000.0);
        splitBetweenChannels(level, rng.uniform(0.3, 0.7), line.level);
        slide.scratches.push_back(line);
    }
}

std::string scanInfoText(const DemoSlide& slide, int channel) {
    const int wavelength[2] = {635, 532};
    const int gain[2] = {70, 65};
    char text[256];
    std::snprintf(text, sizeof text, "SCANINFO:%s,%s>>%s,%s>>%.3f>>%d>>%d>>%d>>%d>>%.3f>>%d",
                  formatMm(slide.scan.widthMm).c_str(), formatMm(slide.scan.heightMm).c_str(),
                  formatMm(slide.scan.originX).c_str(), formatMm(slide.scan.originY).c_str(),
                  slide.options.pixelUm, wavelength[channel], gain[channel], 100, 1, 0.0,
                  channel + 1);
    return text;
}

void checkShare(double value, double most, const char* what) {
    if (value >= 0.0 && value <= most) return;
    char text[96];
    std::snprintf(text, sizeof text, "%s must be between 0 and %g", what, most);
    throw std::invalid_argument(text);
}

void checkDefects(const DemoDefects& d) {
    checkShare(d.sizeSpread, 0.5, "size spread");
    checkShare(d.doughnuts, 1.0, "doughnut share");
    checkShare(d.irregular, 1.0, "irregular share");
    checkShare(d.comets, 1.0, "comet share");
    checkShare(d.decades, 4.0, "brightness decades");
    checkShare(d.saturated, 1.0, "saturated share");
    checkShare(d.gradient, 1.0, "gradient");
    for (const int count : {d.smudges, d.dust, d.scratches})
        if (count < 0 || count > 1000)
            throw std::invalid_argument("defect counts must be between 0 and 1000");
}

}  // namespace

int pinOfQuad(const PrintLayout& layout, int qx, int qy) {
    const int px = qx % layout.pinsX;
    const int py = layout.pinsY - 1 - qy % layout.pinsY;
    return py * layout.pinsX + px;
}

DemoSlide planDemoSlide(const DemoOptions& options) {
    if (!(options.pixelUm >= 1.0 && options.pixelUm <= 100.0))
        throw std::invalid_argument("pixel size must be between 1 and 100 um");
    if (!(options.placementMm >= 0.0 && options.placementMm <= 2.0))
        throw std::invalid_argument("placement error must be between 0 and 2 mm");
    if (!(options.pinOffsetPitch >= 0.0 && options.pinOffsetPitch <= 0.5))
        throw std::invalid_argument("pin offset must be between 0 and 0.5 pitch");
    checkDefects(options.defects);
    if (!(options.scanOriginXmm >= 0.0 && options.scanOriginXmm <= 20.0))
        throw std::invalid_argument("scan origin must be between 0 and 20 mm");
    DemoSlide slide;
    slide.options = options;
    PrintLayout& layout = slide.layout;
    // Every millimetre value as the files state it, so that planning and reading agree.
    layout.spotStep = writtenMm(layout.spotStep);
    layout.quadStep = writtenMm(layout.quadStep);
    layout.zoneOriginX = writtenMm(layout.zoneOriginX);
    layout.zoneOriginY = writtenMm(layout.zoneOriginY);
    slide.scan.originX = writtenMm(options.scanOriginXmm);
    slide.scan.originY = writtenMm(slide.scan.originY);
    // A whole number of pixels per centimetre, which the TIFF rational tags hold exactly.
    slide.scan.pixelsPerCm = static_cast<float>(std::lround(10000.0 / options.pixelUm));
    slide.width =
        static_cast<std::int32_t>(std::lround(slide.scan.widthMm * slide.scan.pixelsPerCm / 10.0));
    slide.height =
        static_cast<std::int32_t>(std::lround(slide.scan.heightMm * slide.scan.pixelsPerCm / 10.0));

    Rng rng(options.seed);
    slide.wells = planWells(layout, rng);
    const DemoDefects& defects = options.defects;
    if (defects.decades > 0) spreadBrightness(slide.wells, options.seed, defects.decades);
    const std::vector<PinTraits> pins =
        planPins(layout, options, slide.scan.pixelsPerCm / 10000.0, rng);
    planSpots(slide, pins, rng);
    slide.specks = planSpecks(slide, rng);
    slide.backgroundLevel[0] = 256.0 + 48.0 * rng.uniform();
    slide.backgroundLevel[1] = 384.0 + 64.0 * rng.uniform();
    slide.gradientX = rng.uniform(0.15, 0.35);
    slide.gradientY = -rng.uniform(0.2, 0.4);
    applySpotDefects(slide, defects);
    planSmudges(slide, defects);
    planDust(slide, defects.dust);
    planScratches(slide, defects.scratches);
    for (int c = 0; c < 2; ++c) slide.scanInfo[c] = scanInfoText(slide, c);
    return slide;
}

DemoDefects realisticDefects() {
    DemoDefects d;
    d.sizeSpread = 0.25;
    d.doughnuts = 0.08;
    d.irregular = 0.15;
    d.comets = 0.06;
    d.decades = 3.0;
    d.saturated = 0.01;
    d.gradient = 0.4;
    d.smudges = 6;
    d.dust = 120;
    d.scratches = 3;
    return d;
}

}  // namespace orvane::demo
