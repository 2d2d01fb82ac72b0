// Loading reads plain strips straight from the file on all threads and leaves every other
// layout to libtiff's scanline loop: both must give the file's samples exactly.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#ifdef _OPENMP
#include <omp.h>
#endif

#include <tiffio.h>

#include "../support/temp_dir.h"
#include "../support/tiff_writer.h"
#include "document/tiff_loader.h"

namespace orvane {
namespace {

using testing_support::TempDir;

struct Layout {
    const char* name;
    testing_support::ByteOrder order;  // big-endian: byte-swapped on this host
    std::uint32_t rowsPerStrip;
    std::uint16_t compression;
    std::uint16_t fillOrder;
};

void writeScan(const std::string& path, const Layout& layout, std::uint32_t width,
               std::uint32_t height, const std::vector<std::uint16_t>& samples) {
    testing_support::TiffSpec spec;
    spec.width = width;
    spec.height = height;
    spec.compression = layout.compression;
    spec.fillOrder = layout.fillOrder;
    spec.rowsPerStrip = layout.rowsPerStrip;
    spec.samples = samples;
    ASSERT_TRUE(testing_support::writeTiff(path, spec, layout.order));
}

TEST(TiffStripReadTest, EveryStripLayoutGivesTheFileSamples) {
    using enum testing_support::ByteOrder;
    const Layout layouts[] = {
        {"one row a strip", Little, 1, COMPRESSION_NONE, FILLORDER_MSB2LSB},
        {"7 rows a strip, last strip short", Little, 7, COMPRESSION_NONE, FILLORDER_MSB2LSB},
        {"one strip", Little, 100000, COMPRESSION_NONE, FILLORDER_MSB2LSB},
        {"big-endian file", Big, 5, COMPRESSION_NONE, FILLORDER_MSB2LSB},
        {"LZW", Little, 9, COMPRESSION_LZW, FILLORDER_MSB2LSB},
        {"reversed fill order", Little, 9, COMPRESSION_NONE, FILLORDER_LSB2MSB},
    };
    TempDir dir;
    // 2 MB of samples: several read pieces, shared between threads.
    const std::uint32_t width = 1237, height = 853;
    std::mt19937 random(3);
    std::vector<std::uint16_t> samples(std::size_t(width) * height);
    for (auto& v : samples) v = static_cast<std::uint16_t>(random());
    for (const Layout& layout : layouts) {
        const std::string path = dir.file(std::string("scan.tif"));
        writeScan(path, layout, width, height, samples);
        for (int threads : {1, 2}) {
            SCOPED_TRACE(std::string(layout.name) + ", threads " + std::to_string(threads));
#ifdef _OPENMP
            omp_set_num_threads(threads);
#endif
            LayeredImage image;
            NullProgress progress;
            AppendLayer(image, path, progress);
            ASSERT_EQ(image.width(), std::int32_t(width));
            ASSERT_EQ(image.height(), std::int32_t(height));
            for (std::size_t k = 0; k < samples.size(); ++k)
                ASSERT_EQ(image.layers[0].samples[k], samples[k]) << "sample " << k;
        }
    }
}

}  // namespace
}  // namespace orvane
