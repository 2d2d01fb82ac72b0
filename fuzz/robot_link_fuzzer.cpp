// Fuzzes the robot command protocol against a hostile controller: the device's report lengths,
// every status report it answers with and whether its writes succeed come from the input, and
// so does the script of robot operations. Whatever the device says, every operation must end
// with a result or one of the library's exceptions.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "arx.h"

namespace {

class HostileDevice : public arx::HidDevice {
public:
    HostileDevice(FuzzedDataProvider& input, arx::HidCaps caps) : input_(input), caps_(caps) {}
    std::optional<arx::HidCaps> capabilities() override { return caps_; }
    arx::HidReadResult read(std::uint8_t* buf, std::size_t length, int) override {
        // An exhausted script is a silent device, so that every wait ends.
        if (input_.remaining_bytes() == 0) return arx::HidReadResult::Timeout;
        const std::uint8_t kind = input_.ConsumeIntegral<std::uint8_t>();
        if (kind >= 250)
            return kind == 250 ? arx::HidReadResult::Failed : arx::HidReadResult::Abandoned;
        const auto bytes = input_.ConsumeBytes<std::uint8_t>(length);
        for (std::size_t i = 0; i < length; ++i) buf[i] = i < bytes.size() ? bytes[i] : 0;
        return arx::HidReadResult::Ok;
    }
    long write(const std::uint8_t*, std::size_t length) override {
        if (input_.remaining_bytes() > 0 && input_.ConsumeIntegral<std::uint8_t>() == 0xFF)
            return -1;
        return static_cast<long>(length);
    }

private:
    FuzzedDataProvider& input_;
    arx::HidCaps caps_;
};

class HostileBackend : public arx::HidBackend {
public:
    HostileBackend(FuzzedDataProvider& input, arx::HidCaps caps) : input_(input), caps_(caps) {}
    std::vector<arx::HidDeviceInfo> enumerate() override {
        return {arx::HidDeviceInfo{"fuzz0", std::uint16_t{0x4242}, std::uint16_t{0x4201}}};
    }
    std::unique_ptr<arx::HidDevice> open(const std::string&) override {
        return std::make_unique<HostileDevice>(input_, caps_);
    }

private:
    FuzzedDataProvider& input_;
    arx::HidCaps caps_;
};

void runOperation(arx::RobotControlImp& robot, FuzzedDataProvider& input) {
    const int axis = input.ConsumeIntegralInRange(0, 4);  // 0 and 4 are refused
    switch (input.ConsumeIntegralInRange(0, 10)) {
    case 0: robot.init(); break;
    case 1: robot.waitdone(); break;
    case 2: robot.home(axis); break;
    case 3: robot.idle(axis); break;
    case 4: robot.coord(axis); break;
    case 5: robot.hSensorState(axis); break;
    case 6: {
        const int steps = input.ConsumeIntegral<int>();
        const int ramp = input.ConsumeIntegral<int>();
        const bool rise = input.ConsumeBool();
        const bool homing = input.ConsumeBool();
        robot.move(axis, steps, ramp, rise, homing, input.ConsumeIntegral<int>());
        break;
    }
    case 7: robot.flush(); break;
    case 8: robot.setGPO(input.ConsumeIntegral<unsigned>(), input.ConsumeBool()); break;
    case 9: robot.getStopButton(); break;
    default: robot.aim(axis); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    arx::HidCaps caps;
    caps.inputReportByteLength = input.ConsumeIntegralInRange<std::uint16_t>(0, 300);
    caps.outputReportByteLength = input.ConsumeIntegralInRange<std::uint16_t>(0, 300);
    arx::RobotControlPar par;
    for (int k = 0; k < 3; ++k) {
        if (!input.ConsumeBool()) continue;
        par.accel[k] = input.ConsumeIntegral<unsigned>();
        par.v_max[k] = input.ConsumeIntegral<unsigned>();
        par.v_home_f[k] = input.ConsumeIntegral<unsigned>();
        par.v_home_s[k] = input.ConsumeIntegral<unsigned>();
        par.maxstep[k] = input.ConsumeIntegral<unsigned>();
        par.flagdir[k] = input.ConsumeBool() ? arx::POSITIVE : arx::NEGATIVE;
    }
    arx::RobotControlImp robot(std::make_unique<HostileBackend>(input, caps));
    try {
        robot.init(&par);
    } catch (const arx::ReadErrorEx&) {
    }
    for (int op = 0; op < 64 && input.remaining_bytes() > 0; ++op) {
        try {
            runOperation(robot, input);
        } catch (const arx::RobotParEx&) {
        } catch (const arx::ReadErrorEx&) {
        } catch (const arx::WriteErrorEx&) {
        }
    }
    return 0;
}
