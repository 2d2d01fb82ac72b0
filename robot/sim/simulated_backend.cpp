// SimulatedBackend: the simulated controller as one HID device, chosen through ARXUSB_SIMULATOR.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "simulated_controller.h"

namespace arx::sim {

namespace {

const char* const kDevicePath = "sim0";

class SimulatedDevice : public HidDevice {
public:
    explicit SimulatedDevice(std::shared_ptr<SimulatedController> controller)
        : controller_(std::move(controller)) {}

    std::optional<HidCaps> capabilities() override {
        return HidCaps{controller_->config().inputReportLength,
                       controller_->config().outputReportLength};
    }

    HidReadResult read(uint8_t* buf, std::size_t length, int timeoutMs) override {
        // An unplugged device fails at once, as poll() reports a hang-up.
        if (controller_->unplugged()) return HidReadResult::Failed;
        // Only the stalled controller takes its time: elsewhere simulated motion needs no waiting.
        if (controller_->stalled()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kStalledReportIntervalMs));
        }
        if (controller_->nextStatus(buf, length)) return HidReadResult::Ok;
        // A controller that stopped answering keeps the reader waiting for the whole time-out,
        // as the real one would.
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return HidReadResult::Timeout;
    }

    long write(const uint8_t* data, std::size_t length) override {
        if (controller_->unplugged()) return -1;
        return controller_->receive(data, length);
    }

private:
    std::shared_ptr<SimulatedController> controller_;
};

// A backend without devices, for a configuration that could not be read.
class EmptyBackend : public HidBackend {
public:
    std::vector<HidDeviceInfo> enumerate() override { return {}; }
    std::unique_ptr<HidDevice> open(const std::string&) override { return nullptr; }
};

}  // namespace

SimulatedBackend::SimulatedBackend(std::shared_ptr<SimulatedController> controller)
    : controller_(std::move(controller)) {}

std::vector<HidDeviceInfo> SimulatedBackend::enumerate() {
    if (controller_->unplugged()) return {};
    HidDeviceInfo info;
    info.path = kDevicePath;
    info.vendorId = controller_->config().vendorId;
    info.productId = controller_->config().productId;
    return {info};
}

std::unique_ptr<HidDevice> SimulatedBackend::open(const std::string& path) {
    if (path != kDevicePath) return nullptr;
    return std::make_unique<SimulatedDevice>(controller_);
}

std::unique_ptr<HidBackend> makeSimulatedBackend(const std::string& setting) {
    SimConfig config;
    if (setting != "1") {
        std::ifstream in(setting);
        if (!in) {
            std::fprintf(stderr, "ARXUSB_SIMULATOR: cannot read %s\n", setting.c_str());
            return std::make_unique<EmptyBackend>();
        }
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        std::string error;
        const auto parsed = parseSimConfig(text, error);
        if (!parsed) {
            std::fprintf(stderr, "ARXUSB_SIMULATOR: %s: %s\n", setting.c_str(), error.c_str());
            return std::make_unique<EmptyBackend>();
        }
        config = *parsed;
    }
    if (const char* log = std::getenv("ARXUSB_SIMULATOR_LOG")) config.logPath = log;
    return std::make_unique<SimulatedBackend>(std::make_shared<SimulatedController>(config));
}

}  // namespace arx::sim
