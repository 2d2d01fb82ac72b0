// HidrawBackend: enumeration through sysfs, and reads with poll() and a time-out.
#include "hidraw_backend.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "hidraw_parsers.h"

namespace arx {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> readWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// N of "hidrawN", or -1 for any other name.
long hidrawNumber(const std::string& name) {
    static const std::string prefix = "hidraw";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
    const std::string digits = name.substr(prefix.size());
    if (digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return -1;
    }
    return std::strtol(digits.c_str(), nullptr, 10);
}

}  // namespace

HidrawBackend::HidrawBackend(std::string sysClassRoot, std::string devRoot)
    : sysRoot_(std::move(sysClassRoot)), devRoot_(std::move(devRoot)) {}

std::vector<HidDeviceInfo> HidrawBackend::enumerate() {
    std::vector<std::pair<long, std::string>> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(sysRoot_, ec)) {
        const std::string name = entry.path().filename().string();
        const long number = hidrawNumber(name);
        if (number >= 0) names.emplace_back(number, name);
    }
    std::sort(names.begin(), names.end());
    std::vector<HidDeviceInfo> devices;
    for (const auto& [number, name] : names) {
        HidDeviceInfo info;
        info.path = name;
        if (const auto uevent = readWholeFile(fs::path(sysRoot_) / name / "device" / "uevent")) {
            if (const auto ids = parseUeventIds(*uevent)) {
                info.vendorId = ids->vendorId;
                info.productId = ids->productId;
            }
        }
        devices.push_back(std::move(info));
    }
    return devices;
}

std::unique_ptr<HidDevice> HidrawBackend::open(const std::string& path) {
    // Only entry names are accepted: the path must not lead out of the device folder.
    if (hidrawNumber(path) < 0) return nullptr;
    std::optional<HidCaps> caps;
    bool usesIds = false;
    if (const auto descriptor =
            readWholeFile(fs::path(sysRoot_) / path / "device" / "report_descriptor")) {
        const auto lengths = parseReportDescriptor(
            reinterpret_cast<const uint8_t*>(descriptor->data()), descriptor->size());
        if (lengths) {
            caps = HidCaps{lengths->input, lengths->output};
            usesIds = lengths->usesReportIds;
        }
    }
    const std::string node = (fs::path(devRoot_) / path).string();
    const int fd = ::open(node.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::make_unique<HidrawDevice>(fd, caps, usesIds);
}

HidrawDevice::HidrawDevice(int fd, std::optional<HidCaps> caps, bool usesReportIds)
    : fd_(fd), caps_(caps), usesReportIds_(usesReportIds) {}

HidrawDevice::~HidrawDevice() {
    if (fd_ >= 0) ::close(fd_);
}

HidReadResult HidrawDevice::read(uint8_t* buf, std::size_t length, int timeoutMs) {
    if (length == 0) return HidReadResult::Failed;
    // Wait with poll() rather than a non-blocking read: some kernels report an unplugged
    // device badly under O_NONBLOCK, while poll() wakes with POLLHUP or POLLERR.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd p{fd_, POLLIN, 0};
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int rc = ::poll(&p, 1, static_cast<int>(std::max<long long>(0, left.count())));
        if (rc > 0) break;
        if (rc == 0) return HidReadResult::Timeout;
        if (errno != EINTR) return HidReadResult::Failed;
    }
    if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) return HidReadResult::Failed;
    // hidraw hands over a report without its ID byte when the device numbers no reports; our
    // offsets count byte 0 as the report ID, so such a report goes in behind a 0.
    uint8_t* target = buf;
    std::size_t room = length;
    if (!usesReportIds_) {
        buf[0] = 0;
        ++target;
        --room;
    }
    std::fill(target, target + room, uint8_t{0});
    ssize_t got;
    do {
        got = ::read(fd_, target, room);
    } while (got < 0 && errno == EINTR);
    return got > 0 ? HidReadResult::Ok : HidReadResult::Failed;
}

long HidrawDevice::write(const uint8_t* data, std::size_t length) {
    // hidraw takes the report ID as the first byte, 0 for a device without numbered reports:
    // exactly byte 0 of our command report.
    ssize_t written;
    do {
        written = ::write(fd_, data, length);
    } while (written < 0 && errno == EINTR);
    return static_cast<long>(written);
}

}  // namespace arx
