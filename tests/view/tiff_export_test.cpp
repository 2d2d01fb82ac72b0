// The 8-bit RGB export and the 16-bit layer writer, read back with libtiff.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "../document/tiff_fixture.h"
#include "base/allocator.h"
#include "document/tiff_loader.h"
#include "view/tiff_export.h"

namespace orvane {
namespace {

using testing_support::readRgbTiff;
using testing_support::TempDir;
using testing_support::TiffSpec;

class RecordingProgress : public Progress {
public:
    void message(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

LayeredImage rampImage(std::int32_t width, std::int32_t height) {
    LayeredImage image;
    image.layers[0].width = width;
    image.layers[0].height = height;
    const std::size_t count = static_cast<std::size_t>(width) * height;
    image.layers[0].samples = allocateBuffer<std::uint16_t>(count);
    for (std::size_t k = 0; k < count; ++k)
        image.layers[0].samples[k] = static_cast<std::uint16_t>(k * 611);
    image.layerCount = 1;
    return image;
}

std::vector<std::string> filesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(TiffExportTest, WritesRgbTagsTwoStripsAndTheExportRaster) {
    TempDir dir;
    const LayeredImage image = rampImage(100, 100);
    const DisplayState state = DisplayStateAfterLoading(image);
    RecordingProgress progress;
    ExportTiff(image, state, dir.file("out.tif"), progress);
    const auto back = readRgbTiff(dir.file("out.tif"));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width, 100u);
    EXPECT_EQ(back->height, 100u);
    EXPECT_EQ(back->compression, COMPRESSION_NONE);
    EXPECT_EQ(back->photometric, PHOTOMETRIC_RGB);
    EXPECT_EQ(back->planar, PLANARCONFIG_CONTIG);
    EXPECT_EQ(back->bitsPerSample, 8);
    EXPECT_EQ(back->samplesPerPixel, 3);
    EXPECT_EQ(back->rowsPerStrip, 64u);
    EXPECT_EQ(back->strips, 2u);  // 64 and 36 rows
    NullProgress quiet;
    const DisplayRaster raster = BuildDisplayRaster(image, state, false, quiet);
    for (std::int32_t y = 0; y < 100; ++y)
        ASSERT_TRUE(std::equal(raster.row(y), raster.row(y) + 300, back->pixels.begin() + 300 * y))
            << "row " << y;
    ASSERT_GE(progress.texts.size(), 3u);
    EXPECT_EQ(progress.texts.front(), "Processing Tiff File, 00% completed ...");
    EXPECT_EQ(progress.texts[progress.texts.size() - 3], "Ready");
    EXPECT_EQ(progress.texts[progress.texts.size() - 2], "Saving Tiff File ...");
    EXPECT_EQ(progress.texts.back(), "Ready");
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"out.tif"});
}

TEST(TiffExportTest, PixelValuesEqualTheScreensAndRowsSkipThePadding) {
    TempDir dir;
    LayeredImage image = rampImage(101, 3);
    image.layers[0].samples[0] = 65535;
    image.layers[0].samples[1] = 0;
    DisplayState linear = DisplayStateAfterLoading(image);
    linear.logDisplay = false;
    linear.invertedDisplay = false;
    NullProgress progress;
    ExportTiff(image, linear, dir.file("linear.tif"), progress);
    ExportTiff(image, DisplayStateAfterLoading(image), dir.file("initial.tif"), progress);
    const auto a = readRgbTiff(dir.file("linear.tif"));
    const auto b = readRgbTiff(dir.file("initial.tif"));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->scanlineSize, 303);
    EXPECT_EQ(std::vector<std::uint8_t>(a->pixels.begin(), a->pixels.begin() + 3),
              (std::vector<std::uint8_t>{255, 0, 0}));
    EXPECT_EQ(std::vector<std::uint8_t>(b->pixels.begin() + 3, b->pixels.begin() + 6),
              (std::vector<std::uint8_t>{255, 255, 255}));
    // Last pixel of the first row and first of the second: no padding byte in between.
    const DisplayRaster raster = BuildDisplayRaster(image, linear, false, progress);
    EXPECT_EQ(a->pixels[300], raster.row(0)[300]);
    EXPECT_EQ(a->pixels[303], raster.row(1)[0]);
}

TEST(TiffExportTest, NoLayerWritesNothing) {
    TempDir dir;
    NullProgress progress;
    ExportTiff(LayeredImage{}, DisplayState{}, dir.file("none.tif"), progress);
    EXPECT_TRUE(filesIn(dir.path()).empty());
}

TEST(TiffExportTest, ReplacesAnExistingFile) {
    TempDir dir;
    const std::string path = dir.file("again.tif");
    { std::ofstream(path) << "old contents"; }
    NullProgress progress;
    ExportTiff(rampImage(5, 4), DisplayState{}, path, progress);
    const auto back = readRgbTiff(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width, 5u);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"again.tif"});
}

TEST(TiffExportTest, FolderThatDoesNotExistFailsWithTheChosenName) {
    TempDir dir;
    const std::string path = dir.file("missing/out.tif");
    NullProgress progress;
    try {
        ExportTiff(rampImage(5, 4), DisplayState{}, path, progress);
        FAIL() << "export into a missing folder succeeded";
    } catch (const TiffWriteError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find(path), std::string::npos) << text;
        EXPECT_EQ(text.find(".part-"), std::string::npos) << text;
    }
    EXPECT_TRUE(filesIn(dir.path()).empty());
}

// Regression: a raster that cannot be allocated must not leave an empty TIFF behind, nor
// destroy the file the user chose to replace.
TEST(TiffExportTest, OutOfMemoryLeavesNoFileAndKeepsTheOldOne) {
    TempDir dir;
    LayeredImage image = rampImage(4, 4);
    // Claimed dimensions whose raster is refused before any sample is read.
    image.layers[0].width = 1 << 30;
    image.layers[0].height = 1 << 30;
    const std::string path = dir.file("keep.tif");
    { std::ofstream(path) << "the picture from yesterday"; }
    NullProgress progress;
    EXPECT_THROW(ExportTiff(image, DisplayState{}, path, progress), OutOfMemoryError);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"keep.tif"});
    EXPECT_EQ(contents(path), "the picture from yesterday");
    EXPECT_THROW(ExportTiff(image, DisplayState{}, dir.file("new.tif"), progress),
                 OutOfMemoryError);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"keep.tif"});
}

TEST(LayerTiffWriterTest, WrittenLayerLoadsBackLikeTheScan) {
    TempDir dir;
    TiffSpec item;
    item.width = 13;
    item.height = 7;
    item.xResolution = 1000.0f;
    item.yResolution = 1000.0f;
    item.resolutionUnit = RESUNIT_CENTIMETER;
    item.description = "SCANINFO:0,0>>12.5,3.25>>1>>2>>3>>4>>5>>6>>7";
    ASSERT_TRUE(testing_support::writeTiff(dir.file("scan.tif"), item));
    LayeredImage original;
    NullProgress progress;
    AppendLayer(original, dir.file("scan.tif"), progress);
    WriteLayerTiff(original, 0, dir.file("copy.tif"));
    LayeredImage copy;
    AppendLayer(copy, dir.file("copy.tif"), progress);
    EXPECT_EQ(copy.width(), 13);
    EXPECT_EQ(copy.height(), 7);
    EXPECT_EQ(copy.xResolution, original.xResolution);
    EXPECT_EQ(copy.yResolution, original.yResolution);
    EXPECT_EQ(copy.resolutionUnit, original.resolutionUnit);
    EXPECT_EQ(copy.imageDescription, original.imageDescription);
    EXPECT_EQ(copy.scanOriginX, 12.5);
    EXPECT_EQ(copy.scanOriginY, 3.25);
    for (std::int32_t y = 0; y < 7; ++y)
        for (std::int32_t x = 0; x < 13; ++x)
            EXPECT_EQ(copy.layers[0].at(x, y), original.layers[0].at(x, y));
    EXPECT_THROW(WriteLayerTiff(original, 1, dir.file("none.tif")), std::invalid_argument);
}

TEST(LayerTiffWriterTest, AbsentTagsStayAbsent) {
    TempDir dir;
    ASSERT_TRUE(testing_support::writeTiff(dir.file("bare.tif"), {}));
    LayeredImage original;
    NullProgress progress;
    AppendLayer(original, dir.file("bare.tif"), progress);
    WriteLayerTiff(original, 0, dir.file("copy.tif"));
    TIFF* tif = TIFFOpen(dir.file("copy.tif").c_str(), "r");
    ASSERT_NE(tif, nullptr);
    float resolution = 0.0f;
    char* description = nullptr;
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_XRESOLUTION, &resolution), 0);
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_IMAGEDESCRIPTION, &description), 0);
    TIFFClose(tif);
}

}  // namespace
}  // namespace orvane
