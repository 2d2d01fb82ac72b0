// The dispatcher of orvane-batch and its info subcommand: exit statuses, usage and help texts,
// the system's messages on stderr, and the key: value lines of info.
#include <gtest/gtest.h>
#include <tiffio.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "batch/batch_commands.h"
#include "demo_slide_files.h"
#include "demo_slide_plan.h"
#include "document/tiff_messages.h"

namespace orvane::batch {
namespace {

namespace fs = std::filesystem;

struct RunResult {
    int status;
    std::string out, err;
};

RunResult run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    NullProgress progress;
    CommandContext context{out, err, progress};
    const int status = runBatch(args, context);
    return {status, out.str(), err.str()};
}

// A grey TIFF of the given size and bit depth, for the refusals.
void writeGrey(const fs::path& path, std::uint32_t width, std::uint32_t height, std::uint16_t bits) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    std::vector<std::uint8_t> line(width * bits / 8, 0);
    for (std::uint32_t y = 0; y < height; ++y) TIFFWriteScanline(tif, line.data(), y, 0);
    TIFFClose(tif);
}

class BatchCommandsTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        setTiffMessageSink({});  // libtiff's own texts are not what these tests check
        dir_ = new fs::path(fs::temp_directory_path() / ("orvane_batch_test_" + std::to_string(::getpid())));
        demo::DemoOptions options;
        options.pixelUm = 50.0;
        options.outDir = dir_->string();
        demo::writeDemoSlide(demo::planDemoSlide(options));
    }
    static void TearDownTestSuite() {
        fs::remove_all(*dir_);
        delete dir_;
    }
    static std::string file(const std::string& name) { return (*dir_ / name).string(); }
    static fs::path* dir_;
};
fs::path* BatchCommandsTest::dir_ = nullptr;

TEST_F(BatchCommandsTest, InfoPrintsTheDocument) {
    const RunResult result = run({"info", file("demo_635.tif"), file("demo_532.tif")});
    EXPECT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(result.out,
              "width: 480\nheight: 1460\nlayers: 2\nx_resolution: 200\ny_resolution: 200\nresolution_unit: 3\n"
              "scan_origin_x: 0.2\nscan_origin_y: 0.5\ncaption: demo_635 (red), demo_532 (green)\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(BatchCommandsTest, FailuresPrintTheSystemsMessage) {
    writeGrey(*dir_ / "eight.tif", 8, 8, 8);
    writeGrey(*dir_ / "small.tif", 8, 8, 16);
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"info", file("missing.tif")}, "Can not open requested file: " + file("missing.tif") + "\n"},
        {{"info", file("eight.tif")}, "Sorry, this version supports only 16-bit gray scale TIFF format.\n"},
        {{"info", file("demo_635.tif"), file("small.tif")},
         "Only images with identical dimentions / color depth can be overlayed.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const RunResult result = run(c.args);
        EXPECT_EQ(result.status, kExitFailure);
        EXPECT_EQ(result.err, c.message);
        EXPECT_EQ(result.out, "");
    }
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
