// RobotControlImp against the simulated controller: init, motion reports, idle, waiting, flow
// control.
#include <gtest/gtest.h>

#include "sim_rig.h"

namespace arx {
namespace {

using testing::expectChat;
using testing::SimRig;

TEST(RobotInit, SynchronisesAimAndCountWithTheDevice) {
    sim::SimConfig config;
    config.startPosition = {1234, -5678, 8388607};
    SimRig rig(config);
    ASSERT_TRUE(rig.robot.init());
    EXPECT_EQ(rig.robot.aim(1), 1234);
    EXPECT_EQ(rig.robot.aim(2), -5678);
    EXPECT_EQ(rig.robot.aim(3), 8388607);
    EXPECT_EQ(rig.robot.coord(2), -5678);
    EXPECT_EQ(rig.robot.link().sentCount(), rig.robot.link().status().deviceCount);
    expectChat(rig, {});
}

TEST(RobotInit, FalseForOtherIdsAndAimCleared) {
    sim::SimConfig config;
    config.startPosition = {100, 200, 300};
    SimRig rig(config);
    ASSERT_TRUE(rig.robot.init());
    RobotControlPar par;
    const std::pair<unsigned, unsigned> ids[] = {
        {0x4242, 0x4202}, {0x4243, 0x4201}, {0x14242, 0x4201}, {0x4242, 0x14201}};
    for (const auto& [vid, pid] : ids) {
        SCOPED_TRACE(vid * 0x100000000ull + pid);
        par.vendor_id = vid;
        par.product_id = pid;
        par.v_max[0] = 99;
        EXPECT_FALSE(rig.robot.init(&par));
        EXPECT_EQ(rig.robot.aim(1), 0);
        EXPECT_EQ(rig.robot.parameters().v_max[0], 99u);
    }
    // Without a record the copied one stays, ids included.
    EXPECT_FALSE(rig.robot.init());
    EXPECT_EQ(rig.robot.parameters().product_id, ids[3].second);
}

struct MoveCase {
    int axis, steps, velocity;
    const char* report;  // empty: nothing is sent
    int result, aimDelta;
};

TEST(RobotMove, ReportsAndResults) {
    const MoveCase cases[] = {
        {1, 1000, 0, "00 01 00 01 40 02 74 02 01", 1000, 1000},
        {2, 1000, 0, "00 02 80 01 40 02 74 02 01", 1000, -1000},
        {1, 1001, 0, "00 01 00 01 40 02 74 02 01", 1000, 1000},
        {1, 10000, 0, "00 01 00 01 40 08 e2 03 01", 10000, 10000},
        {1, 0, 0, "", 0, 0},
        {1, 100, 0, "", 0, 0},
        {1, 128, 0, "", 0, 0},
        {1, 100, 8, "00 01 00 01 40 01 24 01 01", 100, 100},
        {1, -1000, 0, "00 01 80 01 40 02 74 02 01", -1000, -1000},
        {2, -1001, 0, "00 02 00 01 40 02 74 02 01", -1000, 1000},
        // a = 129 - 128 = 1; the speed halves to 8, n = 8: 128 of the 129 steps.
        {3, 129, 0, "00 03 00 01 01 08 08 01 01", 128, 128},
    };
    for (const MoveCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.axis) + ": " + std::to_string(c.steps));
        SimRig rig;
        ASSERT_TRUE(rig.robot.init());
        const int before = rig.robot.aim(c.axis);
        EXPECT_EQ(rig.robot.move(c.axis, c.steps, 0, false, false, c.velocity), c.result);
        EXPECT_EQ(rig.robot.aim(c.axis) - before, c.aimDelta);
        expectChat(rig,
                   *c.report ? std::vector<std::string>{c.report} : std::vector<std::string>{});
        // The controller travels exactly what the library booked.
        rig.robot.waitdone();
        EXPECT_EQ(rig.robot.coord(c.axis), rig.robot.aim(c.axis));
    }
}

TEST(RobotMove, RampOffsetAndHomingFlags) {
    SimRig rig;
    ASSERT_TRUE(rig.robot.init());
    EXPECT_EQ(rig.robot.move(1, 1000, 640, true, false), 1000);
    EXPECT_EQ(rig.robot.move(1, 1000, 0, false, true), 1000);
    expectChat(rig, {"00 01 08 0b 40 02 74 02 01", "00 01 30 01 40 02 74 02 01"});
}

TEST(RobotMove, AxisWithoutAccelerationSendsNothing) {
    SimRig rig;
    RobotControlPar par;
    par.set_accel(1, 0);
    ASSERT_TRUE(rig.robot.init(&par));
    EXPECT_EQ(rig.robot.move(1, 100000), 0);
    EXPECT_EQ(rig.robot.aim(1), 0);
    expectChat(rig, {});
}

TEST(RobotMove, SpeedOfZeroOrLessIsRefusedAndSendsNothing) {
    struct Case {
        const char* what;
        unsigned vMax, vHomeS;
        int velocity;
        bool homing;
    };
    const Case cases[] = {{"negative velocity", 128, 2, -4, false},
                          {"v_max 0", 0, 2, 0, false},
                          {"v_max negative as signed", 0x80000000u, 2, 0, false},
                          {"v_home_s 0 while homing", 128, 0, 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimRig rig;
        RobotControlPar par;
        par.v_max[0] = c.vMax;  // the public members take what the set_ functions refuse
        par.v_home_s[0] = c.vHomeS;
        ASSERT_TRUE(rig.robot.init(&par));
        EXPECT_THROW(rig.robot.move(1, 5000, 0, false, c.homing, c.velocity), RobotParEx);
        EXPECT_EQ(rig.robot.aim(1), 0);
        expectChat(rig, {});
    }
}

TEST(RobotMove, ExtremeStepCountsDoNotOverflow) {
    SimRig rig;
    RobotControlPar par;
    par.v_max[0] = 100000;  // a*v*v leaves 32 bits: the speed is halved, to 3125
    ASSERT_TRUE(rig.robot.init(&par));
    EXPECT_THROW(rig.robot.move(1, -2147483647 - 1), RobotParEx);
    EXPECT_THROW(rig.robot.move(1, -2147483647 - 1, 0, false, true), RobotParEx);
    EXPECT_EQ(rig.robot.aim(1), 0);
    expectChat(rig, {});
}

TEST(RobotIdle, IdleCommandBytes) {
    SimRig rig;
    ASSERT_TRUE(rig.robot.init());
    for (int axis = 1; axis <= 3; ++axis) EXPECT_TRUE(rig.robot.idle(axis));
    expectChat(rig, {"00 01 40 00 00 00 00 00 00", "00 02 40 00 00 00 00 00 00",
                     "00 03 40 00 00 00 00 00 00"});
}

TEST(RobotAxis, OutsideOneToThreeThrowsAndTouchesNothing) {
    SimRig rig;
    ASSERT_TRUE(rig.robot.init());
    const uint64_t reports = rig.controller->reportsSent();
    for (int axis : {0, 4, -1}) {
        SCOPED_TRACE(axis);
        EXPECT_THROW(rig.robot.move(axis, 1000), RobotParEx);
        EXPECT_THROW(rig.robot.idle(axis), RobotParEx);
        EXPECT_THROW(rig.robot.home(axis), RobotParEx);
        EXPECT_THROW(rig.robot.coord(axis), RobotParEx);
        EXPECT_THROW(rig.robot.aim(axis), RobotParEx);
        EXPECT_THROW(rig.robot.hSensorState(axis), RobotParEx);
    }
    EXPECT_EQ(rig.controller->reportsSent(), reports);
    expectChat(rig, {});
}

TEST(RobotWait, FlowControlNeverOverrunsTheController) {
    sim::SimConfig config;
    config.acceptDelayReports = 2;
    config.ticksPerReport = 50;
    SimRig rig(config);
    ASSERT_TRUE(rig.robot.init());
    int total = 0;
    for (int i = 0; i < 12; ++i) total += rig.robot.move(1 + i % 3, 3000);
    rig.robot.flush();
    EXPECT_TRUE(rig.controller->moving(1) || rig.controller->moving(2) ||
                rig.controller->moving(3));
    rig.robot.waitdone();
    EXPECT_EQ(rig.controller->received().size(), 12u);
    EXPECT_EQ(rig.controller->flowViolations(), 0);
    EXPECT_EQ(total, 36000);
    for (int axis = 1; axis <= 3; ++axis) {
        EXPECT_EQ(rig.robot.coord(axis), rig.robot.aim(axis));
        EXPECT_FALSE(rig.controller->moving(axis));
    }
}

TEST(RobotWait, SimulatorNoticesAWriteThatIgnoresFlowControl) {
    // The check behind the test above must be able to fail.
    sim::SimConfig config;
    config.acceptDelayReports = 1;
    sim::SimulatedController controller(config);
    const uint8_t report[9] = {0, 1, 0x40, 0, 0, 0, 0, 0, 0};
    controller.receive(report, 9);
    controller.receive(report, 9);
    EXPECT_EQ(controller.flowViolations(), 1);
}

TEST(RobotWait, SentCountWrapsWithTheDevice) {
    SimRig rig;
    ASSERT_TRUE(rig.robot.init());
    for (int i = 0; i < 300; ++i) rig.robot.idle(1 + i % 3);
    rig.robot.waitdone();
    EXPECT_EQ(rig.robot.link().sentCount(), 300 % 256);
    EXPECT_EQ(rig.robot.link().status().deviceCount, 300 % 256);
    EXPECT_EQ(rig.controller->flowViolations(), 0);
}

TEST(RobotStatus, HomeSensorAndStubs) {
    sim::SimConfig config;
    config.startPosition = {-10, 10, 10};
    SimRig rig(config);
    ASSERT_TRUE(rig.robot.init());
    EXPECT_TRUE(rig.robot.hSensorState(1));
    EXPECT_TRUE(rig.robot.hSensorState(2));
    EXPECT_FALSE(rig.robot.hSensorState(3));
    const uint64_t reports = rig.controller->reportsSent();
    rig.robot.setGPO(1, true);
    EXPECT_FALSE(rig.robot.getStopButton());
    EXPECT_EQ(rig.controller->reportsSent(), reports);
    expectChat(rig, {});
}

TEST(RobotFactory, HandsOutAnUninitialisedImplementation) {
    RobotControl* robot = RobotControlFactory::theFactory.getRobotControl();
    ASSERT_NE(robot, nullptr);
    EXPECT_NE(dynamic_cast<RobotControlImp*>(robot), nullptr);
    EXPECT_EQ(robot->aim(1), 0);
    EXPECT_THROW(robot->coord(1), ReadErrorEx);  // no device before init
    delete robot;
}

}  // namespace
}  // namespace arx
