// The Spot Plot's arithmetic.
#include "measure/spot_plot.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvane {

std::optional<SpotMA> SpotMAOf(const SpotResult& spot, int layerCount) {
    if (layerCount < 2 || !spot.measured()) return std::nullopt;
    const auto red = static_cast<double>(spot.channels[0].medianMinusBackground());
    const auto green = static_cast<double>(spot.channels[1].medianMinusBackground());
    if (!(red > 0.0) || !(green > 0.0)) return std::nullopt;
    // M as the GenePix file's log ratio: log2 of the ratio of the background-subtracted medians.
    return SpotMA{std::log2(red / green), 0.5 * std::log2(red * green)};
}

namespace {

// The round step (1, 2 or 5 times a power of ten) next to `step` above (up) or below it.
double roundStep(double rough, bool up) {
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    if (up) {
        for (const double factor : {1.0, 2.0, 5.0})
            if (factor * power >= rough) return factor * power;
        return 10.0 * power;
    }
    for (const double factor : {5.0, 2.0, 1.0})
        if (factor * power < rough) return factor * power;
    return 0.5 * power;
}

std::vector<double> ticksEvery(const PlotRange& range, double step) {
    std::vector<double> ticks;
    for (double t = std::ceil(range.min / step) * step; t <= range.max + step * 1e-9; t += step)
        ticks.push_back(std::fabs(t) < step * 1e-9 ? 0.0 : t);
    return ticks;
}

}  // namespace

std::vector<double> PlotTicks(const PlotRange& range, int count) {
    const double span = range.max - range.min;
    if (!(span > 0.0) || !std::isfinite(span) || count < 1) return {};
    // A round step can leave a narrow range with one tick; a finer one gives an axis its scale.
    const std::size_t fewest = static_cast<std::size_t>(std::min(count, kFewestPlotTicks));
    double step = roundStep(span / count, true);
    std::vector<double> ticks = ticksEvery(range, step);
    while (ticks.size() < fewest) {
        step = roundStep(step, false);
        ticks = ticksEvery(range, step);
    }
    return ticks;
}

namespace {

PlotRange padded(double lo, double hi) {
    if (!(lo <= hi)) return {};
    const double pad = std::max((hi - lo) * 0.05, 0.5);
    return {lo - pad, hi + pad};
}

}  // namespace

SpotPlotData SpotPlotDataOf(const SpotResults& results) {
    SpotPlotData data;
    double aLo = std::numeric_limits<double>::infinity(), aHi = -aLo, mLo = aLo, mHi = -aLo;
    for (std::size_t i = 0; i < results.spots.size(); ++i) {
        const SpotResult& spot = results.spots[i];
        if (!spot.measured()) continue;
        const std::optional<SpotMA> ma = SpotMAOf(spot, results.layerCount);
        if (!ma) {
            ++data.undefined;
            continue;
        }
        data.points.push_back({i, *ma});
        aLo = std::min(aLo, ma->a);
        aHi = std::max(aHi, ma->a);
        mLo = std::min(mLo, ma->m);
        mHi = std::max(mHi, ma->m);
    }
    data.a = padded(aLo, aHi);
    // M is shown symmetric about 0, where the channels agree.
    const double mExtent = std::max(std::fabs(mLo), std::fabs(mHi));
    data.m = data.points.empty() ? PlotRange{-1.0, 1.0} : padded(-mExtent, mExtent);
    return data;
}

std::optional<std::size_t> NearestPlotPoint(const SpotPlotData& data, double a, double m,
                                            double aScale, double mScale) {
    std::optional<std::size_t> nearest;
    double best = std::numeric_limits<double>::infinity();
    for (const SpotPlotData::Point& p : data.points) {
        const double dx = (p.ma.a - a) * aScale, dy = (p.ma.m - m) * mScale;
        const double d = dx * dx + dy * dy;
        if (d < best) best = d, nearest = p.spot;
    }
    return nearest;
}

std::vector<std::size_t> PlotPointsInside(const SpotPlotData& data, PlotRange a, PlotRange m) {
    if (a.min > a.max) std::swap(a.min, a.max);
    if (m.min > m.max) std::swap(m.min, m.max);
    std::vector<std::size_t> inside;
    for (const SpotPlotData::Point& p : data.points)
        if (p.ma.a >= a.min && p.ma.a <= a.max && p.ma.m >= m.min && p.ma.m <= m.max)
            inside.push_back(p.spot);
    return inside;
}

}  // namespace orvane
