// LoadLayer: accepted and refused files, messages, metadata, SCANINFO and the caption.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "../support/recording_progress.h"
#include "../support/temp_dir.h"
#include "../support/tiff_writer.h"
#include "document/tiff_loader.h"
#include "document/tiff_messages.h"

namespace orvane {
namespace {

using testing_support::TempDir;
using testing_support::TiffSpec;
using testing_support::writeTiff;

using testing_support::RecordingProgress;

// Collects libtiff's texts that reach the sink during one test.
class SinkRecorder {
public:
    SinkRecorder() {
        setTiffMessageSink([this](TiffMessageKind kind, const std::string& text) {
            (kind == TiffMessageKind::Error ? errors : warnings).push_back(text);
        });
    }
    ~SinkRecorder() { setTiffMessageSink(nullptr); }
    std::vector<std::string> errors, warnings;
};

std::string loadMessage(LayeredImage& image, const std::string& path) {
    NullProgress progress;
    try {
        AppendLayer(image, path, progress);
    } catch (const CoreError& e) {
        return e.what();
    }
    return "";
}

TEST(TiffLoaderTest, LoadsSamplesRowMajorWithLayerCountAndCaption) {
    TempDir dir;
    TiffSpec item;
    item.width = 5;
    item.height = 3;
    item.rowsPerStrip = 2;
    item.samples = {0, 1, 2, 3, 65535, 10, 11, 12, 13, 14, 20, 21, 22, 23, 24};
    ASSERT_TRUE(writeTiff(dir.file("first.tif"), item));
    LayeredImage image;
    RecordingProgress progress;
    AppendLayer(image, dir.file("first.tif"), progress);
    EXPECT_EQ(image.layerCount, 1);
    EXPECT_EQ(image.width(), 5);
    EXPECT_EQ(image.height(), 3);
    for (std::uint32_t y = 0; y < 3; ++y)
        for (std::uint32_t x = 0; x < 5; ++x)
            EXPECT_EQ(image.layers[0].at(x, y), item.samples[y * 5 + x]) << x << "," << y;
    EXPECT_EQ(image.caption, "first (red)");
    EXPECT_EQ(progress.texts, std::vector<std::string>{"Loading Tiff File ..."});
}

TEST(TiffLoaderTest, ThreeLayersGiveColourSuffixesAndAFourthIsRefused) {
    TempDir dir;
    for (const char* name : {"first.tif", "second.tif", "third.tif"})
        ASSERT_TRUE(writeTiff(dir.file(name), {}));
    LayeredImage image;
    NullProgress progress;
    AppendLayer(image, dir.file("first.tif"), progress);
    AppendLayer(image, dir.file("second.tif"), progress);
    AppendLayer(image, dir.file("third.tif"), progress);
    EXPECT_EQ(image.layerCount, 3);
    EXPECT_EQ(image.caption, "first (red), second (green), third (blue)");
    EXPECT_EQ(image.layers[2].at(3, 2), testing_support::fixtureSample(3, 2));
    EXPECT_THROW(AppendLayer(image, dir.file("first.tif"), progress), std::invalid_argument);
}

TEST(TiffLoaderTest, BaseNameStopsAtTheFirstDot) {
    EXPECT_EQ(CaptionBaseName("/data/scan.raw.tif"), "scan");
    EXPECT_EQ(CaptionBaseName("relative/plain"), "plain");
    EXPECT_EQ(CaptionBaseName("slide 7.Tif"), "slide 7");
    TempDir dir;
    ASSERT_TRUE(writeTiff(dir.file("scan.raw.tif"), {}));
    LayeredImage image;
    EXPECT_EQ(loadMessage(image, dir.file("scan.raw.tif")), "");
    EXPECT_EQ(image.caption, "scan (red)");
}

TEST(TiffLoaderTest, UnsupportedFormatsAreRefusedWithTheFormatMessage) {
    struct Case {
        const char* name;
        std::uint16_t bits, spp, photometric, planar;
    };
    const Case cases[] = {
        {"8-bit grey", 8, 1, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG},
        {"16-bit RGB", 16, 3, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG},
        {"min-is-white", 16, 1, PHOTOMETRIC_MINISWHITE, PLANARCONFIG_CONTIG},
        {"planar 2", 16, 2, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_SEPARATE},
        // Grey plus alpha: two samples a pixel would overrun a one-sample row.
        {"grey and alpha", 16, 2, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TiffSpec item;
        item.bitsPerSample = c.bits;
        item.samplesPerPixel = c.spp;
        item.photometric = c.photometric;
        item.planar = c.planar;
        item.samples.assign(4 * 3 * c.spp, 100);
        const std::string path = dir.file(std::string(c.name) + ".tif");
        ASSERT_TRUE(writeTiff(path, item));
        LayeredImage image;
        EXPECT_EQ(loadMessage(image, path), kUnsupportedFormatMessage);
        EXPECT_EQ(image.layerCount, 0);
        EXPECT_FALSE(image.layers[0].loaded());
        EXPECT_EQ(image.caption, "");
    }
}

TEST(TiffLoaderTest, MissingOrForeignFileGivesTheOpenMessageWithThePath) {
    TempDir dir;
    SinkRecorder sink;
    LayeredImage image;
    const std::string missing = dir.file("missing.tif");
    EXPECT_EQ(loadMessage(image, missing), "Can not open requested file: " + missing);
    const std::string text = dir.file("notes.tif");
    FILE* f = std::fopen(text.c_str(), "w");
    std::fputs("not a picture at all, just some words\n", f);
    std::fclose(f);
    EXPECT_EQ(loadMessage(image, text), "Can not open requested file: " + text);
    EXPECT_EQ(image.layerCount, 0);
    // libtiff's own account of the cause still reaches the user first.
    EXPECT_FALSE(sink.errors.empty());
}

TEST(TiffLoaderTest, OverlayOfAnotherSizeIsRefusedAndTheImageKept) {
    TempDir dir;
    TiffSpec wide;
    wide.width = 1000;
    wide.height = 800;
    TiffSpec tall;
    tall.width = 800;
    tall.height = 1000;
    ASSERT_TRUE(writeTiff(dir.file("tall.tif"), tall));
    ASSERT_TRUE(writeTiff(dir.file("wide.tif"), wide));
    LayeredImage image;
    ASSERT_EQ(loadMessage(image, dir.file("tall.tif")), "");
    EXPECT_EQ(loadMessage(image, dir.file("wide.tif")), kOverlaySizeMessage);
    EXPECT_EQ(image.layerCount, 1);
    EXPECT_EQ(image.caption, "tall (red)");
    EXPECT_FALSE(image.layers[1].loaded());
}

TEST(TiffLoaderTest, OverlayKeepsTheFirstFilesResolutionAndDescription) {
    TempDir dir;
    TiffSpec first;
    first.xResolution = 1000.0f;
    first.yResolution = 500.0f;
    first.resolutionUnit = RESUNIT_CENTIMETER;
    first.description = "SCANINFO:0,0>>12.5,3.25>>1>>2>>3>>4>>5>>6>>7";
    TiffSpec second;
    second.xResolution = 300.0f;
    second.yResolution = 300.0f;
    second.resolutionUnit = RESUNIT_INCH;
    second.description = "SCANINFO:0,0>>99,99";
    ASSERT_TRUE(writeTiff(dir.file("a.tif"), first));
    ASSERT_TRUE(writeTiff(dir.file("b.tif"), second));
    LayeredImage image;
    ASSERT_EQ(loadMessage(image, dir.file("a.tif")), "");
    ASSERT_EQ(loadMessage(image, dir.file("b.tif")), "");
    EXPECT_EQ(image.layerCount, 2);
    EXPECT_FLOAT_EQ(image.xResolution, 1000.0f);
    EXPECT_FLOAT_EQ(image.yResolution, 500.0f);
    EXPECT_EQ(image.resolutionUnit, RESUNIT_CENTIMETER);
    EXPECT_EQ(image.imageDescription, first.description);
    EXPECT_DOUBLE_EQ(image.scanOriginX, 12.5);
    EXPECT_DOUBLE_EQ(image.scanOriginY, 3.25);
    EXPECT_EQ(image.LengthToPixelsX(1.0), 100);
    EXPECT_EQ(image.LengthToPixelsY(1.0), 50);
}

TEST(TiffLoaderTest, AbsentResolutionTagsLeaveZeroAndNoUnit) {
    TempDir dir;
    ASSERT_TRUE(writeTiff(dir.file("bare.tif"), {}));
    LayeredImage image;
    ASSERT_EQ(loadMessage(image, dir.file("bare.tif")), "");
    EXPECT_EQ(image.xResolution, 0.0f);
    EXPECT_EQ(image.yResolution, 0.0f);
    EXPECT_EQ(image.resolutionUnit, 0);
    EXPECT_EQ(image.imageDescription, "");
    EXPECT_EQ(image.LengthToPixelsX(1.0), 100);
    EXPECT_DOUBLE_EQ(image.PixelsToLengthX(250), 2.5);
}

TEST(TiffLoaderTest, LongDescriptionIsCutTo1023Characters) {
    TempDir dir;
    TiffSpec item;
    item.description = "SCANINFO:1,2>>3,4>>" + std::string(3000, 'x');
    ASSERT_TRUE(writeTiff(dir.file("long.tif"), item));
    LayeredImage image;
    ASSERT_EQ(loadMessage(image, dir.file("long.tif")), "");
    EXPECT_EQ(image.imageDescription, item.description.substr(0, 1023));
    EXPECT_DOUBLE_EQ(image.scanOriginX, 3.0);
    EXPECT_DOUBLE_EQ(image.scanOriginY, 4.0);
}

TEST(TiffLoaderTest, ScanInfoFollowsScanfMatching) {
    struct Case {
        const char* text;
        double x, y;
    };
    const Case cases[] = {
        {"SCANINFO:0,0>>12.5,3.25>>1.5>>1>>2>>3>>4>>0.5>>6", 12.5, 3.25},
        {"SCANINFO:0,0>>12.5,3.25", 12.5, 3.25},
        {"SCANINFO:1,2", -1.0, -2.0},               // ends after the second value
        {"SCANINFO:1,2>>7.5", 7.5, -2.0},           // third value only
        {"SCANINFO:1,2>>7.5;8", 7.5, -2.0},         // separator mismatch stops the match
        {"scaninfo:1,2>>3,4", -1.0, -2.0},          // literal text is case-sensitive
        {"Scanned SCANINFO:1,2>>3,4", -1.0, -2.0},  // must begin with the keyword
        {"SCANINFO: 1, 2>> 3e1, -4", 30.0, -4.0},   // numbers skip leading blanks
        {"", -1.0, -2.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        double x = -1.0, y = -2.0;
        ParseScanInfo(c.text, x, y);
        EXPECT_DOUBLE_EQ(x, c.x);
        EXPECT_DOUBLE_EQ(y, c.y);
    }
}

// Loads `path` expecting a read failure that names its cause; the image must stay empty.
void expectReadFailure(const std::string& path) {
    LayeredImage image;
    NullProgress progress;
    try {
        AppendLayer(image, path, progress);
        ADD_FAILURE() << "the file loaded";
    } catch (const TiffReadError& e) {
        EXPECT_NE(std::string(e.what()), "");
    }
    EXPECT_EQ(image.layerCount, 0);
    EXPECT_FALSE(image.layers[0].loaded());
    EXPECT_EQ(image.caption, "");
}

TEST(TiffLoaderTest, TruncatedFileFailsWithAReadErrorAndLoadsNothing) {
    TempDir dir;
    for (std::uint32_t rowsPerStrip : {8u, 64u}) {
        SCOPED_TRACE(rowsPerStrip);
        const std::string path = dir.file("cut" + std::to_string(rowsPerStrip) + ".tif");
        // Half of the rows of a 64 x 64 scan are lost.
        testing_support::writeDirectoryFirstTiff(path, 64, 64, rowsPerStrip, 64 * 2 * 32);
        expectReadFailure(path);
        // The same file whole loads, so the failure above is the truncation alone.
        testing_support::writeDirectoryFirstTiff(path, 64, 64, rowsPerStrip, 64 * 2 * 64);
        LayeredImage whole;
        EXPECT_EQ(loadMessage(whole, path), "");
        EXPECT_EQ(whole.layers[0].at(63, 63), testing_support::fixtureSample(63, 63));
    }
}

TEST(TiffLoaderTest, CorruptCompressedStripFailsWithLibtiffsText) {
    TempDir dir;
    TiffSpec item;
    item.width = 64;
    item.height = 64;
    item.rowsPerStrip = 16;
    item.compression = COMPRESSION_LZW;
    const std::string path = dir.file("lzw.tif");
    ASSERT_TRUE(writeTiff(path, item));
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    ASSERT_NE(tif, nullptr);
    const std::uint64_t offset = TIFFGetStrileOffset(tif, 2);
    const std::uint64_t size = TIFFGetStrileByteCount(tif, 2);
    TIFFClose(tif);
    FILE* f = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    std::fseek(f, static_cast<long>(offset), SEEK_SET);
    for (std::uint64_t i = 0; i < size; ++i) std::fputc(0xFF, f);
    std::fclose(f);
    expectReadFailure(path);
}

TEST(TiffLoaderTest, TiledFileFailsWithLibtiffsText) {
    TempDir dir;
    TiffSpec item;
    item.width = 20;
    item.height = 18;
    item.tileSize = 16;
    ASSERT_TRUE(writeTiff(dir.file("tiled.tif"), item));
    SinkRecorder sink;
    LayeredImage image;
    NullProgress progress;
    try {
        AppendLayer(image, dir.file("tiled.tif"), progress);
        FAIL() << "a tiled file loaded";
    } catch (const TiffReadError& e) {
        EXPECT_NE(std::string(e.what()).find("tiled"), std::string::npos) << e.what();
    }
    // The text travels in the error alone, so the user is not told twice.
    EXPECT_TRUE(sink.errors.empty());
    EXPECT_EQ(image.layerCount, 0);
}

TEST(TiffLoaderTest, HeaderClaimingAHugeImageIsRefusedWithoutACrash) {
    TempDir dir;
    const std::string path = dir.file("huge.tif");
    testing_support::writeDirectoryFirstTiff(path, 100000, 100000, 1, 4096);
    LayeredImage image;
    NullProgress progress;
    // Either the buffer is refused or the missing rows are: both leave the image empty.
    EXPECT_THROW(AppendLayer(image, path, progress), CoreError);
    EXPECT_EQ(image.layerCount, 0);
    EXPECT_FALSE(image.layers[0].loaded());
}

}  // namespace
}  // namespace orvane
