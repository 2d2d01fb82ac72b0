// What the controller cannot carry: moves whose command fields or target do not fit are refused
// before anything is sent; travel limits; time limits of the waits. (The parameter checks and
// their texts are tested through the module, tests/python/test_par.py.)
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "sim_rig.h"

namespace arx {
namespace {

using testing::expectChat;
using testing::SimRig;

struct EdgeCase {
    const char* what;
    int axis, steps, rampOffset;
    bool homing;
    int velocity;
    const char* report;   // null: refused, nothing sent
    const char* refusal;  // part of the refusal's text
};

// Each rule at its edge: the largest value that fits, then the smallest that does not.
TEST(RobotLimits, MovesAtTheEdgesOfTheCommandAndThePositionRange) {
    const EdgeCase cases[] = {
        {"speed 255", 1, 6000000, 0, false, 255, "00 01 00 01 40 ff 29 1d 01", nullptr},
        {"speed 256", 1, 6000000, 0, false, 256, nullptr, "speed 256 does not fit"},
        {"offset byte 255", 1, 1000, 16319, false, 0, "00 01 00 ff 40 02 74 02 01", nullptr},
        {"offset byte 256", 1, 1000, 16320, false, 0, nullptr, "offset byte 256"},
        {"offset byte 0", 1, 1000, -127, false, 0, "00 01 00 00 40 02 74 02 01", nullptr},
        {"offset byte -1", 1, 1000, -128, false, 0, nullptr, "offset byte -1"},
        // Only a homing-mode move, which the position range does not bound, needs 2^24 periods.
        {"2^24 periods", 1, 16777216 + 64, 0, true, 1, "00 01 30 01 40 01 00 00 00", nullptr},
        {"2^24 + 1 periods", 1, 16777216 + 65, 0, true, 1, nullptr, "16777217 full-speed periods"},
        {"target 2^23 - 1", 1, 8388607, 0, false, 1, "00 01 00 01 40 01 bf 00 80", nullptr},
        {"target 2^23", 1, 8388608, 0, false, 1, nullptr, "target 8388608 (device steps)"},
        {"target 2^23 at v_max", 1, 8388608, 0, false, 0, nullptr, "target 8388608"},
        {"target -2^23", 1, -8388608, 0, false, 1, "00 01 80 01 40 01 c0 00 80", nullptr},
        {"target -2^23 - 1", 1, -8388609, 0, false, 1, nullptr, "target -8388609"},
        // NEGATIVE axis: the range is the device's.
        {"axis 2 to device -2^23", 2, 8388608, 0, false, 1, "00 02 80 01 40 01 c0 00 80", nullptr},
        {"axis 2 to device 2^23", 2, -8388608, 0, false, 1, nullptr, "target 8388608"},
    };
    for (const EdgeCase& c : cases) {
        SCOPED_TRACE(c.what);
        SimRig rig;
        ASSERT_TRUE(rig.robot.init());
        if (c.report != nullptr) {
            EXPECT_NE(rig.robot.move(c.axis, c.steps, c.rampOffset, false, c.homing, c.velocity),
                      0);
            expectChat(rig, {c.report});
            continue;
        }
        try {
            rig.robot.move(c.axis, c.steps, c.rampOffset, false, c.homing, c.velocity);
            ADD_FAILURE() << "not refused";
        } catch (const RobotParEx& e) {
            EXPECT_NE(e.text().find(c.refusal), std::string::npos) << e.text();
            EXPECT_EQ(e.text().rfind("move on axis " + std::to_string(c.axis) + ": ", 0), 0u);
        }
        EXPECT_EQ(rig.robot.aim(c.axis), 0);
        expectChat(rig, {});
    }
}

TEST(RobotLimits, RampLengthFromARecordThatBypassedTheChecks) {
    SimRig rig;
    RobotControlPar par;
    par.accel[0] = 256;  // the public member takes what set_accel refuses
    par.accel[2] = 255;
    ASSERT_TRUE(rig.robot.init(&par));
    EXPECT_THROW(rig.robot.move(1, 1000000), RobotParEx);
    EXPECT_EQ(rig.robot.move(3, 1000000), 1000000);
    expectChat(rig, {"00 03 00 01 ff 20 32 5b 01"});
}

TEST(RobotLimits, TravelLimitsInTheUserDirection) {
    SimRig rig;
    RobotControlPar par;
    par.set_travel_limits(1, 0, 10000);
    par.set_travel_limits(2, -500, 500);  // NEGATIVE: device positions -500..500 reversed
    ASSERT_TRUE(rig.robot.init(&par));
    EXPECT_EQ(rig.robot.move(1, 10000, 0, false, false, 1), 10000);
    EXPECT_THROW(rig.robot.move(1, 2, 0, false, false, 1), RobotParEx);
    EXPECT_EQ(rig.robot.move(2, 500, 0, false, false, 1), 500);
    EXPECT_THROW(rig.robot.move(2, -1001, 0, false, false, 1), RobotParEx);
    EXPECT_EQ(rig.robot.move(2, -1000, 0, false, false, 1), -1000);
    // Homing runs over maxstep whatever the limits.
    EXPECT_NE(rig.robot.move(1, 100000, 0, false, true), 0);
    EXPECT_EQ(rig.takeReports().size(), 4u);
    EXPECT_THROW(par.set_travel_limits(1, 5, 4), RobotParEx);
    EXPECT_EQ(par.get_travel_min(1), 0);
    EXPECT_EQ(RobotControlPar().get_travel_max(3), INT_MAX);
}

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A wait with a limit on a controller that answers but never finishes: TimeoutEx (a
// ReadErrorEx) soon after the limit, and the device stays open.
TEST(RobotLimits, WaitsEndAtTheirTimeLimit) {
    sim::SimConfig config;
    config.stallAfterReports = 2;
    SimRig rig(config);
    ASSERT_TRUE(rig.robot.init());
    ASSERT_EQ(rig.robot.move(1, 100000), 100000);
    using Wait = std::pair<const char*, void (*)(RobotControlImp&)>;
    const Wait waits[] = {
        {"waitdone", [](RobotControlImp& r) { r.waitdone(milliseconds(150)); }},
        {"flush", [](RobotControlImp& r) { r.flush(milliseconds(150)); }},
        {"home", [](RobotControlImp& r) { r.home(2, milliseconds(150)); }},
    };
    for (const auto& [name, wait] : waits) {
        SCOPED_TRACE(name);
        const Clock::time_point start = Clock::now();
        try {
            wait(rig.robot);
            ADD_FAILURE() << "no time-out";
        } catch (const TimeoutEx& e) {
            EXPECT_EQ(e.text(), "the time limit passed before the controller was done");
        }
        const auto took = Clock::now() - start;
        EXPECT_GE(took, milliseconds(150));
        EXPECT_LT(took, milliseconds(250));
        EXPECT_TRUE(rig.robot.link().isOpen());
    }
    // The limit ended with the wait: a status read goes on as before.
    EXPECT_NO_THROW(rig.robot.coord(1));
}

}  // namespace
}  // namespace arx
