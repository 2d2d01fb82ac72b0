// The OpenCV operations the core is measured against (built only when OpenCV is installed:
// scripts/install-deps --bench).
#pragma once

#include <cstdint>
#include <string>

namespace bench {

bool haveOpenCv();
// cv::imread of the whole file, unchanged depth; returns a checksum-ish value so that the call
// cannot be dropped.
double cvImread(const std::string& path);

// 16-bit single-channel images wrapped without copying; `out` is width x height.
void cvMedianBlur3(const std::uint16_t* in, std::uint16_t* out, int width, int height);
// The same, cut into `stripes` row stripes run on that many threads (OpenCV's median filter
// uses one core by itself). The stripe edges are filtered as image edges: for timing only.
void cvMedianBlur3Striped(const std::uint16_t* in, std::uint16_t* out, int width, int height,
                          int stripes);
void cvBlur3(const std::uint16_t* in, std::uint16_t* out, int width, int height);
void cvBlur3Striped(const std::uint16_t* in, std::uint16_t* out, int width, int height,
                    int stripes);

}  // namespace bench
