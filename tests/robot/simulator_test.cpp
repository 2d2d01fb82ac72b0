// The simulated controller: configuration file, report log, selection through the environment,
// and the firmware model's motion and queue.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../support/temp_dir.h"
#include "sim_rig.h"

namespace arx {
namespace {

namespace fs = std::filesystem;
using orvane::testing_support::readFile;
using orvane::testing_support::TempDir;
using testing::SimRig;

// Sets an environment variable for one scope and restores the earlier state after.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(SimConfigFile, ReadsEveryKey) {
    std::string error;
    const auto config = sim::parseSimConfig(
        "# dry run of the print job\n"
        "vendor_id = 0x1234\n"
        "product_id=4660\n"
        "input_report_length = 64   # full-speed report\n"
        "output_report_length = 12\n"
        "start_position_1 = -100\n"
        "start_position_3 = 0x10\n"
        "flag_range_2 = -5 7\n"
        "ticks_per_report = 20\n"
        "accept_delay_reports = 2\n"
        "stop_after_reports = 100\n"
        "fail_writes_after = 0\n",
        error);
    ASSERT_TRUE(config) << error;
    EXPECT_EQ(config->vendorId, 0x1234);
    EXPECT_EQ(config->productId, 0x1234);
    EXPECT_EQ(config->inputReportLength, 64);
    EXPECT_EQ(config->outputReportLength, 12);
    EXPECT_EQ(config->startPosition[0], -100);
    EXPECT_EQ(config->startPosition[2], 16);
    EXPECT_EQ(config->flag[1].low, -5);
    EXPECT_EQ(config->flag[1].high, 7);
    EXPECT_EQ(config->ticksPerReport, 20u);
    EXPECT_EQ(config->acceptDelayReports, 2u);
    EXPECT_EQ(config->stopAfterReports, 100u);
    EXPECT_EQ(config->failWritesAfter, 0u);
}

TEST(SimConfigFile, RefusesBadLinesWithTheirNumber) {
    const char* bad[] = {"colour = red",     "vendor_id = 0x10000",     "vendor_id = 12x",
                         "product_id =",     "start_position_4 = 1",    "flag_range_1 = 5 1",
                         "flag_range_1 = 1", "flag_range_1 = 1 2 3",    "ticks_per_report = 0",
                         "just words",       "input_report_length = -1"};
    for (const char* line : bad) {
        SCOPED_TRACE(line);
        std::string error;
        EXPECT_FALSE(sim::parseSimConfig(std::string("\n") + line + "\n", error));
        EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    }
}

TEST(SimEnvironment, SelectsTheSimulatorAndLogsEveryReport) {
    TempDir dir;
    const std::string config = dir.write("sim.conf", "vendor_id = 0x1111\nproduct_id = 0x2222\n");
    const std::string log = dir.file("reports.log");
    dir.write("reports.log", "earlier line\n");
    ScopedEnv sim("ARXUSB_SIMULATOR", config);
    ScopedEnv logEnv("ARXUSB_SIMULATOR_LOG", log);
    RobotControlImp robot;
    EXPECT_FALSE(robot.init());  // default ids: no such device
    RobotControlPar par;
    par.vendor_id = 0x1111;
    par.product_id = 0x2222;
    ASSERT_TRUE(robot.init(&par));
    robot.move(1, 10000);
    robot.idle(3);
    EXPECT_EQ(readFile(log),
              "earlier line\n"
              "00 01 00 01 40 08 e2 03 01\n"
              "00 03 40 00 00 00 00 00 00\n");
}

TEST(SimEnvironment, OneMeansDefaultsAndZeroOrEmptyMeansHardware) {
    {
        ScopedEnv sim("ARXUSB_SIMULATOR", "1");
        RobotControlImp robot;
        EXPECT_TRUE(robot.init());
    }
    TempDir dir;
    for (const char* off : {"", "0"}) {
        SCOPED_TRACE(off);
        ScopedEnv sim("ARXUSB_SIMULATOR", off);
        auto backend = makeDefaultHidBackend();
        EXPECT_EQ(dynamic_cast<sim::SimulatedBackend*>(backend.get()), nullptr);
    }
}

TEST(SimEnvironment, UnreadableConfigurationGivesNoDevice) {
    TempDir dir;
    for (const std::string& setting :
         {dir.file("missing.conf"), dir.write("bad.conf", "vendor_id = lots\n")}) {
        SCOPED_TRACE(setting);
        ScopedEnv sim("ARXUSB_SIMULATOR", setting);
        ::testing::internal::CaptureStderr();
        RobotControlImp robot;
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(setting), std::string::npos) << said;
        EXPECT_FALSE(robot.init());
    }
}

TEST(SimFirmware, RampTakesTwoRampsAndTheFullSpeedPeriods) {
    sim::SimConfig config;
    config.ticksPerReport = 1;
    sim::SimulatedController controller(config);
    // a = 64, v = 2, n = 372: 2*64*2 + 372 = 628 ticks for 1000 steps.
    const uint8_t move[9] = {0, 1, 0, 1, 0x40, 0x02, 0x74, 0x02, 0x01};
    controller.receive(move, 9);
    uint8_t status[19];
    int64_t last = 0;
    int reports = 0;
    do {
        ASSERT_TRUE(controller.nextStatus(status, sizeof status));
        ++reports;
        EXPECT_GE(controller.position(1), last);      // never backwards
        EXPECT_LE(controller.position(1) - last, 2);  // never faster than v
        last = controller.position(1);
    } while (controller.moving(1));
    EXPECT_EQ(reports, 628);
    EXPECT_EQ(controller.position(1), 1000);
    EXPECT_EQ(status[4], 0);
    EXPECT_EQ(status[5] | (status[6] << 8), 1000);
}

TEST(SimFirmware, QueueRunsInOrderAndCountsPending) {
    sim::SimConfig config;
    config.ticksPerReport = 1;
    sim::SimulatedController controller(config);
    const uint8_t move[9] = {0, 1, 0, 1, 0x40, 0x02, 0x74, 0x02, 0x01};
    const uint8_t other[9] = {0, 2, 0x80, 1, 0x40, 0x02, 0x74, 0x02, 0x01};
    controller.receive(move, 9);
    controller.receive(move, 9);
    controller.receive(other, 9);
    uint8_t status[19];
    ASSERT_TRUE(controller.nextStatus(status, sizeof status));
    EXPECT_EQ(status[2], 3);  // accepted
    EXPECT_EQ(status[3], 2);  // the second move waits for axis 1, the Y move waits behind it
    EXPECT_FALSE(controller.moving(2));
    for (int i = 0; i < 628; ++i) controller.nextStatus(status, sizeof status);
    EXPECT_EQ(status[3], 0);
    EXPECT_TRUE(controller.moving(1));
    EXPECT_TRUE(controller.moving(2));
}

TEST(SimFirmware, LongerInputReportsAreZeroAfterTheStatus) {
    sim::SimConfig config;
    config.inputReportLength = 64;
    config.outputReportLength = 64;
    config.startPosition = {-1, 0, 0};
    SimRig rig(config);
    ASSERT_TRUE(rig.robot.init());
    EXPECT_EQ(rig.robot.coord(1), -1);
    rig.robot.idle(1);
    ASSERT_EQ(rig.controller->received().size(), 1u);
    EXPECT_EQ(rig.controller->received()[0].size(), 64u);
}

}  // namespace
}  // namespace arx
