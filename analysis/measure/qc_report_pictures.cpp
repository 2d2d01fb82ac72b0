// The QC report's reduced scan picture: box means of the scan's pixels, one pass over each layer,
// rows of the picture in parallel.
#include <algorithm>
#include <cmath>
#include <vector>

#include "base/parallel.h"
#include "grid/grid_quad.h"
#include "grid/spot_walk.h"
#include "measure/qc_report.h"

namespace orvane {

namespace {

constexpr Rgb kQuadOutline{0, 200, 255};
constexpr Rgb kMarkedSpot{255, 0, 255};

// The value at fraction q of the sorted copy of `values` (0 when empty).
float quantile(std::vector<float> values, double q) {
    if (values.empty()) return 0;
    const auto k = static_cast<std::size_t>(q * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(k), values.end());
    return values[k];
}

// Box means of `factor` x `factor` pixels of one layer, clipped at the image's edges.
std::vector<float> boxMeans(const ImageLayer& layer, std::int32_t factor, std::int32_t w,
                            std::int32_t h) {
    std::vector<float> means(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    const std::int32_t width = layer.width, height = layer.height;
#pragma omp parallel for schedule(static) if (static_cast <long long>(width) * height > \
                                              kParallelPixels)
    for (std::int32_t y = 0; y < h; ++y) {
        std::vector<double> sums(static_cast<std::size_t>(w), 0.0);
        const std::int32_t top = y * factor, bottom = std::min(height, top + factor);
        for (std::int32_t sy = top; sy < bottom; ++sy) {
            const std::uint16_t* row = layer.samples.get() + static_cast<std::size_t>(sy) *
                                                                 static_cast<std::size_t>(width);
            for (std::int32_t x = 0; x < w; ++x) {
                const std::int32_t left = x * factor, right = std::min(width, left + factor);
                std::uint32_t sum = 0;
                for (std::int32_t sx = left; sx < right; ++sx) sum += row[sx];
                sums[static_cast<std::size_t>(x)] += sum;
            }
        }
        for (std::int32_t x = 0; x < w; ++x) {
            const std::int32_t cols = std::min(width, (x + 1) * factor) - x * factor;
            const double count = static_cast<double>(cols) * (bottom - top);
            means[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                  static_cast<std::size_t>(x)] =
                count > 0 ? static_cast<float>(sums[static_cast<std::size_t>(x)] / count) : 0.f;
        }
    }
    return means;
}

// Stretched between the 1st and 99.7th percentile, with a square root so that faint spots show.
std::vector<std::uint8_t> stretched(const std::vector<float>& means) {
    std::vector<float> sample;
    const std::size_t stride = std::max<std::size_t>(1, means.size() / 20000);
    for (std::size_t i = 0; i < means.size(); i += stride) sample.push_back(means[i]);
    const float low = quantile(sample, 0.01), high = quantile(sample, 0.997);
    std::vector<std::uint8_t> out(means.size());
    const double span = high > low ? high - low : 1.0;
    for (std::size_t i = 0; i < means.size(); ++i) {
        const double v = std::clamp((means[i] - low) / span, 0.0, 1.0);
        out[i] = static_cast<std::uint8_t>(std::lround(255.0 * std::sqrt(v)));
    }
    return out;
}

}  // namespace

RgbPicture ReducedScanPicture(const LayeredImage& image, const SpotGrid& grid,
                              const SpotResults& results, std::int32_t maxWidth,
                              std::int32_t maxHeight) {
    const std::int32_t width = image.width(), height = image.height();
    if (width < 1 || height < 1 || image.layerCount < 1) return RgbPicture(1, 1, Rgb{});
    const std::int32_t factor = std::max({1, (width + maxWidth - 1) / std::max(1, maxWidth),
                                          (height + maxHeight - 1) / std::max(1, maxHeight)});
    const std::int32_t w = (width + factor - 1) / factor, h = (height + factor - 1) / factor;
    RgbPicture picture(w, h, Rgb{});
    const int layers = std::min(image.layerCount, kMaxLayers);
    for (int k = 0; k < layers; ++k) {
        const std::vector<std::uint8_t> level =
            stretched(boxMeans(image.layers[static_cast<std::size_t>(k)], factor, w, h));
        for (std::size_t i = 0; i < level.size(); ++i) {
            std::uint8_t* px = picture.pixels.data() + i * 3;
            if (layers == 1)
                px[0] = px[1] = px[2] = level[i];
            else
                px[k] = level[i];
        }
    }
    // Quads: the outline of their spots' cells, through the corners pushed out by half a pitch.
    auto scaled = [factor](std::int32_t v) { return v / factor; };
    ForEachQuad<WalkOrder::ByColumn>(grid, [&](std::int32_t, std::int32_t, const GridQuad& q) {
        const std::int32_t hx = q.stepX / 2, hy = q.stepY / 2;
        const GridPoint c[4] = {{q.TL.x - hx, q.TL.y - hy},
                                {q.TR.x + hx, q.TR.y - hy},
                                {q.BR.x + hx, q.BR.y + hy},
                                {q.BL.x - hx, q.BL.y + hy}};
        for (int i = 0; i < 4; ++i) {
            const GridPoint a = c[i], b = c[(i + 1) % 4];
            picture.line(scaled(a.x), scaled(a.y), scaled(b.x), scaled(b.y), kQuadOutline);
        }
    });
    for (const SpotResult& spot : results.spots) {
        if (!spot.measured() || (spot.flags & Marked) == 0) continue;
        const std::int32_t x = scaled(spot.centre.x), y = scaled(spot.centre.y);
        picture.line(x - 2, y - 2, x + 2, y + 2, kMarkedSpot);
        picture.line(x - 2, y + 2, x + 2, y - 2, kMarkedSpot);
    }
    return picture;
}

}  // namespace orvane
