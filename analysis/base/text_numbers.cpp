// Locale-independent number conversions for the parameter reader and dialog fields.
#include "base/text_numbers.h"

#include <charconv>
#include <limits>

namespace orvane {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Parses a real at the start of text; returns the characters consumed (0 when none).
std::size_t parseReal(std::string_view text, double& value, bool& outOfRange) {
    outOfRange = false;
    std::size_t skip = 0;
    // from_chars refuses a plus sign that the C conversions accept.
    if (!text.empty() && text.front() == '+') skip = 1;
    const char* begin = text.data() + skip;
    const char* end = text.data() + text.size();
    if (skip && begin < end && *begin == '-') return 0;
    const auto result = std::from_chars(begin, end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        outOfRange = true;
        return static_cast<std::size_t>(result.ptr - text.data());
    }
    if (result.ec != std::errc()) return 0;
    return static_cast<std::size_t>(result.ptr - text.data());
}

}  // namespace

std::optional<std::int32_t> leadingInteger(std::string_view text) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    if (pos >= text.size() || !isDigit(text[pos])) return std::nullopt;
    std::int64_t value = 0;
    for (; pos < text.size() && isDigit(text[pos]); ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > std::int64_t{1} << 31) return std::nullopt;  // past any int32
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<double> leadingReal(std::string_view text) {
    double value = 0.0;
    bool outOfRange = false;
    if (parseReal(text, value, outOfRange) == 0 || outOfRange) return std::nullopt;
    return value;
}

FieldParse parseFieldInteger(std::string_view text, std::int64_t& value) {
    text = trimBlanks(text);
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    if (pos >= text.size()) return FieldParse::kNotANumber;
    std::int64_t magnitude = 0;
    bool huge = false;
    for (; pos < text.size(); ++pos) {
        if (!isDigit(text[pos])) return FieldParse::kNotANumber;
        if (magnitude > (std::numeric_limits<std::int64_t>::max() - 9) / 10)
            huge = true;
        else
            magnitude = magnitude * 10 + (text[pos] - '0');
    }
    if (huge) return FieldParse::kOutOfRange;
    value = negative ? -magnitude : magnitude;
    return FieldParse::kOk;
}

FieldParse parseFieldNumber(std::string_view text, double& value) {
    text = trimBlanks(text);
    bool outOfRange = false;
    const std::size_t used = parseReal(text, value, outOfRange);
    if (used == 0 || used != text.size()) return FieldParse::kNotANumber;
    return outOfRange ? FieldParse::kOutOfRange : FieldParse::kOk;
}

}  // namespace orvane
