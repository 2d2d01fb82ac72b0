// The simulated controller's "key = value" configuration file.
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <sstream>

#include "simulated_controller.h"

namespace arx::sim {

namespace {

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// A whole decimal or 0x-hexadecimal integer within [low, high].
bool parseInteger(const std::string& text, int64_t low, int64_t high, int64_t& out) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str() || *end != '\0') return false;
    if (value < low || value > high) return false;
    out = value;
    return true;
}

// Axis 1..3 from the last character of a key such as "start_position_2", or -1.
int axisSuffix(const std::string& key, const std::string& stem) {
    if (key.size() != stem.size() + 1 || key.compare(0, stem.size(), stem) != 0) return -1;
    const char c = key.back();
    return c >= '1' && c <= '3' ? c - '1' : -1;
}

constexpr int64_t kPositionLimit = int64_t{1} << 40;

bool applyAxisKey(SimConfig& config, const std::string& key, const std::string& value) {
    int k = axisSuffix(key, "start_position_");
    if (k >= 0)
        return parseInteger(value, -kPositionLimit, kPositionLimit, config.startPosition[k]);
    k = axisSuffix(key, "flag_range_");
    if (k < 0) return false;
    std::istringstream parts(value);
    std::string low, high, rest;
    if (!(parts >> low >> high) || (parts >> rest)) return false;
    FlagRange range;
    if (!parseInteger(low, -kPositionLimit, kPositionLimit, range.low) ||
        !parseInteger(high, -kPositionLimit, kPositionLimit, range.high) ||
        range.low > range.high) {
        return false;
    }
    config.flag[k] = range;
    return true;
}

bool applyKey(SimConfig& config, const std::string& key, const std::string& value) {
    int64_t v = 0;
    constexpr int64_t kU32 = std::numeric_limits<uint32_t>::max();
    constexpr int64_t kBig = std::numeric_limits<int64_t>::max();
    if (key == "vendor_id" || key == "product_id") {
        if (!parseInteger(value, 0, 0xFFFF, v)) return false;
        (key == "vendor_id" ? config.vendorId : config.productId) = static_cast<uint16_t>(v);
    } else if (key == "input_report_length" || key == "output_report_length") {
        if (!parseInteger(value, 1, 0xFFFF, v)) return false;
        (key[0] == 'i' ? config.inputReportLength : config.outputReportLength) =
            static_cast<uint16_t>(v);
    } else if (key == "ticks_per_report") {
        if (!parseInteger(value, 1, kU32, v)) return false;
        config.ticksPerReport = static_cast<uint32_t>(v);
    } else if (key == "accept_delay_reports") {
        if (!parseInteger(value, 0, kU32, v)) return false;
        config.acceptDelayReports = static_cast<uint32_t>(v);
    } else if (key == "stop_after_reports") {
        if (!parseInteger(value, 0, kBig, v)) return false;
        config.stopAfterReports = static_cast<uint64_t>(v);
    } else if (key == "fail_writes_after") {
        if (!parseInteger(value, 0, kBig, v)) return false;
        config.failWritesAfter = static_cast<uint64_t>(v);
    } else if (key == "unplug_after_reports" || key == "replug_after_attempts" ||
               key == "stall_after_reports") {
        if (!parseInteger(value, 0, kBig, v)) return false;
        (key[0] == 'u'   ? config.unplugAfterReports
         : key[0] == 'r' ? config.replugAfterAttempts
                         : config.stallAfterReports) = static_cast<uint64_t>(v);
    } else {
        return applyAxisKey(config, key, value);
    }
    return true;
}

}  // namespace

std::optional<SimConfig> parseSimConfig(const std::string& text, std::string& error) {
    SimConfig config;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        const std::string content = trim(line.substr(0, line.find('#')));
        if (content.empty()) continue;
        const auto equals = content.find('=');
        if (equals == std::string::npos) {
            error = "line " + std::to_string(number) + ": expected key = value";
            return std::nullopt;
        }
        const std::string key = trim(content.substr(0, equals));
        const std::string value = trim(content.substr(equals + 1));
        if (!applyKey(config, key, value)) {
            error = "line " + std::to_string(number) + ": bad key or value '" + content + "'";
            return std::nullopt;
        }
    }
    return config;
}

}  // namespace arx::sim
