// HidLink: the controller's transport; command and status report formats, flow control, time-out.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "hid_backend.h"

namespace arx {

// A command (output) report, bytes 0..8, and the displacement D it travels.
struct CommandReport {
    std::array<uint8_t, 9> bytes{};
    int32_t displacement = 0;
};

// Builds a command report: n as three nested 8-bit loop counts (a byte 0 stands for 256),
// byte 3 = offset / a + 1 when a != 0, D = (a*v + n)*v in 32-bit wrap-around arithmetic.
CommandReport makeCommandReport(int axis, int mode, int32_t a, int32_t v, int32_t n,
                                int32_t offset);

// The fields of a status (input) report.
struct StatusReport {
    std::array<int32_t, 3> position{};
    std::array<bool, 3> done{};
    std::array<bool, 3> homeFlag{};
    uint8_t deviceCount = 0;
    uint8_t pending = 0;
};

// The status report needs bytes 0..18 of an input report.
inline constexpr std::size_t kStatusReportBytes = 19;
inline constexpr std::size_t kCommandReportBytes = 9;
// Status reads give up after this long.
inline constexpr int kReadTimeoutMs = 6000;
// With a wait hook installed, a status read waits in slices of at most this long, calling the
// hook between them.
inline constexpr int kWaitSliceMs = 100;

// Decodes bytes 0..18 (byte 0 the report ID): home flags from byte 1, counts from bytes 2
// and 3, per axis a status byte and a 24-bit little-endian two's-complement position.
StatusReport decodeStatusReport(const uint8_t* bytes);

// Sign-extends the 24-bit little-endian value at p.
int32_t decodePosition24(const uint8_t* p);

class HidLink {
public:
    explicit HidLink(std::unique_ptr<HidBackend> backend);
    ~HidLink();
    HidLink(const HidLink&) = delete;
    HidLink& operator=(const HidLink&) = delete;

    // Opens the first device with these 16-bit ids; ids above 0xFFFF never match.
    // Closes any device opened before.
    bool open(uint32_t vendorId, uint32_t productId);
    // Closes the device, if any.
    void close();
    bool isOpen() const { return device_ != nullptr; }

    // Reads the next status report; on a time-out or failure closes the device and throws
    // ReadErrorEx (and so does every later read until the next successful open).
    void readStatus();
    // Reads status until the device has accepted every command sent and at most 3 wait.
    void waitWritable();
    // Waits until writable, then writes the report; WriteErrorEx when it is not written whole.
    void send(const CommandReport& report);

    // The diagnostic hook receives a label after each platform call, and the failure text of a
    // failed read. It does nothing unless one is installed.
    void setDiagnosticHook(std::function<void(const std::string&)> hook);
    // The wait hook is called before every status read and, while a read waits, at least every
    // kWaitSliceMs; the time-out stays kReadTimeoutMs in all. It may throw to abandon the wait:
    // the exception leaves the operation with the device open and the status of the last report
    // (a command is never half written). An empty hook restores plain blocking reads.
    void setWaitHook(std::function<void()> hook);

    // A caller's time limit for the reads that follow: a read that would have to wait beyond it
    // throws TimeoutEx instead, leaving the device open and the status of the last report.
    // Nothing clears it but another call (with nothing: no limit).
    using Clock = std::chrono::steady_clock;
    void setDeadline(std::optional<Clock::time_point> deadline) { deadline_ = deadline; }

    HidCaps caps() const { return caps_; }
    uint8_t sentCount() const { return sentCount_; }
    void setSentCount(uint8_t count) { sentCount_ = count; }
    const StatusReport& status() const { return status_; }

private:
    void diagnose(const std::string& label) const;
    bool tryDevice(const HidDeviceInfo& info, uint32_t vendorId, uint32_t productId);
    HidReadResult readUntil(uint8_t* buffer, Clock::time_point limit);

    std::unique_ptr<HidBackend> backend_;
    std::unique_ptr<HidDevice> device_;
    HidCaps caps_;
    uint8_t sentCount_ = 0;
    StatusReport status_;
    std::function<void(const std::string&)> hook_;
    std::function<void()> waitHook_;
    std::optional<Clock::time_point> deadline_;
};

}  // namespace arx
