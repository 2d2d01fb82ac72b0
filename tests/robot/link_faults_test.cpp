// Faults of the controller link against the simulated controller: a device unplugged in the
// middle of a move, a queue that never drains, failing writes; each ends with the right
// exception and closed handles, and a new init recovers. Plus a soak run of a long lab script.
#include <gtest/gtest.h>

#include "sim_rig.h"

namespace arx {
namespace {

using testing::SimRig;

TEST(LinkFaults, DeviceUnpluggedMidMoveFailsAtOnceAndInitRecoversWhenItIsBack) {
    sim::SimConfig config;
    config.unplugAfterReports = 4;  // during the wait for the move below
    config.replugAfterAttempts = 3;
    SimRig rig(config);
    ASSERT_TRUE(rig.robot.init());
    ASSERT_EQ(rig.robot.move(1, 100000), 100000);
    EXPECT_THROW(rig.robot.waitdone(), ReadErrorEx);  // attempt 1: the read fails
    EXPECT_FALSE(rig.robot.link().isOpen());
    EXPECT_THROW(rig.robot.coord(1), ReadErrorEx);  // closed: no stale report
    EXPECT_FALSE(rig.robot.init());                 // attempt 2: not enumerated
    EXPECT_FALSE(rig.robot.init());                 // attempt 3
    ASSERT_TRUE(rig.robot.init());                  // back, with the position it reached
    const int reached = rig.robot.coord(1);
    EXPECT_GT(reached, 0);
    EXPECT_LE(reached, 100000);
    EXPECT_EQ(rig.robot.aim(1), reached);
    // The interrupted move went on inside the controller; a new one is sent from where it is.
    rig.robot.move(1, 100000 - rig.robot.aim(1));
    rig.robot.waitdone();
    EXPECT_EQ(rig.robot.coord(1), rig.robot.aim(1));
    EXPECT_EQ(rig.controller->flowViolations(), 0);
}

TEST(LinkFaults, QueueThatNeverDrainsWaitsUntilTheLinkFails) {
    sim::SimConfig config;
    config.stallAfterReports = 2;
    config.unplugAfterReports = 50;  // half a second of stalled 10 ms reports
    SimRig rig(config);
    ASSERT_TRUE(rig.robot.init());
    for (int k = 1; k <= 3; ++k) rig.robot.move(k, 5000);
    EXPECT_THROW(rig.robot.flush(), ReadErrorEx);
    // It polled the answering controller all along, and gave up only when the device went.
    EXPECT_EQ(rig.controller->reportsSent(), 50u);
    EXPECT_FALSE(rig.robot.link().isOpen());
    EXPECT_EQ(rig.robot.aim(1), 5000);
    EXPECT_EQ(rig.controller->position(1), 0);
}

TEST(LinkFaults, FailedWritesEndTheMoveAndAFreshInitResynchronises) {
    sim::SimConfig config;
    config.failWritesAfter = 1;
    SimRig rig(config);
    ASSERT_TRUE(rig.robot.init());
    EXPECT_EQ(rig.robot.move(1, 1000), 1000);
    EXPECT_THROW(rig.robot.move(1, 1000), WriteErrorEx);
    EXPECT_THROW(rig.robot.home(2), WriteErrorEx);
    // The link stays open after a failed write; init re-reads where the axes really are.
    EXPECT_TRUE(rig.robot.link().isOpen());
    ASSERT_TRUE(rig.robot.init());
    EXPECT_EQ(rig.robot.aim(1), 1000);
    EXPECT_EQ(rig.robot.coord(1), 1000);
    EXPECT_EQ(rig.robot.link().sentCount(), 1);
}

// A long lab script: thousands of moves to positions spread over 8000 steps on the home side of
// every flag (whose range ends there: beyond it no homing finds it), with a homing every 10 moves.
// Every report must arrive, with flow control kept, and every axis must end where the books say.
TEST(LinkFaults, SoakOfThousandsOfMovesAndHomings) {
    sim::SimConfig config;
    config.ticksPerReport = 20000;
    SimRig rig(config);
    ASSERT_TRUE(rig.robot.init());
    const RobotControlPar& par = rig.robot.parameters();
    std::size_t sent = 0;
    int homings = 0;
    for (int i = 0; i < 3000; ++i) {
        const int axis = 1 + i % 3;
        const int sign = par.get_flagdir(axis) == NEGATIVE ? -1 : 1;  // user direction of aim
        const int target = ((i * 37) % 9) * 1000 + (i % 2 == 0 ? 350 : 125);
        if (rig.robot.move(axis, target - sign * rig.robot.aim(axis)) != 0) ++sent;
        if (i % 10 == 9) {
            const std::size_t before = rig.controller->received().size();
            ASSERT_TRUE(rig.robot.home(axis));
            sent += rig.controller->received().size() - before;
            ++homings;
            ASSERT_EQ(rig.robot.coord(axis), 0) << "homing " << homings;
        }
    }
    rig.robot.waitdone();
    EXPECT_EQ(homings, 300);
    EXPECT_EQ(rig.controller->received().size(), sent);
    EXPECT_EQ(rig.robot.link().sentCount(), static_cast<uint8_t>(sent));
    EXPECT_EQ(rig.controller->flowViolations(), 0);
    for (int axis = 1; axis <= 3; ++axis) {
        EXPECT_EQ(rig.robot.coord(axis), rig.robot.aim(axis)) << "axis " << axis;
        EXPECT_EQ(rig.controller->position(axis), rig.robot.aim(axis)) << "axis " << axis;
    }
}

}  // namespace
}  // namespace arx
