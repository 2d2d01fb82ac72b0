// The command-line rules of the export and process subcommands.
#include <gtest/gtest.h>

#include "batch/batch_requests.h"

namespace orvane::batch {
namespace {

ExportRequest exportFrom(const std::vector<std::string>& args) {
    return exportRequestFrom(parseArgs(args, exportOptions()));
}
ProcessRequest processFrom(const std::vector<std::string>& args) {
    return processRequestFrom(parseArgs(args, processOptions()));
}

TEST(ExportRequestTest, DefaultsAreTheNewViewsDisplayState) {
    const ExportRequest request = exportFrom({"-o", "out.tif", "a.tif"});
    EXPECT_FALSE(request.linear);
    EXPECT_TRUE(request.inverted);
    EXPECT_EQ(request.channelOff, (std::array<bool, 3>{false, false, false}));
    EXPECT_EQ(request.output, "out.tif");
    EXPECT_EQ(request.inputs, std::vector<std::string>{"a.tif"});
}

TEST(ExportRequestTest, OptionsChangeTheDisplayState) {
    const ExportRequest request =
        exportFrom({"--linear", "--no-invert", "--channel-off", "1", "--channel-off=3",
                    "--channel-off", "1", "--output", "out.tif", "a.tif", "b.tif", "c.tif"});
    EXPECT_TRUE(request.linear);
    EXPECT_FALSE(request.inverted);
    // Channel numbers count from 1 (red); naming a channel twice still switches it off.
    EXPECT_EQ(request.channelOff, (std::array<bool, 3>{true, false, true}));
    EXPECT_EQ(request.inputs.size(), 3u);
}

TEST(ExportRequestTest, RefusesIncompleteOrWrongCommandLines) {
    const std::vector<std::vector<std::string>> cases = {
        {"a.tif"},                                         // no output
        {"-o", "out.tif"},                                 // no image
        {"-o", "out.tif", "a", "b", "c", "d"},             // four images
        {"-o", "x.tif", "-o", "y.tif", "a.tif"},           // two outputs
        {"-o", "", "a.tif"},                               // empty output name
        {"--channel-off", "0", "-o", "out.tif", "a.tif"},  // channels are 1 to 3
        {"--channel-off", "4", "-o", "out.tif", "a.tif"},
        {"--channel-off", "red", "-o", "out.tif", "a.tif"},
        {"-o", "a.tif", "a.tif"},  // would replace its own input
        {"-o", "b.tif", "a.tif", "b.tif"},
    };
    for (const std::vector<std::string>& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_THROW(exportFrom(args), UsageError);
    }
}

TEST(ProcessRequestTest, StepsInCommandLineOrder) {
    const ProcessRequest request =
        processFrom({"--median", "--subtract-background", "30,40,10,20", "--mean", "--median",
                     "--subtract-background=-1,-1,5,5", "-o", "out.tif", "scan.tif"});
    using Kind = ProcessStep::Kind;
    const std::vector<ProcessStep> expected = {{Kind::Median, {}},
                                               {Kind::SubtractBackground, {30, 40, 10, 20}},
                                               {Kind::Mean, {}},
                                               {Kind::Median, {}},
                                               {Kind::SubtractBackground, {-1, -1, 5, 5}}};
    EXPECT_EQ(request.steps, expected);
    EXPECT_EQ(request.input, "scan.tif");
    EXPECT_EQ(request.output, "out.tif");
    EXPECT_TRUE(processFrom({"-o", "out.tif", "scan.tif"}).steps.empty());
}

TEST(ProcessRequestTest, RefusesIncompleteOrWrongCommandLines) {
    const std::vector<std::vector<std::string>> cases = {
        {"--mean", "scan.tif"},                                        // no output
        {"--mean", "-o", "out.tif"},                                   // no image
        {"--mean", "-o", "out.tif", "a.tif", "b.tif"},                 // one image only
        {"--subtract-background", "1,2,3", "-o", "out.tif", "a.tif"},  // three numbers
        {"--subtract-background", "-o", "out.tif", "a.tif"},  // "-o" taken as the rectangle
        {"--mean", "-o", "a.tif", "a.tif"},                   // would replace its input
    };
    for (const std::vector<std::string>& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_THROW(processFrom(args), UsageError);
    }
}

}  // namespace
}  // namespace orvane::batch
