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

// Extra background of a defective slide at (x, y): the channel's own gradient and its smudges.
double backgroundDefects(const DemoSlide& slide, int channel, double base, double fx, double fy,
                         std::int32_t x, std::int32_t y) {
    double extra =
        base * (slide.channelGradientX[channel] * fx + slide.channelGradientY[channel] * fy);
    for (const Smudge& smudge : slide.smudges) {
        const double dx = x - smudge.x, dy = y - smudge.y;
        const double reach = 4.0 * smudge.sigma;
        if (smudge.channel != channel || std::abs(dx) > reach || std::abs(dy) > reach) continue;
        extra +=
            smudge.level * std::exp(-(dx * dx + dy * dy) / (2.0 * smudge.sigma * smudge.sigma));
    }
    return extra;
}

void renderBackground(const DemoSlide& slide, int channel, std::uint16_t* samples) {
    const std::int32_t width = slide.width;
    const std::int32_t height = slide.height;
    const double base = slide.backgroundLevel[channel];
    const bool defects = slide.options.defects.gradient > 0 || !slide.smudges.empty();
#pragma omp parallel for schedule(static)
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint16_t* line =
            samples + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        const double fy = (y + 0.5) / height - 0.5;
        for (std::int32_t x = 0; x < width; ++x) {
            const double fx = (x + 0.5) / width - 0.5;
            double level = base * (1.0 + slide.gradientX * fx + slide.gradientY * fy);
            if (defects) level += backgroundDefects(slide, channel, base, fx, fy, x, y);
            const double noise = pixelNoise(slide.options.seed, channel, x, y);
            line[x] = toSample(level + (0.06 * level + 10.0) * noise);
        }
    }
}

// A round blob centred at (cx, cy): level at the centre, a logistic edge of width `edge` at
// `radius`, optionally a hollow centre (a doughnut spot) of relative depth `hollow`, a lumpy
// outline and a comet tail.
struct Blob {
    double cx, cy, radius, edge, hollow, level;
    double lumps = 0.0, lumpPhase = 0.0;
    double tail = 0.0, tailLength = 0.0, tailAngle = 0.0;
};

Blob spotBlob(const DemoSlide& slide, const Spot& spot, int channel) {
    const double pxPerUm = slide.scan.pixelsPerCm / 10000.0;
    const double edge = std::max(0.35, 6.0 * pxPerUm);
    return {spot.x,        spot.y,
            spot.radius,   edge,
            spot.doughnut, spot.level[channel],
            spot.lumps,    spot.lumpPhase,
            spot.tail,     spot.tailLength,
            spot.tailAngle};
}

// The noiseless share of the blob's level at pixel (x, y).
double blobShape(const Blob& blob, std::int32_t x, std::int32_t y) {
    const double dx = x - blob.cx, dy = y - blob.cy;
    const double d2 = dx * dx + dy * dy;
    const double d = std::sqrt(d2);
    const double radius =
        blob.lumps > 0.0
            ? blob.radius * (1.0 + blob.lumps * std::cos(3.0 * std::atan2(dy, dx) + blob.lumpPhase))
            : blob.radius;
    double shape = 1.0 / (1.0 + std::exp((d - radius) / blob.edge));
    if (blob.hollow > 0.0) {
        const double hollowSpread = 2.0 * (0.45 * blob.radius) * (0.45 * blob.radius);
        shape *= 1.0 - blob.hollow * std::exp(-d2 / hollowSpread);
    }
    if (blob.tail > 0.0) {
        const double along = dx * std::cos(blob.tailAngle) + dy * std::sin(blob.tailAngle);
        const double across =
            std::abs(dy * std::cos(blob.tailAngle) - dx * std::sin(blob.tailAngle));
        if (along > 0.0 && along <= 6.0 * blob.tailLength) {
            const double tail = blob.tail * std::exp(-along / blob.tailLength) /
                                (1.0 + std::exp((across - 0.6 * blob.radius) / blob.edge));
            shape = std::max(shape, tail);
        }
    }
    return shape;
}

// Calls visit(x, y, signal) for every pixel of the scan where the blob adds at least half a count.
template <typename Visit>
void forBlobPixels(const DemoSlide& slide, const Blob& blob, Visit visit) {
    double reach = blob.radius + 8.0 * blob.edge + 1.0;
    if (blob.lumps > 0.0) reach += blob.lumps * blob.radius;
    double left = blob.cx - reach, right = blob.cx + reach;
    double top = blob.cy - reach, bottom = blob.cy + reach;
    if (blob.tail > 0.0) {
        // The tail is drawn to six decay lengths, where it has fallen below 0.3 %.
        const double endX = blob.cx + 6.0 * blob.tailLength * std::cos(blob.tailAngle);
        const double endY = blob.cy + 6.0 * blob.tailLength * std::sin(blob.tailAngle);
        left = std::min(left, endX - reach), right = std::max(right, endX + reach);
        top = std::min(top, endY - reach), bottom = std::max(bottom, endY + reach);
    }
    const std::int32_t x0 = std::max<std::int32_t>(0, static_cast<std::int32_t>(std::floor(left)));
    const std::int32_t x1 =
        std::min<std::int32_t>(slide.width - 1, static_cast<std::int32_t>(std::ceil(right)));
    const std::int32_t y0 = std::max<std::int32_t>(0, static_cast<std::int32_t>(std::floor(top)));
    const std::int32_t y1 =
        std::min<std::int32_t>(slide.height - 1, static_cast<std::int32_t>(std::ceil(bottom)));
    for (std::int32_t y = y0; y <= y1; ++y) {
        for (std::int32_t x = x0; x <= x1; ++x) {
            const double signal = blob.level * blobShape(blob, x, y);
            if (signal >= 0.5) visit(x, y, signal);
        }
    }
}

// Shot noise and a few percent of printing unevenness on top of the drawn signal.
std::uint16_t withSignal(const DemoSlide& slide, int noiseLayer, std::int32_t x, std::int32_t y,
                         std::uint16_t sample, double signal) {
    signal +=
        (0.05 * signal + std::sqrt(signal)) * pixelNoise(slide.options.seed, noiseLayer, x, y);
    return toSample(sample + signal);
}

void addBlob(const DemoSlide& slide, int channel, const Blob& blob, std::uint16_t* samples) {
    forBlobPixels(slide, blob, [&](std::int32_t x, std::int32_t y, double signal) {
        std::uint16_t& sample =
            samples[static_cast<std::size_t>(y) * static_cast<std::size_t>(slide.width) +
                    static_cast<std::size_t>(x)];
        sample = withSignal(slide, channel + 2, x, y, sample, signal);
    });
}

double distanceToSegment(const Scratch& line, double x, double y) {
    const double vx = line.x1 - line.x0, vy = line.y1 - line.y0;
    const double length2 = vx * vx + vy * vy;
    const double t = length2 > 0.0
                         ? std::clamp(((x - line.x0) * vx + (y - line.y0) * vy) / length2, 0.0, 1.0)
                         : 0.0;
    return std::hypot(x - line.x0 - t * vx, y - line.y0 - t * vy);
}

void addScratch(const DemoSlide& slide, int channel, const Scratch& line, std::uint16_t* samples) {
    const double reach = line.width + 4.0;
    const auto clampTo = [](double v, std::int32_t high) {
        return static_cast<std::int32_t>(std::clamp(v, 0.0, static_cast<double>(high)));
    };
    const std::int32_t x0 = clampTo(std::min(line.x0, line.x1) - reach, slide.width - 1);
    const std::int32_t x1 = clampTo(std::max(line.x0, line.x1) + reach, slide.width - 1);
    const std::int32_t y0 = clampTo(std::min(line.y0, line.y1) - reach, slide.height - 1);
    const std::int32_t y1 = clampTo(std::max(line.y0, line.y1) + reach, slide.height - 1);
#pragma omp parallel for schedule(static)
    for (std::int32_t y = y0; y <= y1; ++y) {
        for (std::int32_t x = x0; x <= x1; ++x) {
            const double d = distanceToSegment(line, x, y);
            if (d > reach) continue;
            const double signal =
                line.level[channel] / (1.0 + std::exp((d - 0.5 * line.width) / 0.3));
            if (signal < 0.5) continue;
            std::uint16_t& sample =
                samples[static_cast<std::size_t>(y) * static_cast<std::size_t>(slide.width) +
                        static_cast<std::size_t>(x)];
            sample = withSignal(slide, channel + 4, x, y, sample, signal);
        }
    }
}

}  // namespace

void renderChannel(const DemoSlide& slide, int channel, std::uint16_t* samples) {
    renderBackground(slide, channel, samples);
    const int perQuad = slide.layout.positionCount();
    const int quads = perQuad > 0 ? static_cast<int>(slide.spots.size()) / perQuad : 0;
    // Quads lie a template step apart, far more than a spot reaches, so they never share a pixel.
#pragma omp parallel for schedule(dynamic)
    for (int q = 0; q < quads; ++q) {
        for (int i = q * perQuad; i < (q + 1) * perQuad; ++i) {
            const Spot& spot = slide.spots[static_cast<std::size_t>(i)];
            if (!spot.printed) continue;
            addBlob(slide, channel, spotBlob(slide, spot, channel), samples);
        }
    }
    // Dust and scratches lie on top of everything, with a sharp edge.
    for (const Speck& speck : slide.specks)
        addBlob(slide, channel, {speck.x, speck.y, speck.radius, 0.3, 0.0, speck.level[channel]},
                samples);
    for (const Scratch& line : slide.scratches) addScratch(slide, channel, line, samples);
}

double spotTrueSignal(const DemoSlide& slide, const Spot& spot, int channel) {
    if (!spot.printed) return 0.0;
    double sum = 0.0;
    forBlobPixels(slide, spotBlob(slide, spot, channel),
                  [&](std::int32_t, std::int32_t, double signal) { sum += signal; });
    return sum;
}

}  // namespace orvane::demo
