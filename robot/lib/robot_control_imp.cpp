// RobotControlImp: init, waiting, motion with its speed halving, homing in three passes.
#include <cstdint>
#include <cstdio>
#include <string>

#include "robot_control.h"

namespace arx {

namespace {

// Members are unsigned in the record but the motion arithmetic reads them as signed 32-bit.
int32_t asSigned(unsigned int value) { return static_cast<int32_t>(value); }

// 32-bit wrap-around, done unsigned so that it is defined.
int32_t wrapAdd(int32_t x, int32_t y) {
    return static_cast<int32_t>(static_cast<uint32_t>(x) + static_cast<uint32_t>(y));
}
int32_t wrapNegate(int32_t x) { return static_cast<int32_t>(0u - static_cast<uint32_t>(x)); }

// The largest count of full-speed periods the three nested 8-bit loop counts can express.
constexpr int64_t kMaxPeriods = 16777216;

// Steps of the two ramps, a*v*v. a and v each stay below 2^31, so a*v fits 64 bits but the
// second product may not: it saturates, which only means "more than any distance".
int64_t rampSteps(int64_t a, int64_t v) {
    int64_t steps = 0;
    if (__builtin_mul_overflow(a * v, v, &steps)) return INT64_MAX;
    return steps;
}

bool allDone(const StatusReport& s) { return s.done[0] && s.done[1] && s.done[2]; }

// Positions come back in 24 bits: an ordinary move must end within them.
constexpr int64_t kLowestPosition = -(int64_t{1} << 23);
constexpr int64_t kHighestPosition = (int64_t{1} << 23) - 1;

[[noreturn]] void refuseMove(int axis, const std::string& why) {
    throw RobotParEx("move on axis " + std::to_string(axis) + ": " + why);
}

std::string range(int64_t low, int64_t high) {
    return std::to_string(low) + ".." + std::to_string(high);
}

// Refuses a command whose 8-bit fields or loop counts cannot hold the motion: the controller
// would run another one than the library books.
void checkCommandFits(int axis, int64_t a, int64_t v, int64_t n, int32_t rampOffset) {
    if (a > kMaxCommandByte) {
        refuseMove(axis, "ramp length " + std::to_string(a) + " does not fit the command (" +
                             range(1, kMaxCommandByte) + ")");
    }
    if (v > kMaxCommandByte) {
        refuseMove(axis, "speed " + std::to_string(v) + " does not fit the command (" +
                             range(1, kMaxCommandByte) + ")");
    }
    const int64_t offsetByte = rampOffset / a + 1;
    if (offsetByte < 0 || offsetByte > kMaxCommandByte) {
        refuseMove(axis, "rampOffset " + std::to_string(rampOffset) + " gives offset byte " +
                             std::to_string(offsetByte) + " (rampOffset / " + std::to_string(a) +
                             " + 1), which does not fit the command (" + range(0, kMaxCommandByte) +
                             ")");
    }
    if (n > kMaxPeriods) {
        refuseMove(axis, std::to_string(n) + " full-speed periods do not fit the command (" +
                             range(1, kMaxPeriods) + ")");
    }
}

}  // namespace

RobotControlImp::RobotControlImp() : RobotControlImp(makeDefaultHidBackend()) {}

RobotControlImp::RobotControlImp(std::unique_ptr<HidBackend> backend) : link_(std::move(backend)) {}

RobotControlImp::~RobotControlImp() { link_.close(); }

bool RobotControlImp::init(const RobotControlPar* par) {
    if (par) par_ = *par;
    aim_ = {0, 0, 0};
    initialised_ = false;
    if (!link_.open(par_.vendor_id, par_.product_id)) return false;
    do {
        link_.readStatus();
    } while (link_.status().pending != 0 || !allDone(link_.status()));
    link_.setSentCount(link_.status().deviceCount);
    syncAimToPosition();
    initialised_ = true;
    return true;
}

void RobotControlImp::close() {
    link_.close();
    initialised_ = false;
}

void RobotControlImp::syncAimToPosition() {
    for (int k = 0; k < kAxisCount; ++k) aim_[k] = link_.status().position[k];
}

void RobotControlImp::waitdone() {
    do {
        link_.readStatus();
    } while (link_.status().deviceCount != link_.sentCount() || link_.status().pending != 0 ||
             !allDone(link_.status()));
}

void RobotControlImp::flush() {
    do {
        link_.readStatus();
    } while (link_.status().pending != 0);
}

bool RobotControlImp::idle(int axis) {
    axisIndex(axis, "idle");
    link_.send(makeCommandReport(axis, IDLE_FLAG, 0, 0, 0, 0));
    return true;
}

int RobotControlImp::coord(int axis) {
    const int i = axisIndex(axis, "coord");
    link_.readStatus();
    return link_.status().position[i];
}

int RobotControlImp::aim(int axis) { return aim_[axisIndex(axis, "aim")]; }

bool RobotControlImp::hSensorState(int axis) {
    const int i = axisIndex(axis, "hSensorState");
    link_.readStatus();
    return link_.status().homeFlag[i];
}

int RobotControlImp::move(int axis, int steps, int rampOffset, bool rise, bool homing,
                          int velocity) {
    const int i = axisIndex(axis, "move");
    const bool reversed = par_.flagdir[i] == NEGATIVE;
    // 64-bit: the distance of INT_MIN steps and the product a*v*v must not overflow.
    int64_t dist = reversed ? -int64_t{steps} : int64_t{steps};
    int mode = 0;
    if (dist < 0) {
        mode = DIR_FLAG;
        dist = -dist;
    }
    if (rise) mode |= RAISE_FLAG;
    if (homing) mode |= DECEL_FLAG | CRESET_FLAG;
    int64_t v = velocity != 0 ? velocity : asSigned(homing ? par_.v_home_s[i] : par_.v_max[i]);
    // A speed of 0 or less has no motion to command: refuse it before anything is sent.
    if (v <= 0) refuseMove(axis, "speed " + std::to_string(v) + " must be 1..255");
    int64_t a = asSigned(par_.accel[i]);
    if (a > dist - v) a = dist - v;
    int32_t d = 0;
    if (a >= 1) {
        // Halve the speed until the two ramps leave at least one full-speed period.
        while (dist - rampSteps(a, v) < v) v /= 2;
        const int64_t n = (dist - rampSteps(a, v)) / v;
        checkCommandFits(axis, a, v, n, rampOffset);
        const CommandReport report =
            makeCommandReport(axis, mode, static_cast<int32_t>(a), static_cast<int32_t>(v),
                              static_cast<int32_t>(n), rampOffset);
        d = report.displacement;
        // 32-bit wrap-around as the controller counts: a displacement of 2^31 is INT_MIN.
        if (mode & DIR_FLAG) d = wrapNegate(d);
        // A homing motion ends at the flag, where the count resets: its target means nothing.
        if (!homing) checkTarget(axis, int64_t{aim_[i]} + d);
        link_.send(report);
    }
    aim_[i] = wrapAdd(aim_[i], d);
    return reversed ? wrapNegate(d) : d;
}

void RobotControlImp::checkTarget(int axis, int64_t deviceTarget) const {
    const int i = axis - AXIS_BASE;
    if (deviceTarget < kLowestPosition || deviceTarget > kHighestPosition) {
        refuseMove(axis, "target " + std::to_string(deviceTarget) +
                             " (device steps) lies outside the positions the controller reports (" +
                             range(kLowestPosition, kHighestPosition) + ")");
    }
    const int64_t userTarget = par_.flagdir[i] == NEGATIVE ? -deviceTarget : deviceTarget;
    if (userTarget < par_.travel_min[i] || userTarget > par_.travel_max[i]) {
        refuseMove(axis, "target " + std::to_string(userTarget) +
                             " lies outside the travel limits " +
                             range(par_.travel_min[i], par_.travel_max[i]));
    }
}

bool RobotControlImp::checkFlag(int index, bool expected, const char* message) const {
    if (link_.status().homeFlag[index] == expected) return true;
    if (sink_) {
        sink_(index + AXIS_BASE, message);
    } else {
        std::fputs(message, stdout);
        std::fflush(stdout);
    }
    return false;
}

template <class Wait>
auto RobotControlImp::withDeadline(TimeLimit limit, Wait wait) {
    // The limit ends with the operation, however it ends.
    struct Clear {
        HidLink& link;
        ~Clear() { link.setDeadline(std::nullopt); }
    } clear{link_};
    link_.setDeadline(HidLink::Clock::now() + limit);
    return wait();
}

void RobotControlImp::waitdone(TimeLimit limit) {
    withDeadline(limit, [this] { waitdone(); });
}

void RobotControlImp::flush(TimeLimit limit) {
    withDeadline(limit, [this] { flush(); });
}

bool RobotControlImp::home(int axis, TimeLimit limit) {
    return withDeadline(limit, [this, axis] { return home(axis); });
}

bool RobotControlImp::home(int axis) {
    const int i = axisIndex(axis, "home");
    const int32_t far = asSigned(par_.maxstep[i]);
    const int fast = asSigned(par_.v_home_f[i]);
    const int slow = asSigned(par_.v_home_s[i]);
    waitdone();
    link_.readStatus();
    const bool f0 = link_.status().homeFlag[i];
    // Every pass runs and prints its message whatever the earlier ones found, as operators read
    // them; but an axis whose flag did not change as expected is not home, so the result says so
    // instead of sending the head off from an unknown place.
    bool consistent = true;
    if (f0) {
        // Fast pass off the flag, then slowly back onto its rising edge.
        move(axis, far, 0, false, true, fast);
        waitdone();
        consistent &= checkFlag(i, false, "\rERROR pass 1! flag dropped and flag is 1!\n");
        move(axis, wrapNegate(far), 0, true, true, slow);
        waitdone();
        consistent &= checkFlag(i, true, "\rERROR - pass 2! flag raised and flag is 0!\n");
    } else {
        // Fast onto the flag, slowly off it again, then slowly back onto its rising edge.
        move(axis, wrapNegate(far), 0, true, true, fast);
        waitdone();
        consistent &= checkFlag(i, true, "\rERROR pass 1! flag raised and flag is 0!\n");
        move(axis, far, 0, false, true, slow);
        waitdone();
        consistent &= checkFlag(i, false, "\rERROR - pass 2 ! flag dropped and flag is 1!\n");
        move(axis, wrapNegate(far), 0, true, true, slow);
        waitdone();
        consistent &= checkFlag(i, true, "\rERROR - pass 3 ! flag raised and flag is 0!\n");
    }
    syncAimToPosition();
    return consistent;
}

void RobotControlImp::setGPO(unsigned int, bool) {}

bool RobotControlImp::getStopButton() { return false; }

}  // namespace arx
