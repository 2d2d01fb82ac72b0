// The dispatcher of orvane-batch and its info subcommand: exit statuses, usage and help texts,
// the system's messages on stderr, and the key: value lines of info.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "../support/temp_dir.h"
#include "../support/tiff_writer.h"
#include "batch/batch_commands.h"
#include "batch_run.h"
#include "demo_slide_files.h"
#include "demo_slide_plan.h"
#include "document/image_processing.h"
#include "document/tiff_loader.h"
#include "document/tiff_messages.h"
#include "view/display_raster.h"
#include "view/tiff_export.h"

namespace orvane::batch {
namespace {

namespace fs = std::filesystem;

// A grey TIFF of the given size and bit depth, for the refusals.
void writeGrey(const fs::path& path, std::uint32_t width, std::uint32_t height,
               std::uint16_t bits) {
    testing_support::TiffSpec spec;
    spec.width = width;
    spec.height = height;
    spec.bitsPerSample = bits;
    spec.samples.assign(std::size_t{width} * height, 0);
    ASSERT_TRUE(testing_support::writeTiff(path.string(), spec));
}

class BatchCommandsTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        setTiffMessageSink({});  // libtiff's own texts are not what these tests check
        dir_ = std::make_unique<testing_support::TempDir>("orvane_batch_test");
        demo::DemoOptions options;
        options.pixelUm = 50.0;
        options.outDir = dir_->path().string();
        demo::writeDemoSlide(demo::planDemoSlide(options));
    }
    static void TearDownTestSuite() { dir_.reset(); }
    static std::string file(const std::string& name) { return dir_->file(name); }
    static inline std::unique_ptr<testing_support::TempDir> dir_;
};

TEST_F(BatchCommandsTest, InfoPrintsTheDocument) {
    const RunResult result = run({"info", file("demo_635.tif"), file("demo_532.tif")});
    EXPECT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(
        result.out,
        "width: 480\nheight: 1460\nlayers: 2\nx_resolution: 200\ny_resolution: "
        "200\nresolution_unit: 3\n"
        "scan_origin_x: 0.2\nscan_origin_y: 0.5\ncaption: demo_635 (red), demo_532 (green)\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(BatchCommandsTest, FailuresPrintTheSystemsMessage) {
    writeGrey(dir_->path() / "eight.tif", 8, 8, 8);
    writeGrey(dir_->path() / "small.tif", 8, 8, 16);
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"info", file("missing.tif")},
         "Can not open requested file: " + file("missing.tif") + "\n"},
        {{"info", file("eight.tif")},
         "Sorry, this version supports only 16-bit gray scale TIFF format. (" + file("eight.tif") +
             ")\n"},
        {{"info", file("demo_635.tif"), file("small.tif")},
         "Only images with identical dimentions / color depth can be overlayed. (" +
             file("small.tif") + ")\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const RunResult result = run(c.args);
        EXPECT_EQ(result.status, kExitFailure);
        EXPECT_EQ(result.err, c.message);
        EXPECT_EQ(result.out, "");
    }
}

// The export is the file the core's Export writes for the display state the options describe.
TEST_F(BatchCommandsTest, ExportWritesWhatTheExportCommandWrites) {
    const struct {
        std::vector<std::string> options;
        bool log, inverted;
        std::array<bool, 3> channelOn;
    } cases[] = {
        {{}, true, true, {true, true, false}},
        {{"--linear", "--no-invert"}, false, false, {true, true, false}},
        {{"--channel-off", "1"}, true, true, {false, true, false}},
        {{"--channel-off", "3", "--channel-off", "2", "--linear"},
         false,
         true,
         {true, false, false}},
    };
    LayeredImage image;
    NullProgress progress;
    AppendLayer(image, file("demo_635.tif"), progress);
    AppendLayer(image, file("demo_532.tif"), progress);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.options));
        std::vector<std::string> args = {"export", "-o", file("batch.tif")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(file("demo_635.tif"));
        args.push_back(file("demo_532.tif"));
        const RunResult result = run(args);
        ASSERT_EQ(result.status, kExitSuccess) << result.err;
        EXPECT_EQ(result.out, "");

        DisplayState state = DisplayStateAfterLoading(image);
        state.logDisplay = c.log;
        state.invertedDisplay = c.inverted;
        state.channelOn = c.channelOn;
        ExportTiff(image, state, file("core.tif"), progress);
        const std::string expected = testing_support::readFile(file("core.tif"));
        EXPECT_GT(expected.size(), 480u * 1460u * 3u);
        EXPECT_TRUE(testing_support::readFile(file("batch.tif")) == expected)
            << "export differs from the core's Export";
    }
}

TEST_F(BatchCommandsTest, FailedExportLeavesNoFile) {
    const std::string output = file("no-such-folder/out.tif");
    const RunResult result = run({"export", "-o", output, file("demo_635.tif")});
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_NE(result.err, "");
    EXPECT_FALSE(fs::exists(output));
    EXPECT_FALSE(fs::exists(file("no-such-folder")));
}

// process applies the operations in the order given and writes a scan that loads back with the
// source's resolution and description.
TEST_F(BatchCommandsTest, ProcessAppliesStepsInOrderAndKeepsTheScanTags) {
    const RunResult result = run({"process", "--subtract-background", "200,300,100,100", "--median",
                                  "--mean", "-o", file("processed.tif"), file("demo_532.tif")});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(result.out + result.err, "");

    NullProgress progress;
    LayeredImage expected;
    AppendLayer(expected, file("demo_532.tif"), progress);
    SubtractBackground(expected, 200, 300, 100, 100);
    MedianFilter(expected, 1);
    MeanFilter(expected, 1);

    LayeredImage written;
    AppendLayer(written, file("processed.tif"), progress);
    ASSERT_EQ(written.width(), expected.width());
    ASSERT_EQ(written.height(), expected.height());
    EXPECT_EQ(written.xResolution, expected.xResolution);
    EXPECT_EQ(written.resolutionUnit, expected.resolutionUnit);
    EXPECT_EQ(written.imageDescription, expected.imageDescription);
    EXPECT_EQ(written.scanOriginX, 0.2);
    int differing = 0;
    for (std::int32_t y = 0; y < expected.height(); ++y)
        for (std::int32_t x = 0; x < expected.width(); ++x)
            differing += written.layers[0].at(x, y) != expected.layers[0].at(x, y);
    EXPECT_EQ(differing, 0);

    // The background really was measured and taken off: the order of the steps is the given one.
    LayeredImage source;
    AppendLayer(source, file("demo_532.tif"), progress);
    MedianFilter(source, 1);
    MeanFilter(source, 1);
    EXPECT_LT(written.layers[0].at(5, 5), source.layers[0].at(5, 5));
}

TEST(BatchDispatchTest, UsageErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {}, {"frobnicate"}, {"info"}, {"info", "--bogus", "a.tif"}, {"info", "a", "b", "c", "d"}};
    for (const std::vector<std::string>& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const RunResult result = run(args);
        EXPECT_EQ(result.status, kExitUsage);
        EXPECT_NE(result.err.find("usage: orvane-batch"), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

TEST(BatchDispatchTest, HelpForEveryCommand) {
    const RunResult general = run({"--help"});
    EXPECT_EQ(general.status, kExitSuccess);
    for (const Command& command : batchCommands()) {
        SCOPED_TRACE(command.name);
        EXPECT_NE(general.out.find("  " + command.name + " "), std::string::npos);
        const RunResult help = run({command.name, "--help"});
        EXPECT_EQ(help.status, kExitSuccess);
        EXPECT_EQ(help.out.rfind("usage: orvane-batch " + command.name, 0), 0u) << help.out;
        EXPECT_EQ(help.err, "");
    }
}

}  // namespace
}  // namespace orvane::batch
