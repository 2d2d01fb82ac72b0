// Spot areas and spot means.
#include "spot_geometry.h"

#include "base/core_error.h"

namespace orvane {

namespace {

// Boxes are 32-bit; a centre near the limits must not wrap around to the other side.
std::int32_t offsetBy(std::int32_t v, std::int64_t d) {
    const std::int64_t r = static_cast<std::int64_t>(v) + d;
    return static_cast<std::int32_t>(r < INT32_MIN ? INT32_MIN : r > INT32_MAX ? INT32_MAX : r);
}

Box around(GridPoint c, std::int32_t rx, std::int32_t ry) {
    return {offsetBy(c.x, -static_cast<std::int64_t>(rx)),
            offsetBy(c.y, -static_cast<std::int64_t>(ry)), offsetBy(c.x, rx), offsetBy(c.y, ry)};
}

std::int32_t meanOf(std::int64_t sum, std::int64_t count) {
    return count != 0 ? static_cast<std::int32_t>(sum / count) : 0;
}

}  // namespace

SpotAreas SpotAreasAt(GridPoint centre, const SpotGeometry& g, std::int32_t roundCells) {
    SpotAreas areas;
    areas.data = around(centre, g.spotRadius, g.spotRadius);
    areas.background = around(centre, g.halfStepX, g.halfStepY);
    areas.inner = around(centre, g.backgroundRadius, g.backgroundRadius);
    // A value other than 0 or 1 is kept as it is: such a kind samples nothing.
    areas.kind = static_cast<ShapeKind>(roundCells);
    return areas;
}

ScanCover ScanCoverOf(const LayeredImage& image, const SpotAreas& areas) {
    const ImageLayer& layer = image.layers[0];  // every layer has the first one's size
    const Box& b = areas.data;
    if (b.left >= 0 && b.top >= 0 && b.right <= layer.width && b.bottom <= layer.height)
        return ScanCover::Inside;
    // Only spots at the edge are sampled; a disc's box may reach out where the disc does not.
    std::int64_t sum = 0;
    return SampleArea(sum, image, b, 0, areas.kind) == 0 ? ScanCover::Outside : ScanCover::Partly;
}

void RequireGridDisplay(ToolKind tool, const GridQuad& currentQuad) {
    if (tool != ToolKind::Grid || currentQuad.defined == 0)
        throw CoreError("Please define / load grid and select grid display.");
}

void SpotAreaMeans(const LayeredImage& image, const SpotAreas& areas, int layer,
                   std::int32_t& dataMean, std::int32_t& backgroundMean) {
    std::int64_t sum = 0;
    const std::int64_t n = SampleArea(sum, image, areas.data, layer, areas.kind);
    dataMean = meanOf(sum, n);
    const std::int64_t nb =
        SampleBackground(sum, image, areas.background, areas.inner, layer, areas.kind);
    backgroundMean = meanOf(sum, nb);
}

SpotIntensity MeasureSpot(const LayeredImage& image, const GridQuad& quad, std::int32_t col,
                          std::int32_t row) {
    SpotIntensity result;
    const std::optional<GridPoint> centre = quad.SpotCentre(col, row);
    if (!centre) return result;
    const SpotAreas areas = SpotAreasAt(*centre, SpotGeometry::Of(quad), quad.roundCells);
    for (int k = 0; k < image.layerCount && k < kMaxLayers; ++k)
        SpotAreaMeans(image, areas, k, result.spotMean[static_cast<std::size_t>(k)],
                      result.backgroundMean[static_cast<std::size_t>(k)]);
    return result;
}

}  // namespace orvane
