// The grid parameters the grid editor tests share.
#pragma once

#include "grid/grid_parameters.h"

namespace orvane::testing_support {

// The standard test grid on 100 pixels per millimetre: 2 x 1 quads of 4 x 3 spots at a pitch of
// 30 pixels, quad [0][0] from (100, 100) to (190, 160), quad [1][0] 150 pixels further right;
// spot radius 8, background radius 12.
inline GridParameters testParameters() {
    GridParameters p;
    p.cellsX = 4;
    p.cellsY = 3;
    p.stepXmm = 0.3;
    p.stepYmm = 0.3;
    p.originX = 1.0;
    p.originY = 1.0;
    p.spotDiameter = 0.16;
    p.backgroundDiameter = 0.24;
    p.quadsX = 2;
    p.quadStepX = 1.5;
    p.quadsY = 1;
    return p;
}

}  // namespace orvane::testing_support
