// Homing: the passes' reports against the simulated controller, and the messages of a flag
// that fails to change.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fake_hid.h"
#include "sim_rig.h"

namespace arx {
namespace {

using testing::expectChat;
using testing::SimRig;

struct HomeCase {
    const char* what;
    int axis;
    int64_t start;
    std::vector<std::string> reports;
};

TEST(RobotHome, PassesEndOnTheRisingEdgeOfTheFlag) {
    const HomeCase cases[] = {
        {"axis 1 from a clear flag",
         1,
         5000,
         {"00 01 b8 01 40 04 ff ff 40", "00 01 30 01 40 02 7f 00 80",
          "00 01 b8 01 40 02 7f 00 80"}},
        {"axis 1 from a set flag",
         1,
         -500,
         {"00 01 30 01 40 04 ff ff 40", "00 01 b8 01 40 02 7f 00 80"}},
        // NEGATIVE axis: the negative user direction is the device's positive one.
        {"axis 2 from a clear flag",
         2,
         -5000,
         {"00 02 38 01 40 04 ff ff 40", "00 02 b0 01 40 02 7f 00 80",
          "00 02 38 01 40 02 7f 00 80"}},
        {"axis 2 from a set flag",
         2,
         700,
         {"00 02 b0 01 40 04 ff ff 40", "00 02 38 01 40 02 7f 00 80"}},
    };
    for (const HomeCase& c : cases) {
        SCOPED_TRACE(c.what);
        sim::SimConfig config;
        config.startPosition[c.axis - 1] = c.start;
        config.startPosition[2] = 333;
        SimRig rig(config);
        ASSERT_TRUE(rig.robot.init());
        ::testing::internal::CaptureStdout();
        EXPECT_TRUE(rig.robot.home(c.axis));
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
        expectChat(rig, c.reports);
        // Every default flag's rising edge, approached from the home side, is at 0.
        EXPECT_EQ(rig.robot.coord(c.axis), 0);
        EXPECT_EQ(rig.robot.aim(c.axis), 0);
        EXPECT_EQ(rig.robot.aim(3), 333);
        EXPECT_TRUE(rig.robot.hSensorState(c.axis));
    }
}

// A pass that ends with the flag in the wrong state leaves the axis somewhere unknown: every pass
// still runs and reports, and home reports the failure. The messages go to standard output, or
// to the message sink when one is set.
TEST(RobotHome, FlagOutOfReachReportsGoesOnAndFails) {
    const std::string first = "\rERROR pass 1! flag raised and flag is 0!\n";
    const std::string third = "\rERROR - pass 3 ! flag raised and flag is 0!\n";
    for (const bool sink : {false, true}) {
        SCOPED_TRACE(sink);
        sim::SimConfig config;
        config.flag[0] = {-9000000, -8000000};
        SimRig rig(config);
        RobotControlPar par;
        par.set_maxstep(1, 1000);
        ASSERT_TRUE(rig.robot.init(&par));
        std::vector<std::pair<int, std::string>> received;
        if (sink) {
            rig.robot.setMessageSink(
                [&](int axis, const std::string& text) { received.emplace_back(axis, text); });
        }
        ::testing::internal::CaptureStdout();
        EXPECT_FALSE(rig.robot.home(1));
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), sink ? "" : first + third);
        EXPECT_EQ(received.size(), sink ? 2u : 0u);
        if (sink) {
            EXPECT_EQ(received[1], std::make_pair(1, third));
        }
        EXPECT_EQ(rig.takeReports().size(), 3u);
        EXPECT_EQ(rig.robot.aim(1), rig.robot.coord(1));
    }
}

// A controller whose home flag of axis 1 reads, after k commands, flags[min(k, last)]; every
// command is accepted at once and the axes are always at rest.
std::vector<uint8_t> scriptedFlag(const ::arx::testing::FakeDeviceState& s,
                                  const std::vector<int>& flags) {
    const std::size_t k = std::min(s.written.size(), flags.size() - 1);
    std::vector<uint8_t> r = ::arx::testing::statusBytes(static_cast<uint8_t>(s.written.size()), 0);
    r[1] = static_cast<uint8_t>(flags[k]);
    return r;
}

TEST(RobotHome, MessagesOfEveryPass) {
    struct Case {
        std::vector<int> flags;  // the flag before the first command, after the first, ...
        std::size_t moves;
        const char* printed;
    };
    const Case cases[] = {
        {{0, 1, 0, 1}, 3, ""},
        {{1, 0, 1}, 2, ""},
        {{0, 0, 0, 1}, 3, "\rERROR pass 1! flag raised and flag is 0!\n"},
        {{1, 1, 1}, 2, "\rERROR pass 1! flag dropped and flag is 1!\n"},
        {{1, 0, 0}, 2, "\rERROR - pass 2! flag raised and flag is 0!\n"},
        {{0, 1, 1, 1}, 3, "\rERROR - pass 2 ! flag dropped and flag is 1!\n"},
        {{0, 1, 0, 0}, 3, "\rERROR - pass 3 ! flag raised and flag is 0!\n"},
        {{0, 0, 1, 0},
         3,
         "\rERROR pass 1! flag raised and flag is 0!\n"
         "\rERROR - pass 2 ! flag dropped and flag is 1!\n"
         "\rERROR - pass 3 ! flag raised and flag is 0!\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.printed);
        auto backend = std::make_unique<::arx::testing::FakeBackend>();
        auto dev = backend->add("a", 0x4242, 0x4201);
        dev->generate = [&c](const ::arx::testing::FakeDeviceState& s) {
            return scriptedFlag(s, c.flags);
        };
        RobotControlImp robot(std::move(backend));
        ASSERT_TRUE(robot.init());
        ::testing::internal::CaptureStdout();
        const bool home = robot.home(1);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.printed);
        EXPECT_EQ(home, std::string(c.printed).empty());
        EXPECT_EQ(dev->written.size(), c.moves);
    }
}

}  // namespace
}  // namespace arx
