// RobotControl, the robot-control interface; RobotControlImp, its USB HID implementation; the
// factory.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "hid_link.h"
#include "robot_constants.h"
#include "robot_control_par.h"
#include "robot_exceptions.h"

namespace arx {

// Every operation taking an axis throws RobotParEx for an axis outside 1..3 and touches nothing.
// Lengths are motor steps; the controller reports positions in 24 bits.
class RobotControl {
public:
    // Virtual, so that an object handed out by the factory can be deleted through this interface.
    virtual ~RobotControl() = default;

    // Copies the record (when given), opens the controller, waits until it is at rest.
    // False when no controller with the record's ids is present.
    virtual bool init(const RobotControlPar* par = nullptr) = 0;
    // Waits until every command is accepted, the queue is empty and all axes are at rest.
    virtual void waitdone() = 0;
    // Homes the axis in up to three passes; prints a message when a flag fails to change and
    // then returns false (every pass still runs).
    virtual bool home(int axis) = 0;
    // Sends the idle command of the axis.
    virtual bool idle(int axis) = 0;
    // The reported position, device direction (reads one status report).
    virtual int coord(int axis) = 0;
    // The commanded target, device direction (no I/O).
    virtual int aim(int axis) = 0;
    // The home flag of the axis (reads one status report).
    virtual bool hSensorState(int axis) = 0;
    // Commands one ramped motion; returns the displacement commanded, user direction. Throws
    // RobotParEx, sending nothing, when the command's fields cannot carry the motion (ramp
    // length, speed and offset byte 0..255, 1..16777216 full-speed periods), and for an ordinary
    // (non-homing) move whose target leaves the reported range -2^23..2^23-1 or the record's
    // travel limits.
    virtual int move(int axis, int steps, int rampOffset = 0, bool rise = false,
                     bool homing = false, int velocity = 0) = 0;
    // Waits until the controller's queue is empty.
    virtual void flush() = 0;
    virtual void setGPO(unsigned int output, bool state) = 0;
    virtual bool getStopButton() = 0;
};

class RobotControlImp : public RobotControl {
public:
    // Uses makeDefaultHidBackend(): the simulated controller under ARXUSB_SIMULATOR.
    RobotControlImp();
    explicit RobotControlImp(std::unique_ptr<HidBackend> backend);
    // Closes the device handles it holds.
    ~RobotControlImp() override;
    RobotControlImp(const RobotControlImp&) = delete;
    RobotControlImp& operator=(const RobotControlImp&) = delete;

    bool init(const RobotControlPar* par = nullptr) override;
    void waitdone() override;
    bool home(int axis) override;
    bool idle(int axis) override;
    int coord(int axis) override;
    int aim(int axis) override;
    bool hSensorState(int axis) override;
    int move(int axis, int steps, int rampOffset = 0, bool rise = false, bool homing = false,
             int velocity = 0) override;
    void flush() override;
    void setGPO(unsigned int output, bool state) override;
    bool getStopButton() override;

    // The waits with a time limit: when it passes they throw TimeoutEx, leaving the device open
    // (the controller goes on with its queue; a new init resynchronises).
    using TimeLimit = std::chrono::nanoseconds;
    void waitdone(TimeLimit limit);
    void flush(TimeLimit limit);
    bool home(int axis, TimeLimit limit);

    // Receives homing's flag messages (the axis, the text); without one they go to the
    // process's standard output.
    using MessageSink = std::function<void(int axis, const std::string& text)>;
    void setMessageSink(MessageSink sink) { sink_ = std::move(sink); }

    // Closes the device handles; a new init opens the controller again.
    void close();
    // Whether the last init succeeded and close has not been called since; a read failure
    // closes the device but leaves this true, so a caller can tell "never initialised" from
    // "lost the controller".
    bool initSucceeded() const { return initialised_; }

    const RobotControlPar& parameters() const { return par_; }
    HidLink& link() { return link_; }
    const HidLink& link() const { return link_; }

private:
    bool checkFlag(int index, bool expected, const char* message) const;
    void syncAimToPosition();
    // Throws RobotParEx unless an ordinary move to this device position fits.
    void checkTarget(int axis, int64_t deviceTarget) const;
    template <class Wait>
    auto withDeadline(TimeLimit limit, Wait wait);

    HidLink link_;
    RobotControlPar par_;
    std::array<int32_t, 3> aim_{};
    bool initialised_ = false;
    MessageSink sink_;
};

class RobotControlFactory {
public:
    // A new, uninitialised RobotControlImp with default parameters, owned by the caller;
    // null when memory cannot be obtained.
    RobotControl* getRobotControl();

    static RobotControlFactory theFactory;
};

}  // namespace arx
