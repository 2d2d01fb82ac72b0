// Renders a demo slide channel. Every pixel value is a pure function of the plan and its position,
// and quads never overlap, so the threads may run in any order and the picture stays the same.
#include "demo_slide_render.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "demo_random.h"

namespace orvane::demo {

namespace {

std::uint16_t toSample(double value) {
    if (!(value > 0.0)) return 0;
    if (value >= 65535.0) return 65535;
    return static_cast<std::uint16_t>(value + 0.5);
}

void renderBackground(const DemoSlide& slide, int channel, std::uint16_t* samples) {
    const std::int32_t width = slide.width;
    const std::int32_t height = slide.height;
    const double base = slide.backgroundLevel[channel];
#pragma omp parallel for schedule(static)
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint16_t* line =
            samples + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        const double fy = (y + 0.5) / height - 0.5;
        for (std::int32_t x = 0; x < width; ++x) {
            const double fx = (x + 0.5) / width - 0.5;
            const double level = base * (1.0 + slide.gradientX * fx + slide.gradientY * fy);
            const double noise = pixelNoise(slide.options.seed, channel, x, y);
            line[x] = toSample(level + (0.06 * level + 10.0) * noise);
        }
    }
}

// Adds a round blob centred at (cx, cy): level at the centre, a logistic edge of width `edge` at
// `radius`, and optionally a hollow centre (a doughnut spot) of relative depth `hollow`.
struct Blob {
    double cx, cy, radius, edge, hollow, level;
};

void addBlob(const DemoSlide& slide, int channel, const Blob& blob, std::uint16_t* samples) {
    const double reach = blob.radius + 8.0 * blob.edge + 1.0;
    const std::int32_t x0 =
        std::max<std::int32_t>(0, static_cast<std::int32_t>(std::floor(blob.cx - reach)));
    const std::int32_t x1 = std::min<std::int32_t>(
        slide.width - 1, static_cast<std::int32_t>(std::ceil(blob.cx + reach)));
    const std::int32_t y0 =
        std::max<std::int32_t>(0, static_cast<std::int32_t>(std::floor(blob.cy - reach)));
    const std::int32_t y1 = std::min<std::int32_t>(
        slide.height - 1, static_cast<std::int32_t>(std::ceil(blob.cy + reach)));
    const double hollowSpread = 2.0 * (0.45 * blob.radius) * (0.45 * blob.radius);
    for (std::int32_t y = y0; y <= y1; ++y) {
        std::uint16_t* line =
            samples + static_cast<std::size_t>(y) * static_cast<std::size_t>(slide.width);
        for (std::int32_t x = x0; x <= x1; ++x) {
            const double d2 = (x - blob.cx) * (x - blob.cx) + (y - blob.cy) * (y - blob.cy);
            const double d = std::sqrt(d2);
            double shape = 1.0 / (1.0 + std::exp((d - blob.radius) / blob.edge));
            if (blob.hollow > 0.0) shape *= 1.0 - blob.hollow * std::exp(-d2 / hollowSpread);
            double signal = blob.level * shape;
            if (signal < 0.5) continue;
            // Shot noise and a few percent of printing unevenness.
            signal += (0.05 * signal + std::sqrt(signal)) *
                      pixelNoise(slide.options.seed, channel + 2, x, y);
            line[x] = toSample(line[x] + signal);
        }
    }
}

}  // namespace

void renderChannel(const DemoSlide& slide, int channel, std::uint16_t* samples) {
    renderBackground(slide, channel, samples);
    const double pxPerUm = slide.scan.pixelsPerCm / 10000.0;
    const double spotEdge = std::max(0.35, 6.0 * pxPerUm);
    const int perQuad = slide.layout.positionCount();
    const int quads = perQuad > 0 ? static_cast<int>(slide.spots.size()) / perQuad : 0;
    // Quads lie a template step apart, far more than a spot reaches, so they never share a pixel.
#pragma omp parallel for schedule(dynamic)
    for (int q = 0; q < quads; ++q) {
        for (int i = q * perQuad; i < (q + 1) * perQuad; ++i) {
            const Spot& spot = slide.spots[static_cast<std::size_t>(i)];
            if (!spot.printed) continue;
            addBlob(slide, channel,
                    {spot.x, spot.y, spot.radius, spotEdge, spot.doughnut, spot.level[channel]},
                    samples);
        }
    }
    // Dust lies on top of everything, with a sharp edge.
    for (const Speck& speck : slide.specks)
        addBlob(slide, channel, {speck.x, speck.y, speck.radius, 0.3, 0.0, speck.level[channel]},
                samples);
}

}  // namespace orvane::demo
