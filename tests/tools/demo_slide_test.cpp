// The demo slide generator: its files load back as scans, its slide map agrees with the picture
// and the truth file, and a seed always gives the same files.
#include <gtest/gtest.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../support/temp_dir.h"
#include "demo_slide_files.h"
#include "demo_slide_plan.h"
#include "demo_slide_render.h"
#include "document/layered_image.h"

namespace orvane::demo {
namespace {

namespace fs = std::filesystem;

// A small slide (40 um pixels) written once for the whole suite; the tests only read it.
class DemoSlideFiles : public testing::Test {
protected:
    static void SetUpTestSuite() {
        DemoOptions options;
        options.pixelUm = 40.0;
        options.seed = 7;
        dir_ = std::make_unique<testing_support::TempDir>("orvane_tools_test");
        options.outDir = dir_->file("files");
        slide_ = new DemoSlide(planDemoSlide(options));
        writeDemoSlide(*slide_);
    }
    static void TearDownTestSuite() {
        delete slide_;
        slide_ = nullptr;
        dir_.reset();  // the slide's files with it
    }
    static fs::path file(const char* name) { return fs::path(slide_->options.outDir) / name; }
    static inline std::unique_ptr<testing_support::TempDir> dir_;
    static DemoSlide* slide_;
};
DemoSlide* DemoSlideFiles::slide_ = nullptr;

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};

TEST_F(DemoSlideFiles, ChannelsLoadBackAsScans) {
    for (int channel = 0; channel < 2; ++channel) {
        SCOPED_TRACE(kChannelFile[channel]);
        std::unique_ptr<TIFF, TiffCloser> tif(TIFFOpen(file(kChannelFile[channel]).c_str(), "r"));
        ASSERT_TRUE(tif);
        std::uint32_t width = 0, height = 0;
        std::uint16_t bits = 0, photometric = 9, planar = 0, unit = 0;
        float xres = 0, yres = 0;
        const char* description = nullptr;
        ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width));
        ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height));
        ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits));
        ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric));
        ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_PLANARCONFIG, &planar));
        ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_XRESOLUTION, &xres));
        ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_YRESOLUTION, &yres));
        ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_RESOLUTIONUNIT, &unit));
        ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_IMAGEDESCRIPTION, &description));
        EXPECT_EQ(width, 600u);    // 24 mm at 250 pixels per cm
        EXPECT_EQ(height, 1825u);  // 73 mm
        EXPECT_EQ(bits, 16);
        EXPECT_EQ(photometric, PHOTOMETRIC_MINISBLACK);
        EXPECT_EQ(planar, PLANARCONFIG_CONTIG);
        EXPECT_EQ(xres, 250.0f);
        EXPECT_EQ(yres, 250.0f);
        EXPECT_EQ(unit, RESUNIT_CENTIMETER);

        double v[5] = {};
        int n[5] = {};
        double focus = 0;
        int channelNumber = 0;
        ASSERT_EQ(
            std::sscanf(description, "SCANINFO:%lf,%lf>>%lf,%lf>>%lf>>%d>>%d>>%d>>%d>>%lf>>%d",
                        &v[0], &v[1], &v[2], &v[3], &v[4], &n[0], &n[1], &n[2], &n[3], &focus,
                        &channelNumber),
            11)
            << description;
        EXPECT_DOUBLE_EQ(v[2], 0.2);  // the scan origin, non-zero
        EXPECT_DOUBLE_EQ(v[3], 0.5);
        EXPECT_EQ(channelNumber, channel + 1);

        // Every scanline reads, and the picture is not blank.
        std::vector<std::uint16_t> line(width);
        std::uint16_t brightest = 0;
        for (std::uint32_t y = 0; y < height; ++y) {
            ASSERT_EQ(TIFFReadScanline(tif.get(), line.data(), y, 0), 1) << "row " << y;
            for (std::uint16_t s : line) brightest = std::max(brightest, s);
        }
        EXPECT_EQ(brightest, 65535) << "no saturated spot";
    }
}

struct MapLines {
    std::map<std::string, std::string> parameters;
    int pinLines = 0, zoneLines = 0, naWells = 0;
    int maxBlockCol = -1, maxBlockRow = -1, maxSpotCol = -1, maxSpotRow = -1;
    // Record of quad (qx, qy), spot (col, row), built by the Load Map rule: UID or "" when unset.
    std::map<std::tuple<int, int, int, int>, std::string> records;
};

// Reads the slide map data file with the line formats of the reader, and applies the zone lines
// to a pin table as Load Map does (quad row j of a block takes pin row pins_y - 1 - j).
MapLines readMap(const fs::path& path) {
    MapLines map;
    std::ifstream in(path);
    std::string line;
    std::string pins[4][8];
    while (std::getline(in, line)) {
        int px, py, zone, bc, br, sc, sr;
        char uid[256], descr[256];
        if (std::sscanf(line.c_str(), "pin_x# %d, pin_y# %d, well_uid: %255[^,], well_descr: %255s",
                        &px, &py, uid, descr) == 4) {
            ++map.pinLines;
            if (std::string(uid) == "NA") ++map.naWells;
            if (px >= 0 && px < 4 && py >= 0 && py < 8) pins[px][py] = uid;
        } else if (std::sscanf(line.c_str(),
                               "zone# %d, block_col# %d, block_row# %d, spot_col# %d, spot_row# %d",
                               &zone, &bc, &br, &sc, &sr) == 5) {
            ++map.zoneLines;
            map.maxBlockCol = std::max(map.maxBlockCol, bc);
            map.maxBlockRow = std::max(map.maxBlockRow, br);
            map.maxSpotCol = std::max(map.maxSpotCol, sc);
            map.maxSpotRow = std::max(map.maxSpotRow, sr);
            const int pinsX = std::stoi(map.parameters.at("pins_x"));
            const int pinsY = std::stoi(map.parameters.at("pins_y"));
            for (int i = 0; i < pinsX; ++i)
                for (int j = 0; j < pinsY; ++j)
                    map.records[{pinsX * bc + i, pinsY * br + j, sc, sr}] = pins[i][pinsY - 1 - j];
        } else {
            char name[256], value[256];
            if (std::sscanf(line.c_str(), "%255s = %255s", name, value) == 2)
                map.parameters[name] = value;
        }
    }
    return map;
}

struct TruthSpot {
    int qx, qy, row, col;
    double x, y;
    int nominalX, nominalY, printed;
    std::string signal635, signal532;
};

// The truth file as R's read.table(header = TRUE) reads it: comment lines, one header line naming
// every column, then one line a spot.
std::vector<TruthSpot> readTruth(const fs::path& path) {
    std::vector<TruthSpot> spots;
    std::ifstream in(path);
    std::string line;
    bool header = false;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (!header) {
            EXPECT_EQ(
                line,
                "quad_x quad_y row col x y nominal_x nominal_y printed signal_635 signal_532");
            header = true;
            continue;
        }
        TruthSpot s{};
        char red[32] = "", green[32] = "";
        EXPECT_EQ(std::sscanf(line.c_str(), "%d %d %d %d %lf %lf %d %d %d %31s %31s", &s.qx, &s.qy,
                              &s.row, &s.col, &s.x, &s.y, &s.nominalX, &s.nominalY, &s.printed, red,
                              green),
                  11)
            << line;
        s.signal635 = red, s.signal532 = green;
        spots.push_back(s);
    }
    return spots;
}

TEST_F(DemoSlideFiles, SlideMapDescribesTheLayout) {
    const MapLines map = readMap(file(kMapFile));
    EXPECT_EQ(map.parameters.at("pins_x"), "2");
    EXPECT_EQ(map.parameters.at("pins_y"), "4");
    EXPECT_EQ(map.parameters.at("grid_step_x"), "0.350");
    EXPECT_EQ(map.parameters.at("grid_quad_ncols"), "4");
    EXPECT_EQ(map.parameters.at("grid_quad_nrows"), "12");
    // 12 x 12 spot positions, each with a pin line per pin and a zone line per block.
    EXPECT_EQ(map.pinLines, 144 * 8);
    EXPECT_EQ(map.zoneLines, 144 * 6);
    EXPECT_EQ(map.maxSpotCol, 11);
    EXPECT_EQ(map.maxSpotRow, 11);
    EXPECT_EQ(map.maxBlockCol, 1);
    EXPECT_EQ(map.maxBlockRow, 2);
    EXPECT_GT(map.naWells, 0);
    EXPECT_LT(map.naWells, map.pinLines / 5);
    EXPECT_EQ(map.records.size(), 4u * 12u * 144u);  // every spot of every quad has a record
}

TEST_F(DemoSlideFiles, TruthAgreesWithTheMapAndTheNominalGrid) {
    const MapLines map = readMap(file(kMapFile));
    const std::vector<TruthSpot> truth = readTruth(file(kTruthFile));
    ASSERT_EQ(truth.size(), 4u * 12u * 144u);

    // The nominal grid that Define Grid lays from the map's millimetres after Load Map.
    LayeredImage image;
    image.resolutionUnit = kResolutionUnitCentimetre;
    image.xResolution = image.yResolution = 250.0f;
    image.scanOriginX = 0.2;
    image.scanOriginY = 0.5;
    const double ox = std::stod(map.parameters.at("zone_0_origin_x")) - image.scanOriginX - 1.6;
    const double oy = std::stod(map.parameters.at("zone_0_origin_y")) - image.scanOriginY - 0.9;
    const double step = std::stod(map.parameters.at("grid_step_x"));
    const double quadStep = std::stod(map.parameters.at("grid_quad_step_x"));
    const double maxShift =
        (40.0 + 30.0) / 40.0 * std::sqrt(2.0);  // pin offset + jitter, 40 um pixels

    for (const TruthSpot& s : truth) {
        SCOPED_TRACE(testing::Message()
                     << "quad " << s.qx << "," << s.qy << " spot " << s.col << "," << s.row);
        const std::string& uid = map.records.at({s.qx, s.qy, s.col, s.row});
        EXPECT_EQ(s.printed, uid == "NA" ? 0 : 1) << uid;
        // A spot without a well has no signal; a printed one a positive sum.
        EXPECT_EQ(s.signal635 == "NA", s.printed == 0) << s.signal635;
        EXPECT_EQ(s.signal532 == "NA", s.printed == 0) << s.signal532;
        if (s.printed == 1) {
            EXPECT_GT(std::stod(s.signal635), 0.0);
        }
        if (s.col == 0 && s.row == 0) {
            EXPECT_EQ(s.nominalX, image.LengthToPixelsX(s.qx * quadStep + ox));
            EXPECT_EQ(s.nominalY, image.LengthToPixelsY(s.qy * quadStep + oy));
        }
        if (s.col == 11 && s.row == 11) {
            EXPECT_EQ(s.nominalX, image.LengthToPixelsX(11 * step + s.qx * quadStep + ox));
            EXPECT_EQ(s.nominalY, image.LengthToPixelsY(11 * step + s.qy * quadStep + oy));
        }
        EXPECT_LE(std::hypot(s.x - s.nominalX, s.y - s.nominalY), maxShift);
    }
}

// The picture has its spots where the truth file says: the signal centroid of every bright, full
// spot lies within a fraction of a pixel of its true centre (10 um pixels, spot radius ~7).
TEST(DemoSlidePicture, SpotsLieAtTheirTrueCentres) {
    DemoOptions options;
    options.seed = 3;
    const DemoSlide slide = planDemoSlide(options);
    std::vector<std::uint16_t> samples(static_cast<std::size_t>(slide.width) *
                                       static_cast<std::size_t>(slide.height));
    renderChannel(slide, 1, samples.data());
    int checked = 0;
    for (const Spot& spot : slide.spots) {
        if (!spot.printed || spot.doughnut > 0.0 || spot.level[1] < 3000.0 ||
            spot.level[1] > 30000.0)
            continue;
        const auto dusty = [&](const Speck& speck) {
            return std::hypot(speck.x - spot.x, speck.y - spot.y) < 25.0;
        };
        if (std::any_of(slide.specks.begin(), slide.specks.end(), dusty))
            continue;  // dust moves the centroid
        double sum = 0, sx = 0, sy = 0;
        const int cx = static_cast<int>(std::lround(spot.x)),
                  cy = static_cast<int>(std::lround(spot.y));
        for (int y = cy - 12; y <= cy + 12; ++y) {
            for (int x = cx - 12; x <= cx + 12; ++x) {
                const double w =
                    std::max(0.0, samples[static_cast<std::size_t>(y) * slide.width + x] -
                                      2.0 * slide.backgroundLevel[1]);
                sum += w, sx += w * x, sy += w * y;
            }
        }
        ASSERT_GT(sum, 0.0);
        EXPECT_NEAR(sx / sum, spot.x, 0.5)
            << "quad " << spot.qx << "," << spot.qy << " spot " << spot.col << "," << spot.row;
        EXPECT_NEAR(sy / sum, spot.y, 0.5);
        ++checked;
    }
    EXPECT_GT(checked, 1000);
}

TEST(DemoSlideOptions, PixelSizeSetsResolutionAndSize) {
    const struct {
        double um;
        float perCm;
        std::int32_t width, height;
    } cases[] = {
        {10.0, 1000.0f, 2400, 7300}, {5.0, 2000.0f, 4800, 14600}, {40.0, 250.0f, 600, 1825}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.um);
        DemoOptions options;
        options.pixelUm = c.um;
        const DemoSlide slide = planDemoSlide(options);
        EXPECT_EQ(slide.scan.pixelsPerCm, c.perCm);
        EXPECT_EQ(slide.width, c.width);
        EXPECT_EQ(slide.height, c.height);
    }
    DemoOptions bad;
    bad.pixelUm = 0.0;
    EXPECT_THROW(planDemoSlide(bad), std::invalid_argument);
}

TEST(DemoSlideOptions, SameSeedSameFilesOtherSeedOtherFiles) {
    const char* names[] = {kChannelFile[0], kChannelFile[1], kMapFile, kTruthFile};
    std::vector<std::string> runs[3];
    const std::uint64_t seeds[3] = {11, 11, 12};
    const testing_support::TempDir dir("orvane_tools_test");
    for (int run = 0; run < 3; ++run) {
        DemoOptions options;
        options.pixelUm = 50.0;
        options.seed = seeds[run];
        options.outDir = dir.file("seed" + std::to_string(run));
        writeDemoSlide(planDemoSlide(options));
        for (const char* name : names)
            runs[run].push_back(testing_support::readFile(fs::path(options.outDir) / name));
    }
    for (std::size_t i = 0; i < std::size(names); ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_FALSE(runs[0][i].empty());
        EXPECT_TRUE(runs[0][i] == runs[1][i]);
        EXPECT_FALSE(runs[0][i] == runs[2][i]);
    }
}

}  // namespace
}  // namespace orvane::demo
