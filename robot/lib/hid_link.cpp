// HidLink: report encoding and decoding, device open by ids, status reads, flow-controlled sends.
#include "hid_link.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "robot_exceptions.h"

namespace arx {

namespace {

// The read buffer is at least this long; a device with longer input reports gets a buffer
// that fits its reports instead of an overrun.
constexpr std::size_t kMinReadBuffer = 64;

uint8_t low8(uint32_t value) { return static_cast<uint8_t>(value & 0xFFu); }

// One nested 8-bit loop count: ((x AND 0xFF) + 1) modulo 256, so that 0 stands for 256.
uint8_t loopCount(uint32_t nMinus1, int shift) { return low8(((nMinus1 >> shift) & 0xFFu) + 1u); }

const char* failureText(HidReadResult result) {
    switch (result) {
    case HidReadResult::Abandoned: return "Ownership problems";
    case HidReadResult::Timeout: return "ReadFile timeout";
    case HidReadResult::Failed: return "Read failed";
    default: return "Undefined error";
    }
}

constexpr const char* kTimeLimitText = "the time limit passed before the controller was done";

// Milliseconds from now until t, rounded up so that a wait never ends just before it; 0 when
// t has passed.
int millisecondsUntil(HidLink::Clock::time_point t) {
    const auto left = t - HidLink::Clock::now();
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return static_cast<int>(std::clamp<long long>(ms, 0, kReadTimeoutMs));
}

}  // namespace

CommandReport makeCommandReport(int axis, int mode, int32_t a, int32_t v, int32_t n,
                                int32_t offset) {
    CommandReport r;
    r.bytes[0] = 0;
    r.bytes[1] = low8(static_cast<uint32_t>(axis));
    r.bytes[2] = low8(static_cast<uint32_t>(mode));
    // 64-bit so that INT_MIN / -1 cannot trap; only the low 8 bits are kept anyway.
    r.bytes[3] = a != 0 ? low8(static_cast<uint32_t>(int64_t{offset} / a + 1)) : 0;
    r.bytes[4] = low8(static_cast<uint32_t>(a));
    r.bytes[5] = low8(static_cast<uint32_t>(v));
    const uint32_t nMinus1 = static_cast<uint32_t>(n) - 1u;
    r.bytes[6] = loopCount(nMinus1, 0);
    r.bytes[7] = loopCount(nMinus1, 8);
    r.bytes[8] = loopCount(nMinus1, 16);
    // D = (a*v + n)*v with 32-bit wrap-around, done unsigned so that it is defined.
    const uint32_t ua = static_cast<uint32_t>(a), uv = static_cast<uint32_t>(v);
    r.displacement = static_cast<int32_t>((ua * uv + static_cast<uint32_t>(n)) * uv);
    return r;
}

int32_t decodePosition24(const uint8_t* p) {
    const uint32_t raw = uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
    // Sign-extend bit 23.
    return static_cast<int32_t>(raw ^ 0x800000u) - 0x800000;
}

StatusReport decodeStatusReport(const uint8_t* bytes) {
    StatusReport s;
    for (int k = 0; k < 3; ++k) {
        const uint8_t* block = bytes + 4 + 5 * k;
        s.homeFlag[k] = (bytes[1] >> k) & 1u;
        s.done[k] = block[0] == 0;
        s.position[k] = decodePosition24(block + 1);
    }
    s.deviceCount = bytes[2];
    s.pending = bytes[3];
    return s;
}

HidLink::HidLink(std::unique_ptr<HidBackend> backend) : backend_(std::move(backend)) {}

HidLink::~HidLink() = default;

void HidLink::setDiagnosticHook(std::function<void(const std::string&)> hook) {
    hook_ = std::move(hook);
}

void HidLink::setWaitHook(std::function<void()> hook) { waitHook_ = std::move(hook); }

void HidLink::diagnose(const std::string& label) const {
    if (hook_) hook_(label);
}

void HidLink::close() {
    device_.reset();
    caps_ = HidCaps{};
}

bool HidLink::open(uint32_t vendorId, uint32_t productId) {
    // A repeated open must not leak the device of the earlier one.
    close();
    bool found = false;
    if (backend_) {
        for (const HidDeviceInfo& info : backend_->enumerate()) {
            if (tryDevice(info, vendorId, productId)) {
                found = true;
                break;
            }
        }
    }
    diagnose("SetupDiDestroyDeviceInfoList");
    return found;
}

bool HidLink::tryDevice(const HidDeviceInfo& info, uint32_t vendorId, uint32_t productId) {
    // The ids compare zero-extended: a requested id above 0xFFFF never matches.
    const bool idsMatch = info.vendorId && info.productId && *info.vendorId == vendorId &&
                          *info.productId == productId;
    diagnose("HidD_GetAttributes: ");
    if (!idsMatch) return false;
    std::unique_ptr<HidDevice> device = backend_->open(info.path);
    diagnose("CreateFile: ");
    if (!device) return false;
    diagnose("HidD_GetPreparsedData: ");
    const std::optional<HidCaps> caps = device->capabilities();
    diagnose("HidP_GetCaps: ");
    diagnose("HidD_FreePreparsedData: ");
    // A device whose reports cannot hold a command or a status report speaks another protocol.
    if (!caps || caps->inputReportByteLength < kStatusReportBytes ||
        caps->outputReportByteLength < kCommandReportBytes) {
        return false;
    }
    diagnose("CreateFile (ReadHandle): ");
    diagnose("CreateEvent: ");
    device_ = std::move(device);
    caps_ = *caps;
    return true;
}

HidReadResult HidLink::readUntil(uint8_t* buffer, Clock::time_point limit) {
    if (!waitHook_)
        return device_->read(buffer, caps_.inputReportByteLength, millisecondsUntil(limit));
    // The same limit in all, cut into slices so that the hook runs in between.
    for (;;) {
        waitHook_();
        const int slice = std::min(millisecondsUntil(limit), kWaitSliceMs);
        const HidReadResult result = device_->read(buffer, caps_.inputReportByteLength, slice);
        if (result != HidReadResult::Timeout || slice < kWaitSliceMs) return result;
    }
}

void HidLink::readStatus() {
    if (!device_) {
        // Closed or broken: no stale report is ever decoded.
        diagnose("ReadFile: ");
        throw ReadErrorEx();
    }
    const Clock::time_point readLimit = Clock::now() + std::chrono::milliseconds(kReadTimeoutMs);
    const bool callerLimits = deadline_ && *deadline_ < readLimit;
    if (callerLimits && Clock::now() >= *deadline_) throw TimeoutEx(kTimeLimitText);
    std::vector<uint8_t> buffer(std::max<std::size_t>(kMinReadBuffer, caps_.inputReportByteLength),
                                0);
    const HidReadResult result = readUntil(buffer.data(), callerLimits ? *deadline_ : readLimit);
    diagnose("ReadFile: ");
    diagnose("WaitForSingleObject: ");
    // The caller's limit came first: the device may well be alive, so it stays open.
    if (result == HidReadResult::Timeout && callerLimits) throw TimeoutEx(kTimeLimitText);
    if (result != HidReadResult::Ok) {
        diagnose(failureText(result));
        close();
        throw ReadErrorEx();
    }
    status_ = decodeStatusReport(buffer.data());
}

void HidLink::waitWritable() {
    do {
        readStatus();
    } while (status_.deviceCount != sentCount_ || status_.pending > 3);
}

void HidLink::send(const CommandReport& report) {
    waitWritable();
    // Reports longer than the command go out with zeros after byte 8.
    std::vector<uint8_t> out(caps_.outputReportByteLength, 0);
    std::copy(report.bytes.begin(), report.bytes.end(), out.begin());
    const long written = device_->write(out.data(), out.size());
    if (written != static_cast<long>(out.size())) throw WriteErrorEx();
    ++sentCount_;
}

}  // namespace arx
