// A scripted HidBackend for transport tests: devices with given ids, queued input reports.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hid_backend.h"

namespace arx::testing {

// What the tests observe of one fake device, shared with the device objects opened on it.
struct FakeDeviceState {
    std::string path;
    std::optional<uint16_t> vendorId, productId;
    std::optional<HidCaps> caps = HidCaps{19, 9};
    bool openable = true;
    int opens = 0;
    int closes = 0;
    std::deque<std::vector<uint8_t>> inputs;  // reports handed out by read, in order
    HidReadResult whenEmpty = HidReadResult::Timeout;
    // When set, makes the report read once the queued ones are used up.
    std::function<std::vector<uint8_t>(const FakeDeviceState&)> generate;
    std::vector<std::vector<uint8_t>> written;
    long writeResult = -2;  // -2: write everything; otherwise the value write returns
    std::size_t lastReadLength = 0;
    std::vector<int> readTimeouts;  // the time-out of every read, in order
};

class FakeDevice : public HidDevice {
public:
    explicit FakeDevice(std::shared_ptr<FakeDeviceState> s) : s_(std::move(s)) {}
    ~FakeDevice() override { ++s_->closes; }
    std::optional<HidCaps> capabilities() override { return s_->caps; }
    HidReadResult read(uint8_t* buf, std::size_t length, int timeoutMs) override {
        s_->lastReadLength = length;
        s_->readTimeouts.push_back(timeoutMs);
        std::vector<uint8_t> r;
        if (!s_->inputs.empty()) {
            r = s_->inputs.front();
            s_->inputs.pop_front();
        } else if (s_->generate) {
            r = s_->generate(*s_);
        } else {
            return s_->whenEmpty;
        }
        for (std::size_t i = 0; i < length; ++i) buf[i] = i < r.size() ? r[i] : 0;
        return HidReadResult::Ok;
    }
    long write(const uint8_t* data, std::size_t length) override {
        if (s_->writeResult != -2) return s_->writeResult;
        s_->written.emplace_back(data, data + length);
        return static_cast<long>(length);
    }

private:
    std::shared_ptr<FakeDeviceState> s_;
};

class FakeBackend : public HidBackend {
public:
    std::shared_ptr<FakeDeviceState> add(const std::string& path, std::optional<uint16_t> vid,
                                         std::optional<uint16_t> pid) {
        auto s = std::make_shared<FakeDeviceState>();
        s->path = path;
        s->vendorId = vid;
        s->productId = pid;
        devices_.push_back(s);
        return s;
    }
    std::vector<HidDeviceInfo> enumerate() override {
        std::vector<HidDeviceInfo> out;
        for (const auto& d : devices_) out.push_back({d->path, d->vendorId, d->productId});
        return out;
    }
    std::unique_ptr<HidDevice> open(const std::string& path) override {
        for (const auto& d : devices_) {
            if (d->path == path && d->openable) {
                ++d->opens;
                return std::make_unique<FakeDevice>(d);
            }
        }
        return nullptr;
    }

private:
    std::vector<std::shared_ptr<FakeDeviceState>> devices_;
};

// A status report with the given counts; positions and flags 0, all axes at rest.
inline std::vector<uint8_t> statusBytes(uint8_t deviceCount, uint8_t pending) {
    std::vector<uint8_t> r(19, 0);
    r[2] = deviceCount;
    r[3] = pending;
    return r;
}

}  // namespace arx::testing
