// RobotControlPar: defaults, range-checked accessors and the printout.
#include "robot_control_par.h"

#include <cstdio>
#include <string>

#include "robot_exceptions.h"

namespace arx {

namespace {

// A member's range as its set_ function checks it; empty bounds for the unchecked ones.
struct Range {
    long long low, high;
};
constexpr Range kSpeedRange{1, kMaxCommandByte};
constexpr Range kAccelRange{0, kMaxCommandByte};
constexpr Range kAnyUnsigned{0, UINT_MAX};

// "v_max of axis 1 must be 1..255, not 1000".
void checkValue(const char* member, int axis, long long value, Range range) {
    if (value >= range.low && value <= range.high) return;
    throw RobotParEx(std::string(member) + " of axis " + std::to_string(axis) + " must be " +
                     std::to_string(range.low) + ".." + std::to_string(range.high) + ", not " +
                     std::to_string(value));
}

// Checks axis and value, then stores the value into the member's entry of the axis.
void setChecked(unsigned int (&member)[3], const char* name, int axis, unsigned int value,
                Range range) {
    const int i = axisIndex(axis, name);
    checkValue(name, axis, value, range);
    member[i] = value;
}

}  // namespace

RobotControlPar::RobotControlPar()
    : flagdir{POSITIVE, NEGATIVE, POSITIVE},
      accel{64, 64, 64},
      v_max{128, 128, 128},
      v_home_f{4, 4, 4},
      v_home_s{2, 2, 2},
      maxstep{0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
      homestep{8, 8, 8},
      vendor_id(0x4242),
      product_id(0x4201),
      travel_min{INT_MIN, INT_MIN, INT_MIN},
      travel_max{INT_MAX, INT_MAX, INT_MAX} {}

int axisIndex(int axis, const char* operation) {
    if (axis < AXIS_BASE || axis >= AXIS_BASE + kAxisCount) {
        throw RobotParEx(std::string(operation) + ": axis must be 1..3, not " +
                         std::to_string(axis));
    }
    return axis - AXIS_BASE;
}

void checkUsbId(const char* member, unsigned int value) {
    if (value <= 0xFFFF) return;
    char text[80];
    std::snprintf(text, sizeof text, "%s must be 0x0000..0xFFFF, not 0x%X", member, value);
    throw RobotParEx(text);
}

FLAG_DIR RobotControlPar::get_flagdir(int axis) const {
    return flagdir[axisIndex(axis, "flagdir")];
}
void RobotControlPar::set_flagdir(int axis, FLAG_DIR value) {
    const int i = axisIndex(axis, "flagdir");
    if (value != POSITIVE && value != NEGATIVE) {
        throw RobotParEx("flagdir of axis " + std::to_string(axis) + " must be 1 or -1, not " +
                         std::to_string(static_cast<int>(value)));
    }
    flagdir[i] = value;
}
unsigned int RobotControlPar::get_accel(int axis) const { return accel[axisIndex(axis, "accel")]; }
void RobotControlPar::set_accel(int axis, unsigned int value) {
    setChecked(accel, "accel", axis, value, kAccelRange);
}
unsigned int RobotControlPar::get_v_max(int axis) const { return v_max[axisIndex(axis, "v_max")]; }
void RobotControlPar::set_v_max(int axis, unsigned int value) {
    setChecked(v_max, "v_max", axis, value, kSpeedRange);
}
unsigned int RobotControlPar::get_v_home_f(int axis) const {
    return v_home_f[axisIndex(axis, "v_home_f")];
}
void RobotControlPar::set_v_home_f(int axis, unsigned int value) {
    setChecked(v_home_f, "v_home_f", axis, value, kSpeedRange);
}
unsigned int RobotControlPar::get_v_home_s(int axis) const {
    return v_home_s[axisIndex(axis, "v_home_s")];
}
void RobotControlPar::set_v_home_s(int axis, unsigned int value) {
    setChecked(v_home_s, "v_home_s", axis, value, kSpeedRange);
}
unsigned int RobotControlPar::get_homestep(int axis) const {
    return homestep[axisIndex(axis, "homestep")];
}
void RobotControlPar::set_homestep(int axis, unsigned int value) {
    setChecked(homestep, "homestep", axis, value, kAnyUnsigned);
}
unsigned int RobotControlPar::get_maxstep(int axis) const {
    return maxstep[axisIndex(axis, "maxstep")];
}
void RobotControlPar::set_maxstep(int axis, unsigned int value) {
    setChecked(maxstep, "maxstep", axis, value, kAnyUnsigned);
}

int RobotControlPar::get_travel_min(int axis) const {
    return travel_min[axisIndex(axis, "travel_min")];
}
int RobotControlPar::get_travel_max(int axis) const {
    return travel_max[axisIndex(axis, "travel_max")];
}
void RobotControlPar::set_travel_limits(int axis, int low, int high) {
    const int i = axisIndex(axis, "travel limits");
    if (low > high) {
        throw RobotParEx("travel limits of axis " + std::to_string(axis) +
                         " must have low <= high, not " + std::to_string(low) + ".." +
                         std::to_string(high));
    }
    travel_min[i] = low;
    travel_max[i] = high;
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
