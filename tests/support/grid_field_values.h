// Values to set the grid parameters' fields to, for checks that go through every field.
#pragma once

#include <cstdio>
#include <string>

#include "grid/define_grid.h"

namespace orvane::testing_support {

// A text inside the field's range that differs from the field's value in `params`: the upper
// end of the range, or the lower end where the value is the upper end already.
inline std::string otherFieldText(const GridFieldSpec& field, const GridParameters& params) {
    const auto shortest = [](double v) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", v);
        return std::string(text);
    };
    const std::string now = FormatGridFields(params)[static_cast<std::size_t>(field.field)];
    return now == shortest(field.high) ? shortest(field.low) : shortest(field.high);
}

}  // namespace orvane::testing_support
