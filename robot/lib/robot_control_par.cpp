// RobotControlPar: defaults, range-checked accessors and the printout.
#include "robot_control_par.h"

#include <cstdio>

#include "robot_exceptions.h"

namespace arx {

RobotControlPar::RobotControlPar()
    : flagdir{POSITIVE, NEGATIVE, POSITIVE},
      accel{64, 64, 64},
      v_max{128, 128, 128},
      v_home_f{4, 4, 4},
      v_home_s{2, 2, 2},
      maxstep{0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
      homestep{8, 8, 8},
      vendor_id(0x4242),
      product_id(0x4201) {}

int axisIndex(int axis) {
    if (axis < AXIS_BASE || axis >= AXIS_BASE + kAxisCount) throw RobotParEx();
    return axis - AXIS_BASE;
}

FLAG_DIR RobotControlPar::get_flagdir(int axis) const { return flagdir[axisIndex(axis)]; }
void RobotControlPar::set_flagdir(int axis, FLAG_DIR value) { flagdir[axisIndex(axis)] = value; }
unsigned int RobotControlPar::get_accel(int axis) const { return accel[axisIndex(axis)]; }
void RobotControlPar::set_accel(int axis, unsigned int value) { accel[axisIndex(axis)] = value; }
unsigned int RobotControlPar::get_v_max(int axis) const { return v_max[axisIndex(axis)]; }
void RobotControlPar::set_v_max(int axis, unsigned int value) { v_max[axisIndex(axis)] = value; }
unsigned int RobotControlPar::get_v_home_f(int axis) const { return v_home_f[axisIndex(axis)]; }
void RobotControlPar::set_v_home_f(int axis, unsigned int value) {
    v_home_f[axisIndex(axis)] = value;
}
unsigned int RobotControlPar::get_v_home_s(int axis) const { return v_home_s[axisIndex(axis)]; }
void RobotControlPar::set_v_home_s(int axis, unsigned int value) {
    v_home_s[axisIndex(axis)] = value;
}
unsigned int RobotControlPar::get_homestep(int axis) const { return homestep[axisIndex(axis)]; }
void RobotControlPar::set_homestep(int axis, unsigned int value) {
    homestep[axisIndex(axis)] = value;
}
unsigned int RobotControlPar::get_maxstep(int axis) const { return maxstep[axisIndex(axis)]; }
void RobotControlPar::set_maxstep(int axis, unsigned int value) {
    maxstep[axisIndex(axis)] = value;
}

void RobotControlPar::printout() const {
    // The unsigned members print as signed decimal, as the controller's tools always showed them.
    for (int i = 0; i < kAxisCount; ++i) {
        std::printf("Axis %d\n", i);
        std::printf("  flagdir  %d\n", static_cast<int>(flagdir[i]));
        std::printf("  accel    %d\n", static_cast<int>(accel[i]));
        std::printf("  v_max    %d\n", static_cast<int>(v_max[i]));
        std::printf("  v_home_f %d\n", static_cast<int>(v_home_f[i]));
        std::printf("  v_home_s %d\n", static_cast<int>(v_home_s[i]));
        std::printf("  homestep %d\n", static_cast<int>(homestep[i]));
        std::printf("  maxstep  %d\n", static_cast<int>(maxstep[i]));
    }
    std::fflush(stdout);
}

}  // namespace arx
