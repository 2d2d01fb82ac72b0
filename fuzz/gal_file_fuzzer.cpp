// Fuzzes the GAL reader: any bytes as a GenePix Array List file to LoadGalFile. A file that
// loads must give a geometry and a slide map that agree with its blocks and features; a refused
// one must leave the Grid Parameters as they were.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <tuple>

#include "base/core_error.h"
#include "grid/layout_files.h"
#include "memory_file.h"

namespace {

using orvane::GalFile;
using orvane::GalLayout;
using orvane::GridParameters;

void require(bool condition) {
    if (!condition) std::abort();
}

bool positiveFinite(double v) { return std::isfinite(v) && v > 0; }

// Parameters a loaded GAL can never give, so that "unchanged" and "set" are told apart.
GridParameters sentinelParameters() {
    GridParameters p;
    p.cellsX = 77;
    p.cellsY = 78;
    p.spotDiameter = -1;
    p.quadsX = 9;
    p.quadsY = 99;
    p.quadStepX = -2;
    p.quadStepY = -3;
    p.zone = 5;
    p.lockMode = 2;
    p.roundCells = 0;
    return p;
}

bool untouched(const GridParameters& p) {
    const GridParameters s = sentinelParameters();
    return !p.slideMap && p.cellsX == s.cellsX && p.cellsY == s.cellsY &&
           p.spotDiameter == s.spotDiameter && p.quadsX == s.quadsX && p.quadsY == s.quadsY &&
           p.quadStepX == s.quadStepX && p.quadStepY == s.quadStepY && p.zone == s.zone;
}

// The parsed file on its own: contiguous blocks, every feature inside its block.
void checkParsed(const GalFile& gal) {
    require(!gal.blocks.empty() &&
            gal.blocks.size() <= static_cast<std::size_t>(orvane::kMaxQuadsX * orvane::kMaxQuadsY));
    for (const orvane::GalBlock& b : gal.blocks) {
        require(std::isfinite(b.x) && std::isfinite(b.y) && b.x >= 0 && b.y >= 0);
        require(positiveFinite(b.diameter) && positiveFinite(b.xSpacing) &&
                positiveFinite(b.ySpacing));
        require(b.xFeatures >= 1 && b.xFeatures <= orvane::kMaxCells);
        require(b.yFeatures >= 1 && b.yFeatures <= orvane::kMaxCells);
    }
    for (const orvane::GalFeature& f : gal.features) {
        require(f.block >= 1 && static_cast<std::size_t>(f.block) <= gal.blocks.size());
        const orvane::GalBlock& b = gal.blocks[static_cast<std::size_t>(f.block - 1)];
        require(f.column >= 1 && f.column <= b.xFeatures && f.row >= 1 && f.row <= b.yFeatures);
    }
}

// A block lies, within 1 um, on its lattice place plus its quad's shift; far from the origin the
// doubles' own rounding is allowed for.
bool near(double blockMm, double gridMm) {
    return std::fabs(blockMm - gridMm) < 0.0011 + 1e-9 * std::fabs(blockMm);
}

// Every block on its own quad of the grid (quads without a block are allowed), the geometry of
// the first block.
void checkGeometry(const GalFile& gal, const GalLayout& layout, const GridParameters& p) {
    require(p.quadsX == layout.quadsX && p.quadsY == layout.quadsY);
    require(p.quadsX >= 1 && p.quadsX <= orvane::kMaxQuadsX && p.quadsY >= 1 &&
            p.quadsY <= orvane::kMaxQuadsY);
    require(static_cast<std::size_t>(p.quadsX) * static_cast<std::size_t>(p.quadsY) >=
            gal.blocks.size());
    require(layout.quadX.size() == gal.blocks.size() && layout.quadY.size() == gal.blocks.size());
    std::map<std::pair<std::int32_t, std::int32_t>, std::size_t> quads;
    for (std::size_t i = 0; i < gal.blocks.size(); ++i) {
        const std::int32_t qx = layout.quadX[i], qy = layout.quadY[i];
        require(qx >= 0 && qx < p.quadsX && qy >= 0 && qy < p.quadsY);
        require(quads.emplace(std::make_pair(qx, qy), i).second);
        const std::size_t slot = orvane::QuadSlot(qx, qy);
        const orvane::GalBlock& b = gal.blocks[i];
        require(near(b.x / 1000.0,
                     p.originX + qx * (p.quadsX > 1 ? p.quadStepX : 0.0) + p.quadShiftX[slot]));
        require(near(b.y / 1000.0,
                     p.originY + qy * (p.quadsY > 1 ? p.quadStepY : 0.0) + p.quadShiftY[slot]));
    }
    const orvane::GalBlock& b = gal.blocks.front();
    require(p.cellsX == b.xFeatures && p.cellsY == b.yFeatures);
    require(positiveFinite(p.stepXmm) && positiveFinite(p.stepYmm) &&
            positiveFinite(p.spotDiameter));
    require(p.backgroundDiameter >= p.spotDiameter && std::isfinite(p.backgroundDiameter));
    require(std::isfinite(p.originX) && std::isfinite(p.originY) && p.originX >= 0 &&
            p.originY >= 0);
    if (p.quadsX > 1) require(positiveFinite(p.quadStepX));
    if (p.quadsY > 1) require(positiveFinite(p.quadStepY));
    require(p.relativeOffsets == 1 && p.zone == 0);
    require(p.lockMode == 2 && p.roundCells == 0);  // kept from before
}

std::string_view stored(const std::string& text) {
    return std::string_view(text).substr(0, orvane::kSlideMapTextSize - 1);
}

bool isEmptyId(const std::string& id) {
    if (id.size() != 5) return false;
    for (std::size_t i = 0; i < 5; ++i)
        if ((id[i] | 0x20) != "empty"[i]) return false;
    return true;
}

// The map has the grid's shape, and every feature's texts are at its spot (the last row naming
// a spot wins); spots no row names stay empty.
void checkMap(const GalFile& gal, const GalLayout& layout, const GridParameters& p) {
    require(p.slideMap != nullptr);
    const orvane::SlideMap& map = *p.slideMap;
    require(map.quadsX() == p.quadsX && map.quadsY() == p.quadsY && map.spotsX() == p.cellsX &&
            map.spotsY() == p.cellsY);
    const std::int64_t count = std::int64_t{p.quadsX} * p.quadsY * p.cellsX * p.cellsY;
    require(map.recordCount() == count && count <= orvane::kMaxGalFeatures);

    std::map<std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t>,
             const orvane::GalFeature*>
        last;
    for (const orvane::GalFeature& f : gal.features) {
        const std::size_t block = static_cast<std::size_t>(f.block - 1);
        last[{layout.quadX[block], layout.quadY[block], f.column - 1, f.row - 1}] = &f;
    }
    for (const auto& [spot, f] : last) {
        const auto [qx, qy, sx, sy] = spot;
        const orvane::SlideMapRecord* record = p.GetSpotRecord(qx, qy, sx, sy);
        require(record != nullptr);
        require(record->Uid() == (isEmptyId(f->id) ? std::string_view() : stored(f->id)));
        require(record->Description() == stored(f->name));
    }
    std::int64_t named = 0;
    for (std::int32_t i = 0; i < map.recordCount(); ++i) {
        const orvane::SlideMapRecord& r = map.records()[i];
        require(r.Uid().size() < orvane::kSlideMapTextSize &&
                r.Description().size() < orvane::kSlideMapTextSize);
        if (!r.Uid().empty() || !r.Description().empty()) ++named;
    }
    require(named <= static_cast<std::int64_t>(last.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvane::fuzz::MemoryFile file(data, size);
    GridParameters params = sentinelParameters();
    bool loaded = true;
    try {
        orvane::LoadGalFile(file.path(), params);
    } catch (const orvane::CoreError&) {
        loaded = false;  // a refused file, a layout that is no grid, or an out-of-memory map
    }
    if (!loaded) {
        require(untouched(params));
        return 0;
    }
    // Loaded: the parse and layout must succeed again on the same bytes and agree with the result.
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const GalFile gal = orvane::ParseGal(in);
    checkParsed(gal);
    const GalLayout layout = orvane::LayoutGal(gal);
    checkGeometry(gal, layout, params);
    checkMap(gal, layout, params);
    return 0;
}
