// Axis numbers, direction values, speed limits and command mode flags of the arx robot library.
#pragma once

namespace arx {

// Axis numbers: the first axis is 1, so that scripts speak of X, Y and Z as 1, 2 and 3.
enum { AXIS_BASE = 1 };
enum { AX = 1, AY = 2, AZ = 3 };

// Sign between user steps and device steps of one axis. The underlying type is fixed so that
// any int (a flagdir of 5, say) is a valid value; only NEGATIVE reverses an axis.
enum FLAG_DIR : int { NEGATIVE = -1, POSITIVE = 1 };

// Speed limits offered to callers; the library itself never compares against them.
inline constexpr int V_MAX_LIM = 64;
inline constexpr int V_MAX_HOME = 4;

// Mode flags of a command report (byte 2).
inline constexpr int DIR_FLAG = 0x80;     // motion in the device's negative direction
inline constexpr int IDLE_FLAG = 0x40;    // the idle command of the axis
inline constexpr int DECEL_FLAG = 0x20;   // homing-mode motion, always with CRESET_FLAG
inline constexpr int CRESET_FLAG = 0x10;  // homing-mode motion, always with DECEL_FLAG
inline constexpr int RAISE_FLAG = 0x08;   // homing motion ends where the home flag rises

inline constexpr int kAxisCount = 3;

}  // namespace arx
