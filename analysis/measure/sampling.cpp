// Rectangle and disc sampling of one layer. Border rule: boxes are clipped to the image; a disc
// takes its radius from the box width alone and covers 2*hw columns per row, the column cx - hw
// included and cx + hw excluded, so the rows at distance r are empty.
#include "sampling.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orvane {

namespace {

// Rows and columns of the box that lie inside the image, [x0, x1) x [y0, y1).
struct Clip {
    std::int32_t x0, y0, x1, y1;
};

Clip clipToImage(const ImageLayer& layer, const Box& box) {
    return {std::max(box.left, 0), std::max(box.top, 0), std::min(box.right, layer.width),
            std::min(box.bottom, layer.height)};
}

const ImageLayer* layerOf(const LayeredImage& image, int layer) {
    if (layer < 0 || layer >= image.layerCount || layer >= kMaxLayers) return nullptr;
    const ImageLayer& l = image.layers[static_cast<std::size_t>(layer)];
    return l.loaded() ? &l : nullptr;
}

// Radius and centre of the disc that a box describes; divisions truncate toward zero.
struct Disc {
    std::int64_t r, cx, cy;
};

Disc discOf(const Box& box) {
    return {(static_cast<std::int64_t>(box.right) - box.left) / 2,
            (static_cast<std::int64_t>(box.left) + box.right) / 2,
            (static_cast<std::int64_t>(box.top) + box.bottom) / 2};
}

// Half-width of the disc in row y: floor(sqrt(r^2 - d^2)) where d^2 <= r^2, else 0.
std::int64_t halfWidth(const Disc& disc, std::int64_t y) {
    const std::int64_t d = std::llabs(y - disc.cy);
    const std::int64_t r2 = disc.r * disc.r;
    if (d * d > r2) return 0;
    return static_cast<std::int64_t>(std::sqrt(static_cast<double>(r2 - d * d)));
}

// Calls visit(x, y) for every pixel of the shape in visiting order; returns the count.
template <typename Visit>
std::int64_t visitArea(const ImageLayer& layer, const Box& box, ShapeKind kind, Visit visit) {
    const Clip c = clipToImage(layer, box);
    std::int64_t count = 0;
    if (kind == ShapeKind::Rectangle) {
        for (std::int32_t y = c.y0; y < c.y1; ++y)
            for (std::int32_t x = c.x0; x < c.x1; ++x, ++count) visit(x, y);
    } else if (kind == ShapeKind::Disc) {
        const Disc disc = discOf(box);
        for (std::int32_t y = c.y0; y < c.y1; ++y) {
            const std::int64_t hw = halfWidth(disc, y);
            const std::int64_t from = std::max<std::int64_t>(disc.cx - hw, 0);
            const std::int64_t to = std::min<std::int64_t>(disc.cx + hw, layer.width);
            for (std::int64_t x = from; x < to; ++x, ++count)
                visit(static_cast<std::int32_t>(x), y);
        }
    }
    return count;
}

// Calls visit(x, y) for every pixel of `outer` (clipped, rows top first, left to right) that
// lies outside the centre `inner`; returns the count.
template <typename Visit>
std::int64_t visitBackground(const ImageLayer& layer, const Box& outer, const Box& inner,
                             ShapeKind kind, Visit visit) {
    const Clip c = clipToImage(layer, outer);
    std::int64_t count = 0;
    if (kind == ShapeKind::Rectangle) {
        for (std::int32_t y = c.y0; y < c.y1; ++y) {
            const bool rowCrosses = inner.top <= y && y < inner.bottom;
            for (std::int32_t x = c.x0; x < c.x1; ++x) {
                if (rowCrosses && inner.left <= x && x < inner.right) continue;
                visit(x, y);
                ++count;
            }
        }
    } else if (kind == ShapeKind::Disc) {
        // A pixel counts when x <= cx - hw or x >= cx + hw: the column cx - hw is shared with
        // the data disc, and rows the disc does not cross (hw = 0) are counted whole.
        // Each row is two runs, left of the excluded columns and right of them; with hw = 0
        // the right run starts after the left one (column cx only once).
        const Disc disc = discOf(inner);
        for (std::int32_t y = c.y0; y < c.y1; ++y) {
            const std::int64_t hw = halfWidth(disc, y);
            const std::int64_t leftEnd = std::min<std::int64_t>(disc.cx - hw + 1, c.x1);
            for (std::int64_t x = c.x0; x < leftEnd; ++x, ++count)
                visit(static_cast<std::int32_t>(x), y);
            const std::int64_t rightStart =
                std::max({disc.cx + hw, leftEnd, static_cast<std::int64_t>(c.x0)});
            for (std::int64_t x = rightStart; x < c.x1; ++x, ++count)
                visit(static_cast<std::int32_t>(x), y);
        }
    }
    return count;
}

}  // namespace

std::int64_t SampleArea(std::int64_t& sum, const LayeredImage& image, const Box& box, int layer,
                        ShapeKind kind) {
    sum = 0;
    const ImageLayer* l = layerOf(image, layer);
    if (l == nullptr) return 0;
    std::int64_t total = 0;
    const std::int64_t count =
        visitArea(*l, box, kind, [&](std::int32_t x, std::int32_t y) { total += l->at(x, y); });
    sum = total;
    return count;
}

std::int64_t SampleArea(std::int32_t* list, const LayeredImage& image, const Box& box, int layer,
                        ShapeKind kind) {
    const ImageLayer* l = layerOf(image, layer);
    if (l == nullptr) return 0;
    std::int32_t* next = list;
    return visitArea(*l, box, kind, [&](std::int32_t x, std::int32_t y) { *next++ = l->at(x, y); });
}

std::int64_t SamplePositions(PixelPosition* positions, const LayeredImage& image, const Box& box,
                             ShapeKind kind) {
    const ImageLayer* l = layerOf(image, 0);
    if (l == nullptr) return 0;
    PixelPosition* next = positions;
    return visitArea(*l, box, kind, [&](std::int32_t x, std::int32_t y) { *next++ = {x, y}; });
}

std::int64_t SampleListCapacity(const Box& box) {
    const std::int64_t w = static_cast<std::int64_t>(box.right) - box.left;
    const std::int64_t h = static_cast<std::int64_t>(box.bottom) - box.top;
    if (w < 0 || h < 0) return 0;
    return (w + 1) * (h + 1);
}

std::int64_t SampleBackground(std::int64_t& sum, const LayeredImage& image, const Box& outer,
                              const Box& inner, int layer, ShapeKind kind) {
    sum = 0;
    const ImageLayer* l = layerOf(image, layer);
    if (l == nullptr) return 0;
    std::int64_t total = 0;
    const std::int64_t count = visitBackground(
        *l, outer, inner, kind, [&](std::int32_t x, std::int32_t y) { total += l->at(x, y); });
    sum = total;
    return count;
}

std::int64_t SampleBackground(std::int32_t* list, const LayeredImage& image, const Box& outer,
                              const Box& inner, int layer, ShapeKind kind) {
    const ImageLayer* l = layerOf(image, layer);
    if (l == nullptr) return 0;
    std::int32_t* next = list;
    return visitBackground(*l, outer, inner, kind,
                           [&](std::int32_t x, std::int32_t y) { *next++ = l->at(x, y); });
}

}  // namespace orvane
