// Load Map and Load GAL applied to the Grid Parameters.
#include "grid/layout_files.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <string_view>

#include "base/core_error.h"
#include "base/text_numbers.h"

namespace orvane {

namespace {

// A GAL ID of "empty" in any case marks a feature where no well was printed.
bool isEmptyWell(std::string_view id) {
    constexpr std::string_view kEmpty = "empty";
    if (id.size() != kEmpty.size()) return false;
    for (std::size_t i = 0; i < id.size(); ++i)
        if (asciiLower(id[i]) != kEmpty[i]) return false;
    return true;
}

}  // namespace

void ApplyMapLayout(MapLayout layout, GridParameters& params) {
    GridParameters p = params;
    p.spotDiameter = 0.2;
    p.backgroundDiameter = 0.3;
    p.cellsX = layout.cellsX;
    p.cellsY = layout.cellsY;
    p.stepXmm = layout.stepXmm;
    p.stepYmm = layout.stepYmm;
    p.quadsX = layout.quadsX;
    p.quadsY = layout.quadsY;
    p.quadStepX = layout.quadStepX;
    p.quadStepY = layout.quadStepY;
    p.relativeOffsets = 0;
    p.zone = 0;
    p.originX = layout.originX;
    p.originY = layout.originY;
    // The print job's quads lie on its template steps.
    p.quadShiftX.fill(0.0);
    p.quadShiftY.fill(0.0);
    p.slideMap = std::move(layout.slideMap);
    params = std::move(p);
}

std::vector<std::string> LoadMap(std::istream& in, GridParameters& params, PrintJobParameters& job,
                                 std::ostream& diagnostics) {
    MapLayout layout = ReadMap(in, job, diagnostics);
    std::vector<std::string> messages = std::move(layout.messages);
    ApplyMapLayout(std::move(layout), params);
    return messages;
}

std::vector<std::string> LoadMapFile(const std::string& path, GridParameters& params,
                                     PrintJobParameters& job, std::ostream& diagnostics) {
    MapLayout layout = ReadMapFile(path, job, diagnostics);
    std::vector<std::string> messages = std::move(layout.messages);
    ApplyMapLayout(std::move(layout), params);
    return messages;
}

void ApplyGal(const GalFile& gal, GridParameters& params) {
    const GalLayout layout = LayoutGal(gal);
    const GalBlock& b = gal.blocks.front();
    const std::int64_t features =
        static_cast<std::int64_t>(b.xFeatures) * b.yFeatures * layout.quadsX * layout.quadsY;
    if (features > kMaxGalFeatures)
        throw CoreError("The GAL layout has " + std::to_string(features) + " features, more than " +
                        std::to_string(kMaxGalFeatures) + ".");
    auto map = std::make_shared<SlideMap>(layout.quadsX, layout.quadsY, b.xFeatures, b.yFeatures);
    for (const GalFeature& f : gal.features) {
        const std::size_t block = static_cast<std::size_t>(f.block - 1);
        SlideMapRecord* record =
            map->GetSpotRecord(layout.quadX[block], layout.quadY[block], f.column - 1, f.row - 1);
        record->SetUid(isEmptyWell(f.id) ? std::string_view("") : std::string_view(f.id));
        record->SetDescription(f.name);
    }
    GridParameters p = params;
    p.slideMap = std::move(map);
    p.cellsX = b.xFeatures;
    p.cellsY = b.yFeatures;
    p.stepXmm = b.xSpacing / 1000.0;
    p.stepYmm = b.ySpacing / 1000.0;
    p.spotDiameter = b.diameter / 1000.0;
    // The background ring of Load Map's defaults (1.5 spot diameters), kept inside the cell.
    p.backgroundDiameter =
        std::max(p.spotDiameter, std::min(1.5 * p.spotDiameter, std::min(p.stepXmm, p.stepYmm)));
    p.quadsX = layout.quadsX;
    p.quadsY = layout.quadsY;
    if (layout.quadsX > 1) p.quadStepX = layout.quadStepX;
    if (layout.quadsY > 1) p.quadStepY = layout.quadStepY;
    p.originX = layout.originX;
    p.originY = layout.originY;
    p.quadShiftX.fill(0.0);
    p.quadShiftY.fill(0.0);
    for (std::size_t i = 0; i < gal.blocks.size(); ++i) {
        const std::size_t slot = QuadSlot(layout.quadX[i], layout.quadY[i]);
        p.quadShiftX[slot] = layout.shiftX[i];
        p.quadShiftY[slot] = layout.shiftY[i];
    }
    p.relativeOffsets = 1;
    p.zone = 0;
    params = std::move(p);
}

void LoadGalFile(const std::string& path, GridParameters& params) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CoreError("Unable to open file.");
    ApplyGal(ParseGal(in), params);
}

}  // namespace orvane
