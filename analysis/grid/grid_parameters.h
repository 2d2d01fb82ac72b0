// The values of the Grid Parameters dialog: the print layout in millimetres, the grid's edit
// settings and the attached slide map. Defaults are those of a new view. The field table below
// drives the grid file, the dialog's validation and controls, and orvane-batch's --set.
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

// The fields in the order in which the dialog's OK reads and validates them, which is also
// their order in the grid file's parameter block.
enum class GridField : std::int32_t {
    cellsX,
    cellsY,
    dragFullGrid,
    roundCells,
    spotDiameter,
    originX,
    stepXmm,
    stepYmm,
    originY,
    relativeOffsets,
    quadsX,
    quadStepX,
    quadsY,
    quadStepY,
    zone,
    lockMode,
    backgroundDiameter,
};
inline constexpr std::size_t kGridFieldCount = 17;

// How a field is edited. Check boxes and the radio group cannot hold other values in the
// dialog; as texts (orvane-batch's --set) they are read like integer fields.
enum class GridFieldKind { Integer, Number, CheckBox, RadioGroup };

struct GridFieldSpec {
    GridField field;
    const char* name;   // as in GridParameters; also the name --set takes
    const char* label;  // the dialog's words for it; a check box's text
    GridFieldKind kind;
    double low;  // the accepted range, both ends included
    double high;
    std::int32_t GridParameters::*integer;  // every kind but Number
    double GridParameters::*number;         // Number
    std::size_t fileOffset;                 // in the grid file's parameter block
    int controlId;                          // the dialog control's id; 0 for the radio group

    constexpr bool isInteger() const { return kind != GridFieldKind::Number; }
};

// One row per field; adding a field to GridParameters means adding its row here (and placing
// its control in the dialog).
inline constexpr auto kGridFields = [] {
    using P = GridParameters;
    using K = GridFieldKind;
    return std::array<GridFieldSpec, kGridFieldCount>{{
        {GridField::cellsX, "cellsX", "Cells X", K::Integer, 1, kMaxCells, &P::cellsX, nullptr, 100,
         1007},
        {GridField::cellsY, "cellsY", "Cells Y", K::Integer, 1, kMaxCells, &P::cellsY, nullptr, 104,
         1008},
        {GridField::dragFullGrid, "dragFullGrid", "Drag Full Grid", K::CheckBox, 0, 1,
         &P::dragFullGrid, nullptr, 108, 1015},
        {GridField::roundCells, "roundCells", "Use Round Cells", K::CheckBox, 0, 1, &P::roundCells,
         nullptr, 112, 1017},
        {GridField::spotDiameter, "spotDiameter", "Diam D", K::Number, 0.05, 25, nullptr,
         &P::spotDiameter, 120, 1014},
        {GridField::originX, "originX", "Origin X", K::Number, 0, 25, nullptr, &P::originX, 128,
         1010},
        {GridField::stepXmm, "stepXmm", "Step X", K::Number, 0.05, 25, nullptr, &P::stepXmm, 136,
         1012},
        {GridField::stepYmm, "stepYmm", "Step Y", K::Number, 0.05, 75, nullptr, &P::stepYmm, 144,
         1013},
        {GridField::originY, "originY", "Origin Y", K::Number, 0, 75, nullptr, &P::originY, 152,
         1011},
        {GridField::relativeOffsets, "relativeOffsets", "Relative Offsets", K::CheckBox, 0, 1,
         &P::relativeOffsets, nullptr, 160, 1018},
        {GridField::quadsX, "quadsX", "Quads X", K::Integer, 1, kMaxQuadsX, &P::quadsX, nullptr,
         164, 1023},
        {GridField::quadStepX, "quadStepX", "Quad Step X", K::Number, 0, 25, nullptr, &P::quadStepX,
         168, 1025},
        {GridField::quadsY, "quadsY", "Quads Y", K::Integer, 1, kMaxQuadsY, &P::quadsY, nullptr,
         176, 1024},
        {GridField::quadStepY, "quadStepY", "Quad Step Y", K::Number, 0, 75, nullptr, &P::quadStepY,
         184, 1026},
        {GridField::zone, "zone", "Zone", K::Integer, 0, 2, &P::zone, nullptr, 192, 1019},
        {GridField::lockMode, "lockMode", "Lock", K::RadioGroup, 0, 2, &P::lockMode, nullptr, 196,
         0},
        {GridField::backgroundDiameter, "backgroundDiameter", "Diam Bg", K::Number, 0.05, 25,
         nullptr, &P::backgroundDiameter, 200, 1020},
    }};
}();

// Rows stand at their field's index, so a field finds its row directly.
inline constexpr bool kGridFieldsInOrder = [] {
    for (std::size_t i = 0; i < kGridFieldCount; ++i)
        if (static_cast<std::size_t>(kGridFields[i].field) != i) return false;
    return true;
}();
static_assert(kGridFieldsInOrder);

constexpr const GridFieldSpec& SpecOf(GridField field) {
    return kGridFields[static_cast<std::size_t>(field)];
}

}  // namespace orvane
