// HidBackend: the platform's HID access (enumeration, open, report I/O) behind one small interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace arx {

// One present HID device as enumeration reports it.
struct HidDeviceInfo {
    std::string path;
    // Empty when the ids could not be read: such a device never matches.
    std::optional<uint16_t> vendorId;
    std::optional<uint16_t> productId;
};

// Report lengths of a device; both count the report-ID byte, as the command and status
// formats do (byte 0 is the report ID).
struct HidCaps {
    uint16_t inputReportByteLength = 0;
    uint16_t outputReportByteLength = 0;
};

enum class HidReadResult { Ok, Timeout, Failed, Abandoned };

// An opened device. Destroying it closes it.
class HidDevice {
public:
    virtual ~HidDevice() = default;
    // The report lengths, or nothing when they cannot be determined.
    virtual std::optional<HidCaps> capabilities() = 0;
    // Reads one input report into buf (length bytes, byte 0 the report ID), waiting at most
    // timeoutMs. Bytes the device did not send are left 0.
    virtual HidReadResult read(uint8_t* buf, std::size_t length, int timeoutMs) = 0;
    // Writes one output report (byte 0 the report ID); returns the bytes written, or -1.
    virtual long write(const uint8_t* data, std::size_t length) = 0;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;
    // The present devices in enumeration order.
    virtual std::vector<HidDeviceInfo> enumerate() = 0;
    // Opens a device for reading and writing; null when it cannot be opened.
    virtual std::unique_ptr<HidDevice> open(const std::string& path) = 0;
};

// The backend a new robot-control object uses: the simulated controller when the environment
// variable ARXUSB_SIMULATOR is set (and not empty or "0"), the Linux hidraw backend otherwise.
std::unique_ptr<HidBackend> makeDefaultHidBackend();

}  // namespace arx
