// BuildRaster: the row loop over the box with its progress texts, mapped in parallel by rows
// through the kernels of raster_kernels.cpp; MapPixel for single pixels.
#include "display_raster.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <vector>

#include "base/allocator.h"
#include "base/parallel.h"
#include "raster_kernels.h"

namespace orvane {

namespace {

using raster::RowJob;

// Above this many bytes a raster does not stay in the caches while it is built.
constexpr std::int64_t kStreamingBytes = std::int64_t{32} << 20;

// The loaded layers whose channel is on; the others read as zeros.
struct Channels {
    const std::uint16_t* samples[kMaxLayers];  // null when the channel is off
    int shown = 0;
};

Channels shownChannels(const LayeredImage& image, const DisplayState& state) {
    Channels c{};
    for (int i = 0; i < kMaxLayers; ++i) {
        const ImageLayer& layer = image.layers[static_cast<std::size_t>(i)];
        // A channel shows only a loaded layer, whatever the flag says.
        if (state.channelOn[static_cast<std::size_t>(i)] && i < image.layerCount &&
            layer.loaded()) {
            c.samples[i] = layer.samples.get();
            ++c.shown;
        }
    }
    return c;
}

RowJob rowJob(const Channels& channels, const DisplayState& state, bool bitmapOrder,
              const std::uint16_t* zeros, std::size_t rowStart) {
    RowJob job{};
    for (int i = 0; i < kMaxLayers; ++i) {
        job.on[i] = channels.samples[i] != nullptr;
        job.samples[i] = job.on[i] ? channels.samples[i] + rowStart : zeros;
    }
    job.log = state.logDisplay;
    job.inverted = state.invertedDisplay;
    job.bitmapOrder = bitmapOrder;
    return job;
}

// The shown samples of one row, balanced: channels with offset 0 and gain 1 point into the
// layer, the others into `scratch` (one row per channel) filled with offset + gain x v.
Channels balancedRow(const Channels& channels, const DisplayState& state, std::size_t rowStart,
                     std::int32_t count, std::vector<std::uint16_t> (&scratch)[kMaxLayers]) {
    Channels row{};
    row.shown = channels.shown;
    for (int i = 0; i < kMaxLayers; ++i) {
        const std::uint16_t* src = channels.samples[i];
        if (src == nullptr) continue;
        src += rowStart;
        const float offset = state.channelOffset[static_cast<std::size_t>(i)];
        const float gain = state.channelGain[static_cast<std::size_t>(i)];
        if (offset == 0.0f && gain == 1.0f) {
            row.samples[i] = src;
            continue;
        }
        std::vector<std::uint16_t>& out = scratch[i];
        out.resize(static_cast<std::size_t>(count));
        for (std::int32_t k = 0; k < count; ++k) {
            const double v =
                std::nearbyint(static_cast<double>(offset) + static_cast<double>(gain) * src[k]);
            out[static_cast<std::size_t>(k)] =
                static_cast<std::uint16_t>(std::clamp(v, 0.0, 65535.0));
        }
        row.samples[i] = out.data();
    }
    return row;
}

void reportRow(Progress& progress, std::int32_t y, std::int32_t y0, std::int32_t y1) {
    const auto p = static_cast<int>(std::int64_t{100} * (y - y0) / (std::int64_t{y1} - y0));
    if (p % 5 != 0) return;
    char text[64];
    std::snprintf(text, sizeof text, "Processing Tiff File, %02d%% completed ...", p);
    progress.message(text);
}

}  // namespace

std::int64_t RasterStride(std::int32_t width) {
    return (std::int64_t{3} * std::max(width, 0) + 3) & ~std::int64_t{3};
}

namespace {

// Where the rows go: 3-byte pixels `stride` bytes apart, or (pixels32 not null) 32-bit pixels
// 0xffRRGGBB `pixelsPerRow` apart, each row mapped first into a per-thread row of 3-byte pixels
// in bitmap order.
struct RasterTarget {
    std::uint8_t* buffer = nullptr;
    std::int64_t stride = 0;
    std::uint32_t* pixels32 = nullptr;
    std::int64_t pixelsPerRow = 0;
};

// How the rows of one box are mapped, chosen once: the byte kernel of linear mode, a colour
// table (one channel shown, or linear with two), or the row kernel; balanced samples first.
class RowMapper {
public:
    RowMapper(const LayeredImage& image, const DisplayState& state, bool bitmapOrder,
              std::int32_t columns, std::int64_t pixels)
        : state_(state),
          channels_(shownChannels(image, state)),
          bitmapOrder_(bitmapOrder),
          columns_(columns),
          balanced_(state.balanced()),
          linearBytes_(!state.logDisplay && raster::haveLinearRowKernel()),
          kernel_(raster::bestRowKernel()) {
        // A channel that is off reads a row of zeros, so that the kernel has no branch on it.
        zeros_ = allocateBuffer<std::uint16_t>(static_cast<std::uint64_t>(columns));
        std::fill_n(zeros_.get(), columns, std::uint16_t{0});
        if (balanced_ || linearBytes_ || pixels <= 4 * 65536)
            return;  // tables: worth it for larger boxes
        for (int i = 0; i < kMaxLayers; ++i)
            if (channels_.samples[i] != nullptr) (first_ < 0 ? first_ : second_) = i;
        // With one channel shown each pixel is a look-up.
        if (channels_.shown == 1)
            table_ = &raster::singleChannelTable(first_, state.logDisplay, state.invertedDisplay,
                                                 bitmapOrder);
        // Linear with two channels shown: a table over the pairs of top bytes.
        if (!state.logDisplay && channels_.shown == 2)
            pairTable_ =
                &raster::twoChannelLinearTable(first_, second_, state.invertedDisplay, bitmapOrder);
    }

    int shown() const { return channels_.shown; }

    // Maps the row starting at sample `rowStart` into `out`, 3 bytes a pixel.
    void map(std::size_t rowStart, std::uint8_t* out, bool streaming) const {
        if (balanced_) {
            // Each thread keeps its own balanced rows.
            thread_local std::vector<std::uint16_t> scratch[kMaxLayers];
            const Channels row = balancedRow(channels_, state_, rowStart, columns_, scratch);
            mapSamples(rowJob(row, state_, bitmapOrder_, zeros_.get(), 0), out, streaming);
        } else if (table_ != nullptr) {
            raster::mapRowFromTable(*table_, channels_.samples[first_] + rowStart, columns_, out);
        } else if (pairTable_ != nullptr) {
            raster::mapRowFromPairTable(*pairTable_, channels_.samples[first_] + rowStart,
                                        channels_.samples[second_] + rowStart, columns_, out);
        } else {
            mapSamples(rowJob(channels_, state_, bitmapOrder_, zeros_.get(), rowStart), out,
                       streaming);
        }
    }

private:
    void mapSamples(const RowJob& job, std::uint8_t* out, bool streaming) const {
        if (linearBytes_)
            raster::mapRowLinear(job, columns_, out, streaming);
        else
            kernel_(job, columns_, out);
    }

    const DisplayState& state_;
    Channels channels_;
    bool bitmapOrder_;
    std::int32_t columns_;
    bool balanced_;
    bool linearBytes_;  // linear mode where the processor has the byte kernel
    raster::RowKernel kernel_;
    std::unique_ptr<std::uint16_t[]> zeros_;
    const raster::ColourTable* table_ = nullptr;
    const raster::ColourTable* pairTable_ = nullptr;
    int first_ = -1, second_ = -1;  // the shown channels, for the tables
};

void buildBox(const LayeredImage& image, const DisplayState& state, const RasterTarget& target,
              bool bitmapOrder, std::int32_t x0, std::int32_t x1, std::int32_t y0, std::int32_t y1,
              Progress& progress) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, image.width());
    y1 = std::min(y1, image.height());
    if (x1 <= x0 || y1 <= y0 || image.layerCount <= 0) return;
    const std::int32_t columns = x1 - x0;
    const std::int64_t pixels = std::int64_t{columns} * (y1 - y0);
    const RowMapper mapper(image, state, bitmapOrder, columns, pixels);
    // A raster far larger than the caches, built from two or three layers, is written past the
    // caches: its stores then do not read the lines first, which leaves the memory to the
    // samples (measured: up to 15 % faster with two or three layers, no gain with one). Only
    // the byte kernel of linear mode streams.
    const bool streaming = target.pixels32 == nullptr &&
                           target.stride * (y1 - y0) > kStreamingBytes && mapper.shown() >= 2;
    // The 32-bit target: one row of 3-byte pixels a thread, allocated before the parallel loop.
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(columns);
    std::unique_ptr<std::uint8_t[]> threadRows;
    if (target.pixels32 != nullptr)
        threadRows = allocateBuffer<std::uint8_t>(
            checkedCount(maxThreads(), static_cast<std::int64_t>(rowBytes), 1));
    const auto width = static_cast<std::size_t>(image.width());
    auto mapRow = [&](std::int32_t y) {
        const std::size_t rowStart =
            static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x0);
        if (target.pixels32 == nullptr) {
            mapper.map(rowStart, target.buffer + target.stride * (y - y0), streaming);
            return;
        }
        std::uint8_t* row = threadRows.get() + rowBytes * static_cast<std::size_t>(threadNumber());
        mapper.map(rowStart, row, false);
        raster::expandToRgb32(row, columns, target.pixels32 + target.pixelsPerRow * (y - y0));
    };
    // Rows are mapped in parallel a block at a time; the texts of a block's rows are shown, in
    // row order, before the block is mapped, so the user sees the same texts in the same order.
    const std::int32_t blockRows = std::max<std::int32_t>(1, (y1 - y0) / 20);
    const bool parallel = pixels >= 65536;
    for (std::int32_t block = y0; block < y1;) {
        const std::int32_t blockEnd = block + std::min(blockRows, y1 - block);
        for (std::int32_t y = block; y < blockEnd; ++y) reportRow(progress, y, y0, y1);
#pragma omp parallel if (parallel)
        {
#pragma omp for schedule(static) nowait
            for (std::int32_t y = block; y < blockEnd; ++y) mapRow(y);
            if (streaming) raster::fenceStreamingStores();
        }
        block = blockEnd;
    }
    progress.message("Ready");
}

}  // namespace

void BuildRaster(const LayeredImage& image, const DisplayState& state, std::uint8_t* buffer,
                 std::int64_t stride, bool bitmapOrder, std::int32_t x0, std::int32_t x1,
                 std::int32_t y0, std::int32_t y1, Progress& progress) {
    RasterTarget target;
    target.buffer = buffer;
    target.stride = stride;
    buildBox(image, state, target, bitmapOrder, x0, x1, y0, y1, progress);
}

void BuildRaster32(const LayeredImage& image, const DisplayState& state, std::uint32_t* pixels,
                   std::int64_t pixelsPerRow, Progress& progress) {
    RasterTarget target;
    target.pixels32 = pixels;
    target.pixelsPerRow = pixelsPerRow;
    buildBox(image, state, target, true, 0, 2147483647, 0, 2147483647, progress);
}

DisplayRaster BuildDisplayRaster(const LayeredImage& image, const DisplayState& state,
                                 bool bitmapOrder, Progress& progress) {
    DisplayRaster raster;
    if (image.layerCount <= 0) return raster;
    raster.width = image.width();
    raster.height = image.height();
    raster.stride = RasterStride(raster.width);
    raster.bytes = allocateBuffer<std::uint8_t>(checkedCount(raster.stride, raster.height, 1));
    BuildRaster(image, state, raster.bytes.get(), raster.stride, bitmapOrder, 0, 2147483647, 0,
                2147483647, progress);
    return raster;
}

std::array<std::uint8_t, 3> MapPixel(const LayeredImage& image, const DisplayState& state,
                                     std::int32_t x, std::int32_t y) {
    const Channels channels = shownChannels(image, state);
    const std::size_t index =
        static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width()) +
        static_cast<std::size_t>(x);
    const std::uint16_t zero = 0;
    std::array<std::uint8_t, 3> rgb{};
    if (state.balanced()) {
        std::vector<std::uint16_t> scratch[kMaxLayers];
        raster::mapRowPortable(
            rowJob(balancedRow(channels, state, index, 1, scratch), state, false, &zero, 0), 1,
            rgb.data());
    } else {
        raster::mapRowPortable(rowJob(channels, state, false, &zero, index), 1, rgb.data());
    }
    return rgb;
}

DisplayState DisplayStateAfterLoading(const LayeredImage& image) {
    DisplayState state;
    for (int i = 0; i < kMaxLayers; ++i)
        state.channelOn[static_cast<std::size_t>(i)] = i < image.layerCount;
    state.imageWidth = image.width();
    state.imageHeight = image.height();
    return state;
}

}  // namespace orvane
