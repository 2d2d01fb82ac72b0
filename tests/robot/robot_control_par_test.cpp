// RobotControlPar: defaults, range-checked accessors, copies and the printout.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "arx.h"

namespace arx {
namespace {

TEST(RobotControlPar, DefaultsPerAxis) {
    const RobotControlPar p;
    const FLAG_DIR dirs[3] = {POSITIVE, NEGATIVE, POSITIVE};
    for (int axis = 1; axis <= 3; ++axis) {
        SCOPED_TRACE(axis);
        EXPECT_EQ(p.get_flagdir(axis), dirs[axis - 1]);
        EXPECT_EQ(p.get_accel(axis), 64u);
        EXPECT_EQ(p.get_v_max(axis), 128u);
        EXPECT_EQ(p.get_v_home_f(axis), 4u);
        EXPECT_EQ(p.get_v_home_s(axis), 2u);
        EXPECT_EQ(p.get_maxstep(axis), 0xFFFFFFu);
        EXPECT_EQ(p.get_homestep(axis), 8u);
    }
    EXPECT_EQ(p.vendor_id, 0x4242u);
    EXPECT_EQ(p.product_id, 0x4201u);
}

TEST(RobotControlPar, AccessorsAddressAxisMinusOne) {
    RobotControlPar p;
    p.set_v_max(3, 77);
    EXPECT_EQ(p.v_max[2], 77u);
    EXPECT_EQ(p.get_v_max(3), 77u);
    p.set_flagdir(2, POSITIVE);
    EXPECT_EQ(p.flagdir[1], POSITIVE);
    p.set_maxstep(1, 5);
    p.set_homestep(1, 6);
    p.set_accel(1, 7);
    p.set_v_home_f(1, 8);
    p.set_v_home_s(1, 9);
    EXPECT_EQ(p.maxstep[0], 5u);
    EXPECT_EQ(p.homestep[0], 6u);
    EXPECT_EQ(p.accel[0], 7u);
    EXPECT_EQ(p.v_home_f[0], 8u);
    EXPECT_EQ(p.v_home_s[0], 9u);
}

TEST(RobotControlPar, AxisOutsideOneToThreeThrowsAndChangesNothing) {
    RobotControlPar p;
    for (int axis : {0, 4, -1, 1000}) {
        SCOPED_TRACE(axis);
        EXPECT_THROW(p.get_v_max(axis), RobotParEx);
        EXPECT_THROW(p.set_v_max(axis, 1), RobotParEx);
        EXPECT_THROW(p.get_flagdir(axis), RobotParEx);
        EXPECT_THROW(p.set_flagdir(axis, NEGATIVE), RobotParEx);
        EXPECT_THROW(p.set_accel(axis, 1), RobotParEx);
        EXPECT_THROW(p.set_maxstep(axis, 1), RobotParEx);
    }
    const RobotControlPar defaults;
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(p.v_max[k], defaults.v_max[k]);
        EXPECT_EQ(p.flagdir[k], defaults.flagdir[k]);
        EXPECT_EQ(p.accel[k], defaults.accel[k]);
        EXPECT_EQ(p.maxstep[k], defaults.maxstep[k]);
    }
}

TEST(RobotControlPar, CopyTakenBeforeSetKeepsOldValues) {
    RobotControlPar p;
    p.vendor_id = 0x1234;
    const RobotControlPar copy(p);
    RobotControlPar assigned;
    assigned = p;
    p.set_accel(2, 9);
    p.product_id = 0x9999;
    EXPECT_EQ(copy.get_accel(2), 64u);
    EXPECT_EQ(assigned.get_accel(2), 64u);
    EXPECT_EQ(copy.vendor_id, 0x1234u);
    EXPECT_EQ(assigned.product_id, 0x4201u);
}

std::vector<std::string> printedLines(const RobotControlPar& p) {
    testing::internal::CaptureStdout();
    p.printout();
    std::istringstream text(testing::internal::GetCapturedStdout());
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
}

TEST(RobotControlPar, PrintoutOfDefaultsHasEightLinesPerAxis) {
    const std::vector<std::string> lines = printedLines(RobotControlPar());
    ASSERT_EQ(lines.size(), 24u);
    const std::vector<std::string> axis0 = {"Axis 0",         "  flagdir  1",       "  accel    64",
                                            "  v_max    128", "  v_home_f 4",       "  v_home_s 2",
                                            "  homestep 8",   "  maxstep  16777215"};
    for (std::size_t i = 0; i < axis0.size(); ++i) EXPECT_EQ(lines[i], axis0[i]);
    EXPECT_EQ(lines[8], "Axis 1");
    EXPECT_EQ(lines[9], "  flagdir  -1");
    EXPECT_EQ(lines[16], "Axis 2");
}

TEST(RobotControlPar, PrintoutShowsUnsignedMembersAsSigned) {
    RobotControlPar p;
    p.set_maxstep(3, 0xFFFFFFFFu);
    p.flagdir[2] = static_cast<FLAG_DIR>(5);  // the public member takes what set_flagdir refuses
    const std::vector<std::string> lines = printedLines(p);
    ASSERT_EQ(lines.size(), 24u);
    EXPECT_EQ(lines[17], "  flagdir  5");
    EXPECT_EQ(lines[23], "  maxstep  -1");
}

}  // namespace
}  // namespace arx
