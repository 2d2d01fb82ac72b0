// The written TIFF files (Export as 8-bit colour, the 16-bit processed scan of orvane-batch)
// under injected write failures: the previous file survives byte for byte and no temporary
// file is left behind.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "../support/write_faults.h"
#include "document/tiff_messages.h"
#include "view/tiff_export.h"

namespace orvane {
namespace {

using testing_support::expectSafeOnFullFileSystem;
using testing_support::expectSafeUnderWriteFaults;
using testing_support::FaultDir;

// 120 x 90, two layers: an 8-bit export of about 32 KB and a 16-bit layer of about 21 KB.
LayeredImage testImage() {
    LayeredImage image;
    image.layerCount = 2;
    for (int k = 0; k < 2; ++k) {
        ImageLayer& layer = image.layers[static_cast<std::size_t>(k)];
        layer.width = 120;
        layer.height = 90;
        layer.samples.reset(new std::uint16_t[120 * 90]);
        for (int i = 0; i < 120 * 90; ++i)
            layer.samples[i] = static_cast<std::uint16_t>(i * (7 + k));
    }
    image.imageDescription = "SCANINFO:0,0>>1.5,2.5";
    return image;
}

struct Writer {
    const char* name;
    std::function<void(const LayeredImage&, const std::string&)> write;
};

const Writer kWriters[] = {
    {"export.tif",
     [](const LayeredImage& image, const std::string& path) {
         DisplayState state;
         state.channelOn = {true, true, false};
         state.imageWidth = image.layers[0].width;
         state.imageHeight = image.layers[0].height;
         NullProgress progress;
         ExportTiff(image, state, path, progress);
     }},
    {"processed.tif",
     [](const LayeredImage& image, const std::string& path) { WriteLayerTiff(image, 1, path); }},
};

class TiffOutputFaults : public ::testing::Test {
protected:
    void SetUp() override { setTiffMessageSink({}); }  // libtiff's own complaints are expected
};

// Fault found here: a header write that failed inside TIFFOpen left the temporary file behind.
TEST_F(TiffOutputFaults, FailedWriteAtAnyPointKeepsThePreviousFile) {
    const LayeredImage image = testImage();
    for (const Writer& writer : kWriters) {
        SCOPED_TRACE(writer.name);
        FaultDir dir;
        const std::string target = dir.file(writer.name);
        expectSafeUnderWriteFaults(target, [&] { writer.write(image, target); });
    }
}

TEST_F(TiffOutputFaults, FullFileSystemKeepsThePreviousFile) {
    const LayeredImage image = testImage();
    for (const Writer& writer : kWriters) {
        SCOPED_TRACE(writer.name);
        expectSafeOnFullFileSystem(writer.name,
                                   [&](const std::string& path) { writer.write(image, path); });
    }
}

}  // namespace
}  // namespace orvane
