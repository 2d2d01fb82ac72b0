// Multi-page TIFF files: counting and checking their pages, loading page N, and loading the first
// three pages as layers, with the refusals of pages that differ in size or format.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../support/temp_dir.h"
#include "../support/tiff_writer.h"
#include "base/core_error.h"
#include "document/tiff_loader.h"

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
    std::vector<testing_support::TiffSpec> specs;
    for (const Page& page : pages) {
        testing_support::TiffSpec spec;
        spec.width = page.width;
        spec.height = page.height;
        spec.bitsPerSample = page.bits;
        const bool wide = page.bits == 16;
        const std::uint16_t base = page.base;
        spec.sample = [wide, base](std::uint32_t x, std::uint32_t y, std::uint32_t) {
            return wide ? base + x + 10 * y : x;
        };
        if (specs.empty()) spec.description = "SCANINFO:0,0>>1.5,2.5";
        specs.push_back(spec);
    }
    ASSERT_TRUE(testing_support::writeTiffPages(path, specs));
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
