// Layout, spot centres, selection, flags and hit tests of one grid quad.
#include "grid_quad.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "base/allocator.h"

namespace orvane {

namespace {

// a + (b - a) * i / n with the product formed before the division and the division truncating
// toward zero. The intermediates are 64-bit so that far-apart corners cannot overflow; wherever
// the 32-bit product fits, the result is the same as in 32-bit arithmetic.
std::int32_t interpolate(std::int32_t a, std::int32_t b, std::int32_t i, std::int32_t n) {
    const std::int64_t delta = static_cast<std::int64_t>(b) - a;
    return static_cast<std::int32_t>(a + delta * i / n);
}

}  // namespace

void GridQuad::Release() {
    flags.reset();
    shownFlags.reset();
    offsetX.reset();
    offsetY.reset();
    count = 0;
    nx = 0;
    ny = 0;
    selCol = selRow = -1;
    defined = 0;
}

void GridQuad::InitQuad(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                        std::int32_t nxIn, std::int32_t nyIn, std::int32_t spotRadiusIn,
                        std::int32_t backgroundRadiusIn, std::int32_t roundCellsIn) {
    Release();
    if (nxIn < 1 || nyIn < 1) return;  // no spots: the slot stays empty rather than half-defined
    const std::uint64_t n = checkedCount(nxIn, nyIn, sizeof(std::int32_t));
    // Allocate everything before touching the fields, so a failure leaves an undefined quad.
    auto newFlags = allocateBuffer<std::uint8_t>(n);
    auto newShown = allocateBuffer<std::uint8_t>(n);
    auto newOffsetX = allocateBuffer<std::int32_t>(n);
    auto newOffsetY = allocateBuffer<std::int32_t>(n);
    std::memset(newFlags.get(), 0, n);
    std::memset(newShown.get(), 0, n);
    std::memset(newOffsetX.get(), 0, n * sizeof(std::int32_t));
    std::memset(newOffsetY.get(), 0, n * sizeof(std::int32_t));

    TL = {x0, y0};
    TR = {x1, y0};
    BL = {x0, y1};
    BR = {x1, y1};
    nx = nxIn;
    ny = nyIn;
    spotRadius = spotRadiusIn;
    backgroundRadius = backgroundRadiusIn;
    roundCells = roundCellsIn;
    fullDisplay = 1;
    stepX = nx > 1 ? interpolate(0, x1 - x0, 1, nx - 1) : 0;
    stepY = ny > 1 ? interpolate(0, y1 - y0, 1, ny - 1) : 0;
    flags = std::move(newFlags);
    shownFlags = std::move(newShown);
    offsetX = std::move(newOffsetX);
    offsetY = std::move(newOffsetY);
    selCol = selRow = -1;
    count = static_cast<std::int32_t>(n);
    defined = 1;
}

std::optional<GridPoint> GridQuad::SpotCentre(std::int32_t col, std::int32_t row) const {
    if (!ValidSpot(col, row)) return std::nullopt;
    GridPoint top = TL;
    GridPoint bottom = BL;
    if (nx > 1) {
        top = {interpolate(TL.x, TR.x, col, nx - 1), interpolate(TL.y, TR.y, col, nx - 1)};
        bottom = {interpolate(BL.x, BR.x, col, nx - 1), interpolate(BL.y, BR.y, col, nx - 1)};
    }
    GridPoint centre = top;
    if (ny > 1)
        centre = {interpolate(top.x, bottom.x, row, ny - 1),
                  interpolate(top.y, bottom.y, row, ny - 1)};
    // Offsets wrap like the 32-bit sums they are; only a corrupt file could make them overflow.
    centre.x = static_cast<std::int32_t>(static_cast<std::int64_t>(centre.x) + OffsetX(col, row));
    centre.y = static_cast<std::int32_t>(static_cast<std::int64_t>(centre.y) + OffsetY(col, row));
    return centre;
}

void GridQuad::SelectSpot(std::int32_t col, std::int32_t row) {
    if (!ValidSpot(col, row)) return;
    selCol = col;
    selRow = row;
    Flags(col, row) |= Selected;
}

void GridQuad::ClearSelection() {
    if (!HasSelection()) return;
    // A selection that does not name a spot of this quad has no flag to clear.
    if (ValidSpot(selCol, selRow)) Flags(selCol, selRow) &= static_cast<std::uint8_t>(~Selected);
    selCol = selRow = -1;
}

void GridQuad::ClearFlags(std::uint8_t mask) {
    if (!defined) return;
    const auto keep = static_cast<std::uint8_t>(~mask);
    for (std::int32_t i = 0; i < count; ++i) flags[static_cast<std::size_t>(i)] &= keep;
}

const GridPoint* GridQuad::HitCorner(std::int32_t x, std::int32_t y) const {
    if (nx < 1 || ny < 1) return nullptr;
    for (const GridPoint* corner : {&TL, &TR, &BL, &BR}) {
        const std::int64_t dx = static_cast<std::int64_t>(x) - corner->x;
        const std::int64_t dy = static_cast<std::int64_t>(y) - corner->y;
        if (std::abs(dx) < 5 && std::abs(dy) < 5) return corner;
    }
    return nullptr;
}

GridPoint* GridQuad::HitCorner(std::int32_t x, std::int32_t y) {
    return const_cast<GridPoint*>(static_cast<const GridQuad*>(this)->HitCorner(x, y));
}

namespace {

// The cell of coordinate v along one axis of n spots spanning `extent` pixels from `start`:
// half a pitch is divided out first, so with truncation toward zero the first cell reaches one
// full pitch further back than the others.
std::int64_t hitCell(std::int32_t start, std::int64_t extent, std::int32_t n, std::int32_t v) {
    if (extent == 0 || n <= 1) return 0;
    const std::int64_t halfPitch = extent / (2 * static_cast<std::int64_t>(n) - 2);
    return (halfPitch - start + v) * (n - 1) / extent;
}

// Far outside the quad the 64-bit cell may not fit an int32; saturate instead of wrapping, so a
// wrapped value can never land inside the quad.
std::int32_t clampCell(std::int64_t cell) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(cell, INT32_MIN, INT32_MAX));
}

}  // namespace

SpotHit GridQuad::HitSpot(std::int32_t x, std::int32_t y) const {
    const std::int64_t w = static_cast<std::int64_t>(BR.x) - TL.x;
    const std::int64_t h = static_cast<std::int64_t>(BR.y) - TL.y;
    const std::int64_t col = hitCell(TL.x, w, nx, x);
    const std::int64_t row = hitCell(TL.y, h, ny, y);
    SpotHit hit;
    hit.col = clampCell(col);
    hit.row = clampCell(row);
    hit.inside = col >= 0 && col < nx && row >= 0 && row < ny;
    return hit;
}

}  // namespace orvane
