// A plain-text summary of a grid as "key: value" lines, for orvane-batch grid-info and tests.
#pragma once

#include <ostream>

#include "grid/spot_grid.h"

namespace orvane {

// Every parameter field by its GridParameters name, the slide map's presence and record count,
// and for each quad in use its corners, size, radii, steps, selection and flag-bit counts.
void DescribeGrid(const SpotGrid& grid, std::ostream& out);

}  // namespace orvane
