// One quad of the spot grid: a block of nx x ny spots whose centres are interpolated between
// four corner points and corrected per spot, with per-spot flags and the selected spot.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

namespace orvane {

// Bits of a spot's flag byte; independent of each other.
enum SpotFlags : std::uint8_t {
    Highlighted = 1,  // found by Find / Highlight Genes
    Marked = 2,       // the X key
    Selected = 4,     // clicked; at most one spot per quad
    Excluded = 8,     // no well in the slide map: not drawn, selected, adjusted or extracted
};

// An image pixel position (x to the right, y downwards).
struct GridPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const GridPoint&, const GridPoint&) = default;
};

// Result of HitSpot: the column and row the point falls in, and whether that is a spot.
struct SpotHit {
    std::int32_t col = 0;
    std::int32_t row = 0;
    bool inside = false;
};

struct GridQuad {
    // Per-spot arrays, indexed col + row * nx; present exactly when defined is 1.
    std::unique_ptr<std::uint8_t[]> flags;
    std::unique_ptr<std::uint8_t[]> shownFlags;  // flags as last drawn on the overlay
    std::unique_ptr<std::int32_t[]> offsetX;     // pixels added to the interpolated centre
    std::unique_ptr<std::int32_t[]> offsetY;
    std::int32_t count = 0;  // nx * ny
    // Centres of spots (0, 0), (nx-1, 0), (0, ny-1) and (nx-1, ny-1) before offsets.
    GridPoint TL, TR, BL, BR;
    std::int32_t nx = 0;
    std::int32_t ny = 0;
    std::int32_t spotRadius = 0;
    std::int32_t backgroundRadius = 0;
    std::int32_t stepX = 0;  // spot pitch fixed by InitQuad; corner dragging keeps it
    std::int32_t stepY = 0;
    std::int32_t selCol = -1;
    std::int32_t selRow = -1;
    std::int32_t prevSelCol = -1;  // kept only for the grid file record
    std::int32_t prevSelRow = -1;
    std::int32_t fullDisplay = 0;  // 1: every spot with background; 0: border spots only
    std::int32_t roundCells = 0;   // 1: circles; 0: squares
    std::int32_t defined = 0;

    // Lays out an upright rectangle of nx x ny spots from (x0, y0) to (x1, y1) and resets every
    // flag, offset and the selection. An allocation failure throws OutOfMemoryError and leaves
    // the quad undefined, as does nx < 1 or ny < 1.
    void InitQuad(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                  std::int32_t nx, std::int32_t ny, std::int32_t spotRadius,
                  std::int32_t backgroundRadius, std::int32_t roundCells);

    // Makes the slot empty again: no arrays, no spots, no selection.
    void Release();

    bool ValidSpot(std::int32_t col, std::int32_t row) const {
        return defined != 0 && col >= 0 && col < nx && row >= 0 && row < ny;
    }

    // Centre of spot (col, row) with its offsets; none outside the quad.
    std::optional<GridPoint> SpotCentre(std::int32_t col, std::int32_t row) const;

    // Sets the selection and bit 2 of the spot; ignored outside the quad. Does not clear an
    // earlier selection: callers call ClearSelection first.
    void SelectSpot(std::int32_t col, std::int32_t row);
    void ClearSelection();
    bool HasSelection() const { return !(selCol == -1 && selRow == -1); }

    // Per-spot access; callers pass valid indices.
    std::uint8_t& Flags(std::int32_t col, std::int32_t row) { return flags[index(col, row)]; }
    std::uint8_t Flags(std::int32_t col, std::int32_t row) const { return flags[index(col, row)]; }
    std::int32_t& OffsetX(std::int32_t col, std::int32_t row) { return offsetX[index(col, row)]; }
    std::int32_t OffsetX(std::int32_t col, std::int32_t row) const {
        return offsetX[index(col, row)];
    }
    std::int32_t& OffsetY(std::int32_t col, std::int32_t row) { return offsetY[index(col, row)]; }
    std::int32_t OffsetY(std::int32_t col, std::int32_t row) const {
        return offsetY[index(col, row)];
    }

    // Clears the bits of mask in every spot's flags.
    void ClearFlags(std::uint8_t mask);

    // The first corner, in the order TL, TR, BL, BR, closer than 5 pixels in both x and y to
    // (x, y); none for a quad without spots.
    GridPoint* HitCorner(std::int32_t x, std::int32_t y);
    const GridPoint* HitCorner(std::int32_t x, std::int32_t y) const;
    // The same within 4 screen pixels at a zoom of scaleNum / scaleDen screen pixels per image
    // pixel: |dx| x scaleNum <= 4 x scaleDen. At 1:1 this is HitCorner(x, y).
    GridPoint* HitCorner(std::int32_t x, std::int32_t y, std::int64_t scaleNum,
                         std::int64_t scaleDen);

    // The spot cell under (x, y), from the TL and BR corners only.
    SpotHit HitSpot(std::int32_t x, std::int32_t y) const;

private:
    std::size_t index(std::int32_t col, std::int32_t row) const {
        return static_cast<std::size_t>(col) +
               static_cast<std::size_t>(row) * static_cast<std::size_t>(nx);
    }
};

}  // namespace orvane
