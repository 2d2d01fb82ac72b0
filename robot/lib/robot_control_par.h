// RobotControlPar: per-axis motion parameters and the USB ids of the robot's motion controller.
#pragma once

#include <climits>

#include "robot_constants.h"

namespace arx {

class RobotControlPar {
public:
    RobotControlPar();

    // Per-axis members, entry k for axis k + 1. Public: scripts read and replace them as arrays.
    FLAG_DIR flagdir[3];
    unsigned int accel[3];     // upper bound of the ramp length a
    unsigned int v_max[3];     // default speed of an ordinary move
    unsigned int v_home_f[3];  // speed of the first (fast) homing pass
    unsigned int v_home_s[3];  // speed of the slow homing passes; default speed of a homing move
    unsigned int maxstep[3];   // travel requested by each homing pass
    unsigned int homestep[3];  // kept for callers; no operation uses it
    unsigned int vendor_id;
    unsigned int product_id;
    // Travel limits of each axis in user-direction steps, inclusive: an ordinary move whose
    // target lies outside is refused. INT_MIN and INT_MAX, the defaults, leave an axis unlimited.
    int travel_min[3];
    int travel_max[3];

    // Accessors take the axis number 1..3 and throw RobotParEx for any other, and the set_
    // functions for a value that no command can carry (flagdir only POSITIVE or NEGATIVE, accel
    // 0..255, the speeds 1..255); a refused set_ leaves the record unchanged.
    FLAG_DIR get_flagdir(int axis) const;
    void set_flagdir(int axis, FLAG_DIR value);
    unsigned int get_accel(int axis) const;
    void set_accel(int axis, unsigned int value);
    unsigned int get_v_max(int axis) const;
    void set_v_max(int axis, unsigned int value);
    unsigned int get_v_home_f(int axis) const;
    void set_v_home_f(int axis, unsigned int value);
    unsigned int get_v_home_s(int axis) const;
    void set_v_home_s(int axis, unsigned int value);
    unsigned int get_homestep(int axis) const;
    void set_homestep(int axis, unsigned int value);
    unsigned int get_maxstep(int axis) const;
    void set_maxstep(int axis, unsigned int value);

    int get_travel_min(int axis) const;
    int get_travel_max(int axis) const;
    // RobotParEx unless low <= high.
    void set_travel_limits(int axis, int low, int high);

    // Prints eight lines per axis on the process's standard output.
    void printout() const;
};

// Index 0..2 of an axis number, or RobotParEx ("<operation>: axis must be 1..3, not 4") when the
// number is outside 1..3.
int axisIndex(int axis, const char* operation);

// The largest value of a command's 8-bit fields: ramp length, speed, offset byte.
inline constexpr int kMaxCommandByte = 255;
// RobotParEx unless a USB id (member "vendor_id" or "product_id") fits 16 bits.
void checkUsbId(const char* member, unsigned int value);

}  // namespace arx
