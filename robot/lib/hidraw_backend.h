// The Linux hidraw backend: devices from /sys/class/hidraw, report I/O on /dev/hidrawN.
#pragma once

#include <string>

#include "hid_backend.h"

namespace arx {

class HidrawBackend : public HidBackend {
public:
    // The roots are parameters so that tests can run against a fake sysfs tree.
    explicit HidrawBackend(std::string sysClassRoot = "/sys/class/hidraw",
                           std::string devRoot = "/dev");

    // Entries hidrawN in ascending N, ids from the HID device's uevent.
    std::vector<HidDeviceInfo> enumerate() override;
    // path is the entry name (hidrawN); opens devRoot/hidrawN for reading and writing.
    std::unique_ptr<HidDevice> open(const std::string& path) override;

private:
    std::string sysRoot_;
    std::string devRoot_;
};

// One opened hidraw node. Takes ownership of fd.
class HidrawDevice : public HidDevice {
public:
    HidrawDevice(int fd, std::optional<HidCaps> caps, bool usesReportIds);
    ~HidrawDevice() override;
    HidrawDevice(const HidrawDevice&) = delete;
    HidrawDevice& operator=(const HidrawDevice&) = delete;

    std::optional<HidCaps> capabilities() override { return caps_; }
    HidReadResult read(uint8_t* buf, std::size_t length, int timeoutMs) override;
    long write(const uint8_t* data, std::size_t length) override;

private:
    int fd_;
    std::optional<HidCaps> caps_;
    bool usesReportIds_;
};

}  // namespace arx
