// How the demo slide writes millimetre values into its text (slide map, SCANINFO), and the value a
// reader gets back from that text.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace orvane::demo {

inline std::string formatMm(double millimetres) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", millimetres);
    return text;
}

// The double that "%lf" reads from formatMm's text.
inline double writtenMm(double millimetres) {
    return std::strtod(formatMm(millimetres).c_str(), nullptr);
}

}  // namespace orvane::demo
