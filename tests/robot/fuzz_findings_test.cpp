// Inputs the fuzz harnesses (fuzz/) found faults with, kept as regression tests.
#include <gtest/gtest.h>

#include "sim_rig.h"

namespace arx {
namespace {

using testing::expectChat;
using testing::SimRig;

// Fault: the ramp a*v*v overflowed 64 bits (undefined behaviour) for a long ramp at a high
// speed; robot_link_fuzzer found it with accel and velocity near 2^30.
TEST(FuzzFindings, RampOfAHugeAccelAtHighSpeedDoesNotOverflow) {
    SimRig rig;
    RobotControlPar par;
    par.set_accel(1, 1u << 30);
    ASSERT_TRUE(rig.robot.init(&par));
    const int steps = (1 << 30) + (1 << 20);
    // a*v*v starts at 2^68; v is halved to 1, then n = 2^20 periods.
    EXPECT_EQ(rig.robot.move(1, steps, 0, false, false, 1 << 19), steps);
    EXPECT_EQ(rig.robot.aim(1), steps);
    expectChat(rig, {"00 01 00 01 00 01 00 00 10"});
    // The largest speed and ramp on the longest move: refused by the loop counts, not overflowed.
    par.set_accel(2, 1u << 30);
    ASSERT_TRUE(rig.robot.init(&par));
    EXPECT_THROW(rig.robot.move(2, 2147483647, 0, false, false, 1 << 30), RobotParEx);
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
        // a*v*v + n*v = 32767 * 256^2 + 256 * 256 = 2^31 exactly.
        par.set_accel(1, 32767);
        par.set_flagdir(1, direction);
        ASSERT_TRUE(rig.robot.init(&par));
        EXPECT_EQ(rig.robot.move(1, minSteps, 0, false, false, 256), minSteps);
    }
}

}  // namespace
}  // namespace arx
