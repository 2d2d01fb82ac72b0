// The Spot Plot's arithmetic: M (log2 ratio of layer 1 over layer 2) against A (half the log2 of
// the product of the background-subtracted medians) of every measured spot, the axes' ranges and
// ticks, and the picking of points by a click or a rectangle. The widget only draws.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "measure/spot_results.h"

namespace orvane {

struct SpotMA {
    double m = 0.0;
    double a = 0.0;
};

// M and A of a measured spot; none for an excluded spot, with fewer than two layers, or when a
// background-subtracted median is not positive (no logarithm).
std::optional<SpotMA> SpotMAOf(const SpotResult& spot, int layerCount);

struct PlotRange {
    double min = 0.0, max = 1.0;
};

// Tick values at a 1, 2 or 5 times a power of ten step, at most about `count` of them, inside
// [min, max]; never fewer than min(count, kFewestPlotTicks).
inline constexpr int kFewestPlotTicks = 3;
std::vector<double> PlotTicks(const PlotRange& range, int count);

struct SpotPlotData {
    struct Point {
        std::size_t spot = 0;  // index into SpotResults::spots
        SpotMA ma;
    };
    std::vector<Point> points;
    std::int32_t undefined = 0;  // measured spots without M or A: counted, not drawn
    PlotRange a, m;              // the axes: the points' extent, padded a little
};

SpotPlotData SpotPlotDataOf(const SpotResults& results);

// The point nearest to (a, m) when distances are measured in the plot's pixels: `aScale` and
// `mScale` are pixels per unit. None without points.
std::optional<std::size_t> NearestPlotPoint(const SpotPlotData& data, double a, double m,
                                            double aScale, double mScale);

// The spots (indices into SpotResults::spots) whose points lie in the rectangle, edges included.
std::vector<std::size_t> PlotPointsInside(const SpotPlotData& data, PlotRange a, PlotRange m);

}  // namespace orvane
