// Parsers of the hidraw sysfs files: uevent ids and report-descriptor lengths.
#include "hidraw_parsers.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <vector>

namespace arx {

namespace {

// Parses a whole field of hexadecimal digits; nothing when empty, not hex, or too long.
std::optional<uint32_t> parseHexField(const std::string& field) {
    if (field.empty() || field.size() > 8) return std::nullopt;
    uint32_t value = 0;
    for (char c : field) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
}

// Global items that shape the reports; pushed and popped as a whole.
struct GlobalState {
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint32_t reportId = 0;
};

constexpr uint64_t kMaxReportBits = uint64_t{1} << 32;

struct BitTotals {
    uint64_t input = 0;
    uint64_t output = 0;
};

// Bytes of the longest report plus the report-ID byte; 0 when there is no report.
std::optional<uint16_t> reportLength(const std::map<uint32_t, BitTotals>& totals,
                                     uint64_t BitTotals::*kind) {
    uint64_t longest = 0;
    bool any = false;
    for (const auto& entry : totals) {
        if (entry.second.*kind == 0) continue;
        any = true;
        longest = std::max(longest, (entry.second.*kind + 7) / 8);
    }
    if (!any) return uint16_t{0};
    if (longest + 1 > 0xFFFF) return std::nullopt;
    return static_cast<uint16_t>(longest + 1);
}

}  // namespace

std::optional<UsbIds> parseUeventIds(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("HID_ID=", 0) != 0) continue;
        const std::string value = line.substr(7);
        const std::size_t first = value.find(':');
        const std::size_t second = value.find(':', first == std::string::npos ? first : first + 1);
        if (first == std::string::npos || second == std::string::npos) return std::nullopt;
        const auto bus = parseHexField(value.substr(0, first));
        const auto vendor = parseHexField(value.substr(first + 1, second - first - 1));
        const auto product = parseHexField(value.substr(second + 1));
        if (!bus || !vendor || !product || *vendor > 0xFFFF || *product > 0xFFFF)
            return std::nullopt;
        return UsbIds{static_cast<uint16_t>(*vendor), static_cast<uint16_t>(*product)};
    }
    return std::nullopt;
}

std::optional<ReportLengths> parseReportDescriptor(const uint8_t* data, std::size_t size) {
    GlobalState global;
    std::vector<GlobalState> stack;
    std::map<uint32_t, BitTotals> totals;
    bool usesIds = false;
    std::size_t pos = 0;
    while (pos < size) {
        const uint8_t prefix = data[pos++];
        if (prefix == 0xFE) {
            // Long item: data size, long tag, then the data; it carries nothing we need.
            if (pos + 2 > size) return std::nullopt;
            const std::size_t length = data[pos];
            pos += 2;
            if (length > size - pos) return std::nullopt;
            pos += length;
            continue;
        }
        static constexpr std::size_t kSizes[4] = {0, 1, 2, 4};
        const std::size_t length = kSizes[prefix & 0x03];
        if (length > size - pos) return std::nullopt;
        uint32_t value = 0;
        for (std::size_t b = 0; b < length; ++b) value |= uint32_t{data[pos + b]} << (8 * b);
        pos += length;
        const int type = (prefix >> 2) & 0x03;
        const int tag = prefix >> 4;
        if (type == 0) {  // main item
            const uint64_t bits = uint64_t{global.reportSize} * global.reportCount;
            uint64_t* total = tag == 0x8   ? &totals[global.reportId].input
                              : tag == 0x9 ? &totals[global.reportId].output
                                           : nullptr;
            if (total) {
                *total += bits;
                // No real report comes near this; it only guards the sums against wrapping.
                if (*total > kMaxReportBits) return std::nullopt;
            }
        } else if (type == 1) {  // global item
            switch (tag) {
            case 0x7: global.reportSize = value; break;
            case 0x8:
                // Report ID 0 is reserved.
                if (value == 0 || value > 0xFF) return std::nullopt;
                global.reportId = value;
                usesIds = true;
                break;
            case 0x9: global.reportCount = value; break;
            case 0xA: stack.push_back(global); break;
            case 0xB:
                if (stack.empty()) return std::nullopt;
                global = stack.back();
                stack.pop_back();
                break;
            default: break;
            }
        }
    }
    const auto input = reportLength(totals, &BitTotals::input);
    const auto output = reportLength(totals, &BitTotals::output);
    if (!input || !output) return std::nullopt;
    return ReportLengths{*input, *output, usesIds};
}

}  // namespace arx
