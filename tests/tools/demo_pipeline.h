// The demo slide in memory and the path a user takes on it without a manual step: Load Map,
// Define Grid, optionally Auto Place, then Adjust Grid; and how far each spot ends from its truth.
#pragma once

#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

#include "base/allocator.h"
#include "demo_slide_files.h"
#include "demo_slide_plan.h"
#include "demo_slide_render.h"
#include "grid/adjust_grid.h"
#include "grid/auto_place_grid.h"
#include "grid/define_grid.h"
#include "grid/layout_files.h"

namespace orvane::demo {

// The printed spots' diameter, which the map does not carry: set in the Grid Parameters dialog.
inline constexpr double kPipelineSpotDiameter = 0.14;

struct DemoScan {
    DemoSlide slide;
    LayeredImage image;
    SpotGrid grid;  // as Define Grid lays it out from the slide map
};

// Renders both channels as the loader would give them, runs Load Map on the slide map text and
// Define Grid.
inline DemoScan makeDemoScan(const DemoOptions& options) {
    DemoScan scan;
    scan.slide = planDemoSlide(options);
    LayeredImage& image = scan.image;
    for (int c = 0; c < 2; ++c) {
        ImageLayer& layer = image.layers[static_cast<std::size_t>(c)];
        layer.width = scan.slide.width;
        layer.height = scan.slide.height;
        layer.samples = allocateBuffer<std::uint16_t>(checkedCount(layer.width, layer.height, 2));
        renderChannel(scan.slide, c, layer.samples.get());
    }
    image.layerCount = 2;
    image.resolutionUnit = kResolutionUnitCentimetre;
    image.xResolution = image.yResolution = scan.slide.scan.pixelsPerCm;
    image.scanOriginX = scan.slide.scan.originX;
    image.scanOriginY = scan.slide.scan.originY;
    std::stringstream map;
    writeSlideMap(map, scan.slide);
    PrintJobParameters job;
    std::ostringstream diagnostics;
    LoadMap(map, scan.grid.parameters, job, diagnostics);
    scan.grid.parameters.spotDiameter = kPipelineSpotDiameter;
    DefineGridLayout(scan.grid, image);
    return scan;
}

struct Fit {
    int spots = 0;   // non-excluded spots
    int within = 0;  // within 1.5 pixels of the true centre
    double meanError = 0.0;
    int found = 0;  // spots the 2DW window found signal for (the others keep their place)
    int foundWithin = 0;
    int placed = 0;  // quads Auto Place placed (when it ran)
    int quads = 0;
    double worstQuad = 0.0;  // largest distance of a quad's mean true centre from its placed one
};

// Distance of each quad's mean true spot centre from the mean of its grid centres; the largest.
inline double worstQuadResidual(const DemoScan& scan, const SpotGrid& grid) {
    double worst = 0.0;
    const int perQuad = scan.slide.layout.positionCount();
    for (std::size_t first = 0;
         first + static_cast<std::size_t>(perQuad) <= scan.slide.spots.size(); first += perQuad) {
        double dx = 0.0, dy = 0.0;
        for (std::size_t i = first; i < first + static_cast<std::size_t>(perQuad); ++i) {
            const Spot& spot = scan.slide.spots[i];
            const GridPoint c = *grid.quad(spot.qx, spot.qy).SpotCentre(spot.col, spot.row);
            dx += spot.x - c.x, dy += spot.y - c.y;
        }
        worst = std::max(worst, std::hypot(dx / perQuad, dy / perQuad));
    }
    return worst;
}

// A fresh copy of the grid as Define Grid laid it out, flags included.
inline SpotGrid laidOutGrid(const DemoScan& scan) {
    SpotGrid grid;
    grid.parameters = scan.grid.parameters;
    for (std::size_t i = 0; i < grid.quads.size(); ++i) {
        const GridQuad& from = scan.grid.quads[i];
        if (from.defined == 0) continue;
        GridQuad& to = grid.quads[i];
        to.InitQuad(from.TL.x, from.TL.y, from.BR.x, from.BR.y, from.nx, from.ny, from.spotRadius,
                    from.backgroundRadius, from.roundCells);
        for (int s = 0; s < from.count; ++s) to.flags[s] = from.flags[s];
    }
    return grid;
}

// A copy of the laid-out grid, Auto Place when asked, one adjustment pass, and the comparison.
inline Fit runPipeline(const DemoScan& scan, bool autoPlace,
                       AdjustMethod method = AdjustMethod::TwoDimensionalWindow) {
    SpotGrid grid = laidOutGrid(scan);
    Fit fit;
    if (autoPlace) {
        const AutoPlaceResult placed = AutoPlaceGrid(grid, scan.image);
        fit.placed = placed.placed;
        fit.quads = placed.quads;
    }
    fit.worstQuad = worstQuadResidual(scan, grid);
    // Which spots the window finds: the same search AdjustGrid makes, before it moves them.
    std::vector<bool> found;
    const GridQuad& current = grid.quad(0, 0);
    for (const Spot& spot : scan.slide.spots) {
        const GridPoint c = *grid.quad(spot.qx, spot.qy).SpotCentre(spot.col, spot.row);
        const Box box{c.x - current.stepX / 2, c.y - current.stepY / 2, c.x + current.stepX / 2,
                      c.y + current.stepY / 2};
        found.push_back(
            TwoDimensionalWindow(scan.image, box, 2 * current.spotRadius, 2 * current.spotRadius)
                .has_value());
    }
    AdjustGrid(grid, grid.quad(0, 0), scan.image, method);
    for (std::size_t i = 0; i < scan.slide.spots.size(); ++i) {
        const Spot& spot = scan.slide.spots[i];
        const GridQuad& quad = grid.quad(spot.qx, spot.qy);
        if (!quad.ValidSpot(spot.col, spot.row) || (quad.Flags(spot.col, spot.row) & Excluded) != 0)
            continue;
        const GridPoint c = *quad.SpotCentre(spot.col, spot.row);
        const double error = std::hypot(c.x - spot.x, c.y - spot.y);
        ++fit.spots;
        fit.within += error <= 1.5;
        fit.meanError += error;
        fit.found += found[i];
        fit.foundWithin += found[i] && error <= 1.5;
    }
    if (fit.spots > 0) fit.meanError /= fit.spots;
    return fit;
}

}  // namespace orvane::demo
