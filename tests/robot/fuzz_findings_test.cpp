// Inputs the fuzz harnesses (fuzz/) found faults with, kept as regression tests.
#include <gtest/gtest.h>

#include "sim_rig.h"

namespace arx {
namespace {

using testing::expectChat;
using testing::SimRig;

// Fault: the ramp a*v*v overflowed 64 bits (undefined behaviour) for a long ramp at a high
// speed; robot_link_fuzzer found it with accel and velocity near 2^30. The record's public
// array still takes such an accel; the ramp it gives does not fit the command and is refused.
TEST(FuzzFindings, RampOfAHugeAccelAtHighSpeedDoesNotOverflow) {
    SimRig rig;
    RobotControlPar par;
    par.accel[0] = par.accel[1] = 1u << 30;
    ASSERT_TRUE(rig.robot.init(&par));
    // a*v*v starts at 2^68; v is halved to 1 with a = 2^30.
    EXPECT_THROW(rig.robot.move(1, (1 << 30) + (1 << 20), 0, false, true, 1 << 19), RobotParEx);
    EXPECT_THROW(rig.robot.move(2, 2147483647, 0, false, true, 1 << 30), RobotParEx);
    EXPECT_EQ(rig.robot.aim(1), 0);
    expectChat(rig, {});
}

// Fault: a move of 2^31 steps travels a displacement of 2^31, which is INT_MIN in the
// controller's 32 bits; turning it into the user's direction negated INT_MIN (undefined
// behaviour). robot_link_fuzzer found it on an axis that counts the other way.
TEST(FuzzFindings, DisplacementOfTwoToThe31InEitherCountingDirection) {
    const int minSteps = -2147483647 - 1;
    for (const FLAG_DIR direction : {POSITIVE, NEGATIVE}) {
        SCOPED_TRACE(direction);
        SimRig rig;
        RobotControlPar par;
        // a*v*v + n*v = 1 * 128^2 + (2^24 - 128) * 128 = 2^31 exactly; only a homing-mode
        // move may go that far.
        par.set_accel(1, 1);
        par.set_flagdir(1, direction);
        ASSERT_TRUE(rig.robot.init(&par));
        EXPECT_EQ(rig.robot.move(1, minSteps, 0, false, true, 128), minSteps);
    }
}

}  // namespace
}  // namespace arx
