// Failures: the status time-out (in real time), failed writes, handles on re-init and destruction,
// operations before init.
#include <gtest/gtest.h>

#include <chrono>

#include "fake_hid.h"
#include "sim_rig.h"

namespace arx {
namespace {

using testing::expectChat;
using testing::SimRig;

TEST(RobotFailure, SilentControllerTimesOutAfterSixSecondsAndStaysBroken) {
    sim::SimConfig config;
    config.stopAfterReports = 3;
    SimRig rig(config);
    ASSERT_TRUE(rig.robot.init());             // one report
    EXPECT_EQ(rig.robot.move(1, 1000), 1000);  // one more
    EXPECT_NO_THROW(rig.robot.coord(1));       // the third and last
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(rig.robot.waitdone(), ReadErrorEx);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(kReadTimeoutMs));
    EXPECT_FALSE(rig.robot.link().isOpen());
    // Every later status read and command fails at once, and aim keeps its books.
    EXPECT_THROW(rig.robot.coord(1), ReadErrorEx);
    EXPECT_THROW(rig.robot.hSensorState(1), ReadErrorEx);
    EXPECT_THROW(rig.robot.flush(), ReadErrorEx);
    EXPECT_THROW(rig.robot.idle(1), ReadErrorEx);
    EXPECT_THROW(rig.robot.move(1, 1000), ReadErrorEx);
    EXPECT_EQ(rig.robot.aim(1), 1000);
    expectChat(rig, {"00 01 00 01 40 02 74 02 01"});
}

TEST(RobotFailure, FailedWriteThrowsAndLeavesTheLinkUsable) {
    sim::SimConfig config;
    config.failWritesAfter = 2;
    SimRig rig(config);
    ASSERT_TRUE(rig.robot.init());
    rig.robot.move(1, 1000);
    rig.robot.idle(2);
    EXPECT_THROW(rig.robot.move(1, 1000), WriteErrorEx);
    EXPECT_THROW(rig.robot.idle(3), WriteErrorEx);
    EXPECT_EQ(rig.robot.aim(1), 1000);
    EXPECT_EQ(rig.robot.link().sentCount(), 2);
    EXPECT_TRUE(rig.robot.link().isOpen());
    rig.robot.waitdone();
    EXPECT_EQ(rig.robot.coord(1), 1000);
    expectChat(rig, {"00 01 00 01 40 02 74 02 01", "00 02 40 00 00 00 00 00 00"});
}

TEST(RobotFailure, RepeatedInitAndDestructionCloseTheDevice) {
    auto backend = std::make_unique<testing::FakeBackend>();
    auto dev = backend->add("a", 0x4242, 0x4201);
    dev->generate = [](const testing::FakeDeviceState& s) {
        return testing::statusBytes(static_cast<uint8_t>(s.written.size()), 0);
    };
    {
        RobotControlImp robot(std::move(backend));
        ASSERT_TRUE(robot.init());
        ASSERT_TRUE(robot.init());
        EXPECT_EQ(dev->opens, 2);
        EXPECT_EQ(dev->closes, 1);
        EXPECT_TRUE(robot.initSucceeded());
        RobotControlPar other;
        other.product_id = 1;
        EXPECT_FALSE(robot.init(&other));
        EXPECT_FALSE(robot.initSucceeded());
        EXPECT_EQ(dev->closes, 2);
        const RobotControlPar defaults;
        ASSERT_TRUE(robot.init(&defaults));
        // close() lets go of the device at once; init opens it again.
        robot.close();
        EXPECT_FALSE(robot.initSucceeded());
        EXPECT_EQ(dev->closes, 3);
        EXPECT_THROW(robot.waitdone(), ReadErrorEx);
        ASSERT_TRUE(robot.init());
    }
    EXPECT_EQ(dev->opens, 4);
    EXPECT_EQ(dev->closes, 4);
}

TEST(RobotFailure, OperationsBeforeInitFailAsAClosedLink) {
    SimRig rig;
    EXPECT_EQ(rig.robot.aim(2), 0);
    EXPECT_THROW(rig.robot.coord(1), ReadErrorEx);
    EXPECT_THROW(rig.robot.waitdone(), ReadErrorEx);
    EXPECT_THROW(rig.robot.idle(1), ReadErrorEx);
    EXPECT_THROW(rig.robot.move(1, 1000), ReadErrorEx);
    EXPECT_THROW(rig.robot.home(1), ReadErrorEx);
    EXPECT_EQ(rig.robot.aim(1), 0);
    // A move too short to send needs no device.
    EXPECT_EQ(rig.robot.move(1, 10), 0);
    expectChat(rig, {});
}

}  // namespace
}  // namespace arx
