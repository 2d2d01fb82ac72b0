// A model of the robot's motion-controller firmware, and the HidBackend that reaches it.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hid_backend.h"

namespace arx::sim {

// The positions where an axis's home flag is set: low..high inclusive, in device steps.
struct FlagRange {
    int64_t low = 0;
    int64_t high = 0;
    bool contains(int64_t position) const { return position >= low && position <= high; }
};

struct SimConfig {
    uint16_t vendorId = 0x4242;
    uint16_t productId = 0x4201;
    // Report lengths as the device's capabilities tell them (report-ID byte included).
    uint16_t inputReportLength = 19;
    uint16_t outputReportLength = 9;
    std::array<int64_t, 3> startPosition{0, 0, 0};
    // Axes 1 and 3 reach their flag moving in the device's negative direction, axis 2 (whose
    // default flagdir is NEGATIVE) in the positive one; every default homing ends at 0.
    std::array<FlagRange, 3> flag{FlagRange{-2000, 0}, FlagRange{0, 2000}, FlagRange{-2000, 0}};
    // Motor ticks between two status reports. One tick moves an axis by its current speed.
    uint32_t ticksPerReport = 1000;
    // Status reports that pass before a written command is accepted (counted and queued).
    uint32_t acceptDelayReports = 0;
    // Faults: stop sending status reports after this many; fail every write after this many
    // accepted writes.
    std::optional<uint64_t> stopAfterReports;
    std::optional<uint64_t> failWritesAfter;
    // Fault: the device is unplugged after this many status reports: reads and writes fail at
    // once and enumeration no longer lists it. It comes back, its state kept, after
    // replugAfterAttempts further reads, writes or enumerations (never when unset).
    std::optional<uint64_t> unplugAfterReports;
    std::optional<uint64_t> replugAfterAttempts;
    // Fault: from this many status reports on the controller executes nothing (queued commands
    // never start, moving axes stand still) while it goes on accepting and answering.
    std::optional<uint64_t> stallAfterReports;
    // File that every received output report is appended to, in hex; empty for none.
    std::string logPath;
};

// Reads "key = value" lines ('#' starts a comment). Sets error (with the line number) and
// returns nothing on an unknown key or a bad value.
std::optional<SimConfig> parseSimConfig(const std::string& text, std::string& error);

// One received output report, as the firmware decoded it.
struct SimCommand {
    int axis = 0;
    int mode = 0;
    int64_t a = 0;
    int64_t v = 0;
    int64_t n = 0;
};

class SimulatedController {
public:
    explicit SimulatedController(SimConfig config);

    const SimConfig& config() const { return config_; }

    // Takes one output report (byte 0 the report ID). Returns the bytes taken, or -1 when a
    // write fault is injected.
    long receive(const uint8_t* data, std::size_t length);
    // Advances simulated time by one report period and fills the next status report (length
    // bytes, byte 0 the report ID). False when the device has stopped answering.
    bool nextStatus(uint8_t* buf, std::size_t length);
    // Whether the device is unplugged now; while it is, each call counts one attempt to reach
    // it towards its return.
    bool unplugged();
    // Whether the controller has stopped executing (stall_after_reports reached).
    bool stalled() const;

    // Every output report received, in order, as sent (all bytes).
    const std::vector<std::vector<uint8_t>>& received() const { return received_; }
    // Writes that broke flow control: the device had not yet accepted every earlier command,
    // or more than 3 commands waited, when the report arrived.
    int flowViolations() const { return flowViolations_; }
    int64_t position(int axis) const { return axes_.at(axis - 1).position; }
    bool moving(int axis) const { return axes_.at(axis - 1).motion.has_value(); }
    uint64_t ticks() const { return ticks_; }
    uint64_t reportsSent() const { return reportsSent_; }

private:
    struct Motion {
        SimCommand command;
        int64_t origin = 0;     // position at the start
        int64_t distance = 0;   // D = (a*v + n)*v
        uint64_t duration = 0;  // ticks: two ramps of a*v and n at full speed
        uint64_t elapsed = 0;
    };
    struct Axis {
        int64_t position = 0;
        std::optional<Motion> motion;
    };

    void tick();
    void dispatch();
    void advance(Axis& axis, const FlagRange& flag);
    void accept();
    void log(const uint8_t* data, std::size_t length);

    SimConfig config_;
    std::array<Axis, 3> axes_;
    std::deque<SimCommand> queue_;
    // Written but not yet accepted, with the report count at which each is accepted.
    std::deque<std::pair<SimCommand, uint64_t>> inbox_;
    uint8_t acceptedCount_ = 0;
    uint64_t ticks_ = 0;
    uint64_t reportsSent_ = 0;
    uint64_t writesAccepted_ = 0;
    int flowViolations_ = 0;
    uint64_t unpluggedAttempts_ = 0;
    bool replugged_ = false;
    bool logFailed_ = false;  // the log file could not be opened; said once on stderr
    std::vector<std::vector<uint8_t>> received_;
};

// While stalled, the controller answers one status report per this interval, as the real one
// reports at its own rate, so that a script waiting on it does not spin the CPU.
inline constexpr int kStalledReportIntervalMs = 10;

// The HidBackend of the simulated controller: one device, "sim0", with the configured ids.
class SimulatedBackend : public HidBackend {
public:
    explicit SimulatedBackend(std::shared_ptr<SimulatedController> controller);
    std::vector<HidDeviceInfo> enumerate() override;
    std::unique_ptr<HidDevice> open(const std::string& path) override;

private:
    std::shared_ptr<SimulatedController> controller_;
};

// The backend for the value of ARXUSB_SIMULATOR: "1" for the defaults, otherwise the path of
// a configuration file. ARXUSB_SIMULATOR_LOG, when set, names the report log (a log that cannot
// be opened is reported on stderr once). A configuration that cannot be read is reported on
// stderr and gives a backend with no device.
std::unique_ptr<HidBackend> makeSimulatedBackend(const std::string& setting);

}  // namespace arx::sim
