// GoogleTest printers for grid types, so that failed comparisons show coordinates.
#pragma once

#include <ostream>

#include "grid/grid_quad.h"

namespace orvane {

inline void PrintTo(const GridPoint& p, std::ostream* os) {
    *os << "(" << p.x << ", " << p.y << ")";
}

}  // namespace orvane
