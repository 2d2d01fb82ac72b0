// BuildZoomed32: the screen box back to image pixels (blocks above 1:1, maxima below), then the
// display mapping of BuildRaster32 over just those pixels.
#include "zoomed_raster.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/allocator.h"

namespace orvane {
namespace {

std::int64_t ceilDiv(std::int64_t a, std::int64_t b) { return a >= 0 ? (a + b - 1) / b : a / b; }

// Above 1:1: the image box under the screen box, mapped once, then each image pixel repeated
// over its block.
void buildEnlarged(const LayeredImage& image, const DisplayState& state, const ZoomScale& scale,
                   const ScreenBox& box, std::uint32_t* pixels, std::int64_t pixelsPerRow,
                   Progress& progress) {
    const auto x0 = static_cast<std::int32_t>(scale.ToImage(box.left));
    const auto x1 = static_cast<std::int32_t>(scale.ToImage(box.right - 1) + 1);
    const auto y0 = static_cast<std::int32_t>(scale.ToImage(box.top));
    const auto y1 = static_cast<std::int32_t>(scale.ToImage(box.bottom - 1) + 1);
    if (scale.isOne()) {
        BuildRaster32Box(image, state, pixels, pixelsPerRow, x0, x1, y0, y1, progress);
        return;
    }
    const std::int32_t columns = x1 - x0;
    auto mapped = allocateBuffer<std::uint32_t>(checkedCount(columns, y1 - y0, 4));
    BuildRaster32Box(image, state, mapped.get(), columns, x0, x1, y0, y1, progress);
    const auto width = static_cast<std::size_t>(box.right - box.left);
    std::vector<std::int32_t> column(width);
    for (std::size_t i = 0; i < width; ++i)
        column[i] = static_cast<std::int32_t>(scale.ToImage(box.left + std::int64_t(i)) - x0);
    std::int64_t previous = -1;
    for (std::int64_t sy = box.top; sy < box.bottom; ++sy) {
        std::uint32_t* out = pixels + (sy - box.top) * pixelsPerRow;
        const std::int64_t y = scale.ToImage(sy) - y0;
        if (y == previous) {
            std::memcpy(out, out - pixelsPerRow, width * 4);
            continue;
        }
        const std::uint32_t* in = mapped.get() + y * columns;
        for (std::size_t i = 0; i < width; ++i) out[i] = in[column[i]];
        previous = y;
    }
}

// One axis below 1:1: for each screen pixel the range of source samples whose maximum it shows.
struct SourceRanges {
    std::vector<std::int32_t> first, end;
};

SourceRanges sourceRanges(const ZoomScale& scale, std::int64_t from, std::int64_t to,
                          std::int64_t imageSize, int level, int sourceLevel,
                          std::int64_t sourceSize) {
    SourceRanges r;
    const std::int64_t block = std::int64_t{1} << level;
    const std::int64_t factor = std::int64_t{1} << (level - sourceLevel);
    for (std::int64_t s = from; s < to; ++s) {
        const std::int64_t a = std::clamp<std::int64_t>(scale.CoveredFirst(s), 0, imageSize - 1);
        const std::int64_t b = std::clamp<std::int64_t>(scale.CoveredEnd(s), a + 1, imageSize);
        // The blocks whose first sample lies in [a, b): each block belongs to one screen pixel.
        std::int64_t ja = ceilDiv(a, block), jb = ceilDiv(b, block);
        if (ja >= jb) {  // a short range at the image's end: the block that holds it
            ja = a / block;
            jb = ja + 1;
        }
        r.first.push_back(static_cast<std::int32_t>(ja * factor));
        r.end.push_back(static_cast<std::int32_t>(std::min(jb * factor, sourceSize)));
    }
    return r;
}

// Below 1:1: the maxima of each layer into a small image of the screen box's size, then mapped.
void buildReduced(const LayeredImage& image, const ReducedLayers* reduced,
                  const DisplayState& state, const ZoomScale& scale, const ScreenBox& box,
                  std::uint32_t* pixels, std::int64_t pixelsPerRow, Progress& progress) {
    const int level = ReductionLevel(scale);
    const bool useReduced = reduced != nullptr && reduced->built() &&
                            reduced->layerCount() >= image.layerCount &&
                            level >= ReducedLayers::kFirstLevel;
    const int sourceLevel = useReduced ? level : 0;
    const auto width = static_cast<std::int32_t>(box.right - box.left);
    const auto height = static_cast<std::int32_t>(box.bottom - box.top);
    LayeredImage maxima;
    maxima.layerCount = image.layerCount;
    for (int i = 0; i < image.layerCount; ++i) {
        const ImageLayer& layer = image.layers[static_cast<std::size_t>(i)];
        const std::uint16_t* source = layer.samples.get();
        std::int32_t sourceWidth = layer.width, sourceHeight = layer.height;
        if (useReduced) {
            const ReducedLayers::Level& l = reduced->level(i, level);
            source = l.samples.get();
            sourceWidth = l.width;
            sourceHeight = l.height;
        }
        const SourceRanges cols =
            sourceRanges(scale, box.left, box.right, layer.width, level, sourceLevel, sourceWidth);
        const SourceRanges rows = sourceRanges(scale, box.top, box.bottom, layer.height, level,
                                               sourceLevel, sourceHeight);
        ImageLayer& out = maxima.layers[static_cast<std::size_t>(i)];
        out.width = width;
        out.height = height;
        out.samples = allocateBuffer<std::uint16_t>(checkedCount(width, height, 2));
        const std::int32_t c0 = cols.first.front(), c1 = cols.end.back();
        const auto span = static_cast<std::size_t>(c1 - c0);
#pragma omp parallel if (std::int64_t{width} * height >= 65536)
        {
            std::vector<std::uint16_t> rowMax(span);
#pragma omp for schedule(static)
            for (std::int32_t r = 0; r < height; ++r) {
                const std::size_t r0 = static_cast<std::size_t>(rows.first[std::size_t(r)]);
                const std::size_t r1 = static_cast<std::size_t>(rows.end[std::size_t(r)]);
                const std::size_t stride = static_cast<std::size_t>(sourceWidth);
                const std::uint16_t* firstRow = source + r0 * stride + c0;
                std::copy(firstRow, firstRow + span, rowMax.begin());
                for (std::size_t y = r0 + 1; y < r1; ++y) {
                    const std::uint16_t* row = source + y * stride + c0;
                    for (std::size_t x = 0; x < span; ++x) rowMax[x] = std::max(rowMax[x], row[x]);
                }
                std::uint16_t* target = out.samples.get() + static_cast<std::size_t>(r) * width;
                for (std::int32_t c = 0; c < width; ++c) {
                    const std::int32_t a = cols.first[std::size_t(c)] - c0;
                    const std::int32_t b = cols.end[std::size_t(c)] - c0;
                    std::uint16_t m = rowMax[std::size_t(a)];
                    for (std::int32_t x = a + 1; x < b; ++x)
                        m = std::max(m, rowMax[std::size_t(x)]);
                    target[c] = m;
                }
            }
        }
    }
    BuildRaster32Box(maxima, state, pixels, pixelsPerRow, 0, width, 0, height, progress);
}

}  // namespace

int ReductionLevel(const ZoomScale& scale) {
    int level = 0;
    while (level < ReducedLayers::kLastLevel &&
           scale.num() * (std::int64_t{2} << level) <= scale.den())
        ++level;
    return level;
}

ScreenBox ContentPart(const ZoomScale& scale, std::int32_t imageWidth, std::int32_t imageHeight,
                      const ScreenBox& box) {
    ScreenBox part;
    part.left = std::max<std::int64_t>(box.left, 0);
    part.top = std::max<std::int64_t>(box.top, 0);
    part.right = std::min(box.right, scale.ContentSize(imageWidth));
    part.bottom = std::min(box.bottom, scale.ContentSize(imageHeight));
    if (part.right < part.left) part.right = part.left;
    if (part.bottom < part.top) part.bottom = part.top;
    return part;
}

void BuildZoomed32(const LayeredImage& image, const ReducedLayers* reduced,
                   const DisplayState& state, const ZoomScale& scale, const ScreenBox& box,
                   std::uint32_t* pixels, std::int64_t pixelsPerRow, Progress& progress) {
    if (image.layerCount <= 0 || box.right <= box.left || box.bottom <= box.top) return;
    if (scale.below1())
        buildReduced(image, reduced, state, scale, box, pixels, pixelsPerRow, progress);
    else
        buildEnlarged(image, state, scale, box, pixels, pixelsPerRow, progress);
}

}  // namespace orvane
