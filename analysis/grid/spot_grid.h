// The spot grid of one image view: 4 x 16 quad slots and the Grid Parameters dialog's values.
#pragma once

#include <array>
#include <cstdint>

#include "grid_parameters.h"
#include "grid_quad.h"

namespace orvane {

struct SpotGrid {
    // Slot [qx][qy] is quads[qx * 16 + qy]. Only qx < quadsX and qy < quadsY are in use; the
    // others keep whatever they last held and are ignored.
    std::array<GridQuad, kMaxQuadsX * kMaxQuadsY> quads;
    GridParameters parameters;

    GridQuad& quad(std::int32_t qx, std::int32_t qy) { return quads[slot(qx, qy)]; }
    const GridQuad& quad(std::int32_t qx, std::int32_t qy) const { return quads[slot(qx, qy)]; }

    // Whether slot [qx][qy] lies inside the current Quads X x Quads Y.
    bool InUse(std::int32_t qx, std::int32_t qy) const {
        return qx >= 0 && qy >= 0 && qx < parameters.quadsX && qy < parameters.quadsY &&
               qx < kMaxQuadsX && qy < kMaxQuadsY;
    }

    static std::size_t slot(std::int32_t qx, std::int32_t qy) { return QuadSlot(qx, qy); }
};

}  // namespace orvane
