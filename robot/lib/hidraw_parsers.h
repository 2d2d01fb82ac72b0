// Parsers for what Linux sysfs tells about a hidraw device: the uevent ids and the report
// descriptor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace arx {

struct UsbIds {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
};

// The vendor and product id from a HID device's uevent text, line "HID_ID=bus:vendor:product"
// with hexadecimal fields (HID_ID=0003:00004242:00004201). Nothing when the line is missing,
// malformed, or an id does not fit 16 bits.
std::optional<UsbIds> parseUeventIds(const std::string& text);

// Report lengths computed from a report descriptor, each counting the report-ID byte (as
// Windows' HID capabilities do, whether or not the device numbers its reports); 0 when the
// device has no report of that kind.
struct ReportLengths {
    uint16_t input = 0;
    uint16_t output = 0;
    bool usesReportIds = false;
};

// Sums report size x report count of the Input and the Output main items per report id and
// takes the longest report of each kind. Nothing for a truncated or inconsistent descriptor.
std::optional<ReportLengths> parseReportDescriptor(const uint8_t* data, std::size_t size);

}  // namespace arx
