// Number conversions of the text readers: the leading-number rules of the parameter reader and
// the whole-text rules of dialog fields. Independent of the process locale, because the GUI's
// locale may use a decimal comma while the files and dialogs use a point.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace orvane {

inline char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// A decimal integer at the start of text (optional sign, then digits; the rest is ignored).
// None when there is no digit or the value does not fit an int32.
std::optional<std::int32_t> leadingInteger(std::string_view text);

// A real number at the start of text (the longest prefix that is one); none when there is none
// or it lies outside the range of a double.
std::optional<double> leadingReal(std::string_view text);

// Whole-field conversions of dialog texts: blanks around the value are allowed, anything else
// fails. An integer too long for 64 bits, or a number beyond a double, is kOutOfRange.
enum class FieldParse { kOk, kNotANumber, kOutOfRange };
FieldParse parseFieldInteger(std::string_view text, std::int64_t& value);
FieldParse parseFieldNumber(std::string_view text, double& value);

}  // namespace orvane
