// The values of the Grid Parameters dialog: the print layout in millimetres, the grid's edit
// settings and the attached slide map. Defaults are those of a new view.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "printjob/slide_map.h"

namespace orvane {

// Slot [qx * 16 + qy] of the per-quad arrays (the quads of a grid, the shifts below).
inline std::size_t QuadSlot(std::int32_t qx, std::int32_t qy) {
    return static_cast<std::size_t>(qx) * kMaxQuadsY + static_cast<std::size_t>(qy);
}

struct GridParameters {
    // Set by Load Map or Load Grid; shared between copies because a map never changes once built.
    std::shared_ptr<const SlideMap> slideMap;
    std::int32_t cellsX = 11;
    std::int32_t cellsY = 5;
    std::int32_t dragFullGrid = 0;
    std::int32_t roundCells = 1;
    double spotDiameter = 0.2;
    double originX = 0.5;
    double stepXmm = 0.375;
    double stepYmm = 0.375;
    double originY = 0.5;
    std::int32_t relativeOffsets = 1;
    std::int32_t quadsX = 1;
    double quadStepX = 4.5;
    std::int32_t quadsY = 1;
    double quadStepY = 4.5;
    std::int32_t zone = 0;
    std::int32_t lockMode = 0;  // 0 Quad Unlocked, 1 Quad Locked, 2 Quad Pin Lock
    double backgroundDiameter = 0.3;

    // How far each quad's block lies from its place on the regular lattice of origin and quad
    // template steps, in millimetres, per slot [qx * 16 + qy]. A GAL file whose blocks are not
    // on one lattice sets them, so that Define Grid puts every quad on its own block; zero
    // otherwise (Load Map clears them; a grid file does not carry them).
    std::array<double, 64> quadShiftX{};
    std::array<double, 64> quadShiftY{};

    // Record count of the attached map, 0 when none.
    std::int32_t slideMapCount() const { return slideMap ? slideMap->recordCount() : 0; }

    // The annotation of quad (qx, qy), spot (col, row); none without a map or outside it.
    const SlideMapRecord* GetSpotRecord(std::int32_t qx, std::int32_t qy, std::int32_t col,
                                        std::int32_t row) const {
        return slideMap ? slideMap->GetSpotRecord(qx, qy, col, row) : nullptr;
    }
};

}  // namespace orvane
