// Multi-page TIFF files: counting and checking their pages, loading page N, and loading the first
// three pages as layers, with the refusals of pages that differ in size or format.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <tiffio.h>

#include "base/core_error.h"
#include "document/tiff_loader.h"
#include "tiff_fixture.h"

namespace orvane {
namespace {

using testing_support::TempDir;

struct Page {
    std::uint32_t width = 8, height = 5;
    std::uint16_t bits = 16;
    std::uint16_t base = 100;  // sample (x, y) = base + x + 10 y
};

// One file, one directory a page.
void writePages(const std::string& path, const std::vector<Page>& pages) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    for (const Page& page : pages) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.height);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, page.bits);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        if (&page == &pages.front())
            TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, "SCANINFO:0,0>>1.5,2.5");
        std::vector<std::uint16_t> row16(page.width);
        std::vector<std::uint8_t> row8(page.width);
        for (std::uint32_t y = 0; y < page.height; ++y) {
            for (std::uint32_t x = 0; x < page.width; ++x) {
                row16[x] = static_cast<std::uint16_t>(page.base + x + 10 * y);
                row8[x] = static_cast<std::uint8_t>(x);
            }
            void* row = page.bits == 16 ? static_cast<void*>(row16.data())
                                        : static_cast<void*>(row8.data());
            ASSERT_EQ(TIFFWriteScanline(tif, row, y, 0), 1);
        }
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
}

TEST(TiffPagesTest, InspectCountsPagesAndComparesThem) {
    TempDir dir;
    struct Case {
        const char* name;
        std::vector<Page> pages;
        int count;
        bool alike;
    };
    const std::vector<Case> cases = {
        {"one", {Page{}}, 1, true},
        {"three", {Page{}, Page{}, Page{}}, 3, true},
        {"four", {Page{}, Page{}, Page{}, Page{}}, 4, true},
        {"sizes", {Page{}, Page{9, 5, 16, 0}}, 2, false},
        {"heights", {Page{}, Page{}, Page{8, 4, 16, 0}}, 3, false},
        {"formats", {Page{}, Page{8, 5, 8, 0}}, 2, false},
        {"first 8-bit", {Page{8, 5, 8, 0}, Page{}}, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(std::string(c.name) + ".tif");
        writePages(path, c.pages);
        const TiffPages pages = InspectTiffPages(path);
        EXPECT_EQ(pages.count, c.count);
        EXPECT_EQ(pages.alike, c.alike);
    }
    EXPECT_THROW(InspectTiffPages(dir.file("missing.tif")), CoreError);
}

TEST(TiffPagesTest, PagesBecomeLayersWithNumberedCaptions) {
    TempDir dir;
    const std::string path = dir.file("scan.multi.tif");
    writePages(
        path, {Page{8, 5, 16, 100}, Page{8, 5, 16, 200}, Page{8, 5, 16, 300}, Page{8, 5, 16, 400}});
    LayeredImage image;
    NullProgress progress;
    LoadPagesAsLayers(image, path, progress);
    ASSERT_EQ(image.layerCount, 3) << "at most three pages";
    EXPECT_EQ(image.caption, "scan[1] (red), scan[2] (green), scan[3] (blue)");
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(image.layers[static_cast<std::size_t>(k)].width, 8);
        EXPECT_EQ(image.layers[static_cast<std::size_t>(k)].at(3, 2), 100 * (k + 1) + 3 + 20);
    }
    EXPECT_DOUBLE_EQ(image.scanOriginX, 1.5) << "the first page's description";
}

TEST(TiffPagesTest, RefusedPagesLeaveTheImageEmpty) {
    TempDir dir;
    NullProgress progress;
    for (const std::vector<Page>& pages : {std::vector<Page>{Page{}, Page{9, 5, 16, 0}},
                                           std::vector<Page>{Page{}, Page{}, Page{8, 5, 8, 0}}}) {
        const std::string path = dir.file("mixed.tif");
        writePages(path, pages);
        LayeredImage image;
        try {
            LoadPagesAsLayers(image, path, progress);
            ADD_FAILURE() << "accepted";
        } catch (const CoreError& error) {
            EXPECT_STREQ(error.what(), kPagesDifferMessage);
        }
        EXPECT_EQ(image.layerCount, 0);
        EXPECT_EQ(image.caption, "");
        EXPECT_FALSE(image.layers[0].loaded());
    }
}

TEST(TiffPagesTest, PageNOfAFile) {
    TempDir dir;
    const std::string path = dir.file("pages.tif");
    writePages(path, {Page{8, 5, 16, 100}, Page{8, 5, 16, 200}});
    NullProgress progress;
    LayeredImage image;
    AppendLayer(image, path, progress, 1);
    AppendLayer(image, path, progress, 0);
    ASSERT_EQ(image.layerCount, 2);
    EXPECT_EQ(image.layers[0].at(0, 0), 200);
    EXPECT_EQ(image.layers[1].at(0, 0), 100);
    EXPECT_EQ(image.caption, "pages[2] (red), pages[1] (green)");
    EXPECT_DOUBLE_EQ(image.scanOriginX, 0.0) << "page 2 has no description";
    try {
        AppendLayer(image, path, progress, 2);
        ADD_FAILURE() << "accepted";
    } catch (const CoreError& error) {
        EXPECT_EQ(std::string(error.what()), path + " holds 2 image(s); there is no image 3.");
    }
    EXPECT_EQ(image.layerCount, 2);
    EXPECT_THROW(AppendLayer(image, path, progress, -1), CoreError);
}

}  // namespace
}  // namespace orvane
