// Fuzzes what the robot library reads from outside: the controller's status report, the hidraw
// parsers of sysfs (uevent text and report descriptor) and the simulator's configuration text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "hid_link.h"
#include "hidraw_parsers.h"
#include "simulated_controller.h"

namespace {

// Every field of a status report comes from its bytes; encoding the decoded fields again must
// give the bytes back.
void statusCase(const std::uint8_t* bytes) {
    const arx::StatusReport s = arx::decodeStatusReport(bytes);
    if (s.deviceCount != bytes[2] || s.pending != bytes[3]) std::abort();
    for (int k = 0; k < 3; ++k) {
        const std::uint8_t* block = bytes + 4 + 5 * k;
        if (s.homeFlag[k] != (((bytes[1] >> k) & 1) != 0) || s.done[k] != (block[0] == 0))
            std::abort();
        const std::int32_t p = s.position[k];
        if (p < -0x800000 || p > 0x7FFFFF) std::abort();
        const auto raw = static_cast<std::uint32_t>(p) & 0xFFFFFFu;
        if (block[1] != (raw & 0xFF) || block[2] != ((raw >> 8) & 0xFF) || block[3] != (raw >> 16))
            std::abort();
    }
}

void descriptorCase(const std::string& bytes) {
    const auto lengths = arx::parseReportDescriptor(
        reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    (void)lengths;
}

void ueventCase(const std::string& text) {
    const auto ids = arx::parseUeventIds(text);
    // A match needs the HID_ID line it came from.
    if (ids && text.find("HID_ID=") == std::string::npos) std::abort();
}

void simConfigCase(const std::string& text) {
    std::string error;
    const auto config = arx::sim::parseSimConfig(text, error);
    if (!config && error.empty()) std::abort();  // a refusal always says why
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    switch (provider.ConsumeIntegralInRange(0, 3)) {
    case 0: {
        const auto bytes = provider.ConsumeBytes<std::uint8_t>(arx::kStatusReportBytes);
        if (bytes.size() == arx::kStatusReportBytes) statusCase(bytes.data());
        break;
    }
    case 1: descriptorCase(provider.ConsumeRemainingBytesAsString()); break;
    case 2: ueventCase(provider.ConsumeRemainingBytesAsString()); break;
    default: simConfigCase(provider.ConsumeRemainingBytesAsString()); break;
    }
    return 0;
}
